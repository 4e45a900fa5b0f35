#include "sim/chasers.h"

#include "base/random.h"
#include "map/polygon.h"
#include "reports/report_file.h"

namespace nimbrel {
namespace {

struct HomeRow {
    int LastChaser = 0; ///< the row covers chasers up to this number (1-based)
    GeoPoint Home;
};

// Where the chasers live, mostly around Oklahoma City, Norman, Dallas-Fort Worth and
// Lubbock, with a few further out.
constexpr HomeRow HomeTable[] = {
    {6, {35.5, -97.6}},  {19, {35.2, -97.4}},  {22, {36.2, -96.0}},  {25, {32.8, -97.3}},
    {28, {32.9, -96.8}}, {30, {35.2, -101.9}}, {33, {33.6, -101.8}}, {34, {32.0, -102.0}},
    {35, {32.5, -99.7}}, {36, {29.4, -98.5}},  {37, {30.3, -97.7}},  {38, {34.8, -92.3}},
    {41, {37.7, -97.3}}, {42, {37.7, -100.4}}, {45, {39.7, -104.9}}, {46, {39.1, -94.6}},
    {47, {41.6, -93.7}}, {48, {41.2, -96.0}},  {49, {45.0, -93.3}},
};

GeoPoint HomeOf(int number) {
    for (const HomeRow& row : HomeTable)
        if (number <= row.LastChaser) return row.Home;
    return HomeTable[std::size(HomeTable) - 1].Home;
}

bool HasTarget(const Chaser& c) {
    return c.Target.Latitude != MissingCoordinate;
}

bool OnTheRoad(ChaserMode mode) {
    return mode == ChaserMode::Chasing || mode == ChaserMode::ReturningHome;
}

/// A point along the forecast area's centre line, `percent` of the way from its start.
GeoPoint PointOnAxis(const ForecastPolygon& polygon, double percent) {
    const auto& v = polygon.GeoVertices;
    const GeoPoint a{(v[0].Latitude + v[2].Latitude) / 2.0,
                     (v[0].Longitude + v[2].Longitude) / 2.0};
    const GeoPoint b{(v[3].Latitude + v[5].Latitude) / 2.0,
                     (v[3].Longitude + v[5].Longitude) / 2.0};
    return {a.Latitude + (b.Latitude - a.Latitude) * percent / 100.0,
            a.Longitude + (b.Longitude - a.Longitude) * percent / 100.0};
}

} // namespace

void ResetChasers(ChaserTable& chasers, std::int32_t& lastProductKind) {
    lastProductKind = 0;
    for (int i = 0; i < ChaserCount; ++i) {
        Chaser& c = chasers[static_cast<std::size_t>(i)];
        c.Home = HomeOf(i + 1);
        c.Position = c.Home;
        c.Mode = ChaserMode::Undecided;
        c.Outcome = ChaserOutcome::Awaiting;
        c.Target.Latitude = MissingCoordinate;
        c.HourNearestTornado = NoDistance;
        c.NearestTornado = NoDistance;
        c.NearestReport = NoDistance;
    }
}

int GoOutChance(std::int32_t lastProductKind) {
    switch (lastProductKind) {
    case 1:
        return 50; // slight risk
    case 2:
        return 75; // moderate risk
    case 3:
        return 85; // high risk
    case 4:
        return 50; // severe thunderstorm watch
    case 5:
        return 90; // tornado watch
    default:
        return 20;
    }
}

double MoveHeading(double bearing, int jitterDraw) {
    double b = 0.0; // north: below 45 degrees and from 315 on
    if (bearing >= 45.0 && bearing < 135.0)
        b = 90.0;
    else if (bearing >= 135.0 && bearing < 225.0)
        b = 180.0;
    else if (bearing >= 225.0 && bearing < 315.0)
        b = 270.0;
    if (jitterDraw == 0)
        b -= 45.0;
    else if (jitterDraw == 1)
        b += 45.0;
    if (b >= 360.0) b = 0.0;
    if (b < 0.0) b = 0.0;
    return b;
}

void ChaserHourStep(ChaserTable& chasers, const HourContext& context,
                    const ForecastPolygon& polygon, RandomGenerator& rng) {
    const int chance = GoOutChance(context.LastProductKind);
    const bool night = context.TimeOfDay >= 2.0 / 24.0 && context.TimeOfDay < 12.0 / 24.0;
    for (Chaser& c : chasers) {
        // Deciding.
        if (c.Mode == ChaserMode::Undecided)
            c.Mode = rng.Random(100) < chance ? ChaserMode::Chasing : ChaserMode::Waiting;
        // Second chance, only in an hour in which a product came out.
        if (c.Mode == ChaserMode::Waiting && context.ProductThisHour != 0)
            c.Mode = rng.Random(100) < chance ? ChaserMode::Chasing : ChaserMode::StayingHome;
        // First target: somewhere along the forecast area's axis, most often near its
        // middle. Without an area there is nowhere to go yet; the chaser waits at its
        // position and picks its target at the first hour step after one is drawn.
        if (!HasTarget(c) && c.Mode == ChaserMode::Chasing && polygon.IsSet()) {
            const int s = rng.Random(2);
            const int u = rng.Random(50);
            const double k = static_cast<double>(u) * u / 50.0;
            const double f = s == 1 ? 50.0 - k : 50.0 + k;
            c.Target = PointOnAxis(polygon, f);
        }
        // Night return: from 0200 UTC everybody heads home, and a chaser close to home
        // is put there and stops.
        if (night) {
            c.Target = c.Home;
            c.Mode = ChaserMode::ReturningHome;
            if (GreatCircleDistance(c.Target, c.Position) < HomeRadius) {
                c.Position = c.Home;
                c.Target.Latitude = MissingCoordinate;
            }
        }
        // Move. There is no arrival test while chasing: a chaser near its target keeps
        // circling it 45 nm an hour.
        if (HasTarget(c) && OnTheRoad(c.Mode)) {
            const double bearing = InitialBearing(c.Position, c.Target);
            c.Heading = MoveHeading(bearing, rng.Random(HeadingJitterValues));
            c.Position = DestinationPoint(c.Position, HourlyMove, c.Heading);
        }
    }
}

void FoldReport(Chaser& chaser, const StormReport& report, double distance) {
    switch (static_cast<ReportKind>(report.Kind)) {
    case ReportKind::Tornado:
        if (distance < chaser.HourNearestTornado && distance < TornadoPullRadius) {
            chaser.HourNearestTornado = distance;
            chaser.Target = report.Start;
        }
        if (distance < chaser.NearestTornado) chaser.NearestTornado = distance;
        if (distance < chaser.NearestReport) chaser.NearestReport = distance;
        break;
    case ReportKind::Hail:
        if (distance < chaser.NearestReport) chaser.NearestReport = distance;
        break;
    default:
        break;
    }
}

ChaserCounts ClassifyChasers(ChaserTable& chasers) {
    ChaserCounts n;
    for (Chaser& c : chasers) {
        const double nearest = c.NearestReport;
        if (c.Mode == ChaserMode::StayingHome) {
            if (c.NearestTornado < 250.0) {
                c.Outcome = ChaserOutcome::Busted;
                ++n.Busted;
            } else {
                c.Outcome = ChaserOutcome::NotChasing;
                ++n.NotChasing;
            }
        } else if (OnTheRoad(c.Mode)) {
            if (nearest < CatchRadius && c.NearestTornado > TornadoRadius) {
                c.Outcome = ChaserOutcome::CaughtStorm;
                ++n.CaughtStorm;
            } else if (nearest < CatchRadius) {
                c.Outcome = ChaserOutcome::CaughtTornado;
                ++n.CaughtTornado;
            } else if (nearest == NoDistance) {
                c.Outcome = ChaserOutcome::Awaiting;
                ++n.Awaiting;
            } else if (nearest > 350.0) {
                c.Outcome = ChaserOutcome::OutOfRange;
                ++n.OutOfRange;
            } else if (c.Mode == ChaserMode::Chasing) {
                c.Outcome = ChaserOutcome::EmptyHanded;
                ++n.EmptyHanded;
            } else {
                c.Outcome = ChaserOutcome::Busted;
                ++n.Busted;
            }
        } else {
            // Still at home and undecided or waiting: not counted anywhere.
            c.Outcome = ChaserOutcome::Awaiting;
        }
    }
    return n;
}

} // namespace nimbrel
