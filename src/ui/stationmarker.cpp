#include "ui/stationmarker.h"

#include <QMouseEvent>
#include <QPainter>

namespace nimbrel {

StationMarker::StationMarker(int row, QWidget* parent) : QWidget(parent), row_(row) {
    setFixedSize(Size, Size);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
}

void StationMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(136, 204, 136));
    p.drawEllipse(QRectF(0.5, 0.5, Size - 1, Size - 1));
}

void StationMarker::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit Pressed(this);
}

} // namespace nimbrel
