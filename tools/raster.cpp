#include "raster.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include <QFile>

#include <gif_lib.h>
#include <jpeglib.h>

#include "base/errors.h"

namespace nimbrel::tools {
namespace {

struct Glyph {
    char Char;
    std::array<unsigned char, GlyphHeight> Rows; // 5 bits per row, bit 4 = leftmost
};

// The classic 5 x 7 dot-matrix shapes: capitals, digits and the punctuation that chart
// titles and station labels need.
constexpr Glyph Glyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
    {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* FindGlyph(QChar c) {
    const char ch = c.toUpper().toLatin1();
    for (const Glyph& g : Glyphs)
        if (g.Char == ch) return &g;
    return nullptr;
}

} // namespace

bool HasGlyph(QChar c) {
    return FindGlyph(c) != nullptr;
}

int TextWidth(const QString& text, int scale) {
    if (text.isEmpty()) return 0;
    return int(text.size()) * (GlyphWidth + 1) * scale - scale;
}

void DrawText(QImage& image, int x, int y, const QString& text, QColor colour, int scale) {
    const QRgb rgb = colour.rgb();
    int penX = x;
    for (QChar c : text) {
        if (const Glyph* g = FindGlyph(c)) {
            for (int row = 0; row < GlyphHeight; ++row)
                for (int col = 0; col < GlyphWidth; ++col) {
                    if (!(g->Rows[row] & (0x10 >> col))) continue;
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx) {
                            const int px = penX + col * scale + dx, py = y + row * scale + dy;
                            if (image.rect().contains(px, py)) image.setPixel(px, py, rgb);
                        }
                }
        }
        penX += (GlyphWidth + 1) * scale;
    }
}

void WriteGif(const QImage& source, const QString& path) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    // std::map keeps the colours sorted, which fixes the palette order.
    std::map<QRgb, int> colours;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            colours.emplace(line[x] & 0xFFFFFF, 0);
            if (colours.size() > 256)
                throw DataError(QStringLiteral("Too many colours for a GIF: ") + path);
        }
    }
    int bits = 1;
    while ((1 << bits) < int(colours.size()))
        ++bits;
    std::vector<GifColorType> palette(std::size_t(1) << bits, GifColorType{0, 0, 0});
    int index = 0;
    for (auto& [rgb, slot] : colours) {
        slot = index;
        palette[std::size_t(index)] =
            GifColorType{GifByteType(qRed(rgb)), GifByteType(qGreen(rgb)), GifByteType(qBlue(rgb))};
        ++index;
    }

    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.toLocal8Bit().constData(), false, &error);
    if (!gif) throw FileError(QStringLiteral("Cannot create ") + path);
    ColorMapObject* map = GifMakeMapObject(1 << bits, palette.data());
    bool ok = map &&
              EGifPutScreenDesc(gif, image.width(), image.height(), bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(std::size_t(image.width()));
    for (int y = 0; ok && y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[std::size_t(x)] = GifPixelType(colours[line[x] & 0xFFFFFF]);
        ok = EGifPutLine(gif, row.data(), image.width()) == GIF_OK;
    }
    if (map) GifFreeMapObject(map);
    if (EGifCloseFile(gif, &error) != GIF_OK) ok = false;
    if (!ok) throw FileError(QStringLiteral("Cannot write ") + path);
    // giflib creates its files readable by the owner only; shipped data is for everyone.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::ReadOther);
}

void WriteJpeg(const QImage& source, const QString& path, int quality) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    FILE* out = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!out) throw FileError(QStringLiteral("Cannot create ") + path);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, out);
    cinfo.image_width = JDIMENSION(image.width());
    cinfo.image_height = JDIMENSION(image.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const bool ok = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !ok) throw FileError(QStringLiteral("Cannot write ") + path);
}

} // namespace nimbrel::tools
