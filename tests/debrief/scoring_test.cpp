#include <gtest/gtest.h>

#include <cmath>

#include <QFile>
#include <QTemporaryDir>

#include "cases/session_reset.h"
#include "debrief/score_export.h"
#include "debrief/scoring.h"
#include "reports/extraction.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

const DateTime Day = EncodeDate(1979, 4, 10);
const DateTime CaseStart = Day + 0.5;
DateTime Utc(int dayOffset, int hour, int minute = 0) {
    return Day + dayOffset + EncodeTime(hour, minute, 0);
}

// An axis-aligned hexagon in latitude/longitude whose east and west sides lie on
// meridians (great circles), corners listed clockwise from the south-west.
std::array<GeoPoint, 6> Box(double south, double north, double west, double east) {
    const double mid = (west + east) / 2.0;
    return {
        {{south, west}, {north, west}, {north, mid}, {north, east}, {south, east}, {south, mid}}};
}

StormReport Report(ReportKind kind, DateTime time, double lat, double lon) {
    StormReport r;
    r.Kind = static_cast<std::int32_t>(kind);
    r.Time = time;
    r.Start = {lat, lon};
    return r;
}

CaseReports Reports(std::vector<StormReport> reports) {
    CaseReports c;
    c.Reports = std::move(reports);
    return c;
}

TEST(ProductRecords, ValidWindowsAndTheSessionResetClearsThem) {
    const auto corners = Box(34, 36, -101, -99);
    const ProductRecord outlook =
        MakeProductRecord(ProductKind::SlightRiskOutlook, Utc(0, 15), CaseStart, corners);
    EXPECT_DOUBLE_EQ(outlook.ValidFrom, Utc(0, 15));
    EXPECT_NEAR(outlook.ValidUntil, Utc(1, 12), 1e-9);
    const ProductRecord watch =
        MakeProductRecord(ProductKind::TornadoWatch, Utc(0, 22), CaseStart, corners);
    EXPECT_NEAR(watch.ValidUntil, Utc(1, 4), 1e-9);

    Session session;
    session.Products = {outlook, watch};
    ResetSessionState(session);
    EXPECT_TRUE(session.Products.empty());
}

TEST(Scoring, InsideCountsEdgesCornersAndBothEndsOfTheWindowAcross100West) {
    // The box straddles 100W; its west side is the meridian 101W.
    const ProductRecord w =
        MakeProductRecord(ProductKind::SevereWatch, Utc(0, 18), CaseStart, Box(34, 36, -101, -99));
    EXPECT_TRUE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), 35.0, -101.0), w)); // side
    EXPECT_TRUE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), 36.0, -99.0), w));  // corner
    EXPECT_TRUE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), 35.0, -100.0), w));
    EXPECT_TRUE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), 35.0, -99.01), w));
    EXPECT_FALSE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), 35.0, -101.01), w));
    EXPECT_FALSE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), 35.0, -98.99), w));
    EXPECT_FALSE(ReportInside(Report(ReportKind::Hail, Utc(0, 20), -35.0, 80.0), w)); // antipode
    EXPECT_TRUE(ReportInside(Report(ReportKind::Hail, Utc(0, 18), 35, -100), w));
    EXPECT_TRUE(ReportInside(Report(ReportKind::Hail, Utc(1, 0), 35, -100), w));
    EXPECT_FALSE(ReportInside(Report(ReportKind::Hail, Utc(0, 17, 59), 35, -100), w));
    EXPECT_FALSE(ReportInside(Report(ReportKind::Hail, Utc(1, 0, 1), 35, -100), w));
    // About 2 x 138 by 1.63 x 69 miles: 2 degrees of latitude by 2 of longitude at 35N.
    const double expected = (2 * 60 * 1.150779) * (2 * 60 * 1.150779 * std::cos(35 * M_PI / 180));
    EXPECT_NEAR(PolygonSquareMiles(w.Corners), expected, expected * 0.005);
}

