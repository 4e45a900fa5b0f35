// The main window as start-up builds it: menus, shortcuts, left panel, first display.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

#include <QApplication>
#include <QDialog>

#include "app/preferences.h"
#include "gui/gui_support.h"
#include "ui/sound.h"
#include "ui/uabout.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

QStringList Captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

/// Whether a library whose file name holds `name` is loaded into this process.
bool Loaded(const QString& name) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name.toUtf8());
}

} // namespace

TEST(MainForm, MenusHoldEveryItemWithItsShortcut) {
    GuiFixture f;
    TfMainForm& m = *f.Form;
    EXPECT_EQ(m.windowTitle(), "Nimbrel V1.0");
    QStringList menus;
    for (QAction* a : m.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"&File", "&View", "&Forecast", "&Map", "&Help"}));
    EXPECT_EQ(Captions(m.FileMenu),
              QStringList({"&Load case...", "Load &random case...", "&Show summary and discussion",
                           "E&xercise score...", "-", "&Copy graphic to clipboard",
                           "Export loop as &GIF...", "-", "&Print graphic", "&Printer setup...",
                           "-", "&Change CD location...", "&Folders", "-", "&Exit"}));
    // The items added beside the original ones take letters no other item of the menu uses.
    for (QAction* added :
         {m.Exercisescore1, m.Exportloopasgif1, m.Forecastnotes1, m.Fitchartstowindow1}) {
        const QChar letter = added->text().at(added->text().indexOf('&') + 1).toUpper();
        QMenu* menu = m.ViewMenu->actions().contains(added) ? m.ViewMenu : m.FileMenu;
        for (QAction* other : menu->actions()) {
            const int amp = other->text().indexOf('&');
            if (other != added && amp >= 0)
                EXPECT_NE(other->text().at(amp + 1).toUpper(), letter)
                    << other->text().toStdString();
        }
    }
    EXPECT_EQ(Captions(m.ViewMenu),
              QStringList({"&Targeting", "-", "&Visible satellite", "&Surface analysis", "&850 mb",
                           "&700 mb", "&500 mb", "&250 mb", "Sou&nding", "-", "Forecast n&otes...",
                           "-", "&Fit charts to window"}));
    EXPECT_EQ(Captions(m.MapMenu),
              QStringList({"&North", "South", "East", "West", "Zoom in", "Zoom out", "-",
                           "&Measure distance", "-", "&Cities", "&Issued products"}));
    // The additions: cities and products on, charts 1:1, arrows as second keys of the pans.
    EXPECT_TRUE(m.Cities1->isChecked());
    EXPECT_TRUE(m.Issuedproducts1->isChecked());
    EXPECT_FALSE(m.Fitchartstowindow1->isChecked());
    EXPECT_EQ(m.North1->shortcuts().value(1), QKeySequence(Qt::Key_Up));
    EXPECT_EQ(m.West1->shortcuts().value(1), QKeySequence(Qt::Key_Left));
    EXPECT_EQ(Captions(m.HelpMenu), QStringList({"&About..."}));
    const QStringList forecast = Captions(m.ForecastMenu);
    ASSERT_EQ(forecast.size(), 9);
    EXPECT_EQ(forecast[0], "&Advance to next hour");
    EXPECT_EQ(forecast.mid(2), QStringList({"-", "&Slight risk", "&Moderate risk", "&High risk",
                                            "-", "Se&vere watch", "&Tornado watch"}));

    const std::pair<QAction*, QKeySequence> keys[] = {
        {m.Targeting1, Qt::Key_F12},
        {m.Measuredistance1, Qt::Key_M},
        {m.Visiblesatellite1, Qt::Key_F5},
        {m.SurfaceAnalysis1, Qt::Key_F6},
        {m.N850mb1, Qt::Key_F7},
        {m.N700mb1, Qt::Key_F8},
        {m.N500mb1, Qt::Key_F9},
        {m.N250mb1, Qt::Key_F10},
        {m.Sounding1, Qt::Key_F11},
        {m.Advancetonexthour1, Qt::Key_F4},
        {m.North1, Qt::Key_N},
        {m.South1, Qt::Key_S},
        {m.East1, Qt::Key_E},
        {m.West1, Qt::Key_W},
        {m.Zoomin1, Qt::Key_Z},
        {m.Zoomout1, Qt::Key_A},
    };
    for (const auto& [action, key] : keys)
        EXPECT_EQ(action->shortcut(), key) << action->text().toStdString();
    EXPECT_TRUE(m.Visiblesatellite1->isChecked());
    EXPECT_FALSE(m.Targeting1->isChecked());
}

