#pragma once
// Measuring on the target map: the distance and direction between two points of the
// map, and the line and label that show them over the picture.
#include <QString>

#include "map/geodesy.h"
#include "map/projection.h"

class QPainter;

namespace nimbrel {

/// The measuring mode of the target map: on or off, and the line being dragged.
struct MeasureState {
    bool Active = false;
    bool Dragging = false;
    PixelPoint From; ///< the press point
    PixelPoint To;   ///< the cursor
};

/// Statute miles in one nautical mile (1852 m / 1609.344 m).
inline constexpr double StatuteMilesPerNauticalMile = 1852.0 / 1609.344;

/// "142 MI (123 NM) SOUTHEAST, 137°": the great-circle distance from `from` to `to`
/// in statute and nautical miles, each rounded to a whole mile, the compass word of
/// the initial bearing and the bearing rounded to a whole degree (0 to 359).
QString MeasureText(const GeoPoint& from, const GeoPoint& to);

/// The measuring text of two pixels of the view `viewport`.
QString MeasureText(const ProjectionDescriptor& viewport, PixelPoint from, PixelPoint to);

/// Draws the measuring line from `from` to `to` and `text` on a box beside `to`,
/// kept inside a picture of `width` x `height` pixels. Draws over whatever the painter
/// holds: callers draw it on a layer above the map, never into the map's picture.
void DrawMeasurement(QPainter& painter, PixelPoint from, PixelPoint to, const QString& text,
                     int width, int height);

} // namespace nimbrel
