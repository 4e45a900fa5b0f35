#include "map/chaser_icons.h"

#include <QPainter>
#include <QPainterPath>

namespace nimbrel {

QString ChaserIconFile(ChaserOutcome outcome) {
    switch (outcome) {
    case ChaserOutcome::Awaiting:
        return QStringLiteral("cha_await.bmp");
    case ChaserOutcome::EmptyHanded:
        return QStringLiteral("cha_empty.bmp");
    case ChaserOutcome::CaughtStorm:
        return QStringLiteral("cha_svr.bmp");
    case ChaserOutcome::CaughtTornado:
        return QStringLiteral("cha_tor.bmp");
    case ChaserOutcome::Busted:
        return QStringLiteral("cha_bust.bmp");
    case ChaserOutcome::OutOfRange:
        return QStringLiteral("cha_range.bmp");
    case ChaserOutcome::NotChasing:
        return QStringLiteral("cha_sitout.bmp");
    }
    return QString();
}

QImage ChaserIcon(ChaserOutcome outcome) {
    QImage img(ChaserIconSize, ChaserIconSize, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    // A car-like body in the outcome's colour, with a mark that tells the outcome apart
    // even for a reader who cannot tell the colours apart.
    struct Style {
        QColor Body;
        QColor Mark;
    };
    Style s{QColor(160, 160, 160), Qt::black};
    switch (outcome) {
    case ChaserOutcome::Awaiting:
        s = {QColor(80, 140, 230), Qt::white};
        break;
    case ChaserOutcome::EmptyHanded:
        s = {QColor(240, 200, 40), Qt::black};
        break;
    case ChaserOutcome::CaughtStorm:
        s = {QColor(30, 160, 60), Qt::white};
        break;
    case ChaserOutcome::CaughtTornado:
        s = {QColor(220, 30, 30), Qt::white};
        break;
    case ChaserOutcome::Busted:
        s = {QColor(90, 90, 90), Qt::white};
        break;
    case ChaserOutcome::OutOfRange:
        s = {QColor(170, 100, 200), Qt::white};
        break;
    case ChaserOutcome::NotChasing:
        s = {QColor(200, 200, 200), Qt::black};
        break;
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(s.Body);
    p.drawRect(0, 0, ChaserIconSize - 1, ChaserIconSize - 1);
    p.setPen(QPen(s.Mark, 2));
    p.setBrush(Qt::NoBrush);
    switch (outcome) {
    case ChaserOutcome::Awaiting: // clock hands
        p.drawLine(9, 9, 9, 4);
        p.drawLine(9, 9, 13, 9);
        break;
    case ChaserOutcome::EmptyHanded: // open circle
        p.drawEllipse(5, 5, 8, 8);
        break;
    case ChaserOutcome::CaughtStorm: // tick
        p.drawLine(4, 9, 8, 13);
        p.drawLine(8, 13, 14, 4);
        break;
    case ChaserOutcome::CaughtTornado: { // funnel
        p.setBrush(s.Mark);
        QPainterPath path;
        path.moveTo(3, 4);
        path.lineTo(15, 4);
        path.lineTo(9, 14);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    case ChaserOutcome::Busted: // cross
        p.drawLine(5, 5, 13, 13);
        p.drawLine(13, 5, 5, 13);
        break;
    case ChaserOutcome::OutOfRange: // arrow away
        p.drawLine(4, 9, 14, 9);
        p.drawLine(10, 5, 14, 9);
        p.drawLine(10, 13, 14, 9);
        break;
    case ChaserOutcome::NotChasing: // house
        p.drawLine(4, 9, 9, 4);
        p.drawLine(9, 4, 14, 9);
        p.drawRect(6, 9, 6, 5);
        break;
    }
    return img;
}

} // namespace nimbrel
