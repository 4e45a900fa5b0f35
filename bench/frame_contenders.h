#pragma once
// What the frame races put side by side: the program's own decoders as the loop player
// calls them, Qt's reader, and libjpeg-turbo used the cheapest way.
#include <vector>

#include <QImage>
#include <QSize>
#include <QString>

namespace nimbrel::bench {

bool IsGif(const QString& path);
/// DecodeGifFile / DecodeJpegFile, by the file's extension.
QImage Ours(const QString& path);
/// QImageReader with the format named, so no content sniffing is timed.
QImage Qts(const QString& path);
/// libjpeg-turbo decoding straight into the picture's rows in Qt's byte order; a null
/// picture when the file cannot be read.
QImage RawJpeg(const QString& path);
/// The first image of the GIF `original` written to `path` at `size`, with the same
/// colour table and every pixel taken from the nearest pixel of the original; rows stored
/// pass by pass when `interlaced`. `path` on success, empty otherwise.
QString ScaledGif(const QString& original, QSize size, bool interlaced, const QString& path);
/// The median of `v` (0 when empty); `v` is reordered.
double Median(std::vector<double> v);

} // namespace nimbrel::bench
