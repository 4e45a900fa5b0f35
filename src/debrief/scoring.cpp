#include "debrief/scoring.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QLocale>

#include "base/errors.h"

namespace nimbrel {
namespace {

constexpr double Rad = std::numbers::pi / 180.0;
// 1 degree = 60 nautical miles of 1.150779 statute miles.
constexpr double EarthRadiusMiles = 60.0 * 1.150779448 / Rad;
// Report and window times are sums of a day number and fractions; a tolerance far
// below a second keeps both ends of a window inclusive.
constexpr double TimeTolerance = 1e-9;
constexpr double MinutesPerDay = 1440.0;

struct Vec3 {
    double X, Y, Z;
};
Vec3 Unit(const GeoPoint& p) {
    const double lat = p.Latitude * Rad, lon = p.Longitude * Rad;
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}
double Dot(const Vec3& a, const Vec3& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}
Vec3 Normalised(const Vec3& a) {
    const double n = std::sqrt(Dot(a, a));
    return n > 0.0 ? Vec3{a.X / n, a.Y / n, a.Z / n} : Vec3{0.0, 0.0, 1.0};
}

/// The gnomonic plane touching the sphere at `centre`: a point p maps to
/// (p.e1, p.e2) / (p.c), which keeps great circles straight.
struct Gnomonic {
    Vec3 C, E1{}, E2{};
    explicit Gnomonic(const Vec3& centre) : C(Normalised(centre)) {
        const Vec3 up = std::abs(C.Z) < 0.9 ? Vec3{0.0, 0.0, 1.0} : Vec3{1.0, 0.0, 0.0};
        E1 = Normalised(Cross(up, C));
        E2 = Cross(C, E1);
    }
    bool Map(const GeoPoint& p, double& x, double& y) const {
        const Vec3 v = Unit(p);
        const double c = Dot(v, C);
        if (c <= 1e-12) return false;
        x = Dot(v, E1) / c;
        y = Dot(v, E2) / c;
        return true;
    }
};

Vec3 MeanDirection(const std::array<GeoPoint, 6>& corners) {
    Vec3 sum{0.0, 0.0, 0.0};
    for (const GeoPoint& p : corners) {
        const Vec3 v = Unit(p);
        sum = {sum.X + v.X, sum.Y + v.Y, sum.Z + v.Z};
    }
    return sum;
}

bool OnSegment(double px, double py, double ax, double ay, double bx, double by) {
    // Distance from p to segment ab below 1e-9 earth radii (about 6 mm).
    constexpr double Eps = 1e-9;
    const double dx = bx - ax, dy = by - ay;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy)) <= Eps;
}

bool Placed(const GeoPoint& p) {
    return std::isfinite(p.Latitude) && std::isfinite(p.Longitude) &&
           std::abs(p.Latitude) <= 90.0 && std::abs(p.Longitude) <= 180.0 &&
           !(p.Latitude == 0.0 && p.Longitude == 0.0);
}

bool KnownKind(std::int32_t kind) {
    return kind >= static_cast<std::int32_t>(ReportKind::Tornado) &&
           kind <= static_cast<std::int32_t>(ReportKind::Wind);
}

QString Fixed(double v, int decimals = 2) {
    return QString::number(v, 'f', decimals);
}

QString Minutes(double minutes) {
    const long m = std::lround(minutes);
    if (std::abs(m) < 60) return QStringLiteral("%1 min").arg(m);
    return QStringLiteral("%1 h %2 min").arg(m / 60).arg(std::abs(m % 60), 2, 10, QLatin1Char('0'));
}

QString OptFixed(const std::optional<double>& v) {
    return v ? Fixed(*v) : QStringLiteral("n/a");
}

} // namespace

/// "1 report", "2 reports": a count with its noun in the right number.
QString Count(int n, const char* one, const char* many) {
    QString word = QString::fromLatin1(n != 1 && many ? many : one);
    if (n != 1 && !many) word += QLatin1Char('s');
    return QString::number(n) + QLatin1Char(' ') + word;
}

