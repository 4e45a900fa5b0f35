#include "cities.h"

#include <algorithm>
#include <map>

#include <QRegularExpression>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel::tools {

QString StateNameOfPostal(const QString& postal) {
    static const std::map<QString, QString> names = {
        {"AL", "ALABAMA"},        {"AK", "ALASKA"},         {"AZ", "ARIZONA"},
        {"AR", "ARKANSAS"},       {"CA", "CALIFORNIA"},     {"CO", "COLORADO"},
        {"CT", "CONNECTICUT"},    {"DE", "DELAWARE"},       {"DC", "DISTRICT OF COLUMBIA"},
        {"FL", "FLORIDA"},        {"GA", "GEORGIA"},        {"HI", "HAWAII"},
        {"ID", "IDAHO"},          {"IL", "ILLINOIS"},       {"IN", "INDIANA"},
        {"IA", "IOWA"},           {"KS", "KANSAS"},         {"KY", "KENTUCKY"},
        {"LA", "LOUISIANA"},      {"ME", "MAINE"},          {"MD", "MARYLAND"},
        {"MA", "MASSACHUSETTS"},  {"MI", "MICHIGAN"},       {"MN", "MINNESOTA"},
        {"MS", "MISSISSIPPI"},    {"MO", "MISSOURI"},       {"MT", "MONTANA"},
        {"NE", "NEBRASKA"},       {"NV", "NEVADA"},         {"NH", "NEW HAMPSHIRE"},
        {"NJ", "NEW JERSEY"},     {"NM", "NEW MEXICO"},     {"NY", "NEW YORK"},
        {"NC", "NORTH CAROLINA"}, {"ND", "NORTH DAKOTA"},   {"OH", "OHIO"},
        {"OK", "OKLAHOMA"},       {"OR", "OREGON"},         {"PA", "PENNSYLVANIA"},
        {"RI", "RHODE ISLAND"},   {"SC", "SOUTH CAROLINA"}, {"SD", "SOUTH DAKOTA"},
        {"TN", "TENNESSEE"},      {"TX", "TEXAS"},          {"UT", "UTAH"},
        {"VT", "VERMONT"},        {"VA", "VIRGINIA"},       {"WA", "WASHINGTON"},
        {"WV", "WEST VIRGINIA"},  {"WI", "WISCONSIN"},      {"WY", "WYOMING"},
    };
    const auto it = names.find(postal.trimmed().toUpper());
    return it == names.end() ? QString() : it->second;
}

std::vector<City> ParseGazetteer(const QByteArray& tsv, int minimumPopulation) {
    std::vector<City> cities;
    bool header = true;
    for (const QByteArray& rawLine : tsv.split('\n')) {
        const QByteArray line = rawLine.endsWith('\r') ? rawLine.chopped(1) : rawLine;
        if (header) {
            header = false;
            continue;
        }
        if (line.trimmed().isEmpty()) continue;
        const QList<QByteArray> f = line.split('\t');
        if (f.size() < 8) continue;
        City c;
        bool okLat = false, okLon = false, okPop = false;
        c.SourceId = QString::fromLatin1(f[0]);
        // The ASCII form keeps the file within the 8-bit character set; commas would
        // split the name into fields, so they go, and so does a census qualifier such
        // as "(balance)", which is no part of a name a forecaster would write.
        c.Name = QString::fromLatin1(f[2])
                     .toUpper()
                     .remove(QLatin1Char(','))
                     .remove(QRegularExpression(QStringLiteral("\\([^)]*\\)")))
                     .simplified();
        c.Latitude = f[3].toDouble(&okLat);
        c.Longitude = f[4].toDouble(&okLon);
        c.Postal = QString::fromLatin1(f[6]).trimmed().toUpper();
        c.Population = f[7].toInt(&okPop);
        c.StateName = StateNameOfPostal(c.Postal);
        if (!okLat || !okLon || !okPop || c.Name.isEmpty() || c.StateName.isEmpty()) continue;
        if (c.Population < minimumPopulation) continue;
        cities.push_back(c);
    }
    return cities;
}

QByteArray EncodeCityFile(std::vector<City> cities) {
    std::stable_sort(cities.begin(), cities.end(), [](const City& a, const City& b) {
        if (a.Population != b.Population) return a.Population > b.Population;
        return a.Name < b.Name;
    });
    QByteArray out;
    for (const City& c : cities) {
        out += QByteArray::number(c.Population) + ',' + c.Name.toLatin1() + ',' +
               c.Postal.toLatin1() + ',' + c.StateName.toLatin1() + ',' +
               QByteArray::number(c.Latitude, 'f', 4) + ',' +
               QByteArray::number(c.Longitude, 'f', 4) + ',' + c.SourceId.toLatin1() + "\r\n";
    }
    return out;
}

std::vector<City> ReadCityFile(const QString& path) {
    std::vector<City> cities;
    for (const QByteArray& line : ReadWholeFile(path).split('\n')) {
        QList<QByteArray> fields = line.split(',');
        if (fields.size() < 7) continue; // six comma-terminated fields and the tail
        City c;
        bool okPop = false, okLat = false, okLon = false;
        c.Population = fields[0].trimmed().toInt(&okPop);
        c.Name = QString::fromLatin1(fields[1]);
        c.Postal = QString::fromLatin1(fields[2]);
        c.StateName = QString::fromLatin1(fields[3]);
        c.Latitude = fields[4].trimmed().toDouble(&okLat);
        c.Longitude = fields[5].trimmed().toDouble(&okLon);
        if (!okPop || !okLat || !okLon)
            throw DataError(QStringLiteral("Bad city line: ") + QString::fromLatin1(line));
        cities.push_back(c);
    }
    return cities;
}

} // namespace nimbrel::tools
