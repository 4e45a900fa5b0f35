// The target map's side of the main window: basemap, pan and zoom, the chaser layer and
// the editing of the forecast polygon. The work is done by the core functions of
// src/map; these methods pass them the session and copy results into the widgets.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>

#include <cmath>

#include "app/umainform.h"
#include "map/basemap.h"
#include "map/chaser_layer.h"
#include "map/polygon.h"
#include "map/projection.h"
#include "products/map_annotations.h"
#include "reports/report_file.h"
#include "ui/imageview.h"

namespace nimbrel {
namespace {

/// Moves the view's centre until `place` lies at pixel (x, y) (within a pixel), in a few
/// corrections because the orthographic view is not a plain shift. Nothing moves when
/// the place is already there, so a zoom about the centre is exactly the keys' zoom.
void BringPlaceTo(ProjectionDescriptor& v, const GeoPoint& place, int x, int y) {
    for (int pass = 0; pass < 4; ++pass) {
        const PixelPoint now = ProjectToScreen(v, place);
        if (now.X == MissingPixel || now.Y == MissingPixel) return;
        if (std::abs(now.X - x) <= 1 && std::abs(now.Y - y) <= 1) return;
        const GeoPoint centre =
            ScreenToGeo(v, 0.5 * v.Width + (now.X - x), 0.5 * v.Height + (now.Y - y));
        if (centre.Latitude == MissingCoordinate) return;
        v.CentreLatitude = centre.Latitude;
        v.CentreLongitude = centre.Longitude;
    }
}

} // namespace

void TfMainForm::DrawBasemap() {
    BasemapHooks hooks;
    hooks.BeginBusy = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    hooks.EndBusy = [] { QApplication::restoreOverrideCursor(); };
    // Repaints go on while a large outline file is drawn, but no command can start in
    // the middle of the drawing and change the view under it.
    hooks.ProcessEvents = [] {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };

    QImage& bitmap = BufImg->Picture();
    // The area the map can fill without scroll bars.
    const QSize client = ScrollBox1->maximumViewportSize();
    auto fitImages = [&] {
        const QSize size = bitmap.deviceIndependentSize().toSize();
        BufImg->ResizePicture(size.width(), size.height());
        Image1->ResizePicture(size.width(), size.height());
    };
    try {
        nimbrel::DrawBasemap(session_.Folders.AppDataDirectory, session_.TheViewport, client,
                             bitmap, hooks, &session_.Basemap, MapExtras());
    } catch (...) {
        fitImages(); // the part drawn before the failure stays on show
        throw;
    }
    fitImages();
}

void TfMainForm::ReadMapCities() {
    const QString path = session_.Folders.AppDataDirectory + QStringLiteral("nimbrel.cit");
    const QString stamp = path + QFileInfo(path).lastModified().toString(Qt::ISODateWithMs) +
                          QString::number(QFileInfo(path).size());
    if (stamp == MapCitiesFolder) return;
    MapCitiesFolder = stamp;
    MapCities.clear();
    MapCitiesHash = 0;
    try {
        MapCities = ReadCityFile(path);
    } catch (const std::exception&) {
        // The map goes on without names; issuing a watch says what is wrong with the file.
        return;
    }
    MapCitiesHash = CityListStamp(MapCities);
}

BasemapExtras TfMainForm::MapExtras() {
    const bool cities = Cities1 && Cities1->isChecked();
    // The names keep clear of the reports already on the map (never of those still to
    // come, which would give them away), so the cache is told those reports too.
    std::vector<GeoPoint> reports;
    if (cities) {
        ReadMapCities();
        const QString& path = session_.Folders.ReportsFile;
        if (!path.isEmpty() && QFileInfo::exists(path)) {
            for (const StormReport& r : session_.WorkingReports.Read(path).Records)
                if (AgeOf(r, session_.Clock.SimulationTime) != ReportAge::NotYet)
                    reports.push_back(r.Start);
        }
    }
    // Drawn at the screen's density, so that lines and names stay sharp when scaled.
    return TargetMapExtras(cities ? &MapCities : nullptr, MapCitiesHash, std::move(reports),
                           Image1->devicePixelRatioF());
}

void TfMainForm::DrawIssuedProductsLayer() {
    if (!Issuedproducts1 || !Issuedproducts1->isChecked() || session_.Products.empty()) return;
    QPainter painter(&BufImg->Picture());
    DrawIssuedProducts(painter, session_.TheViewport, session_.Products);
}

void TfMainForm::Cities1Click() {
    if (session_.Kind == ChartKind::TargetMap) RefreshView(false);
}

void TfMainForm::Issuedproducts1Click() {
    if (session_.Kind == ChartKind::TargetMap) RefreshView(false);
}

void TfMainForm::Image1Wheel(int steps, int x, int y) {
    if (session_.Kind != ChartKind::TargetMap || steps == 0) return;
    PanOrZoom([steps, x, y](ProjectionDescriptor& v) {
        // The place under the cursor stays under it; zooming about the view's centre is
        // exactly the Z and A keys' change.
        const GeoPoint under = ScreenToGeo(v, x, y);
        const PixelPoint before = ProjectToScreen(v, under);
        const bool onGlobe =
            before.X != MissingPixel && std::abs(before.X - x) <= 1 && std::abs(before.Y - y) <= 1;
        for (int i = 0; i < std::abs(steps); ++i)
            MoveView(v, steps > 0 ? ViewMove::ZoomIn : ViewMove::ZoomOut);
        if (onGlobe) BringPlaceTo(v, under, before.X, before.Y);
    });
}

void TfMainForm::DrawChasers() {
    if (session_.Kind != ChartKind::TargetMap) return;
    if (session_.Polygon.IsSet()) ReprojectPolygon();
    DrawChaserLayer(BufImg->Picture(), session_.Chasers, session_.TheViewport,
                    session_.Folders.AppDataDirectory, session_.Folders.DevelopmentMode,
                    &session_.ChaserIcons);
}

void TfMainForm::ReprojectPolygon() {
    nimbrel::ReprojectPolygon(session_.Polygon, session_.TheViewport);
}

void TfMainForm::PanOrZoom(const std::function<void(ProjectionDescriptor&)>& change) {
    if (session_.Kind != ChartKind::TargetMap) {
        Ask().Information(PanZoomOnlyOnTargetMapText);
        return;
    }
    // A measured line belongs to the view it was drawn on.
    if (Measuring.Active) {
        Measuring.Dragging = false;
        Image1->ClearOverlay();
    }
    change(session_.TheViewport);
    RefreshView(false);
}

void TfMainForm::North1Click() {
    PanOrZoom([](ProjectionDescriptor& v) { MoveView(v, ViewMove::North); });
}
void TfMainForm::South1Click() {
    PanOrZoom([](ProjectionDescriptor& v) { MoveView(v, ViewMove::South); });
}
void TfMainForm::East1Click() {
    PanOrZoom([](ProjectionDescriptor& v) { MoveView(v, ViewMove::East); });
}
void TfMainForm::West1Click() {
    PanOrZoom([](ProjectionDescriptor& v) { MoveView(v, ViewMove::West); });
}
void TfMainForm::Zoomin1Click() {
    PanOrZoom([](ProjectionDescriptor& v) { MoveView(v, ViewMove::ZoomIn); });
}
void TfMainForm::Zoomout1Click() {
    PanOrZoom([](ProjectionDescriptor& v) { MoveView(v, ViewMove::ZoomOut); });
}

void TfMainForm::Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (session_.Kind != ChartKind::TargetMap) {
        Ask().Information(PolygonOnlyOnTargetMapText);
        return;
    }
    if (PanDrag.Active && button == Qt::LeftButton) { // a drag whose release went astray
        PanDrag = {};
        Image1->SetPanOffset(QPoint());
    }
    if ((button == Qt::MiddleButton || button == Qt::RightButton) && !PanDrag.Active) {
        ReportsTimer.stop(); // the flashing would draw over the dragged picture
        PanDrag = {true, button, x, y, x, y};
        return;
    }
    if (MeasurePress(button, x, y)) return;
    // The flashing refreshes would wipe the rubber band; the next target refresh
    // starts the timer again.
    ReportsTimer.stop();
    if (button != Qt::LeftButton) return;
    PolygonPress(session_.Polygon, session_.TheViewport, x, y);
}

