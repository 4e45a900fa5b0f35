#include "reports/report_layer.h"

#include <algorithm>
#include <array>

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>
#include <QRegion>

#include "reports/report_file.h"

namespace nimbrel {
namespace {

const QColor TornadoPen(255, 68, 68);
const QColor TornadoFill(255, 34, 34);
const QColor HailPen(0, 170, 0);
const QColor WindPen(0, 0, 170);

QPen SolidPen(const QColor& colour, int width) {
    QPen pen(colour);
    pen.setStyle(Qt::SolidLine);
    pen.setWidth(width);
    return pen;
}

// Made once: a pen or brush made for every stroke costs more than the stroke.
const QPen TornadoOutline = SolidPen(TornadoPen, 1);
const QPen TornadoTrack = SolidPen(TornadoPen, 2);
const QBrush TornadoBrush(TornadoFill, Qt::SolidPattern);
const QPen HailStroke = SolidPen(HailPen, 2);
const QPen WindStroke = SolidPen(WindPen, 2);

const QPen WhiteOutline = SolidPen(Qt::white, 1);
const QPen WhiteStroke = SolidPen(Qt::white, 2);

/// Whether a symbol is drawn in its colours or in white over the same pixels.
enum class Blanked : bool { No, Yes };

void DrawTrack(QPainter& p, PixelPoint s, PixelPoint e, Blanked blanked = Blanked::No) {
    p.setPen(blanked == Blanked::Yes ? WhiteStroke : TornadoTrack);
    p.drawLine(s.X, s.Y, e.X, e.Y);
}

bool HasTrack(const StormReport& r) {
    return static_cast<ReportKind>(r.Kind) == ReportKind::Tornado && r.End.Latitude != 0.0;
}

void DrawOne(QPainter& p, const StormReport& r, PixelPoint s, PixelPoint e,
             Blanked blanked = Blanked::No) {
    const bool white = blanked == Blanked::Yes;
    const int x = s.X, y = s.Y;
    switch (static_cast<ReportKind>(r.Kind)) {
    case ReportKind::Tornado: {
        p.setPen(white ? WhiteOutline : TornadoOutline);
        p.setBrush(white ? QBrush(Qt::white) : TornadoBrush);
        const QPoint triangle[] = {{x - 5, y - 5}, {x, y + 5}, {x + 5, y - 5}};
        p.drawPolygon(triangle, 3);
        if (r.End.Latitude != 0.0) DrawTrack(p, s, e, blanked);
        break;
    }
    case ReportKind::Hail:
        p.setPen(white ? WhiteStroke : HailStroke);
        p.setBrush(Qt::NoBrush);
        p.drawLine(x - 5, y + 3, x, y - 5);
        p.drawLine(x, y - 5, x + 5, y + 3);
        p.drawLine(x + 5, y + 3, x - 5, y + 3);
        break;
    case ReportKind::Wind:
        p.setPen(white ? WhiteStroke : WindStroke);
        p.setBrush(Qt::NoBrush);
        p.drawLine(x - 4, y - 4, x + 4, y + 4);
        p.drawLine(x + 4, y - 4, x - 4, y + 4);
        break;
    default:
        break; // unknown kinds are kept in the file but not drawn
    }
}

/// Where a symbol's pixels can lie: the triangles and the X with their pens, and a
/// tornado's track.
QRect SymbolBounds(const StormReport& r, PixelPoint s, PixelPoint e) {
    QRect bounds(s.X - 8, s.Y - 8, 17, 17);
    if (HasTrack(r))
        bounds |= QRect(QPoint(s.X, s.Y), QPoint(e.X, e.Y)).normalized().adjusted(-2, -2, 2, 2);
    return bounds;
}

bool Drawable(const StormReport& r) {
    return r.Kind >= 1 && r.Kind <= 3;
}

/// The first record of the last hour, or the list's size when there is none.
std::size_t FirstRecent(const ReportList& list, DateTime simulationTime) {
    for (std::size_t i = 0; i < list.Records.size(); ++i)
        if (Drawable(list.Records[i]) &&
            AgeOf(list.Records[i], simulationTime) == ReportAge::Recent)
            return i;
    return list.Records.size();
}

/// Puts the painter back in copy mode however the pass ends.
struct CopyModeOnExit {
    QPainter& Painter;
    ~CopyModeOnExit() {
        if (Painter.isActive()) Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
};

/// A timer refresh without a memory of the full refresh: the symbols of the last hour are
/// composed, in file order and in copy mode, on one white layer (an older report drawn
/// over one of them blanks its pixels there), and the layer is combined once in not-xor.
/// Every pixel where such a symbol lies on top is toggled exactly once, however the
/// symbols overlap; white leaves a pixel unchanged under not-xor. The older reports are
/// drawn again around the layer's pixels (the chasers are drawn before them at each
/// refresh).
void ToggleWithoutMemory(QPainter& painter, const ReportList& list,
                         const std::vector<PlacedReport>& placed, DateTime simulationTime) {
    const QRect picture(0, 0, painter.device()->width(), painter.device()->height());
    const std::size_t first = FirstRecent(list, simulationTime);
    QRect bounds;
    for (std::size_t i = first; i < list.Records.size(); ++i)
        if (Drawable(list.Records[i]) &&
            AgeOf(list.Records[i], simulationTime) == ReportAge::Recent)
            bounds |= SymbolBounds(list.Records[i], placed[i].Start, placed[i].End);
    bounds &= picture;
    QImage layer;
    QRegion toggled;
    if (!bounds.isEmpty()) {
        layer = QImage(bounds.size(), QImage::Format_RGB32);
        layer.fill(Qt::white);
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing, false);
        lp.translate(-bounds.topLeft());
        for (std::size_t i = first; i < list.Records.size(); ++i) {
            const StormReport& r = list.Records[i];
            const ReportAge age = AgeOf(r, simulationTime);
            if (age == ReportAge::NotYet || !Drawable(r)) continue;
            if (age == ReportAge::Recent) {
                DrawOne(lp, r, placed[i].Start, placed[i].End);
            } else {
                DrawOne(lp, r, placed[i].Start, placed[i].End, Blanked::Yes);
            }
        }
        lp.end();
        // The layer's pixels that are not white, as runs of rows.
        std::vector<QRect> runs;
        for (int y = 0; y < layer.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
            for (int x = 0; x < layer.width();) {
                if (row[x] == 0xffffffffu) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < layer.width() && row[x] != 0xffffffffu)
                    ++x;
                runs.emplace_back(bounds.left() + start, bounds.top() + y, x - start, 1);
            }
        }
        toggled.setRects(runs.data(), static_cast<int>(runs.size()));
    }
    painter.save();
    painter.setClipRegion(QRegion(picture).subtracted(toggled));
    for (std::size_t i = 0; i < list.Records.size(); ++i)
        if (AgeOf(list.Records[i], simulationTime) == ReportAge::Old)
            DrawOne(painter, list.Records[i], placed[i].Start, placed[i].End);
    painter.restore();
    if (!layer.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        painter.drawImage(bounds.topLeft(), layer);
    }
}

void DrawListWithPainter(QPainter& painter, const ReportList& list,
                         const std::vector<PlacedReport>& placed, DateTime simulationTime,
                         bool flash) {
    CopyModeOnExit restore{painter};
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (flash) {
        ToggleWithoutMemory(painter, list, placed, simulationTime);
    } else {
        for (std::size_t i = 0; i < list.Records.size(); ++i) {
            const StormReport& r = list.Records[i];
            if (AgeOf(r, simulationTime) == ReportAge::NotYet) continue;
            DrawOne(painter, r, placed[i].Start, placed[i].End);
        }
    }
    list.ThrowIfCutShort();
}

std::vector<PlacedReport> PlaceAll(const ReportList& list, const ScreenProjector& project) {
    std::vector<PlacedReport> placed;
    placed.reserve(list.Records.size());
    for (const StormReport& r : list.Records)
        placed.push_back({project(r.Start), HasTrack(r) ? project(r.End) : PixelPoint{}});
    return placed;
}

// ---- stamps ------------------------------------------------------------------------

constexpr int StampHalf = 8; // a trackless symbol lies within 8 pixels of its point

struct StampPixel {
    int Dx = 0;
    int Dy = 0;
    QRgb Colour = 0;
};
using Stamp = std::vector<StampPixel>;

// The pixels DrawOne sets for a trackless symbol of each kind, read off a drawing on
// white around the centre of a small square. Drawing with whole-pixel coordinates sets
// the same pixels wherever it happens, so the stamp laid down at a point whose square
// lies wholly on the picture is the painter's drawing there.
const Stamp& StampOf(ReportKind kind) {
    static const std::array<Stamp, 3> stamps = [] {
        std::array<Stamp, 3> out;
        for (int k = 0; k < 3; ++k) {
            constexpr int Side = 2 * StampHalf + 1;
            QImage square(Side, Side, QImage::Format_RGB32);
            square.fill(Qt::white);
            StormReport r;
            r.Kind = k + 1;
            {
                QPainter p(&square);
                p.setRenderHint(QPainter::Antialiasing, false);
                DrawOne(p, r, {StampHalf, StampHalf}, {});
            }
            for (int y = 0; y < Side; ++y)
                for (int x = 0; x < Side; ++x)
                    if (square.pixel(x, y) != qRgb(255, 255, 255))
                        out[static_cast<std::size_t>(k)].push_back(
                            {x - StampHalf, y - StampHalf, square.pixel(x, y)});
        }
        return out;
    }();
    return stamps[static_cast<std::size_t>(kind) - 1];
}

/// Draws in copy mode, in file order from record `from`, the reports whose time has come
/// (without those of the last hour when `recent` says so). A symbol whose square lies
/// wholly on the picture is laid down from its stamp; a track, or a symbol reaching over
/// the picture's edge, is drawn by the painter.
enum class Recent : bool { Skipped, Drawn };
void CopyPass(QImage& image, const ReportList& list, const std::vector<PlacedReport>& placed,
              DateTime simulationTime, std::size_t from, Recent recent) {
    // The picture's memory is taken before any painter opens on it: the stamps write
    // there directly, the painter draws only what a stamp cannot.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const QRect stampable(StampHalf, StampHalf, image.width() - 2 * StampHalf,
                          image.height() - 2 * StampHalf);
    QPainter painter;
    for (std::size_t i = from; i < list.Records.size(); ++i) {
        const StormReport& r = list.Records[i];
        const ReportAge age = AgeOf(r, simulationTime);
        if (age == ReportAge::NotYet || !Drawable(r)) continue;
        if (age == ReportAge::Recent && recent == Recent::Skipped) continue;
        const PixelPoint s = placed[i].Start;
        if (!HasTrack(r) && stampable.contains(s.X, s.Y)) {
            uchar* const centre = bits + static_cast<qsizetype>(s.Y) * stride;
            for (const StampPixel& px : StampOf(static_cast<ReportKind>(r.Kind)))
                reinterpret_cast<QRgb*>(centre + px.Dy * stride)[s.X + px.Dx] = px.Colour;
            continue;
        }
        if (!painter.isActive()) {
            painter.begin(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
        }
        DrawOne(painter, r, s, placed[i].End);
    }
}

std::vector<std::pair<std::int32_t, DateTime>> KindsAndTimes(const ReportList& list) {
    std::vector<std::pair<std::int32_t, DateTime>> out;
    out.reserve(list.Records.size());
    for (const StormReport& r : list.Records)
        out.emplace_back(r.Kind, r.Time);
    return out;
}

bool SamePlaces(const std::vector<PlacedReport>& a, const std::vector<PlacedReport>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const PlacedReport& x, const PlacedReport& y) {
                          return x.Start.X == y.Start.X && x.Start.Y == y.Start.Y &&
                                 x.End.X == y.End.X && x.End.Y == y.End.Y;
                      });
}

} // namespace

