#include "map/projection.h"

#include <cmath>

#include <gtest/gtest.h>

#include "base/errors.h"

namespace nimbrel {
namespace {

ProjectionDescriptor SessionView() {
    ProjectionDescriptor d;
    ResetViewport(d);
    return d;
}

ProjectionDescriptor View(double lat, double lon, double scale, int width, int height) {
    ProjectionDescriptor d = SessionView();
    d.CentreLatitude = lat;
    d.CentreLongitude = lon;
    d.Scale = scale;
    d.Width = width;
    d.Height = height;
    return d;
}

TEST(ProjectionDescriptor, BytesFollowTheFileLayout) {
    ProjectionDescriptor d;
    d.CentreLatitude = 35.0;
    d.CentreLongitude = -100.0;
    d.Scale = 3.0;
    d.Height = 800;
    d.Width = 1000;
    d.OffsetX = 7;
    d.OffsetY = -2;
    d.StretchX = 1.0;
    d.StretchY = 2.5;
    d.Rotation = 0.25;
    d.ProjectionKind = 1;

    // Little-endian IEEE doubles and int32s written out by hand; every other byte zero.
    QByteArray expected(152, '\0');
    auto put = [&](int offset, std::initializer_list<unsigned char> bytes) {
        for (unsigned char b : bytes)
            expected[offset++] = static_cast<char>(b);
    };
    put(0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x41, 0x40});  // 35.0
    put(8, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0xC0});  // -100.0
    put(16, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x40}); // 3.0
    put(48, {0x20, 0x03, 0x00, 0x00});                         // 800
    put(52, {0xE8, 0x03, 0x00, 0x00});                         // 1000
    put(56, {0x07, 0x00, 0x00, 0x00});                         // 7
    put(60, {0xFE, 0xFF, 0xFF, 0xFF});                         // -2
    put(64, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F}); // 1.0
    put(72, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x40}); // 2.5
    put(96, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD0, 0x3F}); // 0.25
    put(104, {0x01, 0x00, 0x00, 0x00});                        // 1

    EXPECT_EQ(d.ToBytes().toHex().toStdString(), expected.toHex().toStdString());

    const ProjectionDescriptor back = ProjectionDescriptor::FromBytes(expected);
    EXPECT_EQ(back.CentreLatitude, 35.0);
    EXPECT_EQ(back.CentreLongitude, -100.0);
    EXPECT_EQ(back.Scale, 3.0);
    EXPECT_EQ(back.Height, 800);
    EXPECT_EQ(back.Width, 1000);
    EXPECT_EQ(back.OffsetX, 7);
    EXPECT_EQ(back.OffsetY, -2);
    EXPECT_EQ(back.StretchX, 1.0);
    EXPECT_EQ(back.StretchY, 2.5);
    EXPECT_EQ(back.Rotation, 0.25);
    EXPECT_EQ(back.ProjectionKind, 1);
}

TEST(ProjectionDescriptor, WrongLengthIsRefused) {
    EXPECT_THROW(ProjectionDescriptor::FromBytes(QByteArray(151, '\0')), DataError);
    EXPECT_THROW(ProjectionDescriptor::FromBytes(QByteArray(153, '\0')), DataError);
    EXPECT_THROW(ProjectionDescriptor::FromBytes(QByteArray()), DataError);
}

TEST(ProjectionDescriptor, ResetSetsOnlyTheNamedFields) {
    ProjectionDescriptor d;
    d.OffsetX = 5;
    d.Rotation = 1.5;
    d.CentreLatitude = 12.0;
    d.Scale = 99.0;
    ResetViewport(d);
    EXPECT_EQ(d.CentreLatitude, 35.0);
    EXPECT_EQ(d.CentreLongitude, -100.0);
    EXPECT_EQ(d.Scale, 3.0);
    EXPECT_EQ(d.Height, 800);
    EXPECT_EQ(d.Width, 1000);
    EXPECT_EQ(d.StretchX, 1.0);
    EXPECT_EQ(d.StretchY, 1.0);
    EXPECT_EQ(d.ProjectionKind, 1);
    EXPECT_EQ(d.OffsetX, 5);
    EXPECT_EQ(d.Rotation, 1.5);
}

// Reference pixels from PROJ's orthographic projection on a sphere of radius
// Scale x Width, with every angle multiplied by 0.999999 (the program converts degrees
// with pi x 0.00555555), computed once; x = Width/2 + east, y = Height/2 - north.
struct ForwardCase {
    GeoPoint Point;
    double X, Y;
};