TEST(Scoring, VerificationPodFarCsiAndLeadTime) {
    const ProductRecord outlook = MakeProductRecord(ProductKind::SlightRiskOutlook, Utc(0, 15),
                                                    CaseStart, Box(33, 37, -102, -97));
    const ProductRecord tornadoWatch =
        MakeProductRecord(ProductKind::TornadoWatch, Utc(0, 19), CaseStart, Box(34, 36, -101, -99));
    // One hail report in both products (counted once), one hail report in the outlook only,
    // one tornado far outside both: the tornado watch holds only hail and does not verify.
    const ExerciseScore s = ScoreExercise(
        {outlook, tornadoWatch}, Reports({Report(ReportKind::Hail, Utc(0, 21), 35, -100),
                                          Report(ReportKind::Hail, Utc(0, 16), 33.5, -98),
                                          Report(ReportKind::Tornado, Utc(0, 22), 40, -90)}));
    ASSERT_EQ(s.Products.size(), 2U);
    EXPECT_TRUE(s.Products[0].Verified);
    EXPECT_EQ(s.Products[0].Hail, 2);
    EXPECT_NEAR(*s.Products[0].LeadMinutes, 60.0, 1e-6);
    EXPECT_FALSE(s.Products[1].Verified);
    EXPECT_EQ(s.Products[1].Hail, 1);
    EXPECT_NEAR(*s.Products[1].LeadMinutes, 120.0, 1e-6);
    EXPECT_NEAR(*s.Products[1].ReportsPer10k, 10000.0 / s.Products[1].SquareMiles, 1e-9);
    EXPECT_EQ(s.ReportsInside, 2);
    EXPECT_DOUBLE_EQ(*s.Pod, 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(*s.Far, 0.5);
    EXPECT_DOUBLE_EQ(*s.Csi, 2.0 / 4.0);
    // Leads from the earliest product holding each report: 6 h and 1 h.
    EXPECT_NEAR(*s.MeanLeadMinutes, 210.0, 1e-6);

    const ExerciseScore none = ScoreExercise({}, Reports({}));
    EXPECT_FALSE(none.Pod || none.Far || none.Csi || none.MeanLeadMinutes);
    const QStringList words = ScoreSummaryLines(none);
    EXPECT_TRUE(
        words.contains(QStringLiteral("No product was issued: there is nothing to verify.")));
    EXPECT_TRUE(words.filter(QStringLiteral("never reaches 15 %")).size() == 1);
}

TEST(PracticallyPerfect, IsolatedReportAndTightCluster) {
    const double peak = 80.0 * 80.0 / (2 * M_PI * 120.0 * 120.0);
    EXPECT_NEAR(PracticallyPerfectField({{35.0, -98.0}, {std::nan(""), 0.0}}).Peak(), peak, 1e-12);
    EXPECT_NEAR(peak, 0.0707, 5e-5);
    // Three reports a few km apart mark one grid point: the same field as one report.
    const GeoPoint c = FromPlane({160.0, 240.0});
    const PerfectField tight = PracticallyPerfectField(
        {c, {c.Latitude + 0.02, c.Longitude}, {c.Latitude, c.Longitude - 0.02}});
    EXPECT_EQ(tight.EventPoints.size(), 1U);
    EXPECT_NEAR(tight.Peak(), peak, 1e-12);
    // A 3 x 3 block of marked points: centre sums 1 + 4 e^(-2/9) + 4 e^(-4/9) kernels.
    std::vector<GeoPoint> block;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j)
            block.push_back(FromPlane({(2 + i) * 80.0, (3 + j) * 80.0}));
    const PerfectField f = PracticallyPerfectField(block);
    EXPECT_NEAR(f.At(2, 3), peak * (1 + 4 * std::exp(-2.0 / 9) + 4 * std::exp(-4.0 / 9)), 1e-12);
    EXPECT_NEAR(f.Peak(), 0.4787, 1e-4);
    EXPECT_FALSE(f.PointsAtLeast(PerfectOutlookThreshold).empty());
}

