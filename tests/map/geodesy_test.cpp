#include "map/geodesy.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "map/geodesy_reference.h"

namespace nimbrel {
namespace {

TEST(Geodesy, DistanceAndBearingMatchReferenceTable) {
    for (const InverseCase& c : InverseTable) {
        SCOPED_TRACE(testing::Message() << c.From.Latitude << "," << c.From.Longitude << " -> "
                                        << c.To.Latitude << "," << c.To.Longitude);
        EXPECT_NEAR(GreatCircleDistance(c.From, c.To), c.Distance, 1e-6);
        EXPECT_NEAR(InitialBearing(c.From, c.To), c.Bearing, 1e-7);
    }
}

struct DirectCase {
    GeoPoint Start;
    double Bearing, Distance;
    GeoPoint End;
};
const DirectCase DirectTable[] = {
    {{35, -100}, 90, 60, {34.993889919727550, -98.779286176749551}},
    {{35.22, -97.44}, 45, 120, {36.621526907881616, -95.678025314401836}},
    {{40, -100}, 215, 35, {39.521349947668426, -100.433742659490576}},
    {{33, -102}, 300, 15.5, {33.128882269734667, -102.267150355354289}},
    {{60, -95}, 135, 250, {56.934558892317590, -89.596648782592837}},
};

TEST(Geodesy, DestinationMatchesReferenceTable) {
    for (const DirectCase& c : DirectTable) {
        SCOPED_TRACE(testing::Message() << c.Bearing << " deg " << c.Distance << " nm");
        const GeoPoint end = DestinationPoint(c.Start, c.Distance, c.Bearing);
        EXPECT_NEAR(end.Latitude, c.End.Latitude, 1e-9);
        EXPECT_NEAR(end.Longitude, c.End.Longitude, 1e-9);
    }
}

TEST(Geodesy, DistanceOfAPointToItselfIsExactlyZero) {
    // Through the trigonometry this would come out as a tiny non-zero number.
    for (const GeoPoint p :
         {GeoPoint{33.3333, -97.1234}, GeoPoint{0.1, 0.2}, GeoPoint{-45.5, 170.25}})
        EXPECT_EQ(GreatCircleDistance(p, p), 0.0);
    // Latitude equal but longitude not: real trigonometry.
    EXPECT_GT(GreatCircleDistance({35, -100}, {35, -100.0001}), 0.0);
}

TEST(Geodesy, BearingStaysBelow360) {
    // Almost due north but a hair to the west: the atan2 gives a tiny negative angle
    // that becomes 360 after the correction unless it is folded back to 0.
    const double b = InitialBearing({0, 0}, {10, -1e-13});
    EXPECT_GE(b, 0.0);
    EXPECT_LT(b, 360.0);
    EXPECT_NEAR(InitialBearing({10, 20}, {10, 19}), 360.0 - 89.913173773552600, 1e-7);
}

TEST(Geodesy, DestinationEdges) {
    const GeoPoint start{35.0, -100.0};
    const GeoPoint same = DestinationPoint(start, 0.0, 123.0);
    EXPECT_NEAR(same.Latitude, 35.0, 1e-12);
    EXPECT_EQ(same.Longitude, -100.0);
    const GeoPoint north = DestinationPoint(start, 60.0, 0.0);
    EXPECT_NEAR(north.Latitude, 36.0, 1e-9);
    EXPECT_EQ(north.Longitude, -100.0);
}

TEST(Geodesy, ArcSineAndArcCosineClampOutsideTheirDomain) {
    EXPECT_EQ(ArcSinDeg(1.0), 90.0);
    EXPECT_EQ(ArcSinDeg(-1.0), -90.0);
    EXPECT_EQ(ArcSinDeg(1.0000001), 90.0);
    EXPECT_EQ(ArcSinDeg(-7.0), -90.0);
    EXPECT_NEAR(ArcSinDeg(0.5), 30.0, 1e-12);
    EXPECT_NEAR(ArcSinDeg(-std::sqrt(0.5)), -45.0, 1e-12);
    EXPECT_EQ(ArcSinDeg(0.0), 0.0);

    // Radians out, although the arcsine works in degrees.
    EXPECT_NEAR(ArcCosRad(0.0), std::numbers::pi / 2, 1e-15);
    EXPECT_NEAR(ArcCosRad(0.5), std::numbers::pi / 3, 1e-12);
    EXPECT_NEAR(ArcCosRad(2.0), 0.0, 1e-15);
    EXPECT_NEAR(ArcCosRad(-2.0), std::numbers::pi, 1e-15);

    EXPECT_NEAR(Tangent(std::numbers::pi / 4), 1.0, 1e-15);
    EXPECT_NEAR(Tangent(-std::numbers::pi / 3), -std::sqrt(3.0), 1e-12);
}

TEST(Geodesy, CompassOctantRangesIncludeTheirLowerBound) {
    const struct {
        double Bearing;
        const char* Word;
    } cases[] = {
        {0, "NORTH"},
        {22.4999, "NORTH"},
        {22.5, "NORTHEAST"},
        {67.4999, "NORTHEAST"},
        {67.5, "EAST"},
        {112.4999, "EAST"},
        {112.5, "SOUTHEAST"},
        {157.5, "SOUTH"},
        {202.4999, "SOUTH"},
        {202.5, "SOUTHWEST"},
        {247.5, "WEST"},
        {292.5, "NORTHWEST"},
        {337.4999, "NORTHWEST"},
        {337.5, "NORTH"},
        {359.9, "NORTH"},
        {360, "NORTH"},
        {400, "NORTH"},
        {-10, "NORTH"},
        {-300, "NORTH"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::string(CompassOctant(c.Bearing)), c.Word) << "bearing " << c.Bearing;
}

// The floor may only rule a pair out when the distance worked out in full is at least the
// limit, to the last bit; tried on pairs of every kind, with limits just above, at and
// just below each distance.
TEST(Geodesy, TheDistanceFloorNeverRulesOutAPairThatCouldMatter) {
    std::vector<GeoPoint> points = {
        {35.0, -97.0},       {35.0, -97.0 + 1e-9}, {35.0 + 1e-12, -97.0}, {90.0, 0.0},
        {-90.0, 10.0},       {89.999999, 45.0},    {0.0, 179.9999},       {0.0, -179.9999},
        {-35.0, 83.0},       {35.0, 83.0},         {36.0, -97.0},         {34.9, -96.9},
        {40.0, -500.0},      {40.0, 220.0},        {95.0, -97.0},         {-120.0, 40.0},
        {std::nan(""), 0.0}, {30.0, std::nan("")}, {1e300, 1.0},          {33.3, -1e17},
    };
    std::uint64_t state = 88172645463325252ULL; // xorshift: the same pairs every run
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    for (int i = 0; i < 400; ++i) // the Plains, and the whole globe
        points.push_back(i % 2 ? GeoPoint{28.0 + 20.0 * next(), -108.0 + 25.0 * next()}
                               : GeoPoint{180.0 * next() - 90.0, 360.0 * next() - 180.0});
    int ruledOut = 0;
    for (const GeoPoint& p : points) {
        const TrigPoint a = WithLatitudeTrig(p);
        for (const GeoPoint& q : points) {
            const TrigPoint b = WithLatitudeTrig(q);
            const double d = PreparedDistance(a, b);
            ASSERT_EQ(std::bit_cast<std::uint64_t>(d),
                      std::bit_cast<std::uint64_t>(GreatCircleDistance(p, q)));
            for (const double limit : {std::nextafter(d, 1e9), d + 1e-6, d + 0.005, d * 0.5,
                                       d - 1.0, 0.0, 30.0, 120.0, 999999.0}) {
                if (!PreparedDistanceAtLeast(a, b, limit)) continue;
                ++ruledOut;
                ASSERT_GE(d, limit) << p.Latitude << "," << p.Longitude << " to " << q.Latitude
                                    << "," << q.Longitude;
            }
        }
    }
    // Not a floor that never says anything: most far pairs are ruled out.
    EXPECT_GT(ruledOut, 400 * 400);
}

} // namespace
} // namespace nimbrel
