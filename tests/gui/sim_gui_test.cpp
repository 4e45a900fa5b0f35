// The clock display, the hourly advance, the report flash and the extraction button on
// the real main window.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "base/datetime.h"
#include "debrief/replay.h"
#include "gui/gui_support.h"
#include "reports/report_file.h"
#include "sim/hourly_advance.h"
#include "ui/imageview.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

StormReport Tornado(DateTime time, GeoPoint start) {
    StormReport r;
    r.Time = time;
    r.Kind = static_cast<std::int32_t>(ReportKind::Tornado);
    r.Start = start;
    return r;
}

/// A per-user folder with the shipped files and a case root holding 1979-04-10 with
/// one tornado report at 1230 UTC.
struct SimWindow {
    SimWindow() {
        app = f.Temp.path() + QStringLiteral("/appdata/");
        root = f.Temp.path() + QStringLiteral("/disc/");
        QDir().mkpath(app);
        QDir().mkpath(root + QStringLiteral("1979-04-10"));
        const QString shipped = ShippedDataDir() + QStringLiteral("appdata/");
        for (const QString& name : QDir(shipped).entryList(QDir::Files))
            QFile::copy(shipped + name, app + name);
        WriteReports(root + QStringLiteral("1979-04-10/rpt.dat"),
                     {Tornado(EncodeDate(1979, 4, 10) + EncodeTime(12, 30, 0), {36.0, -98.0})});
        // Another day's working copy left from an earlier run.
        WriteFile(app + QStringLiteral("rpt.dat"), QByteArray(64 * 3, '\0'));
    }
    int StatSum() const {
        int n = 0;
        for (QLabel* l : {m().StatHome, m().StatAwait, m().StatEmpty, m().StatSvr, m().StatTor,
                          m().StatBust, m().StatRange})
            n += l->text().toInt();
        return n;
    }
    TfMainForm& m() const { return *f.Form; }
    GuiFixture f;
    QString app, root;
};

} // namespace

TEST(SimWindow, ClockLabelsAndTheAdvanceButtons) {
    SimWindow w;
    w.f.Show(w.app, w.root);
    TfMainForm& m = w.m();
    EXPECT_EQ(m.CurDateLabel->text(), QStringLiteral("Tue 10 Apr 1979"));
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("12:00 UTC"));
    EXPECT_EQ(m.CurTimeLabel->width(), 125);
    EXPECT_TRUE(m.CurDateLabel->alignment() & Qt::AlignHCenter);
    // Showing the window brought the working copy in line with the case's own file.
    EXPECT_EQ(ReadFile(w.app + "rpt.dat"), ReadFile(w.root + "1979-04-10/rpt.dat"));

    m.AdvanceHour->click();
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("13:00 UTC"));
    m.Advancetonexthour1->trigger();
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("14:00 UTC"));
    EXPECT_EQ(m.State().Clock.ElapsedHours, 2);
    int onTheRoad = 0;
    for (const Chaser& c : m.State().Chasers)
        onTheRoad += c.Mode == ChaserMode::Chasing;
    EXPECT_EQ(w.StatSum(), onTheRoad); // waiting chasers are in no counter
    EXPECT_EQ(m.StatAwait->text().toInt(), TallyAtLastHour(m.State().Replay).Awaiting);

    m.State().Clock.DateHidden = true;
    m.UpdateTimeDisplay();
    EXPECT_EQ(m.CurDateLabel->text(), QStringLiteral("--- -- ----"));
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("14:00 UTC"));

    for (int i = 2; i < 23; ++i)
        m.AdvanceHour->click();
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("11:00 UTC"));
    EXPECT_EQ(w.f.Prompts->Shown.count(QStringLiteral("I:") + DarknessText), 8);
    m.AdvanceHour->click();
    EXPECT_EQ(w.f.Prompts->Shown.last(), QStringLiteral("I:") + DayOverText);
    EXPECT_EQ(m.State().Clock.ElapsedHours, 23);
    EXPECT_EQ(w.StatSum(), m.StatAwait->text().toInt() + m.StatEmpty->text().toInt() +
                               m.StatSvr->text().toInt() + m.StatTor->text().toInt() +
                               m.StatBust->text().toInt() + m.StatRange->text().toInt());
    EXPECT_EQ(w.StatSum(), 49); // everybody is on the road home by 1100 UTC
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('|').toStdString();
}

TEST(SimWindow, AReportFileCutShortShowsTheErrorAndKeepsTheCounts) {
    SimWindow w;
    w.f.Show(w.app, w.root);
    TfMainForm& m = w.m();
    m.AdvanceHour->click();
    const QString before = m.StatAwait->text() + m.StatHome->text();
    WriteFile(w.root + "1979-04-10/rpt.dat", QByteArray(100, '\0'));
    for (QLabel* l : {m.StatAwait, m.StatHome})
        l->setText(QStringLiteral("x"));
    m.AdvanceHour->click();
    ASSERT_EQ(w.f.Errors.size(), 1);
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("14:00 UTC")); // the clock step stays
    EXPECT_EQ(m.StatAwait->text(), QStringLiteral("x"));            // counts untouched
    EXPECT_EQ(m.StatHome->text(), QStringLiteral("x"));
}

TEST(SimWindow, ACutShortFileOnTheTargetMapShowsOneMessageAndStopsTheFlash) {
    SimWindow w;
    w.f.Show(w.app, w.root);
    TfMainForm& m = w.m();
    m.Targeting1->trigger();
    ASSERT_TRUE(m.ReportsTimer.isActive());
    WriteFile(w.root + "1979-04-10/rpt.dat", QByteArray(100, '\0'));
    m.Advancetonexthour1->trigger();
    EXPECT_FALSE(m.ReportsTimer.isActive());
    QTest::qWait(700); // a live timer would fail on the same file under the message
    EXPECT_EQ(w.f.Errors.size(), 1) << w.f.Errors.join('|').toStdString();
}