TEST(Scoring, MissingAndCutShortReportFilesSayWhatIsNotScored) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rpt.dat"));
    const CaseReports missing = ReadCaseWindowReports(path, CaseStart);
    EXPECT_FALSE(missing.Readable);
    EXPECT_EQ(missing.Problem, "File not found\n" + path);
    const QStringList words = ScoreSummaryLines(ScoreExercise({}, missing));
    EXPECT_TRUE(words.first().startsWith(
        QStringLiteral("The case's report file could not be read (File not found")));

    // Two reports in the window, one before it, then half a record.
    WriteReports(path, {Report(ReportKind::Tornado, Utc(0, 13), 35, -98),
                        Report(ReportKind::Hail, Utc(0, 11), 35, -98),
                        Report(ReportKind::Wind, Utc(1, 12), 35, -97)});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(30, '\1'));
    f.close();
    const CaseReports cut = ReadCaseWindowReports(path, CaseStart);
    EXPECT_TRUE(cut.Readable);
    EXPECT_EQ(cut.Reports.size(), 2U);
    EXPECT_FALSE(cut.Problem.isEmpty());
    const ExerciseScore s = ScoreExercise({}, cut);
    EXPECT_TRUE(ScoreSummaryLines(s).first().contains(QStringLiteral("only the 2 reports")));
    EXPECT_TRUE(ScoreCsv(s, CaseStart).contains("note,"));
}

// The real day of 10 April 1979: a fixed polygon over the Red River between Texas and
// Oklahoma, a slight risk at 1500 UTC and a tornado watch at 2000 UTC. The expected
// counts come from the national tables (the rows of the case window, 1200 UTC of the day
// to 1200 UTC of the next, which the case's report file holds), with times in CST turned
// to UTC, tested against a latitude/longitude box.
TEST(Scoring, RedRiverDay1979FromTheReportTables) {
    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared report tables absent";
    const double south = 33.3, north = 35.0, west = -100.0, east = -97.0;
    const auto corners = Box(south, north, west, east);
    const DateTime outlookAt = Utc(0, 15), watchAt = Utc(0, 20);

    int torIn = 0, hailIn = 0, watchTor = 0, all = 0;
    double firstIn = 1e9;
    for (const auto& [file, kind] :
         {std::pair{"70-79_torn.csv", 1}, std::pair{"70-79_hail.csv", 2}}) {
        TextLineReader reader(shared + QStringLiteral("reports/") + QLatin1String(file));
        while (!reader.AtEnd()) {
            const QList<QByteArray> f = reader.ReadLine().split(',');
            if (f.size() < 17 || f[1] != "1979" || f[2] != "4" || (f[3] != "10" && f[3] != "11"))
                continue;
            const QList<QByteArray> hms = f[5].split(':');
            const DateTime t = Day + (f[3] == "11" ? 1 : 0) + (hms[0].toInt() + 6) / 24.0 +
                               hms[1].toInt() / 1440.0;
            if (t < CaseStart || t >= CaseStart + 1) continue;
            ++all;
            const double lat = f[15].toDouble(), lon = f[16].toDouble();
            // Far from every side, so a box test and a great-circle test agree.
            ASSERT_GT(std::min({std::abs(lat - south), std::abs(lat - north), std::abs(lon - west),
                                std::abs(lon - east)}),
                      0.05);
            if (lat < south || lat > north || lon < west || lon > east || t < outlookAt) continue;
            (kind == 1 ? torIn : hailIn)++;
            firstIn = std::min(firstIn, t);
            if (kind == 1 && t >= watchAt && t <= watchAt + 0.25) ++watchTor;
        }
    }
    ASSERT_GT(torIn, 5);

    const CaseReports reports = ReadCaseWindowReports(
        test::ShippedDataDir() + QStringLiteral("disc/1979-04-10/rpt.dat"), CaseStart);
    ASSERT_TRUE(reports.Problem.isEmpty());
    const ExerciseScore s = ScoreExercise(
        {MakeProductRecord(ProductKind::SlightRiskOutlook, outlookAt, CaseStart, corners),
         MakeProductRecord(ProductKind::TornadoWatch, watchAt, CaseStart, corners)},
        reports);
    EXPECT_EQ(static_cast<int>(s.Reports.Reports.size()), all);
    EXPECT_EQ(s.Products[0].Tornado, torIn);
    EXPECT_EQ(s.Products[0].Hail, hailIn);
    EXPECT_NEAR(*s.Products[0].LeadMinutes, (firstIn - outlookAt) * 1440.0, 0.01);
    EXPECT_EQ(s.Products[1].Tornado, watchTor);
    EXPECT_EQ(s.Products[1].Verified, watchTor > 0);
    EXPECT_NEAR(*s.Pod, static_cast<double>(torIn + hailIn) / all, 1e-12);
    EXPECT_TRUE(s.Versus.HasPerfect);
    EXPECT_GT(s.Versus.Hits, 0);
}

} // namespace
} // namespace nimbrel

