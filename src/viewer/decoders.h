#pragma once
// Decoders for the chart frames, soundings and the station map. Files come from a data
// disc and are not trusted: a stated size beyond the limits below is refused before
// anything is allocated, and every failure is a DataError with a readable message.
#include <cstdint>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QString>

namespace nimbrel {

/// Largest width or height accepted. Real charts are about 1000 x 800 pixels; the bound
/// leaves ample room for larger products and still refuses the absurd sizes a damaged
/// or hostile header can claim.
inline constexpr int MaxImageSide = 8192;
/// Largest pixel count accepted (64 MB as a 32-bit picture).
inline constexpr std::int64_t MaxImagePixels = 4096LL * 4096LL;
/// Largest image file read at all.
inline constexpr std::int64_t MaxImageFileBytes = 256LL * 1024 * 1024;
/// Largest number of progressive JPEG scans decoded; real files have about ten, and a
/// file with thousands is built to make the decoder spin.
inline constexpr int MaxJpegScans = 256;

/// True when a picture of this size may be allocated.
bool ImageSizeAcceptable(std::int64_t width, std::int64_t height);

/// Decodes the first image of a GIF file into Format_RGB32.
/// - The picture has the logical screen's size (the image's own extent when the screen
///   is given as empty); the image is drawn at its offset within it.
/// - Pixels the image does not cover and transparent pixels are white, the colour of an
///   empty view.
/// - Interlaced rows are put in their places; the image's own colour table is used when
///   it has one, otherwise the global one; an index beyond the table is black.
/// - Data that ends early keeps the rows decoded so far (the rest white); data that
///   fails before the first complete row is an error.
/// How a decoder takes a file that ends early or is damaged part-way: the program shows
/// what could be decoded; the kit's checks refuse it (DataError "decoded only partly").
enum class Decoding { Lenient, Strict };

QImage DecodeGif(const QByteArray& bytes, Decoding mode = Decoding::Lenient);

/// Most pixels the frames of one animation may hold together (eight largest charts).
inline constexpr std::int64_t MaxAnimationPixels = 8 * MaxImagePixels;

/// Every frame of a GIF animation as shown in turn, and how long each stays.
struct GifAnimation {
    std::vector<QImage> Frames; ///< whole pictures of the logical screen's size
    std::vector<int> DelaysMs;  ///< each frame's delay, milliseconds (0 when not given)
};
/// Decodes every image of a GIF as DecodeGif decodes the first: each is drawn over
/// the picture left by the one before (transparent pixels keep it) and then disposed
/// of as its control block says (restore to white, or to the picture before it). A
/// file cut short keeps the frames decoded so far.
GifAnimation DecodeGifAnimation(const QByteArray& bytes);

/// Decodes a JPEG file into Format_RGB32: colour, grayscale and CMYK/YCCK (read as the
/// inverted form Adobe applications write). A file cut short keeps what was decoded,
/// the remainder grey as the decoding library fills it.
QImage DecodeJpeg(const QByteArray& bytes, Decoding mode = Decoding::Lenient);

/// Reads and decodes a file. A missing file is FileNotFound ("File not found");
/// decoding failures are DataError naming the file.
QImage DecodeGifFile(const QString& path, Decoding mode = Decoding::Lenient);
QImage DecodeJpegFile(const QString& path, Decoding mode = Decoding::Lenient);

} // namespace nimbrel
