#include "map/polygon.h"

#include <QPainter>
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace nimbrel {
namespace {

ProjectionDescriptor SessionView() {
    ProjectionDescriptor d;
    ResetViewport(d);
    return d;
}

ForecastPolygon Fresh() {
    ForecastPolygon p;
    p.MarkAbsent();
    return p;
}

// Press at A, drag to B, release: the axis is drawn and the width comes next.
ForecastPolygon WithAxis(PixelPoint a, PixelPoint b) {
    ForecastPolygon p = Fresh();
    PolygonPress(p, SessionView(), a.X, a.Y);
    PolygonMove(p, b.X, b.Y);
    PolygonRelease(p);
    return p;
}

using Six = std::array<PixelPoint, 6>;

TEST(PolygonEditing, AxisDragFollowsTheMouse) {
    ForecastPolygon p = Fresh();
    PolygonPress(p, SessionView(), 100, 120);
    EXPECT_EQ(p.Drag, DragState::DrawingAxis);
    for (const PixelPoint& v : p.Vertices)
        EXPECT_EQ(v, (PixelPoint{100, 120}));

    const PolygonMoveResult r = PolygonMove(p, 300, 200);
    EXPECT_TRUE(r.Redraw);
    EXPECT_FALSE(r.HasStatus);
    EXPECT_EQ(p.Vertices,
              (Six{{{90, 120}, {100, 120}, {110, 120}, {310, 200}, {300, 200}, {290, 200}}}));

    // A further press while the axis is drawn changes nothing.
    const Six before = p.Vertices;
    PolygonPress(p, SessionView(), 5, 5);
    EXPECT_EQ(p.Drag, DragState::DrawingAxis);
    EXPECT_EQ(p.Vertices, before);

    PolygonRelease(p);
    EXPECT_EQ(p.Drag, DragState::SettingWidth);
    PolygonRelease(p); // only the axis drag ends at a release
    EXPECT_EQ(p.Drag, DragState::SettingWidth);
}

TEST(PolygonEditing, NothingHappensOnMovesWhileNotDrawing) {
    ForecastPolygon p = Fresh();
    p.Vertices[1] = {1, 2};
    const Six before = p.Vertices;
    const PolygonMoveResult r = PolygonMove(p, 50, 60);
    EXPECT_FALSE(r.Redraw);
    EXPECT_FALSE(r.HasStatus);
    EXPECT_EQ(p.Vertices, before);
    PolygonRelease(p);
    EXPECT_EQ(p.Drag, DragState::NotDrawing);
}

TEST(PolygonEditing, WidthStraightBelowTheAxisEndIsLaidOffNorthAndSouth) {
    // Horizontal axis drawn left to right: the normal p is 180 and its opposite 360,
    // both equal to compass candidates that come first, which therefore win.
    ForecastPolygon p = WithAxis({100, 100}, {200, 100});
    const PolygonMoveResult r = PolygonMove(p, 200, 150); // q = 180, r = 50
    EXPECT_EQ(p.SideWords, NorthAndSouth);
    EXPECT_EQ(r.StatusText, QStringLiteral("Axis 100 px, width 50 px"));
    EXPECT_EQ(p.Vertices,
              (Six{{{100, 50}, {100, 100}, {100, 150}, {200, 150}, {200, 100}, {200, 50}}}));
}

TEST(PolygonEditing, WidthSnapsToTheAxisNormalWhenThatIsClosest) {
    // Diagonal axis down-right: screen bearing 135, normal p = 225, opposite 45.
    ForecastPolygon p = WithAxis({100, 100}, {200, 200});
    // Mouse 30 left and 30 below B: bearing 225, 42.43 pixels.
    PolygonMove(p, 170, 230);
    EXPECT_EQ(p.SideWords, EitherSide);
    // d = (round(42.43 sin 225), round(-42.43 cos 225)) = (-30, 30)
    EXPECT_EQ(p.Vertices,
              (Six{{{130, 70}, {100, 100}, {70, 130}, {170, 230}, {200, 200}, {230, 170}}}));

    // Bearing 100 from B: 90 is nearer than p (225) or p' (45).
    const PolygonMoveResult r = PolygonMove(p, 200 + 40, 200 + 7); // atan2(40, -7) = 99.93
    EXPECT_EQ(p.SideWords, EastAndWest);
    EXPECT_EQ(r.StatusText, QStringLiteral("Axis 141 px, width 41 px"));
    // r = 40.61 along 90: d = (41, 0)
    EXPECT_EQ(p.Vertices[0], (PixelPoint{59, 100}));
    EXPECT_EQ(p.Vertices[2], (PixelPoint{141, 100}));

    // Bearing 50 from B: p' = 45 is nearest.
    PolygonMove(p, 200 + 50, 200 - 42); // atan2(50, 42) = 49.97
    EXPECT_EQ(p.SideWords, EitherSide);
}

TEST(PolygonEditing, TiesKeepTheEarlierCandidate) {
    ForecastPolygon p = WithAxis({100, 100}, {200, 200});
    // q = 315 lies exactly between 360 and 270: the earlier, 360, is kept.
    PolygonMove(p, 170, 170);
    EXPECT_EQ(p.SideWords, NorthAndSouth);
    // r = 42.43 along 360: d = (0, -42)
    EXPECT_EQ(p.Vertices[0], (PixelPoint{100, 142}));
    EXPECT_EQ(p.Vertices[2], (PixelPoint{100, 58}));
}

TEST(PolygonEditing, ZeroWidthFallsBackToTwoPixels) {
    ForecastPolygon p = WithAxis({100, 100}, {200, 160});
    PolygonMove(p, 200, 160); // the mouse on B itself
    EXPECT_EQ(p.Vertices,
              (Six{{{98, 100}, {100, 100}, {102, 100}, {202, 160}, {200, 160}, {198, 160}}}));
}

TEST(PolygonEditing, SecondPressFixesTheShapeOnTheEarth) {
    ForecastPolygon p = WithAxis({500, 400}, {600, 400});
    PolygonMove(p, 600, 450);
    PolygonPress(p, SessionView(), 0, 0); // where the press happens does not matter
    EXPECT_EQ(p.Drag, DragState::NotDrawing);
    ASSERT_TRUE(p.IsSet());
    // Vertex 2 is the view's centre pixel.
    EXPECT_NEAR(p.GeoVertices[1].Latitude, 34.999965, 1e-9);
    EXPECT_EQ(p.GeoVertices[1].Longitude, -100.0);
    // 50 pixels above and below the centre are north and south of it on its meridian.
    EXPECT_GT(p.GeoVertices[0].Latitude, 35.5);
    EXPECT_LT(p.GeoVertices[2].Latitude, 34.5);
    EXPECT_EQ(p.GeoVertices[0].Longitude, -100.0);
    // East of the centre along the axis.
    EXPECT_GT(p.GeoVertices[4].Longitude, -98.0);
}

TEST(PolygonEditing, PressReleasePressWithoutMovingFixesADegenerateShape) {
    ForecastPolygon p = Fresh();
    p.SideWords = EastAndWest;
    PolygonPress(p, SessionView(), 250, 300);
    PolygonRelease(p);
    PolygonPress(p, SessionView(), 250, 300);
    ASSERT_TRUE(p.IsSet());
    for (const GeoPoint& g : p.GeoVertices) {
        EXPECT_EQ(g.Latitude, p.GeoVertices[0].Latitude);
        EXPECT_EQ(g.Longitude, p.GeoVertices[0].Longitude);
    }
    EXPECT_EQ(p.SideWords, EastAndWest);
}

TEST(PolygonEditing, FixedPolygonFollowsPanAndZoom) {
    ForecastPolygon p = WithAxis({400, 300}, {600, 500});
    PolygonMove(p, 640, 500);
    PolygonPress(p, SessionView(), 0, 0);
    const Six drawn = p.Vertices;

    ProjectionDescriptor view = SessionView();
    ReprojectPolygon(p, view);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(p.Vertices[i].X, drawn[i].X, 1);
        EXPECT_NEAR(p.Vertices[i].Y, drawn[i].Y, 1);
    }
    MoveView(view, ViewMove::ZoomIn);
    ReprojectPolygon(p, view);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR(p.Vertices[i].X - 500, 1.5 * (drawn[i].X - 500), 2);
        EXPECT_NEAR(p.Vertices[i].Y - 400, 1.5 * (drawn[i].Y - 400), 2);
    }
}

