#include "products/regions.h"

#include <cmath>

#include "base/rounding.h"

namespace nimbrel {
namespace {

struct SlotEntry {
    int Slot = 0;
    RegionSlot Data;
};

RegionSlot Boxed(const char* name, double latLow, double latHigh, double lonLow, double lonHigh,
                 int parent) {
    return RegionSlot{name, parent, true, latLow, latHigh, lonLow, lonHigh};
}

RegionSlot Named(const char* name, int parent) {
    return RegionSlot{name, parent, false, 0, 0, 0, 0};
}

// Parents follow the product's own hierarchy rather than geography: the Oklahoma
// panhandle rolls up into Texas and both Kansas regions into Colorado.
const SlotEntry Entries[] = {
    {1, Boxed("SOUTHWEST NEW MEXICO", 32, 34.5, -109, -106, 52)},
    {2, Boxed("SOUTHEAST NEW MEXICO", 32, 34.5, -106, -103, 52)},
    {3, Boxed("NORTHWEST NEW MEXICO", 34.5, 37, -109, -106, 52)},
    {4, Boxed("NORTHEAST NEW MEXICO", 34.5, 37, -106, -103, 52)},
    {5, Boxed("THE TEXAS PANHANDLE", 34.5, 36.5, -103, -100, 51)},
    {6, Boxed("THE OKLAHOMA PANHANDLE", 36.5, 37, -103, -100, 51)},
    {7, Boxed("WEST TEXAS", 30, 34.5, -103, -100, 51)},
    {8, Boxed("FAR WEST TEXAS", 30, 32, -107, -103, 76)},
    {9, Boxed("SOUTH TEXAS", 26, 31, -103, -96, 77)},
    {10, Boxed("NORTH TEXAS", 31, 34, -100, -96, 51)},
    {11, Boxed("EAST TEXAS", 29, 34, -96, -94, 77)},
    {12, Boxed("LOUISIANA", 29, 33, -94, -90, 77)},
    {13, Boxed("ARKANSAS", 33, 36.5, -94.5, -90, 78)},
    {14, Boxed("EASTERN OKLAHOMA", 34, 37, -97, -94.5, 75)},
    {15, Boxed("WESTERN COLORADO", 37, 41, -109, -105.5, 53)},
    {16, Boxed("EASTERN COLORADO", 37, 41, -105.5, -102, 53)},
    {17, Boxed("WESTERN KANSAS", 37, 40, -102, -98.5, 53)},
    {18, Boxed("EASTERN KANSAS", 37, 40, -98.5, -95, 53)},
    {19, Boxed("NORTHWEST MISSOURI", 39, 40.5, -95.5, -93, 80)},
    {20, Boxed("SOUTHWEST MISSOURI", 36.5, 39, -94.5, -93, 80)},
    {21, Boxed("NORTHEAST MISSOURI", 38.5, 40.5, -93, -91, 80)},
    {22, Boxed("SOUTHEAST MISSOURI", 36.5, 39, -93, -90, 80)},
    {23, Boxed("WYOMING", 41, 45, -111, -104, 79)},
    {24, Boxed("THE NEBRASKA PANHANDLE", 41, 43, -104, -102, 55)},
    {25, Boxed("CENTRAL NEBRASKA", 40, 43, -102, -98.5, 55)},
    {26, Boxed("EASTERN NEBRASKA", 40, 43, -98.5, -96, 55)},
    {27, Boxed("IOWA", 40.5, 43.5, -96, -90.5, 80)},
    {28, Boxed("MONTANA", 45, 49, -109, -104, 82)},
    {29, Boxed("SOUTH DAKOTA", 43, 46, -104, -96.5, 82)},
    {30, Boxed("NORTH DAKOTA", 46, 49, -104, -96.5, 82)},
    {31, Boxed("WESTERN MINNESOTA", 43.5, 49, -96.5, -94.5, 82)},
    {32, Boxed("EASTERN MINNESOTA", 46, 49, -94.5, -92, 83)},
    {33, Boxed("WESTERN OKLAHOMA", 34, 37, -100, -97, 75)},
    {50, Named("THE PANHANDLES", 51)},
    {51, Named("TEXAS", 75)},
    {52, Named("NEW MEXICO", 75)},
    {53, Named("COLORADO", 79)},
    {54, Named("MISSOURI", 80)},
    {55, Named("NEBRASKA", 81)},
    {56, Named("OKLAHOMA", 75)},
    {75, Named("THE SOUTHERN PLAINS", 90)},
    {76, Named("THE SOUTHERN ROCKIES", 79)},
    {77, Named("THE GULF COAST REGION", 0)},
    {78, Named("THE LOWER MISSISSIPPI VALLEY", 0)},
    {79, Named("THE ROCKIES", 0)},
    {80, Named("THE MIDWEST STATES", 0)},
    {81, Named("THE CENTRAL PLAINS", 90)},
    {82, Named("THE NORTHERN PLAINS", 90)},
    {83, Named("THE GREAT LAKES REGION", 0)},
    {90, Named("THE GREAT PLAINS", 0)},
};

const std::array<RegionSlot, RegionSlotCount + 1>& Table() {
    static const auto table = [] {
        std::array<RegionSlot, RegionSlotCount + 1> t{};
        for (const SlotEntry& e : Entries)
            t[static_cast<std::size_t>(e.Slot)] = e.Data;
        return t;
    }();
    return table;
}

int FlagCount(const RegionFlags& flags) {
    int n = 0;
    for (int s = 1; s <= RegionSlotCount; ++s)
        n += flags[static_cast<std::size_t>(s)] ? 1 : 0;
    return n;
}

PixelPoint Lerp(const PixelPoint& from, const PixelPoint& to, int tenths) {
    // Numerator first, then one division: x.5 fractions come out exact, so the rounding
    // does not depend on how 0.1 is represented.
    auto along = [tenths](std::int32_t a, std::int32_t b) {
        const double v = a + static_cast<double>(b - a) * tenths / 10.0;
        return static_cast<std::int32_t>(RoundHalfEven(v));
    };
    return PixelPoint{along(from.X, to.X), along(from.Y, to.Y)};
}

} // namespace

const RegionSlot& Region(int slot) {
    static const RegionSlot none{};
    if (slot < 1 || slot > RegionSlotCount) return none;
    return Table()[static_cast<std::size_t>(slot)];
}

bool InRegionBox(int slot, const GeoPoint& point) {
    const RegionSlot& r = Region(slot);
    if (!r.HasBox) return false;
    // Strict comparisons are false for NaN, so a point off the globe falls in no box.
    return point.Latitude > r.LatitudeLow && point.Latitude < r.LatitudeHigh &&
           point.Longitude > r.LongitudeLow && point.Longitude < r.LongitudeHigh;
}

void FlagRegionsAt(RegionFlags& flags, const GeoPoint& point) {
    for (int s = 1; s < FirstUnboxedSlot; ++s)
        if (InRegionBox(s, point)) flags[static_cast<std::size_t>(s)] = true;
}

void ReduceRegions(RegionFlags& flags) {
    // Every parent carries a higher number than its child, so flags only move up and
    // the loop ends.
    while (FlagCount(flags) > MaxRegionNames) {
        int lowest = 1;
        while (!flags[static_cast<std::size_t>(lowest)])
            ++lowest;
        flags[static_cast<std::size_t>(lowest)] = false;
        const int parent = Region(lowest).Parent;
        if (parent > 0 && parent <= RegionSlotCount) flags[static_cast<std::size_t>(parent)] = true;
    }
}

QStringList FlaggedRegionNames(const RegionFlags& flags) {
    QStringList names;
    for (int s = 1; s <= RegionSlotCount; ++s) {
        const char* name = Region(s).Name;
        if (flags[static_cast<std::size_t>(s)] && name[0] != '\0')
            names << QString::fromLatin1(name);
    }
    return names;
}

QString AreaPhrase(const QStringList& names) {
    switch (std::min<qsizetype>(names.size(), MaxRegionNames)) {
    case 0:
        return QString();
    case 1:
        return QStringLiteral("IN %1.").arg(names[0]);
    case 2:
        return QStringLiteral("FROM %1 TO %2.").arg(names[0], names[1]);
    case 3:
        return QStringLiteral("IN %1... %2... AND %3.").arg(names[0], names[1], names[2]);
    default:
        return QStringLiteral("IN %1... %2... %3... AND %4.")
            .arg(names[0], names[1], names[2], names[3]);
    }
}

std::vector<PixelPoint> AreaSamplePoints(const std::array<PixelPoint, 6>& v) {
    // V1 and V3 flank the axis start, V6 and V4 the axis end.
    const PixelPoint& v1 = v[0];
    const PixelPoint& v3 = v[2];
    const PixelPoint& v4 = v[3];
    const PixelPoint& v6 = v[5];
    std::vector<PixelPoint> samples;
    samples.reserve(81);
    for (int j = 1; j <= 9; ++j) {
        const PixelPoint nearEnd = Lerp(v3, v1, j);
        const PixelPoint farEnd = Lerp(v6, v4, 10 - j);
        for (int k = 1; k <= 9; ++k)
            samples.push_back(Lerp(nearEnd, farEnd, k));
    }
    return samples;
}

AreaDescription DescribeArea(const std::array<PixelPoint, 6>& vertices,
                             const ScreenToGeoFn& toGeo) {
    RegionFlags flags{};
    for (const PixelPoint& p : AreaSamplePoints(vertices))
        FlagRegionsAt(flags, toGeo(p.X, p.Y));
    ReduceRegions(flags);
    AreaDescription d;
    d.RegionNames = FlaggedRegionNames(flags);
    d.AreaPhrase = AreaPhrase(d.RegionNames);
    return d;
}

} // namespace nimbrel
