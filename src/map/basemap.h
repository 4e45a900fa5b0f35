#pragma once
// The geographic background of the target map: two line layers and an outline layer
// drawn from the vector files of the per-user folder, kept as a bitmap cache together
// with the view it was drawn for, so that a refresh of an unchanged view is one load.
#include <cstdint>
#include <functional>

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

#include "map/projection.h"

class QPainter;

namespace nimbrel {

inline const QString FineLinesFile = QStringLiteral("nimbrel.cgf");
inline const QString BoldLinesFile = QStringLiteral("nimbrel.pr1");
inline const QString OutlinesFile = QStringLiteral("nimbrel.gis");
inline const QString CachedBitmapFile = QStringLiteral("nimbrel.mpp");
inline const QString CachedViewFile = QStringLiteral("nimbrel.mpd");

/// What the window does around a drawing from the vector files.
struct BasemapHooks {
    std::function<void()> BeginBusy;     ///< before drawing afresh (busy cursor)
    std::function<void()> EndBusy;       ///< after a complete drawing, before the cache is written
    std::function<void()> ProcessEvents; ///< once per completed outline
};

/// What is drawn over the geography of the vector files (city names, a scale bar), so that
/// the cache holds it too. `Stamp` tells one such drawing from another: it is kept in the
/// cache's descriptor file (in its reserved bytes from offset 108, zero when nothing is
/// drawn over the geography, so a cache of the bare geography reads as before), and a
/// cache drawn with another stamp is no match.
struct BasemapExtras {
    std::function<void(QPainter&, const ProjectionDescriptor&)> Draw;
    std::uint32_t Stamp = 0;
    /// Device pixels per map pixel: the bitmap is drawn this much finer (its
    /// devicePixelRatio set, the view and every layer still in map pixels). Part of what
    /// the stamp must tell apart.
    double PixelRatio = 1.0;
};
/// Where the stamp of the extras sits in "nimbrel.mpd".
inline constexpr int CachedExtrasOffset = 108;

/// The cached background as last read from or written to "nimbrel.mpp", with the view it
/// was drawn for and the file's size and time stamp then: while the descriptor file still
/// matches and the bitmap file is unchanged, a refresh takes the picture from here
/// instead of reading the file again.
struct BasemapMemory {
    QString BitmapPath;
    ProjectionDescriptor View;
    qint64 FileSize = -1;
    QDateTime FileModified;
    QImage Picture;
    std::uint32_t Stamp = 0;
};

/// True when "nimbrel.mpp" and "nimbrel.mpd" exist in `appData` and the stored view has
/// exactly the centre, scale, height and width of `viewport` and the extras' `stamp`. An
/// unreadable or short descriptor file is simply no match.
bool BasemapCacheMatches(const QString& appData, const ProjectionDescriptor& viewport,
                         std::uint32_t stamp = 0);

/// Leaves the background for `viewport` in `bitmap`. With a matching cache the cached
/// bitmap is loaded and `viewport` is untouched; returns true. Otherwise the view takes
/// `clientSize` (at least 1 x 1) as its Height and Width, the layers are drawn afresh and,
/// only when all three files were drawn completely, both cache files are rewritten;
/// returns false. A missing or malformed vector file throws (FileNotFound, FileError,
/// DataError); what was drawn before stays in `bitmap` and the cache files are untouched.
/// A cache bitmap that cannot be read back, or whose size disagrees with its view, is
/// treated as no cache and the map is drawn afresh. `memory` (optional) keeps the cached
/// picture between refreshes of an unchanged view. `extras` are drawn over the geography
/// of a complete drawing and belong to its cache.
bool DrawBasemap(const QString& appData, ProjectionDescriptor& viewport, QSize clientSize,
                 QImage& bitmap, const BasemapHooks& hooks = {}, BasemapMemory* memory = nullptr,
                 const BasemapExtras& extras = {});

/// Draws one line-layer file (4-byte records: latitude x 100, longitude x 100 west
/// positive) with the painter's pen. `previous` is the last pixel drawn to; it starts at
/// (-9999, -9999) for the first file and carries over to the next one.
void DrawLineLayer(QPainter& painter, const QString& path, const ProjectionDescriptor& viewport,
                   PixelPoint& previous);

/// Draws the outline file (6-byte records: code, latitude and longitude in minutes of arc,
/// east positive) as closed polygons with the painter's pen and brush; a code of 1000 or
/// more starts an outline. `processEvents` (may be empty) runs after each outline but the
/// last.
void DrawOutlineLayer(QPainter& painter, const QString& path, const ProjectionDescriptor& viewport,
                      const std::function<void()>& processEvents = {});

/// The geography of the basemap in its order and colours: the fine and bold line layers,
/// then the outlines, from the files in `appData`, with no brush.
void DrawGeography(QPainter& painter, const QString& appData, const ProjectionDescriptor& viewport,
                   const std::function<void()>& processEvents = {});

/// Writes an RGB32 image as an uncompressed 32-bit-per-pixel bottom-up BMP file.
void SaveBitmap32(const QString& path, const QImage& image);
/// Reads a file written by SaveBitmap32; a null image for anything else (missing file,
/// other BMP flavours, a header that disagrees with the file's length).
QImage LoadBitmap32(const QString& path);

} // namespace nimbrel
