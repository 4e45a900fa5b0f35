#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/session.h"
#include "base/datetime.h"
#include "base/errors.h"
#include "cases/session_reset.h"
#include "debrief/replay.h"
#include "reports/extraction.h"
#include "reports/report_file.h"
#include "sim/hourly_advance.h"
#include "support/test_support.h"

using namespace nimbrel;
using nimbrel::test::RecordingPrompts;

namespace {

const DateTime CaseDay = EncodeDate(1979, 4, 10);

DateTime At(int dayOffset, int hour, int minute, int second = 0) {
    return CaseDay + dayOffset + EncodeTime(hour, minute, second);
}

StormReport Report(ReportKind kind, DateTime time, GeoPoint start) {
    StormReport r;
    r.Time = time;
    r.Kind = static_cast<std::int32_t>(kind);
    r.Start = start;
    return r;
}

/// A session on a temporary per-user folder and case folder, clock at 1200 UTC of
/// 10 April 1979, chasers reset, no forecast area.
struct AdvanceFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        QDir(temp.path()).mkpath(QStringLiteral("app"));
        QDir(temp.path()).mkpath(QStringLiteral("disc/1979-04-10"));
        s.Folders.AppDataDirectory = temp.path() + QStringLiteral("/app/");
        s.Folders.CaseRootDirectory = temp.path() + QStringLiteral("/disc/");
        s.Folders.CaseDirectory = s.Folders.CaseRootDirectory + QStringLiteral("1979-04-10/");
        SetInitialClock(s.Clock);
        ResetChasers(s.Chasers, s.LastProductKind);
        s.Polygon.MarkAbsent();
        s.Rng.Seed(2024);
    }
    QString CaseReports() const { return s.Folders.CaseDirectory + QStringLiteral("rpt.dat"); }
    QString WorkingReports() const {
        return s.Folders.AppDataDirectory + QStringLiteral("rpt.dat");
    }
    /// Everybody stays home: no draws, no moves, so distances are known in advance.
    void EverybodyStaysHome() {
        for (Chaser& c : s.Chasers)
            c.Mode = ChaserMode::StayingHome;
    }

    QTemporaryDir temp;
    Session s;
    RecordingPrompts prompts;
};

} // namespace

TEST_F(AdvanceFixture, RefusesAtTheEndOfTheDayAndWarnsInTheDark) {
    s.Clock.ElapsedHours = 23;
    s.Clock.SimulationTime = s.Clock.CaseStart + 23.0 / 24.0;
    test::WriteFile(WorkingReports(), "stale");
    bool stepped = false;
    EXPECT_FALSE(HourlyAdvance(s, prompts, [&] { stepped = true; }).has_value());
    EXPECT_FALSE(stepped);
    EXPECT_EQ(s.Clock.ElapsedHours, 23);
    EXPECT_EQ(prompts.Shown,
              QStringList{QStringLiteral("I:No further weather data or chase moves are available.  "
                                         "Use \"Reveal Case Date\" button to view information.")});
    EXPECT_EQ(test::ReadFile(WorkingReports()), QByteArray("stale"));
    EXPECT_EQ(s.Chasers[0].Mode, ChaserMode::Undecided);

    prompts.Shown.clear();
    s.Clock.ElapsedHours = 15;
    EXPECT_TRUE(HourlyAdvance(s, prompts, [&] { stepped = true; }).has_value());
    EXPECT_TRUE(stepped);
    EXPECT_EQ(prompts.Shown, QStringList{QStringLiteral(
                                 "I:No further weather data is available and it is dark.  Any "
                                 "chasers on the road are returning home.")});
    EXPECT_EQ(s.Clock.ElapsedHours, 16);
    EXPECT_EQ(CurrentTimeText(s.Clock), QStringLiteral("04:00 UTC"));

    prompts.Shown.clear();
    s.Clock.ElapsedHours = 14;
    EXPECT_TRUE(HourlyAdvance(s, prompts).has_value());
    EXPECT_TRUE(prompts.Shown.isEmpty());
}

