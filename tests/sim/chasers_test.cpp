#include <gtest/gtest.h>

#include <cmath>

#include "base/random.h"
#include "map/polygon.h"
#include "reports/report_file.h"
#include "sim/chasers.h"

using namespace nimbrel;

namespace {

constexpr double Afternoon = 13.0 / 24.0;

ChaserTable FreshTable() {
    ChaserTable t{};
    std::int32_t kind = 3;
    ResetChasers(t, kind);
    return t;
}

ForecastPolygon NoArea() {
    ForecastPolygon p;
    p.MarkAbsent();
    return p;
}

/// An area whose centre line runs due east along 36 N from 100 W to 95 W.
ForecastPolygon EastWestArea() {
    ForecastPolygon p;
    p.GeoVertices = {GeoPoint{35, -100}, GeoPoint{36, -100}, GeoPoint{37, -100},
                     GeoPoint{35, -95},  GeoPoint{36, -95},  GeoPoint{37, -95}};
    return p;
}

StormReport Report(ReportKind kind, GeoPoint start) {
    StormReport r;
    r.Kind = static_cast<std::int32_t>(kind);
    r.Start = start;
    return r;
}

int CountMode(const ChaserTable& t, ChaserMode m) {
    int n = 0;
    for (const Chaser& c : t)
        n += c.Mode == m;
    return n;
}

} // namespace

TEST(Chasers, ResetPutsEveryChaserHomeFromTheTable) {
    ChaserTable t{};
    t[0].Heading = 135.0;
    t[0].Target = {40.0, -90.0};
    t[0].Mode = ChaserMode::Chasing;
    t[0].NearestReport = 3.0;
    std::int32_t lastKind = 5;
    ResetChasers(t, lastKind);
    EXPECT_EQ(lastKind, 0);
    struct {
        int Number;
        double Lat, Lon;
    } homes[] = {{1, 35.5, -97.6},  {6, 35.5, -97.6},   {7, 35.2, -97.4},   {19, 35.2, -97.4},
                 {20, 36.2, -96.0}, {28, 32.9, -96.8},  {34, 32.0, -102.0}, {38, 34.8, -92.3},
                 {41, 37.7, -97.3}, {45, 39.7, -104.9}, {48, 41.2, -96.0},  {49, 45.0, -93.3}};
    for (const auto& h : homes) {
        const Chaser& c = t[static_cast<std::size_t>(h.Number - 1)];
        EXPECT_EQ(c.Home.Latitude, h.Lat) << "chaser " << h.Number;
        EXPECT_EQ(c.Home.Longitude, h.Lon) << "chaser " << h.Number;
    }
    for (const Chaser& c : t) {
        EXPECT_EQ(c.Position.Latitude, c.Home.Latitude);
        EXPECT_EQ(c.Position.Longitude, c.Home.Longitude);
        EXPECT_EQ(c.Mode, ChaserMode::Undecided);
        EXPECT_EQ(c.Outcome, ChaserOutcome::Awaiting);
        EXPECT_EQ(c.Target.Latitude, MissingCoordinate);
        EXPECT_EQ(c.HourNearestTornado, 999999.0);
        EXPECT_EQ(c.NearestTornado, 999999.0);
        EXPECT_EQ(c.NearestReport, 999999.0);
    }
    EXPECT_EQ(t[0].Heading, 135.0); // shown only with a target, so the reset leaves it
}

TEST(Chasers, GoOutChanceFollowsTheLastProduct) {
    const int expected[] = {20, 50, 75, 85, 50, 90, 20};
    for (int kind = 0; kind <= 6; ++kind)
        EXPECT_EQ(GoOutChance(kind), expected[kind]);
    EXPECT_EQ(GoOutChance(-1), 20);
}

