#pragma once
// The trainee's forecast area: a six-vertex parallelogram around an axis.
// Arrays are 0-based: index i holds vertex i + 1 (index 1 = axis start A, index 4 = B).
#include <array>
#include <cstdint>

#include <QImage>
#include <QString>

#include "map/geodesy.h"
#include "map/projection.h"

namespace nimbrel {

enum class DragState : std::int32_t { NotDrawing = 0, DrawingAxis = 1, SettingWidth = 2 };

struct ForecastPolygon {
    std::array<PixelPoint, 6> Vertices{};
    std::array<GeoPoint, 6> GeoVertices{};
    QString SideWords;
    DragState Drag = DragState::NotDrawing;
    std::array<PixelPoint, 6> LastDrawnOutline{};

    /// A fixed polygon exists (vertex 1 latitude is not the missing marker).
    bool IsSet() const { return GeoVertices[0].Latitude != MissingCoordinate; }
    /// The state at window show: no polygon, no band drawn.
    void MarkAbsent() {
        Vertices[0].X = MissingPixel;
        LastDrawnOutline[0].X = MissingPixel;
        GeoVertices[0].Latitude = MissingCoordinate;
    }
};

/// Vertices := ProjectToScreen of GeoVertices, all six.
void ReprojectPolygon(ForecastPolygon& polygon, const ProjectionDescriptor& viewport);

/// Shown for a press on any view but the target map.
inline const QString PolygonOnlyOnTargetMapText = QStringLiteral(
    "You can only draw polygons on the Target map.  Sorry, the graphical weather products are "
    "not georeferenced.  Please go to View > Targeting to draw your polygons.");

inline const QString NorthAndSouth = QStringLiteral("NORTH AND SOUTH");
inline const QString EastAndWest = QStringLiteral("EAST AND WEST");
inline const QString EitherSide = QStringLiteral("EITHER SIDE");

/// A left-button press on the target map at pixel (x, y): starts the axis when nothing
/// is being drawn, fixes the shape (GeoVertices from Vertices) while the width is being
/// set, and changes nothing while the axis is being drawn.
void PolygonPress(ForecastPolygon& polygon, const ProjectionDescriptor& viewport, int x, int y);
/// A button release: the axis is finished and the width comes next.
void PolygonRelease(ForecastPolygon& polygon);

/// What a mouse move asks of the window.
struct PolygonMoveResult {
    bool Redraw = false;    ///< the rubber band must be drawn again
    bool HasStatus = false; ///< StatusText goes to the status bar's second panel
    QString StatusText;
};
/// A mouse move to (x, y): moves the axis end, or lays off the width from the axis,
/// snapped to the compass or to the axis normal, and sets SideWords.
PolygonMoveResult PolygonMove(ForecastPolygon& polygon, int x, int y);

/// Toggles the last band off and the current Vertices on, on the visible picture, in
/// not-xor mode so that drawing the same band twice restores the picture.
void DrawRubberBand(QImage& view, ForecastPolygon& polygon);
/// The view's picture was replaced: the last band is no longer on it and must not be
/// toggled again (doing so would leave a ghost outline on the new picture).
void ForgetRubberBand(ForecastPolygon& polygon);
/// The fixed polygon as a hollow black outline, width 2, at its current Vertices.
void DrawFixedPolygon(QImage& bitmap, const ForecastPolygon& polygon);

} // namespace nimbrel
