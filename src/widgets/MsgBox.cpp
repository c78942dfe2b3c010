#include "widgets/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <utility>

namespace {
// What a window holds for its messages: its handler and the window it belongs to. A child object, so
// it goes with the window.
class TMsgBoxSlot : public QObject {
  public:
    explicit TMsgBoxSlot(QWidget* window) : QObject(window) { setObjectName(QStringLiteral("MsgBoxSlot")); }
    TMsgBoxHandler Handler;
    QPointer<QWidget> Owner;
};

TMsgBoxSlot* SlotOf(QWidget* window) {
    return window->findChild<TMsgBoxSlot*>(QStringLiteral("MsgBoxSlot"), Qt::FindDirectChildrenOnly);
}

TMsgBoxSlot& MakeSlot(QWidget* window) {
    TMsgBoxSlot* slot = SlotOf(window);
    return slot ? *slot : *new TMsgBoxSlot(window);
}

// The first handler from `widget` outwards: the widget and its parents, where a window that belongs to
// another window (SetMsgBoxOwner) goes on with that one.
TMsgBoxHandler FindHandler(QWidget* widget) {
    // Bounded: a chain of owners that loops must not hang the program.
    for (int depth = 0; widget && depth < 256; ++depth) {
        TMsgBoxSlot* slot = SlotOf(widget);
        if (slot && slot->Handler)
            return slot->Handler;
        widget = slot && slot->Owner ? slot->Owner.data() : widget->parentWidget();
    }
    return {};
}

QString BoxTitle() {
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Brevanto 2015") : name;
}

TMsgAnswer ShowRealBox(const TMsgRequest& request) {
    const QString text = MsgDisplayText(request.Text);
    switch (request.Kind) {
    case TMsgKind::Information:
        QMessageBox::information(request.Parent, BoxTitle(), text, QMessageBox::Ok);
        return TMsgAnswer::Ok;
    case TMsgKind::Error:
        QMessageBox::critical(request.Parent, BoxTitle(), text, QMessageBox::Ok);
        return TMsgAnswer::Ok;
    case TMsgKind::Question:
        switch (QMessageBox::question(request.Parent, BoxTitle(), text,
                                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                      QMessageBox::Yes)) {
        case QMessageBox::Yes:
            return TMsgAnswer::Yes;
        case QMessageBox::No:
            return TMsgAnswer::No;
        default:
            return TMsgAnswer::Cancel;
        }
    }
    return TMsgAnswer::Cancel;
}

// The handler comes from `owner`'s windows when there is an owner (the core's messages are shown over
// whichever window is active, which may be another main window), else from the parent's.
TMsgAnswer Deliver(TMsgKind kind, QWidget* parent, const QString& text, QWidget* owner = nullptr) {
    const TMsgRequest request{kind, parent, text};
    // A copy: a handler may replace itself (a recorder going out of scope inside a nested loop).
    const TMsgBoxHandler handler = FindHandler(owner ? owner : parent);
    return handler ? handler(request) : ShowRealBox(request);
}
} // namespace

TMsgBoxHandler SetMsgBoxHandler(QWidget* window, TMsgBoxHandler handler) {
    if (!window)
        return {};
    return std::exchange(MakeSlot(window->window()).Handler, std::move(handler));
}

void SetMsgBoxOwner(QWidget* window, QWidget* owner) {
    if (window)
        MakeSlot(window).Owner = owner;
}

void MsgInformation(QWidget* parent, const QString& text) {
    Deliver(TMsgKind::Information, parent, text);
}

void MsgError(QWidget* parent, const QString& text) {
    Deliver(TMsgKind::Error, parent, text);
}

TMsgAnswer MsgQuestion(QWidget* parent, const QString& text) {
    const TMsgAnswer answer = Deliver(TMsgKind::Question, parent, text);
    // A handler answering "Ok" to a three-way question has not chosen; treat it as Cancel, the safe one.
    return answer == TMsgAnswer::Ok ? TMsgAnswer::Cancel : answer;
}

QString MsgDisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

TMessageHandler CoreMessageBoxes(QWidget* owner) {
    return [owner = QPointer<QWidget>(owner)](TMessageKind kind, const std::string& text) {
        QWidget* parent = QApplication::activeModalWidget();
        if (!parent)
            parent = QApplication::activeWindow();
        Deliver(kind == TMessageKind::Error ? TMsgKind::Error : TMsgKind::Information, parent,
                QString::fromStdString(text), owner.data());
    };
}