TEST(Chasers, HeadingIsQuantisedToACardinalAndJittered) {
    struct {
        double Bearing;
        int Draw;
        double Heading;
    } cases[] = {
        {0, 2, 0},
        {44.99, 3, 0},
        {45, 2, 90},
        {134.99, 2, 90},
        {135, 2, 180},
        {224.9, 3, 180},
        {225, 2, 270},
        {314.9, 2, 270},
        {315, 2, 0},
        {359.9, 3, 0},
        {90, 0, 45},
        {90, 1, 135},
        {270, 1, 315},
        {180, 0, 135},
        {10, 0, 0}, // a northbound chaser turned anticlockwise
                    // keeps heading north
        {350, 1, 45},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MoveHeading(c.Bearing, c.Draw), c.Heading) << c.Bearing << " draw " << c.Draw;
}

TEST(Chasers, AboutOneInFiveGoesOutWithoutAProduct) {
    int chasing = 0, total = 0;
    const ForecastPolygon area = NoArea();
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
        ChaserTable t = FreshTable();
        RandomGenerator rng;
        rng.Seed(seed);
        ChaserHourStep(t, {0, 0, Afternoon}, area, rng);
        EXPECT_EQ(CountMode(t, ChaserMode::Undecided), 0);
        EXPECT_EQ(CountMode(t, ChaserMode::Chasing) + CountMode(t, ChaserMode::Waiting), 49);
        chasing += CountMode(t, ChaserMode::Chasing);
        total += 49;
        // Waiting chasers go out only in an hour with a product.
        const int waiting = CountMode(t, ChaserMode::Waiting);
        ChaserHourStep(t, {0, 0, Afternoon + 1.0 / 24}, area, rng);
        EXPECT_EQ(CountMode(t, ChaserMode::Waiting), waiting);
    }
    EXPECT_NEAR(static_cast<double>(chasing) / total, 0.20, 0.02);
}

TEST(Chasers, ATornadoWatchBeforeTheFirstAdvanceGivesTwoDraws) {
    // Replays the draws the rule asks for: one to decide, and a second chance for a
    // chaser left waiting because the watch came out this hour. No area and daytime,
    // so no other draw is made.
    ChaserTable t = FreshTable();
    RandomGenerator rng, replay;
    rng.Seed(4242);
    replay.Seed(4242);
    ChaserHourStep(t, {5, 1, Afternoon}, NoArea(), rng);
    int secondDraws = 0;
    for (const Chaser& c : t) {
        ChaserMode expected = ChaserMode::Chasing;
        if (replay.Random(100) >= 90) {
            ++secondDraws;
            if (replay.Random(100) >= 90) expected = ChaserMode::StayingHome;
        }
        EXPECT_EQ(c.Mode, expected);
    }
    EXPECT_EQ(rng.State(), replay.State());
    EXPECT_GT(secondDraws, 0) << "pick a seed that exercises the second chance";

    // Without a product this hour the waiting ones would have stayed waiting.
    ChaserTable u = FreshTable();
    RandomGenerator quiet;
    quiet.Seed(4242);
    ChaserHourStep(u, {5, 0, Afternoon}, NoArea(), quiet);
    EXPECT_EQ(CountMode(u, ChaserMode::Waiting), secondDraws);
}

