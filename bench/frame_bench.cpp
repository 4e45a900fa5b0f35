// Speed of one loop-player step: decode a 1000 x 800 chart frame and make it the view's
// picture, for a GIF and a JPEG, beside Qt's own image readers doing the same. The
// frames are generated here: a satellite-like field of clouds with chart lines over it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gif_lib.h>

#include "viewer/decoders.h"

using namespace nimbrel;

namespace {

constexpr int Width = 1000;
constexpr int Height = 800;

// Palette index of every pixel: smooth value noise for cloud brightness (0-223) and
// 32 chart colours (224-255) for contour lines and a grid.
std::vector<unsigned char> ChartIndices() {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(Width) * Height);
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) & 0xFFFF;
    };
    constexpr int Cell = 40;
    const int gw = Width / Cell + 2, gh = Height / Cell + 2;
    std::vector<double> grid(static_cast<std::size_t>(gw) * gh);
    for (double& g : grid)
        g = next() / 65535.0;
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const int cx = x / Cell, cy = y / Cell;
            const double fx = (x % Cell) / double(Cell), fy = (y % Cell) / double(Cell);
            auto at = [&](int i, int j) { return grid[static_cast<std::size_t>(j) * gw + i]; };
            const double top = at(cx, cy) * (1 - fx) + at(cx + 1, cy) * fx;
            const double bottom = at(cx, cy + 1) * (1 - fx) + at(cx + 1, cy + 1) * fx;
            double v = top * (1 - fy) + bottom * fy;
            v += (next() % 16) / 255.0; // sensor noise
            unsigned char index = static_cast<unsigned char>(std::min(223.0, v * 223.0));
            const double height = std::sin(x / 90.0) * 40 + std::cos(y / 70.0) * 40 + y * 0.3;
            if (std::fmod(std::abs(height), 30.0) < 1.2)
                index = static_cast<unsigned char>(224 + (x / 100) % 32);
            if (x % 100 == 0 || y % 100 == 0) index = 255;
            pixels[static_cast<std::size_t>(y) * Width + x] = index;
        }
    }
    return pixels;
}

QRgb PaletteColour(int i) {
    if (i < 224) {
        const int g = i * 255 / 223;
        return qRgb(g, g, g);
    }
    return qRgb((i * 53) % 256, (i * 97) % 256, (i * 151) % 256);
}

int WriteToArray(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

QByteArray EncodeGif(const std::vector<unsigned char>& pixels) {
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToArray, &error);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) {
        const QRgb c = PaletteColour(i);
        colours[i] =
            GifColorType{static_cast<GifByteType>(qRed(c)), static_cast<GifByteType>(qGreen(c)),
                         static_cast<GifByteType>(qBlue(c))};
    }
    ColorMapObject* map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(gif, Width, Height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, Width, Height, false, nullptr);
    std::vector<GifPixelType> row(Width);
    for (int y = 0; y < Height; ++y) {
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * Width, Width, row.begin());
        EGifPutLine(gif, row.data(), Width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

struct Frames {
    QTemporaryDir Dir;
    QString Gif, Jpeg;
    Frames() {
        const std::vector<unsigned char> pixels = ChartIndices();
        Gif = Dir.path() + QStringLiteral("/satv-790410-1800.gif");
        Jpeg = Dir.path() + QStringLiteral("/satv-790410-1800.jpg");
        QFile gif(Gif);
        gif.open(QIODevice::WriteOnly);
        gif.write(EncodeGif(pixels));
        gif.close();
        QImage rgb(Width, Height, QImage::Format_RGB32);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                rgb.setPixel(x, y, PaletteColour(pixels[static_cast<std::size_t>(y) * Width + x]));
        rgb.save(Jpeg, "JPEG", 85);
    }
};

Frames& TheFrames() {
    static Frames frames;
    return frames;
}

// The view keeps a 32-bit picture; a step ends when the decoded frame is that picture.
void Show(QImage& view, const QImage& decoded) {
    view = decoded.convertToFormat(QImage::Format_RGB32);
    benchmark::DoNotOptimize(view.constBits());
}

void OurGifStep(benchmark::State& state) {
    QImage view;
    for (auto _ : state)
        Show(view, DecodeGifFile(TheFrames().Gif));
}

void QtGifStep(benchmark::State& state) {
    QImage view;
    for (auto _ : state) {
        QImageReader reader(TheFrames().Gif, "gif");
        Show(view, reader.read());
    }
}

void OurJpegStep(benchmark::State& state) {
    QImage view;
    for (auto _ : state)
        Show(view, DecodeJpegFile(TheFrames().Jpeg));
}

void QtJpegStep(benchmark::State& state) {
    QImage view;
    for (auto _ : state) {
        QImageReader reader(TheFrames().Jpeg, "jpeg");
        Show(view, reader.read());
    }
}

} // namespace

BENCHMARK(OurGifStep)->Unit(benchmark::kMillisecond);
BENCHMARK(QtGifStep)->Unit(benchmark::kMillisecond);
BENCHMARK(OurJpegStep)->Unit(benchmark::kMillisecond);
BENCHMARK(QtJpegStep)->Unit(benchmark::kMillisecond);
