#pragma once
// The map geography the program ships, made from public sources:
//  - state outlines from a TopoJSON atlas, written as "nimbrel.gis" (6-byte records:
//    code >= 1000 starts an outline, latitude and longitude in minutes, east positive);
//  - county lines from the same atlas and rivers from a GMT export, written as
//    "nimbrel.cgf" and "nimbrel.pr1" (4-byte records in hundredths of a degree, west
//    positive, a (0, 0) pen-up record between lines).
// The readers here read those files back for the chart drawing and the checks.
#include <cstdint>
#include <set>
#include <vector>

#include <QByteArray>
#include <QString>

namespace nimbrel::tools {

struct LatLon {
    double Latitude = 0.0;  ///< degrees north
    double Longitude = 0.0; ///< degrees east
};
using Polyline = std::vector<LatLon>;

/// One polygon feature of a TopoJSON object: its id (FIPS code), name and rings.
struct TopoFeature {
    QString Id;
    QString Name;
    std::vector<Polyline> Rings;
};

/// A decoded TopoJSON topology: its arcs in degrees and its geometry objects.
class Topology {
public:
    /// Parses the file's text; throws DataError on malformed content.
    explicit Topology(const QByteArray& json);
    /// The polygon features of object `name` (Polygon and MultiPolygon geometries).
    std::vector<TopoFeature> Features(const QString& name) const;
    /// The arcs of object `name` referenced by at least two of its geometries whose id
    /// passes `keep` (inner boundaries), each as a polyline, in arc order.
    std::vector<Polyline> SharedArcs(const QString& name, bool (*keep)(const QString& id)) const;
    std::size_t ArcCount() const { return arcs_.size(); }

private:
    Polyline Ring(const std::vector<int>& arcIndexes) const;
    std::vector<Polyline> arcs_;
    QByteArray json_;
};

/// True for the FIPS state code (first two digits of a county id) of one of the 48
/// contiguous states: Alaska, Hawaii, the District of Columbia and the territories fail.
bool IsContiguousState(const QString& fips);

/// Outline records: each ring becomes one outline at whole minutes, with consecutive
/// repeats dropped and the ring kept closed; rings of fewer than four points after
/// rounding (specks of islands) are left out. `code` distinguishes outlines in the file
/// (1000 + code marks the first point, `code` the others); it must be below 1000.
QByteArray EncodeOutline(const Polyline& ring, int code);
/// Line records of one polyline at hundredths of a degree, preceded by a pen-up record
/// unless `first`; empty when fewer than two distinct points remain.
QByteArray EncodeLine(const Polyline& line, bool first);

/// Rivers of a GMT multi-segment export ("> ..." headers, then "lon lat" lines).
std::vector<Polyline> ParseGmtSegments(const QByteArray& text);

/// Reads "nimbrel.gis" back: one polyline per outline (DataError on a partial record).
std::vector<Polyline> ReadOutlineFile(const QString& path);
/// Reads a line layer back: one polyline per run between pen-up marks.
std::vector<Polyline> ReadLineFile(const QString& path);

/// Makes the three geography files in `outFolder` (ending in '/') from the shared data
/// folder `geoFolder`; returns a summary line per file.
QStringList MakeGeographyFiles(const QString& geoFolder, const QString& outFolder);

} // namespace nimbrel::tools