TEST(Chasers, WithoutAnAreaAChasingChaserWaitsAndTargetsOnceOneIsDrawn) {
    ChaserTable t = FreshTable();
    for (Chaser& c : t)
        c.Mode = ChaserMode::Chasing;
    RandomGenerator rng;
    rng.Seed(7);
    const std::uint32_t before = rng.State();
    ChaserHourStep(t, {0, 0, Afternoon}, NoArea(), rng);
    EXPECT_EQ(rng.State(), before); // nothing to draw for
    for (const Chaser& c : t) {
        EXPECT_EQ(c.Target.Latitude, MissingCoordinate);
        EXPECT_EQ(c.Position.Latitude, c.Home.Latitude);
        EXPECT_EQ(c.Position.Longitude, c.Home.Longitude);
        EXPECT_EQ(c.Mode, ChaserMode::Chasing);
    }

    // The next hour an area exists: every chaser takes a point on its centre line
    // (36 N, from 100 W to 95 W, 1.98 % to 98.02 % of the way) and drives 45 nm.
    ChaserHourStep(t, {0, 0, Afternoon + 1.0 / 24}, EastWestArea(), rng);
    int nearMiddle = 0;
    for (const Chaser& c : t) {
        EXPECT_DOUBLE_EQ(c.Target.Latitude, 36.0);
        EXPECT_GE(c.Target.Longitude, -100.0 + 5.0 * 0.0198 - 1e-9);
        EXPECT_LE(c.Target.Longitude, -100.0 + 5.0 * 0.9802 + 1e-9);
        // f = 50 +- u*u/50: the offset from the middle is a whole square over 50.
        const double k = std::abs(c.Target.Longitude + 97.5) / 5.0 * 100.0;
        const double u = std::sqrt(k * 50.0);
        EXPECT_NEAR(u, std::round(u), 1e-6);
        nearMiddle += k < 12.5; // u < 25: half the draws
        EXPECT_NEAR(GreatCircleDistance(c.Home, c.Position), 45.0, 1e-6);
    }
    EXPECT_GT(nearMiddle, 15);
}

TEST(Chasers, MoveHeadsForTheTargetFortyFiveMilesAnHour) {
    ChaserTable t = FreshTable();
    Chaser& c = t[0];
    c.Mode = ChaserMode::Chasing;
    c.Target = {35.5, -90.0}; // due east of home
    RandomGenerator rng;
    rng.Seed(99);
    ChaserHourStep(t, {0, 0, Afternoon}, NoArea(), rng);
    EXPECT_TRUE(c.Heading == 45.0 || c.Heading == 90.0 || c.Heading == 135.0) << c.Heading;
    EXPECT_NEAR(GreatCircleDistance(c.Home, c.Position), 45.0, 1e-6);
    EXPECT_GT(c.Position.Longitude, -97.6);
    // Chasers at home without a target did not move.
    EXPECT_EQ(t[1].Position.Longitude, t[1].Home.Longitude);
}

TEST(Chasers, NightReturnPutsNearbyChasersHomeAndTurnsTheOthersBack) {
    ChaserTable t = FreshTable();
    // 49 nm and 51 nm due north of home (one minute of latitude is one nautical mile).
    t[0].Position = {35.5 + 49.0 / 60.0, -97.6};
    t[1].Position = {35.5 + 51.0 / 60.0, -97.6};
    t[0].Mode = t[1].Mode = ChaserMode::Chasing;
    t[0].Target = t[1].Target = {40.0, -97.6};
    t[2].Mode = ChaserMode::StayingHome;
    t[3].Mode = ChaserMode::Waiting;
    for (std::size_t i = 4; i < t.size(); ++i)
        t[i].Mode = ChaserMode::StayingHome;
    RandomGenerator rng;
    rng.Seed(1);
    ChaserHourStep(t, {0, 0, 2.0 / 24.0}, NoArea(), rng);

    EXPECT_EQ(t[0].Mode, ChaserMode::ReturningHome);
    EXPECT_EQ(t[0].Position.Latitude, 35.5);
    EXPECT_EQ(t[0].Target.Latitude, MissingCoordinate);

    EXPECT_EQ(t[1].Mode, ChaserMode::ReturningHome);
    EXPECT_EQ(t[1].Target.Latitude, 35.5);
    EXPECT_TRUE(t[1].Heading == 180.0 || t[1].Heading == 135.0 || t[1].Heading == 225.0);
    EXPECT_NEAR(GreatCircleDistance({35.5 + 51.0 / 60.0, -97.6}, t[1].Position), 45.0, 1e-6);

    for (std::size_t i = 2; i < t.size(); ++i) {
        EXPECT_EQ(t[i].Mode, ChaserMode::ReturningHome);
        EXPECT_EQ(t[i].Target.Latitude, MissingCoordinate);
    }
}

