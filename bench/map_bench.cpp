// Speed of a full target-map refresh at 1000 x 800: the background drawn afresh from the
// vector files (after a pan or zoom), and loaded from the cache (every other full
// refresh), each followed by the polygon, the 49 chasers and the copy onto the view.
#include <benchmark/benchmark.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "base/records.h"
#include "map/basemap.h"
#include "map/chaser_icons.h"
#include "map/chaser_layer.h"
#include "map/polygon.h"
#include "map/projection.h"
#include "products/map_annotations.h"
#include "products/places.h"
#include "products/product_record.h"

using namespace nimbrel;

namespace {

const QSize MapArea(1000, 800);

void PutInt16(QByteArray& out, int v) {
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>((v >> 8) & 0xFF));
}

// Stand-ins of the shipped files' size when the shipped data is not at hand: a grid
// of short lines over the Plains and a few hundred outlines.
void SynthesiseGeography(const QString& dir) {
    QByteArray lines;
    for (int i = 0; i < 44000; ++i) {
        if (i % 10 == 0) {
            PutInt16(lines, 0);
            PutInt16(lines, 0);
            continue;
        }
        PutInt16(lines, 2500 + (i * 37) % 2400);
        PutInt16(lines, 8500 + (i * 53) % 2500);
    }
    QByteArray outlines;
    for (int shape = 0; shape < 50; ++shape)
        for (int k = 0; k < 196; ++k) {
            const double a = k * 2 * 3.14159265 / 196;
            PutInt16(outlines, k == 0 ? 1000 : 0);
            PutInt16(outlines, static_cast<int>(60 * (30 + shape % 7 * 2 + std::sin(a))));
            PutInt16(outlines, static_cast<int>(60 * (-105 + shape / 7 * 2 + std::cos(a))));
        }
    WriteWholeFile(dir + FineLinesFile, lines);
    WriteWholeFile(dir + BoldLinesFile, lines.left(3600));
    WriteWholeFile(dir + OutlinesFile, outlines);
}

struct MapFolder {
    MapFolder() {
        path = temp.path() + QLatin1Char('/');
        const QString shipped = QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/");
        bool copied = true;
        for (const QString& f : {FineLinesFile, BoldLinesFile, OutlinesFile})
            copied = copied && QFile::copy(shipped + f, path + f);
        if (!copied) SynthesiseGeography(path);
        Shipped = copied;
        for (ChaserOutcome o :
             {ChaserOutcome::Awaiting, ChaserOutcome::EmptyHanded, ChaserOutcome::CaughtStorm,
              ChaserOutcome::CaughtTornado, ChaserOutcome::Busted, ChaserOutcome::OutOfRange,
              ChaserOutcome::NotChasing})
            ChaserIcon(o).save(path + ChaserIconFile(o), "BMP");
    }
    QTemporaryDir temp;
    QString path;
    bool Shipped = false;
};

ChaserTable SpreadChasers() {
    ChaserTable chasers{};
    for (int i = 0; i < ChaserCount; ++i) {
        Chaser& c = chasers[static_cast<std::size_t>(i)];
        c.Position = {30.0 + (i % 7) * 2.0, -104.0 + (i / 7) * 2.0};
        c.Outcome = static_cast<ChaserOutcome>(i % 6);
        c.Heading = i * 37 % 360;
        c.Target = i % 2 ? GeoPoint{36.0, -98.0} : GeoPoint{MissingCoordinate, 0.0};
    }
    return chasers;
}

ForecastPolygon SomePolygon(const ProjectionDescriptor& view) {
    ForecastPolygon p;
    p.MarkAbsent();
    PolygonPress(p, view, 400, 300);
    PolygonMove(p, 650, 450);
    PolygonRelease(p);
    PolygonMove(p, 700, 450);
    PolygonPress(p, view, 0, 0);
    return p;
}

// The target-map part of a full refresh after the background is in place, with the
// chaser icons decoded once as the program keeps them; the view then takes the picture
// as the program's view does (it shares it, no copy).
void Overlays(QImage& bitmap, QImage& shown, ForecastPolygon& polygon, const ChaserTable& chasers,
              const ProjectionDescriptor& view, const QString& folder) {
    static ChaserIconSet icons;
    ReprojectPolygon(polygon, view);
    DrawFixedPolygon(bitmap, polygon);
    DrawChaserLayer(bitmap, chasers, view, folder, false, &icons);
    shown = bitmap.convertToFormat(QImage::Format_RGB32);
}

