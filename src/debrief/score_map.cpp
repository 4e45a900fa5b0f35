#include "debrief/score_map.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "map/basemap.h"
#include "map/projection_exact.h"

namespace nimbrel {
namespace {

// Okabe-Ito colours.
const QColor Blue(0x00, 0x72, 0xB2);
const QColor ReddishPurple(0xCC, 0x79, 0xA7);
const QColor Orange(0xE6, 0x9F, 0x00);
const QColor Vermillion(0xD5, 0x5E, 0x00);
const QColor BluishGreen(0x00, 0x9E, 0x73);
const QColor SkyBlue(0x56, 0xB4, 0xE9);
const QColor Yellow(0xF0, 0xE4, 0x42);
// The dark rim of every symbol and the ring of a highlighted report.
const QColor Rim(0x20, 0x20, 0x20);

constexpr int SymbolRadius = 6;
constexpr int LegendFontPixels = 13;
constexpr int LegendMargin = 8;
// Reports and outlines that are not the selected product's.
constexpr double FadedOpacity = 0.3;

QColor ReportColour(std::int32_t kind) {
    switch (static_cast<ReportKind>(kind)) {
    case ReportKind::Tornado:
        return Vermillion;
    case ReportKind::Hail:
        return BluishGreen;
    case ReportKind::Wind:
        return SkyBlue;
    }
    return Qt::black;
}

bool Visible(const PixelPoint& p) {
    return p.X != MissingPixel && p.Y != MissingPixel;
}

void SymbolShape(QPainter& p, QPointF at, std::int32_t kind) {
    const double r = SymbolRadius;
    switch (static_cast<ReportKind>(kind)) {
    case ReportKind::Tornado: {
        const QPointF tri[] = {at + QPointF(-r, -r * 0.8), at + QPointF(r, -r * 0.8),
                               at + QPointF(0, r)};
        p.drawPolygon(tri, 3);
        break;
    }
    case ReportKind::Hail:
        p.drawEllipse(at, r - 1, r - 1);
        break;
    case ReportKind::Wind:
        p.drawRect(QRectF(at.x() - r + 1, at.y() - r + 1, 2 * r - 2, 2 * r - 2));
        break;
    }
}

/// Tornado: a triangle pointing down; hail: a circle; wind: a square. A filled symbol
/// has a black outline; a hollow one its colour on white inside a dark rim, so that it
/// shows on any background and to any eye.
void DrawSymbol(QPainter& p, QPointF at, std::int32_t kind, bool filled) {
    const QColor colour = ReportColour(kind);
    if (filled) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(colour);
        SymbolShape(p, at, kind);
        return;
    }
    p.setPen(QPen(Rim, 4.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(Qt::white);
    SymbolShape(p, at, kind);
    p.setPen(QPen(colour, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    SymbolShape(p, at, kind);
}

// A stamp holds a symbol centred on its pixel (StampPad, StampPad), with room for the
// rim's width, its mitred corners and their antialiased edge.
constexpr int StampPad = SymbolRadius + 7;

struct StampLayer {
    QPoint Offset; ///< of the picture's top left corner from the symbol's pixel
    QImage Picture;
};

/// A symbol as the separate fills and strokes DrawSymbol's painter calls make of it,
/// each rendered alone on a transparent picture. A fill or a wide stroke is one
/// rasterised shape blended once at each pixel with its coverage, so laying the layers
/// down in order (SourceOver, at a whole pixel) blends them into the map exactly as
/// DrawSymbol does: the same pixels, not nearly the same. A filled symbol's thin outline
/// is not among them: its strokes overlap at the corners, where two blends in a row
/// round differently from one blend of a stamp (by one level of 255).
std::vector<StampLayer> SymbolStamp(std::int32_t kind, bool filled) {
    const QColor colour = ReportColour(kind);
    std::vector<std::pair<QPen, QBrush>> layers;
    if (filled) {
        // The black outline is left to DrawScoreMap.
        layers = {{Qt::NoPen, QBrush(colour)}};
    } else {
        // The second call of DrawSymbol fills white again, over the inner half of the rim.
        layers = {{Qt::NoPen, QBrush(Qt::white)},
                  {QPen(Rim, 4.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin), Qt::NoBrush},
                  {Qt::NoPen, QBrush(Qt::white)},
                  {QPen(colour, 2.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin), Qt::NoBrush}};
    }
    std::vector<StampLayer> stamp;
    for (const auto& [pen, brush] : layers) {
        QImage layer(2 * StampPad + 1, 2 * StampPad + 1, QImage::Format_ARGB32_Premultiplied);
        layer.fill(Qt::transparent);
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(pen);
        p.setBrush(brush);
        SymbolShape(p, QPointF(StampPad, StampPad), kind);
        p.end();
        // Cut to the pixels it covers: a transparent pixel leaves the map as it is, and
        // each one blended costs.
        QRect covered;
        for (int y = 0; y < layer.height(); ++y)
            for (int x = 0; x < layer.width(); ++x)
                if (qAlpha(layer.pixel(x, y)) != 0) covered |= QRect(x, y, 1, 1);
        stamp.push_back({covered.topLeft() - QPoint(StampPad, StampPad), layer.copy(covered)});
    }
    return stamp;
}

constexpr std::size_t StampIndex(std::int32_t kind, bool filled) {
    return static_cast<std::size_t>(kind - 1) * 2 + (filled ? 1 : 0);
}

QPainterPath AreaPath(const std::vector<GridIndex>& boxes, const ProjectionDescriptor& vp) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const GridIndex& g : boxes) {
        QPolygonF poly;
        bool ok = true;
        for (const GeoPoint& c : GridBoxCorners(g)) {
            const PixelPoint px = ProjectToScreen(vp, c);
            ok = ok && Visible(px);
            poly << QPointF(px.X, px.Y);
        }
        if (ok) path.addPolygon(poly);
    }
    return path.simplified();
}

GeoPoint Slerp(const GeoPoint& a, const GeoPoint& b, double t) {
    constexpr double Rad = 3.14159265358979323846 / 180.0;
    const double la = a.Latitude * Rad, oa = a.Longitude * Rad;
    const double lb = b.Latitude * Rad, ob = b.Longitude * Rad;
    const double ax = std::cos(la) * std::cos(oa), ay = std::cos(la) * std::sin(oa),
                 az = std::sin(la);
    const double bx = std::cos(lb) * std::cos(ob), by = std::cos(lb) * std::sin(ob),
                 bz = std::sin(lb);
    const double x = ax + (bx - ax) * t, y = ay + (by - ay) * t, z = az + (bz - az) * t;
    return {std::atan2(z, std::hypot(x, y)) / Rad, std::atan2(y, x) / Rad};
}

/// The outline of a product in pixels, its sides followed as the great-circle arcs they
/// are and clipped a little beyond the picture: corners far off the map keep their
/// sides instead of being dropped (which drew edges that do not exist). Empty when a
/// corner lies on the far side of the globe.
QPainterPath ProductPath(const std::array<GeoPoint, 6>& corners, const ProjectionDescriptor& vp) {
    constexpr int Steps = 8;
    QPolygonF poly;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const GeoPoint& a = corners[i];
        const GeoPoint& b = corners[(i + 1) % corners.size()];
        for (int k = 0; k < Steps; ++k) {
            double x = 0.0, y = 0.0;
            if (!ProjectToScreenExact(vp, Slerp(a, b, static_cast<double>(k) / Steps), x, y))
                return {};
            poly << QPointF(x, y);
        }
    }
    QPainterPath path;
    path.addPolygon(poly);
    path.closeSubpath();
    // The clip's own sides lie outside the picture, wider than any pen.
    QPainterPath frame;
    frame.addRect(QRectF(-20, -20, vp.Width + 40, vp.Height + 40));
    if (frame.contains(path.boundingRect())) return path;
    return path.intersected(frame);
}

/// The legend strip below the map: product outlines, report symbols and areas in two
/// columns, then the notes across the whole width. Returns its height; draws it when
/// `p` is given. Every line is measured in the font it is drawn in.
int Legend(QPainter* p, const ScoreMapInputs& in, int top, int width) {
    QFont font;
    font.setPixelSize(LegendFontPixels);
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics fm(font), fmBold(bold);
    const int line = fm.height() + 6;
    const int swatch = 30;
    const int left = LegendMargin, mid = std::max(width / 2, 420);
    int y = top + LegendMargin;
    auto text = [&](int x, int yy, const QString& t, const QFont& f) {
        p->setFont(f);
        p->setPen(Qt::black);
        p->drawText(QRect(x, yy, width - x - LegendMargin, line),
                    Qt::AlignVCenter | Qt::AlignLeft | Qt::TextDontClip, t);
    };
    // Left column: the products, then the report symbols.
    int yl = y;
    for (const MapProduct& m : in.Products) {
        if (p) {
            const ProductStyle st = ProductStyleOf(m.Kind);
            p->setPen(QPen(st.Colour, 4, st.Line, Qt::FlatCap));
            p->drawLine(left, yl + line / 2, left + swatch, yl + line / 2);
            text(left + swatch + 8, yl, m.Label, font);
        }
        yl += line;
    }
    if (p) {
        const int cy = yl + line / 2;
        constexpr auto Tornado = static_cast<std::int32_t>(ReportKind::Tornado);
        DrawSymbol(*p, QPointF(left + 7, cy), Tornado, true);
        DrawSymbol(*p, QPointF(left + 23, cy), Tornado, false);
        int x = left + swatch + 8;
        auto word = [&](const QString& t) {
            text(x, yl, t, font);
            x += fm.horizontalAdvance(t);
        };
        word(QStringLiteral("tornado  "));
        DrawSymbol(*p, QPointF(x + 6, cy), static_cast<std::int32_t>(ReportKind::Hail), true);
        x += 16;
        word(QStringLiteral("hail  "));
        DrawSymbol(*p, QPointF(x + 6, cy), static_cast<std::int32_t>(ReportKind::Wind), true);
        x += 16;
        word(QStringLiteral("wind"));
        text(left + swatch + 8, yl + line,
             QStringLiteral("filled: inside a product while it was valid; hollow: outside"), font);
    }
    yl += 2 * line;
    // Right column (or below, on a narrow picture): the practically perfect areas.
    const bool twoColumns = width >= 2 * mid - 20 && mid + 320 <= width;
    int x0 = twoColumns ? mid : left;
    int yr = twoColumns ? y : yl;
    if (p) {
        p->setPen(QPen(QColor(0x80, 0x78, 0x00), 1.5));
        p->setBrush(QColor(Yellow.red(), Yellow.green(), Yellow.blue(), 170));
        p->drawRect(x0, yr + 3, swatch, line - 6);
        text(x0 + swatch + 8, yr, QStringLiteral("Practically perfect outlook (15 %)"), font);
        p->setPen(QPen(Qt::black, 1.5, Qt::DashLine));
        p->setBrush(QBrush(Qt::black, Qt::BDiagPattern));
        p->drawRect(x0, yr + line + 3, swatch, line - 6);
        text(x0 + swatch + 8, yr + line, QStringLiteral("Practically perfect tornado area (5 %)"),
             font);
    }
    yr += 2 * line;
    y = std::max(yl, yr);
    // The notes in bold, wrapped to the width and measured in bold.
    const int noteWidth = std::max(50, width - 2 * LegendMargin);
    for (const QString& note : in.Notes) {
        const QRect r = fmBold.boundingRect(QRect(0, 0, noteWidth, 100000),
                                            Qt::TextWordWrap | Qt::AlignLeft, note);
        if (p) {
            p->setFont(bold);
            p->setPen(Qt::black);
            p->drawText(QRect(left, y, noteWidth, r.height()), Qt::TextWordWrap | Qt::AlignLeft,
                        note);
        }
        y += r.height() + 4;
    }
    return y + LegendMargin - top;
}

std::vector<GeoPoint> BoxCorners(const std::vector<GridIndex>& boxes) {
    std::vector<GeoPoint> out;
    for (const GridIndex& g : boxes)
        for (const GeoPoint& c : GridBoxCorners(g))
            out.push_back(c);
    return out;
}

QString ProductLabel(const ProductRecord& r) {
    return QStringLiteral("%1, issued %2 UTC, valid until %3 UTC")
        .arg(ProductKindName(r.Kind), FormatDateTime(QStringLiteral("hhnn"), r.IssueTime),
             FormatDateTime(QStringLiteral("hhnn"), r.ValidUntil));
}

/// The map's fixed part: the geography and the practically perfect areas.
void DrawBackdrop(QPainter& p, const ScoreMapInputs& in) {
    const ProjectionDescriptor& vp = in.Viewport;
    if (in.Geography.isNull())
        p.fillRect(0, 0, vp.Width, vp.Height, Qt::white);
    else
        p.drawImage(0, 0, in.Geography);

    const QPainterPath perfect = AreaPath(in.PerfectArea, vp);
    p.setPen(QPen(QColor(0x80, 0x78, 0x00), 1.5));
    p.setBrush(QColor(Yellow.red(), Yellow.green(), Yellow.blue(), in.PerfectOpacity));
    p.drawPath(perfect);
    const QPainterPath tornado = AreaPath(in.PerfectTornadoArea, vp);
    p.setPen(QPen(Qt::black, 1.5, Qt::DashLine));
    p.setBrush(QBrush(QColor(0, 0, 0, 150), Qt::BDiagPattern));
    p.drawPath(tornado);
}

} // namespace

struct ScoreMapCache {
    /// DrawBackdrop's picture at the viewport's size; null when not made.
    QImage Backdrop;
    /// SymbolStamp of each report kind, hollow and filled (StampIndex).
    std::array<std::vector<StampLayer>, 6> Stamps;
};

std::shared_ptr<const ScoreMapCache> MakeScoreMapCache(const ScoreMapInputs& in, bool backdrop) {
    auto cache = std::make_shared<ScoreMapCache>();
    const ProjectionDescriptor& vp = in.Viewport;
    if (backdrop) {
        cache->Backdrop =
            QImage(std::max(1, vp.Width), std::max(1, vp.Height), QImage::Format_RGB32);
        cache->Backdrop.fill(Qt::white);
        QPainter p(&cache->Backdrop);
        // As DrawScoreMap paints it, clip and all.
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setClipRect(0, 0, vp.Width, vp.Height);
        DrawBackdrop(p, in);
    }
    for (const auto kind : {ReportKind::Tornado, ReportKind::Hail, ReportKind::Wind})
        for (const bool filled : {false, true}) {
            const auto k = static_cast<std::int32_t>(kind);
            cache->Stamps[StampIndex(k, filled)] = SymbolStamp(k, filled);
        }
    return cache;
}

ProductStyle ProductStyleOf(ProductKind kind) {
    switch (kind) {
    case ProductKind::SlightRiskOutlook:
        return {Blue, Qt::SolidLine};
    case ProductKind::ModerateRiskOutlook:
        return {ReddishPurple, Qt::DashDotDotLine};
    case ProductKind::HighRiskOutlook:
        return {Qt::black, Qt::DashDotLine};
    case ProductKind::SevereWatch:
        return {Orange, Qt::DotLine};
    case ProductKind::TornadoWatch:
        return {Vermillion, Qt::DashLine};
    case ProductKind::None:
        break;
    }
    return {Qt::darkGray, Qt::SolidLine};
}

ProjectionDescriptor FitViewport(const std::vector<GeoPoint>& mustShow,
                                 const std::vector<GeoPoint>& alsoShow, int width, int height,
                                 int* outside) {
    ProjectionDescriptor view;
    ResetViewport(view);
    view.Width = std::max(1, width);
    view.Height = std::max(1, height);
    if (outside) *outside = 0;
    // The scale that frames `points` around their mean direction, with a margin for the
    // symbols; 0 when there is nothing to frame.
    auto fit = [&](const std::vector<GeoPoint>& points, ProjectionDescriptor& d) {
        double x = 0.0, y = 0.0, z = 0.0;
        for (const GeoPoint& g : points) {
            const double la = g.Latitude * 3.14159265358979323846 / 180.0;
            const double lo = g.Longitude * 3.14159265358979323846 / 180.0;
            x += std::cos(la) * std::cos(lo);
            y += std::cos(la) * std::sin(lo);
            z += std::sin(la);
        }
        if (points.empty() || std::hypot(x, y, z) == 0.0) return 0.0;
        d.CentreLatitude = std::atan2(z, std::hypot(x, y)) * 180.0 / 3.14159265358979323846;
        d.CentreLongitude = std::atan2(y, x) * 180.0 / 3.14159265358979323846;
        d.Scale = 1.0;
        d.OffsetX = d.OffsetY = 0;
        double dx = 0.0, dy = 0.0;
        for (const GeoPoint& g : points) {
            double px = 0.0, py = 0.0;
            if (!ProjectToScreenExact(d, g, px, py)) return MinFitScale / 2; // half a globe
            dx = std::max(dx, std::abs(px - 0.5 * d.Width));
            dy = std::max(dy, std::abs(py - 0.5 * d.Height));
        }
        constexpr double Margin = 24.0;
        double scale = MaxFitScale;
        if (dx > 0.0) scale = std::min(scale, (0.5 * d.Width - Margin) / dx);
        if (dy > 0.0) scale = std::min(scale, (0.5 * d.Height - Margin) / dy);
        return scale;
    };
    std::vector<GeoPoint> all = mustShow;
    all.insert(all.end(), alsoShow.begin(), alsoShow.end());
    ProjectionDescriptor d = view;
    double scale = fit(all, d);
    if (scale <= 0.0) return view;
    if (scale < MinFitScale) {
        d = view;
        scale = fit(mustShow, d);
        if (scale <= 0.0) {
            d = view;
            scale = fit(all, d);
        }
    }
    d.Scale = std::clamp(scale, MinFitScale, MaxFitScale);
    if (outside)
        for (const GeoPoint& g : mustShow) {
            double px = 0.0, py = 0.0;
            if (!ProjectToScreenExact(d, g, px, py) || px < 0 || py < 0 || px >= d.Width ||
                py >= d.Height)
                ++*outside;
        }
    return d;
}

ProjectionDescriptor FitScoreViewport(const ExerciseScore& score, int width, int height,
                                      int* reportsOutside) {
    std::vector<GeoPoint> reports, others;
    for (const StormReport& r : score.Reports.Reports)
        reports.push_back(r.Start);
    for (const ProductScore& p : score.Products)
        others.insert(others.end(), p.Record.Corners.begin(), p.Record.Corners.end());
    for (const GeoPoint& g : BoxCorners(score.Perfect.PointsAtLeast(PerfectOutlookThreshold)))
        others.push_back(g);
    return FitViewport(reports, others, width, height, reportsOutside);
}

QImage ScoreMapBackground(const QString& appData, const ProjectionDescriptor& view) {
    QImage canvas(std::max(1, view.Width), std::max(1, view.Height), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter p(&canvas);
    DrawGeography(p, appData, view);
    return canvas;
}

ScoreMapInputs ScoreMapFrom(const ExerciseScore& score, const ProjectionDescriptor& viewport,
                            const QImage& geography) {
    ScoreMapInputs in;
    in.Viewport = viewport;
    in.Geography = geography;
    const auto& reports = score.Reports.Reports;
    int outside = 0;
    for (std::size_t i = 0; i < reports.size(); ++i) {
        MapReport m{reports[i].Start, reports[i].Kind, score.InsideAny[i], 0};
        for (std::size_t k = 0; k < score.Products.size() && k < 32; ++k) {
            const ProductRecord& r = score.Products[k].Record;
            if (ReportVerifies(r.Kind, m.Kind) && ReportInside(reports[i], r))
                m.Verifies |= 1U << k;
        }
        in.Reports.push_back(m);
        double x = 0.0, y = 0.0;
        if (!ProjectToScreenExact(viewport, m.Where, x, y) || x < 0 || y < 0 ||
            x >= viewport.Width || y >= viewport.Height)
            ++outside;
    }
    for (const ProductScore& p : score.Products)
        in.Products.push_back({p.Record.Corners, p.Record.Kind, ProductLabel(p.Record), false});
    in.PerfectArea = score.Perfect.PointsAtLeast(PerfectOutlookThreshold);
    in.PerfectTornadoArea = score.PerfectTornado.PointsAtLeast(PerfectTornadoThreshold);
    if (score.Products.empty()) in.Notes << QStringLiteral("No product was issued.");
    if (!score.Reports.Readable) in.Notes << QStringLiteral("The reports could not be read.");
    if (outside > 0)
        in.Notes << QStringLiteral("%1 outside this map.")
                        .arg(Count(outside, "report lies", "reports lie"));
    return in;
}

QSize ScoreMapPictureSize(const ScoreMapInputs& in) {
    const int width = std::max(1, in.Viewport.Width);
    return {width, std::max(1, in.Viewport.Height) + Legend(nullptr, in, 0, width)};
}

void DrawScoreMap(QPainter& p, const ScoreMapInputs& in) {
    const ProjectionDescriptor& vp = in.Viewport;
    // The cache's pictures are laid down pixel for pixel: only on a painter that draws
    // one to one and opaque, the backdrop only when it was made at this viewport's size.
    const ScoreMapCache* cache = in.Cache && p.deviceTransform().isIdentity() &&
                                         p.opacity() == 1.0 &&
                                         p.compositionMode() == QPainter::CompositionMode_SourceOver
                                     ? in.Cache.get()
                                     : nullptr;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(0, 0, vp.Width, vp.Height);
    if (cache && !cache->Backdrop.isNull() &&
        cache->Backdrop.size() == QSize(std::max(1, vp.Width), std::max(1, vp.Height)))
        p.drawImage(0, 0, cache->Backdrop);
    else
        DrawBackdrop(p, in);

    p.setBrush(Qt::NoBrush);
    // Earlier products are drawn wider, so that outlines of the same area (an outlook and
    // a watch from one polygon) show as nested stripes, each colour still seen.
    int width = 2 + 3 * static_cast<int>(std::min<std::size_t>(in.Products.size(), 3));
    for (std::size_t i = 0; i < in.Products.size(); ++i) {
        const MapProduct& m = in.Products[i];
        const QPainterPath path = ProductPath(m.Corners, vp);
        const ProductStyle st = ProductStyleOf(m.Kind);
        const bool selected = in.Highlight == static_cast<int>(i);
        const bool faded = m.Faded || (in.Highlight >= 0 && !selected);
        p.setOpacity(faded ? FadedOpacity : 1.0);
        if (selected) {
            // A white band under the selected outline lifts it off the map.
            p.setPen(QPen(Qt::white, width + 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(path);
        }
        p.setPen(QPen(st.Colour, width, st.Line, Qt::FlatCap, Qt::RoundJoin));
        p.drawPath(path);
        width = std::max(2, width - 3);
    }
    p.setOpacity(1.0);
    if (in.BeneathReports) in.BeneathReports(p);

    // Hollow symbols first, so a filled one at the same place stays seen; with a row
    // selected, the reports that verify it last and ringed, the rest faded.
    const std::uint32_t bit = in.Highlight >= 0 && in.Highlight < 32 ? 1U << in.Highlight : 0U;
    for (const bool verifying : {false, true}) {
        if (verifying && bit == 0) break;
        for (const bool filled : {false, true})
            for (const MapReport& r : in.Reports) {
                if (r.Inside != filled) continue;
                if (bit != 0 && ((r.Verifies & bit) != 0) != verifying) continue;
                const PixelPoint px = ProjectToScreen(vp, r.Where);
                if (!Visible(px)) continue;
                const QPointF at(px.X, px.Y);
                const bool faded = bit != 0 && !verifying;
                p.setOpacity(faded ? FadedOpacity : 1.0);
                if (verifying) {
                    p.setPen(QPen(Rim, 2));
                    p.setBrush(Qt::NoBrush);
                    p.drawEllipse(at, SymbolRadius + 4, SymbolRadius + 4);
                }
                if (cache && !faded && r.Kind >= 1 && r.Kind <= 3) {
                    for (const StampLayer& layer : cache->Stamps[StampIndex(r.Kind, filled)])
                        p.drawImage(QPoint(px.X, px.Y) + layer.Offset, layer.Picture);
                    if (filled) {
                        // The thin outline drawn as it is (see SymbolStamp): a fast
                        // one-pixel line, unlike the wide strokes and the fills.
                        p.setPen(QPen(Qt::black, 1));
                        p.setBrush(Qt::NoBrush);
                        SymbolShape(p, at, r.Kind);
                    }
                    continue;
                }
                DrawSymbol(p, at, r.Kind, filled);
            }
    }
    p.setOpacity(1.0);
    p.restore();

    // The legend below the map, over nothing of it.
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const int legendHeight = Legend(nullptr, in, vp.Height, vp.Width);
    p.fillRect(0, vp.Height, vp.Width, legendHeight, Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(0, vp.Height, vp.Width, vp.Height);
    Legend(&p, in, vp.Height, vp.Width);
    p.restore();
}

QImage RenderScoreMap(const ScoreMapInputs& in, double pixelRatio) {
    const QSize size = ScoreMapPictureSize(in);
    QImage image(static_cast<int>(std::lround(size.width() * pixelRatio)),
                 static_cast<int>(std::lround(size.height() * pixelRatio)), QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawScoreMap(p, in);
    return image;
}

} // namespace nimbrel
