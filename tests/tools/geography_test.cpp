// The geography tool: TopoJSON decoding and the record encoders on small hand-made
// inputs, then the shipped map files read back and drawn by the program's basemap.
#include <set>

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "geography.h"
#include "map/basemap.h"
#include "map/projection.h"
#include "support/test_support.h"

using namespace nimbrel;
using namespace nimbrel::tools;

namespace {

// Two unit squares side by side sharing the arc x = 1. Quantised with scale 1 and
// translate (10, 20): arc 0 is the shared edge from (1,0) up to (1,1); arc 1 the rest of
// the left square from (1,1) round to (1,0); arc 2 the rest of the right square.
const char* TwoSquares = R"({
  "type": "Topology",
  "transform": {"scale": [1, 1], "translate": [10, 20]},
  "objects": {"boxes": {"type": "GeometryCollection", "geometries": [
    {"type": "Polygon", "id": "40", "properties": {"name": "Left"}, "arcs": [[0, 1]]},
    {"type": "MultiPolygon", "id": "02", "properties": {"name": "Right"}, "arcs": [[[-1, 2]]]}
  ]}},
  "arcs": [
    [[1, 0], [0, 1]],
    [[1, 1], [-1, 0], [0, -1], [1, 0]],
    [[1, 0], [1, 0], [0, 1], [-1, 0]]
  ]
})";

bool KeepAll(const QString&) {
    return true;
}

} // namespace

TEST(TopologyTest, DecodesDeltasTransformAndReversedArcs) {
    const Topology topology{QByteArray(TwoSquares)};
    ASSERT_EQ(topology.ArcCount(), 3u);
    const std::vector<TopoFeature> features = topology.Features(QStringLiteral("boxes"));
    ASSERT_EQ(features.size(), 2u);
    EXPECT_EQ(features[0].Id, QStringLiteral("40"));
    EXPECT_EQ(features[0].Name, QStringLiteral("Left"));
    // Left square: (1,0) (1,1) then (0,1) (0,0) (1,0), the joining point kept once;
    // longitudes are x + 10, latitudes y + 20.
    ASSERT_EQ(features[0].Rings.size(), 1u);
    const Polyline& left = features[0].Rings[0];
    ASSERT_EQ(left.size(), 5u);
    EXPECT_DOUBLE_EQ(left[0].Longitude, 11.0);
    EXPECT_DOUBLE_EQ(left[0].Latitude, 20.0);
    EXPECT_DOUBLE_EQ(left[2].Longitude, 10.0);
    EXPECT_DOUBLE_EQ(left[2].Latitude, 21.0);
    EXPECT_DOUBLE_EQ(left[4].Longitude, 11.0);
    EXPECT_DOUBLE_EQ(left[4].Latitude, 20.0);
    // Right square starts with the shared arc reversed: (1,1) then (1,0).
    const Polyline& right = features[1].Rings.at(0);
    ASSERT_EQ(right.size(), 5u);
    EXPECT_DOUBLE_EQ(right[0].Latitude, 21.0);
    EXPECT_DOUBLE_EQ(right[1].Latitude, 20.0);
    EXPECT_DOUBLE_EQ(right[2].Longitude, 12.0);
}

TEST(TopologyTest, SharedArcsAreTheInnerBoundariesOfKeptGeometries) {
    const Topology topology{QByteArray(TwoSquares)};
    const std::vector<Polyline> shared = topology.SharedArcs(QStringLiteral("boxes"), &KeepAll);
    ASSERT_EQ(shared.size(), 1u);
    EXPECT_DOUBLE_EQ(shared[0][0].Longitude, 11.0);
    EXPECT_DOUBLE_EQ(shared[0][1].Latitude, 21.0);
    // "02" (Alaska) is not a contiguous state: without it nothing is shared.
    EXPECT_TRUE(topology.SharedArcs(QStringLiteral("boxes"), &IsContiguousState).empty());
}

TEST(TopologyTest, MalformedInputIsADataError) {
    EXPECT_THROW(Topology(QByteArray("not json")), DataError);
    EXPECT_THROW(Topology(QByteArray(R"({"arcs": []})")), DataError);
    const Topology topology{QByteArray(TwoSquares)};
    EXPECT_THROW(topology.Features(QStringLiteral("missing")), DataError);
}