namespace {

QString SquareMiles(double v) {
    return QLocale(QLocale::English).toString(std::round(v), 'f', 0) + QStringLiteral(" sq mi");
}

/// The time of the first report inside `product` that verifies it.
std::optional<DateTime> FirstVerifying(const ProductRecord& product,
                                       const std::vector<StormReport>& reports) {
    std::optional<DateTime> first;
    for (const StormReport& r : reports)
        if (ReportVerifies(product.Kind, r.Kind) && ReportInside(r, product) &&
            (!first || r.Time < *first))
            first = r.Time;
    return first;
}

std::optional<double> Ratio(int numerator, int denominator) {
    if (denominator <= 0) return std::nullopt;
    return static_cast<double>(numerator) / denominator;
}

bool InWindow(const StormReport& r, const ProductRecord& p) {
    return r.Time >= p.ValidFrom - TimeTolerance && r.Time <= p.ValidUntil + TimeTolerance;
}

OutlookGridScore ScoreOutlookOnGrid(std::size_t index, const ProductRecord& outlook,
                                    CategoryThresholds t, const PerfectField& all,
                                    const PerfectField& tornado) {
    OutlookGridScore out;
    out.Product = index;
    out.Thresholds = t;
    // The field's rectangle and the outlook's own, so that boxes of an outlook drawn
    // beyond the field still count as false alarms. A box of margin covers sides that
    // bow outwards between corners.
    int i0 = all.FirstI, i1 = all.FirstI + all.Columns - 1;
    int j0 = all.FirstJ, j1 = all.FirstJ + all.Rows - 1;
    for (const GeoPoint& c : outlook.Corners) {
        const GridIndex g = NearestGridPoint(c);
        i0 = std::min(i0, g.I - 1);
        i1 = std::max(i1, g.I + 1);
        j0 = std::min(j0, g.J - 1);
        j1 = std::max(j1, g.J + 1);
    }
    Contingency& b = out.Boxes;
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) {
            const bool observed = all.At(i, j) >= t.All || tornado.At(i, j) >= t.Tornado;
            const bool forecast =
                PolygonContains(outlook.Corners, FromPlane({i * PerfectGridKm, j * PerfectGridKm}));
            if (forecast && observed) ++b.Hits;
            if (!forecast && observed) ++b.Misses;
            if (forecast && !observed) ++b.FalseAlarms;
        }
    b.Finish();
    return out;
}

WatchEventScore ScoreWatchByEvents(std::size_t index, const ProductRecord& watch,
                                   const std::vector<StormReport>& reports) {
    WatchEventScore out;
    out.Product = index;
    std::vector<GridIndex> boxes, hitBoxes;
    auto add = [](std::vector<GridIndex>& v, const GridIndex& g) {
        if (std::find(v.begin(), v.end(), g) == v.end()) v.push_back(g);
    };
    Contingency& e = out.Events;
    for (const StormReport& r : reports) {
        if (!ReportVerifies(watch.Kind, r.Kind) || !InWindow(r, watch)) continue;
        const GridIndex g = NearestGridPoint(r.Start);
        add(boxes, g);
        if (PolygonContains(watch.Corners, r.Start)) {
            ++e.Hits;
            add(hitBoxes, g);
        } else {
            ++e.Misses;
        }
    }
    e.FalseAlarms = e.Hits > 0 ? 0 : 1;
    e.Finish();
    out.EventBoxes = static_cast<int>(boxes.size());
    out.BoxesHit = static_cast<int>(hitBoxes.size());
    out.BoxPod = Ratio(out.BoxesHit, out.EventBoxes);
    return out;
}

WatchesTogether TotalWatches(const ProductRecords& products,
                             const std::vector<StormReport>& reports) {
    WatchesTogether w;
    std::vector<bool> verified(products.size(), false);
    std::vector<GridIndex> boxes, covered;
    auto add = [](std::vector<GridIndex>& v, const GridIndex& g) {
        if (std::find(v.begin(), v.end(), g) == v.end()) v.push_back(g);
    };
    double leadAll = 0.0;
    for (const StormReport& r : reports) {
        ++w.Events;
        const GridIndex g = NearestGridPoint(r.Start);
        add(boxes, g);
        std::optional<DateTime> earliest;
        for (std::size_t i = 0; i < products.size(); ++i) {
            const ProductRecord& p = products[i];
            if (!IsWatch(p.Kind) || !ReportVerifies(p.Kind, r.Kind) || !ReportInside(r, p))
                continue;
            verified[i] = true;
            if (!earliest || p.IssueTime < *earliest) earliest = p.IssueTime;
        }
        if (!earliest) continue; // missed: a lead time of 0
        ++w.Covered;
        add(covered, g);
        leadAll += (r.Time - *earliest) * MinutesPerDay;
    }
    for (std::size_t i = 0; i < products.size(); ++i)
        if (IsWatch(products[i].Kind)) {
            ++w.Watches;
            if (!verified[i]) ++w.NotVerified;
        }
    w.EventBoxes = static_cast<int>(boxes.size());
    w.BoxesCovered = static_cast<int>(covered.size());
    w.Pod = Ratio(w.Covered, w.Events);
    w.BoxPod = Ratio(w.BoxesCovered, w.EventBoxes);
    w.Far = Ratio(w.NotVerified, w.Watches);
    w.Csi = Ratio(w.Covered, w.Events + w.NotVerified);
    if (w.Events > 0) w.MeanLeadAllMinutes = leadAll / w.Events;
    if (w.Covered > 0) w.MeanLeadCoveredMinutes = leadAll / w.Covered;
    return w;
}

} // namespace

