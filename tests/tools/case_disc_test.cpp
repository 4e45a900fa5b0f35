// The sample case disc: the catalogue and each day's files as the program reads them,
// the sample frames' names and pictures, and a smoke test over the disc the build
// assembles.
#include <set>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QTemporaryDir>

#include "base/datetime.h"
#include "base/mask.h"
#include "base/records.h"
#include "case_data.h"
#include "case_list.h"
#include "cases/case_load.h"
#include "cases/catalogue.h"
#include "charts.h"
#include "disc/disc_instructor.h"
#include "disc/disc_kit.h"
#include "geography.h"
#include "raster.h"
#include "reports/report_file.h"
#include "support/test_support.h"
#include "viewer/decoders.h"
#include "viewer/frames.h"
#include "viewer/stations.h"

using namespace nimbrel;

namespace {

QString Shipped() {
    return test::ShippedDataDir();
}
// The three days with written narratives.
const QStringList CaseDays = {QStringLiteral("1979-04-10"), QStringLiteral("1999-05-03"),
                              QStringLiteral("2007-05-04")};

// Every day of the sample disc.
QStringList AllDays() {
    QStringList days =
        ListMatching(Shipped() + QStringLiteral("disc/"), QStringLiteral("????-??-??"));
    days.sort();
    return days;
}

DateTime DayOf(const QString& day) {
    return EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
}

// Counts the rows of a report table dated `day`, by kind of row, independently of the
// extraction (plain field splitting).
int RowsOn(const QString& table, const QString& day) {
    int count = 0;
    for (const QByteArray& line : ReadWholeFile(table).split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() < 5) continue;
        if (f[1].toInt() == day.left(4).toInt() && f[2].toInt() == day.mid(5, 2).toInt() &&
            f[3].toInt() == day.mid(8, 2).toInt())
            ++count;
    }
    return count;
}

} // namespace

TEST(CatalogueTest, ShippedCatalogueListsTheDiscsDaysWithHonestFields) {
    const CatalogueRead read = ReadCaseCatalogue(Shipped() + QStringLiteral("appdata/nimbrel.cas"));
    ASSERT_TRUE(read.Ok()) << read.Error.toStdString();
    ASSERT_EQ(read.Entries.size(), std::size_t(AllDays().size()));
    ASSERT_GE(read.Entries.size(), 20u);
    QStringList days;
    std::set<QChar> events;
    std::set<int> rankings;
    for (const CaseEntry& e : read.Entries) {
        days << e.CaseDate;
        EXPECT_GE(e.Ranking, 0);
        EXPECT_LE(e.Ranking, 5);
        int eventLetters = 0;
        for (QChar c : e.Codes) {
            EXPECT_TRUE(QStringLiteral("NSTDCFOMUWZH").contains(c)) << e.Codes.toStdString();
            if (QStringLiteral("NST").contains(c)) {
                ++eventLetters;
                events.insert(c);
            }
        }
        EXPECT_EQ(eventLetters, 1) << e.Codes.toStdString();
        EXPECT_GE(e.Codes.size(), 2) << "a regime letter: " << e.Codes.toStdString();
        rankings.insert(e.Ranking);
        EXPECT_FALSE(e.Description.isEmpty());
        // The list line hands the day on; loading it must lead to the day's folder.
        const CaseLoad load =
            PrepareCaseLoad(CaseListLine(e), true, true, Shipped() + QStringLiteral("disc/"));
        EXPECT_TRUE(QFileInfo(load.CaseDirectory + QStringLiteral("rpt.dat")).isFile())
            << load.CaseDirectory.toStdString();
    }
    days.sort();
    EXPECT_EQ(days, AllDays());
    // Every event box and every minimum ranking of the random-case dialog draws a day.
    EXPECT_EQ(events, (std::set<QChar>{QLatin1Char('N'), QLatin1Char('S'), QLatin1Char('T')}));
    for (int level = 1; level <= 5; ++level)
        EXPECT_TRUE(rankings.count(level)) << level;
}