TEST_F(AdvanceFixture, TakesInReportsOfTheLastHourBothEndsIncluded) {
    EverybodyStaysHome();
    const GeoPoint far{25.0, -80.0};
    // After the first advance the clock reads 1300 UTC.
    WriteReports(CaseReports(), {
                                    Report(ReportKind::Hail, At(0, 13, 0), far),    // now
                                    Report(ReportKind::Hail, At(0, 12, 0), far),    // 1 h ago
                                    Report(ReportKind::Hail, At(0, 11, 59), far),   // 61 min
                                    Report(ReportKind::Hail, At(0, 13, 0, 1), far), // future
                                    Report(ReportKind::Wind, At(0, 12, 30), far),
                                });
    auto first = HourlyAdvance(s, prompts);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->ReportsTakenIn, 3);
    // The report on the hour between the two advances is taken in by both.
    auto second = HourlyAdvance(s, prompts);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->ReportsTakenIn, 2); // 13:00 again and 13:00:01
    EXPECT_EQ(test::ReadFile(WorkingReports()), test::ReadFile(CaseReports()));
}

TEST_F(AdvanceFixture, FoldsReportsIntoEveryChaserAndClassifies) {
    EverybodyStaysHome();
    // 90 nm due north of chaser 49's home (45.0 N, 93.3 W); every other home is
    // more than 290 nm away.
    const GeoPoint north{46.5, -93.3};
    WriteReports(CaseReports(), {Report(ReportKind::Tornado, At(0, 12, 40), north)});
    s.ProductThisHour = 1;
    auto r = HourlyAdvance(s, prompts);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->ReportsTakenIn, 1);
    const Chaser& c = s.Chasers[48];
    EXPECT_NEAR(c.NearestTornado, 90.0, 1e-6);
    EXPECT_NEAR(c.NearestReport, 90.0, 1e-6);
    EXPECT_EQ(c.Target.Latitude, 46.5); // within 120 nm: it would head there
    EXPECT_EQ(c.Outcome, ChaserOutcome::Busted);
    for (const Chaser& x : s.Chasers)
        EXPECT_EQ(x.HourNearestTornado, 999999.0);
    ChaserCounts expected;
    expected.Busted = 1;
    expected.NotChasing = 48;
    EXPECT_EQ(r->Counts, expected);
    EXPECT_EQ(s.ProductThisHour, 0);
}

TEST_F(AdvanceFixture, ACaseWithoutReportsEmptiesTheWorkingCopyAndStillCounts) {
    test::WriteFile(WorkingReports(), QByteArray(128, 'x')); // another day's reports
    auto r = HourlyAdvance(s, prompts);
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(QFileInfo::exists(WorkingReports()));
    EXPECT_EQ(QFileInfo(WorkingReports()).size(), 0);
    EXPECT_EQ(r->ReportsTakenIn, 0);
    int chasing = 0, waiting = 0;
    for (const Chaser& c : s.Chasers) {
        EXPECT_NE(c.Mode, ChaserMode::Undecided);
        chasing += c.Mode == ChaserMode::Chasing;
        waiting += c.Mode == ChaserMode::Waiting;
        EXPECT_EQ(c.Outcome, ChaserOutcome::Awaiting);
    }
    EXPECT_EQ(chasing + waiting, 49);
    ChaserCounts expected;
    expected.Awaiting = chasing; // the waiting ones are in no counter
    EXPECT_EQ(r->Counts, expected);
}

TEST_F(AdvanceFixture, ARecordCutShortStopsTheAdvanceAfterTheClockAndTheMoves) {
    QByteArray bytes = EncodeReport(Report(ReportKind::Hail, At(0, 12, 30), {46.5, -93.3}));
    bytes += QByteArray(10, '\0');
    test::WriteFile(CaseReports(), bytes);
    s.ProductThisHour = 1;
    bool stepped = false;
    EXPECT_THROW(HourlyAdvance(s, prompts, [&] { stepped = true; }), DataError);
    EXPECT_TRUE(stepped);
    EXPECT_EQ(s.Clock.ElapsedHours, 1);
    for (const Chaser& c : s.Chasers)
        EXPECT_NE(c.Mode, ChaserMode::Undecided);
    EXPECT_NEAR(s.Chasers[48].NearestReport, 90.0, 1e-6); // folded before the bad record
    EXPECT_EQ(s.ProductThisHour, 1);
}