void Contingency::Finish() {
    Pod = Ratio(Hits, Hits + Misses);
    Far = Ratio(FalseAlarms, Hits + FalseAlarms);
    Csi = Ratio(Hits, Hits + Misses + FalseAlarms);
    Bias = Ratio(Hits + FalseAlarms, Hits + Misses);
}

std::optional<CategoryThresholds> OutlookThresholds(ProductKind kind) {
    switch (kind) {
    case ProductKind::SlightRiskOutlook:
        return CategoryThresholds{0.15, 0.05};
    case ProductKind::ModerateRiskOutlook:
        return CategoryThresholds{0.45, 0.15};
    case ProductKind::HighRiskOutlook:
        return CategoryThresholds{0.60, 0.30};
    default:
        return std::nullopt;
    }
}

CaseReports ReadCaseWindowReports(const QString& path, DateTime caseStart) {
    CaseReports out;
    out.Path = path;
    const DateTime from = std::floor(caseStart) + 0.5;
    const DateTime to = from + 1.0;
    try {
        ForEachReport(path, [&](const StormReport& r) {
            if (!KnownKind(r.Kind)) return;
            if (r.Time < from - TimeTolerance || r.Time > to + TimeTolerance) return;
            if (!Placed(r.Start)) {
                ++out.Unplaced;
                return;
            }
            out.Reports.push_back(r);
        });
    } catch (const FileNotFound& e) {
        out.Readable = false;
        out.Problem = e.Message();
    } catch (const DataError& e) {
        out.Problem = e.Message(); // cut short: the reports before the cut stay
    } catch (const FileError& e) {
        out.Readable = false;
        out.Reports.clear();
        out.Problem = e.Message();
    }
    return out;
}

bool PolygonContains(const std::array<GeoPoint, 6>& corners, const GeoPoint& p) {
    const Gnomonic plane(MeanDirection(corners));
    std::array<double, 6> xs{}, ys{};
    for (std::size_t i = 0; i < corners.size(); ++i)
        if (!plane.Map(corners[i], xs[i], ys[i])) return false;
    double px = 0.0, py = 0.0;
    if (!plane.Map(p, px, py)) return false;
    bool inside = false;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
        if (OnSegment(px, py, xs[j], ys[j], xs[i], ys[i])) return true;
        // Crossing number: count the sides a ray to the east crosses.
        if ((ys[i] > py) != (ys[j] > py) &&
            px < xs[j] + (py - ys[j]) * (xs[i] - xs[j]) / (ys[i] - ys[j]))
            inside = !inside;
    }
    return inside;
}

double PolygonSquareMiles(const std::array<GeoPoint, 6>& corners) {
    const Vec3 a = Unit(corners[0]);
    double excess = 0.0;
    for (std::size_t i = 1; i + 1 < corners.size(); ++i) {
        const Vec3 b = Unit(corners[i]), c = Unit(corners[i + 1]);
        excess += 2.0 * std::atan2(Dot(a, Cross(b, c)), 1.0 + Dot(a, b) + Dot(b, c) + Dot(c, a));
    }
    return std::abs(excess) * EarthRadiusMiles * EarthRadiusMiles;
}

bool ReportInside(const StormReport& report, const ProductRecord& product) {
    return report.Time >= product.ValidFrom - TimeTolerance &&
           report.Time <= product.ValidUntil + TimeTolerance &&
           PolygonContains(product.Corners, report.Start);
}

