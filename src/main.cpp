#include <cstdio>

#include <QApplication>

#include "app/application.h"
#include "app/umainform.h"
#include "cases/uinformation.h"
#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "products/uproduct.h"
#include "ui/uabout.h"

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
    QApplication app(argc, argv);
    nimbrel::ConfigureApplication();

    using namespace nimbrel;
    // The six windows are created once, in this order, and live until the program ends.
    auto* main = new TfMainForm;
    Windows w;
    w.Product = new TfProduct(main);
    w.LoadCase = new TfLoadCase(main);
    w.RandomCase = new TfRandomCase(main);
    w.About = new TfAbout(main);
    w.Information = new TfInformation(main);
    main->SetWindows(w);
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    return app.exec();
}