TEST_F(AdvanceFixture, RefreshWorkingReportsCopiesOrEmpties) {
    test::WriteFile(WorkingReports(), "old day");
    RefreshWorkingReports(s.Folders);
    EXPECT_EQ(QFileInfo(WorkingReports()).size(), 0);
    const QByteArray bytes = EncodeReport(Report(ReportKind::Wind, At(0, 15, 0), {35, -97}));
    test::WriteFile(CaseReports(), bytes + bytes);
    RefreshWorkingReports(s.Folders);
    EXPECT_EQ(test::ReadFile(WorkingReports()), bytes + bytes);
    EXPECT_EQ(s.Folders.ReportsFile, WorkingReports());
}

TEST_F(AdvanceFixture, APerUserFolderThatRefusesTheCopyReadsTheCaseFile) {
    EverybodyStaysHome();
    // A folder where the working copy cannot be written (here: a folder in its place).
    QDir().mkpath(WorkingReports());
    WriteReports(CaseReports(), {Report(ReportKind::Hail, At(0, 12, 30), {25.0, -80.0})});
    auto r = HourlyAdvance(s, prompts);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->ReportsTakenIn, 1);
    EXPECT_EQ(s.Folders.ReportsFile, CaseReports());
    QFile::remove(CaseReports()); // a case without reports: nothing to read, no failure
    r = HourlyAdvance(s, prompts);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->ReportsTakenIn, 0);
}

// The shipped case day, built from the national tables by the extraction tool and
// advanced through the whole day. Expected intake is counted straight from the CSV
// text: times are local standard time, six hours behind UTC.
TEST_F(AdvanceFixture, RealDayTakesInTheReportsOfEachHour) {
    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared data absent";
    const QString ref = temp.path() + QStringLiteral("/ref/");
    QDir().mkpath(ref);
    for (const char* name : {"70-79_torn.csv", "70-79_hail.csv"})
        ASSERT_TRUE(QFile::copy(shared + QStringLiteral("reports/") + QLatin1String(name),
                                ref + QLatin1String(name)));
    test::WriteFile(ref + QStringLiteral("70-79_wind.csv"), {});
    ExtractReports(s.Folders.CaseRootDirectory, ref, {});

    std::vector<int> utcMinutes; // minutes after 0000 UTC of the case day
    for (const char* name : {"70-79_torn.csv", "70-79_hail.csv"}) {
        for (const QByteArray& line : test::ReadFile(ref + QLatin1String(name)).split('\n')) {
            const QList<QByteArray> f = line.split(',');
            if (f.size() < 6 || f[1] != "1979" || f[2] != "4" || f[3] != "10") continue;
            const QList<QByteArray> hm = f[5].split(':');
            utcMinutes.push_back(hm[0].toInt() * 60 + hm[1].toInt() + 360);
        }
    }
    ASSERT_EQ(utcMinutes.size(), 31u + 18u);

    // A tornado watch along the Red River before the first advance.
    s.Polygon.GeoVertices = {GeoPoint{33.0, -99.5}, GeoPoint{33.5, -99.5}, GeoPoint{34.0, -99.5},
                             GeoPoint{35.0, -97.0}, GeoPoint{35.5, -97.0}, GeoPoint{36.0, -97.0}};
    s.LastProductKind = 5;
    s.ProductThisHour = 1;

    int total = 0, mostAway = 0, bestCatches = 0;
    for (int hour = 1; hour <= 23; ++hour) {
        auto r = HourlyAdvance(s, prompts);
        ASSERT_TRUE(r.has_value()) << hour;
        int away = 0;
        for (const Chaser& c : s.Chasers)
            away +=
                c.Position.Latitude != c.Home.Latitude || c.Position.Longitude != c.Home.Longitude;
        mostAway = std::max(mostAway, away);
        bestCatches = std::max(bestCatches, r->Counts.CaughtTornado + r->Counts.CaughtStorm);
        const int now = 12 * 60 + hour * 60;
        int expected = 0;
        for (int m : utcMinutes)
            expected += now - m >= 0 && now - m <= 60;
        EXPECT_EQ(r->ReportsTakenIn, expected) << "hour " << hour;
        total += expected;
    }
    EXPECT_GT(total, 0);
    EXPECT_EQ(s.Clock.ElapsedHours, 23);
    EXPECT_FALSE(HourlyAdvance(s, prompts).has_value());
    EXPECT_EQ(prompts.Shown.count(QStringLiteral("I:") + DarknessText), 8);
    // Chasers went out, some came near the day's storms, and by 1100 UTC every chaser
    // has been sent home and most are there.
    EXPECT_GT(mostAway, 40);
    EXPECT_GT(bestCatches, 0);
    int home = 0;
    for (const Chaser& c : s.Chasers) {
        EXPECT_EQ(c.Mode, ChaserMode::ReturningHome);
        home += c.Position.Latitude == c.Home.Latitude && c.Position.Longitude == c.Home.Longitude;
    }
    EXPECT_GT(home, 40) << mostAway << " " << bestCatches;
}