TEST(MainForm, LeftPanelCarriesItsControls) {
    GuiFixture f;
    TfMainForm& m = *f.Form;
    EXPECT_EQ(m.AdvanceHour->text(), "Advance to next hour");
    EXPECT_EQ(m.RevealDateButton->text(), "Reveal the case date");
    EXPECT_EQ(m.PlayRevButton->toolTip(), "Play in reverse");
    EXPECT_EQ(m.StepRevButton->toolTip(), "Step backward");
    EXPECT_EQ(m.PauseButton->toolTip(), "Stop");
    EXPECT_EQ(m.StepFwdButton->toolTip(), "Step forward");
    EXPECT_EQ(m.PlayFwdButton->toolTip(), "Play forward");
    EXPECT_EQ(m.LoopSpeed->minimum(), 100);
    EXPECT_EQ(m.LoopSpeed->maximum(), 2000);
    EXPECT_EQ(m.LoopSpeed->value(), 250);
    EXPECT_EQ(m.DwellSpeed->minimum(), 100);
    EXPECT_EQ(m.DwellSpeed->maximum(), 5000);
    EXPECT_EQ(m.DwellSpeed->value(), 1000);
    EXPECT_EQ(m.LoopSpeedText->text(), "Loop speed");
    EXPECT_EQ(m.DwellSpeedText->text(), "Dwell speed");
    for (QLabel* l :
         {m.StatHome, m.StatAwait, m.StatEmpty, m.StatSvr, m.StatTor, m.StatBust, m.StatRange})
        EXPECT_EQ(l->text(), "0");
    // The development tools stay hidden outside development mode.
    for (QPushButton* b :
         {m.ShowBuffer, m.BuildDataFilesButton, m.BuildManifest, m.DeleteAreaFiles})
        EXPECT_TRUE(b->isHidden());
}

TEST(MainForm, FirstShowRestoresPlacementAndShowsTheDefaultCaseAtNoon) {
    GuiFixture f;
    f.Show(f.Temp.path() + "/appdata/", f.Temp.path() + "/disc/");
    TfMainForm& m = *f.Form;
    EXPECT_EQ(m.CurDateLabel->text(), "Tue 10 Apr 1979");
    EXPECT_EQ(m.CurTimeLabel->text(), "12:00 UTC");
    EXPECT_EQ(m.State().Clock.ElapsedHours, 0);
    EXPECT_EQ(m.State().Kind, ChartKind::VisibleSatellite);
    EXPECT_FALSE(m.State().Polygon.IsSet());
    // First run: no stored placement, so the window opens maximized.
    EXPECT_TRUE(m.windowState() & Qt::WindowMaximized);
    // The sound item reads the default "on".
    EXPECT_EQ(m.WarningSounds->text(), "Warning sounds are on (click to change)");
    EXPECT_EQ(m.WarningSoundsTag, 1);
}

TEST(MainForm, TheProgramMakesTheOtherWindowsWhenFirstNeededAndKeepsThem) {
    GuiFixture f;
    f.Form->SetWindows({}); // the fixture's own stay children of the form, unused
    f.Form->MakeWindowsWhenNeeded();
    f.Show(f.Temp.path() + "/appdata/", f.Temp.path() + "/disc/");
    const Windows& w = f.Form->OtherWindows();
    EXPECT_TRUE(!w.Product && !w.LoadCase && !w.RandomCase && !w.About && !w.Information);
    QStringList shown;
    auto openAbout = [&] {
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            shown << (modal ? modal->windowTitle() : QStringLiteral("none"));
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->accept();
        });
        f.Form->About1->trigger();
    };
    openAbout();
    TfAbout* first = w.About;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->parent(), f.Form);
    openAbout();
    EXPECT_EQ(w.About, first); // made once, kept
    EXPECT_EQ(shown, QStringList({"About Nimbrel", "About Nimbrel"}));
    EXPECT_TRUE(!w.Product && !w.LoadCase && !w.RandomCase && !w.Information);
}

