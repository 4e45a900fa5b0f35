#pragma once
// The named regions of the products and the words that describe the forecast area:
// which regions the trainee's polygon covers, reduced to at most four names, and the
// phrase an outlook builds from them.
#include <array>
#include <functional>
#include <vector>

#include <QString>
#include <QStringList>

#include "map/geodesy.h"
#include "map/projection.h"

namespace nimbrel {

/// Turns a view pixel into a position on the earth (the target map's inverse
/// projection). A pixel off the globe may give a latitude of MissingCoordinate or NaN;
/// such a point lies in no region box.
using ScreenToGeoFn = std::function<GeoPoint(double x, double y)>;

inline constexpr int RegionSlotCount = 100;
inline constexpr int FirstUnboxedSlot = 34; ///< slots 1-33 carry a box
inline constexpr int MaxRegionNames = 4;

struct RegionSlot {
    const char* Name = ""; ///< empty for an unnamed slot
    int Parent = 0;        ///< coarser region it rolls up into; 0 none
    bool HasBox = false;
    double LatitudeLow = 0, LatitudeHigh = 0;   ///< degrees north
    double LongitudeLow = 0, LongitudeHigh = 0; ///< degrees east (negative west)
};

/// Slot 1..100; any other number gives an unnamed slot.
const RegionSlot& Region(int slot);

/// True when `point` lies strictly inside the box of `slot` (1-33); a point on an edge
/// belongs to neither box that shares it.
bool InRegionBox(int slot, const GeoPoint& point);

/// Flags indexed by slot number (index 0 unused).
using RegionFlags = std::array<bool, RegionSlotCount + 1>;

/// Sets the flag of every boxed slot containing `point`.
void FlagRegionsAt(RegionFlags& flags, const GeoPoint& point);
/// While more than four slots are flagged, the lowest flagged slot gives way to its
/// parent (a region without parent is dropped).
void ReduceRegions(RegionFlags& flags);
/// Names of the flagged slots in increasing slot order.
QStringList FlaggedRegionNames(const RegionFlags& flags);
/// "IN A.", "FROM A TO B.", "IN A... B... AND C.", "IN A... B... C... AND D."; empty
/// for no names. More than four names are not expected; the list is cut at four.
QString AreaPhrase(const QStringList& names);

/// The 81 sample pixels of the polygon (vertices 1..6 in array order 0..5): nine lines
/// parallel to the axis from 80 % of the half-width on one side to 80 % on the other,
/// each sampled at 10 % ... 90 % of its length, every coordinate rounded to a pixel.
std::vector<PixelPoint> AreaSamplePoints(const std::array<PixelPoint, 6>& vertices);

struct AreaDescription {
    QStringList RegionNames; ///< at most four, in slot order
    QString AreaPhrase;
};

AreaDescription DescribeArea(const std::array<PixelPoint, 6>& vertices, const ScreenToGeoFn& toGeo);

} // namespace nimbrel