TEST(CatalogueTest, RebuildingFromTheCaseListGivesTheShippedBytes) {
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/disc/");
    const QString appData = dir.path() + QStringLiteral("/appdata/");
    const QString kitAppData = dir.path() + QStringLiteral("/kit/");
    QDir().mkpath(appData);
    for (const QString& day : AllDays())
        QDir().mkpath(root + day);
    // The development-mode builder and the kit make the same catalogue.
    tools::MakeCatalogue(Shipped() + QStringLiteral("disc/chase-list.csv"), appData, root);
    EXPECT_EQ(ReadWholeFile(appData + QStringLiteral("nimbrel.cas")),
              ReadWholeFile(Shipped() + QStringLiteral("appdata/nimbrel.cas")));
    for (const QString& day : AllDays())
        QFile::remove(root + day + QStringLiteral("/fcst.txt"));
    disc::MakeCatalogue(root, Shipped() + QStringLiteral("disc/chase-list.csv"), kitAppData);
    EXPECT_EQ(ReadWholeFile(kitAppData + QStringLiteral("nimbrel.cas")),
              ReadWholeFile(Shipped() + QStringLiteral("appdata/nimbrel.cas")));
    for (const QString& day : AllDays())
        for (const char* name : {"narr.txt", "fcst.txt"}) {
            const QString shippedPath = Shipped() + QStringLiteral("disc/") + day +
                                        QLatin1Char('/') + QString::fromLatin1(name);
            const QString rebuilt = root + day + QLatin1Char('/') + QString::fromLatin1(name);
            // Only the days with written narratives have a forecast discussion.
            ASSERT_EQ(QFileInfo::exists(rebuilt), QFileInfo::exists(shippedPath))
                << day.toStdString() << name;
            if (!QFileInfo::exists(shippedPath)) continue;
            const QByteArray shipped = ReadWholeFile(shippedPath);
            EXPECT_EQ(ReadWholeFile(rebuilt), shipped) << day.toStdString() << name;
            // One line of text, ended by CR LF, as the builder writes it.
            EXPECT_GT(shipped.size(), 200);
            EXPECT_TRUE(shipped.endsWith("\r\n"));
            EXPECT_EQ(shipped.count('\n'), 1);
        }
}

TEST(CaseReportsTest, EachDayHoldsItsTablesRowsInsideTheDay) {
    for (const QString& day : CaseDays) {
        const std::vector<StormReport> reports =
            ReadReports(Shipped() + QStringLiteral("disc/") + day + QStringLiteral("/rpt.dat"));
        ASSERT_FALSE(reports.empty()) << day.toStdString();
        // The disc's reports are dated by the case window: 1200 UTC of the day to 1200
        // UTC of the next.
        const DateTime from = DayOf(day) + 0.5, to = DayOf(day) + 1.5;
        int lastKind = 0;
        for (const StormReport& r : reports) {
            EXPECT_GE(r.Time, from - 1e-9);
            EXPECT_LT(r.Time, to);
            EXPECT_TRUE(r.Kind == 1 || r.Kind == 2) << r.Kind; // no wind tables on this disc
            EXPECT_GE(r.Kind, lastKind) << "tornadoes first, then hail";
            lastKind = r.Kind;
            EXPECT_GT(r.Start.Latitude, 24.0);
            EXPECT_LT(r.Start.Longitude, -66.0);
        }
    }
    // Rows of the tables from 0600 CST of the day to 0600 CST of the next, counted with
    // awk: 35 tornado rows and 20 hail rows for 1979-04-10 (the calendar day has 31 and
    // 18, as the shared data's README says), 32 and 176 for 2007-05-04 (28 and 162).
    auto count = [](const QString& day, int kind) {
        int n = 0;
        for (const StormReport& r :
             ReadReports(Shipped() + QStringLiteral("disc/") + day + QStringLiteral("/rpt.dat")))
            if (r.Kind == kind) ++n;
        return n;
    };
    EXPECT_EQ(count(CaseDays[0], 1), 35);
    EXPECT_EQ(count(CaseDays[0], 2), 20);
    EXPECT_EQ(count(CaseDays[2], 1), 32);
    EXPECT_EQ(count(CaseDays[2], 2), 176);
}

