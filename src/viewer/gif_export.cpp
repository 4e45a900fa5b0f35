#include "viewer/gif_export.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include <QFileInfo>
#include <QPainter>

#include <gif_lib.h>

#include "base/errors.h"
#include "base/records.h"
#include "viewer/decoders.h"

namespace nimbrel {

namespace {

constexpr int MaxColours = 256;

// ---- exact palette ----------------------------------------------------------------

// The picture's own colours when there are at most 256 of them. An open-addressed table
// of 1024 slots keeps the probe short while it fills.
bool ExactColours(const QImage& picture, IndexedPicture& out) {
    constexpr std::uint32_t Slots = 1024;
    constexpr std::uint32_t Empty = 0xffffffffu; // never a colour: alpha is set on every pixel
    std::array<std::uint32_t, Slots> keys{};
    std::array<std::uint8_t, Slots> values{};
    keys.fill(Empty);
    out.Palette.clear();
    std::size_t at = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        QRgb last = 0;
        std::uint8_t lastIndex = 0;
        bool haveLast = false;
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb colour = row[x] & 0x00ffffffu;
            if (haveLast && colour == last) {
                out.Indices[at++] = lastIndex;
                continue;
            }
            std::uint32_t slot = (colour * 2654435761u) >> 22; // top 10 bits
            while (keys[slot] != Empty && keys[slot] != colour)
                slot = (slot + 1) & (Slots - 1);
            if (keys[slot] == Empty) {
                if (out.Palette.size() == MaxColours) return false;
                keys[slot] = colour;
                values[slot] = static_cast<std::uint8_t>(out.Palette.size());
                out.Palette.push_back(colour | 0xff000000u);
            }
            last = colour;
            lastIndex = values[slot];
            haveLast = true;
            out.Indices[at++] = lastIndex;
        }
    }
    return true;
}

// ---- median cut -------------------------------------------------------------------

// Colours are counted in cells of 6 bits per channel (64 levels), fine enough that a
// smooth gradient keeps its steps; each palette colour is the mean of the real colours
// of its box.
struct Cell {
    std::array<std::uint8_t, 3> Level{}; // 0..63 per channel
    std::uint32_t Count = 0;
    std::array<std::uint64_t, 3> Sum{};
};

struct Box {
    std::size_t Begin = 0, End = 0;
    std::uint64_t Count = 0;
    int Channel = 0; // the channel of the widest range
    int Range = 0;
};

void Measure(const std::vector<Cell>& cells, Box& box) {
    std::array<int, 3> lo{255, 255, 255}, hi{0, 0, 0};
    box.Count = 0;
    for (std::size_t i = box.Begin; i < box.End; ++i) {
        box.Count += cells[i].Count;
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min<int>(lo[c], cells[i].Level[c]);
            hi[c] = std::max<int>(hi[c], cells[i].Level[c]);
        }
    }
    box.Range = -1;
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > box.Range) {
            box.Range = hi[c] - lo[c];
            box.Channel = c;
        }
    }
}

// Box means never reach the picture's most extreme colours, and error diffusion cannot
// make a colour outside the palette's hull: so the picture's colours nearest to the
// eight corners of the colour cube (its darkest black, brightest white, purest
// primaries) join the palette as they are.
constexpr int CornerColours = 8;

