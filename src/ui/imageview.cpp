#include "ui/imageview.h"

#include <QMouseEvent>
#include <QPainter>

namespace nimbrel {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageView::SetPicture(const QImage& image) {
    picture_ = image.convertToFormat(QImage::Format_RGB32);
    setFixedSize(picture_.size());
    update();
    emit Resized();
}

void ImageView::ResizePicture(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (picture_.width() != width || picture_.height() != height) {
        QImage next(width, height, QImage::Format_RGB32);
        next.fill(Qt::white);
        if (!picture_.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, picture_);
        }
        picture_ = next;
    }
    setFixedSize(width, height);
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

void ImageView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
    if (overlay_) overlay_(p);
}

void ImageView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void ImageView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit MouseMove(event->modifiers(), pos.x(), pos.y());
}

void ImageView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    emit MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

} // namespace nimbrel
