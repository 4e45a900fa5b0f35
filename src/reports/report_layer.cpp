#include "reports/report_layer.h"

#include <algorithm>
#include <array>

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QRect>

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

void DrawTrack(QPainter& p, PixelPoint s, PixelPoint e) {
    p.setPen(TornadoTrack);
    p.drawLine(s.X, s.Y, e.X, e.Y);
}

bool HasTrack(const StormReport& r) {
    return static_cast<ReportKind>(r.Kind) == ReportKind::Tornado && r.End.Latitude != 0.0;
}

void DrawOne(QPainter& p, const StormReport& r, PixelPoint s, PixelPoint e) {
    const int x = s.X, y = s.Y;
    switch (static_cast<ReportKind>(r.Kind)) {
    case ReportKind::Tornado: {
        p.setPen(TornadoOutline);
        p.setBrush(TornadoBrush);
        const QPoint triangle[] = {{x - 5, y - 5}, {x, y + 5}, {x + 5, y - 5}};
        p.drawPolygon(triangle, 3);
        if (r.End.Latitude != 0.0) DrawTrack(p, s, e);
        break;
    }
    case ReportKind::Hail:
        p.setPen(HailStroke);
        p.setBrush(Qt::NoBrush);
        p.drawLine(x - 5, y + 3, x, y - 5);
        p.drawLine(x, y - 5, x + 5, y + 3);
        p.drawLine(x + 5, y + 3, x - 5, y + 3);
        break;
    case ReportKind::Wind:
        p.setPen(WindStroke);
        p.setBrush(Qt::NoBrush);
        p.drawLine(x - 4, y - 4, x + 4, y + 4);
        p.drawLine(x + 4, y - 4, x - 4, y + 4);
        break;
    default:
        break; // unknown kinds are kept in the file but not drawn
    }
}

/// Draws a report's symbol in not-xor so that every pixel of it is toggled exactly once,
/// however its strokes overlap (the tornado's outline over its fill, the crossing of the
/// X, the corners of the hail triangle): the symbol is composed in copy mode on a white
/// layer and the layer is then combined once. White leaves a pixel unchanged under
/// not-xor, so only the symbol's own pixels change.
void ToggleOne(QPainter& p, const StormReport& r, PixelPoint s, PixelPoint e) {
    QRect bounds(s.X - 8, s.Y - 8, 17, 17); // the triangles and the X with their pens
    if (HasTrack(r))
        bounds |= QRect(QPoint(s.X, s.Y), QPoint(e.X, e.Y)).normalized().adjusted(-2, -2, 2, 2);
    // Only what lies on the picture needs a layer (a track may end far off it).
    bounds &= QRect(0, 0, p.device()->width(), p.device()->height());
    if (bounds.isEmpty()) return;
    QImage layer(bounds.size(), QImage::Format_RGB32);
    layer.fill(Qt::white);
    {
        QPainter lp(&layer);
        lp.setRenderHint(QPainter::Antialiasing, false);
        lp.translate(-bounds.topLeft());
        DrawOne(lp, r, s, e);
    }
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    p.drawImage(bounds.topLeft(), layer);
}