bool ReportVerifies(ProductKind kind, std::int32_t reportKind) {
    if (kind == ProductKind::TornadoWatch)
        return reportKind == static_cast<std::int32_t>(ReportKind::Tornado);
    return KnownKind(reportKind);
}

ExerciseScore ScoreExercise(const ProductRecords& products, CaseReports reports) {
    ExerciseScore s;
    s.Reports = std::move(reports);
    const std::vector<StormReport>& all = s.Reports.Reports;
    s.InsideAny.assign(all.size(), false);
    // Earliest issue time of a product holding each report, for the mean lead time.
    std::vector<std::optional<DateTime>> firstIssue(all.size());

    for (const ProductRecord& product : products) {
        ProductScore ps;
        ps.Record = product;
        ps.SquareMiles = PolygonSquareMiles(product.Corners);
        std::optional<DateTime> firstInside;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const StormReport& r = all[i];
            if (!ReportInside(r, product)) continue;
            switch (static_cast<ReportKind>(r.Kind)) {
            case ReportKind::Tornado:
                ++ps.Tornado;
                break;
            case ReportKind::Hail:
                ++ps.Hail;
                break;
            case ReportKind::Wind:
                ++ps.Wind;
                break;
            }
            if (ReportVerifies(product.Kind, r.Kind)) ps.Verified = true;
            if (!firstInside || r.Time < *firstInside) firstInside = r.Time;
            s.InsideAny[i] = true;
            if (!firstIssue[i] || product.IssueTime < *firstIssue[i])
                firstIssue[i] = product.IssueTime;
        }
        if (firstInside) ps.LeadMinutes = (*firstInside - product.IssueTime) * MinutesPerDay;
        if (IsWatch(product.Kind))
            if (const auto first = FirstVerifying(product, all))
                ps.WarningLeadMinutes = (*first - product.IssueTime) * MinutesPerDay;
        // Corners on one line (or one point) leave a rounding error of area, which would
        // give an absurd density: no area, and no density.
        if (ps.SquareMiles < NoAreaSquareMiles) ps.SquareMiles = 0.0;
        if (ps.SquareMiles > 0.0) ps.ReportsPer10k = ps.Inside() / ps.SquareMiles * 10000.0;
        if (!ps.Verified) ++s.ProductsNotVerified;
        s.Products.push_back(ps);
    }

    double leadSum = 0.0;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (s.InsideAny[i]) {
            ++s.ReportsInside;
            leadSum += (all[i].Time - *firstIssue[i]) * MinutesPerDay;
        }
    const int n = static_cast<int>(all.size());
    const int np = static_cast<int>(products.size());
    if (n > 0) s.Pod = static_cast<double>(s.ReportsInside) / n;
    if (np > 0) s.Far = static_cast<double>(s.ProductsNotVerified) / np;
    if (n + s.ProductsNotVerified > 0)
        s.Csi = static_cast<double>(s.ReportsInside) / (n + s.ProductsNotVerified);
    if (s.ReportsInside > 0) s.MeanLeadMinutes = leadSum / s.ReportsInside;

    std::vector<GeoPoint> points, tornadoes;
    for (const StormReport& r : all) {
        points.push_back(r.Start);
        if (r.Kind == static_cast<std::int32_t>(ReportKind::Tornado)) tornadoes.push_back(r.Start);
    }
    s.Perfect = PracticallyPerfectField(points);
    s.PerfectTornado = PracticallyPerfectField(tornadoes);

    // The trainee's outlook (the union, should there ever be more than one) on the grid.
    OutlookVersusPerfect& v = s.Versus;
    v.HasPerfect = s.Perfect.Peak() >= PerfectOutlookThreshold;
    for (const ProductRecord& p : products)
        v.HasOutlook = v.HasOutlook || IsOutlook(p.Kind);
    if (v.HasOutlook && v.HasPerfect) {
        const PerfectField& f = s.Perfect;
        for (int r = 0; r < f.Rows; ++r)
            for (int c = 0; c < f.Columns; ++c) {
                const int i = f.FirstI + c, j = f.FirstJ + r;
                const GeoPoint at = FromPlane({i * PerfectGridKm, j * PerfectGridKm});
                bool forecast = false;
                for (const ProductRecord& p : products)
                    forecast = forecast || (IsOutlook(p.Kind) && PolygonContains(p.Corners, at));
                const bool observed = f.At(i, j) >= PerfectOutlookThreshold;
                if (forecast && observed) ++v.Hits;
                if (!forecast && observed) ++v.Misses;
                if (forecast && !observed) ++v.FalseAlarms;
            }
        v.Csi = static_cast<double>(v.Hits) / (v.Hits + v.Misses + v.FalseAlarms);
    }
    s.PerfectTornadoBoxes =
        static_cast<int>(s.PerfectTornado.PointsAtLeast(PerfectTornadoThreshold).size());
    for (std::size_t i = 0; i < products.size(); ++i) {
        if (const auto t = OutlookThresholds(products[i].Kind))
            s.Outlooks.push_back(
                ScoreOutlookOnGrid(i, products[i], *t, s.Perfect, s.PerfectTornado));
        if (IsWatch(products[i].Kind)) s.Watches.push_back(ScoreWatchByEvents(i, products[i], all));
    }
    s.WatchTotals = TotalWatches(products, all);
    return s;
}

