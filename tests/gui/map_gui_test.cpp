// The target map on the real window: the shipped geography, pan and zoom from the Map
// menu, and a forecast area dragged, widened and fixed with the mouse.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "debrief/score_map.h"
#include "gui/gui_support.h"
#include "map/basemap.h"
#include "map/polygon.h"
#include "map/projection.h"
#include "ui/imageview.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

// A window on a per-user folder holding a copy of the shipped map files and icons.
struct MapFixture : GuiFixture {
    MapFixture() {
        appData = Temp.path() + QStringLiteral("/appdata/");
        caseRoot = Temp.path() + QStringLiteral("/disc/");
        QDir().mkpath(appData);
        QDir().mkpath(caseRoot + DefaultCaseFolder);
        const QDir shipped(ShippedDataDir() + QStringLiteral("/appdata"));
        for (const QString& f : shipped.entryList(QDir::Files))
            if (f.startsWith(QLatin1String("nimbrel.")) || f.startsWith(QLatin1String("cha_")))
                QFile::copy(shipped.filePath(f), appData + f);
        Show(appData, caseRoot);
    }
    bool HasGeography() const { return QFile::exists(appData + OutlinesFile); }
    void ToTargetMap() {
        Form->Targeting1->trigger();
        ASSERT_EQ(Form->State().Kind, ChartKind::TargetMap);
    }
    const QImage& Shown() const { return Form->Image1->Picture(); }

    QString appData, caseRoot;
};

bool HasColour(const QImage& img, QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) == colour) return true;
    return false;
}

TEST(MapWindow, ShowsTheGeographyAndDragsAForecastArea) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    ASSERT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();

    const ProjectionDescriptor& view = f.Form->State().TheViewport;
    // The map fills the area it is shown in; picture, buffer and cache agree.
    EXPECT_EQ(f.Shown().width(), view.Width);
    EXPECT_EQ(f.Shown().height(), view.Height);
    EXPECT_EQ(f.Form->BufImg->Picture().size(), f.Shown().size());
    EXPECT_TRUE(QFile::exists(f.appData + CachedBitmapFile));
    EXPECT_EQ(ProjectionDescriptor::FromBytes(ReadFile(f.appData + CachedViewFile)).Width,
              view.Width);
    EXPECT_TRUE(HasColour(f.Shown(), qRgb(119, 119, 119))); // state outlines
    EXPECT_TRUE(HasColour(f.Shown(), qRgb(204, 204, 204))); // county lines
    EXPECT_TRUE(f.Form->ReportsTimer.isActive());

    // Axis from the map's centre 100 pixels to the right, then the width straight below.
    const QPoint a(view.Width / 2, view.Height / 2), b = a + QPoint(100, 0);
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, a);
    EXPECT_FALSE(f.Form->ReportsTimer.isActive());
    QTest::mouseMove(f.Form->Image1, b);
    QTest::mouseRelease(f.Form->Image1, Qt::LeftButton, {}, b);
    EXPECT_EQ(f.Form->State().Polygon.Drag, DragState::SettingWidth);
    QTest::mouseMove(f.Form->Image1, b + QPoint(0, 40));
    EXPECT_EQ(f.Form->StatusPanel2->text(), QStringLiteral("Axis 100 px, width 40 px"));
    EXPECT_TRUE(HasColour(f.Shown(), qRgb(0, 0, 255)));
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, b + QPoint(0, 40));
    QTest::mouseRelease(f.Form->Image1, Qt::LeftButton, {}, b + QPoint(0, 40));

    const ForecastPolygon& polygon = f.Form->State().Polygon;
    EXPECT_EQ(polygon.Drag, DragState::NotDrawing);
    ASSERT_TRUE(polygon.IsSet());
    EXPECT_EQ(polygon.SideWords, QStringLiteral("NORTH AND SOUTH"));
    // The globe's radius is Scale x Width pixels, so one pixel is this many degrees of arc.
    const double degreesPerPixel = 180.0 / 3.14159265358979 / (3.0 * view.Width);
    // Vertex 2 is A, at the map's centre (within half a pixel): the view's centre.
    EXPECT_NEAR(polygon.GeoVertices[1].Latitude, view.CentreLatitude, degreesPerPixel);
    EXPECT_NEAR(polygon.GeoVertices[1].Longitude, view.CentreLongitude, 2 * degreesPerPixel);
    // Vertices 1 and 3 straight north and south of A, 40 pixels away.
    EXPECT_NEAR(polygon.GeoVertices[0].Latitude - polygon.GeoVertices[1].Latitude,
                40 * degreesPerPixel, degreesPerPixel);
    EXPECT_NEAR(polygon.GeoVertices[1].Latitude - polygon.GeoVertices[2].Latitude,
                40 * degreesPerPixel, degreesPerPixel);
    EXPECT_NEAR(polygon.GeoVertices[0].Longitude, polygon.GeoVertices[1].Longitude,
                degreesPerPixel);

    // Zooming in redraws the fixed area 1.5 times as large, in black on the map.
    f.Form->Zoomin1->trigger();
    ASSERT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();
    EXPECT_EQ(view.Scale, 4.5);
    EXPECT_NEAR(polygon.Vertices[0].Y, a.y() - 60, 1);
    EXPECT_NEAR(polygon.Vertices[4].X, a.x() + 150, 1);
    EXPECT_EQ(f.Shown().pixel(a.x() + 75, a.y() - 60), qRgb(0, 0, 0));

    // A pan north moves everything down by a degree's worth of pixels.
    const int before = polygon.Vertices[1].Y;
    f.Form->North1->trigger();
    EXPECT_EQ(view.CentreLatitude, 36.0);
    EXPECT_NEAR(polygon.Vertices[1].Y - before, 4.5 * view.Width * 3.14159265358979 / 180.0, 2);
    // The menu's keys: S pans back south, A zooms back out.
    f.Form->activateWindow();
    QTest::keyClick(f.Form, Qt::Key_S);
    QTest::keyClick(f.Form, Qt::Key_A);
    EXPECT_EQ(view.CentreLatitude, 35.0);
    EXPECT_NEAR(view.Scale, 3.0, 1e-12);
}

