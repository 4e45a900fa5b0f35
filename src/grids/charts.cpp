#include "grids/charts.h"

#include <cmath>
#include <functional>

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include "base/records.h"
#include "grids/contours.h"

namespace nimbrel::grids {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double Knots = 1.943844;
constexpr int TitleHeight = 18;
constexpr int BarbSpacing = 40; // pixels between wind barbs
constexpr int OutlineRecordSize = 6;
constexpr int OutlineStartCode = 1000;

// Line charts are stored as GIF: no antialiasing, so the few colours drawn stay exact.
QFont ChartFont(int pixels, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

using Shade = std::function<QColor(double)>;

// Fills each grid cell whose value has a colour.
void ShadeField(QPainter& p, const Field& f, const Shade& shade) {
    for (int j = 0; j < ChartGrid::Ny; ++j)
        for (int i = 0; i < ChartGrid::Nx; ++i) {
            const double v = f.At(i, j);
            if (!std::isfinite(v)) continue;
            const QColor c = shade(v);
            if (c.isValid())
                p.fillRect(i * ChartGrid::CellPixels, j * ChartGrid::CellPixels,
                           ChartGrid::CellPixels, ChartGrid::CellPixels, c);
        }
}

QColor Band(double v, const std::vector<double>& from, const std::vector<QColor>& colours) {
    QColor c;
    for (std::size_t k = 0; k < from.size(); ++k)
        if (v >= from[k]) c = colours[k];
    return c;
}

// Label boxes already placed on the chart: a new label goes only where it overlaps none.
struct Labels {
    std::vector<QRect> Placed;
    bool Place(QPainter& p, QPointF at, const QString& text, const QColor& colour) {
        const QFontMetrics m(p.font());
        QRect r = m.boundingRect(text).adjusted(-2, -1, 2, 1);
        r.moveCenter(at.toPoint());
        if (r.top() < TitleHeight || r.left() < 0 || r.right() >= ChartGrid::Width ||
            r.bottom() >= ChartGrid::Height)
            return false;
        for (const QRect& q : Placed)
            if (q.intersects(r)) return false;
        Placed.push_back(r);
        p.fillRect(r, Qt::white);
        p.setPen(colour);
        p.drawText(r, Qt::AlignCenter, text);
        return true;
    }
};

struct LineStyle {
    QColor Colour;
    int Width = 1;
    Qt::PenStyle Style = Qt::SolidLine;
};

// Draws contour lines and then labels along them, about every 250 pixels of line.
void DrawContours(QPainter& p, const std::vector<ContourLine>& lines,
                  const std::function<LineStyle(double)>& style,
                  const std::function<QString(double)>& label, Labels& labels) {
    p.setBrush(Qt::NoBrush);
    for (const ContourLine& l : lines) {
        const LineStyle s = style(l.Level);
        p.setPen(QPen(s.Colour, s.Width, s.Style));
        p.drawPolyline(l.Points);
    }
    p.setFont(ChartFont(10, false));
    for (const ContourLine& l : lines) {
        double run = 0, next = 60; // the first label a little way in from the line's end
        for (qsizetype k = 1; k < l.Points.size(); ++k) {
            const QPointF a = l.Points[k - 1], b = l.Points[k];
            run += std::hypot(b.x() - a.x(), b.y() - a.y());
            if (run >= next) {
                if (labels.Place(p, b, label(l.Level), style(l.Level).Colour))
                    next = run + 250;
                else
                    next = run + 20; // try a little further on
            }
        }
    }
}

// A wind barb at `at` for a wind (east, north components along the chart's axes) in knots:
// the staff points to where the wind comes from, feathers on its clockwise side.
void DrawBarb(QPainter& p, QPointF at, double u, double v) {
    const double speed = std::hypot(u, v);
    if (speed < 2.5) {
        p.drawEllipse(at, 3, 3);
        return;
    }
    const QPointF d(-u / speed, v / speed); // screen y runs down
    const QPointF perp(-d.y(), d.x());
    constexpr double Staff = 22, Step = 4, Feather = 10;
    p.drawLine(at, at + d * Staff);
    int rest = int(std::lround(speed / 5.0)) * 5;
    double pos = Staff;
    while (rest >= 50) {
        QPolygonF flag;
        flag << at + d * pos << at + d * pos + perp * Feather << at + d * (pos - Step * 1.5);
        p.drawPolygon(flag);
        pos -= Step * 2;
        rest -= 50;
    }
    while (rest >= 10) {
        p.drawLine(at + d * pos, at + d * (pos + 3) + perp * Feather);
        pos -= Step;
        rest -= 10;
    }
    if (rest >= 5) {
        if (pos == Staff) pos -= Step;
        p.drawLine(at + d * pos, at + d * (pos + 1.5) + perp * Feather / 2);
    }
}

// Barbs on a thinned grid from earth-relative winds (m/s).
void DrawBarbs(QPainter& p, const Field& u, const Field& v) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    for (int y = TitleHeight + BarbSpacing / 2; y < ChartGrid::Height; y += BarbSpacing)
        for (int x = BarbSpacing / 2; x < ChartGrid::Width; x += BarbSpacing) {
            const QPointF at(x, y);
            const double ue = u.Sample(at), ve = v.Sample(at);
            if (!std::isfinite(ue) || !std::isfinite(ve)) continue;
            const double g = ChartGrid::Convergence(ChartGrid::PixelToLonLat(at).x());
            const double ug = std::cos(g) * ue - std::sin(g) * ve;
            const double vg = std::sin(g) * ue + std::cos(g) * ve;
            DrawBarb(p, at, ug * Knots, vg * Knots);
        }
    p.setBrush(Qt::NoBrush);
}

// Highs and lows: the largest or smallest value within about 320 km.
void DrawCentres(QPainter& p, const Field& hpa, Labels& labels) {
    constexpr int R = 12, Edge = 3;
    for (int j = Edge; j < ChartGrid::Ny - Edge; ++j)
        for (int i = Edge; i < ChartGrid::Nx - Edge; ++i) {
            const double c = hpa.At(i, j);
            if (!std::isfinite(c)) continue;
            bool high = true, low = true;
            double lowest = c, highest = c;
            for (int b = std::max(0, j - R);
                 b <= std::min(ChartGrid::Ny - 1, j + R) && (high || low); ++b)
                for (int a = std::max(0, i - R); a <= std::min(ChartGrid::Nx - 1, i + R); ++a) {
                    if (a == i && b == j) continue;
                    const double o = hpa.At(a, b);
                    if (!std::isfinite(o)) {
                        high = low = false;
                        break;
                    }
                    lowest = std::min(lowest, o);
                    highest = std::max(highest, o);
                    // ties go to the first cell in reading order
                    const bool before = b < j || (b == j && a < i);
                    if (o > c || (o == c && before)) high = false;
                    if (o < c || (o == c && before)) low = false;
                }
            // A centre stands at least 2 mb above or below its surroundings; flatter ones
            // (the plateau's reduced pressures) would only clutter the chart.
            high = high && c - lowest >= 2.0;
            low = low && highest - c >= 2.0;
            if (!high && !low) continue;
            const QPointF at((i + 0.5) * ChartGrid::CellPixels, (j + 0.5) * ChartGrid::CellPixels);
            const QColor colour = high ? QColor(0, 0, 200) : QColor(200, 0, 0);
            p.setFont(ChartFont(18, true));
            if (labels.Place(p, at, high ? QStringLiteral("H") : QStringLiteral("L"), colour)) {
                p.setFont(ChartFont(10, true));
                labels.Place(p, at + QPointF(0, 16), QString::number(std::lround(c)), colour);
            }
        }
}

void DrawGeography(QPainter& p, const Geography& g, const QColor& colour) {
    p.setPen(QPen(colour, 1));
    p.setBrush(Qt::NoBrush);
    for (const QPolygonF& o : g.Outlines)
        p.drawPolygon(o);
}

void DrawTitle(QPainter& p, const QString& title) {
    p.fillRect(0, 0, ChartGrid::Width, TitleHeight, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(0, TitleHeight - 1, ChartGrid::Width, TitleHeight - 1);
    p.setFont(ChartFont(12, true));
    p.drawText(QRect(6, 0, ChartGrid::Width - 12, TitleHeight - 1),
               Qt::AlignVCenter | Qt::AlignLeft, title);
}

double Celsius(double k) {
    return k - 273.15;
}

// Dew point (K) from temperature (K) and relative humidity (%), Magnus' formula.
double DewpointFromRh(double t, double rh) {
    if (!(rh > 0)) return qQNaN();
    const double c = Celsius(t);
    const double g = std::log(std::min(rh, 100.0) / 100.0) + 17.625 * c / (243.04 + c);
    return 243.04 * g / (17.625 - g) + 273.15;
}

// Dew point (K) from specific humidity (kg/kg) at a pressure (hPa).
double DewpointFromQ(double q, double hpa) {
    if (!(q > 0)) return qQNaN();
    const double e = q * hpa / (0.622 + 0.378 * q);
    const double l = std::log(e / 6.1094);
    return 243.04 * l / (17.625 - l) + 273.15;
}

// Relative vorticity of the chart-grid winds plus the Coriolis parameter. The winds are
// turned onto the chart's axes first; the map factor (within a few per cent over the
// States) is left out.
Field AbsoluteVorticity(const Field& u, const Field& v) {
    Field ug, vg, out;
    for (int j = 0; j < ChartGrid::Ny; ++j)
        for (int i = 0; i < ChartGrid::Nx; ++i) {
            const QPointF px((i + 0.5) * ChartGrid::CellPixels, (j + 0.5) * ChartGrid::CellPixels);
            const double g = ChartGrid::Convergence(ChartGrid::PixelToLonLat(px).x());
            ug.At(i, j) = std::cos(g) * u.At(i, j) - std::sin(g) * v.At(i, j);
            vg.At(i, j) = std::sin(g) * u.At(i, j) + std::cos(g) * v.At(i, j);
        }
    const double dx = ChartGrid::MetresPerPixel * ChartGrid::CellPixels;
    for (int j = 0; j < ChartGrid::Ny; ++j)
        for (int i = 0; i < ChartGrid::Nx; ++i) {
            if (i == 0 || j == 0 || i == ChartGrid::Nx - 1 || j == ChartGrid::Ny - 1) {
                out.At(i, j) = qQNaN();
                continue;
            }
            const double dvdx = (vg.At(i + 1, j) - vg.At(i - 1, j)) / (2 * dx);
            const double dudy = (ug.At(i, j - 1) - ug.At(i, j + 1)) / (2 * dx); // rows run south
            const QPointF px((i + 0.5) * ChartGrid::CellPixels, (j + 0.5) * ChartGrid::CellPixels);
            const double lat = ChartGrid::PixelToLonLat(px).y() * Pi / 180.0;
            out.At(i, j) = dvdx - dudy + 2 * 7.2921e-5 * std::sin(lat);
        }
    return out;
}

QString Decametres(double metres) {
    return QString::number(std::lround(metres / 10.0));
}

LineStyle Isotherm(double kelvin) {
    const long c = std::lround(Celsius(kelvin));
    if (c == 0) return {QColor(160, 0, 160), 2, Qt::SolidLine};
    return {c < 0 ? QColor(0, 0, 220) : QColor(220, 0, 0), 1, Qt::DashLine};
}

} // namespace

QString ChartPrefix(ChartKind kind) {
    switch (kind) {
    case ChartKind::Surface:
        return QStringLiteral("hsfc");
    case ChartKind::Mb850:
        return QStringLiteral("h850");
    case ChartKind::Mb700:
        return QStringLiteral("h700");
    case ChartKind::Mb500:
        return QStringLiteral("h500");
    case ChartKind::Mb250:
        return QStringLiteral("h250");
    }
    return {};
}

int ChartLevel(ChartKind kind) {
    switch (kind) {
    case ChartKind::Surface:
        return 0;
    case ChartKind::Mb850:
        return 850;
    case ChartKind::Mb700:
        return 700;
    case ChartKind::Mb500:
        return 500;
    case ChartKind::Mb250:
        return 250;
    }
    return 0;
}

Geography Geography::FromOutlineFile(const QString& path) {
    Geography g;
    RecordFileReader reader(path, OutlineRecordSize, 1'000'000);
    QPolygonF current;
    auto finish = [&] {
        if (current.size() >= 2) g.Outlines.push_back(current);
        current.clear();
    };
    while (reader.Next()) {
        const RecordView r = reader.Current();
        if (r.Int16(0) >= OutlineStartCode) finish();
        if (const auto px = ChartGrid::LonLatToPixel(r.Int16(4) / 60.0, r.Int16(2) / 60.0))
            current << *px;
    }
    finish();
    return g;
}

QString ChartTitle(ChartKind kind, qint64 valid, const QString& source) {
    const QDateTime t = QDateTime::fromSecsSinceEpoch(valid, Qt::UTC);
    const QString when = QStringLiteral("VALID %1 UTC %2")
                             .arg(t.toString(QStringLiteral("hhmm")),
                                  QLocale::c().toString(t.date(), QStringLiteral("dd MMM yyyy")));
    const QString what = kind == ChartKind::Surface
                             ? QStringLiteral("SURFACE ANALYSIS")
                             : QStringLiteral("%1 MB ANALYSIS").arg(ChartLevel(kind));
    return what + QStringLiteral("  ") + when + QStringLiteral("  ") + source;
}

QString MissingMainField(const GridFiles& files, qint64 valid, ChartKind kind) {
    if (kind == ChartKind::Surface)
        return files.Find(valid, Quantity::SeaLevelPressure, 0)
                   ? QString()
                   : QStringLiteral("no sea-level pressure");
    return files.Find(valid, Quantity::Height, ChartLevel(kind))
               ? QString()
               : QStringLiteral("no %1 mb height").arg(ChartLevel(kind));
}

Chart DrawChart(const GridFiles& files, qint64 valid, ChartKind kind, const Geography& geography) {
    Chart chart;
    chart.Image = QImage(ChartGrid::Width, ChartGrid::Height, QImage::Format_RGB32);
    chart.Image.fill(Qt::white);
    QPainter p(&chart.Image);
    Labels labels;
    const int level = ChartLevel(kind);
    auto field = [&](Quantity q, int lev) -> std::optional<Field> {
        const FieldSource* s = files.Find(valid, q, lev);
        if (!s) return std::nullopt;
        return files.Warp(*s);
    };
    auto leave = [&](const QString& layer, const QString& why) {
        chart.Left << QStringLiteral("%1 left out: %2").arg(layer, why);
    };
    const bool surface = kind == ChartKind::Surface;
    auto u = surface ? field(Quantity::WindU10m, 0) : field(Quantity::WindU, level);
    auto v = surface ? field(Quantity::WindV10m, 0) : field(Quantity::WindV, level);
    if (u && v)
        ToEarthRelative(*u, *v,
                        *files.Find(valid, surface ? Quantity::WindU10m : Quantity::WindU, level));
    const auto t = surface ? std::nullopt : field(Quantity::Temperature, level);

    // Shading first, so that lines and state outlines stay on top.
    if (surface) {
        if (const auto td = field(Quantity::Dewpoint2m, 0)) {
            ShadeField(p, *td, [](double k) {
                const double f = Celsius(k) * 9 / 5 + 32;
                return Band(f, {50, 55, 60, 65, 70},
                            {QColor(210, 245, 200), QColor(170, 230, 150), QColor(120, 210, 110),
                             QColor(60, 180, 70), QColor(20, 140, 40)});
            });
        } else {
            leave(QStringLiteral("2 m dew point shading"), QStringLiteral("no 2 m dew point"));
        }
    } else if (kind == ChartKind::Mb850) {
        std::optional<Field> td;
        if (const auto rh = field(Quantity::RelativeHumidity, level); rh && t) {
            td = Field();
            for (std::size_t k = 0; k < td->Values.size(); ++k)
                td->Values[k] = DewpointFromRh(t->Values[k], rh->Values[k]);
        } else if (const auto q = field(Quantity::SpecificHumidity, level)) {
            td = Field();
            for (std::size_t k = 0; k < td->Values.size(); ++k)
                td->Values[k] = DewpointFromQ(q->Values[k], level);
        }
        if (td)
            ShadeField(p, *td, [](double k) {
                return Band(Celsius(k), {8, 12, 16},
                            {QColor(190, 240, 180), QColor(120, 210, 110), QColor(40, 160, 60)});
            });
        else
            leave(QStringLiteral("dew point shading"),
                  QStringLiteral("no 850 mb humidity (relative with temperature, or specific)"));
    } else if (kind == ChartKind::Mb700) {
        if (const auto rh = field(Quantity::RelativeHumidity, level))
            ShadeField(p, *rh, [](double r) {
                return Band(r, {70, 90}, {QColor(190, 240, 180), QColor(110, 200, 100)});
            });
        else
            leave(QStringLiteral("humidity shading"),
                  QStringLiteral("no 700 mb relative humidity"));
    } else if (kind == ChartKind::Mb500) {
        std::optional<Field> vort = field(Quantity::AbsoluteVorticity, level);
        if (!vort && u && v) vort = AbsoluteVorticity(*u, *v);
        if (vort)
            ShadeField(p, *vort, [](double z) {
                return Band(z * 1e5, {16, 20, 24, 28},
                            {QColor(255, 235, 150), QColor(255, 200, 90), QColor(255, 150, 60),
                             QColor(235, 90, 40)});
            });
        else
            leave(QStringLiteral("vorticity shading"),
                  QStringLiteral("no 500 mb absolute vorticity and no winds to work it out"));
    } else if (kind == ChartKind::Mb250) {
        if (u && v) {
            Field speed;
            for (std::size_t k = 0; k < speed.Values.size(); ++k)
                speed.Values[k] = std::hypot(u->Values[k], v->Values[k]) * Knots;
            ShadeField(p, speed, [](double kt) {
                return Band(kt, {70, 90, 110, 130, 150},
                            {QColor(200, 225, 255), QColor(150, 190, 255), QColor(100, 150, 240),
                             QColor(60, 100, 220), QColor(150, 60, 200)});
            });
        } else {
            leave(QStringLiteral("isotach shading"), QStringLiteral("no 250 mb winds"));
        }
    }
    DrawGeography(p, geography, QColor(110, 110, 110));

    if (surface) {
        Field hpa = *field(Quantity::SeaLevelPressure, 0);
        for (double& x : hpa.Values)
            x /= 100.0;
        DrawCentres(p, hpa, labels);
        DrawContours(
            p, Contours(hpa, 4.0),
            [](double) {
                return LineStyle{Qt::black, 1, Qt::SolidLine};
            },
            [](double l) { return QString::number(std::lround(l)); }, labels);
    } else {
        const Field z = *field(Quantity::Height, level);
        const double interval = kind == ChartKind::Mb500 ? 60 : kind == ChartKind::Mb250 ? 120 : 30;
        DrawContours(
            p, Contours(z, interval),
            [](double) {
                return LineStyle{Qt::black, 2, Qt::SolidLine};
            },
            Decametres, labels);
        if (kind != ChartKind::Mb250) {
            if (t)
                DrawContours(
                    p, Contours(*t, 2.0, 273.15), Isotherm,
                    [](double k) { return QString::number(std::lround(Celsius(k))); }, labels);
            else
                leave(QStringLiteral("isotherms"),
                      QStringLiteral("no %1 mb temperature").arg(level));
        }
    }
    if (u && v)
        DrawBarbs(p, *u, *v);
    else
        leave(QStringLiteral("wind barbs"), surface ? QStringLiteral("no 10 m winds")
                                                    : QStringLiteral("no %1 mb winds").arg(level));
    DrawTitle(p, ChartTitle(kind, valid, files.SourceLabel()));
    return chart;
}

QRgb InfraredColour(double c) {
    if (!std::isfinite(c)) return qRgb(0, 0, 0);
    if (c >= -30) {
        // warm ground dark, cooler cloud lighter
        const double f = std::clamp((40.0 - c) / 70.0, 0.0, 1.0);
        const int g = int(20 + f * 190);
        return qRgb(g, g, g);
    }
    if (c >= -40) return qRgb(90, 160, 255); // blue
    if (c >= -50) return qRgb(40, 200, 60);  // green
    if (c >= -60) return qRgb(250, 230, 40); // yellow
    if (c >= -70) return qRgb(230, 30, 30);  // red
    if (c >= -80) return qRgb(20, 20, 20);   // black
    return qRgb(255, 255, 255);              // the coldest tops white
}

QImage DrawInfrared(const Field& brightness, qint64 valid, const Geography& geography,
                    const QString& source) {
    QImage image(ChartGrid::Width, ChartGrid::Height, QImage::Format_RGB32);
    for (int y = 0; y < ChartGrid::Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < ChartGrid::Width; ++x)
            line[x] = InfraredColour(Celsius(brightness.Sample(QPointF(x + 0.5, y + 0.5))));
    }
    QPainter p(&image);
    DrawGeography(p, geography, QColor(255, 255, 160));
    const QDateTime t = QDateTime::fromSecsSinceEpoch(valid, Qt::UTC);
    DrawTitle(p, QStringLiteral("ENHANCED INFRARED  VALID %1 UTC %2  %3")
                     .arg(t.toString(QStringLiteral("hhmm")),
                          QLocale::c().toString(t.date(), QStringLiteral("dd MMM yyyy")), source));
    return image;
}

} // namespace nimbrel::grids
