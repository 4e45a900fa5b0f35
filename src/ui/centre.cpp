#include "ui/centre.h"

#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace nimbrel {
namespace {

bool FrameKnown(const QWidget& window) {
    return window.frameGeometry() != window.geometry();
}

void CentreNow(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    const QRect frame = window.frameGeometry();
    const QRect inside = window.geometry();
    QRect outer(QPoint(0, 0), frame.size());
    outer.moveCenter(screen->availableGeometry().center());
    window.setGeometry(
        QRect(outer.topLeft() + (inside.topLeft() - frame.topLeft()), inside.size()));
}

/// Centres a window once more when its first frame arrives, then goes. No event says
/// when that is (the inside may not move at all), so it looks a few times a second for
/// a while, and gives up when the window is hidden.
class FirstFrameWatch : public QObject {
public:
    explicit FirstFrameWatch(QWidget& window) : QObject(&window), window_(&window) {
        timer_.setInterval(50);
        connect(&timer_, &QTimer::timeout, this, [this] { Look(); });
        timer_.start();
    }

private:
    void Look() {
        if (window_ && window_->isVisible() && !FrameKnown(*window_) && ++looks_ < 60) return;
        timer_.stop();
        if (window_ && window_->isVisible() && FrameKnown(*window_)) CentreNow(*window_);
        deleteLater();
    }

    QPointer<QWidget> window_;
    QTimer timer_;
    int looks_ = 0;
};

} // namespace

void CentreOnScreen(QWidget& window) {
    CentreNow(window);
    // Before its first frame the window is centred without one: once the window manager
    // has framed it, it is centred again, so that every showing opens at the same place.
    if (!FrameKnown(window)) new FirstFrameWatch(window);
}

} // namespace nimbrel
