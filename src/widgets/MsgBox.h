#pragma once
// Every message box of the program goes through these few functions. By default they show real
// QMessageBox windows; a test replaces the handler (tests/support/MessageRecorder.h) so it can read the
// messages and answer questions without a person, and so nothing modal blocks an offscreen run.
#include <QString>
#include <QWidget>
#include <functional>

#include "text/Messages.h"

enum class TMsgKind { Information, Error, Question };
enum class TMsgAnswer { Ok, Yes, No, Cancel };

struct TMsgRequest {
    TMsgKind Kind;
    QWidget* Parent; // may be null
    QString Text;    // as the caller gave it; "\r" still marks a line break
};

using TMsgBoxHandler = std::function<TMsgAnswer(const TMsgRequest&)>;

// Installs a handler and returns the previous one. A null handler restores the real boxes.
TMsgBoxHandler SetMsgBoxHandler(TMsgBoxHandler handler);

// Information box with a single OK button.
void MsgInformation(QWidget* parent, const QString& text);
// Error box with a single OK button.
void MsgError(QWidget* parent, const QString& text);
// Confirmation box with Yes, No and Cancel; closing the box counts as Cancel.
TMsgAnswer MsgQuestion(QWidget* parent, const QString& text);

// The text as a box shows it: the line break of our messages ("\r", also "\r\n") becomes "\n".
QString MsgDisplayText(const QString& text);

// A message sink for the core context that shows the core's messages in the boxes above, parented to
// the active window.
TMessageHandler CoreMessageBoxes();
