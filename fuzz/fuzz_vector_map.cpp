// The three vector map files: any bytes draw (or stop with a file error) on a small map
// without reading past a record or drawing outside the picture.
#include <QImage>
#include <QPainter>

#include "base/errors.h"
#include "fuzz_support.h"
#include "map/basemap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    if (size < 1) return 0;
    ProjectionDescriptor view;
    ResetViewport(view);
    view.Width = 160;
    view.Height = 120;
    QImage canvas(view.Width, view.Height, QImage::Format_RGB32);
    QPainter painter(&canvas);
    // The first byte picks the layer so that one corpus feeds all three readers.
    const QString path = fuzz::WriteInput("map.layer", data + 1, size - 1);
    try {
        if (data[0] & 1) {
            DrawOutlineLayer(painter, path, view);
        } else {
            PixelPoint previous{MissingPixel, MissingPixel};
            DrawLineLayer(painter, path, view, previous);
        }
    } catch (const FileError&) {
    }
    return 0;
}