TEST(MapWindow, AFailedRefreshShowsWhatWasDrawnAndTheModeFollowsThePicture) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    ASSERT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();
    const QImage before = f.Shown();

    // A report file cut short fails the report layer after the panned map was drawn:
    // that map is on screen, not the one from before the pan.
    WriteFile(f.Form->State().Folders.ReportsFile, QByteArray(70, '\0'));
    f.Form->North1->trigger();
    ASSERT_EQ(f.Errors.size(), 1);
    EXPECT_NE(f.Shown(), before);
    EXPECT_EQ(f.Shown(), f.Form->BufImg->Picture());

    // The station map is missing: the sounding view cannot be shown, and the mode and
    // the menu stay with the target map that is.
    f.Form->Sounding1->trigger();
    ASSERT_EQ(f.Errors.size(), 2);
    EXPECT_EQ(f.Form->State().Kind, ChartKind::TargetMap);
    EXPECT_TRUE(f.Form->Targeting1->isChecked());
    EXPECT_FALSE(f.Form->Sounding1->isChecked());
    EXPECT_FALSE(f.Form->PlayFwdButton->isEnabled());
}

TEST(MapWindow, ChartViewsRefusePanZoomAndDrawing) {
    MapFixture f;
    ASSERT_EQ(f.Form->State().Kind, ChartKind::VisibleSatellite);
    const ProjectionDescriptor before = f.Form->State().TheViewport;
    f.Prompts->Shown.clear();
    f.Form->North1->trigger();
    f.Form->Zoomin1->trigger();
    EXPECT_EQ(f.Form->State().TheViewport.CentreLatitude, before.CentreLatitude);
    EXPECT_EQ(f.Form->State().TheViewport.Scale, before.Scale);
    const QString panText =
        QStringLiteral("I:You can only zoom and pan on the Target map, not on graphical products.");
    EXPECT_EQ(f.Prompts->Shown, (QStringList{panText, panText}));

    f.Prompts->Shown.clear();
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(f.Form->State().Polygon.Drag, DragState::NotDrawing);
    ASSERT_EQ(f.Prompts->Shown.size(), 1);
    EXPECT_EQ(f.Prompts->Shown[0], QStringLiteral("I:") + PolygonOnlyOnTargetMapText);
}

