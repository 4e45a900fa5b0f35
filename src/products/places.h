#pragma once
// Place words of the watches: a point given as so many statute miles in a compass
// direction from the nearest sizeable city, and the watch's half-width in miles.
#include <vector>

#include <QByteArray>
#include <QString>

#include "map/geodesy.h"

namespace nimbrel {

/// Only cities at least this large are named in products.
inline constexpr double MinimumCityPopulation = 30000.0;
/// Nautical to statute miles, as the products have always converted them (the measuring
/// line uses the exact factor).
inline constexpr double ProductMilesPerNauticalMile = 1.15;

struct City {
    double Population = 0.0;
    QString Name;  ///< upper case, shown unchanged
    QString State; ///< upper case
    GeoPoint Position;
};

/// The cities of a city list text ("nimbrel.cit") that are large enough, in file order.
/// A line's fields are the texts followed by a comma (what follows the last comma is
/// not used; at most ten fields are taken): population, name, (unused), state,
/// latitude, longitude. A line that does not give all six, or whose population,
/// latitude or longitude is not a number (or not a place on the earth), is skipped:
/// one damaged line should not stop the trainee from issuing a watch, and the cities
/// of the other lines are still right.
std::vector<City> ParseCityList(const QByteArray& text);
/// Reads and parses a city list file; FileNotFound when missing, FileError when
/// unreadable.
std::vector<City> ReadCityFile(const QString& path);

/// Statute miles rounded to a multiple of five; exactly halfway goes to the multiple
/// of ten (12.5 -> 10, 17.5 -> 20).
int RoundToFiveMiles(double statuteMiles);

/// "40 MILES SOUTH OF CHILDRESS TEXAS": the nearest city by flat distance in degrees
/// (of equally near cities the first listed wins), the great-circle distance from it
/// in statute miles rounded to five, and the direction of the point seen from the
/// city. Throws DataError when `cities` is empty: a watch cannot place its axis
/// without a city, and a text naming none would be wrong.
QString DescribePlace(const GeoPoint& point, const std::vector<City>& cities);

/// The watch's half-width: great-circle distance from the axis start to vertex 1, in
/// statute miles rounded to five, as a whole number.
QString DescribeHalfWidth(const GeoPoint& vertex1, const GeoPoint& vertex2);

} // namespace nimbrel
