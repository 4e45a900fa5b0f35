// Speed of a sounding frame: reading and diagnosing one archived sounding (target 2 ms),
// and drawing its skew-T frame (target 30 ms), also with the GIF encoding of the frame.
#include <benchmark/benchmark.h>

#include <QFile>

#include "soundings/diagnostics.h"
#include "soundings/skewt.h"
#include "viewer/encoders.h"

using namespace nimbrel;
using namespace nimbrel::soundings;

namespace {

QByteArray SampleBytes() {
    QFile f(
        QStringLiteral(NIMBREL_SHIPPED_DATA "/soundings/OUN_19990504_00Z.sharppy-sars-hail.txt"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void BM_ReadAndDiagnose(benchmark::State& state) {
    const QByteArray bytes = SampleBytes();
    if (bytes.isEmpty()) return state.SkipWithError("no sample sounding");
    for (auto _ : state) {
        const auto s = ReadSoundings(bytes, QStringLiteral("oun.txt"));
        const Diagnostics d = Diagnose(s.front());
        benchmark::DoNotOptimize(d.MostUnstable.Cape);
    }
}
BENCHMARK(BM_ReadAndDiagnose)->Unit(benchmark::kMillisecond);

void BM_DrawFrame(benchmark::State& state) {
    const QByteArray bytes = SampleBytes();
    if (bytes.isEmpty()) return state.SkipWithError("no sample sounding");
    const Sounding s = ReadSoundings(bytes, QStringLiteral("oun.txt")).front();
    const Diagnostics d = Diagnose(s);
    for (auto _ : state) {
        const QImage image = DrawSoundingFrame(s, d, QStringLiteral("OUN"));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawFrame)->Unit(benchmark::kMillisecond);

void BM_DrawAndEncodeFrame(benchmark::State& state) {
    const QByteArray bytes = SampleBytes();
    if (bytes.isEmpty()) return state.SkipWithError("no sample sounding");
    const Sounding s = ReadSoundings(bytes, QStringLiteral("oun.txt")).front();
    const Diagnostics d = Diagnose(s);
    for (auto _ : state) {
        const QByteArray gif = EncodeGif(DrawSoundingFrame(s, d, QStringLiteral("OUN")));
        benchmark::DoNotOptimize(gif.size());
    }
}
BENCHMARK(BM_DrawAndEncodeFrame)->Unit(benchmark::kMillisecond);

} // namespace
