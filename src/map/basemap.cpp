#include "map/basemap.h"

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel {
namespace {

constexpr std::size_t LineRecordSize = 4;
constexpr std::size_t OutlineRecordSize = 6;
constexpr int OutlineStoreStep = 1000;
constexpr int OutlineJumpPixels = 1000;
constexpr std::int16_t OutlineStartCode = 1000;

std::int16_t Int16At(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

// Calls `onRecord` for every whole record of the file, reading it in blocks so that a
// large vector file never has to fit in memory at once. A file that ends in a fragment
// shorter than a record throws after all whole records were handled, so that what they
// drew stays.
template <typename OnRecord>
void ForEachRecord(const QString& path, std::size_t recordSize, OnRecord onRecord) {
    QFile file;
    OpenForReading(file, path, MaxVectorFileBytes);
    const qint64 blockSize = static_cast<qint64>(recordSize) * 16384;
    std::vector<std::uint8_t> block(static_cast<std::size_t>(blockSize));
    qint64 carried = 0; // bytes of an incomplete record kept at the start of the block
    for (;;) {
        const qint64 got =
            file.read(reinterpret_cast<char*>(block.data()) + carried, blockSize - carried);
        if (got < 0) throw FileError(QStringLiteral("Read error on \"%1\"").arg(path));
        if (got == 0) break;
        const qint64 available = carried + got;
        const qint64 whole = available / static_cast<qint64>(recordSize);
        for (qint64 i = 0; i < whole; ++i)
            onRecord(block.data() + i * recordSize);
        carried = available - whole * static_cast<qint64>(recordSize);
        if (carried > 0)
            std::memmove(block.data(), block.data() + whole * recordSize,
                         static_cast<std::size_t>(carried));
    }
    if (carried != 0)
        throw DataError(
            QStringLiteral("Read beyond end of file: \"%1\" ends with a record cut short")
                .arg(path));
}

bool IsPenUp(std::int16_t first) {
    return first == -9999 || first == 9999 || first == -1 || first == -100 || first == 0;
}

// Runs the end-of-busy hook once, whether the drawing completes or throws.
class BusyScope {
public:
    explicit BusyScope(const BasemapHooks& hooks) : hooks_(hooks) {
        if (hooks_.BeginBusy) hooks_.BeginBusy();
    }
    ~BusyScope() { End(); }
    void End() {
        if (active_ && hooks_.EndBusy) hooks_.EndBusy();
        active_ = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    const BasemapHooks& hooks_;
    bool active_ = true;
};

void StoreLE32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void StoreLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
std::uint32_t LoadLE32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
std::uint16_t LoadLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr int BmpHeaderSize = 54;    // file header 14 + info header 40
constexpr int MaxBitmapSide = 32767; // far beyond any map area
constexpr qint64 MaxBitmapPixels = qint64(64) * 1024 * 1024;

} // namespace

void DrawLineLayer(QPainter& painter, const QString& path, const ProjectionDescriptor& viewport,
                   PixelPoint& previous) {
    // Consecutive joined segments are gathered and drawn as one polyline: the same
    // pixels as segment by segment, at a fraction of the cost.
    std::vector<QPoint> run;
    auto flush = [&] {
        if (run.size() >= 2) painter.drawPolyline(run.data(), static_cast<int>(run.size()));
        run.clear();
    };
    bool lineBreak = true;
    const int height = viewport.Height, width = viewport.Width;
    try {
        ForEachRecord(path, LineRecordSize, [&](const std::uint8_t* rec) {
            const std::int16_t first = Int16At(rec);
            if (IsPenUp(first)) {
                lineBreak = true;
                return;
            }
            const std::int16_t second = Int16At(rec + 2);
            const PixelPoint cur =
                ProjectToScreen(viewport, GeoPoint{first / 100.0, -second / 100.0});
            // A line leaving one edge and coming back in at the opposite edge has wrapped
            // round the globe (or met the off-map marker) and must not cross the map.
            if ((previous.Y <= 0 && cur.Y > height) || (previous.Y > height && cur.Y <= 0))
                lineBreak = true;
            if ((previous.X <= 0 && cur.X > width) || (previous.X > width && cur.X <= 0))
                lineBreak = true;
            if (lineBreak) {
                flush();
                previous = cur;
                lineBreak = false;
            }
            if (run.empty()) run.emplace_back(previous.X, previous.Y);
            // A segment of length zero draws nothing; the run simply goes on from here.
            if (!(cur == previous)) run.emplace_back(cur.X, cur.Y);
            previous = cur;
        });
    } catch (...) {
        flush();
        throw;
    }
    flush();
}

void DrawGeography(QPainter& painter, const QString& appData, const ProjectionDescriptor& viewport,
                   const std::function<void()>& processEvents) {
    PixelPoint previous{MissingPixel, MissingPixel};
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(204, 204, 204), 1, Qt::SolidLine));
    DrawLineLayer(painter, appData + FineLinesFile, viewport, previous);
    painter.setPen(QPen(QColor(221, 204, 170), 2, Qt::SolidLine));
    DrawLineLayer(painter, appData + BoldLinesFile, viewport, previous);
    painter.setPen(QPen(QColor(119, 119, 119), 2, Qt::SolidLine));
    DrawOutlineLayer(painter, appData + OutlinesFile, viewport, processEvents);
}

void DrawOutlineLayer(QPainter& painter, const QString& path, const ProjectionDescriptor& viewport,
                      const std::function<void()>& processEvents) {
    // One outline at a time; the store is reused and grows in steps.
    std::vector<QPoint> store;
    store.reserve(OutlineStoreStep);
    int count = 0;
    bool firstOutline = true;
    std::int32_t previousX = MissingPixel;
    auto drawGathered = [&] {
        // Fewer than two points make no outline.
        if (count >= 2) painter.drawPolygon(store.data(), count);
    };
    ForEachRecord(path, OutlineRecordSize, [&](const std::uint8_t* rec) {
        const std::int16_t code = Int16At(rec);
        if (code >= OutlineStartCode) {
            if (firstOutline) {
                firstOutline = false;
            } else {
                drawGathered();
                if (processEvents) processEvents();
            }
            count = 0;
        }
        PixelPoint cur =
            ProjectToScreen(viewport, GeoPoint{Int16At(rec + 2) / 60.0, Int16At(rec + 4) / 60.0});
        // A jump across most of the map means the outline went round the globe's rim;
        // once that happened the rest of the outline is dropped (its X stays far from
        // the marker kept as the previous X).
        if (count > 1 && std::abs(cur.X - previousX) > OutlineJumpPixels)
            cur = PixelPoint{MissingPixel, MissingPixel};
        if (cur.X != MissingPixel && cur.X != 9999) {
            if (count == static_cast<int>(store.size())) {
                if (store.size() == store.capacity())
                    store.reserve(store.capacity() + OutlineStoreStep);
                store.emplace_back();
            }
            store[static_cast<std::size_t>(count)] = QPoint(cur.X, cur.Y);
            ++count;
        }
        previousX = cur.X;
    });
    drawGathered();
}

namespace {

// Exact comparison on purpose: a view reached by the same pans and zooms gives the
// same doubles, and anything else must be drawn.
bool SameView(const ProjectionDescriptor& a, const ProjectionDescriptor& b) {
    return a.CentreLatitude == b.CentreLatitude && a.CentreLongitude == b.CentreLongitude &&
           a.Scale == b.Scale && a.Height == b.Height && a.Width == b.Width;
}

/// A length in map pixels as device pixels.
int Device(int mapPixels, double pixelRatio) {
    return static_cast<int>(std::lround(mapPixels * pixelRatio));
}

std::uint32_t StampOf(const QByteArray& descriptorBytes) {
    const auto* p =
        reinterpret_cast<const std::uint8_t*>(descriptorBytes.constData()) + CachedExtrasOffset;
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

QByteArray WithStamp(QByteArray descriptorBytes, std::uint32_t stamp) {
    for (int i = 0; i < 4; ++i)
        descriptorBytes[CachedExtrasOffset + i] = static_cast<char>((stamp >> (8 * i)) & 0xFF);
    return descriptorBytes;
}

} // namespace

bool BasemapCacheMatches(const QString& appData, const ProjectionDescriptor& viewport,
                         std::uint32_t stamp) {
    const QString bitmapPath = appData + CachedBitmapFile;
    const QString viewPath = appData + CachedViewFile;
    if (!QFileInfo::exists(bitmapPath) || !QFileInfo::exists(viewPath)) return false;
    ProjectionDescriptor stored;
    QByteArray bytes;
    try {
        bytes = ReadWholeFile(viewPath);
        stored = ProjectionDescriptor::FromBytes(bytes);
    } catch (const FileError&) {
        return false;
    }
    return SameView(stored, viewport) && StampOf(bytes) == stamp;
}

bool DrawBasemap(const QString& appData, ProjectionDescriptor& viewport, QSize clientSize,
                 QImage& bitmap, const BasemapHooks& hooks, BasemapMemory* memory,
                 const BasemapExtras& extras) {
    const QString bitmapPath = appData + CachedBitmapFile;
    if (BasemapCacheMatches(appData, viewport, extras.Stamp)) {
        const QFileInfo file(bitmapPath);
        if (memory && memory->BitmapPath == bitmapPath && SameView(memory->View, viewport) &&
            memory->Stamp == extras.Stamp && memory->FileSize == file.size() &&
            memory->FileModified == file.lastModified() && !memory->Picture.isNull()) {
            bitmap = memory->Picture;
            return true;
        }
        QImage cached = LoadBitmap32(bitmapPath);
        if (!cached.isNull() && cached.width() == Device(viewport.Width, extras.PixelRatio) &&
            cached.height() == Device(viewport.Height, extras.PixelRatio)) {
            cached.setDevicePixelRatio(extras.PixelRatio);
            if (memory)
                *memory = {bitmapPath,          viewport, file.size(),
                           file.lastModified(), cached,   extras.Stamp};
            bitmap = cached;
            return true;
        }
    }
    if (memory) *memory = BasemapMemory();

    BusyScope busy(hooks);
    viewport.Height = std::max(1, clientSize.height());
    viewport.Width = std::max(1, clientSize.width());
    // The drawing works on its own copy of the view: the cache must describe the view
    // the bitmap was drawn with, even if the session's view changes while events are
    // processed between outlines.
    const ProjectionDescriptor view = viewport;
    QImage canvas(Device(view.Width, extras.PixelRatio), Device(view.Height, extras.PixelRatio),
                  QImage::Format_RGB32);
    canvas.setDevicePixelRatio(extras.PixelRatio);
    try {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.fillRect(canvas.rect(), Qt::white);
        DrawGeography(p, appData, view, hooks.ProcessEvents);
        if (extras.Draw) extras.Draw(p, view);
    } catch (...) {
        bitmap = canvas; // what was drawn so far stays on show
        throw;
    }
    bitmap = canvas;
    busy.End();

    // The old descriptor goes first: if writing the bitmap fails half-way, no descriptor
    // can vouch for it and the next refresh draws afresh. The cache only saves time: a
    // folder that refuses it (read-only or full, said once at start) costs a redraw.
    QFile::remove(appData + CachedViewFile);
    try {
        SaveBitmap32(bitmapPath, canvas);
        WriteWholeFile(appData + CachedViewFile, WithStamp(view.ToBytes(), extras.Stamp));
    } catch (const FileError&) {
        QFile::remove(appData + CachedViewFile);
        return false;
    }
    if (memory) {
        const QFileInfo file(bitmapPath);
        *memory = {bitmapPath, view, file.size(), file.lastModified(), canvas, extras.Stamp};
    }
    return false;
}

void SaveBitmap32(const QString& path, const QImage& image) {
    const QImage img = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const std::uint32_t rowBytes = static_cast<std::uint32_t>(w) * 4;
    const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(h);
    std::uint8_t header[BmpHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    StoreLE32(header + 2, BmpHeaderSize + pixelBytes);
    StoreLE32(header + 10, BmpHeaderSize);
    StoreLE32(header + 14, 40);
    StoreLE32(header + 18, static_cast<std::uint32_t>(w));
    StoreLE32(header + 22, static_cast<std::uint32_t>(h)); // positive: rows bottom-up
    StoreLE16(header + 26, 1);
    StoreLE16(header + 28, 32);
    StoreLE32(header + 30, 0); // uncompressed
    StoreLE32(header + 34, pixelBytes);
    StoreLE32(header + 38, 2835); // 72 dpi
    StoreLE32(header + 42, 2835);

    // The whole file is put together in memory and written with one call.
    QByteArray bytes(static_cast<qsizetype>(BmpHeaderSize) + static_cast<qsizetype>(pixelBytes),
                     Qt::Uninitialized);
    auto* out = reinterpret_cast<std::uint8_t*>(bytes.data());
    std::memcpy(out, header, BmpHeaderSize);
    out += BmpHeaderSize;
    for (int y = h - 1; y >= 0; --y, out += rowBytes) {
        // RGB32 pixels are 0xAARRGGBB words; the file wants them as little-endian words.
        const auto* src = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(out, src, rowBytes);
        } else {
            for (int x = 0; x < w; ++x)
                StoreLE32(out + 4 * static_cast<std::size_t>(x), src[x]);
        }
    }
    WriteWholeFile(path, bytes);
}

QImage LoadBitmap32(const QString& path) {
    QFile file;
    try {
        OpenForReading(file, path, BmpHeaderSize + qint64(MaxBitmapPixels) * 4);
    } catch (const FileError&) {
        return {};
    }
    std::uint8_t header[BmpHeaderSize];
    if (file.read(reinterpret_cast<char*>(header), BmpHeaderSize) != BmpHeaderSize) return {};
    const std::int32_t w = static_cast<std::int32_t>(LoadLE32(header + 18));
    const std::int32_t h = static_cast<std::int32_t>(LoadLE32(header + 22));
    if (header[0] != 'B' || header[1] != 'M' || LoadLE32(header + 10) != BmpHeaderSize ||
        LoadLE32(header + 14) != 40 || LoadLE16(header + 26) != 1 || LoadLE16(header + 28) != 32 ||
        LoadLE32(header + 30) != 0)
        return {};
    if (w < 1 || h < 1 || w > MaxBitmapSide || h > MaxBitmapSide || qint64(w) * h > MaxBitmapPixels)
        return {};
    const qint64 rowBytes = qint64(w) * 4;
    if (file.size() != BmpHeaderSize + rowBytes * h) return {};
    const QByteArray pixels = file.read(rowBytes * h);
    if (pixels.size() != rowBytes * h) return {};
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull()) return {};
    // One pass from the file's bytes to the picture: rows turned right way up, and the
    // fourth byte, unused in the file, made opaque as RGB32 wants it.
    const auto* in = reinterpret_cast<const std::uint8_t*>(pixels.constData());
    for (int y = h - 1; y >= 0; --y, in += rowBytes) {
        auto* dst = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            std::uint32_t v = 0;
            if constexpr (std::endian::native == std::endian::little)
                std::memcpy(&v, in + 4 * static_cast<std::size_t>(x), 4);
            else
                v = LoadLE32(in + 4 * static_cast<std::size_t>(x));
            dst[x] = v | 0xFF000000u;
        }
    }
    return img;
}

} // namespace nimbrel
