#pragma once
// The two product sounds, synthesised so that no recording has to be shipped:
// "printer.wav", the chatter of a teleprinter starting an outlook, and
// "warningtone.wav", a two-tone alert for a watch. Both are 16-bit mono PCM.
#include <vector>

#include <QByteArray>

namespace nimbrel::tools {

inline constexpr int SoundRate = 22050; ///< samples per second

std::vector<short> PrinterSamples();
std::vector<short> WarningToneSamples();
/// A canonical 44-byte-header RIFF/WAVE file of 16-bit mono samples.
QByteArray EncodeWav(const std::vector<short>& samples, int rate = SoundRate);

} // namespace nimbrel::tools
