#pragma once
// The pixel data of a GIF image: giflib reads the container (screen, descriptors,
// extensions, colour tables) and hands over the compressed sub-blocks; the LZW
// decompression is done here, because giflib's own walks a prefix chain per code onto a
// stack and pops it pixel by pixel, which costs more than the rest of a chart's decoding.
//
// The codes are read exactly as giflib reads them (code width, table growth, a table
// kept full until the next clear code, minimum code sizes 0 to 8), so that a sound file
// gives the same indices. Damaged data stops the decoding where it shows: the indices
// decoded before are kept, nothing is written beyond the image's pixel count.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace nimbrel {

/// The compressed data of one image, its sub-blocks joined.
struct GifImageData {
    int MinCodeSize = 0;
    /// The joined bytes, followed by four zero bytes the code reader may look at.
    std::vector<std::uint8_t> Bytes;
    std::size_t Size = 0; ///< bytes of data, without the four
    /// The data ended with its terminating empty block (rather than with the file or a
    /// block cut short).
    bool Terminated = false;
};

/// Reads the data sub-blocks of the image whose descriptor giflib has just read, up to
/// the terminating block or as far as the file goes. `sizeHint` is a byte count the
/// data will not exceed (what is left of the file will do), to reserve once.
GifImageData ReadGifImageData(GifFileType* gif, std::size_t sizeHint);

/// Why the decoding of an image's pixels stopped.
enum class LzwStop {
    Complete,    ///< every pixel was decoded
    DataEnded,   ///< the file ended, or a block was cut short, before the last pixel
    BlocksEnded, ///< the data's terminating block came before the last pixel
    EndCode,     ///< an end-of-information code came before the last pixel
    BadCode,     ///< a code not (yet) in the table: damaged data
};

/// Pixels of the roots given to DecodeLzw: one for each index, and room for whole
/// 16-byte copies after the last.
inline constexpr std::size_t LzwRootCount = 256 + 16;

/// How far the decoding of an image's pixels went.
struct LzwOutcome {
    std::int64_t Decoded = 0; ///< pixels decoded, from the first on
    LzwStop Stop = LzwStop::Complete;
};

/// Decodes the first `count` pixels of `data` into `out`, in the order the data holds
/// them: row after row, the rows of an interlaced image pass after pass. `roots[i]` is
/// the pixel written for palette index i: the index itself, or its colour; it holds
/// LzwRootCount pixels, the ones past 256 only read, never used.
/// Pixels past the outcome's count are undefined. `count` is the width x height of an
/// image whose size was accepted (at most 2^31).
template <typename Pixel>
LzwOutcome DecodeLzw(const GifImageData& data, const Pixel* roots, Pixel* out, std::int64_t count);
extern template LzwOutcome DecodeLzw<std::uint8_t>(const GifImageData&, const std::uint8_t*,
                                                   std::uint8_t*, std::int64_t);
extern template LzwOutcome DecodeLzw<std::uint32_t>(const GifImageData&, const std::uint32_t*,
                                                    std::uint32_t*, std::int64_t);

/// The palette indices of one image, as DecodeLzw leaves them.
struct GifIndices {
    std::unique_ptr<std::uint8_t[]> Data;
    LzwOutcome Outcome;
};
GifIndices DecodeGifIndices(const GifImageData& data, std::int64_t count);

/// giflib's error code for a stop before the last pixel, for its message.
int GifErrorOf(LzwStop stop);

} // namespace nimbrel
