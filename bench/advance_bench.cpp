// Speed of the two things the trainee waits for on the target map: one hourly advance
// with a full day's worth of reports, and one report-timer refresh (500 ms period).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "app/session.h"
#include "base/datetime.h"
#include "base/prompts.h"
#include "map/chaser_layer.h"
#include "map/projection.h"
#include "products/map_annotations.h"
#include "reports/report_file.h"
#include "reports/report_layer.h"
#include "sim/hourly_advance.h"

using namespace nimbrel;

namespace {

class SilentPrompts : public Prompts {
public:
    void Information(const QString&) override {}
    void Warning(const QString&) override {}
    bool Confirm(const QString&) override { return true; }
    void ProcessEvents() override {}
};

/// `count` reports of all three kinds spread over the Plains, all within the hour before
/// 1300 UTC so that every one is folded into every chaser.
std::vector<StormReport> RecentReports(int count) {
    std::vector<StormReport> out;
    const DateTime base = EncodeDate(1979, 4, 10) + EncodeTime(12, 0, 0);
    for (int i = 0; i < count; ++i) {
        StormReport r;
        r.Time = base + (i % 60) / 1440.0;
        r.Kind = 1 + i % 3;
        r.Start = {30.0 + (i % 97) * 0.12, -104.0 + (i % 89) * 0.15};
        if (r.Kind == 1) r.End = {r.Start.Latitude + 0.1, r.Start.Longitude + 0.2};
        out.push_back(r);
    }
    return out;
}

struct Folders {
    explicit Folders(int reports = 1000) {
        QDir().mkpath(temp.path() + "/app");
        QDir().mkpath(temp.path() + "/disc/1979-04-10");
        app = temp.path() + "/app/";
        caseDir = temp.path() + "/disc/1979-04-10/";
        WriteReports(caseDir + "rpt.dat", RecentReports(reports));
        const QString shipped = QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/");
        for (const QString& name : QDir(shipped).entryList({"cha_*.bmp"}, QDir::Files))
            QFile::copy(shipped + name, app + name);
    }
    QTemporaryDir temp;
    QString app, caseDir;
};

void AdvanceWithRecentReports(benchmark::State& state) {
    Folders f(static_cast<int>(state.range(0)));
    Session s;
    s.Folders.AppDataDirectory = f.app;
    s.Folders.CaseDirectory = f.caseDir;
    s.Polygon.GeoVertices = {GeoPoint{35, -100}, GeoPoint{36, -100}, GeoPoint{37, -100},
                             GeoPoint{35, -95},  GeoPoint{36, -95},  GeoPoint{37, -95}};
    s.Rng.Seed(1);
    SilentPrompts prompts;
    int takenIn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        SetInitialClock(s.Clock);
        ResetChasers(s.Chasers, s.LastProductKind);
        s.LastProductKind = 5;
        s.ProductThisHour = 1;
        state.ResumeTiming();
        auto r = HourlyAdvance(s, prompts);
        takenIn = r ? r->ReportsTakenIn : -1;
        benchmark::DoNotOptimize(r);
    }
    state.counters["reports_taken_in"] = takenIn;
}
BENCHMARK(AdvanceWithRecentReports)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond);

const std::vector<City>& TickCities() {
    static const std::vector<City> cities = [] {
        try {
            return ReadCityFile(QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/nimbrel.cit"));
        } catch (const std::exception&) {
            return std::vector<City>{};
        }
    }();
    return cities;
}

void ReportTimerRefresh(benchmark::State& state) {
    Folders f;
    Session s;
    s.Folders.AppDataDirectory = f.app;
    s.Folders.CaseDirectory = f.caseDir;
    RefreshWorkingReports(s.Folders);
    ResetViewport(s.TheViewport);
    ResetChasers(s.Chasers, s.LastProductKind);
    SetInitialClock(s.Clock);
    AdvanceOneHour(s.Clock);
    // Chasers spread over the map with targets, so every heading stroke is drawn too.
    for (std::size_t i = 0; i < s.Chasers.size(); ++i) {
        Chaser& c = s.Chasers[i];
        c.Position = {31.0 + (i % 7) * 1.5, -103.0 + (i / 7) * 1.5};
        c.Target = {36.0, -97.0};
        c.Heading = 45.0 * (i % 8);
        c.Outcome = static_cast<ChaserOutcome>(i % 6);
    }
    s.TheViewport.Width = static_cast<std::int32_t>(state.range(0));
    s.TheViewport.Height = static_cast<std::int32_t>(state.range(1));
    QImage bitmap(s.TheViewport.Width, s.TheViewport.Height, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    const ProjectionDescriptor& v = s.TheViewport;
    {
        // The buffer holds what a full refresh leaves: the cities, the scale and the
        // issued products (the tick draws over them without redrawing them).
        QPainter p(&bitmap);
        TargetMapExtras(&TickCities(), 0, {}).Draw(p, v);
        ProductRecords products(1);
        products[0].Kind = ProductKind::SlightRiskOutlook;
        products[0].Corners = {GeoPoint{37, -103}, {35, -102}, {33, -101},
                               {34, -96},          {36, -97},  {38, -98}};
        DrawIssuedProducts(p, v, products);
    }
    const QString reports = f.app + "rpt.dat";
    // What the program keeps between ticks: the decoded icons, the working copy's
    // records, their pixels on the view and what their flashing toggles (each tick
    // still checks the file).
    ChaserIconSet icons;
    auto tick = [&](bool flash) {
        DrawChaserLayer(bitmap, s.Chasers, v, f.app, false, &icons);
        const ReportList& list = s.WorkingReports.Read(reports);
        DrawReports(bitmap, list,
                    s.WorkingReportPlaces.Place(list, s.WorkingReports.Generation(), v),
                    s.Clock.SimulationTime, flash, &s.WorkingReportToggles);
    };
    tick(false); // the full refresh before the timer starts
    for (auto _ : state) {
        tick(true);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
}
BENCHMARK(ReportTimerRefresh)->Args({1000, 800})->Args({1600, 1200})->Unit(benchmark::kMillisecond);

} // namespace
