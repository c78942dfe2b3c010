#pragma once
// One channel for messages that the core wants a person to see. The desktop program installs a
// handler that shows a message box; the command-line program and tests install their own. Without
// a handler the text goes to standard error.
#include <functional>
#include <string>

enum class TMessageKind { Information, Error };
using TMessageHandler = std::function<void(TMessageKind, const std::string&)>;

// Installs a handler and returns the previous one (so a scope can restore it).
TMessageHandler SetMessageHandler(TMessageHandler handler);
void ShowMessage(const std::string& text);      // information box with a single OK button
void ShowErrorMessage(const std::string& text); // error box
