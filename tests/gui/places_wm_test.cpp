// Window places under a real window manager (openbox on Xvfb): what only a window
// manager's frame shows. The case dialogs open where they opened first, and the main
// window opens maximized on a first run and keeps its normal place across a maximize.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "app/application.h"
#include "app/preferences.h"
#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "gui/gui_support.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

/// Lets the window manager answer: frames, moves and state changes arrive in steps.
void Settle() {
    QTest::qWait(400);
}

/// Where the window's inside is on the screen, asked of the X server.
QPoint InsideOnScreen(QWidget* w) {
    return w->mapToGlobal(QPoint(0, 0));
}

/// Waits (at most eight seconds) until the window is framed and has stayed in one place
/// for a second: on a busy machine the window manager answers late.
void SettleFramed(QWidget* w) {
    QPoint last = InsideOnScreen(w);
    int still = 0;
    for (int i = 0; i < 80 && still < 10; ++i) {
        QTest::qWait(100);
        const QPoint now = InsideOnScreen(w);
        still = now == last && w->frameGeometry() != w->geometry() ? still + 1 : 0;
        last = now;
    }
}

void ShowFirstRun(GuiFixture& f, bool development) {
    QSettings(PreferenceStore()).clear();
    f.Form->State().Folders.DevelopmentMode = development;
    f.Show(f.Temp.path() + QStringLiteral("/appdata/"), f.Temp.path() + QStringLiteral("/disc/"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.Form));
    Settle();
}

} // namespace

TEST(PlacesUnderAWindowManager, CaseDialogsOpenWhereTheyOpenedFirst) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ConfigureApplication();
    GuiFixture f;
    f.Show(f.Temp.path() + QStringLiteral("/appdata/"), f.Temp.path() + QStringLiteral("/disc/"));
    const Windows& w = f.Form->OtherWindows();
    for (QDialog* dialog :
         {static_cast<QDialog*>(w.LoadCase), static_cast<QDialog*>(w.RandomCase)}) {
        std::vector<QPoint> places;
        for (int i = 0; i < 3; ++i) {
            dialog->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
            SettleFramed(dialog);
            places.push_back(InsideOnScreen(dialog));
            dialog->hide();
            Settle();
        }
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        EXPECT_EQ(places[1], places[0]);
        EXPECT_EQ(places[2], places[0]);
        // Centred on the screen, frame and all.
        const QRect screen = dialog->screen()->availableGeometry();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        SettleFramed(dialog);
        const QRect frame = dialog->frameGeometry();
        EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1) << frame.x();
        EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1) << frame.y();
        dialog->hide();
    }
}

TEST(PlacesUnderAWindowManager, FirstRunOpensMaximizedAndKeepsTheNormalPlace) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    ConfigureApplication();
    for (const bool development : {false, true}) {
        SCOPED_TRACE(development ? "development mode" : "ordinary");
        GuiFixture f;
        ShowFirstRun(f, development);
        EXPECT_TRUE(f.Form->isMaximized());
        // The development buttons make the window taller than 640 pixels at least.
        if (development) continue;
        // Back to normal: the first run's normal place, 480 x 640 at 1,1 frame included.
        f.Form->showNormal();
        Settle();
        EXPECT_EQ(f.Form->frameGeometry(), QRect(1, 1, 480, 640));
        // Maximized and back again: the same.
        f.Form->showMaximized();
        Settle();
        f.Form->showNormal();
        Settle();
        EXPECT_EQ(f.Form->frameGeometry(), QRect(1, 1, 480, 640));
        // Closed maximized, the stored normal place is still that one.
        f.Form->showMaximized();
        Settle();
        f.Form->close();
        QSettings store = PreferenceStore();
        const WindowPlacement p = ReadPlacement(store);
        EXPECT_EQ(QRect(p.Left, p.Top, p.Width, p.Height), QRect(1, 1, 480, 640));
        EXPECT_TRUE(p.Maximized);
    }
}