// A picture that is not plain white, so that toggling is checked on colours too.
QImage Patterned() {
    QImage img(120, 120, QImage::Format_RGB32);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            img.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, 90));
    return img;
}

ForecastPolygon Band(PixelPoint a, PixelPoint b, int half) {
    ForecastPolygon p = Fresh();
    p.Vertices = {
        {{a.X - half, a.Y}, a, {a.X + half, a.Y}, {b.X + half, b.Y}, b, {b.X - half, b.Y}}};
    return p;
}

TEST(RubberBand, DrawsBlueAndErasesThePreviousBand) {
    QImage white(120, 120, QImage::Format_RGB32);
    white.fill(Qt::white);
    ForecastPolygon p = Band({30, 20}, {30, 100}, 10);
    DrawRubberBand(white, p);
    EXPECT_EQ(white.pixel(20, 60), qRgb(0, 0, 255));     // left side of the band
    EXPECT_EQ(white.pixel(30, 60), qRgb(255, 255, 255)); // inside stays as it was
    EXPECT_EQ(p.LastDrawnOutline, p.Vertices);

    // On a coloured picture: band 1, then band 2 must leave exactly band 2.
    QImage picture = Patterned();
    ForecastPolygon moving = Band({30, 20}, {30, 100}, 10);
    DrawRubberBand(picture, moving);
    EXPECT_NE(picture, Patterned());
    moving.Vertices = Band({60, 20}, {90, 100}, 15).Vertices;
    DrawRubberBand(picture, moving);

    QImage expected = Patterned();
    ForecastPolygon only = Band({60, 20}, {90, 100}, 15);
    DrawRubberBand(expected, only);
    EXPECT_EQ(picture, expected);
}

