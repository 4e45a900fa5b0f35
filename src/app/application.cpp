#include "app/application.h"

#include <QGuiApplication>

namespace nimbrel {

void ConfigureApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Nimbrel"));
    // The desktop entry "nimbrel.desktop" carries the name and icon desktops show.
    QGuiApplication::setDesktopFileName(QStringLiteral("nimbrel"));
}

} // namespace nimbrel