TEST(Chasers, NightRunsFromTwoUpToButExcludingTwelveUtc) {
    for (double hour : {1.0, 12.0, 13.0}) {
        ChaserTable t = FreshTable();
        t[0].Mode = ChaserMode::Chasing;
        t[0].Target = {40.0, -97.6};
        RandomGenerator rng;
        rng.Seed(3);
        ChaserHourStep(t, {0, 0, hour / 24.0}, NoArea(), rng);
        EXPECT_EQ(t[0].Mode, ChaserMode::Chasing) << hour;
        EXPECT_EQ(t[0].Target.Latitude, 40.0) << hour;
    }
    ChaserTable t = FreshTable();
    RandomGenerator rng;
    rng.Seed(3);
    ChaserHourStep(t, {0, 0, 11.0 / 24.0}, NoArea(), rng);
    EXPECT_EQ(CountMode(t, ChaserMode::ReturningHome), 49);
}

TEST(Chasers, TornadoReportsPullWithinOneHundredTwentyMiles) {
    Chaser c;
    c.Target = {30.0, -90.0};
    FoldReport(c, Report(ReportKind::Tornado, {36.0, -98.0}), 120.0);
    EXPECT_EQ(c.Target.Latitude, 30.0); // exactly 120 nm does not retarget
    EXPECT_EQ(c.HourNearestTornado, 999999.0);
    EXPECT_EQ(c.NearestTornado, 120.0);
    EXPECT_EQ(c.NearestReport, 120.0);

    FoldReport(c, Report(ReportKind::Tornado, {36.5, -98.5}), 80.0);
    EXPECT_EQ(c.Target.Latitude, 36.5);
    EXPECT_EQ(c.Target.Longitude, -98.5);
    EXPECT_EQ(c.HourNearestTornado, 80.0);

    // A farther tornado in the same hour does not take the chaser away again.
    FoldReport(c, Report(ReportKind::Tornado, {37.0, -99.0}), 100.0);
    EXPECT_EQ(c.Target.Latitude, 36.5);
    EXPECT_EQ(c.NearestTornado, 80.0);

    FoldReport(c, Report(ReportKind::Hail, {37.0, -99.0}), 10.0);
    EXPECT_EQ(c.NearestReport, 10.0);
    EXPECT_EQ(c.NearestTornado, 80.0);
    EXPECT_EQ(c.Target.Latitude, 36.5);

    Chaser before = c;
    FoldReport(c, Report(ReportKind::Wind, {38.0, -99.0}), 1.0);
    StormReport odd = Report(ReportKind::Tornado, {38.0, -99.0});
    odd.Kind = 4;
    FoldReport(c, odd, 1.0);
    EXPECT_EQ(c.NearestReport, before.NearestReport);
    EXPECT_EQ(c.NearestTornado, before.NearestTornado);
    EXPECT_EQ(c.Target.Latitude, before.Target.Latitude);
}

