#include "products/map_annotations.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include <QCryptographicHash>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "base/datetime.h"
#include "debrief/score_map.h"
#include "debrief/scoring.h"

namespace nimbrel {
namespace {

constexpr int DotRadius = 2;
constexpr int LabelGap = 4;
/// Half the size of a report symbol: a name keeps this far from a report's centre.
constexpr int ReportHalfSize = 6;

bool OnMap(const PixelPoint& p) {
    return p.X != MissingPixel && p.Y != MissingPixel;
}

QRect DotBox(QPoint at) {
    return {at.x() - DotRadius, at.y() - DotRadius, 2 * DotRadius + 1, 2 * DotRadius + 1};
}

} // namespace

QFont CityLabelFont() {
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(10);
    return font;
}

double CityPopulationShown(double scale) {
    if (!(scale > 0.0)) return MinimumCityPopulation;
    const double relative = 3.0 / scale; // 3 is the whole-Plains view of a new case
    return std::max(MinimumCityPopulation, 150000.0 * relative * relative);
}

std::vector<CityLabel> PlaceCityLabels(const std::vector<City>& cities,
                                       const ProjectionDescriptor& view,
                                       const QFontMetrics& metrics,
                                       const std::vector<QRect>& keepClear,
                                       const std::vector<QPoint>& avoid) {
    const QRect map(0, 0, view.Width, view.Height);
    const double minimum = CityPopulationShown(view.Scale);
    std::vector<std::size_t> order(cities.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return cities[a].Population > cities[b].Population;
    });

    std::vector<CityLabel> placed;
    std::vector<QRect> taken = keepClear; // names and dots placed so far, and the clear boxes
    auto free = [&](const QRect& box) {
        if (!map.contains(box)) return false;
        for (const QRect& t : taken)
            if (t.intersects(box)) return false;
        for (const QPoint& a : avoid)
            if (box.adjusted(-ReportHalfSize, -ReportHalfSize, ReportHalfSize, ReportHalfSize)
                    .contains(a))
                return false;
        return true;
    };
    const int height = metrics.height();
    for (std::size_t i : order) {
        const City& city = cities[i];
        if (city.Population < minimum) break; // the rest are smaller still
        const PixelPoint px = ProjectToScreen(view, city.Position);
        if (!OnMap(px)) continue;
        const QPoint dot(px.X, px.Y);
        const QRect dotBox = DotBox(dot);
        if (!map.contains(dotBox)) continue;
        bool dotFree = true;
        for (const QRect& t : taken)
            dotFree = dotFree && !t.intersects(dotBox);
        if (!dotFree) continue;
        const int width = metrics.horizontalAdvance(city.Name);
        const QRect candidates[] = {
            {dot.x() + LabelGap, dot.y() - height / 2, width, height},
            {dot.x() - LabelGap - width, dot.y() - height / 2, width, height},
            {dot.x() - width / 2, dot.y() - LabelGap - height, width, height},
            {dot.x() - width / 2, dot.y() + LabelGap, width, height},
        };
        for (const QRect& box : candidates) {
            if (!free(box)) continue;
            placed.push_back({dot, box, city.Name, box.top() + metrics.ascent()});
            taken.push_back(box);
            taken.push_back(dotBox);
            break;
        }
    }
    return placed;
}

void DrawCityLabels(QPainter& painter, const std::vector<CityLabel>& labels) {
    painter.save();
    painter.setFont(CityLabelFont());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (const CityLabel& l : labels) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 170));
        painter.drawRect(l.Box);
        painter.setBrush(QColor(40, 40, 40));
        painter.drawEllipse(l.Dot, DotRadius, DotRadius);
        painter.setPen(QColor(40, 40, 40));
        painter.drawText(QPoint(l.Box.left(), l.Baseline), l.Text);
    }
    painter.restore();
}

ScaleBar ChooseScaleBar(const ProjectionDescriptor& view, int maxPixels) {
    constexpr double HalfSpan = 50.0;
    const double cx = 0.5 * view.Width, cy = 0.5 * view.Height;
    const GeoPoint west = ScreenToGeo(view, cx - HalfSpan, cy);
    const GeoPoint east = ScreenToGeo(view, cx + HalfSpan, cy);
    if (west.Latitude == MissingCoordinate || maxPixels <= 0) return {};
    const double milesPerPixel =
        GreatCircleDistance(west, east) * ProductMilesPerNauticalMile / (2.0 * HalfSpan);
    if (!(milesPerPixel > 0.0) || !std::isfinite(milesPerPixel)) return {};
    const double longest = milesPerPixel * maxPixels;
    double power = std::pow(10.0, std::floor(std::log10(longest)));
    double miles = power;
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= longest) {
            miles = step * power;
            break;
        }
    return {miles, static_cast<int>(std::lround(miles / milesPerPixel))};
}

QRect ScaleBarBox(const ProjectionDescriptor& view) {
    constexpr int Width = 150, Height = 30, Margin = 8;
    return {Margin, view.Height - Margin - Height, Width, Height};
}