TEST(CaseReportsTest, ReportsMatchTheTablesAndRebuildToTheSameBytes) {
    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared source data not present";
    const QString tables = shared + QStringLiteral("reports/");
    EXPECT_EQ(RowsOn(tables + QStringLiteral("90-99_torn.csv"), CaseDays[1]), 71);

    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    for (const QString& day : CaseDays)
        QDir().mkpath(root + day);
    // The report tool keeps the calendar day, which the kit's calendar window repeats
    // byte for byte; the shipped files are the kit's case window.
    tools::MakeCaseReports(tables, root);
    QTemporaryDir kitDir;
    const QString kit = kitDir.path() + QLatin1Char('/');
    for (const QString& day : CaseDays)
        QDir().mkpath(kit + day);
    disc::MakeWindowReports(kit, tables, {}, disc::Window::Calendar);
    for (const QString& day : CaseDays)
        EXPECT_EQ(ReadWholeFile(root + day + QStringLiteral("/rpt.dat")),
                  ReadWholeFile(kit + day + QStringLiteral("/rpt.dat")))
            << day.toStdString();
    disc::MakeWindowReports(kit, tables, {}, disc::Window::Case);
    for (const QString& day : CaseDays)
        EXPECT_EQ(
            ReadWholeFile(kit + day + QStringLiteral("/rpt.dat")),
            ReadWholeFile(Shipped() + QStringLiteral("disc/") + day + QStringLiteral("/rpt.dat")))
            << day.toStdString();
    // The first report of the default day is the table's first row of that day: a
    // tornado in Texas at 1308 CST, 1908 UTC, at 33.65 N 101.23 W.
    const StormReport first = ReadReports(root + CaseDays[0] + QStringLiteral("/rpt.dat")).at(0);
    EXPECT_EQ(first.Kind, 1);
    EXPECT_EQ(first.State, QStringLiteral("TX"));
    EXPECT_NEAR(first.Time, DayOf(CaseDays[0]) + (19 * 60 + 8) / 1440.0, 1e-6);
    EXPECT_DOUBLE_EQ(first.Start.Latitude, 33.65);
    EXPECT_DOUBLE_EQ(first.Start.Longitude, -101.23);
}

TEST(SampleFramesTest, NamesParseToTimesInsideTheCaseWindow) {
    const std::vector<tools::FrameSpec> frames = tools::FramesOfDay(1979, 4, 10);
    const DateTime start = EncodeDate(1979, 4, 10) + 0.5, end = start + 23 * OneHour;
    std::set<QString> names, kinds, extensions;
    int soundings = 0;
    for (const tools::FrameSpec& f : frames) {
        const QString name = f.FileName();
        EXPECT_TRUE(names.insert(name).second) << "duplicate " << name.toStdString();
        const DateTime valid = FrameValidTime(name);
        EXPECT_GE(valid, start - 1e-9) << name.toStdString();
        EXPECT_LE(valid, end + 1e-9) << name.toStdString();
        kinds.insert(name.left(4));
        extensions.insert(name.section(QLatin1Char('.'), -1));
        if (f.Prefix == QStringLiteral("skew")) ++soundings;
    }
    EXPECT_EQ(kinds, (std::set<QString>{"satv", "hsfc", "h850", "h700", "h500", "h250", "skew"}));
    EXPECT_EQ(extensions, (std::set<QString>{"gif", "jpg"}));
    EXPECT_EQ(soundings, 40);
    // Hand-checked names: the first satellite frame, the last surface one, and the OUN
    // sounding of 0000 UTC (filed under its row's second identifier).
    EXPECT_EQ(names.count(QStringLiteral("satv-790410-1200.jpg")), 1u);
    EXPECT_EQ(names.count(QStringLiteral("satv-790411-1100.jpg")), 1u);
    EXPECT_EQ(names.count(QStringLiteral("hsfc-790411-1100.gif")), 1u);
    EXPECT_EQ(names.count(QStringLiteral("skew-790411-0000-oun.gif")), 1u);
    EXPECT_EQ(names.count(QStringLiteral("skew-790411-0000-okc.gif")), 0u);
    EXPECT_EQ(names.count(QStringLiteral("h500-790410-1200.gif")), 1u);
    EXPECT_EQ(frames.size(), 47u + 24u + 8u + 40u);
}

