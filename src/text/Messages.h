#pragma once
// Messages that the core wants a person to see go to a sink that the program passes down with its
// core context: the desktop program shows message boxes, the command-line program writes to standard
// error, a test records them. There is no process-wide handler to install.
#include <functional>
#include <string>

enum class TMessageKind { Information, Error };
using TMessageHandler = std::function<void(TMessageKind, const std::string&)>;

// Hands `text` to `sink`; without a sink the text goes to standard error, so nothing is lost.
void DeliverMessage(const TMessageHandler& sink, TMessageKind kind, const std::string& text);
