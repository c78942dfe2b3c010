#pragma once
// What the core needs from the program that runs it, passed down explicitly instead of installed in
// globals: the factory of table editor windows and the sink for messages to a person. The program owns
// one; its model host (model/ModelHost.h) hands it to the table set, whose tables (and their
// sub-tables) keep a pointer to it. The command-line program and tests make their own.
#include "text/Messages.h"
#include <functional>
#include <string>

class ITableEditorFactory;

struct TCoreContext {
    // Opens table editor windows. Null where there are no windows: opening an editor then raises
    // EGeneralError instead of silently doing nothing.
    ITableEditorFactory* Editors = nullptr;
    // Where messages go; null: standard error.
    TMessageHandler Messages;
    // Told after a table's values or rows changed (the program's undo and live analysis look at the
    // model then); null: nobody listens.
    std::function<void()> Edited = nullptr;

    void Inform(const std::string& text) const { DeliverMessage(Messages, TMessageKind::Information, text); }
    void Error(const std::string& text) const { DeliverMessage(Messages, TMessageKind::Error, text); }
};
