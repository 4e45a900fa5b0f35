#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "base/datetime.h"
#include "base/errors.h"
#include "map/basemap.h"
#include "reports/report_file.h"
#include "reports/report_layer.h"
#include "support/test_support.h"

using namespace nimbrel;

namespace {

// The tests place reports straight in pixels: latitude is the row, longitude the column.
PixelPoint Identity(const GeoPoint& p) {
    return {static_cast<std::int32_t>(p.Longitude), static_cast<std::int32_t>(p.Latitude)};
}

const DateTime Day = EncodeDate(1979, 4, 10);
const DateTime Six = Day + 18.0 / 24.0; // 1800 UTC

const QRgb White = qRgb(255, 255, 255);
const QRgb TornadoLine = qRgb(255, 68, 68);
const QRgb TornadoFill = qRgb(255, 34, 34);
const QRgb HailGreen = qRgb(0, 170, 0);
const QRgb WindBlue = qRgb(0, 0, 170);

StormReport At(ReportKind kind, DateTime time, int x, int y) {
    StormReport r;
    r.Time = time;
    r.Kind = static_cast<std::int32_t>(kind);
    r.Start = {static_cast<double>(y), static_cast<double>(x)};
    return r;
}

QImage Blank() {
    QImage img(120, 60, QImage::Format_RGB32);
    img.fill(White);
    return img;
}

struct LayerFixture : ::testing::Test {
    QString Path() const { return temp.path() + QStringLiteral("/rpt.dat"); }
    void Draw(QImage& img, bool flash) { DrawReports(img, Identity, Path(), Six, flash); }
    QTemporaryDir temp;
};

} // namespace

TEST_F(LayerFixture, SymbolsByKindInTheirColours) {
    StormReport track = At(ReportKind::Tornado, Day + 0.5, 20, 20);
    track.End = {20.0, 60.0}; // a track running 40 pixels to the right
    StormReport noTrack = At(ReportKind::Tornado, Day + 0.5, 20, 45);
    StormReport odd = At(ReportKind::Tornado, Day + 0.5, 100, 45);
    odd.Kind = 4;
    WriteReports(Path(), {track, noTrack, At(ReportKind::Hail, Day + 0.5, 80, 20),
                          At(ReportKind::Wind, Day + 0.5, 100, 20), odd});
    QImage img = Blank();
    Draw(img, false);

    EXPECT_EQ(img.pixel(20, 18), TornadoFill); // inside the downward triangle
    EXPECT_EQ(img.pixel(20, 25), TornadoLine); // its tip at (x, y + 5)
    EXPECT_EQ(img.pixel(45, 20), TornadoLine); // the track, well away from the triangle
    EXPECT_EQ(img.pixel(20, 43), TornadoFill);
    for (int x = 27; x < 60; ++x)
        EXPECT_EQ(img.pixel(x, 45), White) << x; // no track

    EXPECT_EQ(img.pixel(80, 23), HailGreen); // base of the upward triangle
    EXPECT_EQ(img.pixel(80, 15), HailGreen); // its apex
    EXPECT_EQ(img.pixel(80, 20), White);     // outline only
    EXPECT_EQ(img.pixel(100, 20), WindBlue); // centre of the X
    EXPECT_EQ(img.pixel(97, 17), WindBlue);
    EXPECT_EQ(img.pixel(100, 17), White);

    for (int y = 35; y < 56; ++y)
        for (int x = 90; x < 111; ++x)
            ASSERT_EQ(img.pixel(x, y), White) << "kind 4 drawn";
}

TEST_F(LayerFixture, AgesAtTheHourBoundariesAndTheFlash) {
    WriteReports(Path(), {
                             At(ReportKind::Wind, Day + EncodeTime(17, 0, 0), 15, 15),  // recent
                             At(ReportKind::Wind, Day + EncodeTime(16, 59, 0), 40, 15), // old
                             At(ReportKind::Wind, Day + EncodeTime(18, 0, 1), 65, 15),  // future
                             At(ReportKind::Wind, Day + EncodeTime(18, 0, 0), 90, 15),  // recent
                         });
    QImage full = Blank();
    Draw(full, false);
    EXPECT_EQ(full.pixel(15, 15), WindBlue);
    EXPECT_EQ(full.pixel(40, 15), WindBlue);
    EXPECT_EQ(full.pixel(65, 15), White);
    EXPECT_EQ(full.pixel(90, 15), WindBlue);

    QImage ticked = full;
    Draw(ticked, true);
    EXPECT_EQ(full.pixel(12, 12), WindBlue);
    EXPECT_EQ(ticked.pixel(12, 12), White); // exactly one hour old still flashes
    EXPECT_EQ(ticked.pixel(87, 12), White);
    EXPECT_EQ(ticked.pixel(37, 12), WindBlue);
    EXPECT_EQ(ticked.pixel(40, 15), WindBlue); // older ones stay steady
    EXPECT_EQ(ticked.pixel(65, 15), White);

    Draw(ticked, true);
    EXPECT_EQ(ticked, full);
}

