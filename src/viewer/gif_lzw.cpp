#include "viewer/gif_lzw.h"

#include <algorithm>
#include <array>
#include <cstring>

#include <QString>
#include <QtEndian>

#include "base/errors.h"

namespace nimbrel {

GifImageData ReadGifImageData(GifFileType* gif, std::size_t sizeHint) {
    GifImageData data;
    data.Bytes.reserve(sizeHint + 4);
    GifByteType* block = nullptr;
    bool failed = DGifGetCode(gif, &data.MinCodeSize, &block) == GIF_ERROR;
    while (!failed && block) {
        data.Bytes.insert(data.Bytes.end(), block + 1, block + 1 + block[0]);
        failed = DGifGetCodeNext(gif, &block) == GIF_ERROR;
    }
    data.Terminated = !failed;
    data.Size = data.Bytes.size();
    data.Bytes.resize(data.Size + 4, 0);
    return data;
}

namespace {

constexpr int MaxCodeBits = 12;
constexpr int TableSize = 1 << MaxCodeBits;

// Where a code's string already stands, and how long it is. Every string the table
// can hold was written out whole once (a code's string is the previous code's followed
// by the first pixel of the current one, and those stand side by side), so a code is
// decoded by copying from earlier output: no chain to walk, no stack. A single-pixel
// code points into the caller's roots. The clear and end codes have a length of 0.
template <typename Pixel> struct Entry {
    const Pixel* From;
    std::uint32_t Len;
};

// Copies `count` pixels from `from` to `to`, where from + count <= to. With `room`
// pixels free at `to` for whole 16-byte chunks, it copies those: up to a chunk less one
// pixel past `count` is written and later overwritten by the strings that follow. Each
// chunk is loaded before it is stored, so a chunk reading what the one before wrote only
// carries it past the string's end.
template <typename Pixel>
inline void CopyString(const Pixel* from, Pixel* to, std::uint32_t count, std::uint32_t room) {
    constexpr std::uint32_t Chunk = 16 / sizeof(Pixel);
    if (count + Chunk > room) {
        std::memcpy(to, from, count * sizeof(Pixel));
        return;
    }
    std::uint32_t i = 0;
    do {
        unsigned char chunk[16];
        std::memcpy(chunk, from + i, sizeof chunk);
        std::memcpy(to + i, chunk, sizeof chunk);
        i += Chunk;
    } while (i < count);
}

} // namespace

template <typename Pixel>
LzwOutcome DecodeLzw(const GifImageData& data, const Pixel* roots, Pixel* const out,
                     std::int64_t count) {
    if (count < 0 || count > (std::int64_t{1} << 31))
        throw DataError(QStringLiteral("GIF image error: the image is too large"));
    Pixel* const end = out + count;
    Pixel* at = out;

    // giflib accepts minimum code sizes up to 8 (a larger one fails before the data is
    // read); below 2 the codes still make sense and are read the same way.
    const int bitsPerPixel = std::clamp(data.MinCodeSize, 0, 8);
    const int clearCode = 1 << bitsPerPixel;
    const int endCode = clearCode + 1;

    // Only the codes below nextFree are ever read from the table, so the rest is left as
    // it is: a tiny image does not pay for clearing all of it.
    std::array<Entry<Pixel>, TableSize> table; // NOLINT(cppcoreguidelines-pro-type-member-init)
    for (int code = 0; code < clearCode; ++code)
        table[static_cast<std::size_t>(code)] = Entry<Pixel>{roots + code, 1};
    table[static_cast<std::size_t>(clearCode)] = Entry<Pixel>{nullptr, 0};
    table[static_cast<std::size_t>(endCode)] = Entry<Pixel>{nullptr, 0};

    // The code width grows as giflib grows it: counting every code read, clear codes
    // included, and stopping at 12 bits with the table full until the next clear code.
    int runningCode = endCode + 1;
    int bits = bitsPerPixel + 1;
    int maxCode = 1 << bits;
    int nextFree = endCode + 1; // the code the next string is stored as
    bool haveLast = false;
    const Pixel* last = nullptr;
    std::uint32_t lastLen = 0;

    const std::uint8_t* const in = data.Bytes.data();
    const std::uint64_t bitEnd = static_cast<std::uint64_t>(data.Size) * 8;
    std::uint64_t bitPos = 0;
    LzwStop stop = LzwStop::Complete;
    while (at < end) {
        if (bitPos + static_cast<std::uint64_t>(bits) > bitEnd) {
            stop = data.Terminated ? LzwStop::BlocksEnded : LzwStop::DataEnded;
            break;
        }
        // A code has at most 12 bits and starts within a byte: four bytes hold it.
        const std::uint32_t word = qFromLittleEndian<std::uint32_t>(in + (bitPos >> 3));
        const int code = static_cast<int>((word >> (bitPos & 7)) & ((1u << bits) - 1));
        bitPos += static_cast<std::uint64_t>(bits);
        if (runningCode < TableSize + 1 && ++runningCode > maxCode && bits < MaxCodeBits) {
            maxCode <<= 1;
            ++bits;
        }

        const auto room = static_cast<std::uint32_t>(end - at);
        Entry<Pixel> entry{nullptr, 0};
        if (code < nextFree) entry = table[static_cast<std::size_t>(code)];
        if (entry.Len != 0) {
            CopyString(entry.From, at, std::min(entry.Len, room), room);
        } else if (code == clearCode) {
            runningCode = endCode + 1;
            bits = bitsPerPixel + 1;
            maxCode = 1 << bits;
            nextFree = endCode + 1;
            haveLast = false;
            continue;
        } else if (code == nextFree && haveLast) {
            // The code being defined by this very step: the previous string followed by
            // its own first pixel.
            entry = Entry<Pixel>{last, lastLen + 1};
            CopyString(last, at, std::min(lastLen, room), room);
            if (lastLen < room) at[lastLen] = last[0];
        } else {
            stop = code == endCode ? LzwStop::EndCode : LzwStop::BadCode;
            break;
        }
        if (haveLast && nextFree < TableSize)
            table[static_cast<std::size_t>(nextFree++)] = Entry<Pixel>{last, lastLen + 1};
        haveLast = true;
        last = at;
        lastLen = entry.Len;
        at += std::min(entry.Len, room);
    }
    return LzwOutcome{at - out, stop};
}

template LzwOutcome DecodeLzw<std::uint8_t>(const GifImageData&, const std::uint8_t*, std::uint8_t*,
                                            std::int64_t);
template LzwOutcome DecodeLzw<std::uint32_t>(const GifImageData&, const std::uint32_t*,
                                             std::uint32_t*, std::int64_t);

GifIndices DecodeGifIndices(const GifImageData& data, std::int64_t count) {
    static const std::array<std::uint8_t, LzwRootCount> Identity = [] {
        std::array<std::uint8_t, LzwRootCount> bytes{};
        for (std::size_t i = 0; i < 256; ++i)
            bytes[i] = static_cast<std::uint8_t>(i);
        return bytes;
    }();
    GifIndices indices;
    indices.Data.reset(
        new std::uint8_t[static_cast<std::size_t>(std::max<std::int64_t>(count, 0))]);
    indices.Outcome = DecodeLzw(data, Identity.data(), indices.Data.get(), count);
    return indices;
}

int GifErrorOf(LzwStop stop) {
    switch (stop) {
    case LzwStop::Complete:
        return E_GIF_SUCCEEDED;
    case LzwStop::DataEnded:
        return D_GIF_ERR_READ_FAILED;
    case LzwStop::EndCode:
        return D_GIF_ERR_EOF_TOO_SOON;
    case LzwStop::BlocksEnded:
    case LzwStop::BadCode:
        break;
    }
    return D_GIF_ERR_IMAGE_DEFECT;
}

} // namespace nimbrel
