#pragma once
// The trainee's forecast area: a six-vertex parallelogram around an axis.
// Arrays are 0-based: index i holds vertex i + 1 (index 1 = axis start A, index 4 = B).
#include <array>
#include <cstdint>

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

} // namespace nimbrel