void DrawReports(QPainter& painter, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash) {
    if (!QFileInfo::exists(path)) return;
    const ReportList list = ReadReportList(path);
    DrawListWithPainter(painter, list, PlaceAll(list, project), simulationTime, flash);
}

void DrawReports(QImage& image, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash) {
    if (!QFileInfo::exists(path)) return;
    const ReportList list = ReadReportList(path);
    DrawReports(image, list, PlaceAll(list, project), simulationTime, flash);
}

const std::vector<PlacedReport>& ReportPlacement::Place(const ReportList& list,
                                                        std::uint64_t generation,
                                                        const ProjectionDescriptor& view) {
    const bool sameView = view.ToBytes() == view_.ToBytes();
    if (!valid_ || generation != generation_ || !sameView ||
        placed_.size() != list.Records.size()) {
        placed_ = PlaceAll(list, [&view](const GeoPoint& p) { return ProjectToScreen(view, p); });
        generation_ = generation;
        view_ = view;
        valid_ = true;
    }
    return placed_;
}

bool ToggleMemory::Fits(const ReportList& list, const std::vector<PlacedReport>& placed,
                        DateTime time, QSize picture) const {
    if (!valid_ || time != time_ || picture != picture_ || records_.size() != list.Records.size() ||
        !SamePlaces(placed, placed_))
        return false;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].first != list.Records[i].Kind || records_[i].second != list.Records[i].Time)
            return false;
    return true;
}

