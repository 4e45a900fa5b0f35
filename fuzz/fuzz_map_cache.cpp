// The cached map view: the descriptor file and the cached picture. A damaged cache
// never matches or loads as a null picture; it is never trusted half-way.
#include <QDir>
#include <QFile>

#include "base/errors.h"
#include "fuzz_support.h"
#include "map/basemap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    // The first 152 bytes (when there are so many) are the descriptor, the rest the picture.
    const std::size_t split = std::min(size, ProjectionDescriptor::RecordSize);
    const QString view = fuzz::WriteInput("nimbrel.mpd", data, split);
    const QString bitmap = fuzz::WriteInput("nimbrel.mpp", data + split, size - split);
    const QString folder = fuzz::TempPath("");
    ProjectionDescriptor current;
    ResetViewport(current);
    (void)BasemapCacheMatches(folder, current);
    try {
        const ProjectionDescriptor stored = ProjectionDescriptor::FromBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(split)));
        (void)stored.ToBytes();
    } catch (const FileError&) {
    }
    const QImage img = LoadBitmap32(bitmap);
    if (!img.isNull() && (img.width() < 1 || img.height() < 1)) __builtin_trap();
    (void)view;
    return 0;
}
