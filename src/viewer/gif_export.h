#pragma once
// Writing a chart loop as one animated GIF, as the loop player shows it: every frame for
// the loop speed, the last one for the loop speed plus the dwell, over and over.
#include <cstdint>
#include <functional>
#include <vector>

#include <QImage>
#include <QString>
#include <QStringList>

namespace nimbrel {

/// A picture of at most 256 colours: one palette index per pixel, row by row.
struct IndexedPicture {
    int Width = 0;
    int Height = 0;
    std::vector<QRgb> Palette;         ///< 1 to 256 colours
    std::vector<std::uint8_t> Indices; ///< Width * Height
};

/// Reduces a picture to one palette. A picture of 256 colours or fewer keeps them all
/// exactly. Any other gets 256 colours chosen by median cut over its own colours and
/// is mapped with error diffusion (Floyd-Steinberg), so smooth gradients of a
/// photograph-like frame dither instead of breaking into bands.
IndexedPicture ReduceColours(const QImage& picture);

/// The delays of a loop of `frames` frames in hundredths of a second (the unit of the
/// file): `loopSpeedMs` each, the last frame `loopSpeedMs + dwellSpeedMs`.
std::vector<int> LoopDelays(int frames, int loopSpeedMs, int dwellSpeedMs);

/// What the export reports while it works. Called before the first frame with done 0
/// and after every frame; returning false cancels the export.
using ExportProgress = std::function<bool(int done, int total)>;

enum class ExportOutcome { Written, Cancelled };

/// Writes `count` pictures, the i-th made by `frameAt(i)`, as one endlessly looping GIF
/// at `target`, frame i staying `delays[i]` hundredths of a second. The animation has
/// the first picture's size; a picture of another size is drawn at the top-left corner
/// on white. The file appears only when complete: a cancelled or failed export leaves
/// nothing behind, and a file already at `target` stays as it was. Throws DataError
/// when there is no frame, FileError when the file cannot be written, and whatever
/// `frameAt` throws.
ExportOutcome ExportGif(int count, const std::function<QImage(int)>& frameAt,
                        const std::vector<int>& delays, const QString& target,
                        const ExportProgress& progress = {});

/// Writes the frames at `paths` (decoded as the frame display decodes them: a name with
/// "jpg" as JPEG, one with "gif" as GIF) as one endlessly looping GIF at `target`. The
/// picture has the first frame's size; a frame of another size is drawn at the
/// top-left corner on white. The file appears only when complete: a cancelled or
/// failed export leaves nothing behind, and a file already at `target` stays as it
/// was. Throws DataError when no path names a frame, and the decoders' and file
/// errors.
ExportOutcome ExportLoopGif(const QStringList& paths, int loopSpeedMs, int dwellSpeedMs,
                            const QString& target, const ExportProgress& progress = {});

} // namespace nimbrel