void DrawReports(QImage& image, const ReportList& list, const std::vector<PlacedReport>& placed,
                 DateTime simulationTime, bool flash, ToggleMemory* memory) {
    if (image.isNull()) return;
    // The stamps write device pixels at map pixels: a picture drawn finer than the map
    // (devicePixelRatio above 1) takes the painter's way, which scales.
    const bool fast = image.format() == QImage::Format_RGB32 && image.devicePixelRatio() == 1.0;
    if (!fast || (flash && !(memory && memory->Fits(list, placed, simulationTime, image.size())))) {
        if (memory && !flash) memory->Forget();
        QPainter painter(&image);
        DrawListWithPainter(painter, list, placed, simulationTime, flash);
        return;
    }
    if (flash) {
        // The older reports again over the chasers, as the full refresh drew them, then
        // the other phase of what differs.
        CopyPass(image, list, placed, simulationTime, 0, Recent::Skipped);
        auto* const pixels = reinterpret_cast<QRgb*>(image.bits());
        const bool toOff = memory->on_;
        for (const ToggleMemory::Pixel& p : memory->pixels_)
            pixels[p.Offset] = toOff ? p.Off : p.On;
        memory->on_ = !toOff;
        list.ThrowIfCutShort();
        return;
    }
    if (!memory) {
        CopyPass(image, list, placed, simulationTime, 0, Recent::Drawn);
        list.ThrowIfCutShort();
        return;
    }
    // The full refresh: the picture without the last hour's reports first, then those
    // reports and every report after the first of them in file order, which gives the
    // picture of one pass in file order (a pixel shows the last symbol over it).
    memory->Forget();
    memory->pixels_.clear();
    const std::size_t first = FirstRecent(list, simulationTime);
    CopyPass(image, list, placed, simulationTime, 0, Recent::Skipped);
    if (first < list.Records.size()) {
        QRect bounds;
        for (std::size_t i = first; i < list.Records.size(); ++i)
            if (Drawable(list.Records[i]) &&
                AgeOf(list.Records[i], simulationTime) == ReportAge::Recent)
                bounds |= SymbolBounds(list.Records[i], placed[i].Start, placed[i].End);
        bounds &= image.rect();
        const QImage off = image.copy(bounds);
        CopyPass(image, list, placed, simulationTime, first, Recent::Drawn);
        const qsizetype width = image.bytesPerLine() / 4; // pixels per row
        for (int y = 0; y < bounds.height(); ++y) {
            const auto* was = reinterpret_cast<const QRgb*>(off.constScanLine(y));
            const auto* now = reinterpret_cast<const QRgb*>(image.constScanLine(bounds.top() + y));
            for (int x = 0; x < bounds.width(); ++x)
                if (was[x] != now[bounds.left() + x])
                    memory->pixels_.push_back(
                        {static_cast<std::uint32_t>((bounds.top() + y) * width + bounds.left() + x),
                         now[bounds.left() + x], was[x]});
        }
    }
    memory->records_ = KindsAndTimes(list);
    memory->placed_ = placed;
    memory->time_ = simulationTime;
    memory->picture_ = image.size();
    memory->on_ = true;
    memory->valid_ = true;
    list.ThrowIfCutShort();
}

} // namespace nimbrel
