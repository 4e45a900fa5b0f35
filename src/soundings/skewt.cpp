#include "skewt.h"

#include <algorithm>
#include <cmath>

#include <QFont>
#include <QFontMetricsF>
#include <QPainterPath>

namespace nimbrel::soundings {
namespace {

constexpr double Kelvin = 273.15;
// The diagram's box in frame pixels and its scales: pressure is logarithmic from 1050 to
// 100 mb; isotherms lean 45 degrees (one pixel right per pixel up); 4.6 pixels per C.
constexpr double Left = 36, Right = 404, Top = 112, Bottom = 556;
constexpr double PBottom = 1050.0, PTop = 100.0;
constexpr double TLeft = -30.0, PixelsPerDegree = 4.6;
constexpr double BarbColumn = 442;

const QColor TemperatureColour(200, 0, 0), DewPointColour(0, 140, 0), ParcelColour(40, 40, 40);

double Y(double p) {
    return Bottom - std::log(PBottom / p) / std::log(PBottom / PTop) * (Bottom - Top);
}
double X(double t, double p) {
    return Left + (t - TLeft) * PixelsPerDegree + (Bottom - Y(p));
}
QPointF At(double t, double p) {
    return {X(t, p), Y(p)};
}

QFont Font(double pixels, bool bold = false, bool mono = false) {
    QFont f(mono ? QStringLiteral("DejaVu Sans Mono") : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(int(pixels));
    f.setBold(bold);
    return f;
}

QString Number(double v, int decimals = 0) {
    return Has(v) ? QString::number(v, 'f', decimals) : QStringLiteral("--");
}

void DrawTitle(QPainter& p, const QString& station, DateTime valid) {
    p.setPen(Qt::black);
    p.setFont(Font(17, true));
    p.drawText(QRectF(8, 4, 300, 24), Qt::AlignLeft | Qt::AlignVCenter,
               station.toUpper() + QStringLiteral(" SOUNDING"));
    p.drawText(QRectF(180, 4, 292, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("VALID ") + FormatDateTime(QStringLiteral("hhnn"), valid) +
                   QStringLiteral(" UTC"));
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.drawLine(QPointF(0, 30.5), QPointF(FrameWidth, 30.5));
}

void DrawBackground(QPainter& p) {
    p.save();
    p.setClipRect(QRectF(Left, Top, Right - Left, Bottom - Top));
    // Dry adiabats (theta from -30 to 200 C every 10), moist adiabats (wet-bulb
    // potential temperature -20 to 36 every 4), mixing-ratio lines (g/kg, dashed, below
    // 600 mb), isotherms every 10 C, isobars every 100 mb.
    p.setPen(QPen(QColor(230, 190, 140), 0.8));
    for (int theta = -30; theta <= 200; theta += 10) {
        QPainterPath path;
        for (double pr = PBottom; pr >= PTop; pr -= 25) {
            const double t =
                (theta + Kelvin) * std::pow(pr / 1000.0, 287.04749 / 1004.6662) - Kelvin;
            pr == PBottom ? path.moveTo(At(t, pr)) : path.lineTo(At(t, pr));
        }
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(150, 190, 230), 0.8, Qt::DashLine));
    for (int tw = -20; tw <= 36; tw += 4) {
        QPainterPath path;
        double t = tw;
        double pr = 1000.0;
        path.moveTo(At(MoistAdiabat(1000.0, tw, PBottom), PBottom));
        path.lineTo(At(t, pr));
        for (; pr > 200.0; pr -= 25) {
            t = MoistAdiabat(pr, t, pr - 25);
            path.lineTo(At(t, pr - 25));
        }
        p.drawPath(path);
    }
    p.setPen(QPen(QColor(120, 180, 120), 0.8, Qt::DotLine));
    for (double w : {1.0, 2.0, 4.0, 8.0, 12.0, 16.0, 20.0}) {
        // Dew point of mixing ratio w at p: e = w p / (eps + w), inverted Bolton.
        auto td = [&](double pr) {
            const double e = w / 1000.0 * pr / (0.6219569 + w / 1000.0);
            const double l = std::log(e / 6.112);
            return 243.5 * l / (17.67 - l);
        };
        p.drawLine(At(td(PBottom), PBottom), At(td(600.0), 600.0));
    }
    p.setPen(QPen(QColor(170, 170, 170), 0.8));
    for (int t = -160; t <= 50; t += 10)
        p.drawLine(At(t, PBottom), At(t, PTop));
    p.setPen(QPen(QColor(150, 150, 150), 0.8));
    for (int pr = 1000; pr >= 100; pr -= 100)
        p.drawLine(QPointF(Left, Y(pr)), QPointF(Right, Y(pr)));
    p.restore();
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(Left, Top, Right - Left, Bottom - Top));
    p.setFont(Font(9));
    for (int pr = 1000; pr >= 100; pr -= 100)
        p.drawText(QRectF(0, Y(pr) - 6, Left - 3, 12), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(pr));
    p.setPen(QColor(80, 80, 80));
    for (int t = -20; t <= 40; t += 10) {
        const double x = X(t, PBottom);
        if (x > Left + 5 && x < Right - 5)
            p.drawText(QRectF(x - 15, Bottom + 2, 30, 12), Qt::AlignCenter, QString::number(t));
    }
}

// Polyline of (t, p) pairs, skipping missing values.
void DrawTrace(QPainter& p, const std::vector<std::pair<double, double>>& points, const QPen& pen) {
    QPainterPath path;
    bool open = false;
    for (const auto& [t, pr] : points) {
        if (!Has(t) || pr < PTop) {
            open = false;
            continue;
        }
        open ? path.lineTo(At(t, pr)) : path.moveTo(At(t, pr));
        open = true;
    }
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void DrawParcel(QPainter& p, const Parcel& pc) {
    if (pc.PathPressure.size() < 2) return;
    p.save();
    p.setClipRect(QRectF(Left, Top, Right - Left, Bottom - Top));
    p.setPen(Qt::NoPen);
    for (std::size_t k = 0; k + 1 < pc.PathPressure.size(); ++k) {
        const double p0 = pc.PathPressure[k], p1 = pc.PathPressure[k + 1];
        const double d0 = pc.PathTemperature[k] - pc.PathEnvironment[k];
        const double d1 = pc.PathTemperature[k + 1] - pc.PathEnvironment[k + 1];
        const bool capeLayer = Has(pc.LfcPressure) && p1 <= pc.LfcPressure + 1e-6 &&
                               (!Has(pc.ElPressure) || p0 >= pc.ElPressure - 1e-6);
        const bool cinLayer = Has(pc.LfcPressure) && p0 >= pc.LfcPressure - 1e-6;
        if (!(capeLayer && (d0 > 0 || d1 > 0)) && !(cinLayer && (d0 < 0 || d1 < 0))) continue;
        p.setBrush(capeLayer ? QColor(240, 120, 120, 110) : QColor(110, 140, 230, 110));
        const QPointF quad[] = {At(pc.PathTemperature[k], p0), At(pc.PathTemperature[k + 1], p1),
                                At(pc.PathEnvironment[k + 1], p1), At(pc.PathEnvironment[k], p0)};
        p.drawPolygon(quad, 4);
    }
    std::vector<std::pair<double, double>> path;
    for (std::size_t k = 0; k < pc.PathPressure.size(); ++k)
        path.emplace_back(pc.PathTemperature[k], pc.PathPressure[k]);
    DrawTrace(p, path, QPen(ParcelColour, 1.2, Qt::DashLine));
    p.restore();
}

void DrawBarb(QPainter& p, QPointF at, double direction, double knots) {
    const double rad = direction * M_PI / 180.0;
    const QPointF d(std::sin(rad), -std::cos(rad)); // towards where the wind comes from
    const QPointF side(-d.y(), d.x());
    if (knots < 2.5) {
        p.drawEllipse(at, 2.5, 2.5);
        return;
    }
    const double staff = 21.0;
    p.drawLine(at, at + d * staff);
    int left = int(std::lround(knots / 5.0)) * 5;
    double pos = staff;
    while (left >= 50) {
        const QPointF a = at + d * pos, b = at + d * (pos - 6.0);
        const QPointF tri[] = {a, b, a + side * 10.0 - d * 1.5};
        p.setBrush(p.pen().color());
        p.drawPolygon(tri, 3);
        pos -= 7.0;
        left -= 50;
    }
    while (left >= 10) {
        const QPointF a = at + d * pos;
        p.drawLine(a, a + side * 10.0 + d * 3.0);
        pos -= 3.5;
        left -= 10;
    }
    if (left >= 5) {
        if (pos == staff) pos -= 3.5;
        const QPointF a = at + d * pos;
        p.drawLine(a, a + side * 5.0 + d * 1.5);
    }
}

void DrawBarbs(QPainter& p, const Sounding& s) {
    p.setPen(QPen(Qt::black, 1));
    p.setFont(Font(8));
    p.drawText(QRectF(Right + 4, Top - 13, FrameWidth - Right - 6, 12), Qt::AlignCenter,
               QStringLiteral("WIND kt"));
    double lastY = 1e9;
    for (const Level& l : s.Levels) {
        if (!Has(l.Direction) || !Has(l.Speed) || l.Pressure < PTop) continue;
        const double y = Y(l.Pressure);
        if (lastY - y < 20.0) continue;
        lastY = y;
        p.setBrush(Qt::NoBrush);
        DrawBarb(p, QPointF(BarbColumn, y), l.Direction, l.Speed);
    }
}

void DrawHodograph(QPainter& p, const Sounding& s, const Diagnostics& d) {
    const QRectF box(Right - 122, Top + 2, 120, 120);
    const QPointF centre = box.center();
    const double scale = 60.0 / 60.0; // 60 kt to the box's edge
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(box);
    p.save();
    p.setClipRect(box);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(190, 190, 190), 0.8));
    for (int r = 20; r <= 80; r += 20)
        p.drawEllipse(centre, r * scale, r * scale);
    p.drawLine(QPointF(box.left(), centre.y()), QPointF(box.right(), centre.y()));
    p.drawLine(QPointF(centre.x(), box.top()), QPointF(centre.x(), box.bottom()));
    // The wind by height above ground, coloured by kilometre band: 0-3, 3-6, 6-9, 9-12.
    const QColor bands[] = {QColor(210, 0, 0), QColor(0, 150, 0), QColor(200, 160, 0),
                            QColor(0, 120, 220)};
    double surface = Missing;
    QPointF last;
    bool have = false;
    for (const Level& l : s.Levels) {
        if (!Has(surface) && l.HasThermo()) surface = l.Height;
        if (!l.HasWind() || !Has(surface)) continue;
        const double agl = l.Height - surface;
        if (agl > 12000.0) break;
        const double rad = l.Direction * M_PI / 180.0;
        const QPointF pt =
            centre + QPointF(-l.Speed * std::sin(rad), l.Speed * std::cos(rad)) * scale;
        if (have) {
            p.setPen(QPen(bands[std::clamp(int(agl / 3000.0), 0, 3)], 1.6));
            p.drawLine(last, pt);
        }
        last = pt;
        have = true;
    }
    auto mark = [&](const Wind& w, const QString& label) {
        if (!Has(w.U)) return;
        const double kt = 1.0 / 0.514444;
        const QPointF pt = centre + QPointF(w.U * kt, -w.V * kt) * scale;
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(pt, 3, 3);
        p.setFont(Font(8, true));
        p.drawText(pt + QPointF(4, 4), label);
    };
    mark(d.BunkersRight, QStringLiteral("RM"));
    mark(d.BunkersLeft, QStringLiteral("LM"));
    p.restore();
    p.setFont(Font(8));
    p.setPen(QColor(90, 90, 90));
    p.drawText(QRectF(box.left() + 2, box.bottom() - 12, box.width() - 4, 11), Qt::AlignLeft,
               QStringLiteral("rings 20 kt"));
}

void DrawIndices(QPainter& p, const Diagnostics& d) {
    p.setPen(Qt::black);
    p.setFont(Font(10, false, true));
    const double x = 8, y0 = 36, line = 13;
    p.drawText(QPointF(x, y0 + 9), QStringLiteral("     CAPE  CIN  LCL  LFC    EL  LI"));
    const struct {
        const char* Name;
        const Parcel* P;
    } rows[] = {{"SB", &d.SurfaceBased}, {"ML", &d.MixedLayer}, {"MU", &d.MostUnstable}};
    int row = 1;
    for (const auto& r : rows) {
        const Parcel& c = *r.P;
        const bool has = Has(c.StartPressure);
        auto cell = [&](double v, int width) {
            return (has ? Number(v) : QStringLiteral("--")).rightJustified(width);
        };
        p.drawText(QPointF(x, y0 + 9 + row * line), QString::fromLatin1(r.Name) + cell(c.Cape, 7) +
                                                        cell(c.Cin, 5) + cell(c.LclHeight, 5) +
                                                        cell(c.LfcHeight, 5) + cell(c.ElHeight, 6) +
                                                        cell(c.LiftedIndex, 4));
        ++row;
    }
    p.setFont(Font(8));
    p.setPen(QColor(90, 90, 90));
    p.drawText(QPointF(x, y0 + 9 + 4 * line - 2),
               QStringLiteral("CAPE, CIN J/kg; LCL, LFC, EL m above ground; LI C"));
    p.setPen(Qt::black);
    p.setFont(Font(10, false, true));
    const double x2 = 282;
    auto wind = [](const Wind& w) {
        return Has(w.U) ? QStringLiteral("%1/%2").arg(Number(w.Direction()), Number(w.Knots()))
                        : QStringLiteral("--");
    };
    const QString lines[] = {
        QStringLiteral("PW %1 mm  LR %2")
            .arg(Number(d.PrecipitableWater), Number(d.LapseRate700500, 1)),
        QStringLiteral("0C %1 m AGL").arg(Number(d.FreezingLevel)),
        QStringLiteral("SHR 0-1 %1 0-6 %2 kt")
            .arg(Number(Has(d.Shear01.U) ? d.Shear01.Knots() : Missing),
                 Number(Has(d.Shear06.U) ? d.Shear06.Knots() : Missing)),
        QStringLiteral("RM %1 LM %2").arg(wind(d.BunkersRight), wind(d.BunkersLeft)),
        QStringLiteral("SRH 0-1 %1 0-3 %2").arg(Number(d.Srh01), Number(d.Srh03)),
    };
    for (int k = 0; k < 5; ++k)
        p.drawText(QPointF(x2 - 6, y0 + 9 + k * line), lines[k]);
}

} // namespace