// Sound brings Qt Multimedia and its twenty libraries: only the first sound loads them.
TEST(MainForm, StartUpLoadsNoSoundLibraryAndTheFirstSoundLoadsTheModule) {
    GuiFixture f;
    f.Show(f.Temp.path() + "/appdata/", f.Temp.path() + "/disc/");
    EXPECT_FALSE(Loaded("libQt6Multimedia"));
    EXPECT_FALSE(Loaded("nimbrel_sound"));
    SoundPlayer player;
    player.Play(f.Temp.path() + "/no-such.wav"); // a missing file plays nothing
    player.Stop();
    EXPECT_TRUE(Loaded("nimbrel_sound"));
    EXPECT_TRUE(Loaded("libQt6Multimedia"));
}

TEST(MainForm, FoldersCommandNamesTheThreeFolders) {
    GuiFixture f;
    f.Show("/tmp/a/", "/tmp/root/");
    f.Prompts->Shown.clear();
    f.Form->Folders1->trigger();
    ASSERT_EQ(f.Prompts->Shown.size(), 1);
    EXPECT_EQ(f.Prompts->Shown[0],
              "I:CaseRootDirectory is /tmp/root/ and CaseDirectory is /tmp/root/1979-04-10/ and "
              "AppDataDirectory is /tmp/a/");
}

TEST(MainForm, ChangeCdLocationTakesThePickedFilesFolderOnly) {
    auto prompts = std::make_unique<RecordingPrompts>();
    RecordingPrompts* shown = prompts.get();
    TfMainForm m(nullptr, std::move(prompts),
                 [] { return QStringLiteral("/media/cases/anything.exe"); });
    m.ChangeCDlocation1->trigger();
    EXPECT_EQ(m.State().Folders.CaseRootDirectory, "/media/cases/");
    EXPECT_EQ(m.State().Folders.CaseDirectory, "/media/cases/1979-04-10/");
    ASSERT_FALSE(shown->Shown.isEmpty());
    EXPECT_TRUE(shown->Shown.last().startsWith("I:In the next screen you must navigate"));
}

TEST(MainForm, ClosingStoresPlacementNeverBelowZero) {
    GuiFixture f;
    f.Show(f.Temp.path() + "/a/", f.Temp.path() + "/d/");
    f.Form->setWindowState(Qt::WindowNoState);
    f.Form->setGeometry(-40, 30, 700, 500);
    f.Form->close();
    QSettings store = PreferenceStore();
    const WindowPlacement p = ReadPlacement(store);
    EXPECT_EQ(p.Left, 0);
    EXPECT_FALSE(p.Maximized);
    store.clear();
}

TEST(MainForm, StoredPlacementIsTheOuterGeometryAndCloseThenStartIsAFixedPoint) {
    QSettings store = PreferenceStore();
    WindowPlacement p;
    p.Left = 50;
    p.Top = 40;
    p.Width = 800;
    p.Height = 600;
    p.Maximized = false;
    WritePlacement(store, p);
    for (int run = 0; run < 2; ++run) {
        GuiFixture f;
        f.Show(f.Temp.path() + "/a/", f.Temp.path() + "/d/");
        ASSERT_NE(f.Form->frameGeometry(), f.Form->geometry()); // the window has a frame
        EXPECT_EQ(f.Form->frameGeometry(), QRect(50, 40, 800, 600)) << "run " << run;
        f.Form->close();
        const WindowPlacement q = ReadPlacement(store);
        EXPECT_EQ(QRect(q.Left, q.Top, q.Width, q.Height), QRect(50, 40, 800, 600)) << run;
    }
    store.clear();
}

TEST(MainForm, WarningSoundsItemTogglesAndTwoClicksRestore) {
    GuiFixture f;
    f.Show(f.Temp.path() + "/a/", f.Temp.path() + "/d/");
    QSettings store = PreferenceStore();
    const int before = ReadInteger(store, "Window", "WarningSounds", 1);
    f.Form->WarningSounds->trigger();
    EXPECT_EQ(f.Form->WarningSounds->text(), "Warning sounds are off (click to change)");
    f.Form->WarningSounds->trigger();
    store.sync();
    EXPECT_EQ(ReadInteger(store, "Window", "WarningSounds", 1), before);
    EXPECT_EQ(f.Form->WarningSounds->text(), "Warning sounds are on (click to change)");
}
