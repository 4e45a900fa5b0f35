#pragma once
// A check that a product sound is a WAV file the sound service can decode. The service
// loads sounds in the background and, given a damaged file, may wait for the missing
// bytes for ever; so a sound is checked here, before it is handed over, and a bad one
// stops the product with a clear message like a missing one.
#include <QByteArray>
#include <QString>

namespace nimbrel {

/// Throws DataError unless `bytes` hold a RIFF/WAVE file with a plain PCM "fmt "
/// chunk (not the extensible header, which the player fails on) (1-8 channels, 8/16/24/32 bits, a
/// sample rate) followed by a non-empty "data" chunk that lies wholly within the file.
void CheckWaveBytes(const QByteArray& bytes, const QString& fileName);
/// Reads and checks a sound file: FileNotFound when missing, FileError when unreadable,
/// DataError when not a usable WAV file.
void CheckWaveFile(const QString& path);

} // namespace nimbrel
