#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "linear_view.h"
#include "products/regions.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

using test::LinearView;
using test::PixelX;
using test::PixelY;

RegionFlags FlagsOf(std::initializer_list<int> flagged) {
    RegionFlags f{};
    for (int s : flagged)
        f[static_cast<std::size_t>(s)] = true;
    return f;
}

/// A polygon with its axis from A to B and the width vector d, vertices in order
/// A - d, A, A + d, B + d, B, B - d.
std::array<PixelPoint, 6> Parallelogram(PixelPoint a, PixelPoint b, PixelPoint d) {
    return {PixelPoint{a.X - d.X, a.Y - d.Y}, a, PixelPoint{a.X + d.X, a.Y + d.Y},
            PixelPoint{b.X + d.X, b.Y + d.Y}, b, PixelPoint{b.X - d.X, b.Y - d.Y}};
}

std::array<PixelPoint, 6> AllAt(double latitude, double longitude) {
    const PixelPoint p{PixelX(longitude), PixelY(latitude)};
    return {p, p, p, p, p, p};
}

TEST(RegionTable, ParentsAreNamedAndHigherSoReductionEnds) {
    for (int s = 1; s <= RegionSlotCount; ++s) {
        const RegionSlot& r = Region(s);
        if (r.Parent == 0) continue;
        EXPECT_GT(r.Parent, s) << "slot " << s;
        EXPECT_STRNE(Region(r.Parent).Name, "") << "parent of slot " << s;
    }
    // Boxes only on 1-33; slots reached as parents only have none.
    EXPECT_TRUE(Region(33).HasBox);
    EXPECT_FALSE(Region(51).HasBox);
    EXPECT_STREQ(Region(0).Name, "");
    EXPECT_STREQ(Region(101).Name, "");
}

TEST(RegionBox, EdgesBelongToNeitherBoxAndOverlapsToBoth) {
    // 34.5 N is the edge between the Texas panhandle (5) and west Texas (7).
    EXPECT_FALSE(InRegionBox(5, {34.5, -101.5}));
    EXPECT_FALSE(InRegionBox(7, {34.5, -101.5}));
    EXPECT_TRUE(InRegionBox(5, {34.51, -101.5}));
    EXPECT_TRUE(InRegionBox(7, {34.49, -101.5}));
    // 97 W separates western (33) and eastern (14) Oklahoma.
    EXPECT_FALSE(InRegionBox(33, {35.5, -97.0}));
    EXPECT_FALSE(InRegionBox(14, {35.5, -97.0}));
    // West Texas and south Texas overlap between 30 and 31 N.
    RegionFlags f{};
    FlagRegionsAt(f, {30.5, -101.0});
    EXPECT_EQ(FlaggedRegionNames(f), (QStringList{"WEST TEXAS", "SOUTH TEXAS"}));
}

TEST(RegionBox, PointsOffTheGlobeFallInNoBox) {
    RegionFlags f{};
    FlagRegionsAt(f, {std::numeric_limits<double>::quiet_NaN(), -98.0});
    FlagRegionsAt(f, {35.0, std::numeric_limits<double>::quiet_NaN()});
    FlagRegionsAt(f, {MissingCoordinate, MissingCoordinate});
    EXPECT_TRUE(FlaggedRegionNames(f).isEmpty());
}

TEST(RegionReduction, LowestSlotsRollUpUntilFourRemain) {
    // 5 rolls into TEXAS (51), then 7 folds into the TEXAS already flagged.
    RegionFlags f = FlagsOf({5, 7, 10, 14, 33});
    ReduceRegions(f);
    const QStringList names = FlaggedRegionNames(f);
    EXPECT_EQ(names, (QStringList{"NORTH TEXAS", "EASTERN OKLAHOMA", "WESTERN OKLAHOMA", "TEXAS"}));
    EXPECT_EQ(
        AreaPhrase(names),
        QStringLiteral("IN NORTH TEXAS... EASTERN OKLAHOMA... WESTERN OKLAHOMA... AND TEXAS."));
}

TEST(RegionReduction, ParentsAreTakenFromTheTableNotFromGeography) {
    // The Oklahoma panhandle rolls into TEXAS and both Kansas regions into COLORADO.
    RegionFlags f = FlagsOf({6, 17, 18, 25, 26});
    ReduceRegions(f);
    EXPECT_EQ(FlaggedRegionNames(f),
              (QStringList{"CENTRAL NEBRASKA", "EASTERN NEBRASKA", "TEXAS", "COLORADO"}));
}

TEST(RegionReduction, RegionWithoutParentIsDroppedAndFourAreLeftAlone) {
    RegionFlags f = FlagsOf({77, 78, 79, 80, 83});
    ReduceRegions(f);
    EXPECT_EQ(FlaggedRegionNames(f), (QStringList{"THE LOWER MISSISSIPPI VALLEY", "THE ROCKIES",
                                                  "THE MIDWEST STATES", "THE GREAT LAKES REGION"}));
    RegionFlags four = FlagsOf({1, 2, 3, 4});
    ReduceRegions(four);
    EXPECT_EQ(FlaggedRegionNames(four).size(), 4);
    EXPECT_EQ(FlaggedRegionNames(four).first(), QStringLiteral("SOUTHWEST NEW MEXICO"));
}

TEST(RegionReduction, ManyRegionsEndInAtMostFour) {
    RegionFlags f{};
    for (int s = 1; s <= 33; ++s)
        f[static_cast<std::size_t>(s)] = true;
    ReduceRegions(f);
    EXPECT_LE(FlaggedRegionNames(f).size(), 4);
    EXPECT_FALSE(FlaggedRegionNames(f).isEmpty());
}

