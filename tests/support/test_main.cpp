// Every test program runs inside a QApplication on the offscreen platform, with its
// own temporary home for settings and per-user data, so no test touches the user's
// files, needs a display or depends on the machine's locale.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    // A test of what an X server sees asks for the xcb platform (and runs under Xvfb).
    qputenv("QT_QPA_PLATFORM",
            qEnvironmentVariableIsSet("NIMBREL_TEST_ON_X11") ? "xcb" : "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", (home.path() + QStringLiteral("/runtime")).toLocal8Bit());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