// The advance skips a pair whose distance is at least the reach: that must be exactly the
// distances at which folding changes nothing, for every state a chaser can be in.
TEST(Chasers, FoldingChangesAChaserExactlyBelowItsReach) {
    const double fields[] = {5.0, 20.0, 119.0, 120.0, 150.0, 999999.0};
    const double distances[] = {0.0,   4.9,   5.0,   19.99, 20.0,  20.01,
                                119.5, 120.0, 130.0, 150.0, 200.0, 1e6};
    int changed = 0, kept = 0;
    for (const ReportKind kind : {ReportKind::Tornado, ReportKind::Hail, ReportKind::Wind})
        for (const double hour : fields)
            for (const double tornado : fields)
                for (const double report : fields)
                    for (const double d : distances) {
                        Chaser c;
                        c.HourNearestTornado = hour;
                        c.NearestTornado = tornado;
                        c.NearestReport = report;
                        c.Target = {30.0, -90.0};
                        const Chaser before = c;
                        const StormReport r = Report(kind, {36.0, -98.0});
                        FoldReport(c, r, d);
                        const bool same = c.HourNearestTornado == before.HourNearestTornado &&
                                          c.NearestTornado == before.NearestTornado &&
                                          c.NearestReport == before.NearestReport &&
                                          c.Target.Latitude == before.Target.Latitude;
                        EXPECT_EQ(same, d >= FoldReach(before, r.Kind))
                            << static_cast<int>(kind) << " " << hour << " " << tornado << " "
                            << report << " at " << d;
                        ++(same ? kept : changed);
                    }
    EXPECT_GT(changed, 100);
    EXPECT_GT(kept, 100);
}

TEST(Chasers, ClassificationFollowsTheTableRowsInOrder) {
    struct Row {
        ChaserMode Mode;
        double NearestTornado, NearestReport;
        ChaserOutcome Expected;
    };
    const Row rows[] = {
        {ChaserMode::StayingHome, 249.0, 249.0, ChaserOutcome::Busted},
        {ChaserMode::StayingHome, 250.0, 10.0, ChaserOutcome::NotChasing},
        {ChaserMode::StayingHome, 999999.0, 999999.0, ChaserOutcome::NotChasing},
        {ChaserMode::Chasing, 20.0, 20.0, ChaserOutcome::CaughtTornado},
        {ChaserMode::Chasing, 20.01, 49.99, ChaserOutcome::CaughtStorm},
        {ChaserMode::ReturningHome, 999999.0, 30.0, ChaserOutcome::CaughtStorm},
        {ChaserMode::ReturningHome, 5.0, 5.0, ChaserOutcome::CaughtTornado},
        {ChaserMode::Chasing, 50.0, 50.0, ChaserOutcome::EmptyHanded}, // 50 nm is no catch
        {ChaserMode::Chasing, 999999.0, 350.0, ChaserOutcome::EmptyHanded},
        {ChaserMode::Chasing, 999999.0, 350.5, ChaserOutcome::OutOfRange},
        {ChaserMode::ReturningHome, 999999.0, 351.0, ChaserOutcome::OutOfRange},
        {ChaserMode::Chasing, 999999.0, 999999.0, ChaserOutcome::Awaiting},
        {ChaserMode::ReturningHome, 999999.0, 999999.0, ChaserOutcome::Awaiting},
        {ChaserMode::ReturningHome, 60.0, 50.0, ChaserOutcome::Busted},
        {ChaserMode::ReturningHome, 999999.0, 350.0, ChaserOutcome::Busted},
        {ChaserMode::Waiting, 1.0, 1.0, ChaserOutcome::Awaiting},
        {ChaserMode::Undecided, 1.0, 1.0, ChaserOutcome::Awaiting},
    };
    ChaserTable t = FreshTable();
    // The rows above fill the first chasers; the rest wait at home.
    for (Chaser& c : t)
        c.Mode = ChaserMode::Waiting;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        t[i].Mode = rows[i].Mode;
        t[i].NearestTornado = rows[i].NearestTornado;
        t[i].NearestReport = rows[i].NearestReport;
        t[i].Outcome = ChaserOutcome::OutOfRange;
    }
    const ChaserCounts n = ClassifyChasers(t);
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(t[i].Outcome, rows[i].Expected) << "row " << i;
    ChaserCounts expected;
    expected.Busted = 3;
    expected.NotChasing = 2;
    expected.CaughtTornado = 2;
    expected.CaughtStorm = 2;
    expected.EmptyHanded = 2;
    expected.OutOfRange = 2;
    expected.Awaiting = 2; // the waiting and undecided ones are in no counter
    EXPECT_EQ(n, expected);
}