TEST(GeographyEncodingTest, ContiguousStateCodes) {
    EXPECT_TRUE(IsContiguousState(QStringLiteral("40")));
    EXPECT_TRUE(IsContiguousState(QStringLiteral("48201"))); // a Texas county
    EXPECT_TRUE(IsContiguousState(QStringLiteral("56")));
    for (const char* no : {"02", "15", "11", "72", "60", "00", "", "xx"})
        EXPECT_FALSE(IsContiguousState(QString::fromLatin1(no))) << no;
}

TEST(GeographyEncodingTest, OutlineRecordsAreMinutesClosedAndCoded) {
    // 35.5 N = 2130', -97.25 E = -5835'; the ring is given open and comes back closed.
    const Polyline ring = {
        {35.5, -97.25}, {35.5, -97.0}, {35.5, -97.0}, {35.75, -97.0}, {35.75, -97.25}};
    const QByteArray bytes = EncodeOutline(ring, 40);
    ASSERT_EQ(bytes.size(), 5 * 6); // the repeated point dropped, the first point repeated
    auto rec = [&](int i) {
        return RecordView(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()) + i * 6, 6));
    };
    EXPECT_EQ(rec(0).Int16(0), 1040);
    EXPECT_EQ(rec(0).Int16(2), 2130);
    EXPECT_EQ(rec(0).Int16(4), -5835);
    EXPECT_EQ(rec(1).Int16(0), 40);
    EXPECT_EQ(rec(1).Int16(4), -5820);
    EXPECT_EQ(rec(4).Int16(2), 2130);
    EXPECT_EQ(rec(4).Int16(4), -5835);
    // A speck that rounds to fewer than four points is left out.
    EXPECT_TRUE(EncodeOutline({{35.5, -97.25}, {35.501, -97.251}, {35.5, -97.25}}, 40).isEmpty());
}

TEST(GeographyEncodingTest, LineRecordsAreHundredthsWestPositiveWithPenUps) {
    const QByteArray first = EncodeLine({{35.46, -97.52}, {35.461, -97.521}, {35.0, -98.0}}, true);
    ASSERT_EQ(first.size(), 2 * 4); // the near-repeat rounds onto the first point
    RecordView a(std::span(reinterpret_cast<const std::uint8_t*>(first.constData()), 4));
    EXPECT_EQ(a.Int16(0), 3546);
    EXPECT_EQ(a.Int16(2), 9752);
    const QByteArray next = EncodeLine({{36.0, -96.0}, {36.5, -96.5}}, false);
    ASSERT_EQ(next.size(), 3 * 4);
    EXPECT_EQ(next.left(4), QByteArray(4, '\0')); // pen up before the second line
    // A latitude rounding to 0 would read as a pen-up: such a point is left out.
    EXPECT_EQ(EncodeLine({{0.001, 10.0}, {1.0, 10.0}, {2.0, 10.0}}, true).size(), 2 * 4);
    EXPECT_TRUE(EncodeLine({{36.0, -96.0}}, true).isEmpty());
}

TEST(GeographyEncodingTest, GmtSegmentsSplitAtHeaders) {
    const auto segments =
        ParseGmtSegments("> Bin 1\n-97.5 35.25\n-97.0\t35.5\n>\n\n-96 36\n-95 37\n");
    ASSERT_EQ(segments.size(), 2u);
    ASSERT_EQ(segments[0].size(), 2u);
    EXPECT_DOUBLE_EQ(segments[0][1].Longitude, -97.0);
    EXPECT_DOUBLE_EQ(segments[0][1].Latitude, 35.5);
    EXPECT_DOUBLE_EQ(segments[1][1].Latitude, 37.0);
    EXPECT_THROW(ParseGmtSegments("> x\n-97.5\n"), DataError);
}

namespace {
QString AppData() {
    return test::ShippedDataDir() + QStringLiteral("appdata/");
}

bool InContiguousBox(const LatLon& p) {
    return p.Latitude > 24.0 && p.Latitude < 49.5 && p.Longitude > -125.0 && p.Longitude < -66.5;
}
} // namespace