TEST(MapWindow, RightPressOnlyStopsTheReportTimer) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    ASSERT_TRUE(f.Form->ReportsTimer.isActive());
    QTest::mousePress(f.Form->Image1, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_FALSE(f.Form->ReportsTimer.isActive());
    EXPECT_EQ(f.Form->State().Polygon.Drag, DragState::NotDrawing);
    EXPECT_TRUE(f.Prompts->Shown.isEmpty());

    // A drawing left open while a chart is shown is neither moved nor drawn over the chart.
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, QPoint(50, 50));
    f.Form->Visiblesatellite1->trigger();
    const QImage chart = f.Shown();
    const auto vertices = f.Form->State().Polygon.Vertices;
    QTest::mouseMove(f.Form->Image1, QPoint(5, 5));
    EXPECT_EQ(f.Form->State().Polygon.Vertices, vertices);
    EXPECT_EQ(f.Shown(), chart);
}

TEST(MapWindow, RefreshDuringADrawingLeavesNoGhostOutline) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(f.Form->Image1, QPoint(300, 200));
    QTest::mouseRelease(f.Form->Image1, Qt::LeftButton, {}, QPoint(300, 200));
    // A refresh (an hourly advance, a pan) replaces the picture under the band.
    f.Form->RefreshView(false);
    const QImage clean = f.Shown();
    QTest::mouseMove(f.Form->Image1, QPoint(300, 260));

    // Only the new band may differ from the refreshed picture.
    QImage expected = clean;
    ForecastPolygon only;
    only.MarkAbsent();
    only.Vertices = f.Form->State().Polygon.Vertices;
    DrawRubberBand(expected, only);
    EXPECT_EQ(f.Shown(), expected);
}

} // namespace

TEST(MapWindow, MeasuringShowsDistanceAndLeavesMapAndPolygonUntouched) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    EXPECT_FALSE(f.Form->Measuredistance1->isEnabled()); // on a chart view
    f.ToTargetMap();
    ASSERT_TRUE(f.Form->Measuredistance1->isEnabled());
    const ForecastPolygon polygonBefore = f.Form->State().Polygon;
    const QImage mapBefore = f.Shown().copy();

    f.Form->Measuredistance1->trigger();
    ASSERT_TRUE(f.Form->Measuring.Active);
    // The pointer and the status line show the mode before any drag.
    EXPECT_EQ(f.Form->Image1->cursor().shape(), Qt::CrossCursor);
    EXPECT_TRUE(f.Form->StatusPanel2->text().startsWith("Measuring"));
    const ProjectionDescriptor& view = f.Form->State().TheViewport;
    const QPoint a(view.Width / 2, view.Height / 2), b = a + QPoint(120, 90);
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, a);
    QTest::mouseMove(f.Form->Image1, b);
    QTest::mouseRelease(f.Form->Image1, Qt::LeftButton, {}, b);
    // The line is on screen, over the picture; the picture and the polygon are as they were.
    const QImage onScreen = f.Form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(onScreen, mapBefore);
    EXPECT_EQ(f.Shown(), mapBefore);
    EXPECT_EQ(f.Form->State().Polygon.Drag, polygonBefore.Drag);
    EXPECT_EQ(f.Form->State().Polygon.Vertices, polygonBefore.Vertices);
    EXPECT_EQ(f.Form->Measuring.From, (PixelPoint{a.x(), a.y()}));
    EXPECT_EQ(f.Form->Measuring.To, (PixelPoint{b.x(), b.y()}));

    // Esc ends the mode and the screen is the map again, pixel for pixel.
    QTest::keyClick(f.Form, Qt::Key_Escape);
    EXPECT_FALSE(f.Form->Measuring.Active);
    EXPECT_FALSE(f.Form->Measuredistance1->isChecked());
    EXPECT_EQ(f.Form->Image1->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(f.Form->StatusPanel2->text().isEmpty());
    EXPECT_EQ(f.Form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32), f.Shown());

    // Leaving the target map ends it too, and the item is disabled on the chart.
    f.Form->Measuredistance1->trigger();
    ASSERT_TRUE(f.Form->Measuring.Active);
    f.Form->Visiblesatellite1->trigger();
    EXPECT_FALSE(f.Form->Measuring.Active);
    EXPECT_FALSE(f.Form->Measuredistance1->isEnabled());
    EXPECT_FALSE(f.Form->Image1->HasOverlay());
    EXPECT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();
}