TEST(SampleFramesTest, FramesDrawAtTheirSizeAndTheSameEveryTime) {
    const std::vector<tools::Polyline> outlines =
        tools::ReadOutlineFile(Shipped() + QStringLiteral("appdata/nimbrel.gis"));
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    ASSERT_EQ(tools::WriteSampleFrames(Shipped() + QStringLiteral("appdata/"), root,
                                       {QStringLiteral("2007-05-04")}),
              119);
    const QString folder = root + QStringLiteral("2007-05-04/");
    EXPECT_EQ(DecodeJpegFile(folder + QStringLiteral("satv-070504-1230.jpg")).size(),
              QSize(800, 600));
    EXPECT_EQ(DecodeGifFile(folder + QStringLiteral("hsfc-070505-0300.gif")).size(),
              QSize(800, 600));
    EXPECT_EQ(DecodeJpegFile(folder + QStringLiteral("h250-070505-0000.jpg")).size(),
              QSize(800, 600));
    EXPECT_EQ(DecodeGifFile(folder + QStringLiteral("skew-070504-1200-ddc.gif")).size(),
              QSize(480, 600));
    // A chart says in its middle, in plain words, that it holds nothing of the day.
    QImage said(tools::NoChartBand().size(), QImage::Format_RGB32);
    said.fill(Qt::white);
    {
        QPainter frame(&said);
        frame.setPen(Qt::black);
        frame.drawRect(said.rect().adjusted(0, 0, -1, -1));
    }
    tools::DrawText(said, tools::NoChartMargin, tools::NoChartMargin, tools::NoChartText, Qt::black,
                    2);
    EXPECT_EQ(DecodeGifFile(folder + QStringLiteral("hsfc-070505-0300.gif"))
                  .copy(tools::NoChartBand())
                  .convertToFormat(QImage::Format_RGB32),
              said);
    // Two frames of one kind differ only in the valid time at the top right.
    const QImage a = DecodeGifFile(folder + QStringLiteral("hsfc-070504-1200.gif"));
    const QImage b = DecodeGifFile(folder + QStringLiteral("hsfc-070504-1300.gif"));
    EXPECT_NE(a, b);
    EXPECT_EQ(a.copy(0, 40, 800, 560), b.copy(0, 40, 800, 560));
    // Drawing again gives the same bytes (a few frames of each encoder suffice).
    QTemporaryDir again;
    for (const tools::FrameSpec& f : tools::FramesOfDay(2007, 5, 4)) {
        if (!f.FileName().contains(QStringLiteral("-0000"))) continue;
        const QString path = again.filePath(f.FileName());
        if (f.Extension == QStringLiteral("jpg"))
            tools::WriteJpeg(tools::DrawFrame(f, outlines), path);
        else
            tools::WriteGif(tools::DrawFrame(f, outlines), path);
        ASSERT_EQ(ReadWholeFile(path), ReadWholeFile(folder + f.FileName()))
            << f.FileName().toStdString();
    }
}

TEST(SampleDiscSmokeTest, TheDefaultCaseOpensWithChartsSoundingsAndReports) {
    const QString disc = QStringLiteral(NIMBREL_STAGED_DATA "/disc/");
    if (!QFileInfo::exists(disc + QStringLiteral("1979-04-10/satv-790410-1200.jpg")))
        GTEST_SKIP() << "the build has not assembled the sample disc (target nimbrel_sample_data)";
    const CaseLoad load = PrepareCaseLoad(QStringLiteral("1979-04-10 x"), false, true, disc);
    const DateTime morning = load.Clock.SimulationTime;
    EXPECT_NEAR(morning, EncodeDate(1979, 4, 10) + 0.5, 1e-9);
    const QString folder = load.CaseDirectory;
    // At 1200 UTC every chart kind has exactly its 1200 UTC frame; at the end of the
    // day the satellite loop holds 47 frames and the surface loop 24.
    for (ChartKind kind :
         {ChartKind::VisibleSatellite, ChartKind::SurfaceAnalysis, ChartKind::Chart850,
          ChartKind::Chart700, ChartKind::Chart500, ChartKind::Chart250}) {
        const QStringList atStart = BuildFrameList(folder, FrameMask(kind), morning);
        ASSERT_EQ(atStart.size(), 1) << FrameMask(kind).toStdString();
        const QString path = folder + atStart[0];
        const QImage picture =
            atStart[0].contains(QStringLiteral("jpg")) ? DecodeJpegFile(path) : DecodeGifFile(path);
        EXPECT_FALSE(picture.isNull());
    }
    const DateTime evening = morning + 23 * OneHour;
    EXPECT_EQ(BuildFrameList(folder, FrameMask(ChartKind::VisibleSatellite), evening).size(), 47);
    EXPECT_EQ(BuildFrameList(folder, FrameMask(ChartKind::SurfaceAnalysis), evening).size(), 24);
    EXPECT_EQ(BuildFrameList(folder, FrameMask(ChartKind::Chart500), evening).size(), 2);
    // Every station has its two soundings under the first identifier or, failing that,
    // the second; Stephenville has a third, the real 2100 UTC sounding of the archive.
    StationTable table;
    FillStationTable(table);
    int fallbacks = 0;
    for (const SoundingStation& s : table) {
        const QStringList masks = SoundingMasks(s.Identifiers);
        QStringList found = BuildFrameList(folder, masks[0], evening);
        if (found.isEmpty() && masks.size() > 1) {
            found = BuildFrameList(folder, masks[1], evening);
            ++fallbacks;
        }
        EXPECT_EQ(found.size(), s.Identifiers == QLatin1String("SEP/FWD") ? 3 : 2)
            << s.Identifiers.toStdString();
    }
    EXPECT_EQ(fallbacks, 2);
    // The day's reports, over Texas and Oklahoma.
    const std::vector<StormReport> reports = ReadReports(folder + QStringLiteral("rpt.dat"));
    std::set<QString> states;
    for (const StormReport& r : reports)
        states.insert(r.State);
    EXPECT_EQ(reports.size(), 55u); // 35 tornado and 20 hail rows of the case window
    EXPECT_TRUE(states.count(QStringLiteral("TX")) && states.count(QStringLiteral("OK")));
    // Every frame of every day on the disc is named with a valid time inside its case
    // window, 1200 UTC of the day to 1100 UTC of the next; a real sounding may also be
    // of 0000 UTC of the day (the evening sounding a forecaster has at 1200 UTC). Real
    // soundings come beside the 40 sounding frames of the synoptic hours.
    for (const QString& day : AllDays()) {
        const DateTime start = DayOf(day) + 0.5;
        int charts = 0, soundings = 0;
        for (const QString& name : QDir(disc + day).entryList(QDir::Files | QDir::System)) {
            if (name == QStringLiteral("rpt.dat") || name.endsWith(QStringLiteral(".txt")))
                continue;
            const bool sounding = name.startsWith(QStringLiteral("skew-"));
            ++(sounding ? soundings : charts);
            const DateTime valid = FrameValidTime(name);
            EXPECT_GE(valid, (sounding ? DayOf(day) : start) - 1e-9) << name.toStdString();
            EXPECT_LE(valid, start + 23 * OneHour + 1e-9) << name.toStdString();
        }
        EXPECT_EQ(charts, 79) << day.toStdString();
        EXPECT_GE(soundings, 40) << day.toStdString();
    }
    // The per-user set beside it.
    for (const char* name :
         {"nimbrel.cas", "nimbrel.gis", "greatplains.gif", "cha_tor.bmp", "printer.wav"})
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(NIMBREL_STAGED_DATA "/appdata/") +
                                      QString::fromLatin1(name)))
            << name;
}

