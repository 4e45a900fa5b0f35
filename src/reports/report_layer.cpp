#include "reports/report_layer.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>

#include "reports/report_file.h"

namespace nimbrel {
namespace {

const QColor TornadoPen(255, 68, 68);
const QColor TornadoFill(255, 34, 34);
const QColor HailPen(0, 170, 0);
const QColor WindPen(0, 0, 170);

QPen SolidPen(const QColor& colour, int width) {
    QPen pen(colour);
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(width);
    return pen;
}

void DrawOne(QPainter& p, const StormReport& r, const ScreenProjector& project) {
    const PixelPoint s = project(r.Start);
    const int x = s.X, y = s.Y;
    switch (static_cast<ReportKind>(r.Kind)) {
    case ReportKind::Tornado: {
        p.setPen(SolidPen(TornadoPen, 1));
        p.setBrush(QBrush(TornadoFill, Qt::SolidPattern));
        const QPoint triangle[] = {{x - 5, y - 5}, {x, y + 5}, {x + 5, y - 5}};
        p.drawPolygon(triangle, 3);
        if (r.End.Latitude != 0.0) {
            const PixelPoint e = project(r.End);
            p.setPen(SolidPen(TornadoPen, 2));
            p.drawLine(x, y, e.X, e.Y);
        }
        break;
    }
    case ReportKind::Hail:
        p.setPen(SolidPen(HailPen, 2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(x - 5, y + 3, x, y - 5);
        p.drawLine(x, y - 5, x + 5, y + 3);
        p.drawLine(x + 5, y + 3, x - 5, y + 3);
        break;
    case ReportKind::Wind:
        p.setPen(SolidPen(WindPen, 2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(x - 4, y - 4, x + 4, y + 4);
        p.drawLine(x + 4, y - 4, x - 4, y + 4);
        break;
    default:
        break; // unknown kinds are kept in the file but not drawn
    }
}

/// Draws a report's symbol in not-xor so that every pixel of it is toggled exactly once,
/// however its strokes overlap (the tornado's outline over its fill, the crossing of the
/// X, the corners of the hail triangle): the symbol is composed in copy mode on a white
/// layer and the layer is then combined once. White leaves a pixel unchanged under
/// not-xor, so only the symbol's own pixels change.
void ToggleOne(QPainter& p, const StormReport& r, const ScreenProjector& project) {
    const PixelPoint s = project(r.Start);
    QRect bounds(s.X - 8, s.Y - 8, 17, 17); // the triangles and the X with their pens
    if (static_cast<ReportKind>(r.Kind) == ReportKind::Tornado && r.End.Latitude != 0.0) {
        const PixelPoint e = project(r.End);
        bounds |= QRect(QPoint(s.X, s.Y), QPoint(e.X, e.Y)).normalized().adjusted(-2, -2, 2, 2);
    }
    // Only what lies on the picture needs a layer (a track may end far off it).
    bounds &= QRect(0, 0, p.device()->width(), p.device()->height());
    if (bounds.isEmpty()) return;
    QImage layer(bounds.size(), QImage::Format_RGB32);
    layer.fill(Qt::white);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing, false);
        lp.translate(-bounds.topLeft());
        DrawOne(lp, r, project);
    }
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.drawImage(bounds.topLeft(), layer);
}

/// Puts the painter back in copy mode however the pass ends.
struct CopyModeOnExit {
    QPainter& Painter;
    ~CopyModeOnExit() { Painter.setCompositionMode(QPainter::CompositionMode_SourceOver); }
};

} // namespace

void DrawReports(QPainter& painter, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash) {
    if (!QFileInfo::exists(path)) return;
    CopyModeOnExit restore{painter};
    painter.setRenderHint(QPainter::Antialiasing, false);
    ForEachReport(path, [&](const StormReport& r) {
        const ReportAge age = AgeOf(r, simulationTime);
        if (age == ReportAge::NotYet) return;
        // Not-xor turns a symbol in its own colour white and white back into the symbol,
        // so drawing a recent report on every timer tick makes it blink.
        if (flash && age == ReportAge::Recent) {
            ToggleOne(painter, r, project);
            return;
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawOne(painter, r, project);
    });
}

void DrawReports(QImage& image, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash) {
    QPainter painter(&image);
    DrawReports(painter, project, path, simulationTime, flash);
}

} // namespace nimbrel
