#pragma once
// Contour lines of a chart-grid field, traced by GDAL's contour generator.
#include <vector>

#include <QPolygonF>

#include "grids/grid_files.h"

namespace nimbrel::grids {

struct ContourLine {
    double Level = 0;
    QPolygonF Points; ///< chart pixels
};

/// Lines at every multiple of `interval` (offset by `base`) inside the field's range.
/// Holes (NaN) are left open. Throws DataError when GDAL refuses the field.
std::vector<ContourLine> Contours(const Field& field, double interval, double base = 0.0);

} // namespace nimbrel::grids
