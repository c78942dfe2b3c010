// brevanto: the desktop program. Everything lives in the app library, which the tests link too.
#include "app/MainWindow.h"
#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevanto 2015"));
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    TMainForm window(arguments);
    window.show();
    return QApplication::exec();
}
