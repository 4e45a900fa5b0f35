// Speed of a full target-map refresh at 1000 x 800: the background drawn afresh from the
// vector files (after a pan or zoom), and loaded from the cache (every other full
// refresh), each followed by the polygon, the 49 chasers and the copy onto the view.
#include <benchmark/benchmark.h>

#include <cmath>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "base/records.h"
#include "map/basemap.h"
#include "map/chaser_icons.h"
#include "map/chaser_layer.h"
#include "map/polygon.h"
#include "map/projection.h"

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
