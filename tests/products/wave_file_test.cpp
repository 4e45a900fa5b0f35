#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>

#include "base/errors.h"
#include "products/wave_file.h"
#include "support/test_support.h"
#include "wave_bytes.h"

namespace nimbrel {
namespace {

void Patch32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}
void Patch16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}

TEST(WaveFile, PlayablePcmPassesAndExtraChunksAreSkipped) {
    EXPECT_NO_THROW(CheckWaveBytes(test::WaveBytes(), "a.wav"));
    // A LIST chunk of odd length (padded to a word) between the format and the samples.
    QByteArray w = test::WaveBytes(10);
    const QByteArray data = w.mid(36);
    w.truncate(36);
    w += QByteArray("LIST") + QByteArray("\x03\0\0\0", 4) + "abc" + QByteArray(1, '\0') + data;
    EXPECT_NO_THROW(CheckWaveBytes(w, "a.wav"));
}

TEST(WaveFile, DamagedFilesAreRefusedWithTheirName) {
    const QByteArray good = test::WaveBytes(10);
    EXPECT_THROW(CheckWaveBytes("RIFF", "a.wav"), DataError);
    EXPECT_THROW(CheckWaveBytes(QByteArray(), "a.wav"), DataError);
    QByteArray notWave = good;
    notWave.replace(8, 4, "AVI ");
    EXPECT_THROW(CheckWaveBytes(notWave, "a.wav"), DataError);

    // Samples cut short: the declared data size runs past the end of the file.
    try {
        CheckWaveBytes(good.left(good.size() - 1), "printer.wav");
        FAIL() << "expected DataError";
    } catch (const DataError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("printer.wav")));
    }
    QByteArray compressed = good;
    Patch16(compressed, 20, 2); // ADPCM
    EXPECT_THROW(CheckWaveBytes(compressed, "a.wav"), DataError);
    QByteArray oddBits = good;
    Patch16(oddBits, 34, 12);
    EXPECT_THROW(CheckWaveBytes(oddBits, "a.wav"), DataError);
    QByteArray empty = good.left(44);
    Patch32(empty, 40, 0);
    EXPECT_THROW(CheckWaveBytes(empty, "a.wav"), DataError);
    EXPECT_THROW(CheckWaveBytes(good.left(36), "a.wav"), DataError); // no data chunk
    // An extensible format chunk never plays, even with PCM under it: the player fails
    // on every such file, so the check says so by name.
    auto extensible = [&](quint16 subFormat) {
        QByteArray w = good.left(12) + "fmt " + QByteArray("\x28\0\0\0", 4) + good.mid(20, 16);
        Patch16(w, 20, 0xFFFE);
        w += QByteArray("\x16\0\x10\0\0\0\0\0", 8); // extra size, valid bits, channel mask
        w += QByteArray::fromHex("0000000000001000800000aa00389b71"); // the PCM GUID's tail
        Patch16(w, 44, subFormat);
        return w + good.mid(36);
    };
    try {
        CheckWaveBytes(extensible(1), "a.wav");
        ADD_FAILURE() << "an extensible PCM file passed";
    } catch (const DataError& e) {
        EXPECT_TRUE(e.Message().contains("extensible")) << e.Message().toStdString();
    }
    EXPECT_THROW(CheckWaveBytes(extensible(7), "a.wav"), DataError);
    QByteArray floating = good;
    Patch16(floating, 20, 3);
    EXPECT_THROW(CheckWaveBytes(floating, "a.wav"), DataError);
    QByteArray hugeFormat = good;
    Patch32(hugeFormat, 16, 0xFFFFFFF0u);
    EXPECT_THROW(CheckWaveBytes(hugeFormat, "a.wav"), DataError);
}

TEST(WaveFile, MissingFileIsFileNotFound) {
    QTemporaryDir dir;
    EXPECT_THROW(CheckWaveFile(dir.path() + "/printer.wav"), FileNotFound);
}

TEST(WaveFile, ShippedSoundsPass) {
    for (const char* name : {"printer.wav", "warningtone.wav"}) {
        const QString path = test::ShippedDataDir() + "appdata/" + QString::fromLatin1(name);
        if (!QFile::exists(path)) GTEST_SKIP() << "shipped sounds absent";
        EXPECT_NO_THROW(CheckWaveFile(path)) << name;
    }
}

} // namespace
} // namespace nimbrel
