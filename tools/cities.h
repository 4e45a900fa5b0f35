#pragma once
// "nimbrel.cit", the cities the products name: one line per city,
//   population,NAME,postal code,STATE NAME,latitude,longitude,geonameid
// The program reads the first six comma-terminated fields (the postal code is not
// used there); the last field, after the final comma, is not read and keeps the
// gazetteer id so that every line can be traced to its source.
#include <vector>

#include <QByteArray>
#include <QString>

namespace nimbrel::tools {

struct City {
    int Population = 0;
    QString Name;      ///< upper case, ASCII
    QString Postal;    ///< two-letter postal code
    QString StateName; ///< upper case
    double Latitude = 0.0;
    double Longitude = 0.0; ///< east positive (negative in the United States)
    QString SourceId;
};

/// Full upper-case name of a postal code ("OK" -> "OKLAHOMA"); "" when unknown.
QString StateNameOfPostal(const QString& postal);

/// Parses the gazetteer extract (tab-separated, header line first): geonameid, name,
/// asciiname, lat, lon, feature_code, state_code, population, modified. Rows below
/// `minimumPopulation`, rows of unknown state codes and malformed rows are dropped.
std::vector<City> ParseGazetteer(const QByteArray& tsv, int minimumPopulation);
/// The city file's text: cities by population, largest first (so that the larger of two
/// equally near cities is named), ties by name; lines end in CR LF.
QByteArray EncodeCityFile(std::vector<City> cities);
/// Reads a city file back as the program does: the first six comma-terminated fields.
std::vector<City> ReadCityFile(const QString& path);

} // namespace nimbrel::tools