TEST_F(LayerFixture, OneTickHidesEverySymbolWholeAndTheNextBringsItBack) {
    StormReport tornado = At(ReportKind::Tornado, Day + EncodeTime(17, 30, 0), 20, 20);
    tornado.End = {40.0, 50.0};
    WriteReports(Path(), {tornado, At(ReportKind::Hail, Day + EncodeTime(17, 30, 0), 70, 20),
                          At(ReportKind::Wind, Day + EncodeTime(17, 30, 0), 95, 20)});
    // On white, one tick leaves no trace of any symbol: every pixel of a symbol (its
    // corners, the crossing of the X, the tornado's outline over its fill and its track
    // from the tip) is toggled exactly once.
    QImage white = Blank();
    Draw(white, false);
    ASSERT_NE(white, Blank());
    Draw(white, true);
    for (int y = 0; y < white.height(); ++y)
        for (int x = 0; x < white.width(); ++x)
            ASSERT_EQ(white.pixel(x, y), White) << "a fragment stays at " << x << "," << y;

    QImage full(120, 60, QImage::Format_RGB32);
    for (int y = 0; y < full.height(); ++y)
        for (int x = 0; x < full.width(); ++x)
            full.setPixel(x, y, qRgb(x * 2, y * 4, 90));
    Draw(full, false);
    QImage once = full;
    Draw(once, true);
    EXPECT_NE(once, full);
    EXPECT_NE(once.pixel(20, 18), full.pixel(20, 18));
    QImage twice = once;
    Draw(twice, true);
    EXPECT_EQ(twice, full);
}

TEST_F(LayerFixture, MissingEmptyAndCutShortFiles) {
    QImage img = Blank();
    EXPECT_NO_THROW(Draw(img, false)); // no working copy: nothing, silently
    EXPECT_EQ(img, Blank());
    test::WriteFile(Path(), {});
    EXPECT_NO_THROW(Draw(img, true));
    EXPECT_EQ(img, Blank());

    QByteArray bytes = EncodeReport(At(ReportKind::Wind, Day + 0.5, 20, 20));
    bytes += EncodeReport(At(ReportKind::Wind, Day + 0.5, 50, 20)).left(40);
    test::WriteFile(Path(), bytes);
    EXPECT_THROW(Draw(img, false), DataError);
    EXPECT_EQ(img.pixel(20, 20), WindBlue); // drawn before the partial record
    EXPECT_EQ(img.pixel(50, 20), White);
}

TEST_F(LayerFixture, LeavesThePainterInCopyMode) {
    WriteReports(Path(), {At(ReportKind::Hail, Day + EncodeTime(17, 30, 0), 20, 20)});
    QImage img = Blank();
    QPainter p(&img);
    DrawReports(p, Identity, Path(), Six, true);
    EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
    test::WriteFile(Path(), QByteArray(30, '\0'));
    EXPECT_THROW(DrawReports(p, Identity, Path(), Six, true), DataError);
    EXPECT_EQ(p.compositionMode(), QPainter::CompositionMode_SourceOver);
}

// Drawing on a picture (symbols laid down from stamps, tracks composed on one scratch
// layer) sets the very pixels the painter's drawing sets: every kind, with and without
// tracks, from well inside the picture to over its edges, in a full refresh and two
// ticks; and the shipped day's reports on the real map view.
TEST_F(LayerFixture, PictureDrawingMatchesThePaintersPixelForPixel) {
    std::vector<StormReport> made;
    std::uint32_t seed = 7;
    auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(n));
    };
    for (int i = 0; i < 600; ++i) {
        const DateTime time = Day + EncodeTime(16 + next(2), next(60), 0);
        StormReport r =
            At(static_cast<ReportKind>(1 + next(4)), time, next(150) - 15, next(90) - 15);
        if (next(2) == 1)
            r.End = {r.Start.Latitude + next(61) - 30, r.Start.Longitude + next(61) - 30};
        made.push_back(r);
    }
    ProjectionDescriptor view;
    ResetViewport(view);
    const ScreenProjector onMap = [&view](const GeoPoint& p) { return ProjectToScreen(view, p); };
    struct Scene {
        QString Reports;
        ScreenProjector Project;
        QSize Size;
        DateTime Clock;
    };
    WriteReports(Path(), made);
    const QString day = temp.path() + QStringLiteral("/day.dat");
    ASSERT_TRUE(
        QFile::copy(test::ShippedDataDir() + QStringLiteral("/disc/1979-04-10/rpt.dat"), day));
    for (const Scene& scene :
         {Scene{Path(), Identity, QSize(120, 60), Six},
          Scene{day, onMap, QSize(view.Width, view.Height), Day + EncodeTime(23, 30, 0)}}) {
        SCOPED_TRACE(scene.Reports.toStdString());
        QImage byPainter(scene.Size, QImage::Format_RGB32);
        for (int y = 0; y < byPainter.height(); ++y)
            for (int x = 0; x < byPainter.width(); ++x)
                byPainter.setPixel(x, y, qRgb(x * 37 % 256, y * 91 % 256, (x ^ y) % 256));
        QImage byPicture = byPainter.copy();
        // The timer's way: what each flash toggles is kept from one refresh to the next.
        QImage byMemory = byPainter.copy();
        ToggleMemory memory;
        const ReportList list = ReadReportList(scene.Reports);
        std::vector<PlacedReport> placed;
        for (const StormReport& r : list.Records)
            placed.push_back({scene.Project(r.Start), scene.Project(r.End)});
        // With the memory, the off phase is the picture without the last hour's reports.
        QImage withoutRecent = byPainter.copy();
        ReportList older = list;
        for (StormReport& r : older.Records)
            if (AgeOf(r, scene.Clock) == ReportAge::Recent) r.Kind = 0;
        DrawReports(withoutRecent, older, placed, scene.Clock, false);
        int tick = 0;
        for (bool flash : {false, true, true, true}) {
            {
                QPainter p(&byPainter);
                DrawReports(p, scene.Project, scene.Reports, scene.Clock, flash);
            }
            DrawReports(byPicture, scene.Project, scene.Reports, scene.Clock, flash);
            ASSERT_EQ(byPicture, byPainter) << "flash " << flash;
            DrawReports(byMemory, list, placed, scene.Clock, flash, &memory);
            ASSERT_EQ(byMemory, tick % 2 == 1 ? withoutRecent : byPainter) << "kept, tick " << tick;
            ++tick;
        }
    }
}

