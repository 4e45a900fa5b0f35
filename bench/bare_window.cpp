// The yardstick of start-up time: a bare main window of the program's size, built with
// the same compiler and flags, started the same way.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1227, 775);
    window.show();
    return QApplication::exec();
}
