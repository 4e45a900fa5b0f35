// The target map's side of the main window: basemap, pan and zoom, the chaser layer and
// the editing of the forecast polygon. The work is done by the core functions of
// src/map; these methods pass them the session and copy results into the widgets.
#include <QApplication>
#include <QLabel>
#include <QScrollArea>

#include "app/umainform.h"
#include "map/basemap.h"
#include "map/chaser_layer.h"
#include "map/polygon.h"
#include "map/projection.h"
#include "ui/imageview.h"

namespace nimbrel {

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
        BufImg->ResizePicture(bitmap.width(), bitmap.height());
        Image1->ResizePicture(bitmap.width(), bitmap.height());
    };
    try {
        nimbrel::DrawBasemap(session_.Folders.AppDataDirectory, session_.TheViewport, client,
                             bitmap, hooks, &session_.Basemap);
    } catch (...) {
        fitImages(); // the part drawn before the failure stays on show
        throw;
    }
    fitImages();
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
    const PolygonMoveResult result = PolygonMove(session_.Polygon, x, y);
    if (result.HasStatus) StatusPanel2->setText(result.StatusText);
    if (result.Redraw) {
        DrawRubberBand(Image1->Picture(), session_.Polygon);
        Image1->update();
    }
}

void TfMainForm::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    PolygonRelease(session_.Polygon);
}

} // namespace nimbrel
