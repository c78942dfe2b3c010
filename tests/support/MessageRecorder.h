#pragma once
// Stands in for every message box of the program while it lives.
#include "widgets/MsgBox.h"
#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>

// While it lives, every box is recorded instead of shown (also the core's messages, when the core
// context's sink is CoreMessageBoxes()), and questions are answered from a queue (then with the
// default answer). Restores the previous handler.
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
};