TEST(MapWindow, ReportTickDrawsOnTheSharedPictureWithoutCopyingIt) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    const uchar* shared = f.Form->BufImg->Picture().constBits();
    ASSERT_EQ(f.Shown().constBits(), shared);
    f.Form->ReportsTimerTimer();
    ASSERT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();
    EXPECT_EQ(f.Form->BufImg->Picture().constBits(), shared);
    EXPECT_EQ(f.Shown().constBits(), shared);
}

namespace {

void Wheel(ImageView* view, QPoint at, int delta) {
    QWheelEvent event(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view, &event);
}

ProjectionDescriptor CachedView(const QString& appData) {
    return ProjectionDescriptor::FromBytes(ReadFile(appData + CachedViewFile));
}

} // namespace

TEST(MapWindow, WheelDragAndArrowsEndInTheSameViewportChangeAsTheKeys) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    const ProjectionDescriptor& view = f.Form->State().TheViewport;
    const QPoint centre(view.Width / 2, view.Height / 2);
    auto cacheAgrees = [&] {
        const ProjectionDescriptor cached = CachedView(f.appData);
        EXPECT_EQ(cached.CentreLatitude, view.CentreLatitude);
        EXPECT_EQ(cached.CentreLongitude, view.CentreLongitude);
        EXPECT_EQ(cached.Scale, view.Scale);
        EXPECT_EQ(f.Shown(), f.Form->BufImg->Picture());
        EXPECT_TRUE(f.Form->ReportsTimer.isActive());
    };

    // A notch at the centre is exactly Z, and a notch back exactly A.
    Wheel(f.Form->Image1, centre, 120);
    EXPECT_EQ(view.Scale, 4.5);
    EXPECT_EQ(view.CentreLatitude, 35.0);
    EXPECT_EQ(view.CentreLongitude, -100.0);
    cacheAgrees();
    Wheel(f.Form->Image1, centre, -120);
    EXPECT_NEAR(view.Scale, 3.0, 1e-12);
    EXPECT_EQ(view.CentreLatitude, 35.0);

    // Off the centre the place under the pointer stays under it.
    const QPoint at = centre + QPoint(200, -120);
    const GeoPoint under = ScreenToGeo(view, at.x(), at.y());
    Wheel(f.Form->Image1, at, 120);
    EXPECT_EQ(view.Scale, 4.5);
    const PixelPoint now = ProjectToScreen(view, under);
    EXPECT_NEAR(now.X, at.x(), 2);
    EXPECT_NEAR(now.Y, at.y(), 2);
    cacheAgrees();

    // The arrow keys are N, S, E and W.
    const double lat = view.CentreLatitude, lon = view.CentreLongitude;
    f.Form->activateWindow();
    QTest::keyClick(f.Form, Qt::Key_Up);
    QTest::keyClick(f.Form, Qt::Key_Left);
    EXPECT_EQ(view.CentreLatitude, lat + 1.0);
    EXPECT_EQ(view.CentreLongitude, lon - 1.0);
    cacheAgrees();

    // A middle- or right-button drag carries the place at the centre with the pointer.
    for (const Qt::MouseButton button : {Qt::MiddleButton, Qt::RightButton}) {
        const GeoPoint middle = ScreenToGeo(view, centre.x(), centre.y());
        const double scale = view.Scale;
        QTest::mousePress(f.Form->Image1, button, {}, centre);
        QTest::mouseMove(f.Form->Image1, centre + QPoint(60, 20));
        QTest::mouseMove(f.Form->Image1, centre + QPoint(120, 40));
        QTest::mouseRelease(f.Form->Image1, button, {}, centre + QPoint(120, 40));
        const PixelPoint moved = ProjectToScreen(view, middle);
        EXPECT_NEAR(moved.X, centre.x() + 120, 2);
        EXPECT_NEAR(moved.Y, centre.y() + 40, 2);
        EXPECT_EQ(view.Scale, scale);
        EXPECT_EQ(f.Form->State().Polygon.Drag, DragState::NotDrawing);
        cacheAgrees();
    }
    ASSERT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();
}