TEST(ShippedGeographyTest, StateOutlinesAreClosedAndCoverTheFortyEightStates) {
    const QByteArray bytes = ReadWholeFile(AppData() + QStringLiteral("nimbrel.gis"));
    ASSERT_EQ(bytes.size() % 6, 0);
    std::set<int> states;
    RecordFileReader reader(AppData() + QStringLiteral("nimbrel.gis"), 6, MaxVectorFileBytes / 6);
    int outlineCode = -1;
    while (reader.Next()) {
        const int code = reader.Current().Int16(0);
        if (code >= 1000) {
            outlineCode = code - 1000;
            states.insert(outlineCode);
        } else {
            ASSERT_EQ(code, outlineCode) << "continuation point of another outline";
        }
    }
    EXPECT_EQ(states.size(), 48u);
    EXPECT_EQ(states.count(2), 0u);  // Alaska
    EXPECT_EQ(states.count(15), 0u); // Hawaii
    EXPECT_EQ(states.count(40), 1u); // Oklahoma

    const std::vector<Polyline> outlines =
        ReadOutlineFile(AppData() + QStringLiteral("nimbrel.gis"));
    EXPECT_GE(outlines.size(), 48u);
    for (const Polyline& o : outlines) {
        ASSERT_GE(o.size(), 4u);
        EXPECT_DOUBLE_EQ(o.front().Latitude, o.back().Latitude);
        EXPECT_DOUBLE_EQ(o.front().Longitude, o.back().Longitude);
        for (const LatLon& p : o)
            ASSERT_TRUE(InContiguousBox(p)) << p.Latitude << " " << p.Longitude;
    }
}

TEST(ShippedGeographyTest, LineLayersAreWholeRecordsInsideTheirRegions) {
    for (const char* name : {"nimbrel.cgf", "nimbrel.pr1"}) {
        const QString path = AppData() + QString::fromLatin1(name);
        EXPECT_EQ(ReadWholeFile(path).size() % 4, 0) << name;
        const std::vector<Polyline> lines = ReadLineFile(path);
        EXPECT_GT(lines.size(), 100u) << name;
        for (const Polyline& line : lines) {
            ASSERT_GE(line.size(), 2u) << name;
            for (const LatLon& p : line)
                ASSERT_TRUE(InContiguousBox(p)) << name << " " << p.Latitude << " " << p.Longitude;
        }
    }
    // The rivers are those of the Plains export: 106-88 W and 30-46 N, widened to the
    // edges of the export's bins (110-80 W, up to 48.2 N).
    for (const Polyline& line : ReadLineFile(AppData() + QStringLiteral("nimbrel.pr1")))
        for (const LatLon& p : line) {
            ASSERT_GE(p.Longitude, -110.0);
            ASSERT_LE(p.Longitude, -80.0);
            ASSERT_GE(p.Latitude, 30.0);
            ASSERT_LE(p.Latitude, 48.2);
        }
}

TEST(ShippedGeographyTest, TheProgramsBasemapDrawsAllThreeLayers) {
    // The program's own drawing of the shipped files at the start-up view: each
    // layer's colour must be on the map, and the centre of the view (35 N, 100 W, in the
    // Texas panhandle) must be surrounded by state lines within a few hundred pixels.
    QTemporaryDir dir;
    const QString appData = dir.path() + QLatin1Char('/');
    for (const char* name : {"nimbrel.gis", "nimbrel.cgf", "nimbrel.pr1"})
        CopyWholeFile(AppData() + QString::fromLatin1(name), appData + QString::fromLatin1(name),
                      MaxVectorFileBytes);
    ProjectionDescriptor viewport;
    ResetViewport(viewport);
    QImage bitmap;
    DrawBasemap(appData, viewport, QSize(1000, 800), bitmap);
    ASSERT_EQ(bitmap.size(), QSize(1000, 800));
    int county = 0, river = 0, outline = 0;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const QRgb c = bitmap.pixel(x, y) & 0xFFFFFF;
            if (c == 0xCCCCCC)
                ++county;
            else if (c == 0xDDCCAA)
                ++river;
            else if (c == 0x777777)
                ++outline;
        }
    EXPECT_GT(county, 10000);
    EXPECT_GT(river, 1000);
    EXPECT_GT(outline, 5000);
    // The Oklahoma-Texas line along 100 W runs straight north from the Red River to
    // 36.5 N: a pixel column near the centre holds outline pixels between those rows.
    const PixelPoint south = ProjectToScreen(viewport, GeoPoint{34.6, -100.0});
    const PixelPoint north = ProjectToScreen(viewport, GeoPoint{36.4, -100.0});
    int onBorder = 0;
    for (int y = north.Y; y <= south.Y; ++y)
        for (int dx = -2; dx <= 2; ++dx)
            if ((bitmap.pixel(south.X + dx, y) & 0xFFFFFF) == 0x777777) {
                ++onBorder;
                break;
            }
    EXPECT_GT(onBorder, (south.Y - north.Y) * 8 / 10);
}
