#include "products/places.h"

#include <cmath>

#include <QList>

#include "base/errors.h"
#include "base/records.h"
#include "base/rounding.h"

namespace nimbrel {
namespace {

constexpr int MaxCityFields = 10;
constexpr int NeededCityFields = 6;
constexpr double NoCityYet = 99999.0;

bool ParseNumber(const QByteArray& field, double& value) {
    bool ok = false;
    value = field.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// A pixel off the globe has no position; a distance from it would be a made-up number.
void RequireOnEarth(const GeoPoint& p) {
    if (!std::isfinite(p.Latitude) || !std::isfinite(p.Longitude) || std::fabs(p.Latitude) > 90.0)
        throw DataError(QStringLiteral("The watch area lies off the map; please draw it again."));
}

} // namespace

std::vector<City> ParseCityList(const QByteArray& text) {
    std::vector<City> cities;
    for (const QByteArray& rawLine : text.split('\n')) {
        QList<QByteArray> pieces = rawLine.split(',');
        // The last piece is not followed by a comma and does not count.
        pieces.removeLast();
        if (pieces.size() > MaxCityFields) pieces.resize(MaxCityFields);
        if (pieces.size() < NeededCityFields) continue;
        City c;
        if (!ParseNumber(pieces[0], c.Population) || !ParseNumber(pieces[4], c.Position.Latitude) ||
            !ParseNumber(pieces[5], c.Position.Longitude))
            continue;
        if (std::fabs(c.Position.Latitude) > 90.0 || std::fabs(c.Position.Longitude) > 180.0)
            continue;
        if (c.Population < MinimumCityPopulation) continue;
        c.Name = QString::fromLatin1(pieces[1]);
        c.State = QString::fromLatin1(pieces[3]);
        cities.push_back(std::move(c));
    }
    return cities;
}

std::vector<City> ReadCityFile(const QString& path) {
    return ParseCityList(ReadWholeFile(path));
}

int RoundToFiveMiles(double statuteMiles) {
    return static_cast<int>(RoundHalfEven(statuteMiles / 5.0)) * 5;
}

QString DescribePlace(const GeoPoint& point, const std::vector<City>& cities) {
    RequireOnEarth(point);
    if (cities.empty())
        throw DataError(
            QStringLiteral("The city list \"nimbrel.cit\" names no city of 30000 or more "
                           "people, so the watch area cannot be described."));
    const City* best = nullptr;
    double bestDistance = NoCityYet;
    for (const City& c : cities) {
        const double dLat = point.Latitude - c.Position.Latitude;
        const double dLon = point.Longitude - c.Position.Longitude;
        const double d = std::sqrt(dLat * dLat + dLon * dLon);
        if (d < bestDistance) {
            bestDistance = d;
            best = &c;
        }
    }
    if (!best)
        throw DataError(QStringLiteral("The watch area lies off the map; please draw it again."));
    const double miles = GreatCircleDistance(point, best->Position) * ProductMilesPerNauticalMile;
    const char* direction = CompassOctant(InitialBearing(best->Position, point));
    return QStringLiteral("%1 MILES %2 OF %3 %4")
        .arg(RoundToFiveMiles(miles))
        .arg(QString::fromLatin1(direction), best->Name, best->State);
}

QString DescribeHalfWidth(const GeoPoint& vertex1, const GeoPoint& vertex2) {
    RequireOnEarth(vertex1);
    RequireOnEarth(vertex2);
    const double miles = GreatCircleDistance(vertex2, vertex1) * ProductMilesPerNauticalMile;
    return QString::number(RoundToFiveMiles(miles));
}

} // namespace nimbrel
