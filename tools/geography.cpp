#include "geography.h"

#include <cmath>
#include <map>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel::tools {
namespace {

QJsonObject ParseObject(const QByteArray& json) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull() || !doc.isObject())
        throw DataError(QStringLiteral("Not a TopoJSON file: ") + error.errorString());
    return doc.object();
}

std::vector<int> ToIndexes(const QJsonArray& array) {
    std::vector<int> out;
    out.reserve(std::size_t(array.size()));
    for (const QJsonValue& v : array)
        out.push_back(v.toInt());
    return out;
}

// Every polygon's rings, as arc index lists, for one geometry.
std::vector<std::vector<int>> GeometryRings(const QJsonObject& geometry) {
    std::vector<std::vector<int>> rings;
    const QString type = geometry.value(QStringLiteral("type")).toString();
    const QJsonArray arcs = geometry.value(QStringLiteral("arcs")).toArray();
    if (type == QStringLiteral("Polygon")) {
        for (const QJsonValue& ring : arcs)
            rings.push_back(ToIndexes(ring.toArray()));
    } else if (type == QStringLiteral("MultiPolygon")) {
        for (const QJsonValue& polygon : arcs)
            for (const QJsonValue& ring : polygon.toArray())
                rings.push_back(ToIndexes(ring.toArray()));
    }
    return rings;
}

QString IdOf(const QJsonObject& geometry) {
    const QJsonValue id = geometry.value(QStringLiteral("id"));
    return id.isString() ? id.toString() : QString::number(id.toInt());
}

QJsonArray Geometries(const QJsonObject& root, const QString& name) {
    const QJsonObject object =
        root.value(QStringLiteral("objects")).toObject().value(name).toObject();
    if (object.isEmpty()) throw DataError(QStringLiteral("TopoJSON object missing: ") + name);
    return object.value(QStringLiteral("geometries")).toArray();
}

std::int16_t Minutes(double degrees) {
    return std::int16_t(std::lround(degrees * 60.0));
}
std::int16_t Hundredths(double degrees) {
    return std::int16_t(std::lround(degrees * 100.0));
}

} // namespace

Topology::Topology(const QByteArray& json) : json_(json) {
    const QJsonObject root = ParseObject(json);
    const QJsonObject transform = root.value(QStringLiteral("transform")).toObject();
    const QJsonArray scale = transform.value(QStringLiteral("scale")).toArray();
    const QJsonArray translate = transform.value(QStringLiteral("translate")).toArray();
    if (scale.size() != 2 || translate.size() != 2)
        throw DataError(QStringLiteral("TopoJSON file without a quantisation transform"));
    const double sx = scale[0].toDouble(), sy = scale[1].toDouble();
    const double tx = translate[0].toDouble(), ty = translate[1].toDouble();
    for (const QJsonValue& arcValue : root.value(QStringLiteral("arcs")).toArray()) {
        Polyline arc;
        long long x = 0, y = 0; // arcs are delta-encoded: keep a running sum
        for (const QJsonValue& p : arcValue.toArray()) {
            const QJsonArray pair = p.toArray();
            if (pair.size() < 2)
                throw DataError(QStringLiteral("TopoJSON arc point without two values"));
            x += pair[0].toInteger();
            y += pair[1].toInteger();
            arc.push_back({double(y) * sy + ty, double(x) * sx + tx});
        }
        arcs_.push_back(std::move(arc));
    }
}

Polyline Topology::Ring(const std::vector<int>& arcIndexes) const {
    Polyline ring;
    for (int index : arcIndexes) {
        const bool reversed = index < 0;
        const std::size_t arcIndex = std::size_t(reversed ? ~index : index);
        if (arcIndex >= arcs_.size())
            throw DataError(QStringLiteral("TopoJSON arc index out of range"));
        Polyline arc = arcs_[arcIndex];
        if (reversed) std::reverse(arc.begin(), arc.end());
        // Consecutive arcs of a ring share their joining point: keep it once.
        const std::size_t skip = ring.empty() ? 0 : 1;
        ring.insert(ring.end(), arc.begin() + std::ptrdiff_t(std::min(skip, arc.size())),
                    arc.end());
    }
    return ring;
}

