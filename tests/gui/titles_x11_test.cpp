// The titles of the six windows as the X server holds them, read back with xprop: what
// a window manager shows in the title bars. Runs on the xcb platform under Xvfb.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QTest>

#include "app/application.h"
#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "debrief/uinformation.h"
#include "gui/gui_support.h"
#include "products/uproduct.h"
#include "ui/uabout.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

/// The window's _NET_WM_NAME as the X server has it.
QString ServerTitle(const QWidget* w) {
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(w->winId()),
                                          QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(10000)) return QStringLiteral("(xprop did not answer)");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const qsizetype first = out.indexOf(QLatin1Char('"'));
    const qsizetype last = out.lastIndexOf(QLatin1Char('"'));
    return first < 0 || last <= first ? out : out.mid(first + 1, last - first - 1);
}

} // namespace

TEST(TitlesOnX11, EveryWindowCaptionIsTheWholeTitle) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ConfigureApplication();
    GuiFixture f;
    f.Show(f.Temp.path() + QStringLiteral("/appdata/"), f.Temp.path() + QStringLiteral("/disc/"));
    const Windows& w = f.Form->OtherWindows();
    const std::pair<QWidget*, QString> windows[] = {
        {f.Form, QStringLiteral("Nimbrel V1.0")},
        {w.LoadCase, QStringLiteral("Load case study")},
        {w.RandomCase, QStringLiteral("Load random case")},
        {w.Product, QStringLiteral("Product window")},
        {w.About, QStringLiteral("About Nimbrel")},
        {w.Information, QStringLiteral("Information window")},
    };
    for (const auto& [window, caption] : windows) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window)) << caption.toStdString();
        EXPECT_EQ(ServerTitle(window), caption);
        window->hide();
    }
    // A caption set later reaches the server as it is.
    f.Form->setWindowTitle(QStringLiteral("Done!"));
    f.Form->show();
    QApplication::processEvents();
    EXPECT_EQ(ServerTitle(f.Form), QStringLiteral("Done!"));
}