// Overlapping symbols of the last hour on the shipped days, over the real map: the off
// phase of the timer is the map without them, pixel for pixel, and the next refresh
// brings back the full picture. Without the memory, nothing of them stays visible.
TEST_F(LayerFixture, OverlappingRecentSymbolsVanishWholeOnTheShippedDays) {
    const QString data = test::ShippedDataDir();
    ProjectionDescriptor view;
    ResetViewport(view);
    view.Width = 1000;
    view.Height = 800;
    for (const auto& [day, hour] : {std::pair{QStringLiteral("1992-11-21"), 20},
                                    std::pair{QStringLiteral("1979-04-10"), 22}}) {
        SCOPED_TRACE(day.toStdString());
        const QString file = data + QStringLiteral("/disc/") + day + QStringLiteral("/rpt.dat");
        if (!QFileInfo::exists(file)) GTEST_SKIP() << "missing " << file.toStdString();
        const QDate date = QDate::fromString(day, Qt::ISODate);
        const DateTime clock =
            EncodeDate(date.year(), date.month(), date.day()) + EncodeTime(hour, 0, 0);
        // The map is drawn in a folder of its own: drawing writes its cache beside the files.
        const QString appData = temp.path() + QStringLiteral("/app/");
        QDir().mkpath(appData);
        for (const QString& name : {FineLinesFile, BoldLinesFile, OutlinesFile})
            QFile::copy(data + QStringLiteral("/appdata/") + name, appData + name);
        QImage map;
        DrawBasemap(appData, view, QSize(1000, 800), map);
        map = map.convertToFormat(QImage::Format_RGB32);
        const ReportList list = ReadReportList(file);
        std::vector<PlacedReport> placed;
        for (const StormReport& r : list.Records)
            placed.push_back({ProjectToScreen(view, r.Start), ProjectToScreen(view, r.End)});
        ReportList older = list;
        int recent = 0;
        for (StormReport& r : older.Records)
            if (AgeOf(r, clock) == ReportAge::Recent && r.Kind >= 1 && r.Kind <= 3) {
                r.Kind = 0;
                ++recent;
            }
        ASSERT_GT(recent, 1);
        QImage without = map.copy();
        DrawReports(without, older, placed, clock, false);

        QImage picture = map.copy();
        ToggleMemory memory;
        DrawReports(picture, list, placed, clock, false, &memory);
        const QImage full = picture.copy();
        DrawReports(picture, list, placed, clock, true, &memory);
        EXPECT_EQ(picture, without);
        DrawReports(picture, list, placed, clock, true, &memory);
        EXPECT_EQ(picture, full);

        // Without the memory: on a white picture the tick leaves only the older reports.
        QImage white(map.size(), QImage::Format_RGB32);
        white.fill(White);
        QImage whiteWithout = white.copy();
        DrawReports(whiteWithout, older, placed, clock, false);
        DrawReports(white, list, placed, clock, false);
        const QImage whiteFull = white.copy();
        DrawReports(white, list, placed, clock, true);
        int stray = 0;
        for (int y = 0; y < white.height(); ++y)
            for (int x = 0; x < white.width(); ++x)
                if (white.pixel(x, y) != White && white.pixel(x, y) != whiteWithout.pixel(x, y))
                    ++stray;
        EXPECT_EQ(stray, 0);
        DrawReports(white, list, placed, clock, true);
        EXPECT_EQ(white, whiteFull);
    }
}
