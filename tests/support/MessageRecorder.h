#pragma once
// Stands in for the message boxes of the windows it watches while it lives.
#include "widgets/MsgBox.h"
#include <QList>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <vector>

// While it lives, every box of the watched windows (and of the windows they parent or own) is recorded
// instead of shown (also the core's messages, when that window's core context's sink is
// CoreMessageBoxes()), and questions are answered from a queue (then with the default answer). Other
// windows keep their own handlers. Restores each watched window's previous handler.
class TMessageRecorder {
  public:
    struct TEntry {
        TMsgKind Kind;
        QString Text;
        QPointer<QWidget> Parent;
    };

    // Watches nothing until Watch() is called (e.g. by the helper that makes the window, before the
    // window shows and reads its files).
    explicit TMessageRecorder(TMsgAnswer defaultAnswer = TMsgAnswer::Cancel) : FDefault(defaultAnswer) {}
    explicit TMessageRecorder(QWidget* window, TMsgAnswer defaultAnswer = TMsgAnswer::Cancel);
    ~TMessageRecorder();
    TMessageRecorder(const TMessageRecorder&) = delete;
    TMessageRecorder& operator=(const TMessageRecorder&) = delete;

    // Records the messages of `window`'s top-level window too.
    void Watch(QWidget* window);

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

    struct TWatched {
        QPointer<QWidget> Window;
        TMsgBoxHandler Previous;
    };
    QList<TEntry> FMessages;
    QList<TMsgAnswer> FAnswers;
    TMsgAnswer FDefault;
    std::vector<TWatched> FWatched;
};
