#include "map/measure.h"

#include <cmath>

#include <QFontMetrics>
#include <QPainter>

namespace nimbrel {

QString MeasureText(const GeoPoint& from, const GeoPoint& to) {
    const double nm = GreatCircleDistance(from, to);
    const double bearing = InitialBearing(from, to);
    // A bearing of 359.6 reads as 0, not 360: the octant word is taken from the exact
    // bearing, so both say north.
    const long degrees = std::lround(bearing) % 360;
    return QStringLiteral("%1 MI (%2 NM) %3, %4\u00B0")
        .arg(std::lround(nm * StatuteMilesPerNauticalMile))
        .arg(std::lround(nm))
        .arg(QString::fromLatin1(CompassOctant(bearing)))
        .arg(degrees);
}

QString MeasureText(const ProjectionDescriptor& viewport, PixelPoint from, PixelPoint to) {
    return MeasureText(ScreenToGeo(viewport, from.X, from.Y), ScreenToGeo(viewport, to.X, to.Y));
}

void DrawMeasurement(QPainter& painter, PixelPoint from, PixelPoint to, const QString& text,
                     int width, int height) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A white line under a dark one stays visible over every map colour.
    painter.setPen(QPen(Qt::white, 4));
    painter.drawLine(from.X, from.Y, to.X, to.Y);
    painter.setPen(QPen(QColor(160, 0, 120), 2));
    painter.drawLine(from.X, from.Y, to.X, to.Y);
    painter.setBrush(QColor(160, 0, 120));
    painter.drawEllipse(QPoint(from.X, from.Y), 3, 3);

    QFont font = painter.font();
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QRect textBox = metrics.boundingRect(text).adjusted(-4, -2, 4, 2);
    // Beside the cursor, below and to the right, moved back inside the picture.
    int x = to.X + 14;
    int y = to.Y + 14;
    if (x + textBox.width() > width) x = to.X - 14 - textBox.width();
    if (y + textBox.height() > height) y = to.Y - 14 - textBox.height();
    x = std::max(0, x);
    y = std::max(0, y);
    const QRect box(x, y, textBox.width(), textBox.height());
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(255, 255, 225));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.drawText(box, Qt::AlignCenter, text);
    painter.restore();
}

} // namespace nimbrel