TEST(CaseListTest, GeneratedRowsFollowFromTheTablesAndRegenerateToTheSameBytes) {
    // The rule on counts written by hand: one F5 tornado makes a top-ranked tornado day;
    // a few weak tornadoes and some hail make a noteworthy severe day.
    tools::DayCounts outbreak;
    outbreak.Tornadoes = 3;
    outbreak.StrongestRating = 5;
    EXPECT_EQ(tools::EventLetter(outbreak), QStringLiteral("T"));
    EXPECT_EQ(tools::Ranking(outbreak), 5);
    tools::DayCounts hail;
    hail.Tornadoes = 4;
    hail.StrongestRating = 1;
    hail.Hail = 15;
    EXPECT_EQ(tools::EventLetter(hail), QStringLiteral("S"));
    EXPECT_EQ(tools::Ranking(hail), 2);
    tools::DayCounts quiet;
    quiet.Hail = 2;
    EXPECT_EQ(tools::EventLetter(quiet), QStringLiteral("N"));
    EXPECT_EQ(tools::Ranking(quiet), 1);

    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared source data not present";
    const QString tables = shared + QStringLiteral("reports/");
    // 1979-04-10: 31 rows, 25 tornadoes once the per-state segments are folded in.
    const tools::DayCounts terrible = tools::CountDay(tables, DayOf(CaseDays[0]));
    EXPECT_EQ(terrible.TornadoRows, 31);
    EXPECT_EQ(terrible.Tornadoes, 25);
    EXPECT_EQ(terrible.Hail, 18);
    EXPECT_EQ(terrible.StrongestRating, 4);

    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("chase-list.csv"));
    QFile::copy(Shipped() + QStringLiteral("disc/chase-list.csv"), list);
    QFile::setPermissions(list, QFile::ReadOwner | QFile::WriteOwner);
    tools::MakeCaseList(tables, Shipped() + QStringLiteral("disc/added-days.csv"), list);
    EXPECT_EQ(ReadWholeFile(list),
              ReadWholeFile(Shipped() + QStringLiteral("disc/chase-list.csv")));
}
