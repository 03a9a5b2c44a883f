// The yardstick for the program's startup: the smallest Qt Widgets program,
// one label in one window, started the same way.

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel hola(QStringLiteral("Hola"));
    hola.show();
    return QApplication::exec();
}