std::vector<TopoFeature> Topology::Features(const QString& name) const {
    std::vector<TopoFeature> features;
    for (const QJsonValue& g : Geometries(ParseObject(json_), name)) {
        const QJsonObject geometry = g.toObject();
        TopoFeature feature;
        feature.Id = IdOf(geometry);
        feature.Name = geometry.value(QStringLiteral("properties"))
                           .toObject()
                           .value(QStringLiteral("name"))
                           .toString();
        for (const std::vector<int>& ring : GeometryRings(geometry))
            feature.Rings.push_back(Ring(ring));
        features.push_back(std::move(feature));
    }
    return features;
}

std::vector<Polyline> Topology::SharedArcs(const QString& name,
                                           bool (*keep)(const QString&)) const {
    std::map<std::size_t, int> uses;
    for (const QJsonValue& g : Geometries(ParseObject(json_), name)) {
        const QJsonObject geometry = g.toObject();
        if (keep && !keep(IdOf(geometry))) continue;
        for (const std::vector<int>& ring : GeometryRings(geometry))
            for (int index : ring)
                ++uses[std::size_t(index < 0 ? ~index : index)];
    }
    std::vector<Polyline> shared;
    for (const auto& [index, count] : uses)
        if (count >= 2 && index < arcs_.size()) shared.push_back(arcs_[index]);
    return shared;
}

bool IsContiguousState(const QString& fips) {
    bool ok = false;
    const int code = fips.left(2).toInt(&ok);
    if (!ok || code < 1 || code > 56) return false;
    return code != 2 && code != 15 && code != 11;
}

QByteArray EncodeOutline(const Polyline& ring, int code) {
    std::vector<std::pair<std::int16_t, std::int16_t>> points;
    for (const LatLon& p : ring) {
        const std::pair<std::int16_t, std::int16_t> q{Minutes(p.Latitude), Minutes(p.Longitude)};
        if (points.empty() || points.back() != q) points.push_back(q);
    }
    if (points.size() >= 2 && points.front() != points.back()) points.push_back(points.front());
    if (points.size() < 4) return {};
    QByteArray out;
    for (std::size_t i = 0; i < points.size(); ++i) {
        RecordBuilder record(6);
        record.Int16(0, std::int16_t(i == 0 ? 1000 + code : code));
        record.Int16(2, points[i].first);
        record.Int16(4, points[i].second);
        out += record.Bytes();
    }
    return out;
}

QByteArray EncodeLine(const Polyline& line, bool first) {
    std::vector<std::pair<std::int16_t, std::int16_t>> points;
    for (const LatLon& p : line) {
        // West positive, as the line layers store longitudes.
        const std::pair<std::int16_t, std::int16_t> q{Hundredths(p.Latitude),
                                                      Hundredths(-p.Longitude)};
        // A latitude that rounds to a pen-up value would break the line: leave it out.
        if (q.first == 0 || q.first == -1 || q.first == -100) continue;
        if (points.empty() || points.back() != q) points.push_back(q);
    }
    if (points.size() < 2) return {};
    QByteArray out;
    if (!first) out += RecordBuilder(4).Bytes(); // (0, 0): pen up
    for (const auto& [lat, lon] : points) {
        RecordBuilder record(4);
        record.Int16(0, lat);
        record.Int16(2, lon);
        out += record.Bytes();
    }
    return out;
}