TEST(Projection, ForwardMatchesReferenceOnTheSessionView) {
    const ForwardCase cases[] = {
        {{35, -100}, 500.0, 400.0},
        {{40, -95}, 700.295435, 133.517066},
        {{30, -105}, 273.562895, 655.796339},
        {{45, -90}, 868.363337, -139.428984},
        {{25, -110}, 27.864284, 897.251614},
        {{49, -125}, -331.787619, -431.533918},
        {{60, -100}, 500.0, -867.853599},
        {{20, -70}, 1909.537832, 959.825849},
        {{35.5, -99.25}, 531.969311, 373.700404},
        {{33.12, -97.03}, 630.184611, 496.483050},
        {{-10, -100}, 500.0, 2521.318677},
    };
    const ProjectionDescriptor d = SessionView();
    for (const ForwardCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Point.Latitude << "," << c.Point.Longitude);
        const PixelPoint p = ProjectToScreen(d, c.Point);
        EXPECT_EQ(p.X, static_cast<int>(std::lround(c.X)));
        EXPECT_EQ(p.Y, static_cast<int>(std::lround(c.Y)));
    }
}

TEST(Projection, ForwardMatchesReferenceOnAnotherView) {
    const ForwardCase cases[] = {
        {{40, -90}, 600.0, 450.0},
        {{41.5, -88.2}, 642.345467, 402.453948},
        {{30, -100}, 329.309466, 747.343715},
        {{50, -75}, 899.458234, 112.092105},
        {{36, -120}, -128.114967, 450.155303},
    };
    const ProjectionDescriptor d = View(40, -90, 1.5, 1200, 900);
    for (const ForwardCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Point.Latitude << "," << c.Point.Longitude);
        const PixelPoint p = ProjectToScreen(d, c.Point);
        EXPECT_EQ(p.X, static_cast<int>(std::lround(c.X)));
        EXPECT_EQ(p.Y, static_cast<int>(std::lround(c.Y)));
    }
}

TEST(Projection, OffsetsAndStretchesApplyAfterTheProjection) {
    ProjectionDescriptor d = View(40, -90, 1.5, 1200, 900);
    d.OffsetX = 10;
    d.OffsetY = -20;
    d.StretchX = 2.0;
    d.StretchY = 0.5;
    // (41.5, -88.2) lies 42.345467 east and 47.546052 north of the centre on this view.
    const PixelPoint p = ProjectToScreen(d, {41.5, -88.2});
    EXPECT_EQ(p.X, 600 + 85 + 10); // 84.69 rounds to 85
    EXPECT_EQ(p.Y, 450 - 24 - 20); // 23.77 rounds to 24
}

TEST(Projection, PointsOffTheMapGiveTheMarker) {
    const ProjectionDescriptor d = SessionView();
    const PixelPoint none{MissingPixel, MissingPixel};
    EXPECT_EQ(ProjectToScreen(d, {35, 80}), none);  // other side of the globe
    EXPECT_EQ(ProjectToScreen(d, {-40, 80}), none); // antipode region
    EXPECT_EQ(ProjectToScreen(d, {90.5, -100}), none);
    EXPECT_EQ(ProjectToScreen(d, {-90.5, -100}), none);
    EXPECT_EQ(ProjectToScreen(d, {35, -180.5}), none);
    EXPECT_EQ(ProjectToScreen(d, {35, 180.5}), none);
    EXPECT_EQ(ProjectToScreen(d, {std::nan(""), -100}), none);
    // The poles and the date line themselves are in range.
    EXPECT_NE(ProjectToScreen(d, {90, -100}).X, MissingPixel);
}

TEST(Projection, EachCoordinateBeyondTheDrawableRangeIsMarkedOnItsOwn) {
    // Zoomed far in: 20 degrees east of the centre is about 10,200 pixels to the right,
    // while the latitude row stays near the middle.
    const ProjectionDescriptor d = View(0, 0, 30.0, 1000, 800);
    const PixelPoint p = ProjectToScreen(d, {0, 20});
    EXPECT_EQ(p.X, MissingPixel);
    EXPECT_EQ(p.Y, 400);
    const PixelPoint q = ProjectToScreen(d, {-20, 0});
    EXPECT_EQ(q.X, 500);
    EXPECT_EQ(q.Y, MissingPixel);
}

TEST(Projection, HalvesRoundToEven) {
    // The centre lands exactly on half the width and height.
    EXPECT_EQ(ProjectToScreen(View(35, -100, 3, 1001, 801), {35, -100}), (PixelPoint{500, 400}));
    EXPECT_EQ(ProjectToScreen(View(35, -100, 3, 1003, 803), {35, -100}), (PixelPoint{502, 402}));
}

