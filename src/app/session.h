#pragma once
// The state of the loaded case, held by the main window for the whole run. Each
// subsystem defines its part in its own header; this struct only gathers them.
#include <array>
#include <cstdint>

#include "app/folders.h"
#include "base/random.h"
#include "debrief/day_record.h"
#include "debrief/forecast_notes.h"
#include "map/basemap.h"
#include "map/chaser_layer.h"
#include "map/polygon.h"
#include "map/projection.h"
#include "products/product_record.h"
#include "reports/report_file.h"
#include "reports/report_layer.h"
#include "sim/chasers.h"
#include "sim/clock.h"
#include "viewer/frames.h"
#include "viewer/stations.h"

namespace nimbrel {

struct Session {
    DataFolders Folders;
    SimClock Clock;
    ChartKind Kind = ChartKind::VisibleSatellite;
    PlayerState Player;
    ProjectionDescriptor TheViewport;
    ForecastPolygon Polygon;
    ChaserTable Chasers{};
    std::int32_t LastProductKind = 0; ///< a ProductKind value; 0 none
    std::int32_t ProductThisHour = 0; ///< non-zero when a product was issued since the last advance
    /// Enabled state of the five product items of the Forecast menu, slight risk first.
    std::array<bool, 5> ProductItemsEnabled{true, true, true, true, true};
    /// Every product issued since the case was opened, in issue order, for the score.
    ProductRecords Products;
    /// The trainee's forecast notebook, cleared with the products.
    ForecastNotes Notes;
    StationTable Stations;
    RandomGenerator Rng;
    /// The target map's cached background, kept between refreshes of an unchanged view.
    BasemapMemory Basemap;
    /// The chaser icons of the per-user folder, decoded once.
    ChaserIconSet ChaserIcons;
    /// The working copy of the report file as last read, for the advance and the map.
    ReportStore WorkingReports;
    /// Where those reports fall on the current view.
    ReportPlacement WorkingReportPlaces;
    /// What their flashing symbols toggle on that view.
    ToggleMemory WorkingReportToggles;
    /// What the target map showed at every hour advanced, for the replay.
    DayRecord Replay;
};

} // namespace nimbrel
