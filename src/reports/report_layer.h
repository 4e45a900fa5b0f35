#pragma once
// The storm report layer of the target map: every report whose time has come, with a
// symbol by kind; the reports of the last hour blink on the report timer's refreshes.
#include <cstdint>
#include <functional>
#include <utility>
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
/// With `flash`, the symbols of the last hour (with a tornado's track) are composed on one
/// layer in file order and toggled once in not-xor, so that two timer refreshes in a row
/// give back the picture of the full refresh however the symbols overlap; the older
/// reports are drawn over again in copy mode around them. A file cut short in a record
/// throws DataError after the reports before it are drawn. The painter is left in copy
/// mode.
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

/// What the report timer's refreshes flash, worked out at the full refresh before them:
/// every pixel where the picture with the last hour's reports differs from the picture
/// without them, with its colour in both. A refresh of the timer sets the pixels of the
/// other phase, so the off phase is the map without those reports, pixel for pixel, however
/// the symbols overlap one another, the older reports, the chasers or the lines beneath.
class ToggleMemory {
public:
    struct Pixel {
        std::uint32_t Offset = 0; ///< in pixels from the first, rows of bytesPerLine() / 4
        std::uint32_t On = 0;
        std::uint32_t Off = 0;
    };
    /// Nothing is kept: the next timer refresh toggles the composed symbols instead.
    void Forget() { valid_ = false; }

private:
    friend void DrawReports(QImage&, const ReportList&, const std::vector<PlacedReport>&, DateTime,
                            bool, ToggleMemory*);
    bool Fits(const ReportList& list, const std::vector<PlacedReport>& placed, DateTime time,
              QSize picture) const;

    bool valid_ = false;
    bool on_ = true;                                         // the phase on the picture
    std::vector<std::pair<std::int32_t, DateTime>> records_; // kind and time of each
    std::vector<PlacedReport> placed_;
    DateTime time_ = 0.0;
    QSize picture_;
    std::vector<Pixel> pixels_;
};

/// Draws `list` (with `placed`, one entry per record) on a picture: the same pixels as the
/// painter's drawing, but a symbol that lies wholly on the picture is laid down from a
/// stamp of its pixels made once. With `memory`, the full refresh (no `flash`) keeps what
/// the last hour's reports change and a timer refresh sets the other phase from there, so
/// that a refresh of a thousand reports costs little and the off phase is the picture
/// without those reports; a memory that does not fit the list, the places, the time or
/// the picture is not used. Throws the list's DataError, if it was cut short, after drawing.
void DrawReports(QImage& image, const ReportList& list, const std::vector<PlacedReport>& placed,
                 DateTime simulationTime, bool flash, ToggleMemory* memory = nullptr);

} // namespace nimbrel
