#pragma once
// Drawing and encoding for the data tools. Everything drawn here must come out byte for
// byte the same on every machine, so text uses a built-in 5 x 7 pixel font instead of the
// system's fonts, antialiasing stays off, and the GIF and JPEG files are written
// directly with giflib and libjpeg.
#include <QColor>
#include <QImage>
#include <QString>

namespace nimbrel::tools {

inline constexpr int GlyphWidth = 5;
inline constexpr int GlyphHeight = 7;

/// Width in pixels of `text` drawn at `scale` (one pixel of space between glyphs).
int TextWidth(const QString& text, int scale = 1);
/// Draws `text` with its top-left corner at (x, y); lower-case letters are drawn as
/// capitals and characters the font lacks as blanks.
void DrawText(QImage& image, int x, int y, const QString& text, QColor colour, int scale = 1);
/// True when the font has a glyph for `c` (after upper-casing); blank counts.
bool HasGlyph(QChar c);

/// Writes `image` as a single-frame GIF. The image may hold at most 256 distinct
/// colours (drawings without antialiasing do); the palette is sorted so that the same
/// picture always gives the same file. Throws FileError on failure.
void WriteGif(const QImage& image, const QString& path);
/// Writes `image` as a baseline JPEG of the given quality. Throws FileError on failure.
void WriteJpeg(const QImage& image, const QString& path, int quality = 80);

} // namespace nimbrel::tools
