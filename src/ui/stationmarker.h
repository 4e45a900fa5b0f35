#pragma once
// A clickable circle over the sounding station map, carrying its station's row number.
#include <QWidget>

namespace nimbrel {

class StationMarker : public QWidget {
    Q_OBJECT
public:
    static constexpr int Size = 30;
    StationMarker(int row, QWidget* parent);
    int Row() const { return row_; }

signals:
    void Pressed(nimbrel::StationMarker* marker);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    int row_;
};

} // namespace nimbrel