TEST_F(AdvanceFixture, RecordsEachHourForTheReplayUntilTheSessionIsReset) {
    const GeoPoint far{25.0, -80.0};
    WriteReports(CaseReports(), {
                                    Report(ReportKind::Wind, At(0, 11, 30), far),
                                    Report(ReportKind::Hail, At(0, 13, 0), far),
                                    Report(ReportKind::Tornado, At(0, 12, 30), far),
                                    Report(ReportKind::Hail, At(0, 13, 45), far),
                                    Report(ReportKind::Hail, At(0, 18, 0), far),
                                });
    const ChaserTable home = s.Chasers;
    std::vector<ChaserTable> seen;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(HourlyAdvance(s, prompts).has_value());
        seen.push_back(s.Chasers);
    }
    // 1200 (where the first advance started), 1300, 1400, 1500.
    const DayRecord& record = s.Replay;
    ASSERT_EQ(record.Hours.size(), 4u);
    for (std::size_t h = 0; h < 4; ++h) {
        EXPECT_NEAR(record.Hours[h].Clock, At(0, 12 + static_cast<int>(h), 0), 1e-9);
        EXPECT_EQ(record.Hours[h].ElapsedHours, static_cast<int>(h));
        const ChaserTable& table = h == 0 ? home : seen[h - 1];
        for (int c = 0; c < ChaserCount; ++c) {
            EXPECT_EQ(record.Hours[h].Chasers[c].Position.Latitude, table[c].Position.Latitude);
            EXPECT_EQ(record.Hours[h].Chasers[c].Position.Longitude, table[c].Position.Longitude);
            EXPECT_EQ(record.Hours[h].Chasers[c].Mode, table[c].Mode);
            EXPECT_EQ(record.Hours[h].Chasers[c].Outcome, table[c].Outcome);
        }
    }
    // Each report once, in the hour it arrived; the one on the hour 1300 belongs to 1300.
    auto times = [&](std::size_t h) {
        std::vector<DateTime> t;
        const HourReports r = ReportsAt(record, h);
        for (std::size_t i = r.FirstOfHour; i < r.ReportsArrived; ++i)
            t.push_back(record.Reports[i].Time);
        return t;
    };
    EXPECT_EQ(times(0), std::vector<DateTime>{At(0, 11, 30)});
    EXPECT_EQ(times(1), (std::vector<DateTime>{At(0, 13, 0), At(0, 12, 30)}));
    EXPECT_EQ(times(2), std::vector<DateTime>{At(0, 13, 45)});
    EXPECT_TRUE(times(3).empty());
    EXPECT_EQ(ReportsAt(record, 3).ReportsArrived, 4u);

    // A reset forgets the day; recording starts again from the hour the clock shows.
    ResetSessionState(s);
    EXPECT_TRUE(s.Replay.Empty());
    EXPECT_TRUE(s.Replay.Reports.empty());
    ASSERT_TRUE(HourlyAdvance(s, prompts).has_value());
    ASSERT_EQ(record.Hours.size(), 2u);
    EXPECT_NEAR(record.Hours[0].Clock, At(0, 15, 0), 1e-9);
    EXPECT_EQ(ReportsAt(record, 0).ReportsArrived, 4u);
    EXPECT_EQ(ReportsAt(record, 1).FirstOfHour, 4u);
    EXPECT_EQ(ReportsAt(record, 1).ReportsArrived, 4u);
}

