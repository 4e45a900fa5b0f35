#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/errors.h"
#include "products/places.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

TEST(CityList, TakesCommaTerminatedFieldsOfLargeEnoughCities) {
    const QByteArray text =
        "30000,ENID,X,OKLAHOMA,36.4,-97.9,\n"                 // exactly 30000: kept
        "29999,GUYMON,X,OKLAHOMA,36.7,-101.5,\n"              // too small
        "100000,NORMAN,X,OKLAHOMA,35.2,-97.4\n"               // longitude not comma-terminated
        "150000,AMARILLO,X,TEXAS,35.2,-101.8,1,2,3,4,5,6\r\n" // extra fields, CRLF
        "\n"
        "lots,BROKEN,X,STATE,35,-99,\n"      // population not a number
        "50000,NOWHERE,X,STATE,north,-99,\n" // latitude not a number
        "50000,FARAWAY,X,STATE,95,-99,\n"    // not a place on the earth
        "  40000 ,Lower Case Kept,X, SPACED STATE, 34.5 , -98.5 ,\n";
    const std::vector<City> cities = ParseCityList(text);
    ASSERT_EQ(cities.size(), 3u);
    EXPECT_EQ(cities[0].Name, QStringLiteral("ENID"));
    EXPECT_EQ(cities[0].State, QStringLiteral("OKLAHOMA"));
    EXPECT_DOUBLE_EQ(cities[0].Position.Latitude, 36.4);
    EXPECT_DOUBLE_EQ(cities[0].Position.Longitude, -97.9);
    EXPECT_EQ(cities[1].Name, QStringLiteral("AMARILLO"));
    EXPECT_DOUBLE_EQ(cities[1].Population, 150000.0);
    // Names are shown as the file gives them; numbers may carry spaces.
    EXPECT_EQ(cities[2].Name, QStringLiteral("Lower Case Kept"));
    EXPECT_EQ(cities[2].State, QStringLiteral(" SPACED STATE"));
    EXPECT_DOUBLE_EQ(cities[2].Position.Longitude, -98.5);
}

TEST(CityList, MissingFileIsFileNotFound) {
    QTemporaryDir dir;
    EXPECT_THROW(ReadCityFile(dir.path() + QStringLiteral("/nimbrel.cit")), FileNotFound);
}

TEST(MilesRounding, MultiplesOfFiveWithHalvesToTheEvenMultiple) {
    EXPECT_EQ(RoundToFiveMiles(12.5), 10);
    EXPECT_EQ(RoundToFiveMiles(17.5), 20);
    EXPECT_EQ(RoundToFiveMiles(22.4), 20);
    EXPECT_EQ(RoundToFiveMiles(22.5), 20);
    EXPECT_EQ(RoundToFiveMiles(22.6), 25);
    EXPECT_EQ(RoundToFiveMiles(2.5), 0);
    EXPECT_EQ(RoundToFiveMiles(7.5), 10);
    EXPECT_EQ(RoundToFiveMiles(0.0), 0);
}

class PlaceTest : public ::testing::Test {
protected:
    std::vector<City> Cities(const QByteArray& text) { return ParseCityList(text); }
};

TEST_F(PlaceTest, DistanceInStatuteMilesAndDirectionSeenFromTheCity) {
    const auto cities = Cities("50000,CHILDRESS,X,TEXAS,34.5,-100.2,\n"
                               "50000,ENID,X,OKLAHOMA,36.4,-97.9,\n");
    // Half a degree south of Childress: 30 nm, 34.5 statute miles, written 35.
    EXPECT_EQ(DescribePlace({34.0, -100.2}, cities),
              QStringLiteral("35 MILES SOUTH OF CHILDRESS TEXAS"));
    // A degree north of Enid: 60 nm, 69 miles, written 70.
    EXPECT_EQ(DescribePlace({37.4, -97.9}, cities),
              QStringLiteral("70 MILES NORTH OF ENID OKLAHOMA"));
    // North-west of Enid.
    EXPECT_EQ(DescribePlace({36.7, -98.3}, cities).section(' ', 2, 2), QStringLiteral("NORTHWEST"));
    // The city itself.
    EXPECT_EQ(DescribePlace({36.4, -97.9}, cities),
              QStringLiteral("0 MILES NORTH OF ENID OKLAHOMA"));
}

TEST_F(PlaceTest, NearestByFlatDegreesAndFirstOfEqualsWins) {
    const QByteArray west = "50000,WESTTOWN,X,KANSAS,38,-99,\n";
    const QByteArray east = "50000,EASTTOWN,X,KANSAS,38,-97,\n";
    EXPECT_TRUE(DescribePlace({38.0, -98.0}, Cities(west + east))
                    .endsWith(QLatin1String("EAST OF WESTTOWN KANSAS")));
    EXPECT_TRUE(DescribePlace({38.0, -98.0}, Cities(east + west))
                    .endsWith(QLatin1String("WEST OF EASTTOWN KANSAS")));
    // At 60 N a degree of longitude is half as long as one of latitude, but the search
    // compares degrees: the town 0.9 degrees north wins over the one a degree east.
    const auto cities = Cities("50000,EASTWARD,X,ALBERTA,60,-99,\n"
                               "50000,NORTHWARD,X,ALBERTA,60.9,-100,\n");
    EXPECT_EQ(DescribePlace({60.0, -100.0}, cities),
              QStringLiteral("60 MILES SOUTH OF NORTHWARD ALBERTA"));
}

TEST_F(PlaceTest, SmallTownsAreNotNamed) {
    const auto cities = Cities("29000,HAMLET,X,OKLAHOMA,35,-98,\n"
                               "80000,LAWTON,X,OKLAHOMA,34.5,-98,\n");
    EXPECT_EQ(DescribePlace({35.0, -98.0}, cities),
              QStringLiteral("35 MILES NORTH OF LAWTON OKLAHOMA"));
}

TEST_F(PlaceTest, NoCityLargeEnoughIsAClearError) {
    try {
        DescribePlace({35.0, -98.0}, Cities("20000,HAMLET,X,OKLAHOMA,35,-98,\n"));
        FAIL() << "expected DataError";
    } catch (const DataError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("nimbrel.cit")));
    }
}

TEST_F(PlaceTest, PointOffTheGlobeIsAnErrorNotANumber) {
    const auto cities = Cities("50000,ENID,X,OKLAHOMA,36.4,-97.9,\n");
    EXPECT_THROW(DescribePlace({std::nan(""), -97.0}, cities), DataError);
    EXPECT_THROW(DescribePlace({MissingCoordinate, MissingCoordinate}, cities), DataError);
    EXPECT_THROW(DescribeHalfWidth({std::nan(""), 0.0}, {35.0, -97.0}), DataError);
}

TEST(HalfWidth, StatuteMilesBetweenVertexOneAndTheAxisStart) {
    // One degree of latitude: 69 statute miles, written 70.
    EXPECT_EQ(DescribeHalfWidth({36.0, -98.0}, {35.0, -98.0}), QStringLiteral("70"));
    // Two degrees: 138 miles, written 140.
    EXPECT_EQ(DescribeHalfWidth({37.0, -98.0}, {35.0, -98.0}), QStringLiteral("140"));
    EXPECT_EQ(DescribeHalfWidth({35.0, -98.0}, {35.0, -98.0}), QStringLiteral("0"));
}

} // namespace
} // namespace nimbrel
