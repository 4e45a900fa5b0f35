#include <cstdio>

#include <QApplication>

#include "app/application.h"
#include "app/startup.h"
#include "app/umainform.h"

int main(int argc, char** argv) {
    // Without a window system Qt would abort with a terse message about platform
    // plugins; say plainly what to do instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "Nimbrel needs a display and none was found (DISPLAY is not set).\n"
                     "On a machine without a screen, run it under a virtual one:\n"
                     "    xvfb-run -a %s\n",
                     argv[0]);
        return 2;
    }
    // While the program still has a single thread, its environment may be changed.
    nimbrel::SkipHopelessBusLaunch();
    // Before anything else: the font configuration is read beside the rest of start-up.
    nimbrel::BeginFontLoading();
    QApplication app(argc, argv);
    nimbrel::FontLoadingMayUseQt();
    nimbrel::ConfigureApplication();

    using namespace nimbrel;
    // Only the main window is made now; the product, case, information and about
    // windows are made the first time they are needed and live until the program ends.
    auto* main = new TfMainForm;
    main->MakeWindowsWhenNeeded();
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    const int code = QApplication::exec();
    FinishStartupWork();
    return code;
}
