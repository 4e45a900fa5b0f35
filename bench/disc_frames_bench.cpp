// Every distinct frame of the built sample disc (charts, satellite, soundings; the same
// picture linked under many names counted once, by the hash of its bytes), and the
// disc's surface chart and satellite picture made again at four sizes up to 3200 x 2400
// (the chart also interlaced), each decoded three ways round after round in turn:
//   ours  DecodeGifFile / DecodeJpegFile, as the loop player calls them;
//   qt    Qt's QImageReader;
//   raw   the plain library: DGifSlurp and a palette loop, or libjpeg-turbo into the rows.
// Before any timing the three pictures of a file are compared pixel by pixel; a file
// whose pictures differ anywhere is reported as an error naming the pair and the first
// differing pixel, and the program then exits with a failure, so that no speed is
// claimed for a decoder that draws something else.
// Each race runs a fixed number of rounds sized from one decode, so that a disc of a
// few hundred frames stays within a few minutes. The counters vs_qt and vs_raw are the
// medians of the per-round ratios of the decoding thread's CPU time (vs_qt_wall and
// vs_raw_wall the same on the wall clock), ours_ms, qt_ms and raw_ms the medians of the
// CPU times; the benchmark's own time is ours on the wall clock.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <ctime>
#include <exception>
#include <functional>
#include <map>
#include <vector>

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gif_lib.h>

#include "bench_main.h"
#include "frame_contenders.h"
#include "viewer/decoders.h"

using namespace nimbrel;
using bench::IsGif;
using bench::Median;
using bench::Ours;
using bench::Qts;
using bench::RawJpeg;
using bench::ScaledGif;

namespace {

using Clock = std::chrono::steady_clock;

// The first image of a GIF as the plain library gives it: DGifSlurp, then each index
// looked up in the image's colour table (the screen's when it has none), the picture of
// the logical screen's size with what the image leaves uncovered white, and transparent
// pixels white, as the program shows an empty view.
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
        const int left = image.ImageDesc.Left, top = image.ImageDesc.Top;
        const int sw = gif->SWidth > 0 ? gif->SWidth : w, sh = gif->SHeight > 0 ? gif->SHeight : h;
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, 0, &control);
        if (map && w > 0 && h > 0) {
            QRgb palette[256];
            std::fill(std::begin(palette), std::end(palette), qRgb(0, 0, 0));
            for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
                palette[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
            if (control.TransparentColor >= 0 && control.TransparentColor < 256)
                palette[control.TransparentColor] = qRgb(255, 255, 255);
            out = QImage(sw, sh, QImage::Format_RGB32);
            out.fill(Qt::white);
            // DGifSlurp puts the rows of an interlaced image in their places itself.
            for (int r = 0; r < h; ++r) {
                const int y = top + r;
                if (y < 0 || y >= sh) continue;
                auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
                const GifByteType* in = image.RasterBits + static_cast<std::ptrdiff_t>(r) * w;
                for (int x = 0; x < w && left + x < sw; ++x)
                    row[left + x] = palette[in[x]];
            }
        }
    }
    DGifCloseFile(gif, &error);
    return out;
}

QImage Raw(const QString& path) {
    return IsGif(path) ? RawGif(path) : RawJpeg(path);
}

// What the view holds: a 32-bit opaque picture, transparent pixels white.
QImage AsShown(const QImage& decoded) {
    if (decoded.isNull() || !decoded.hasAlphaChannel())
        return decoded.convertToFormat(QImage::Format_RGB32);
    QImage flat(decoded.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    const QImage argb = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        auto* row = reinterpret_cast<QRgb*>(flat.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(in[x]) != 0) row[x] = in[x] | 0xff000000u;
    }
    return flat;
}

