// The desktop program. The main window arrives with its own work; until then the program starts
// the application object and shows the empty frame so the build and packaging can be exercised.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevanto 2015"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Brevanto 2015"));
    window.setCentralWidget(new QMdiArea(&window));
    window.resize(1000, 700);
    window.show();
    return QApplication::exec();
}
