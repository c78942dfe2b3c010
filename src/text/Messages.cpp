#include "text/Messages.h"
#include <iostream>
#include <utility>

namespace {
TMessageHandler& Handler() {
    static TMessageHandler handler;
    return handler;
}

void Deliver(TMessageKind kind, const std::string& text) {
    if (Handler()) {
        Handler()(kind, text);
        return;
    }
    std::cerr << text << '\n';
}
} // namespace

TMessageHandler SetMessageHandler(TMessageHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
void ShowMessage(const std::string& text) {
    Deliver(TMessageKind::Information, text);
}
void ShowErrorMessage(const std::string& text) {
    Deliver(TMessageKind::Error, text);
}