QString ProductKindName(ProductKind kind) {
    switch (kind) {
    case ProductKind::SlightRiskOutlook:
        return QStringLiteral("Slight risk");
    case ProductKind::ModerateRiskOutlook:
        return QStringLiteral("Moderate risk");
    case ProductKind::HighRiskOutlook:
        return QStringLiteral("High risk");
    case ProductKind::SevereWatch:
        return QStringLiteral("Severe thunderstorm watch");
    case ProductKind::TornadoWatch:
        return QStringLiteral("Tornado watch");
    case ProductKind::None:
        break;
    }
    return QStringLiteral("Unknown product");
}

QStringList ScoreSummaryLines(const ExerciseScore& s) {
    QStringList out;
    const CaseReports& cr = s.Reports;
    const int n = static_cast<int>(cr.Reports.size());
    const int np = static_cast<int>(s.Products.size());
    if (!cr.Readable) {
        out << QStringLiteral("The case's report file could not be read (%1): reports inside, "
                              "verification, POD, FAR, CSI, lead times and the practically "
                              "perfect forecast are not scored.")
                   .arg(cr.Problem);
    } else if (!cr.Problem.isEmpty()) {
        out << QStringLiteral("The case's report file is cut short (%1): only the %2 before "
                              "the cut are scored; later reports are missing from every score "
                              "below.")
                   .arg(cr.Problem, Count(n, "report"));
    }
    if (np == 0) out << QStringLiteral("No product was issued: there is nothing to verify.");
    if (cr.Readable && n == 0)
        out << QStringLiteral("No report fell in the case window (1200 UTC to 1200 UTC the next "
                              "day).");
    if (cr.Unplaced > 0)
        out << QStringLiteral("%1 without a position %2 left out.")
                   .arg(Count(cr.Unplaced, "report"),
                        cr.Unplaced == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    if (!cr.Readable) return out;

    // Outlooks on the grid, each at its category's thresholds.
    for (const OutlookGridScore& o : s.Outlooks) {
        const Contingency& b = o.Boxes;
        out << QStringLiteral("%1 on the 80 km grid (observed where the practically perfect "
                              "probability reaches %2 %, or %3 % for tornadoes): %4, %5, %6; "
                              "POD %7, FAR %8, CSI %9, bias %10.")
                   .arg(ProductKindName(s.Products[o.Product].Record.Kind))
                   .arg(std::lround(o.Thresholds.All * 100.0))
                   .arg(std::lround(o.Thresholds.Tornado * 100.0))
                   .arg(Count(b.Hits, "hit"), Count(b.Misses, "miss", "misses"),
                        Count(b.FalseAlarms, "false alarm"), OptFixed(b.Pod), OptFixed(b.Far),
                        OptFixed(b.Csi), OptFixed(b.Bias));
        if (b.Hits + b.Misses == 0)
            out << QStringLiteral("Nothing reached those thresholds today: every box of the "
                                  "outlook is a false alarm.");
    }
    // Watches by events.
    for (const WatchEventScore& w : s.Watches) {
        const Contingency& e = w.Events;
        const ProductScore& p = s.Products[w.Product];
        out << QStringLiteral("%1, issued %2 UTC, by events: %3 inside, %4 outside while it "
                              "was valid%5; POD %6, FAR %7, CSI %8; event boxes %9 of %10 "
                              "(POD %11).")
                   .arg(ProductKindName(p.Record.Kind),
                        FormatDateTime(QStringLiteral("hhnn"), p.Record.IssueTime),
                        QString::number(e.Hits), QString::number(e.Misses),
                        e.FalseAlarms > 0 ? QStringLiteral(", a false alarm") : QString(),
                        OptFixed(e.Pod), OptFixed(e.Far), OptFixed(e.Csi))
                   .arg(w.BoxesHit)
                   .arg(w.EventBoxes)
                   .arg(OptFixed(w.BoxPod));
    }
    const WatchesTogether& wt = s.WatchTotals;
    if (wt.Watches > 0)
        out << QStringLiteral("Watches together: %1 of %2 covered (POD %3), %4 of %5 "
                              "(POD %6); %7 of %8 did not verify (FAR %9).")
                   .arg(QString::number(wt.Covered), Count(wt.Events, "report"), OptFixed(wt.Pod),
                        QString::number(wt.BoxesCovered),
                        Count(wt.EventBoxes, "event box", "event boxes"), OptFixed(wt.BoxPod),
                        QString::number(wt.NotVerified), Count(wt.Watches, "watch", "watches"),
                        OptFixed(wt.Far));
    if (wt.MeanLeadAllMinutes)
        out << QStringLiteral("Mean lead time over all %1 of the day, missed ones at 0: %2.")
                   .arg(Count(wt.Events, "event"), Minutes(*wt.MeanLeadAllMinutes));
    if (wt.MeanLeadCoveredMinutes)
        out << QStringLiteral("Mean lead time over the %1 inside a watch: %2.")
                   .arg(Count(wt.Covered, "event"), Minutes(*wt.MeanLeadCoveredMinutes));
    else if (n > 0)
        out << QStringLiteral("Mean lead time over covered events: none, no event fell inside a "
                              "watch it verifies.");

    // Every product together, outlooks and watches pooled.
    if (s.Pod)
        out << QStringLiteral("All products together, POD %1: %2 of %3 fell inside a product.")
                   .arg(Fixed(*s.Pod), QString::number(s.ReportsInside), Count(n, "report"));
    else
        out << QStringLiteral("POD: no report to detect.");
    if (s.Far)
        out << QStringLiteral("FAR %1: %2 of %3 did not verify.")
                   .arg(Fixed(*s.Far), QString::number(s.ProductsNotVerified),
                        Count(np, "product"));
    else
        out << QStringLiteral("FAR: no product issued.");
    if (s.Csi)
        out << QStringLiteral("CSI %1: %2 inside / (%3 + %4 that did not verify).")
                   .arg(Fixed(*s.Csi), QString::number(s.ReportsInside), Count(n, "report"),
                        Count(s.ProductsNotVerified, "product"));
    else
        out << QStringLiteral("CSI: no report and no product to score.");

    const double box = GridBoxSquareMiles();
    if (s.Versus.HasPerfect) {
        const auto points = s.Perfect.PointsAtLeast(PerfectOutlookThreshold);
        out << QStringLiteral("Practically perfect outlook (15 %): %1, about %2; peak %3 %.")
                   .arg(Count(static_cast<int>(points.size()), "grid box", "grid boxes"),
                        SquareMiles(static_cast<double>(points.size()) * box))
                   .arg(std::lround(s.Perfect.Peak() * 100.0));
    } else {
        out << QStringLiteral("The practically perfect probability never reaches 15 % today "
                              "(peak %1 %): there is no practically perfect outlook.")
                   .arg(std::lround(s.Perfect.Peak() * 100.0));
    }
    if (s.PerfectTornadoBoxes > 0)
        out << QStringLiteral("Practically perfect tornado area (5 %): %1, about %2.")
                   .arg(Count(s.PerfectTornadoBoxes, "grid box", "grid boxes"),
                        SquareMiles(static_cast<double>(s.PerfectTornadoBoxes) * box));
    else
        out << QStringLiteral("No practically perfect tornado area: no tornado report.");
    if (!s.Versus.HasOutlook)
        out << QStringLiteral("No outlook was issued to compare with the practically perfect "
                              "outlook.");
    for (const ProductScore& p : s.Products)
        if (p.SquareMiles <= 0.0)
            out << QStringLiteral("The %1 issued %2 UTC has no area (its corners lie on one "
                                  "line): it has no report density.")
                       .arg(ProductKindName(p.Record.Kind).toLower(),
                            FormatDateTime(QStringLiteral("hhnn"), p.Record.IssueTime));
    return out;
}

} // namespace nimbrel
