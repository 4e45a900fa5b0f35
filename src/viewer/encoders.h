#pragma once
// Encoders for chart frames, the counterparts of the decoders: GIF through giflib and
// JPEG through libjpeg, into memory, so that a caller can write the bytes where and
// how it needs (atomically, for a data disc).
#include <QByteArray>
#include <QImage>

namespace nimbrel {

/// A single-frame GIF of `image`. A picture of at most 256 colours keeps them exactly,
/// in a palette sorted by colour so that the same picture always gives the same bytes;
/// a picture of more colours is reduced to 256 first. Throws DataError for an empty
/// image or one beyond the decoders' size limits.
QByteArray EncodeGif(const QImage& image);

/// A baseline JPEG of `image` at `quality` (1-100).
QByteArray EncodeJpeg(const QImage& image, int quality = 80);

} // namespace nimbrel