QString SourceLine(const Sounding& s) {
    if (s.Format == QLatin1String("uwyo")) return QStringLiteral("Data: University of Wyoming");
    if (s.Format == QLatin1String("igra2")) return QStringLiteral("Data: NOAA NCEI IGRA v2");
    if (s.Source.contains(QLatin1String("sars"), Qt::CaseInsensitive))
        return QStringLiteral("Data: SPC SARS proximity soundings (Jewell 2010)");
    return QStringLiteral("Data: SPC sounding text");
}

void DrawSkewT(QPainter& p, const QRectF& area, const Sounding& s, const Diagnostics& d,
               const QString& station) {
    p.save();
    p.translate(area.topLeft());
    p.scale(area.width() / FrameWidth, area.height() / FrameHeight);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRectF(0, 0, FrameWidth, FrameHeight), Qt::white);
    DrawTitle(p, station, s.Launch);
    DrawIndices(p, d);
    DrawBackground(p);
    DrawParcel(p, d.MostUnstable);
    std::vector<std::pair<double, double>> t, td;
    for (const Level& l : s.Levels) {
        if (Has(l.Temperature)) t.emplace_back(l.Temperature, l.Pressure);
        if (Has(l.DewPoint)) td.emplace_back(l.DewPoint, l.Pressure);
    }
    p.save();
    p.setClipRect(QRectF(Left, Top, Right - Left, Bottom - Top));
    DrawTrace(p, td, QPen(DewPointColour, 2.0));
    DrawTrace(p, t, QPen(TemperatureColour, 2.0));
    p.restore();
    DrawHodograph(p, s, d);
    DrawBarbs(p, s);
    p.setFont(Font(8));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(Left, Bottom + 14, Right - Left, 12), Qt::AlignLeft,
               QStringLiteral("TEMPERATURE (C)   red temperature, green dew point, dashed: "
                              "most unstable parcel"));
    p.drawText(QRectF(Left, Bottom + 28, FrameWidth - Left - 8, 12), Qt::AlignLeft, SourceLine(s));
    p.restore();
}

QImage DrawSoundingFrame(const Sounding& s, const Diagnostics& d, const QString& station) {
    QImage image(FrameWidth, FrameHeight, QImage::Format_RGB32);
    QPainter p(&image);
    DrawSkewT(p, QRectF(0, 0, FrameWidth, FrameHeight), s, d, station);
    p.end();
    return image;
}

QImage DrawNoSounding(const QString& station, DateTime valid) {
    QImage image(FrameWidth, FrameHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    DrawTitle(p, station, valid);
    p.setFont(Font(16, true));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(20, 220, FrameWidth - 40, 120), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("No sounding archived for %1 at %2 UTC")
                   .arg(station.toUpper(), FormatDateTime(QStringLiteral("hhnn"), valid)));
    p.setFont(Font(10));
    p.drawText(QRectF(20, 330, FrameWidth - 40, 60), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("This disc holds no sounding of this station at this hour. "
                              "No diagram is drawn, so nothing here can be taken for data."));
    p.end();
    return image;
}

} // namespace nimbrel::soundings