namespace nimbrel {
namespace {

// The hexagon around grid points i = 2..4, j = 1..2 (six boxes), its corners half a box
// from the points, so that the bow of its great-circle sides (well under 1 km) decides
// nothing.
std::array<GeoPoint, 6> SixBoxes() {
    auto at = [](double i, double j) { return FromPlane({i * PerfectGridKm, j * PerfectGridKm}); };
    return {at(1.5, 0.5), at(1.5, 2.5), at(3, 2.5), at(4.5, 2.5), at(4.5, 0.5), at(3, 0.5)};
}

// Two days worked out by hand. A null day: no report, so nothing is observed and each
// of the six boxes of a slight risk is a false alarm (POD and bias undefined, FAR 1,
// CSI 0). A day of one tornado at grid point (3, 1): the tornado field is
// 0.0707 there, 0.0707 e^(-80^2 / (2 120^2)) = 0.0566 at its four neighbours (at least
// 5 %), 0.0453 on the diagonals (below); the all-report field never reaches 15 %. So the
// slight risk (tornado 5 %) observes 5 boxes: hits (2,1) (3,1) (4,1) (3,2) = 4, miss
// (3,0) = 1, false alarms (2,2) (4,2) = 2: POD 4/5, FAR 2/6, CSI 4/7, bias 6/5. A
// moderate risk (tornado 15 %) observes nothing: 6 false alarms.
TEST(Verification, OutlooksOnTheGridAtTheirCategoriesThresholds) {
    const auto slight =
        MakeProductRecord(ProductKind::SlightRiskOutlook, Utc(0, 13), CaseStart, SixBoxes());
    const ExerciseScore nullDay = ScoreExercise({slight}, Reports({}));
    ASSERT_EQ(nullDay.Outlooks.size(), 1U);
    const Contingency& n = nullDay.Outlooks[0].Boxes;
    EXPECT_EQ(n.Hits, 0);
    EXPECT_EQ(n.Misses, 0);
    EXPECT_EQ(n.FalseAlarms, 6);
    EXPECT_FALSE(n.Pod || n.Bias);
    EXPECT_DOUBLE_EQ(*n.Far, 1.0);
    EXPECT_DOUBLE_EQ(*n.Csi, 0.0);
    EXPECT_EQ(ScoreSummaryLines(nullDay).filter(QStringLiteral("every box")).size(), 1);

    const GeoPoint p31 = FromPlane({3 * PerfectGridKm, 1 * PerfectGridKm});
    const auto moderate =
        MakeProductRecord(ProductKind::ModerateRiskOutlook, Utc(0, 13), CaseStart, SixBoxes());
    const ExerciseScore day = ScoreExercise(
        {slight, moderate},
        Reports({Report(ReportKind::Tornado, Utc(0, 20), p31.Latitude, p31.Longitude)}));
    ASSERT_EQ(day.Outlooks.size(), 2U);
    const Contingency& s = day.Outlooks[0].Boxes;
    EXPECT_EQ(s.Hits, 4);
    EXPECT_EQ(s.Misses, 1);
    EXPECT_EQ(s.FalseAlarms, 2);
    EXPECT_DOUBLE_EQ(*s.Pod, 4.0 / 5);
    EXPECT_DOUBLE_EQ(*s.Far, 2.0 / 6);
    EXPECT_DOUBLE_EQ(*s.Csi, 4.0 / 7);
    EXPECT_DOUBLE_EQ(*s.Bias, 6.0 / 5);
    EXPECT_DOUBLE_EQ(day.Outlooks[1].Thresholds.Tornado, 0.15);
    EXPECT_EQ(day.Outlooks[1].Boxes.FalseAlarms, 6);
    EXPECT_EQ(day.Outlooks[1].Boxes.Hits + day.Outlooks[1].Boxes.Misses, 0);
    EXPECT_FALSE(OutlookThresholds(ProductKind::TornadoWatch));
    EXPECT_DOUBLE_EQ(OutlookThresholds(ProductKind::HighRiskOutlook)->All, 0.60);
    EXPECT_EQ(day.PerfectTornadoBoxes, 5);
}

// A tornado watch 1800-0000 UTC over the six boxes. T1 1830 and T2 1840 are two segments
// in the box of (3,1), inside; T3 2000 is far outside; H1 1815 is hail inside (no
// tornado: it verifies nothing); T4 0300 falls after the watch. Events of the watch: T1,
// T2, T3: 2 hits, 1 miss, no false alarm; POD 2/3, CSI 2/3; event boxes 1 of 2. Its lead
// time runs to T1 (30 min), not to the hail. Over the case window's 5 events the mean
// lead is (30 + 40 + 0 + 0 + 0) / 5 = 14 min; over the 2 covered ones 35 min.
TEST(Verification, WatchesByEventsAndLeadTimesToTheirOwnEvents) {
    const GeoPoint in = FromPlane({3 * PerfectGridKm, 1 * PerfectGridKm});
    const auto watch =
        MakeProductRecord(ProductKind::TornadoWatch, Utc(0, 18), CaseStart, SixBoxes());
    const auto outlook =
        MakeProductRecord(ProductKind::SlightRiskOutlook, Utc(0, 12), CaseStart, SixBoxes());
    const ExerciseScore s = ScoreExercise(
        {outlook, watch},
        Reports({Report(ReportKind::Tornado, Utc(0, 18, 30), in.Latitude, in.Longitude),
                 Report(ReportKind::Tornado, Utc(0, 18, 40), in.Latitude + 0.05, in.Longitude),
                 Report(ReportKind::Tornado, Utc(0, 20), 44.0, -85.0),
                 Report(ReportKind::Hail, Utc(0, 18, 15), in.Latitude, in.Longitude),
                 Report(ReportKind::Tornado, Utc(1, 3), in.Latitude, in.Longitude)}));
    ASSERT_EQ(s.Watches.size(), 1U);
    const WatchEventScore& w = s.Watches[0];
    EXPECT_EQ(w.Product, 1U);
    EXPECT_EQ(w.Events.Hits, 2);
    EXPECT_EQ(w.Events.Misses, 1);
    EXPECT_EQ(w.Events.FalseAlarms, 0);
    EXPECT_DOUBLE_EQ(*w.Events.Pod, 2.0 / 3);
    EXPECT_DOUBLE_EQ(*w.Events.Csi, 2.0 / 3);
    EXPECT_EQ(w.EventBoxes, 2);
    EXPECT_EQ(w.BoxesHit, 1);
    EXPECT_NEAR(*s.Products[1].WarningLeadMinutes, 30.0, 1e-6);
    EXPECT_FALSE(s.Products[0].WarningLeadMinutes); // outlooks have none
    const WatchesTogether& t = s.WatchTotals;
    EXPECT_EQ(t.Events, 5);
    EXPECT_EQ(t.Covered, 2);
    EXPECT_NEAR(*t.MeanLeadAllMinutes, 14.0, 1e-6);
    EXPECT_NEAR(*t.MeanLeadCoveredMinutes, 35.0, 1e-6);
    const QStringList words = ScoreSummaryLines(s);
    EXPECT_EQ(words.filter(QStringLiteral("missed ones at 0: 14 min")).size(), 1);
    EXPECT_EQ(words.filter(QStringLiteral("over the 2 events inside a watch: 35 min")).size(), 1);
}

// Corners on one line, or all on one point, enclose no area: no absurd density.
TEST(Verification, CornersOnALineHaveNoAreaAndNoDensity) {
    const std::array<GeoPoint, 6> line{
        {{35, -100}, {35.2, -100}, {35.4, -100}, {35.6, -100}, {35.8, -100}, {36, -100}}};
    std::array<GeoPoint, 6> point{};
    point.fill({35.0, -100.0});
    const ExerciseScore s = ScoreExercise(
        {MakeProductRecord(ProductKind::SevereWatch, Utc(0, 13), CaseStart, line),
         MakeProductRecord(ProductKind::SlightRiskOutlook, Utc(0, 13), CaseStart, point)},
        Reports({Report(ReportKind::Hail, Utc(0, 14), 35.0, -100.0)}));
    for (const ProductScore& p : s.Products) {
        EXPECT_EQ(p.Inside(), 1); // on the line, and on the point
        EXPECT_EQ(p.SquareMiles, 0.0);
        EXPECT_FALSE(p.ReportsPer10k);
    }
    EXPECT_EQ(ScoreSummaryLines(s).filter(QStringLiteral("has no area")).size(), 2);
    const QByteArray csv = ScoreCsv(s, CaseStart);
    // The point outlook: no density, and no warning lead time for an outlook.
    EXPECT_TRUE(csv.contains(",yes,60,,1979-04-10 13:00,\r\n")) << csv.toStdString();
}

// The notebook: stamped, blank entries refused, cleared by a reset, written in the CSV
// (quoted where it must be) with the new columns, and no folder of the machine.
TEST(Verification, NotebookAcrossAResetAndInTheCsv) {
    Session session;
    EXPECT_TRUE(
        AddForecastNote(session.Notes, Utc(0, 14, 30), QStringLiteral(" Dryline, CAPE 3000 ")));
    EXPECT_FALSE(AddForecastNote(session.Notes, Utc(0, 15), QStringLiteral("  \n ")));
    ASSERT_EQ(session.Notes.size(), 1U);
    EXPECT_EQ(ForecastNoteLine(session.Notes[0]), QStringLiteral("1430 UTC: Dryline, CAPE 3000"));
    EXPECT_EQ(NotesBy(session.Notes, Utc(0, 14)).size(), 0U);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rpt.dat"));
    WriteReports(path, {Report(ReportKind::Hail, Utc(0, 13), 35, -98),
                        Report(ReportKind::Hail, Utc(0, 14), 0, 0)});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(QByteArray(30, '\1'));
    f.close();
    ExerciseScore s = ScoreExercise(
        {MakeProductRecord(ProductKind::SevereWatch, Utc(0, 13), CaseStart, Box(34, 36, -99, -97))},
        ReadCaseWindowReports(path, CaseStart));
    s.Notes = session.Notes;
    const QString csv = QString::fromLatin1(ScoreCsv(s, CaseStart));
    EXPECT_TRUE(
        csv.contains(QStringLiteral("\r\nnote_entry,1979-04-10 14:30,\"Dryline, CAPE 3000\"\r\n")));
    EXPECT_TRUE(csv.contains(QStringLiteral(",1979-04-10 13:00,0\r\n"))); // valid from, lead 0
    EXPECT_FALSE(csv.contains(dir.path())) << csv.toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("rpt.dat")));
    // Tornado 5 % boxes 0, peak 7.1 %, one report without a position.
    EXPECT_TRUE(csv.contains(QStringLiteral(",0,7.1,1,"))) << csv.toStdString();

    ResetSessionState(session);
    EXPECT_TRUE(session.Notes.empty());
}

} // namespace
} // namespace nimbrel
