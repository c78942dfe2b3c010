#include "text/Messages.h"
#include <iostream>

void DeliverMessage(const TMessageHandler& sink, TMessageKind kind, const std::string& text) {
    if (sink) {
        sink(kind, text);
        return;
    }
    std::cerr << text << '\n';
}
