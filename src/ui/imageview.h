#pragma once
// A picture shown at one screen pixel per image pixel, sized to its image, reporting
// mouse presses, moves and releases in image pixels.
#include <functional>

#include <QImage>
#include <QWidget>

class QPainter;

namespace nimbrel {

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    /// The picture; callers draw into it and then call update().
    QImage& Picture() { return picture_; }
    const QImage& Picture() const { return picture_; }
    /// Replaces the picture and sizes the control to it.
    void SetPicture(const QImage& image);
    /// Resizes picture and control; new area is white, old content kept at the top-left.
    void ResizePicture(int width, int height);
    /// Something drawn over the picture on screen only (a measuring line): the picture
    /// itself is never touched, so taking the layer away leaves no trace.
    void SetOverlay(std::function<void(QPainter&)> overlay);
    void ClearOverlay();
    bool HasOverlay() const { return static_cast<bool>(overlay_); }
    /// Shifts the picture on screen by `offset` (a map being dragged); the picture is
    /// untouched and the uncovered strip shows grey.
    void SetPanOffset(QPoint offset);
    /// When on, the wheel is reported as Wheel (a map zooming); when off it goes to the
    /// scrolling area as before.
    void SetWheelReported(bool on) { wheelReported_ = on; }
    /// Shows the picture scaled smoothly to fit `area`, keeping its aspect (empty: one
    /// screen pixel per picture pixel). Mouse positions are still reported in picture
    /// pixels.
    void SetFitArea(QSize area);
    QSize FitArea() const { return fitArea_; }

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    /// Whole wheel notches (positive away from the user) at a picture pixel.
    void Wheel(int steps, int x, int y);
    /// The picture (and so the control) changed size.
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage picture_;
    std::function<void(QPainter&)> overlay_;
    QPoint panOffset_;
    bool wheelReported_ = false;
    int wheelRemainder_ = 0; ///< eighths of a degree not yet making a whole notch
    QSize fitArea_;
    /// The control's size for the picture: the picture's, or scaled into the fit area.
    QSize ShownSize() const;
    /// A widget position in picture pixels.
    QPoint ToPicture(QPointF pos) const;
};

} // namespace nimbrel
