#pragma once
// The analysed charts drawn from grids: surface, 850, 700, 500 and 250 mb on the chart
// grid's Lambert projection with the states' outlines, and the enhanced infrared picture
// of a satellite brightness-temperature field. Drawing only reads the fields.
#include <vector>

#include <QImage>
#include <QPolygonF>
#include <QString>
#include <QStringList>

#include "grids/grid_files.h"

namespace nimbrel::grids {

enum class ChartKind { Surface, Mb850, Mb700, Mb500, Mb250 };

/// "hsfc", "h850", "h700", "h500", "h250".
QString ChartPrefix(ChartKind kind);
/// The pressure level of an upper-air chart; 0 for the surface chart.
int ChartLevel(ChartKind kind);

/// State outlines on the chart, in chart pixels.
struct Geography {
    std::vector<QPolygonF> Outlines;
    /// Reads the shipped outline file (6-byte records: code, latitude and longitude in
    /// minutes of arc, east positive; a code of 1000 or more starts an outline).
    /// Throws as the record readers do.
    static Geography FromOutlineFile(const QString& path);
};

/// "500 MB ANALYSIS  VALID 1200 UTC 26 Oct 2010  GFS" ("SURFACE ANALYSIS ..." for the
/// surface chart).
QString ChartTitle(ChartKind kind, qint64 valid, const QString& source);

/// Why the chart cannot be drawn at `valid` ("" when it can): its contoured field
/// (sea-level pressure, or the level's height) is not in the files.
QString MissingMainField(const GridFiles& files, qint64 valid, ChartKind kind);

struct Chart {
    QImage Image;     ///< 800 x 600
    QStringList Left; ///< layers left out, each with its reason
};

/// Draws a chart; a missing secondary field leaves its layer out and says so in Left.
/// Call only when MissingMainField is empty.
Chart DrawChart(const GridFiles& files, qint64 valid, ChartKind kind, const Geography& geography);

/// Cold cloud tops in colour below -30 C, warmer scenes in grey; labelled as infrared.
QImage DrawInfrared(const Field& brightness, qint64 valid, const Geography& geography,
                    const QString& source);
/// The colour of a brightness temperature (C) in the enhanced infrared picture.
QRgb InfraredColour(double celsius);

} // namespace nimbrel::grids
