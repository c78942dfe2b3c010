#include "app/TextViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QUrl>

namespace {
QWidget* AddChild(QMdiArea* area, QWidget* widget, const QString& title) {
    widget->setAttribute(Qt::WA_DeleteOnClose);
    widget->setWindowTitle(title);
    QMdiSubWindow* sub = area->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Most of the work area, so a page of text can be read without resizing first.
    const QSize room = area->viewport()->size();
    sub->resize(std::max(320, room.width() * 9 / 10), std::max(240, room.height() * 9 / 10));
    sub->show();
    area->setActiveSubWindow(sub);
    return widget;
}
} // namespace

QWidget* OpenTextViewer(QMdiArea* area, const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return nullptr;
    auto* view = new QPlainTextEdit;
    view->setObjectName(QStringLiteral("TextViewer"));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    view->setPlainText(QString::fromUtf8(in.readAll()));
    return AddChild(area, view, QFileInfo(file).fileName() + QStringLiteral(" (read-only)"));
}

QWidget* OpenHelpViewer(QMdiArea* area, const QString& file) {
    if (!QFileInfo(file).isFile())
        return nullptr;
    auto* view = new QTextBrowser;
    view->setObjectName(QStringLiteral("HelpViewer"));
    view->setOpenLinks(true);
    view->setOpenExternalLinks(false);
    view->setSearchPaths({QFileInfo(file).absolutePath()});
    view->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    // The page's own title once it has loaded, the file's name otherwise.
    const QString title =
        view->documentTitle().isEmpty() ? QFileInfo(file).fileName() : view->documentTitle();
    return AddChild(area, view, title);
}