namespace {

/// One hour as the advance takes it, with every report-chaser distance worked out from
/// the two points afresh: the computation the advance is held to, bit for bit.
/// Returns the reports taken in and counts the chasers a tornado pulled.
int PlainHour(Session& plain, const std::vector<StormReport>& reports, int& pulled) {
    AdvanceOneHour(plain.Clock);
    const HourContext context{plain.LastProductKind, plain.ProductThisHour, TimeOfDay(plain.Clock)};
    ChaserHourStep(plain.Chasers, context, plain.Polygon, plain.Rng);
    int folded = 0;
    for (const StormReport& report : reports) {
        if (AgeOf(report, plain.Clock.SimulationTime) != ReportAge::Recent) continue;
        ++folded;
        for (Chaser& c : plain.Chasers) {
            const GeoPoint before = c.Target;
            FoldReport(c, report, GreatCircleDistance(c.Position, report.Start));
            pulled += std::bit_cast<std::uint64_t>(before.Latitude) !=
                      std::bit_cast<std::uint64_t>(c.Target.Latitude);
        }
    }
    for (Chaser& c : plain.Chasers)
        c.HourNearestTornado = NoDistance;
    plain.ProductThisHour = 0;
    return folded;
}

void ExpectSameChasers(const ChaserTable& a, const ChaserTable& b) {
    auto bits = [](double v) { return std::bit_cast<std::uint64_t>(v); };
    for (std::size_t i = 0; i < a.size(); ++i) {
        const Chaser &x = a[i], &y = b[i];
        for (auto [u, v] : {std::pair{x.Position.Latitude, y.Position.Latitude},
                            {x.Position.Longitude, y.Position.Longitude},
                            {x.Target.Latitude, y.Target.Latitude},
                            {x.Target.Longitude, y.Target.Longitude},
                            {x.NearestTornado, y.NearestTornado},
                            {x.NearestReport, y.NearestReport},
                            {x.Heading, y.Heading}})
            ASSERT_EQ(bits(u), bits(v)) << "chaser " << i + 1;
        ASSERT_EQ(x.Mode, y.Mode) << "chaser " << i + 1;
        ASSERT_EQ(x.Outcome, y.Outcome) << "chaser " << i + 1;
    }
}

} // namespace

// The shipped case day advanced through the whole day twice: by the advance, and hour by
// hour with every report-chaser distance worked out from the two points afresh. Every
// position, target, distance, mode and outcome agrees to the last bit.
TEST_F(AdvanceFixture, RealDayAgreesBitForBitWithDistancesTakenPairByPair) {
    ASSERT_TRUE(QFile::copy(test::ShippedDataDir() + QStringLiteral("/disc/1979-04-10/rpt.dat"),
                            CaseReports()));
    s.Polygon.GeoVertices = {GeoPoint{33.0, -99.5}, GeoPoint{33.5, -99.5}, GeoPoint{34.0, -99.5},
                             GeoPoint{35.0, -97.0}, GeoPoint{35.5, -97.0}, GeoPoint{36.0, -97.0}};
    s.LastProductKind = 5;
    s.ProductThisHour = 1;
    Session plain = s;
    const std::vector<StormReport> reports = ReadReports(CaseReports());
    int folded = 0, pulled = 0;
    for (int hour = 1; hour <= 23; ++hour) {
        SCOPED_TRACE(hour);
        const auto r = HourlyAdvance(s, prompts);
        ASSERT_TRUE(r.has_value());
        folded += PlainHour(plain, reports, pulled);
        EXPECT_EQ(r->Counts, ClassifyChasers(plain.Chasers));
        ExpectSameChasers(s.Chasers, plain.Chasers);
    }
    // The day put the comparison to work: reports were folded and tornadoes pulled chasers.
    EXPECT_GT(folded, 20);
    EXPECT_GT(pulled, 0);
}