std::vector<QRgb> MedianCutPalette(const QImage& picture) {
    constexpr int Levels = 64;
    std::vector<Cell> grid(static_cast<std::size_t>(Levels) * Levels * Levels);
    std::array<QRgb, CornerColours> corners{};
    std::array<int, CornerColours> cornerDistance{};
    cornerDistance.fill(1 << 30);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int r = qRed(row[x]), g = qGreen(row[x]), b = qBlue(row[x]);
            for (int k = 0; k < CornerColours; ++k) {
                const int dr = (k & 4) ? 255 - r : r, dg = (k & 2) ? 255 - g : g,
                          db = (k & 1) ? 255 - b : b;
                const int d = dr + dg + db;
                if (d < cornerDistance[k]) {
                    cornerDistance[k] = d;
                    corners[k] = row[x] | 0xff000000u;
                }
            }
            Cell& cell =
                grid[(static_cast<std::size_t>(r >> 2) << 12) |
                     (static_cast<std::size_t>(g >> 2) << 6) | static_cast<std::size_t>(b >> 2)];
            ++cell.Count;
            cell.Sum[0] += static_cast<std::uint64_t>(r);
            cell.Sum[1] += static_cast<std::uint64_t>(g);
            cell.Sum[2] += static_cast<std::uint64_t>(b);
        }
    }
    std::vector<Cell> cells;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        if (grid[i].Count == 0) continue;
        Cell cell = grid[i];
        cell.Level = {static_cast<std::uint8_t>(i >> 12), static_cast<std::uint8_t>((i >> 6) & 63),
                      static_cast<std::uint8_t>(i & 63)};
        cells.push_back(cell);
    }

    std::vector<Box> boxes(1);
    boxes[0].End = cells.size();
    Measure(cells, boxes[0]);
    while (boxes.size() < MaxColours - CornerColours) {
        // The box to split: the most pixels times the widest spread, so that both the
        // common colours and the rare but distant ones get their own entries.
        Box* widest = nullptr;
        double best = 0.0;
        for (Box& box : boxes) {
            if (box.End - box.Begin < 2 || box.Range <= 0) continue;
            const double weight = std::sqrt(static_cast<double>(box.Count)) * box.Range * box.Range;
            if (weight > best) {
                best = weight;
                widest = &box;
            }
        }
        if (!widest) break;
        const int channel = widest->Channel;
        std::sort(cells.begin() + static_cast<std::ptrdiff_t>(widest->Begin),
                  cells.begin() + static_cast<std::ptrdiff_t>(widest->End),
                  [channel](const Cell& a, const Cell& b) {
                      return a.Level[channel] < b.Level[channel];
                  });
        // Split where half the pixels lie on each side, keeping both halves non-empty.
        std::uint64_t below = 0;
        std::size_t split = widest->Begin + 1;
        for (std::size_t i = widest->Begin; i + 1 < widest->End; ++i) {
            below += cells[i].Count;
            split = i + 1;
            if (below * 2 >= widest->Count) break;
        }
        Box upper;
        upper.Begin = split;
        upper.End = widest->End;
        widest->End = split;
        Measure(cells, *widest);
        Measure(cells, upper);
        boxes.push_back(upper);
    }

    std::vector<QRgb> palette;
    palette.reserve(boxes.size());
    for (const Box& box : boxes) {
        std::array<std::uint64_t, 3> sum{};
        for (std::size_t i = box.Begin; i < box.End; ++i)
            for (int c = 0; c < 3; ++c)
                sum[c] += cells[i].Sum[c];
        const auto mean = [&](int c) {
            return static_cast<int>((sum[c] + box.Count / 2) /
                                    std::max<std::uint64_t>(box.Count, 1));
        };
        palette.push_back(qRgb(mean(0), mean(1), mean(2)));
    }
    for (const QRgb corner : corners)
        if (std::find(palette.begin(), palette.end(), corner) == palette.end())
            palette.push_back(corner);
    return palette;
}

// Floyd-Steinberg error diffusion onto `palette`. The nearest palette colour of a
// 6-bit cell is found once and kept.
void Dither(const QImage& picture, IndexedPicture& out) {
    const int width = picture.width();
    constexpr std::uint16_t Unknown = 0xffff;
    std::vector<std::uint16_t> nearest(std::size_t{1} << 18, Unknown);
    const auto lookup = [&](int r, int g, int b) -> std::uint8_t {
        const std::size_t key = (static_cast<std::size_t>(r >> 2) << 12) |
                                (static_cast<std::size_t>(g >> 2) << 6) |
                                static_cast<std::size_t>(b >> 2);
        if (nearest[key] != Unknown) return static_cast<std::uint8_t>(nearest[key]);
        // The cell's centre decides, so every colour of the cell maps alike.
        const int cr = ((r >> 2) << 2) + 2, cg = ((g >> 2) << 2) + 2, cb = ((b >> 2) << 2) + 2;
        int bestIndex = 0;
        int bestDistance = 1 << 30;
        for (std::size_t i = 0; i < out.Palette.size(); ++i) {
            const int dr = qRed(out.Palette[i]) - cr, dg = qGreen(out.Palette[i]) - cg,
                      db = qBlue(out.Palette[i]) - cb;
            // Weighted towards green as the eye is.
            const int d = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
            if (d < bestDistance) {
                bestDistance = d;
                bestIndex = static_cast<int>(i);
            }
        }
        nearest[key] = static_cast<std::uint16_t>(bestIndex);
        return static_cast<std::uint8_t>(bestIndex);
    };

    // Errors in sixteenths, for this row and the next, with a guard cell at each end.
    std::vector<int> current(static_cast<std::size_t>(width + 2) * 3, 0);
    std::vector<int> next(current.size(), 0);
    std::size_t at = 0;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < width; ++x) {
            const std::size_t e = static_cast<std::size_t>(x + 1) * 3;
            const std::array<int, 3> wanted{
                std::clamp(qRed(row[x]) + current[e] / 16, 0, 255),
                std::clamp(qGreen(row[x]) + current[e + 1] / 16, 0, 255),
                std::clamp(qBlue(row[x]) + current[e + 2] / 16, 0, 255)};
            const std::uint8_t index = lookup(wanted[0], wanted[1], wanted[2]);
            out.Indices[at++] = index;
            const QRgb got = out.Palette[index];
            const std::array<int, 3> error{wanted[0] - qRed(got), wanted[1] - qGreen(got),
                                           wanted[2] - qBlue(got)};
            for (int c = 0; c < 3; ++c) {
                current[e + 3 + c] += error[c] * 7;
                next[e - 3 + c] += error[c] * 3;
                next[e + c] += error[c] * 5;
                next[e + 3 + c] += error[c];
            }
        }
        std::swap(current, next);
    }
}

