#include "ui/imageview.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace nimbrel {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize ImageView::ShownSize() const {
    // A picture drawn finer than the screen's pixels (its devicePixelRatio above 1) is
    // shown at its size in map pixels.
    const QSize own = picture_.deviceIndependentSize().toSize();
    if (fitArea_.isEmpty() || picture_.isNull()) return own;
    return own.scaled(fitArea_, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QPoint ImageView::ToPicture(QPointF pos) const {
    const QSize shown = size(), own = picture_.deviceIndependentSize().toSize();
    if (shown == own || shown.isEmpty()) return pos.toPoint();
    return {static_cast<int>(pos.x() * own.width() / shown.width()),
            static_cast<int>(pos.y() * own.height() / shown.height())};
}

void ImageView::SetPicture(const QImage& image) {
    picture_ = image.convertToFormat(QImage::Format_RGB32); // keeps the devicePixelRatio
    setFixedSize(ShownSize());
    update();
    emit Resized();
}

void ImageView::ResizePicture(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (picture_.deviceIndependentSize().toSize() != QSize(width, height)) {
        QImage next(width, height, QImage::Format_RGB32);
        next.fill(Qt::white);
        if (!picture_.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, picture_);
        }
        picture_ = next;
    }
    setFixedSize(ShownSize());
    update();
    emit Resized();
}

void ImageView::SetFitArea(QSize area) {
    if (area == fitArea_) return;
    fitArea_ = area;
    setFixedSize(ShownSize());
    update();
    emit Resized();
}

void ImageView::SetOverlay(std::function<void(QPainter&)> overlay) {
    overlay_ = std::move(overlay);
    update();
}

void ImageView::ClearOverlay() {
    if (!overlay_) return;
    overlay_ = nullptr;
    update();
}

void ImageView::SetPanOffset(QPoint offset) {
    if (offset == panOffset_) return;
    panOffset_ = offset;
    update();
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!panOffset_.isNull()) p.fillRect(rect(), QColor(200, 200, 200));
    if (!picture_.isNull()) {
        if (size() == picture_.deviceIndependentSize().toSize()) {
            p.drawImage(panOffset_, picture_);
        } else {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(rect(), picture_);
        }
    }
    if (overlay_) overlay_(p);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = ToPicture(event->position());
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = ToPicture(event->position());
    emit MouseMove(event->modifiers(), pos.x(), pos.y());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = ToPicture(event->position());
    emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void ImageView::wheelEvent(QWheelEvent* event) {
    if (!wheelReported_) {
        event->ignore(); // the scrolling area scrolls
        return;
    }
    event->accept();
    // A notch is 120 eighths of a degree; a touchpad sends smaller amounts that add up.
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    if (steps == 0) return;
    const QPoint pos = ToPicture(event->position());
    emit Wheel(steps, pos.x(), pos.y());
}

} // namespace nimbrel