// A crowded day, 800 reports an hour over the Plains (where most pairs are too far
// apart to matter and are ruled out by a floor of the distance), with reports on a
// chaser's very position and damaged coordinates: still the same to the last bit. The
// case's file changes between advances, and each advance takes in what it now holds.
TEST_F(AdvanceFixture, CrowdedDayAgreesBitForBitWithDistancesTakenPairByPair) {
    s.Polygon.GeoVertices = {GeoPoint{35, -100}, GeoPoint{36, -100}, GeoPoint{37, -100},
                             GeoPoint{35, -95},  GeoPoint{36, -95},  GeoPoint{37, -95}};
    s.LastProductKind = 5;
    s.ProductThisHour = 1;
    Session plain = s;
    std::vector<StormReport> reports;
    int pulled = 0;
    for (int hour = 1; hour <= 12; ++hour) {
        SCOPED_TRACE(hour);
        for (int i = 0; i < 800; ++i) {
            const auto kind = static_cast<ReportKind>(1 + (i * 7 + hour) % 3);
            reports.push_back(Report(kind, At(0, 11 + hour, i % 60),
                                     {30.0 + ((i * 31 + hour * 17) % 97) * 0.12,
                                      -104.0 + ((i * 13 + hour * 5) % 89) * 0.15}));
        }
        // On a chaser where it stands now, and coordinates no real report has.
        reports.push_back(Report(ReportKind::Tornado, At(0, 11 + hour, 59),
                                 s.Chasers[static_cast<std::size_t>(hour)].Position));
        reports.push_back(Report(ReportKind::Hail, At(0, 11 + hour, 30), {std::nan(""), -97.0}));
        reports.push_back(Report(ReportKind::Tornado, At(0, 11 + hour, 30), {95.0, -97.0}));
        WriteReports(CaseReports(), reports);

        const auto r = HourlyAdvance(s, prompts);
        ASSERT_TRUE(r.has_value());
        // This hour's 803 and the previous hour's reports stamped on the hour.
        EXPECT_EQ(r->ReportsTakenIn, PlainHour(plain, reports, pulled));
        EXPECT_GE(r->ReportsTakenIn, 803);
        EXPECT_EQ(r->Counts, ClassifyChasers(plain.Chasers));
        ExpectSameChasers(s.Chasers, plain.Chasers);
        EXPECT_EQ(s.WorkingReports.Read(WorkingReports()).Records.size(), reports.size());
    }
    EXPECT_GT(pulled, 49);
}

namespace {

// A report file cut short still leaves the hour on the map with the reports before the
// cut, so the replay records it (with the hour the first advance started from).
TEST_F(AdvanceFixture, ARecordCutShortStillRecordsTheHourForTheReplay) {
    QByteArray bytes = EncodeReport(Report(ReportKind::Hail, At(0, 12, 30), {46.5, -93.3}));
    bytes += QByteArray(10, '\0');
    test::WriteFile(CaseReports(), bytes);
    EXPECT_THROW(HourlyAdvance(s, prompts), DataError);
    ASSERT_EQ(s.Replay.Hours.size(), 2U);
    EXPECT_NEAR(s.Replay.Hours[1].Clock, At(0, 13, 0), 1e-9);
    EXPECT_EQ(ReportsAt(s.Replay, 1).ReportsArrived, 1U);
}

// The tally the score shows is this exercise's: the last advance's, none after a reset.
TEST_F(AdvanceFixture, TheTallyIsTheLastAdvancesAndNoneAfterAReset) {
    EXPECT_EQ(TallyAtLastHour(s.Replay), ChaserCounts{});
    std::optional<AdvanceResult> last;
    for (int i = 0; i < 2; ++i)
        last = HourlyAdvance(s, prompts);
    ASSERT_TRUE(last);
    EXPECT_EQ(TallyAtLastHour(s.Replay), last->Counts);
    EXPECT_NE(last->Counts, ChaserCounts{});
    ResetSessionState(s);
    EXPECT_EQ(TallyAtLastHour(s.Replay), ChaserCounts{});
}

} // namespace