void BM_FullRefreshAfresh(benchmark::State& state) {
    MapFolder folder;
    ProjectionDescriptor view;
    ResetViewport(view);
    ForecastPolygon polygon = SomePolygon(view);
    const ChaserTable chasers = SpreadChasers();
    QImage bitmap, shown(MapArea, QImage::Format_RGB32);
    for (auto _ : state) {
        QFile::remove(folder.path + CachedViewFile); // every refresh finds no cache
        DrawBasemap(folder.path, view, MapArea, bitmap);
        Overlays(bitmap, shown, polygon, chasers, view, folder.path);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.SetLabel(folder.Shipped ? "shipped geography" : "synthesised geography");
}
BENCHMARK(BM_FullRefreshAfresh)->Unit(benchmark::kMillisecond);

// A full refresh of an unchanged view, with the cached background kept in memory as the
// program keeps it; the map area is the benchmark's argument.
void BM_FullRefreshFromCache(benchmark::State& state) {
    MapFolder folder;
    const QSize area(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ProjectionDescriptor view;
    ResetViewport(view);
    ForecastPolygon polygon = SomePolygon(view);
    const ChaserTable chasers = SpreadChasers();
    QImage bitmap, shown;
    BasemapMemory memory;
    DrawBasemap(folder.path, view, area, bitmap, {}, &memory); // draws once, writes the cache
    for (auto _ : state) {
        if (!DrawBasemap(folder.path, view, area, bitmap, {}, &memory)) {
            state.SkipWithError("the cache was not used");
            break;
        }
        Overlays(bitmap, shown, polygon, chasers, view, folder.path);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.SetLabel(folder.Shipped ? "shipped geography" : "synthesised geography");
}
BENCHMARK(BM_FullRefreshFromCache)
    ->Args({800, 600})
    ->Args({1000, 800})
    ->Args({1600, 1200})
    ->Args({2400, 1800})
    ->Unit(benchmark::kMillisecond);

void BM_CachedBackgroundOnly(benchmark::State& state) {
    MapFolder folder;
    ProjectionDescriptor view;
    ResetViewport(view);
    QImage bitmap;
    DrawBasemap(folder.path, view, MapArea, bitmap);
    for (auto _ : state) {
        DrawBasemap(folder.path, view, MapArea, bitmap);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
}
BENCHMARK(BM_CachedBackgroundOnly)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The shipped city list, or a crowd of stand-ins of its size.
const std::vector<City>& BenchCities() {
    static const std::vector<City> cities = [] {
        try {
            return ReadCityFile(QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/nimbrel.cit"));
        } catch (const std::exception&) {
            std::vector<City> crowd;
            for (int i = 0; i < 1500; ++i)
                crowd.push_back(
                    {2.0e6 / (i + 1) + 30000.0, QStringLiteral("TOWN %1").arg(i),
                     QStringLiteral("X"),
                     GeoPoint{25.0 + (i * 7 % 250) / 10.0, -125.0 + (i * 13 % 600) / 10.0}});
            return crowd;
        }
    }();
    return cities;
}

// A slight risk and a tornado watch, as a trainee issues them.
ProductRecords SomeProducts() {
    ProductRecords products(2);
    products[0].Kind = ProductKind::SlightRiskOutlook;
    products[0].IssueTime = 0.5;
    products[0].Corners = {GeoPoint{37, -103}, {35, -102}, {33, -101},
                           {34, -96},          {36, -97},  {38, -98}};
    products[1].Kind = ProductKind::TornadoWatch;
    products[1].IssueTime = 0.625;
    products[1].Corners = {GeoPoint{36, -100}, {35, -100}, {34, -100},
                           {35, -97},          {36, -97},  {37, -97}};
    return products;
}

// Three hundred reports already on the map, which the names keep clear of.
std::vector<GeoPoint> SomeReports() {
    std::vector<GeoPoint> reports;
    for (int i = 0; i < 300; ++i)
        reports.push_back({32.0 + (i * 17 % 80) / 10.0, -102.0 + (i * 29 % 90) / 10.0});
    return reports;
}

// A fresh map with cities (the names placed, the scale bar) and the issued products, then
// the polygon, chasers and the copy onto the view: what a pan or zoom costs.
void BM_FreshMapWithCitiesAndProducts(benchmark::State& state) {
    MapFolder folder;
    const QSize area(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ProjectionDescriptor view;
    ResetViewport(view);
    ForecastPolygon polygon = SomePolygon(view);
    const ChaserTable chasers = SpreadChasers();
    const std::vector<City>& cities = BenchCities();
    const std::uint32_t citiesStamp = CityListStamp(cities);
    const ProductRecords products = SomeProducts();
    QImage bitmap, shown;
    for (auto _ : state) {
        QFile::remove(folder.path + CachedViewFile);
        DrawBasemap(folder.path, view, area, bitmap, {}, nullptr,
                    TargetMapExtras(&cities, citiesStamp, SomeReports()));
        {
            QPainter p(&bitmap);
            DrawIssuedProducts(p, view, products);
        }
        Overlays(bitmap, shown, polygon, chasers, view, folder.path);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.SetLabel(folder.Shipped ? "shipped geography" : "synthesised geography");
}
BENCHMARK(BM_FreshMapWithCitiesAndProducts)
    ->Args({1000, 800})
    ->Args({1600, 1200})
    ->Unit(benchmark::kMillisecond);

// A full refresh of an unchanged view with cities and products on: the extras' stamp
// worked out as the window does at every full refresh, the cached picture, the products
// and the overlays.
void BM_CachedRefreshWithCitiesAndProducts(benchmark::State& state) {
    MapFolder folder;
    const QSize area(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ProjectionDescriptor view;
    ResetViewport(view);
    ForecastPolygon polygon = SomePolygon(view);
    const ChaserTable chasers = SpreadChasers();
    const std::vector<City>& cities = BenchCities();
    const std::uint32_t citiesStamp = CityListStamp(cities);
    const ProductRecords products = SomeProducts();
    QImage bitmap, shown;
    BasemapMemory memory;
    DrawBasemap(folder.path, view, area, bitmap, {}, &memory,
                TargetMapExtras(&cities, citiesStamp, SomeReports()));
    for (auto _ : state) {
        if (!DrawBasemap(folder.path, view, area, bitmap, {}, &memory,
                         TargetMapExtras(&cities, citiesStamp, SomeReports()))) {
            state.SkipWithError("the cache was not used");
            break;
        }
        {
            QPainter p(&bitmap);
            DrawIssuedProducts(p, view, products);
        }
        Overlays(bitmap, shown, polygon, chasers, view, folder.path);
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.SetLabel(folder.Shipped ? "shipped geography" : "synthesised geography");
}
BENCHMARK(BM_CachedRefreshWithCitiesAndProducts)
    ->Args({1000, 800})
    ->Args({1600, 1200})
    ->Unit(benchmark::kMillisecond);

} // namespace
