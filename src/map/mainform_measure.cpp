// Measuring on the target map: a toggled mode in which a left-button drag shows the
// distance and direction from the press point to the cursor. The line lives on a layer
// over the view, so the map's picture (and the forecast polygon) are never touched.
#include <QAction>
#include <QLabel>
#include <QShortcut>

#include "app/umainform.h"
#include "map/measure.h"
#include "ui/imageview.h"

namespace nimbrel {

const QString MeasuringStatusText =
    QStringLiteral("Measuring: drag from one place to another (Esc ends)");

void TfMainForm::Measuredistance1Click() {
    if (Measuring.Active) {
        EndMeasuring();
        return;
    }
    if (session_.Kind != ChartKind::TargetMap) { // the item is disabled there; a stray call
        Measuredistance1->setChecked(false);
        return;
    }
    Measuring = MeasureState{};
    Measuring.Active = true;
    Measuredistance1->setChecked(true);
    endMeasuring_->setEnabled(true);
    // The mode changes what a drag does: the pointer and the status line say so at once.
    Image1->setCursor(Qt::CrossCursor);
    StatusPanel2->setText(MeasuringStatusText);
}

void TfMainForm::EndMeasuring() {
    Measuring = MeasureState{};
    Measuredistance1->setChecked(false);
    endMeasuring_->setEnabled(false);
    Image1->ClearOverlay();
    Image1->unsetCursor();
    if (StatusPanel2->text() == MeasuringStatusText) StatusPanel2->clear();
}

void TfMainForm::UpdateMeasureItem() {
    const bool onMap = session_.Kind == ChartKind::TargetMap;
    Measuredistance1->setEnabled(onMap);
    if (!onMap && Measuring.Active) EndMeasuring();
}

void TfMainForm::ShowMeasurement() {
    const MeasureState line = Measuring;
    const QString text = MeasureText(session_.TheViewport, line.From, line.To);
    const QSize size = Image1->Picture().deviceIndependentSize().toSize();
    const int width = size.width(), height = size.height();
    Image1->SetOverlay([line, text, width, height](QPainter& painter) {
        DrawMeasurement(painter, line.From, line.To, text, width, height);
    });
}

bool TfMainForm::MeasurePress(Qt::MouseButton button, int x, int y) {
    if (!Measuring.Active) return false;
    if (button == Qt::LeftButton) {
        Measuring.Dragging = true;
        Measuring.From = Measuring.To = PixelPoint{x, y};
        ShowMeasurement();
    }
    return true;
}

bool TfMainForm::MeasureMove(int x, int y) {
    if (!Measuring.Active) return false;
    if (Measuring.Dragging) {
        Measuring.To = PixelPoint{x, y};
        ShowMeasurement();
    }
    return true;
}

bool TfMainForm::MeasureRelease() {
    if (!Measuring.Active) return false;
    // The last line stays on show until the next drag or the end of the mode.
    Measuring.Dragging = false;
    return true;
}

} // namespace nimbrel