TEST(MapWindow, CitiesInTheCacheAndIssuedProductsUnderANewArea) {
    MapFixture f;
    if (!f.HasGeography()) GTEST_SKIP() << "shipped map files not present";
    f.ToTargetMap();
    const QByteArray withCities = ReadFile(f.appData + CachedViewFile);
    const QImage citiesShown = f.Shown();
    // The descriptor says what was drawn over the geography: the view alone is no match
    // once the cities are switched off, and switching them back finds no stale picture.
    f.Form->Cities1->trigger();
    const QByteArray without = ReadFile(f.appData + CachedViewFile);
    EXPECT_EQ(without.left(CachedExtrasOffset), withCities.left(CachedExtrasOffset));
    EXPECT_NE(without.mid(CachedExtrasOffset, 4), withCities.mid(CachedExtrasOffset, 4));
    EXPECT_NE(f.Shown(), citiesShown);
    f.Form->Cities1->trigger();
    EXPECT_EQ(f.Shown(), citiesShown);

    // An issued outlook stays outlined in its colour while a new area is drawn and fixed.
    const ProjectionDescriptor& view = f.Form->State().TheViewport;
    std::array<GeoPoint, 6> corners{};
    const int xs[] = {300, 300, 300, 600, 600, 600}, ys[] = {200, 300, 400, 400, 300, 200};
    for (int i = 0; i < 6; ++i)
        corners[static_cast<std::size_t>(i)] = ScreenToGeo(view, xs[i], ys[i]);
    f.Form->State().Products.push_back({ProductKind::SlightRiskOutlook, 0.625, corners, 0, 0});
    f.Form->RefreshView(false);
    const QRgb outline = ProductStyleOf(ProductKind::SlightRiskOutlook).Colour.rgb();
    EXPECT_EQ(f.Shown().pixel(450, 400), outline);
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, QPoint(350, 250));
    QTest::mouseMove(f.Form->Image1, QPoint(550, 250));
    QTest::mouseRelease(f.Form->Image1, Qt::LeftButton, {}, QPoint(550, 250));
    QTest::mouseMove(f.Form->Image1, QPoint(550, 280));
    QTest::mousePress(f.Form->Image1, Qt::LeftButton, {}, QPoint(550, 280));
    QTest::mouseRelease(f.Form->Image1, Qt::LeftButton, {}, QPoint(550, 280));
    ASSERT_TRUE(f.Form->State().Polygon.IsSet());
    f.Form->RefreshView(false);
    EXPECT_EQ(f.Shown().pixel(450, 400), outline);
    f.Form->Issuedproducts1->trigger();
    EXPECT_NE(f.Shown().pixel(450, 400), outline);

    // Over the map the status reads where the pointer is.
    QTest::mouseMove(f.Form->Image1, QPoint(view.Width / 2, view.Height / 2));
    EXPECT_TRUE(f.Form->StatusPanel2->text().startsWith(QStringLiteral("35.0N 100.0W \u2014 ")))
        << f.Form->StatusPanel2->text().toStdString();
    EXPECT_TRUE(f.Form->StatusPanel2->text().contains(QStringLiteral(" MILES ")));
    // Off the map it reads nothing; the polygon's size is not taken for a read-out.
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.Form->Image1, &leave);
    EXPECT_TRUE(f.Form->StatusPanel2->text().isEmpty())
        << f.Form->StatusPanel2->text().toStdString();
    f.Form->StatusPanel2->setText(QStringLiteral("Axis 100 px, width 40 px"));
    QCoreApplication::sendEvent(f.Form->Image1, &leave);
    EXPECT_EQ(f.Form->StatusPanel2->text(), QStringLiteral("Axis 100 px, width 40 px"));
    ASSERT_TRUE(f.Errors.isEmpty()) << f.Errors.join("; ").toStdString();
}