// Empty when the pictures are the same, otherwise where and how they first differ.
QString Difference(const char* a, const QImage& one, const char* b, const QImage& other) {
    if (one.size() != other.size())
        return QStringLiteral("%1 %2x%3, %4 %5x%6")
            .arg(QLatin1String(a))
            .arg(one.width())
            .arg(one.height())
            .arg(QLatin1String(b))
            .arg(other.width())
            .arg(other.height());
    long long differing = 0;
    QString first;
    for (int y = 0; y < one.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(one.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(other.constScanLine(y));
        for (int x = 0; x < one.width(); ++x) {
            if ((p[x] | 0xff000000u) == (q[x] | 0xff000000u)) continue;
            if (differing++ == 0)
                first = QStringLiteral("first at (%1,%2): %3 #%4, %5 #%6")
                            .arg(x)
                            .arg(y)
                            .arg(QLatin1String(a))
                            .arg(p[x] & 0xffffffu, 6, 16, QLatin1Char('0'))
                            .arg(QLatin1String(b))
                            .arg(q[x] & 0xffffffu, 6, 16, QLatin1Char('0'));
        }
    }
    return differing == 0 ? QString()
                          : QStringLiteral("%1 and %2 differ at %3 pixels, %4")
                                .arg(QLatin1String(a))
                                .arg(QLatin1String(b))
                                .arg(differing)
                                .arg(first);
}

// CPU time of this thread: unlike the wall clock it leaves out the time the thread waits
// for a core, which on a shared machine falls on whichever decoder was running.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void Race(benchmark::State& state, const QString& path, int names) {
    const std::function<QImage(const QString&)> contenders[3] = {Ours, Qts, Raw};
    std::vector<double> vsQt, vsRaw, vsQtWall, vsRawWall, ms[3];
    QImage view;
    int round = 0;
    for (auto _ : state) {
        double wall[3] = {}, cpu[3] = {};
        for (int k = 0; k < 3; ++k) {
            const int who = (round + k) % 3; // each takes its turn at going first
            // The picture shown before is let go untimed, so that no contender pays for
            // freeing another's, and each finds the allocator as the last one left it.
            view = QImage();
            const double cpuStart = ThreadSeconds();
            const Clock::time_point start = Clock::now();
            // A step ends when the decoded frame is the view's 32-bit picture.
            view = contenders[who](path).convertToFormat(QImage::Format_RGB32);
            benchmark::DoNotOptimize(view.constBits());
            wall[who] = std::chrono::duration<double>(Clock::now() - start).count();
            cpu[who] = ThreadSeconds() - cpuStart;
        }
        ++round;
        state.SetIterationTime(wall[0]);
        vsQt.push_back(cpu[0] / cpu[1]);
        vsRaw.push_back(cpu[0] / cpu[2]);
        vsQtWall.push_back(wall[0] / wall[1]);
        vsRawWall.push_back(wall[0] / wall[2]);
        for (int who = 0; who < 3; ++who)
            ms[who].push_back(cpu[who] * 1e3);
    }
    state.counters["vs_qt"] = Median(vsQt);
    state.counters["vs_raw"] = Median(vsRaw);
    state.counters["vs_qt_wall"] = Median(vsQtWall);
    state.counters["vs_raw_wall"] = Median(vsRawWall);
    state.counters["ours_ms"] = Median(ms[0]);
    state.counters["qt_ms"] = Median(ms[1]);
    state.counters["raw_ms"] = Median(ms[2]);
    state.counters["width"] = view.width();
    state.counters["height"] = view.height();
    state.counters["names"] = names; // how many names of the disc share these bytes
}

// Compares the three pictures of `path` and registers its race, or, when they differ or
// a decoder refuses the file, an error in its place.
void RegisterFile(const QString& label, const QString& path, int names) {
    const std::string name = ("DiscFrame/" + label).toStdString();
    QString problem;
    double oneDecode = 0.0;
    try {
        const QImage ours = AsShown(Ours(path));
        const QImage qt = AsShown(Qts(path));
        const QImage raw = AsShown(Raw(path));
        if (ours.isNull() || qt.isNull() || raw.isNull())
            problem = QStringLiteral("a decoder gave nothing (ours %1, Qt %2, raw %3)")
                          .arg(ours.isNull() ? "none" : "ok", qt.isNull() ? "none" : "ok",
                               raw.isNull() ? "none" : "ok");
        else if (problem = Difference("ours", ours, "raw", raw); problem.isEmpty())
            problem = Difference("ours", ours, "Qt", qt);
        // Timed again now the file is in the page cache and the decoder warmed up.
        const Clock::time_point start = Clock::now();
        benchmark::DoNotOptimize(Ours(path).constBits());
        oneDecode = std::chrono::duration<double>(Clock::now() - start).count();
    } catch (const std::exception& e) {
        problem = QStringLiteral("ours refused it: ") + QString::fromUtf8(e.what());
    }
    if (!problem.isEmpty()) {
        ++bench::FailedChecks();
        const std::string message = problem.toStdString();
        std::fprintf(stderr, "PIXELS DIFFER %s: %s\n", name.c_str(), message.c_str());
        benchmark::RegisterBenchmark(name.c_str(), [message](benchmark::State& s) {
            for (auto _ : s) {
            }
            s.SkipWithError(message.c_str());
        })->Iterations(1);
        return;
    }
    // About a third of a second of racing per file, at least 21 rounds for a median.
    const auto rounds = static_cast<benchmark::IterationCount>(
        std::clamp(0.35 / (3.0 * std::max(oneDecode, 1e-5)), 21.0, 300.0));
    benchmark::RegisterBenchmark(name.c_str(),
                                 [path, names](benchmark::State& s) { Race(s, path, names); })
        ->UseManualTime()
        ->Iterations(rounds)
        ->Unit(benchmark::kMillisecond);
}