TEST(RubberBand, ABandIsNotToggledOnAPictureThatNoLongerHasIt) {
    ForecastPolygon p = Band({30, 20}, {30, 100}, 10);
    QImage view = Patterned();
    DrawRubberBand(view, p);

    // A refresh replaces the picture; the new drawing must not bring the old band back.
    QImage refreshed = Patterned();
    ForgetRubberBand(p);
    p.Vertices = Band({70, 30}, {70, 90}, 5).Vertices;
    DrawRubberBand(refreshed, p);

    QImage expected = Patterned();
    ForecastPolygon only = Band({70, 30}, {70, 90}, 5);
    DrawRubberBand(expected, only);
    EXPECT_EQ(refreshed, expected);

    // Without forgetting, the toggled old band would show as a ghost.
    ForecastPolygon stale = Band({30, 20}, {30, 100}, 10);
    stale.LastDrawnOutline = stale.Vertices;
    stale.Vertices = Band({70, 30}, {70, 90}, 5).Vertices;
    QImage ghost = Patterned();
    DrawRubberBand(ghost, stale);
    EXPECT_NE(ghost, expected);
}

TEST(FixedPolygon, HollowBlackOutline) {
    QImage img(120, 120, QImage::Format_RGB32);
    img.fill(Qt::white);
    const ForecastPolygon p = Band({30, 20}, {30, 100}, 10);
    DrawFixedPolygon(img, p);
    EXPECT_EQ(img.pixel(20, 60), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(40, 60), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(30, 60), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(60, 60), qRgb(255, 255, 255));
}

TEST(FixedPolygon, DrawsAClosedBlackOutlineOnly) {
    QImage img(100, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    // A rectangle from (20,20) to (80,60) given as six vertices.
    ForecastPolygon polygon;
    polygon.Vertices = {{{20, 20}, {50, 20}, {80, 20}, {80, 60}, {50, 60}, {20, 60}}};
    DrawFixedPolygon(img, polygon);
    EXPECT_EQ(img.pixel(35, 20), qRgb(0, 0, 0));       // top side
    EXPECT_EQ(img.pixel(80, 40), qRgb(0, 0, 0));       // right side
    EXPECT_EQ(img.pixel(20, 40), qRgb(0, 0, 0));       // closing side 6 -> 1
    EXPECT_EQ(img.pixel(50, 40), qRgb(255, 255, 255)); // not filled
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
}

} // namespace
} // namespace nimbrel
