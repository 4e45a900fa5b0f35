#pragma once
// Verification of the trainee's products against the day's storm reports, and of the
// trainee's outlook against the practically perfect forecast. Plain functions over the
// product records, the reports and the corners; the score window only shows the result.
#include <array>
#include <optional>
#include <vector>

#include <QString>
#include <QStringList>

#include "base/datetime.h"
#include "debrief/forecast_notes.h"
#include "debrief/practically_perfect.h"
#include "map/geodesy.h"
#include "products/product_record.h"
#include "reports/report_file.h"

namespace nimbrel {

/// The reports of a case window as far as the case's report file could be read.
struct CaseReports {
    std::vector<StormReport> Reports; ///< tornado, hail and wind reports of the window
    int Unplaced = 0;                 ///< reports of the window without a usable position
    bool Readable = true;             ///< false: the file is missing or unreadable
    QString Problem;                  ///< the file's error message; empty when read in full
    QString Path;                     ///< the file read
};

/// The case window runs from 1200 UTC of the case day to 1200 UTC of the next (both
/// included). Reads `path` (the case's "rpt.dat"); a missing file gives no reports and
/// Readable false, a file cut short keeps the reports before the cut. Either way
/// Problem holds the message the user reads. Reports of unknown kind are not scored;
/// reports at 0,0 or off the globe are counted as Unplaced.
CaseReports ReadCaseWindowReports(const QString& path, DateTime caseStart);

/// Whether `p` lies in the closed polygon of `corners` whose sides are great-circle arcs
/// (points on a side or at a corner count as inside). Worked in the gnomonic plane
/// centred on the corners' mean, where great circles are straight lines, so a side
/// along a meridian, or crossing 100W, is exact. Points 90 degrees or more from the
/// centre are outside.
bool PolygonContains(const std::array<GeoPoint, 6>& corners, const GeoPoint& p);
/// Area of that polygon in square statute miles: the sum of the signed spherical
/// triangles of a fan from corner 1, each by the formula of Van Oosterom and Strackee,
///   tan(E/2) = a.(b x c) / (1 + a.b + b.c + c.a)   (unit vectors a, b, c),
/// times R^2 with R = 3956 statute miles (1 degree = 60 nm).
double PolygonSquareMiles(const std::array<GeoPoint, 6>& corners);

/// Inside: start point in the product's area and time in its valid window, ends included.
bool ReportInside(const StormReport& report, const ProductRecord& product);
/// Whether a report of `reportKind` verifies a product of `kind`: any report for an
/// outlook and a severe thunderstorm watch, only a tornado for a tornado watch.
bool ReportVerifies(ProductKind kind, std::int32_t reportKind);

/// An area below this (square miles) is no area: corners on one line or one point.
inline constexpr double NoAreaSquareMiles = 0.01;

struct ProductScore {
    ProductRecord Record;
    int Tornado = 0, Hail = 0, Wind = 0; ///< reports inside, by kind
    bool Verified = false;
    /// Minutes from issue to the first report inside; none when no report is inside.
    std::optional<double> LeadMinutes;
    /// The lead time as the warning services count it, for watches only: to the first
    /// tornado inside for a tornado watch, to the first report inside for a severe
    /// thunderstorm watch. Outlooks have none.
    std::optional<double> WarningLeadMinutes;
    /// 0 when the corners enclose no area (below NoAreaSquareMiles).
    double SquareMiles = 0.0;
    /// Reports inside per 10,000 square miles = inside / area * 10,000; none without area.
    std::optional<double> ReportsPer10k;
    int Inside() const { return Tornado + Hail + Wind; }
};

/// A 2 x 2 contingency count with its scores (none where the denominator is 0).
struct Contingency {
    int Hits = 0, Misses = 0, FalseAlarms = 0;
    std::optional<double> Pod;  ///< hits / (hits + misses)
    std::optional<double> Far;  ///< false alarms / (hits + false alarms)
    std::optional<double> Csi;  ///< hits / (hits + misses + false alarms)
    std::optional<double> Bias; ///< (hits + false alarms) / (hits + misses)
    void Finish();
};

/// The probabilities at which a risk category counts as observed on the grid: the
/// all-report field reaching `All`, or the tornado field reaching `Tornado`.
struct CategoryThresholds {
    double All = 0.0;
    double Tornado = 0.0;
};
/// Slight 15 % or tornado 5 %, moderate 45 % or 15 %, high 60 % or 30 %: the Storm
/// Prediction Center's conversion of its day 1 probabilities to risk categories (the
/// hail and wind thresholds applied to the all-report field). None for a watch.
std::optional<CategoryThresholds> OutlookThresholds(ProductKind kind);

/// One outlook on the 80 km grid against the practically perfect fields at its
/// category's thresholds: a box is forecast when its grid point is inside the outlook,
/// observed when the fields reach the thresholds there. On a day whose fields never
/// reach them every forecast box is a false alarm.
struct OutlookGridScore {
    std::size_t Product = 0; ///< index into ExerciseScore::Products
    CategoryThresholds Thresholds;
    Contingency Boxes;
};

/// One watch by events: the reports that verify its kind during its valid window, hits
/// inside its area, misses outside; the watch itself is the false alarm when none fell
/// inside. The same on the 80 km grid (boxes holding such a report), so that segments of
/// one track and clusters of hail count once.
struct WatchEventScore {
    std::size_t Product = 0; ///< index into ExerciseScore::Products
    Contingency Events;
    int EventBoxes = 0, BoxesHit = 0;
    std::optional<double> BoxPod;
};

/// The watches together over every report of the case window: a report is covered when
/// it falls inside a watch it verifies while the watch is valid.
struct WatchesTogether {
    int Watches = 0, NotVerified = 0;
    int Events = 0, Covered = 0;
    int EventBoxes = 0, BoxesCovered = 0;
    std::optional<double> Pod, BoxPod, Far, Csi;
    /// Mean over every event of the case window of the minutes from the issue of the
    /// earliest watch covering it, a missed event counting 0.
    std::optional<double> MeanLeadAllMinutes;
    /// The same mean over the covered events only.
    std::optional<double> MeanLeadCoveredMinutes;
};

/// The trainee's outlook against the practically perfect outlook, counted in grid points:
/// a hit is a point in both, a miss in the perfect outlook only, a false alarm in the
/// trainee's only; CSI = hits / (hits + misses + false alarms).
struct OutlookVersusPerfect {
    bool HasOutlook = false;
    bool HasPerfect = false; ///< the field reaches 15 % somewhere
    int Hits = 0, Misses = 0, FalseAlarms = 0;
    std::optional<double> Csi;
};

struct ExerciseScore {
    std::vector<ProductScore> Products;
    CaseReports Reports;
    std::vector<bool> InsideAny; ///< per report of Reports: inside at least one product
    int ReportsInside = 0;       ///< reports inside at least one product
    int ProductsNotVerified = 0;
    /// POD = reports inside at least one product / all reports of the case window.
    std::optional<double> Pod;
    /// FAR = products that did not verify / products issued.
    std::optional<double> Far;
    /// CSI = reports inside / (all reports + products that did not verify).
    std::optional<double> Csi;
    /// Mean over the reports inside of the minutes from the issue of the earliest product
    /// holding the report to the report.
    std::optional<double> MeanLeadMinutes;
    PerfectField Perfect;        ///< all reports
    PerfectField PerfectTornado; ///< tornado reports only
    OutlookVersusPerfect Versus;
    std::vector<OutlookGridScore> Outlooks; ///< in issue order
    std::vector<WatchEventScore> Watches;   ///< in issue order
    WatchesTogether WatchTotals;
    int PerfectTornadoBoxes = 0; ///< grid boxes of the tornado 5 % area
    /// The trainee's forecast notebook, kept with the score (the caller fills it in).
    ForecastNotes Notes;
};

/// Scores `products` against `reports` (normally from ReadCaseWindowReports).
ExerciseScore ScoreExercise(const ProductRecords& products, CaseReports reports);

/// "1 report", "2 reports": `n` with `one`, or with `many` (default: `one` + "s").
QString Count(int n, const char* one, const char* many = nullptr);

/// Product kinds in words ("Slight risk", "Tornado watch").
QString ProductKindName(ProductKind kind);
/// The scorecard's summary lines in words: what was scored, the exercise's POD, FAR, CSI
/// and mean lead time (or why one cannot be given), the practically perfect outlook and
/// what could not be scored when the report file was missing or cut short.
QStringList ScoreSummaryLines(const ExerciseScore& score);

} // namespace nimbrel