std::vector<Polyline> ParseGmtSegments(const QByteArray& text) {
    std::vector<Polyline> segments;
    Polyline current;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.startsWith('>')) {
            if (!current.empty()) segments.push_back(std::move(current));
            current.clear();
            continue;
        }
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool okLon = false, okLat = false;
        const double lon = fields.value(0).toDouble(&okLon);
        const double lat = fields.size() > 1 ? fields[1].toDouble(&okLat) : 0.0;
        if (!okLon || !okLat)
            throw DataError(QStringLiteral("Bad river point: ") + QString::fromLatin1(line));
        current.push_back({lat, lon});
    }
    if (!current.empty()) segments.push_back(std::move(current));
    return segments;
}

std::vector<Polyline> ReadOutlineFile(const QString& path) {
    std::vector<Polyline> outlines;
    RecordFileReader reader(path, 6, MaxVectorFileBytes / 6);
    while (reader.Next()) {
        const RecordView r = reader.Current();
        if (r.Int16(0) >= 1000 || outlines.empty()) outlines.emplace_back();
        outlines.back().push_back({r.Int16(2) / 60.0, r.Int16(4) / 60.0});
    }
    return outlines;
}

std::vector<Polyline> ReadLineFile(const QString& path) {
    std::vector<Polyline> lines(1);
    RecordFileReader reader(path, 4, MaxVectorFileBytes / 4);
    while (reader.Next()) {
        const RecordView r = reader.Current();
        const int lat = r.Int16(0);
        if (lat == -9999 || lat == 9999 || lat == -1 || lat == -100 || lat == 0) {
            if (!lines.back().empty()) lines.emplace_back();
            continue;
        }
        lines.back().push_back({lat / 100.0, -r.Int16(2) / 100.0});
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

QStringList MakeGeographyFiles(const QString& geoFolder, const QString& outFolder) {
    QStringList summary;

    const Topology states(ReadWholeFile(geoFolder + QStringLiteral("states-10m.json")));
    QByteArray gis;
    int stateCount = 0, outlineCount = 0;
    for (const TopoFeature& state : states.Features(QStringLiteral("states"))) {
        if (!IsContiguousState(state.Id)) continue;
        ++stateCount;
        for (const Polyline& ring : state.Rings) {
            const QByteArray outline = EncodeOutline(ring, state.Id.toInt());
            if (outline.isEmpty()) continue;
            gis += outline;
            ++outlineCount;
        }
    }
    WriteWholeFile(outFolder + QStringLiteral("nimbrel.gis"), gis);
    summary << QStringLiteral("nimbrel.gis: %1 states, %2 outlines, %3 points")
                   .arg(stateCount)
                   .arg(outlineCount)
                   .arg(gis.size() / 6);

    const Topology counties(ReadWholeFile(geoFolder + QStringLiteral("counties-10m.json")));
    QByteArray cgf;
    int countyLines = 0;
    for (const Polyline& arc :
         counties.SharedArcs(QStringLiteral("counties"), &IsContiguousState)) {
        const QByteArray line = EncodeLine(arc, cgf.isEmpty());
        if (line.isEmpty()) continue;
        cgf += line;
        ++countyLines;
    }
    WriteWholeFile(outFolder + QStringLiteral("nimbrel.cgf"), cgf);
    summary << QStringLiteral("nimbrel.cgf: %1 county lines, %2 records")
                   .arg(countyLines)
                   .arg(cgf.size() / 4);

    QByteArray pr1;
    int riverLines = 0;
    for (const Polyline& segment :
         ParseGmtSegments(ReadWholeFile(geoFolder + QStringLiteral("rivers-major-plains.txt")))) {
        const QByteArray line = EncodeLine(segment, pr1.isEmpty());
        if (line.isEmpty()) continue;
        pr1 += line;
        ++riverLines;
    }
    WriteWholeFile(outFolder + QStringLiteral("nimbrel.pr1"), pr1);
    summary << QStringLiteral("nimbrel.pr1: %1 river segments, %2 records")
                   .arg(riverLines)
                   .arg(pr1.size() / 4);
    return summary;
}

} // namespace nimbrel::tools
