#pragma once
// Every message box of the program goes through these few functions. By default they show real
// QMessageBox windows. A window may hold a handler of its own for its messages and for those of the
// windows it parents: a test installs one on the window it drives (tests/support/MessageRecorder.h) so
// it can read the messages and answer questions without a person, and so nothing modal blocks an
// offscreen run. Two main windows never see each other's messages.
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

// Installs a handler on `window` (on its top-level window) and returns the previous one. A null
// handler restores the real boxes. The handler serves the messages whose parent lies in that window or
// in a window it parents or owns (below); a message with no parent, or whose windows have no handler,
// shows a real box.
TMsgBoxHandler SetMsgBoxHandler(QWidget* window, TMsgBoxHandler handler);

// Marks `window` (a top-level window without a parent, e.g. a modal table editor) as belonging to
// `owner`: its messages go through the owner's handler. A null owner ends that.
void SetMsgBoxOwner(QWidget* window, QWidget* owner);

// Information box with a single OK button.
void MsgInformation(QWidget* parent, const QString& text);
// Error box with a single OK button.
void MsgError(QWidget* parent, const QString& text);
// Confirmation box with Yes, No and Cancel; closing the box counts as Cancel.
TMsgAnswer MsgQuestion(QWidget* parent, const QString& text);

// The text as a box shows it: the line break of our messages ("\r", also "\r\n") becomes "\n".
QString MsgDisplayText(const QString& text);

// A message sink for the core context of `owner`'s window that shows the core's messages in the boxes
// above, parented to the active window and served by the owner's handler.
TMessageHandler CoreMessageBoxes(QWidget* owner);