TEST(Projection, ZoomScalesDistancesFromTheCentre) {
    ProjectionDescriptor d = SessionView();
    // Reference: 99.91 pixels east of the centre at scale 3, 149.86 at scale 4.5.
    const GeoPoint east{35.0, -97.67};
    EXPECT_EQ(ProjectToScreen(d, east).X - 500, 100);
    MoveView(d, ViewMove::ZoomIn);
    EXPECT_EQ(d.Scale, 4.5);
    EXPECT_EQ(ProjectToScreen(d, east).X - 500, 150);
    MoveView(d, ViewMove::ZoomOut);
    EXPECT_NEAR(d.Scale, 3.0, 1e-12);

    MoveView(d, ViewMove::North);
    MoveView(d, ViewMove::East);
    EXPECT_EQ(d.CentreLatitude, 36.0);
    EXPECT_EQ(d.CentreLongitude, -99.0);
    MoveView(d, ViewMove::South);
    MoveView(d, ViewMove::South);
    MoveView(d, ViewMove::West);
    MoveView(d, ViewMove::West);
    EXPECT_EQ(d.CentreLatitude, 34.0);
    EXPECT_EQ(d.CentreLongitude, -101.0);
}

// Reference positions from PROJ's inverse orthographic projection, with the view's
// centre latitude multiplied by 0.999999 and the pixel's distance from the centre
// shrunk so that its angular distance is 0.99999 of the true one (the program's
// factor pi x 0.0055555 for that angle), computed once.
TEST(Projection, InverseMatchesReference) {
    const struct {
        double X, Y, Latitude, Longitude;
    } cases[] = {
        {700, 133, 40.010093693, -95.006705545},      {273, 656, 29.995579172, -105.012183805},
        {868, -139, 44.992300754, -90.011422054},     {27, 897, 25.003249121, -110.018654843},
        {0, 0, 42.034531982, -112.967112000},         {1000, 800, 26.816841518, -89.236862076},
        {531.5, 373.25, 35.508628417, -99.260939047}, {100, 700, 28.923356997, -108.762144813},
    };
    const ProjectionDescriptor d = SessionView();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.X << "," << c.Y);
        const GeoPoint g = ScreenToGeo(d, c.X, c.Y);
        EXPECT_NEAR(g.Latitude, c.Latitude, 1e-7);
        EXPECT_NEAR(g.Longitude, c.Longitude, 1e-7);
    }
    const ProjectionDescriptor other = View(40, -90, 1.5, 1200, 900);
    const GeoPoint g = ScreenToGeo(other, 642, 402);
    EXPECT_NEAR(g.Latitude, 41.514616391, 1e-7);
    EXPECT_NEAR(g.Longitude, -88.214304977, 1e-7);
}

TEST(Projection, InverseOfTheCentreShowsBothConversionFactors) {
    const GeoPoint g = ScreenToGeo(SessionView(), 500, 400);
    EXPECT_EQ(g.Longitude, -100.0);
    EXPECT_NEAR(g.Latitude, 34.999965, 1e-9);

    // Straight above the centre of an equatorial view, half a radius up: the angular
    // distance asin(0.5) = 30 degrees comes out as 30 x 0.99999.
    const ProjectionDescriptor eq = View(0, 0, 3, 1000, 800);
    const GeoPoint up = ScreenToGeo(eq, 500, 400 - 1500);
    EXPECT_NEAR(up.Latitude, 29.9997, 1e-9);
    EXPECT_EQ(up.Longitude, 0.0);
}

TEST(Projection, InverseEdges) {
    // Off the globe's disc the distance is clamped to the rim: still a position.
    const GeoPoint rim = ScreenToGeo(SessionView(), 500 + 5000, 400);
    EXPECT_TRUE(std::isfinite(rim.Latitude));
    EXPECT_GE(rim.Longitude, -180.0);
    EXPECT_LE(rim.Longitude, 180.0);
    EXPECT_NE(rim.Latitude, MissingCoordinate);

    // Longitudes past the date line come back into range.
    const GeoPoint wrapped = ScreenToGeo(View(0, 179, 3, 1000, 800), 700, 400);
    EXPECT_NEAR(wrapped.Longitude, -177.17748449626293, 1e-9);
    EXPECT_NEAR(wrapped.Latitude, 0.0, 1e-12);

    // A view without a radius has no inverse; both markers stay as they are.
    const GeoPoint none = ScreenToGeo(View(35, -100, 0.0, 1000, 800), 10, 10);
    EXPECT_EQ(none.Latitude, MissingCoordinate);
    EXPECT_EQ(none.Longitude, MissingCoordinate);
}

TEST(Projection, RoundTripStaysWithinPixelRounding) {
    const ProjectionDescriptor d = SessionView();
    // One pixel is 1/3000 radian, about 0.019 degree.
    for (double lat = 26; lat <= 48; lat += 2.75) {
        for (double lon = -108; lon <= -88; lon += 2.5) {
            const PixelPoint p = ProjectToScreen(d, {lat, lon});
            const GeoPoint g = ScreenToGeo(d, p.X, p.Y);
            EXPECT_NEAR(g.Latitude, lat, 0.02) << lat << "," << lon;
            EXPECT_NEAR(g.Longitude, lon, 0.03) << lat << "," << lon;
        }
    }
}

} // namespace
} // namespace nimbrel
