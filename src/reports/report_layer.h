#pragma once
// The storm report layer of the target map: every report whose time has come, with a
// symbol by kind; the reports of the last hour blink on the report timer's refreshes.
#include <cstdint>
#include <functional>
#include <vector>

#include <QSize>
#include <QString>

#include "base/datetime.h"
#include "map/geodesy.h"
#include "map/projection.h"

class QImage;
class QPainter;

namespace nimbrel {

struct ReportList;

/// Places a point of the earth on the map picture (the viewport's ProjectToScreen).
using ScreenProjector = std::function<PixelPoint(const GeoPoint&)>;

/// Draws the reports of the file at `path` in file order. A missing file draws nothing.
/// With `flash`, each report of the last hour has its symbol (with a tornado's track)
/// composed and then toggled once in not-xor, so that two timer refreshes in a row give
/// back the picture of the full refresh; everything else is drawn over in copy mode. A
/// file cut short in a record throws DataError after the reports before it are drawn.
/// The painter is left in copy mode.
void DrawReports(QPainter& painter, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash);
/// The same on a picture, pixel for pixel (see below).
void DrawReports(QImage& image, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash);

/// Where a report's start and end fall on the picture.
struct PlacedReport {
    PixelPoint Start;
    PixelPoint End;
};

/// The reports of a list placed on one view, kept for the timer's refreshes: placed
/// again only when the list was read again (another `generation`) or the view changed.
class ReportPlacement {
public:
    const std::vector<PlacedReport>& Place(const ReportList& list, std::uint64_t generation,
                                           const ProjectionDescriptor& view);

private:
    std::uint64_t generation_ = 0;
    bool valid_ = false;
    ProjectionDescriptor view_;
    std::vector<PlacedReport> placed_;
};

/// The pixels each flashing symbol with a track (or reaching over the picture's edge)
/// toggles, kept from one timer refresh to the next. A record's pixels are worked out at
/// its first flash and used again while its kind, its places and the picture's size are
/// what they were; they depend on nothing else.
class ToggleMemory {
public:
    struct Pixel {
        int X = 0;
        int Y = 0;
        std::uint32_t Colour = 0;
    };
    /// The kept pixels of record `index`, or null when they were not kept for this key
    /// (`shape`: what decides the symbol's look besides its places).
    const std::vector<Pixel>* Find(std::size_t index, int shape, const PlacedReport& at,
                                   QSize picture) const;
    const std::vector<Pixel>& Keep(std::size_t index, int shape, const PlacedReport& at,
                                   QSize picture, std::vector<Pixel> pixels);

private:
    struct Kept {
        bool Known = false;
        int Shape = 0;
        PlacedReport At;
        QSize Picture;
        std::vector<Pixel> Pixels;
    };
    std::vector<Kept> kept_;
};

/// Draws `list` (with `placed`, one entry per record) on a picture: the same pixels as the
/// painter's drawing, but a symbol that lies wholly on the picture is laid down from a
/// stamp of its pixels made once, and with `memory` a flashing symbol's track is toggled
/// from the pixels kept there, so that a timer refresh of a thousand reports costs
/// little. Throws the list's DataError, if it was cut short, after drawing.
void DrawReports(QImage& image, const ReportList& list, const std::vector<PlacedReport>& placed,
                 DateTime simulationTime, bool flash, ToggleMemory* memory = nullptr);

} // namespace nimbrel
