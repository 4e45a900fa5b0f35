// Speed of one loop-player step: decode a chart frame and make it the view's picture.
// Every case races three decoders on the same file in the same run, round after round
// in turn, so that the load of a shared machine falls on all three alike:
//   ours  DecodeGifFile / DecodeJpegFile, as the player calls them;
//   qt    Qt's QImageReader;
//   raw   the plain library: DGifSlurp and a palette loop, or libjpeg into the rows.
// The time reported is ours; the counters vs_qt and vs_raw are medians of the per-round
// ratios. The files are the sample disc's own frames of every kind (built with the
// program), the chart GIF scaled to four sizes, and the real images of the shared data
// folder when it is there.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gif_lib.h>

#include "base/errors.h"
#include "bench_main.h"
#include "frame_contenders.h"
#include "viewer/decoders.h"

using namespace nimbrel;
using bench::IsGif;
using bench::Median;
using bench::Ours;
using bench::Qts;
using bench::RawJpeg;

namespace {

// The view keeps a 32-bit picture; a step ends when the decoded frame is that picture.
void Show(QImage& view, const QImage& decoded) {
    view = decoded.convertToFormat(QImage::Format_RGB32);
    benchmark::DoNotOptimize(view.constBits());
}

QImage RawGif(const QString& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif) return {};
    QImage out;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        const int w = image.ImageDesc.Width, h = image.ImageDesc.Height;
        if (map && w > 0 && h > 0) {
            QRgb palette[256] = {};
            for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
                palette[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
            out = QImage(w, h, QImage::Format_RGB32);
            for (int y = 0; y < h; ++y) {
                auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
                const GifByteType* in = image.RasterBits + static_cast<std::ptrdiff_t>(y) * w;
                for (int x = 0; x < w; ++x)
                    row[x] = palette[in[x]];
            }
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

QImage Raw(const QString& path) {
    return IsGif(path) ? RawGif(path) : RawJpeg(path);
}

void Race(benchmark::State& state, const QString& path) {
    using Clock = std::chrono::steady_clock;
    QImage view;
    const std::function<QImage(const QString&)> contenders[3] = {Ours, Qts, Raw};
    std::vector<double> vsQt, vsRaw;
    int round = 0;
    for (auto _ : state) {
        double seconds[3] = {};
        for (int k = 0; k < 3; ++k) {
            const int who = (round + k) % 3; // each takes its turn at going first
            const Clock::time_point start = Clock::now();
            Show(view, contenders[who](path));
            seconds[who] = std::chrono::duration<double>(Clock::now() - start).count();
        }
        ++round;
        state.SetIterationTime(seconds[0]);
        vsQt.push_back(seconds[0] / seconds[1]);
        vsRaw.push_back(seconds[0] / seconds[2]);
    }
    state.counters["vs_qt"] = Median(vsQt);
    state.counters["vs_raw"] = Median(vsRaw);
    state.counters["pixels"] = view.width() * view.height();
}

// The sample disc's chart GIF at another size: the same four-colour table, every pixel
// taken from the nearest pixel of the original; interlaced when asked (the rows stored
// pass after pass, as such a file holds them).
QString ScaledChart(const QString& original, int width, int height, const QString& folder,
                    bool interlaced = false) {
    return bench::ScaledGif(original, QSize(width, height), interlaced,
                            folder + QStringLiteral("/hsfc-%1x%2%3.gif")
                                         .arg(width)
                                         .arg(height)
                                         .arg(interlaced ? QStringLiteral("i") : QString()));
}

QTemporaryDir& ScratchFolder() {
    static QTemporaryDir dir;
    return dir;
}

// Registers a race for each file; files no contender can decode are left out.
void RegisterFile(const QString& label, const QString& path) {
    try {
        if (Ours(path).isNull() || Qts(path).isNull() || Raw(path).isNull()) return;
    } catch (const FileError&) {
        return; // a damaged file of the collection: nothing to race on
    }
    benchmark::RegisterBenchmark(("FrameStep/" + label).toStdString().c_str(),
                                 [path](benchmark::State& s) { Race(s, path); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
}

void RegisterFrames() {
    // One frame of every kind from the built sample disc, at a time of day with clouds.
    const QString day = QStringLiteral(NIMBREL_BUILT_DATA "/disc/1979-04-10/");
    QString chartGif, chartJpeg;
    for (const char* prefix : {"satv", "hsfc", "h850", "h700", "h500", "h250", "skew"}) {
        const QStringList files =
            QDir(day).entryList({QLatin1String(prefix) + "*"}, QDir::Files, QDir::Name);
        if (files.isEmpty()) continue;
        const QString file = files.at(files.size() / 2);
        RegisterFile(QStringLiteral("disc/") + file, day + file);
        if (QLatin1String(prefix) == QLatin1String("hsfc")) chartGif = day + file;
        if (file.endsWith(QLatin1String(".jpg")) && chartJpeg.isEmpty()) chartJpeg = day + file;
    }
    // A JPEG chart at every size the view may meet, written by Qt's writer at its usual
    // quality from the disc's own frame.
    if (!chartJpeg.isEmpty()) {
        const QImage original = DecodeJpegFile(chartJpeg);
        for (const QSize size :
             {QSize(400, 300), QSize(800, 600), QSize(1600, 1200), QSize(3200, 2400)}) {
            const QString scaled =
                ScratchFolder().path() +
                QStringLiteral("/chart-%1x%2.jpg").arg(size.width()).arg(size.height());
            if (original.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .save(scaled, "JPG", 85))
                RegisterFile(
                    QStringLiteral("chart-jpeg/%1x%2").arg(size.width()).arg(size.height()),
                    scaled);
        }
    }
    if (!chartGif.isEmpty()) {
        for (const QSize size :
             {QSize(400, 300), QSize(800, 600), QSize(1600, 1200), QSize(3200, 2400)}) {
            const QString scaled =
                ScaledChart(chartGif, size.width(), size.height(), ScratchFolder().path());
            if (!scaled.isEmpty())
                RegisterFile(QStringLiteral("chart-gif/%1x%2").arg(size.width()).arg(size.height()),
                             scaled);
        }
        // Interlaced, the rows are decoded in their passes and put in place after.
        const QString interlaced = ScaledChart(chartGif, 800, 600, ScratchFolder().path(), true);
        if (!interlaced.isEmpty())
            RegisterFile(QStringLiteral("chart-gif-interlaced/800x600"), interlaced);
    }
    const QString images = QStringLiteral(NIMBREL_SHARED_DATA "/images/");
    for (const QString& file :
         QDir(images).entryList({"*.gif", "*.jpg", "*.jpeg"}, QDir::Files, QDir::Name))
        RegisterFile(QStringLiteral("images/") + file, images + file);
}

const bool Registered = (bench::LateRegistrations().push_back(RegisterFrames), true);

} // namespace