// ---- writing ----------------------------------------------------------------------

// What giflib writes through: the file, and the first failure's own words, which are
// worth more than giflib's "Failed to write to given file".
struct GifSink {
    explicit GifSink(const QString& target) : File(target) {}
    FileWriter File;
    QString Failure;
};

int WriteToSink(GifFileType* gif, const GifByteType* data, int length) {
    auto* sink = static_cast<GifSink*>(gif->UserData);
    try {
        sink->File.Write(reinterpret_cast<const char*>(data), length);
        return length;
    } catch (const FileError& e) { // nothing may be thrown through giflib
        if (sink->Failure.isEmpty()) sink->Failure = e.Message();
        return 0;
    }
}

struct EncoderCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};
using EncoderHandle = std::unique_ptr<GifFileType, EncoderCloser>;

struct MapCloser {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

[[noreturn]] void WriteFailure(const QString& target, int code, const GifSink* sink = nullptr) {
    if (sink && !sink->Failure.isEmpty()) throw FileError(sink->Failure);
    const char* text = GifErrorString(code);
    throw FileError(QStringLiteral("Cannot write %1: %2")
                        .arg(target, text ? QString::fromLatin1(text)
                                          : QStringLiteral("GIF error %1").arg(code)));
}

void PutLoopForever(GifFileType* gif, const QString& target) {
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A',
                                              'P', 'E', '2', '.', '0'};
    static const GifByteType repeatForever[] = {1, 0, 0}; // sub-block 1, repeat count 0
    if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof application, application) == GIF_ERROR ||
        EGifPutExtensionBlock(gif, sizeof repeatForever, repeatForever) == GIF_ERROR ||
        EGifPutExtensionTrailer(gif) == GIF_ERROR)
        WriteFailure(target, gif->Error, static_cast<const GifSink*>(gif->UserData));
}

void PutFrame(GifFileType* gif, const IndexedPicture& frame, int delay, const QString& target) {
    GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    const std::size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) ==
        GIF_ERROR)
        WriteFailure(target, gif->Error, static_cast<const GifSink*>(gif->UserData));

    // The colour table's size is a power of two, at least 2.
    int size = 2;
    while (size < static_cast<int>(frame.Palette.size()))
        size *= 2;
    std::vector<GifColorType> colours(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < frame.Palette.size(); ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(qRed(frame.Palette[i])),
                                  static_cast<GifByteType>(qGreen(frame.Palette[i])),
                                  static_cast<GifByteType>(qBlue(frame.Palette[i]))};
    const std::unique_ptr<ColorMapObject, MapCloser> map(GifMakeMapObject(size, colours.data()));
    if (!map) throw FileError(QStringLiteral("Not enough memory for the GIF colour table"));
    if (EGifPutImageDesc(gif, 0, 0, frame.Width, frame.Height, false, map.get()) == GIF_ERROR)
        WriteFailure(target, gif->Error, static_cast<const GifSink*>(gif->UserData));
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int y = 0; y < frame.Height; ++y) {
        std::copy_n(frame.Indices.begin() + static_cast<std::ptrdiff_t>(y) * frame.Width,
                    frame.Width, line.begin());
        if (EGifPutLine(gif, line.data(), frame.Width) == GIF_ERROR)
            WriteFailure(target, gif->Error, static_cast<const GifSink*>(gif->UserData));
    }
}

