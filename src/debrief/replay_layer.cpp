#include "debrief/replay_layer.h"

#include <array>

#include <QImage>
#include <QPainter>

#include "map/chaser_icons.h"

namespace nimbrel {

void DrawReplayMarks(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                     std::size_t index) {
    DrawReplayRings(painter, project, record, index);
    DrawReplayChasers(painter, project, record, index);
}

void DrawReplayRings(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                     std::size_t index) {
    if (index >= record.Hours.size()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const HourReports shown = ReportsAt(record, index);
    // A dark ring around each of the hour's reports, drawn after every symbol so that
    // none covers it.
    painter.setPen(QPen(QColor(40, 40, 40), 2));
    painter.setBrush(Qt::NoBrush);
    for (std::size_t i = shown.FirstOfHour; i < shown.ReportsArrived && i < record.Reports.size();
         ++i) {
        const PixelPoint at = project(record.Reports[i].Start);
        if (at.X == MissingPixel) continue;
        painter.drawEllipse(QPoint(at.X, at.Y), 9, 9);
    }
    painter.restore();
}

void DrawReplayChasers(QPainter& painter, const ScreenProjector& project, const DayRecord& record,
                       std::size_t index) {
    if (index >= record.Hours.size() || !record.Hours[index].WithChasers) return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // One picture per outcome, made once per draw.
    std::array<QImage, 8> icons;
    for (const ChaserMark& chaser : record.Hours[index].Chasers) {
        const PixelPoint at = project(chaser.Position);
        if (at.X == MissingPixel) continue;
        const auto outcome = static_cast<std::size_t>(chaser.Outcome);
        if (outcome >= icons.size()) continue;
        if (icons[outcome].isNull()) icons[outcome] = ChaserIcon(chaser.Outcome);
        painter.drawImage(at.X - ChaserIconSize / 2, at.Y - ChaserIconSize / 2, icons[outcome]);
    }
    painter.restore();
}

} // namespace nimbrel
