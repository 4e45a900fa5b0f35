// The yardstick of the session's peak memory: a bare main window of the program's size,
// shown and left to paint for a second, then its peak resident size (VmHWM) printed as
// "bare window peak <MB> MB", in MB of 1024 x 1024 bytes.
#include <cstdio>

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(1227, 775);
    window.show();
    QTimer::singleShot(1000, &app, [] {
        QFile status(QStringLiteral("/proc/self/status"));
        double peak = -1.0;
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("VmHWM:"))
                    peak = line.mid(6).trimmed().split(' ')[0].toDouble() / 1024.0;
        std::printf("bare window peak %.1f MB\n", peak);
        QApplication::exit(peak > 0 ? 0 : 1);
    });
    return QApplication::exec();
}
