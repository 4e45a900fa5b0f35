#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace nimbrel::tools {
namespace {

void PutLE(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

short Clip(double v) {
    return short(std::clamp(std::lround(v), -32767L, 32767L));
}

} // namespace

std::vector<short> PrinterSamples() {
    // Bursts of sharp clicks (one per printed character, about 10 a second in lines of
    // a dozen) from a fixed pseudo-random sequence, so the file is the same every time.
    const int total = SoundRate * 14 / 10;
    std::vector<double> mix(std::size_t(total), 0.0);
    std::uint32_t state = 12345u;
    auto next = [&state]() {
        state = state * 1103515245u + 12345u;
        return (state >> 16) & 0x7FFF;
    };
    int t = SoundRate / 20;
    int inLine = 0;
    while (t < total - SoundRate / 20) {
        const double strike = 0.6 + 0.4 * (next() / 32767.0);
        const double pitch = 1800.0 + 600.0 * (next() / 32767.0);
        for (int i = 0; i < SoundRate / 80 && t + i < total; ++i) {
            const double s = double(i) / SoundRate;
            const double noise = (next() / 16383.5) - 1.0;
            mix[std::size_t(t + i)] +=
                strike * std::exp(-s * 250.0) *
                (0.6 * noise + 0.4 * std::sin(2 * std::numbers::pi * pitch * s));
        }
        t += SoundRate / 11 + int(next() % (SoundRate / 60));
        if (++inLine == 12) { // carriage return: a pause
            inLine = 0;
            t += SoundRate / 5;
        }
    }
    // Under the strikes, the hum of the machine's motor.
    for (int i = 0; i < total; ++i)
        mix[std::size_t(i)] += 0.08 * std::sin(2 * std::numbers::pi * 120.0 * i / SoundRate);
    std::vector<short> samples;
    for (double v : mix)
        samples.push_back(Clip(v * 20000.0));
    return samples;
}

std::vector<short> WarningToneSamples() {
    // Two alternating tones, a quarter second each, for a second and a half, with short
    // ramps so that the switches do not click.
    const int total = SoundRate * 3 / 2;
    const int part = SoundRate / 4;
    const int ramp = SoundRate / 200;
    std::vector<short> samples;
    double phase = 0.0;
    for (int i = 0; i < total; ++i) {
        const double frequency = (i / part) % 2 == 0 ? 960.0 : 760.0;
        phase += 2 * std::numbers::pi * frequency / SoundRate;
        const int inPart = i % part;
        const double envelope =
            std::min({1.0, double(inPart) / ramp, double(part - 1 - inPart) / ramp});
        samples.push_back(Clip(std::sin(phase) * envelope * 12000.0));
    }
    return samples;
}

QByteArray EncodeWav(const std::vector<short>& samples, int rate) {
    const std::uint32_t dataBytes = std::uint32_t(samples.size() * 2);
    QByteArray out;
    out += "RIFF";
    PutLE(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLE(out, 16, 4); // format chunk size
    PutLE(out, 1, 2);  // PCM
    PutLE(out, 1, 2);  // mono
    PutLE(out, std::uint32_t(rate), 4);
    PutLE(out, std::uint32_t(rate) * 2, 4); // bytes per second
    PutLE(out, 2, 2);                       // block align
    PutLE(out, 16, 2);                      // bits per sample
    out += "data";
    PutLE(out, dataBytes, 4);
    for (short s : samples)
        PutLE(out, std::uint16_t(s), 2);
    return out;
}

} // namespace nimbrel::tools
