#pragma once
// Pure picture work of the main view: a sounding beside the station map, the forecast
// outline of the target map, and the page geometry of a print.
#include <array>

#include <QImage>
#include <QSize>

#include "map/projection.h"

namespace nimbrel {

/// Width of the band at the left of the sounding view that keeps the station map.
inline constexpr int StationMapBand = 400;

/// The view's picture after a sounding is shown: StationMapBand pixels wider than the
/// sounding and as high; the previous picture stays at the top-left (so the station
/// map keeps the band), area it did not cover is white, and the sounding is drawn at
/// (StationMapBand, 0).
QImage ComposeSoundingView(const QImage& current, const QImage& sounding);

/// The printed size of a `width` x `height` picture on a page with a printable area of
/// `pageWidth` x `pageHeight` printer pixels: it fills the page in one direction and
/// keeps its proportions.
QSize PrintedSize(int width, int height, int pageWidth, int pageHeight);

} // namespace nimbrel
