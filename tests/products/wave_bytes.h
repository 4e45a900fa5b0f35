#pragma once
// A small, valid 16-bit mono PCM WAV file for tests that need a playable sound.
#include <QByteArray>
#include <QtEndian>

namespace nimbrel::test {

inline QByteArray WaveBytes(int samples = 400) {
    auto u32 = [](quint32 v) {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    auto u16 = [](quint16 v) {
        QByteArray b(2, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    const quint32 dataSize = static_cast<quint32>(samples) * 2;
    QByteArray w = "RIFF" + u32(36 + dataSize) + "WAVE";
    w += "fmt " + u32(16) + u16(1) + u16(1) + u32(22050) + u32(44100) + u16(2) + u16(16);
    w += "data" + u32(dataSize) + QByteArray(static_cast<qsizetype>(dataSize), '\0');
    return w;
}

} // namespace nimbrel::test