TEST(SimWindow, RecentReportsBlinkOnTheTargetMap) {
    SimWindow w;
    w.f.Show(w.app, w.root);
    TfMainForm& m = w.m();
    m.AdvanceHour->click(); // 1300 UTC: the 1230 tornado is recent
    m.Targeting1->trigger();
    ASSERT_EQ(m.State().Kind, ChartKind::TargetMap);
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('|').toStdString();
    const QImage full = m.BufImg->Picture();
    const PixelPoint p = ProjectToScreen(m.State().TheViewport, {36.0, -98.0});
    ASSERT_TRUE(full.rect().contains(p.X, p.Y));
    m.ReportsTimerTimer();
    const QImage once = m.BufImg->Picture();
    EXPECT_NE(once.pixel(p.X, p.Y - 2), full.pixel(p.X, p.Y - 2));
    m.ReportsTimerTimer();
    EXPECT_EQ(m.BufImg->Picture(), full);

    // On a chart the timer does nothing.
    m.Visiblesatellite1->trigger();
    const QImage chart = m.BufImg->Picture();
    m.ReportsTimerTimer();
    EXPECT_EQ(m.BufImg->Picture(), chart);
}

TEST(SimWindow, BuildDataFilesButtonRunsTheExtractionFromRef) {
    SimWindow w;
    w.f.Show(w.app, w.root);
    TfMainForm& m = w.m();
    const QString work = w.f.Temp.path() + QStringLiteral("/work/");
    QDir().mkpath(work + "ref");
    WriteFile(work + "ref/70-79_torn.csv",
              "1,1979,4,10,x,15:10:00,3,TX,48,1,2,0,0,0,0,33.9,-98.5,34.0,-98.3,1,1\n");
    WriteFile(work + "ref/70-79_hail.csv", {});
    WriteFile(work + "ref/70-79_wind.csv", {});
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(work);
    m.BuildDataFilesButton->click();
    QDir::setCurrent(cwd);
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('|').toStdString();
    EXPECT_EQ(m.BuildDataFilesButton->text(), QStringLiteral("Idle"));
    const auto r = ReadReports(w.root + "1979-04-10/rpt.dat");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].State, QStringLiteral("TX"));

    // A missing source file is reported and the caption keeps its progress text.
    QFile::remove(work + "ref/70-79_hail.csv");
    QDir::setCurrent(work);
    m.BuildDataFilesButton->click();
    QDir::setCurrent(cwd);
    ASSERT_EQ(w.f.Errors.size(), 1);
    EXPECT_TRUE(w.f.Errors[0].startsWith("File not found\n/")) << w.f.Errors[0].toStdString();
    EXPECT_TRUE(w.f.Errors[0].endsWith("ref/70-79_hail.csv")) << w.f.Errors[0].toStdString();
    EXPECT_EQ(m.BuildDataFilesButton->text(), QStringLiteral("[1/1] 1979-04-10"));
}

// The shipped 1979-04-10 case under a tornado watch along the Red River, advanced to
// 0000 UTC: chasers are out and catching storms, and the reports of 2300-0000 UTC blink.
TEST(SimWindow, ShippedCaseDayOnTheTargetMap) {
    const QString disc = ShippedDataDir() + QStringLiteral("disc/");
    if (!QFileInfo::exists(disc + QStringLiteral("1979-04-10/rpt.dat")))
        GTEST_SKIP() << "sample disc absent";
    SimWindow w;
    w.f.Show(w.app, disc);
    TfMainForm& m = w.m();
    Session& s = m.State();
    s.Polygon.GeoVertices = {GeoPoint{33.0, -99.5}, GeoPoint{33.5, -99.5}, GeoPoint{34.0, -99.5},
                             GeoPoint{35.0, -97.0}, GeoPoint{35.5, -97.0}, GeoPoint{36.0, -97.0}};
    s.LastProductKind = 5;
    s.ProductThisHour = 1;
    s.Rng.Seed(11);
    m.Targeting1->trigger();
    for (int i = 0; i < 12; ++i)
        m.AdvanceHour->click();
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('|').toStdString();
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("00:00 UTC"));
    int away = 0;
    for (const Chaser& c : s.Chasers)
        away += c.Position.Latitude != c.Home.Latitude;
    EXPECT_GT(away, 30);
    EXPECT_GT(m.StatSvr->text().toInt() + m.StatTor->text().toInt(), 0);

    // Every timer refresh redraws the chasers in copy mode before the reports, so a
    // report under a chaser's icon or heading stroke does not come back to its colour;
    // everywhere else two ticks give back the full refresh.
    auto nearAChaser = [&](int x, int y) {
        for (const Chaser& c : s.Chasers) {
            const PixelPoint p = ProjectToScreen(s.TheViewport, c.Position);
            if (std::abs(x - p.X) <= 21 && std::abs(y - p.Y) <= 21) return true;
        }
        return false;
    };
    auto differences = [&](const QImage& a, const QImage& b, bool awayFromChasers) {
        int n = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                n += a.pixel(x, y) != b.pixel(x, y) && (!awayFromChasers || !nearAChaser(x, y));
        return n;
    };
    const QImage full = m.BufImg->Picture();
    m.ReportsTimerTimer();
    const QImage once = m.BufImg->Picture();
    EXPECT_GT(differences(full, once, false), 0); // the chasers themselves drew the same
    m.ReportsTimerTimer();
    EXPECT_EQ(differences(full, m.BufImg->Picture(), true), 0);
}
