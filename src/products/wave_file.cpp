#include "products/wave_file.h"

#include <QFileInfo>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel {
namespace {

constexpr quint16 FormatPcm = 1;
constexpr quint16 FormatExtensible = 0xFFFE;

quint32 U32(const QByteArray& b, qsizetype at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}
quint16 U16(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

} // namespace

void CheckWaveBytes(const QByteArray& bytes, const QString& fileName) {
    auto bad = [&](const QString& why) {
        return DataError(
            QStringLiteral("The sound \"%1\" cannot be played: %2.").arg(fileName, why));
    };
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        throw bad(QStringLiteral("it is not a WAV file"));
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const quint64 size = U32(bytes, at + 4);
        const qsizetype body = at + 8;
        const quint64 room = static_cast<quint64>(bytes.size() - body);
        if (id == "fmt ") {
            if (size < 16 || size > room) throw bad(QStringLiteral("its format chunk is damaged"));
            const quint16 tag = U16(bytes, body);
            const quint16 channels = U16(bytes, body + 2);
            const quint32 rate = U32(bytes, body + 4);
            const quint16 bits = U16(bytes, body + 14);
            // The player takes plain PCM only; other encodings would play as silence, and
            // it fails on the extensible header even when the samples under it are PCM.
            if (tag == FormatExtensible)
                throw bad(QStringLiteral("it is saved in the extensible WAV format, which the "
                                         "player cannot decode (save it as plain PCM)"));
            if (tag != FormatPcm) throw bad(QStringLiteral("its samples are not plain PCM"));
            if (channels < 1 || channels > 8 || rate == 0 ||
                (bits != 8 && bits != 16 && bits != 24 && bits != 32))
                throw bad(QStringLiteral("its sample format is not supported"));
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) throw bad(QStringLiteral("its samples come before their format"));
            if (size == 0) throw bad(QStringLiteral("it holds no sound"));
            if (size > room) throw bad(QStringLiteral("the file is cut short"));
            return;
        }
        if (size > room) break;
        at = body + static_cast<qsizetype>(size) +
             static_cast<qsizetype>(size & 1); // chunks are word-aligned
    }
    throw bad(haveFormat ? QStringLiteral("it holds no sound")
                         : QStringLiteral("it has no format chunk"));
}

void CheckWaveFile(const QString& path) {
    CheckWaveBytes(ReadWholeFile(path, MaxSoundFileBytes), QFileInfo(path).fileName());
}

} // namespace nimbrel
