#include "viewer/picture.h"

#include <cmath>

#include <QPainter>
#include <QPolygon>

#include "base/rounding.h"

namespace nimbrel {

QImage ComposeSoundingView(const QImage& current, const QImage& sounding) {
    QImage next(sounding.width() + StationMapBand, sounding.height(), QImage::Format_RGB32);
    next.fill(0xffffffffu);
    QPainter painter(&next);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!current.isNull()) painter.drawImage(0, 0, current);
    painter.drawImage(StationMapBand, 0, sounding);
    return next;
}

QSize PrintedSize(int width, int height, int pageWidth, int pageHeight) {
    // The small terms keep an empty picture or page from dividing by zero.
    const double pictureRatio = height / (width + 0.00001);
    const double pageRatio = pageHeight / (pageWidth + 0.00001);
    if (pictureRatio < pageRatio)
        return QSize(pageWidth, static_cast<int>(RoundHalfEven(pageWidth * pictureRatio)));
    return QSize(static_cast<int>(RoundHalfEven(pageHeight / (pictureRatio + 0.0001))), pageHeight);
}

} // namespace nimbrel