void TfMainForm::Image1MouseMove(Qt::KeyboardModifiers, int x, int y) {
    // A drawing left unfinished when the trainee switched to a chart goes on when the
    // target map is back; the band is never drawn over a chart.
    if (session_.Kind != ChartKind::TargetMap) return;
    if (PanDrag.Active) {
        PanDrag.ToX = x;
        PanDrag.ToY = y;
        Image1->SetPanOffset(QPoint(x - PanDrag.FromX, y - PanDrag.FromY));
        return;
    }
    if (MeasureMove(x, y)) return;
    const PolygonMoveResult result = PolygonMove(session_.Polygon, x, y);
    if (result.HasStatus)
        StatusPanel2->setText(result.StatusText);
    else if (session_.Polygon.Drag == DragState::NotDrawing)
        StatusPanel2->setText(CursorReadout(session_.TheViewport, x, y, MapCities));
    if (result.Redraw) {
        DrawRubberBand(Image1->Picture(), session_.Polygon);
        Image1->update();
    }
}

void TfMainForm::Image1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (PanDrag.Active) {
        if (button != PanDrag.Button) return;
        const int dx = x - PanDrag.FromX, dy = y - PanDrag.FromY;
        PanDrag = {};
        Image1->SetPanOffset(QPoint());
        // A click without a drag leaves the view as it was (the timer stays off, as after
        // any press that draws nothing).
        if (std::abs(dx) < 3 && std::abs(dy) < 3) return;
        PanOrZoom([dx, dy](ProjectionDescriptor& v) {
            // The place that was at the centre follows the pointer.
            const int cx = v.Width / 2, cy = v.Height / 2;
            const GeoPoint middle = ScreenToGeo(v, cx, cy);
            BringPlaceTo(v, middle, cx + dx, cy + dy);
        });
        return;
    }
    if (MeasureRelease()) return;
    PolygonRelease(session_.Polygon);
}

} // namespace nimbrel