void DrawScaleBar(QPainter& painter, const ScaleBar& bar, const QRect& box) {
    if (bar.Pixels <= 0) return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QFont font = CityLabelFont();
    font.setBold(true);
    painter.setFont(font);
    const int left = box.left() + 6, y = box.bottom() - 8;
    const QString words = QStringLiteral("%1 MILES").arg(bar.Miles, 0, 'g', 6);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRect(QRect(box.left(), box.top(), bar.Pixels + 12, box.height()));
    painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(left, y, left + bar.Pixels, y);
    painter.drawLine(left, y - 5, left, y + 3);
    painter.drawLine(left + bar.Pixels, y - 5, left + bar.Pixels, y + 3);
    painter.drawText(QPoint(left, y - 7), words);
    painter.restore();
}

namespace {

std::uint32_t First32Bits(QCryptographicHash& hash) {
    const QByteArray digest = hash.result();
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(digest[i])) << (8 * i);
    return value;
}

} // namespace

std::uint32_t CityListStamp(const std::vector<City>& cities) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const City& c : cities) {
        hash.addData(c.Name.toUtf8());
        hash.addData(QByteArray::number(c.Population) + ',' +
                     QByteArray::number(c.Position.Latitude, 'g', 17) + ',' +
                     QByteArray::number(c.Position.Longitude, 'g', 17) + ';');
    }
    return First32Bits(hash);
}

BasemapExtras TargetMapExtras(const std::vector<City>* cities, std::uint32_t citiesStamp,
                              std::vector<GeoPoint> reports, double pixelRatio) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArrayLiteral("scale bar 1;"));
    if (pixelRatio != 1.0)
        hash.addData(QByteArrayLiteral("ratio ") + QByteArray::number(pixelRatio));
    if (cities) {
        hash.addData(QByteArrayLiteral("cities 1;") + QByteArray::number(citiesStamp));
        for (const GeoPoint& g : reports)
            hash.addData(QByteArray::number(g.Latitude, 'g', 17) + ',' +
                         QByteArray::number(g.Longitude, 'g', 17) + ';');
    } else {
        reports.clear();
    }
    BasemapExtras extras;
    extras.PixelRatio = pixelRatio;
    extras.Stamp = First32Bits(hash);
    if (extras.Stamp == 0) extras.Stamp = 1; // zero is the bare geography
    extras.Draw = [cities, reports = std::move(reports)](QPainter& painter,
                                                         const ProjectionDescriptor& view) {
        const QRect barBox = ScaleBarBox(view);
        if (cities) {
            std::vector<QPoint> avoid;
            for (const GeoPoint& g : reports) {
                const PixelPoint p = ProjectToScreen(view, g);
                if (OnMap(p)) avoid.emplace_back(p.X, p.Y);
            }
            DrawCityLabels(painter, PlaceCityLabels(*cities, view, QFontMetrics(CityLabelFont()),
                                                    {barBox}, avoid));
        }
        DrawScaleBar(painter, ChooseScaleBar(view, barBox.width() - 12), barBox);
    };
    return extras;
}

QString CursorReadout(const ProjectionDescriptor& view, double x, double y,
                      const std::vector<City>& cities) {
    const GeoPoint p = ScreenToGeo(view, x, y);
    if (p.Latitude == MissingCoordinate) return {};
    // Off the disc the inverse clamps to the rim: the pixel is not where it says.
    const PixelPoint back = ProjectToScreen(view, p);
    if (!OnMap(back) || std::abs(back.X - x) > 1.5 || std::abs(back.Y - y) > 1.5) return {};
    QString text = QStringLiteral("%1%2 %3%4")
                       .arg(std::abs(p.Latitude), 0, 'f', 1)
                       .arg(p.Latitude < 0 ? QLatin1Char('S') : QLatin1Char('N'))
                       .arg(std::abs(p.Longitude), 0, 'f', 1)
                       .arg(p.Longitude < 0 ? QLatin1Char('W') : QLatin1Char('E'));
    if (!cities.empty()) text += QStringLiteral(" \u2014 ") + DescribePlace(p, cities);
    return text;
}

QString IssuedProductLabel(const ProductRecord& record) {
    return QStringLiteral("%1 %2Z")
        .arg(ProductKindName(record.Kind))
        .arg(DecodeTime(record.IssueTime).Hour, 2, 10, QLatin1Char('0'));
}

void DrawIssuedProducts(QPainter& painter, const ProjectionDescriptor& view,
                        const ProductRecords& products) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(Qt::NoBrush);
    QFont font = CityLabelFont();
    font.setBold(true);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    for (std::size_t i = 0; i < products.size(); ++i) {
        const ProductRecord& r = products[i];
        QPolygon outline;
        for (const GeoPoint& g : r.Corners) {
            const PixelPoint p = ProjectToScreen(view, g);
            if (!OnMap(p)) break;
            outline << QPoint(p.X, p.Y);
        }
        if (outline.size() != static_cast<int>(r.Corners.size())) continue;
        const ProductStyle style = ProductStyleOf(r.Kind);
        const QColor colour = style.Colour;
        painter.setPen(QPen(colour, 2, style.Line));
        painter.drawPolygon(outline);
        const QPoint top = *std::min_element(outline.begin(), outline.end(),
                                             [](QPoint a, QPoint b) { return a.y() < b.y(); });
        const QString label = IssuedProductLabel(r);
        const QRect box(top.x() - metrics.horizontalAdvance(label) / 2 - 2,
                        top.y() - metrics.height() - 3, metrics.horizontalAdvance(label) + 4,
                        metrics.height());
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 200));
        painter.drawRect(box);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(colour.darker(130));
        painter.drawText(box, Qt::AlignCenter, label);
    }
    painter.restore();
}

} // namespace nimbrel
