#pragma once
// The storm report layer of the target map: every report whose time has come, with a
// symbol by kind; the reports of the last hour blink on the report timer's refreshes.
#include <functional>

#include <QString>

#include "base/datetime.h"
#include "map/geodesy.h"
#include "map/projection.h"

class QImage;
class QPainter;

namespace nimbrel {

/// Places a point of the earth on the map picture (the viewport's ProjectToScreen).
using ScreenProjector = std::function<PixelPoint(const GeoPoint&)>;

/// Draws the reports of the file at `path` in file order. A missing file draws nothing.
/// With `flash`, reports of the last hour are drawn in not-xor, so that two timer
/// refreshes in a row give back the picture of the full refresh; everything else is
/// drawn over in copy mode. A file cut short in a record throws DataError after the
/// reports before it are drawn. The painter is left in copy mode.
void DrawReports(QPainter& painter, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash);
/// The same on a picture, with a painter of its own.
void DrawReports(QImage& image, const ScreenProjector& project, const QString& path,
                 DateTime simulationTime, bool flash);

} // namespace nimbrel