QImage DecodeFrame(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (name.contains(QLatin1String("jpg"))) return DecodeJpegFile(path);
    return DecodeGifFile(path);
}

} // namespace

IndexedPicture ReduceColours(const QImage& source) {
    const QImage picture = source.format() == QImage::Format_RGB32
                               ? source
                               : source.convertToFormat(QImage::Format_RGB32);
    IndexedPicture out;
    out.Width = picture.width();
    out.Height = picture.height();
    out.Indices.assign(static_cast<std::size_t>(out.Width) * static_cast<std::size_t>(out.Height),
                       0);
    if (ExactColours(picture, out)) {
        if (out.Palette.empty()) out.Palette.push_back(qRgb(255, 255, 255));
        return out;
    }
    out.Palette = MedianCutPalette(picture);
    Dither(picture, out);
    return out;
}

std::vector<int> LoopDelays(int frames, int loopSpeedMs, int dwellSpeedMs) {
    std::vector<int> delays(static_cast<std::size_t>(std::max(frames, 0)),
                            static_cast<int>(std::lround(loopSpeedMs / 10.0)));
    if (!delays.empty())
        delays.back() = static_cast<int>(std::lround((loopSpeedMs + dwellSpeedMs) / 10.0));
    return delays;
}

ExportOutcome ExportGif(int count, const std::function<QImage(int)>& frameAt,
                        const std::vector<int>& delays, const QString& target,
                        const ExportProgress& progress) {
    if (count <= 0) throw DataError(QStringLiteral("There are no frames to export"));
    if (progress && !progress(0, count)) return ExportOutcome::Cancelled;

    // Written beside the target and put in its place only when complete.
    GifSink sink(target);
    {
        int error = 0;
        EncoderHandle gif(EGifOpen(&sink, WriteToSink, &error));
        if (!gif) WriteFailure(target, error);
        EGifSetGifVersion(gif.get(), true);
        QSize screen;
        for (int i = 0; i < count; ++i) {
            QImage picture = frameAt(i);
            if (i == 0) {
                screen = picture.size();
                if (EGifPutScreenDesc(gif.get(), screen.width(), screen.height(), 8, 0, nullptr) ==
                    GIF_ERROR)
                    WriteFailure(target, gif->Error, static_cast<const GifSink*>(gif->UserData));
                PutLoopForever(gif.get(), target);
            } else if (picture.size() != screen) {
                QImage fitted(screen, QImage::Format_RGB32);
                fitted.fill(Qt::white);
                QPainter painter(&fitted);
                painter.drawImage(0, 0, picture);
                painter.end();
                picture = fitted;
            }
            const int delay = static_cast<std::size_t>(i) < delays.size()
                                  ? delays[static_cast<std::size_t>(i)]
                                  : (delays.empty() ? 0 : delays.back());
            PutFrame(gif.get(), ReduceColours(picture), delay, target);
            if (progress && !progress(i + 1, count)) {
                // The sink's temporary goes with it; the earlier file stays.
                return ExportOutcome::Cancelled;
            }
        }
        int closeError = 0;
        GifFileType* raw = gif.release();
        if (EGifCloseFile(raw, &closeError) == GIF_ERROR) WriteFailure(target, closeError, &sink);
    }
    sink.File.Commit();
    return ExportOutcome::Written;
}

ExportOutcome ExportLoopGif(const QStringList& paths, int loopSpeedMs, int dwellSpeedMs,
                            const QString& target, const ExportProgress& progress) {
    // The same rule as the frame display: only names that say jpg or gif are pictures.
    QStringList frames;
    for (const QString& path : paths) {
        const QString name = QFileInfo(path).fileName();
        if (name.contains(QLatin1String("jpg")) || name.contains(QLatin1String("gif")))
            frames << path;
    }
    const int total = static_cast<int>(frames.size());
    return ExportGif(
        total, [&frames](int i) { return DecodeFrame(frames[i]); },
        LoopDelays(total, loopSpeedMs, dwellSpeedMs), target, progress);
}

} // namespace nimbrel
