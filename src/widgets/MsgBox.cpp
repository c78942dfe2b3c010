#include "widgets/MsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace {
TMsgBoxHandler& Handler() {
    static TMsgBoxHandler handler;
    return handler;
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

TMsgAnswer Deliver(TMsgKind kind, QWidget* parent, const QString& text) {
    const TMsgRequest request{kind, parent, text};
    // Copy: a handler may replace itself (a recorder going out of scope inside a nested loop).
    const TMsgBoxHandler handler = Handler();
    return handler ? handler(request) : ShowRealBox(request);
}
} // namespace

TMsgBoxHandler SetMsgBoxHandler(TMsgBoxHandler handler) {
    return std::exchange(Handler(), std::move(handler));
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

TMessageHandler CoreMessageBoxes() {
    return [](TMessageKind kind, const std::string& text) {
        QWidget* parent = QApplication::activeModalWidget();
        if (!parent)
            parent = QApplication::activeWindow();
        const QString qtext = QString::fromStdString(text);
        if (kind == TMessageKind::Error)
            MsgError(parent, qtext);
        else
            MsgInformation(parent, qtext);
    };
}