QTemporaryDir& ScratchFolder() {
    static QTemporaryDir dir;
    return dir;
}

void RegisterDisc() {
    const QString disc = QStringLiteral(NIMBREL_BUILT_DATA "/disc");
    // Distinct by content: the first name (in path order) stands for its bytes.
    std::map<QByteArray, std::pair<QString, int>> byHash;
    QStringList paths;
    QDirIterator it(disc, {"*.gif", "*.GIF", "*.jpg", "*.JPG", "*.jpeg"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) continue;
        QCryptographicHash hash(QCryptographicHash::Sha256);
        hash.addData(&file);
        auto& entry = byHash[hash.result()];
        if (entry.first.isEmpty()) entry.first = path;
        ++entry.second;
    }
    if (byHash.empty()) {
        std::fprintf(stderr, "no frames under %s: build the target nimbrel_sample_data\n",
                     qPrintable(disc));
        ++bench::FailedChecks();
        return;
    }
    std::vector<std::pair<QString, int>> distinct;
    distinct.reserve(byHash.size());
    for (const auto& [hash, entry] : byHash)
        distinct.push_back(entry);
    std::sort(distinct.begin(), distinct.end());
    QString satellite, chart;
    for (const auto& [path, names] : distinct) {
        RegisterFile(QStringLiteral("disc/") + path.mid(disc.size() + 1), path, names);
        const QString file = QFileInfo(path).fileName();
        if (satellite.isEmpty() && file.startsWith(QLatin1String("satv"))) satellite = path;
        if (chart.isEmpty() && file.startsWith(QLatin1String("hsfc")) && IsGif(path)) chart = path;
    }
    // The disc's frames are of one or two sizes; made ones show how the decoders grow,
    // and an interlaced chart takes the path that puts rows in their places.
    const QSize sizes[] = {QSize(400, 300), QSize(800, 600), QSize(1600, 1200), QSize(3200, 2400)};
    if (!chart.isEmpty()) {
        for (const QSize size : sizes) {
            const QString label =
                QStringLiteral("made/hsfc-%1x%2.gif").arg(size.width()).arg(size.height());
            const QString path =
                ScaledGif(chart, size, false, ScratchFolder().path() + label.mid(4));
            if (!path.isEmpty()) RegisterFile(label, path, 0);
        }
        const QString path =
            ScaledGif(chart, QSize(800, 600), true,
                      ScratchFolder().path() + QStringLiteral("/hsfc-800x600i.gif"));
        if (!path.isEmpty()) RegisterFile(QStringLiteral("made/hsfc-800x600i.gif"), path, 0);
    }
    if (satellite.isEmpty()) return;
    const QImage original = QImageReader(satellite).read();
    for (const QSize size : sizes) {
        const QString path = ScratchFolder().path() +
                             QStringLiteral("/sat-%1x%2.jpg").arg(size.width()).arg(size.height());
        if (!original.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                 .save(path, "JPEG", 85))
            continue;
        RegisterFile(QStringLiteral("made/sat-%1x%2.jpg").arg(size.width()).arg(size.height()),
                     path, 0);
    }
}

const bool Registered = (bench::LateRegistrations().push_back(RegisterDisc), true);

} // namespace
