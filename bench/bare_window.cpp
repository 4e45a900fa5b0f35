// The yardsticks of start-up time, built with the same compiler and flags and started the
// same way: a bare main window of the program's size, and (built with
// NIMBREL_MENU_AND_LABEL) the same window with a menu bar of one menu and a status bar of
// one label, the least a main window with any text in it loads (fonts, the icon theme
// the menu bar's extension button looks up, the desktop's menu service).
#include <QApplication>
#include <QMainWindow>
#ifdef NIMBREL_MENU_AND_LABEL
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#endif

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1227, 775);
#ifdef NIMBREL_MENU_AND_LABEL
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Exit"));
    window.statusBar()->addWidget(new QLabel(QStringLiteral("12:00 UTC")));
#endif
    window.show();
    return QApplication::exec();
}
