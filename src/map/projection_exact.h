#pragma once
// The target map's projection without rounding or its +-9999 pixel cut-off, for
// drawings that clip outlines to their picture themselves (the score map). Kept apart
// from projection.h, which nearly every file includes.
#include "map/projection.h"

namespace nimbrel {

/// The pixel position of `point` as ProjectToScreen works it out, unrounded and
/// without the cut-off, so that an outline reaching far off the picture can be clipped
/// rather than broken. False for a point outside the latitude/longitude ranges, not a
/// number, or on the far hemisphere (or for a view of NaNs).
bool ProjectToScreenExact(const ProjectionDescriptor& d, const GeoPoint& point, double& x,
                          double& y);

} // namespace nimbrel