TEST(AreaPhraseForms, ZeroToFourNames) {
    EXPECT_EQ(AreaPhrase({}), QString());
    EXPECT_EQ(AreaPhrase({"IOWA"}), QStringLiteral("IN IOWA."));
    EXPECT_EQ(AreaPhrase({"EASTERN OKLAHOMA", "WESTERN OKLAHOMA"}),
              QStringLiteral("FROM EASTERN OKLAHOMA TO WESTERN OKLAHOMA."));
    EXPECT_EQ(AreaPhrase({"EASTERN KANSAS", "IOWA", "SOUTH DAKOTA"}),
              QStringLiteral("IN EASTERN KANSAS... IOWA... AND SOUTH DAKOTA."));
    EXPECT_EQ(AreaPhrase({"ARKANSAS", "EASTERN OKLAHOMA", "WESTERN OKLAHOMA", "TEXAS"}),
              QStringLiteral("IN ARKANSAS... EASTERN OKLAHOMA... WESTERN OKLAHOMA... AND TEXAS."));
}

TEST(AreaSamples, NineLinesParallelToTheAxisInsideThePolygon) {
    // Axis from (10,50) to (110,50), width 20 either side: rows at 80 % ... -80 % of the
    // half-width (y 66, 62 ... 34), columns at 10 % ... 90 % of the length (x 20 ... 100).
    const auto samples = AreaSamplePoints(Parallelogram({10, 50}, {110, 50}, {0, 20}));
    ASSERT_EQ(samples.size(), 81u);
    EXPECT_EQ(samples[0], (PixelPoint{20, 66}));
    EXPECT_EQ(samples[8], (PixelPoint{100, 66}));
    EXPECT_EQ(samples[40], (PixelPoint{60, 50}));
    EXPECT_EQ(samples[80], (PixelPoint{100, 34}));
}

TEST(AreaSamples, FractionalPixelsAreRoundedToWholePixels) {
    // Axis of 13 pixels: columns at 1.3, 2.6, 3.9 ... round to 1, 3, 4 ...; half-width 3
    // vertically: rows at 2.4 and 1.8 round to 2 ...
    const auto samples = AreaSamplePoints(Parallelogram({0, 0}, {13, 0}, {0, 3}));
    EXPECT_EQ(samples[0], (PixelPoint{1, 2}));
    EXPECT_EQ(samples[1], (PixelPoint{3, 2}));
    EXPECT_EQ(samples[2], (PixelPoint{4, 2}));
    EXPECT_EQ(samples[9], (PixelPoint{1, 2}));  // 1.8 -> 2
    EXPECT_EQ(samples[18], (PixelPoint{1, 1})); // 1.2 -> 1
}

TEST(DescribeArea, PolygonOverBothHalvesOfOklahomaReadsInSlotOrder) {
    // Axis along 35.5 N from 99.5 W to 95 W, a degree either side.
    const auto polygon =
        Parallelogram({PixelX(-99.5), PixelY(35.5)}, {PixelX(-95.0), PixelY(35.5)}, {0, 4});
    const AreaDescription d = DescribeArea(polygon, LinearView);
    EXPECT_EQ(d.RegionNames, (QStringList{"EASTERN OKLAHOMA", "WESTERN OKLAHOMA"}));
    EXPECT_EQ(d.AreaPhrase, QStringLiteral("FROM EASTERN OKLAHOMA TO WESTERN OKLAHOMA."));
}

TEST(DescribeArea, FiveRegionsAreReducedToFour) {
    // Axis along 34.5 N from 102 W to 95.5 W, 1.5 degrees either side: the samples
    // reach the Texas panhandle, west and north Texas and both halves of Oklahoma.
    const auto polygon =
        Parallelogram({PixelX(-102.0), PixelY(34.5)}, {PixelX(-95.5), PixelY(34.5)}, {0, 6});
    const AreaDescription d = DescribeArea(polygon, LinearView);
    EXPECT_EQ(
        d.AreaPhrase,
        QStringLiteral("IN NORTH TEXAS... EASTERN OKLAHOMA... WESTERN OKLAHOMA... AND TEXAS."));
}

TEST(DescribeArea, PointPolygonOnAnEdgeOrOutsideNamesNothing) {
    EXPECT_TRUE(DescribeArea(AllAt(34.5, -101.5), LinearView).RegionNames.isEmpty());
    EXPECT_EQ(DescribeArea(AllAt(34.5, -101.5), LinearView).AreaPhrase, QString());
    EXPECT_TRUE(DescribeArea(AllAt(20.0, -100.0), LinearView).RegionNames.isEmpty());
    EXPECT_EQ(DescribeArea(AllAt(34.75, -101.5), LinearView).AreaPhrase,
              QStringLiteral("IN THE TEXAS PANHANDLE."));
}

TEST(DescribeArea, SamplesOffTheGlobeAreIgnored) {
    // Only the western half of the view lies on the globe.
    auto halfGlobe = [](double x, double y) {
        if (x > PixelX(-97.0)) return GeoPoint{std::nan(""), std::nan("")};
        return LinearView(x, y);
    };
    const auto polygon =
        Parallelogram({PixelX(-99.5), PixelY(35.5)}, {PixelX(-95.0), PixelY(35.5)}, {0, 4});
    EXPECT_EQ(DescribeArea(polygon, halfGlobe).RegionNames, (QStringList{"WESTERN OKLAHOMA"}));
}

} // namespace
} // namespace nimbrel