/// Puts the painter back in copy mode however the pass ends.
struct CopyModeOnExit {
    QPainter& Painter;
    ~CopyModeOnExit() {
        if (Painter.isActive()) Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
};

void DrawListWithPainter(QPainter& painter, const ReportList& list,
                         const std::vector<PlacedReport>& placed, DateTime simulationTime,
                         bool flash) {
    CopyModeOnExit restore{painter};
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t i = 0; i < list.Records.size(); ++i) {
        const StormReport& r = list.Records[i];
        const ReportAge age = AgeOf(r, simulationTime);
        if (age == ReportAge::NotYet) continue;
        // Not-xor turns a symbol in its own colour white and white back into the symbol,
        // so drawing a recent report on every timer tick makes it blink.
        if (flash && age == ReportAge::Recent) {
            ToggleOne(painter, r, placed[i].Start, placed[i].End);
            continue;
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawOne(painter, r, placed[i].Start, placed[i].End);
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

/// Toggles symbols with their tracks on a picture the way ToggleOne does, composing each
/// on one scratch layer kept for the whole pass instead of a new layer and painter per
/// symbol.
class TrackToggler {
public:
    TrackToggler(const QRect& picture, uchar* bits, qsizetype stride)
        : picture_(picture), bits_(bits), stride_(stride) {}
    TrackToggler(const TrackToggler&) = delete;
    TrackToggler& operator=(const TrackToggler&) = delete;

    /// The pixels of the symbol's layer that are not white: the ones a toggle changes,
    /// with the colour it toggles them by.
    std::vector<ToggleMemory::Pixel> Compose(const StormReport& r, PixelPoint s, PixelPoint e) {
        std::vector<ToggleMemory::Pixel> pixels;
        QRect bounds(s.X - 8, s.Y - 8, 17, 17);
        if (HasTrack(r))
            bounds |= QRect(QPoint(s.X, s.Y), QPoint(e.X, e.Y)).normalized().adjusted(-2, -2, 2, 2);
        bounds &= picture_;
        if (bounds.isEmpty()) return pixels;
        if (scratch_.width() < bounds.width() || scratch_.height() < bounds.height()) {
            if (painter_.isActive()) painter_.end();
            scratch_ = QImage(std::max(scratch_.width(), bounds.width()),
                              std::max(scratch_.height(), bounds.height()), QImage::Format_RGB32);
        }
        if (!painter_.isActive()) {
            painter_.begin(&scratch_);
            painter_.setRenderHint(QPainter::Antialiasing, false);
        }
        // Rows of the scratch are reached through its memory directly: the image is the
        // painter's alone, so taking its bits never copies.
        uchar* const scratchBits = scratch_.bits();
        const qsizetype scratchStride = scratch_.bytesPerLine();
        auto scratchRow = [&](int y) {
            return reinterpret_cast<QRgb*>(scratchBits + static_cast<qsizetype>(y) * scratchStride);
        };
        // The part of the scratch in use is a white layer of the bounds' size, clipped
        // there as a layer of exactly that size would be (a stroke cut at the edge is
        // drawn differently from one that runs on).
        for (int y = 0; y < bounds.height(); ++y)
            std::fill_n(scratchRow(y), bounds.width(), 0xffffffffu);
        painter_.resetTransform();
        painter_.setClipRect(QRect(QPoint(0, 0), bounds.size()));
        painter_.translate(-bounds.topLeft());
        const QRect square(s.X - StampHalf, s.Y - StampHalf, 2 * StampHalf + 1, 2 * StampHalf + 1);
        if (static_cast<ReportKind>(r.Kind) == ReportKind::Tornado && picture_.contains(square)) {
            // The triangle from its stamp, then the track over it, as DrawOne orders them.
            QRgb* const centre = scratchRow(s.Y - bounds.top()) + (s.X - bounds.left());
            for (const StampPixel& px : StampOf(ReportKind::Tornado))
                centre[px.Dy * (scratchStride / 4) + px.Dx] = px.Colour;
            if (HasTrack(r)) DrawTrack(painter_, s, e);
        } else {
            DrawOne(painter_, r, s, e);
        }
        for (int y = 0; y < bounds.height(); ++y) {
            const QRgb* in = scratchRow(y);
            for (int x = 0; x < bounds.width(); ++x)
                if (in[x] != 0xffffffffu)
                    pixels.push_back({bounds.left() + x, bounds.top() + y, in[x]});
        }
        return pixels;
    }

    /// Toggles the pixels in not-xor, as the painter's raster operation does.
    void Apply(const std::vector<ToggleMemory::Pixel>& pixels) {
        for (const ToggleMemory::Pixel& p : pixels) {
            auto* out = reinterpret_cast<QRgb*>(bits_ + p.Y * stride_) + p.X;
            *out = (~p.Colour ^ *out) | 0xff000000u;
        }
    }

private:
    QRect picture_;
    uchar* bits_;
    qsizetype stride_;
    QImage scratch_;
    QPainter painter_;
};

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

const std::vector<ToggleMemory::Pixel>*
ToggleMemory::Find(std::size_t index, int shape, const PlacedReport& at, QSize picture) const {
    if (index >= kept_.size()) return nullptr;
    const Kept& k = kept_[index];
    const bool same = k.Known && k.Shape == shape && k.Picture == picture &&
                      k.At.Start.X == at.Start.X && k.At.Start.Y == at.Start.Y &&
                      k.At.End.X == at.End.X && k.At.End.Y == at.End.Y;
    return same ? &k.Pixels : nullptr;
}

const std::vector<ToggleMemory::Pixel>& ToggleMemory::Keep(std::size_t index, int shape,
                                                           const PlacedReport& at, QSize picture,
                                                           std::vector<Pixel> pixels) {
    if (index >= kept_.size()) kept_.resize(index + 1);
    kept_[index] = Kept{true, shape, at, picture, std::move(pixels)};
    return kept_[index].Pixels;
}

void DrawReports(QImage& image, const ReportList& list, const std::vector<PlacedReport>& placed,
                 DateTime simulationTime, bool flash, ToggleMemory* memory) {
    // The stamps write device pixels at map pixels: a picture drawn finer than the map
    // (devicePixelRatio above 1) takes the painter's way, which scales.
    if (image.isNull() || image.format() != QImage::Format_RGB32 ||
        image.devicePixelRatio() != 1.0) {
        if (image.isNull()) return;
        QPainter painter(&image);
        DrawListWithPainter(painter, list, placed, simulationTime, flash);
        return;
    }
    // The picture's memory is taken before any painter opens on it: the stamps write
    // there directly, the painter draws only what a stamp cannot.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const QRect stampable(StampHalf, StampHalf, image.width() - 2 * StampHalf,
                          image.height() - 2 * StampHalf);
    QPainter painter;
    CopyModeOnExit restore{painter};
    TrackToggler toggler(image.rect(), bits, stride);
    for (std::size_t i = 0; i < list.Records.size(); ++i) {
        const StormReport& r = list.Records[i];
        const ReportAge age = AgeOf(r, simulationTime);
        if (age == ReportAge::NotYet) continue;
        if (r.Kind < 1 || r.Kind > 3) continue; // unknown kinds are not drawn
        const bool toggle = flash && age == ReportAge::Recent;
        const PixelPoint s = placed[i].Start;
        if (!HasTrack(r) && stampable.contains(s.X, s.Y)) {
            uchar* const centre = bits + static_cast<qsizetype>(s.Y) * stride;
            for (const StampPixel& px : StampOf(static_cast<ReportKind>(r.Kind))) {
                auto* pixel = reinterpret_cast<QRgb*>(centre + px.Dy * stride) + s.X + px.Dx;
                // Not-xor of the symbol's colour, as the painter's raster operation does it.
                *pixel = toggle ? ((~px.Colour ^ *pixel) | 0xff000000u) : px.Colour;
            }
            continue;
        }
        // A tornado's track, or a symbol reaching over the picture's edge: composed on
        // a layer and toggled, or drawn by the painter.
        if (toggle) {
            if (!memory) {
                toggler.Apply(toggler.Compose(r, s, placed[i].End));
                continue;
            }
            // The kind, with whether a track is drawn, and the places decide the pixels.
            const int shape = r.Kind * 2 + (HasTrack(r) ? 1 : 0);
            const std::vector<ToggleMemory::Pixel>* kept =
                memory->Find(i, shape, placed[i], image.size());
            toggler.Apply(kept ? *kept
                               : memory->Keep(i, shape, placed[i], image.size(),
                                              toggler.Compose(r, s, placed[i].End)));
            continue;
        }
        if (!painter.isActive()) {
            painter.begin(&image);
            painter.setRenderHint(QPainter::Antialiasing, false);
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        DrawOne(painter, r, s, placed[i].End);
    }
    list.ThrowIfCutShort();
}

} // namespace nimbrel
