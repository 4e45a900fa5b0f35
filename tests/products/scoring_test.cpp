#include <gtest/gtest.h>

#include <cmath>

#include <QFile>
#include <QTemporaryDir>

#include "cases/session_reset.h"
#include "products/score_export.h"
#include "products/scoring.h"
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
    EXPECT_NEAR(s.Products[1].ReportsPer10k, 10000.0 / s.Products[1].SquareMiles, 1e-9);
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
