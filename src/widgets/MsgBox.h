#pragma once
// Every message box of the program goes through these few functions. By default they show real
// QMessageBox windows; a test replaces the handler (TMessageRecorder) so it can read the messages and
// answer questions without a person, and so nothing modal blocks an offscreen run.
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "tables/Messages.h"

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

// Routes the core message channel (ShowMessage / ShowErrorMessage) into the boxes above, parented
// to the active window. Returns the previous core handler.
TMessageHandler InstallCoreMessageBoxes();

// Test helper: while it lives, every box (also core messages) is recorded instead of shown, and
// questions are answered from a queue (then with the default answer). Restores both handlers.
class TMessageRecorder {
  public:
    struct TEntry {
        TMsgKind Kind;
        QString Text;
        QPointer<QWidget> Parent;
    };

    explicit TMessageRecorder(TMsgAnswer defaultAnswer = TMsgAnswer::Cancel);
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder&) = delete;
    TMessageRecorder& operator=(const TMessageRecorder&) = delete;

    void QueueAnswer(TMsgAnswer answer) { FAnswers.append(answer); }
    void SetDefaultAnswer(TMsgAnswer answer) { FDefault = answer; }

    const QList<TEntry>& Messages() const { return FMessages; }
    QStringList Texts() const;
    QString LastText() const { return FMessages.isEmpty() ? QString() : FMessages.last().Text; }
    int Count() const { return static_cast<int>(FMessages.size()); }
    void Clear() { FMessages.clear(); }

    // Called for each message while the "box" is up, e.g. to look at the widgets at that moment.
    std::function<void(const TMsgRequest&)> OnMessage;

  private:
    TMsgAnswer Answer(const TMsgRequest& request);

    QList<TEntry> FMessages;
    QList<TMsgAnswer> FAnswers;
    TMsgAnswer FDefault;
    TMsgBoxHandler FPreviousBox;
    TMessageHandler FPreviousCore;
};
