#pragma once
// Catalogue records written byte by byte, so that the reader is checked against the
// layout itself and not against the program's own writer.
#include <cstdint>

#include <QByteArray>
#include <QString>

namespace nimbrel::test {

inline void PutShortText(QByteArray& record, int offset, int capacity, const QByteArray& text) {
    const int len = static_cast<int>(text.size());
    record[offset] = static_cast<char>(len);
    for (int i = 0; i < len && i < capacity; ++i)
        record[offset + 1 + i] = text[i];
}

inline void PutInt32(QByteArray& record, int offset, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        record[offset + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

/// One 252-byte record; padding and unused bytes hold 0xAA so that a reader that
/// looks at them shows it.
inline QByteArray HandRecord(const QByteArray& day, const QByteArray& codes, std::int32_t ranking,
                             const QByteArray& description, const QByteArray& note = "note") {
    QByteArray r(252, char(0xAA));
    PutShortText(r, 0, 10, day);
    PutShortText(r, 11, 10, codes);
    PutInt32(r, 24, ranking);
    PutShortText(r, 28, 20, note);
    PutShortText(r, 49, 200, description);
    return r;
}

} // namespace nimbrel::test
