#include "products/score_map.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

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

constexpr int SymbolRadius = 6;

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

/// Tornado: a triangle pointing down; hail: a circle; wind: a square.
void DrawSymbol(QPainter& p, QPointF at, std::int32_t kind, bool filled) {
    const QColor colour = ReportColour(kind);
    if (filled) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(colour);
    } else {
        p.setPen(QPen(colour, 2.5));
        p.setBrush(Qt::white);
    }
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

void DrawLegend(QPainter& p, const ScoreMapInputs& in) {
    QFont font = p.font();
    font.setPixelSize(13);
    p.setFont(font);
    const QFontMetrics fm(font);
    const int line = fm.height() + 4;
    const int swatch = 26;
    QStringList texts;
    for (const MapProduct& m : in.Products)
        texts << m.Label;
    const QString hollowWords = QStringLiteral("(filled: inside a product, hollow: outside)");
    // The report line: words plus two symbols drawn between them.
    texts << QStringLiteral("tornado  hail  wind  ") + hollowWords + QStringLiteral("      ");
    texts << QStringLiteral("Practically perfect outlook (15 %)");
    texts << QStringLiteral("Practically perfect tornado area (5 %)");
    if (!in.Note.isEmpty()) texts << in.Note;
    int width = 0;
    for (const QString& t : texts)
        width = std::max(width, fm.horizontalAdvance(t));
    const QRect box(8, 8, width + swatch + 24, line * static_cast<int>(texts.size()) + 10);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawRect(box);

    int y = box.top() + 5;
    const int tx = box.left() + swatch + 16;
    auto text = [&](const QString& t) {
        p.setPen(Qt::black);
        p.drawText(QRect(tx, y, width + 4, line), Qt::AlignVCenter | Qt::AlignLeft, t);
    };
    const int sx = box.left() + 8;
    for (const MapProduct& m : in.Products) {
        p.setPen(QPen(m.Colour, 4));
        p.drawLine(sx, y + line / 2, sx + swatch, y + line / 2);
        text(m.Label);
        y += line;
    }
    // Report kinds: a filled and a hollow tornado in the swatch column, then each
    // kind's filled symbol before its name.
    {
        const int cy = y + line / 2;
        constexpr auto Tornado = static_cast<std::int32_t>(ReportKind::Tornado);
        DrawSymbol(p, QPointF(sx + 7, cy), Tornado, true);
        DrawSymbol(p, QPointF(sx + 21, cy), Tornado, false);
        int x = tx;
        auto word = [&](const QString& t) {
            p.setPen(Qt::black);
            p.drawText(QRect(x, y, fm.horizontalAdvance(t) + 2, line), Qt::AlignVCenter, t);
            x += fm.horizontalAdvance(t);
        };
        word(QStringLiteral("tornado  "));
        DrawSymbol(p, QPointF(x + 6, cy), static_cast<std::int32_t>(ReportKind::Hail), true);
        x += 16;
        word(QStringLiteral("hail  "));
        DrawSymbol(p, QPointF(x + 6, cy), static_cast<std::int32_t>(ReportKind::Wind), true);
        x += 16;
        word(QStringLiteral("wind  "));
        word(hollowWords);
        y += line;
    }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(Yellow.red(), Yellow.green(), Yellow.blue(), 170));
    p.drawRect(sx, y + 3, swatch, line - 6);
    text(QStringLiteral("Practically perfect outlook (15 %)"));
    y += line;
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.setBrush(QBrush(Qt::black, Qt::BDiagPattern));
    p.drawRect(sx, y + 3, swatch, line - 6);
    text(QStringLiteral("Practically perfect tornado area (5 %)"));
    y += line;
    if (!in.Note.isEmpty()) {
        QFont bold = font;
        bold.setBold(true);
        p.setFont(bold);
        text(in.Note);
        p.setFont(font);
    }
}

} // namespace

QColor ProductColour(std::size_t index) {
    static const QColor colours[] = {Blue,       ReddishPurple, Orange,   BluishGreen,
                                     Vermillion, SkyBlue,       Qt::black};
    return colours[index % std::size(colours)];
}

Qt::PenStyle ProductLineStyle(ProductKind kind) {
    switch (kind) {
    case ProductKind::SevereWatch:
        return Qt::DashLine;
    case ProductKind::TornadoWatch:
        return Qt::DashDotLine;
    default:
        return Qt::SolidLine;
    }
}

ScoreMapInputs ScoreMapFrom(const ExerciseScore& score, const ProjectionDescriptor& viewport,
                            const QImage& geography) {
    ScoreMapInputs in;
    in.Viewport = viewport;
    in.Geography = geography;
    const auto& reports = score.Reports.Reports;
    for (std::size_t i = 0; i < reports.size(); ++i)
        in.Reports.push_back({reports[i].Start, reports[i].Kind, score.InsideAny[i]});
    for (std::size_t i = 0; i < score.Products.size(); ++i) {
        const ProductRecord& r = score.Products[i].Record;
        in.Products.push_back({r.Corners, ProductColour(i),
                               QStringLiteral("%1, issued %2 UTC")
                                   .arg(ProductKindName(r.Kind),
                                        FormatDateTime(QStringLiteral("hhnn"), r.IssueTime))});
    }
    in.PerfectArea = score.Perfect.PointsAtLeast(PerfectOutlookThreshold);
    in.PerfectTornadoArea = score.PerfectTornado.PointsAtLeast(PerfectTornadoThreshold);
    if (score.Products.empty()) in.Note = QStringLiteral("No product was issued.");
    if (!score.Reports.Readable) in.Note += QStringLiteral(" The reports could not be read.");
    in.Note = in.Note.trimmed();
    return in;
}

void DrawScoreMap(QPainter& p, const ScoreMapInputs& in) {
    const ProjectionDescriptor& vp = in.Viewport;
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(0, 0, vp.Width, vp.Height);
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

    p.setBrush(Qt::NoBrush);
    // Earlier products are drawn wider, so that outlines of the same area (an outlook and
    // a watch from one polygon) show as nested stripes, each colour still seen.
    int width = 2 + 3 * static_cast<int>(std::min<std::size_t>(in.Products.size(), 3));
    for (const MapProduct& m : in.Products) {
        QPolygonF poly;
        for (const GeoPoint& c : m.Corners) {
            const PixelPoint px = ProjectToScreen(vp, c);
            if (Visible(px)) poly << QPointF(px.X, px.Y);
        }
        p.setPen(QPen(m.Colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(poly);
        width = std::max(2, width - 3);
    }

    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    for (const GeoPoint& c : in.Chasers) {
        const PixelPoint px = ProjectToScreen(vp, c);
        if (Visible(px)) p.drawEllipse(QPointF(px.X, px.Y), 2.5, 2.5);
    }
    // Hollow symbols first, so a filled one at the same place stays seen.
    for (const bool filled : {false, true})
        for (const MapReport& r : in.Reports) {
            if (r.Inside != filled) continue;
            const PixelPoint px = ProjectToScreen(vp, r.Where);
            if (Visible(px)) DrawSymbol(p, QPointF(px.X, px.Y), r.Kind, filled);
        }
    DrawLegend(p, in);
    p.restore();
}

QImage RenderScoreMap(const ScoreMapInputs& in, double pixelRatio) {
    QImage image(static_cast<int>(std::lround(std::max(1, in.Viewport.Width) * pixelRatio)),
                 static_cast<int>(std::lround(std::max(1, in.Viewport.Height) * pixelRatio)),
                 QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter p(&image);
    DrawScoreMap(p, in);
    return image;
}

} // namespace nimbrel
