// The grids library on the real files of the shared data folder (values against GDAL's
// own command-line tools, contours by sampling), on an analytic field, and the kit's
// charts command end to end with a GridSat-B1 file made here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <set>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gdal.h>

#include "base/errors.h"
#include "disc/disc_charts.h"
#include "grids/charts.h"
#include "grids/contours.h"
#include "grids/grid_files.h"

namespace {

using namespace nimbrel;
using namespace nimbrel::grids;

QString Grids(const QString& name) {
    return QStringLiteral(NIMBREL_SHARED_DATA "/grids/") + name;
}

#define REQUIRE_FILE(path)                                                                         \
    if (!QFileInfo::exists(path)) {                                                                \
        GTEST_SKIP() << "missing " << qPrintable(path);                                            \
    }

// What GDAL's own tool prints for one grid cell (the raw stored number).
double LocationInfo(const QString& dataset, int band, int column, int row) {
    QProcess p;
    p.start(QStringLiteral("gdallocationinfo"),
            {QStringLiteral("-valonly"), QStringLiteral("-b"), QString::number(band), dataset,
             QString::number(column), QString::number(row)});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return qQNaN();
    bool ok = false;
    // GDAL's GRIB reader may print warnings first: the value is the last line.
    const double v = p.readAllStandardOutput().trimmed().split('\n').last().trimmed().toDouble(&ok);
    return ok ? v : qQNaN();
}

qint64 Utc(int y, int m, int d, int h) {
    return QDateTime(QDate(y, m, d), QTime(h, 0), Qt::UTC).toSecsSinceEpoch();
}

// A CF NetCDF file of one variable on a latitude-longitude grid, one time, written with
// GDAL's multidimensional API; `value(lon, lat)` gives the stored number.
void WriteLatLonNetCdf(const QString& path, const char* variable, GDALDataType type,
                       const std::vector<std::pair<const char*, const char*>>& textAttributes,
                       const std::vector<std::pair<const char*, double>>& numberAttributes,
                       double timeValue, const char* timeUnits,
                       const std::function<double(double, double)>& value) {
    InitialiseGdal();
    const int nLat = 161, nLon = 321; // 0.25 degree from 15N to 55N, 135W to 55W
    GDALDatasetH ds = GDALCreateMultiDimensional(GDALGetDriverByName("netCDF"),
                                                 path.toUtf8().constData(), nullptr, nullptr);
    ASSERT_NE(ds, nullptr);
    GDALGroupH root = GDALDatasetGetRootGroup(ds);
    GDALDimensionH dims[3] = {
        GDALGroupCreateDimension(root, "time", nullptr, nullptr, 1, nullptr),
        GDALGroupCreateDimension(root, "lat", nullptr, nullptr, nLat, nullptr),
        GDALGroupCreateDimension(root, "lon", nullptr, nullptr, nLon, nullptr)};
    GDALExtendedDataTypeH f64 = GDALExtendedDataTypeCreate(GDT_Float64);
    GDALExtendedDataTypeH str = GDALExtendedDataTypeCreateString(0);
    auto axis = [&](GDALDimensionH dim, const char* name, const char* units,
                    const std::vector<double>& values) {
        GDALMDArrayH a = GDALGroupCreateMDArray(root, name, 1, &dim, f64, nullptr);
        GUInt64 start = 0;
        size_t count = values.size();
        GDALMDArrayWrite(a, &start, &count, nullptr, nullptr, f64, values.data(), nullptr, 0);
        GUInt64 one = 1;
        GDALAttributeH u = GDALMDArrayCreateAttribute(a, "units", 0, &one, str, nullptr);
        GDALAttributeWriteString(u, units);
        GDALAttributeRelease(u);
        GDALMDArrayRelease(a);
    };
    std::vector<double> lats(nLat), lons(nLon);
    for (int j = 0; j < nLat; ++j)
        lats[std::size_t(j)] = 15.0 + 0.25 * j;
    for (int i = 0; i < nLon; ++i)
        lons[std::size_t(i)] = -135.0 + 0.25 * i;
    axis(dims[0], "time", timeUnits, {timeValue});
    axis(dims[1], "lat", "degrees_north", lats);
    axis(dims[2], "lon", "degrees_east", lons);
    GDALExtendedDataTypeH vt = GDALExtendedDataTypeCreate(type);
    GDALMDArrayH var = GDALGroupCreateMDArray(root, variable, 3, dims, vt, nullptr);
    for (const auto& [k, v] : textAttributes) {
        GDALAttributeH a = GDALMDArrayCreateAttribute(var, k, 0, nullptr, str, nullptr);
        GDALAttributeWriteString(a, v);
        GDALAttributeRelease(a);
    }
    for (const auto& [k, v] : numberAttributes) {
        GDALAttributeH a = GDALMDArrayCreateAttribute(
            var, k, 0, nullptr, std::string(k) == "_FillValue" ? vt : f64, nullptr);
        GDALAttributeWriteDouble(a, v);
        GDALAttributeRelease(a);
    }
    std::vector<double> values(std::size_t(nLat * nLon));
    for (int j = 0; j < nLat; ++j)
        for (int i = 0; i < nLon; ++i)
            values[std::size_t(j * nLon + i)] = value(lons[std::size_t(i)], lats[std::size_t(j)]);
    GUInt64 start[3] = {0, 0, 0};
    size_t count[3] = {1, size_t(nLat), size_t(nLon)};
    ASSERT_TRUE(
        GDALMDArrayWrite(var, start, count, nullptr, nullptr, f64, values.data(), nullptr, 0));
    GDALMDArrayRelease(var);
    GDALExtendedDataTypeRelease(vt);
    GDALExtendedDataTypeRelease(f64);
    GDALExtendedDataTypeRelease(str);
    for (GDALDimensionH d : dims)
        GDALDimensionRelease(d);
    GDALGroupRelease(root);
    GDALClose(ds);
}

// Decoded values at named grid points equal what gdallocationinfo reads from the same
// files, once the stored numbers are unpacked (ERA5's shorts) and put in SI units
// (ERA5's geopotential in m2/s2, GRIB temperatures in C).
TEST(Grids, DecodedValuesMatchGdalLocationInfo) {
    REQUIRE_FILE(Grids("metpy_GFS_test.nc"));
    struct Case {
        QString File;
        qint64 Valid;
        Quantity What;
        int Level;
        int Column, Row;
        std::function<double(double)> FromRaw;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("metpy_GFS_test.nc"), Utc(2010, 10, 26, 12), Quantity::Height, 500, 50, 20,
         [](double r) { return r; }},
        {QStringLiteral("metpy_GFS_test.nc"), Utc(2010, 10, 26, 12), Quantity::SeaLevelPressure, 0,
         64, 17, [](double r) { return r; }},
        {QStringLiteral("geocat_fh.0012_tl.press_gr.awp211.grb2"), Utc(2007, 1, 24, 12),
         Quantity::Temperature, 850, 40, 30, [](double c) { return c + 273.15; }},
        {QStringLiteral("cfgrib_era5-levels-members.grib"), Utc(2017, 1, 1, 0), Quantity::Height,
         500, 60, 20, [](double g) { return g / 9.80665; }},
        // packed shorts: 2 m dew point = raw * scale + offset, as the file's attributes say
        {QStringLiteral("geocat_era5_1995-07-14T12.nc"), Utc(1995, 7, 14, 12), Quantity::Dewpoint2m,
         0, 120, 50, [](double r) { return r * 0.0008688699050746618 + 274.6945347422936; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.File.toStdString());
        const QString path = Grids(c.File);
        if (!QFileInfo::exists(path)) continue;
        const GridFiles files({path}, {{path, Utc(1995, 7, 14, 12)}});
        const FieldSource* src = files.Find(c.Valid, c.What, c.Level);
        ASSERT_NE(src, nullptr);
        const double raw = LocationInfo(src->Dataset, src->Band, c.Column, c.Row);
        ASSERT_TRUE(std::isfinite(raw));
        EXPECT_NEAR(files.ValueAt(*src, c.Column, c.Row), c.FromRaw(raw),
                    1e-3 * std::abs(c.FromRaw(raw)) + 1e-6);
    }
}

// The 500 mb height of the GFS analysis, warped onto the chart: at Oklahoma City it
// matches the nearest source cell within the field's change over half a degree, and
// every vertex of the 5400 m contour lies on 5400 m of the field. The number of lines
// is counted again from the field itself: lines leaving the grid cross its border
// twice, closed ones each bound one region that does not reach the border.
TEST(Grids, WarpAndContoursOfTheGfs500mbHeight) {
    const QString path = Grids(QStringLiteral("metpy_GFS_test.nc"));
    REQUIRE_FILE(path);
    const GridFiles files({path});
    const FieldSource* src = files.Find(Utc(2010, 10, 26, 12), Quantity::Height, 500);
    ASSERT_NE(src, nullptr);
    // The file ends at 19.5N, a little north of the chart's southern corners: those rows
    // are cut off whole, so that the field is a rectangle without holes.
    Field z = files.Warp(*src);
    int rows = ChartGrid::Ny;
    for (int j = 0; j < ChartGrid::Ny && rows == ChartGrid::Ny; ++j)
        for (int i = 0; i < ChartGrid::Nx; ++i)
            if (!std::isfinite(z.At(i, j))) rows = j;
    ASSERT_GT(rows, ChartGrid::Ny * 9 / 10);
    for (int j = rows; j < ChartGrid::Ny; ++j)
        for (int i = 0; i < ChartGrid::Nx; ++i)
            z.At(i, j) = qQNaN();

    // 35N 97W is a node of the file's 1-degree grid.
    QProcess p;
    p.start(QStringLiteral("gdallocationinfo"),
            {QStringLiteral("-valonly"), QStringLiteral("-wgs84"), QStringLiteral("-b"),
             QString::number(src->Band), src->Dataset, QStringLiteral("-97"),
             QStringLiteral("35")});
    ASSERT_TRUE(p.waitForFinished(30000));
    const double node = p.readAllStandardOutput().trimmed().toDouble();
    const auto px = ChartGrid::LonLatToPixel(-97.0, 35.0);
    ASSERT_TRUE(px);
    EXPECT_NEAR(z.Sample(*px), node, 10.0);

    std::vector<ContourLine> lines = Contours(z, 60.0);
    std::erase_if(lines, [](const ContourLine& l) { return l.Level != 5400.0; });
    ASSERT_FALSE(lines.empty());
    for (const ContourLine& l : lines)
        for (const QPointF& v : l.Points)
            ASSERT_NEAR(z.Sample(v), 5400.0, 0.5) << v.x() << "," << v.y();

    const int nx = ChartGrid::Nx, ny = rows;
    auto above = [&](int i, int j) { return z.At(i, j) >= 5400.0; };
    int crossings = 0; // around the border, as a ring
    std::vector<std::pair<int, int>> ring;
    for (int i = 0; i < nx; ++i)
        ring.emplace_back(i, 0);
    for (int j = 1; j < ny; ++j)
        ring.emplace_back(nx - 1, j);
    for (int i = nx - 2; i >= 0; --i)
        ring.emplace_back(i, ny - 1);
    for (int j = ny - 2; j > 0; --j)
        ring.emplace_back(0, j);
    for (std::size_t k = 0; k < ring.size(); ++k) {
        const auto [a, b] = ring[k];
        const auto [c, d] = ring[(k + 1) % ring.size()];
        crossings += above(a, b) != above(c, d);
    }
    std::vector<int> region(std::size_t(nx * ny), -1);
    int enclosed = 0;
    for (int s = 0; s < nx * ny; ++s) {
        if (region[std::size_t(s)] >= 0) continue;
        bool touchesBorder = false;
        std::vector<int> stack{s};
        region[std::size_t(s)] = s;
        const bool side = above(s % nx, s / nx);
        while (!stack.empty()) {
            const int c = stack.back();
            stack.pop_back();
            const int i = c % nx, j = c / nx;
            touchesBorder |= i == 0 || j == 0 || i == nx - 1 || j == ny - 1;
            const int next[4][2] = {{i + 1, j}, {i - 1, j}, {i, j + 1}, {i, j - 1}};
            for (const auto& n : next) {
                if (n[0] < 0 || n[1] < 0 || n[0] >= nx || n[1] >= ny) continue;
                const int k = n[1] * nx + n[0];
                if (region[std::size_t(k)] < 0 && above(n[0], n[1]) == side) {
                    region[std::size_t(k)] = s;
                    stack.push_back(k);
                }
            }
        }
        enclosed += !touchesBorder;
    }
    EXPECT_EQ(int(lines.size()), crossings / 2 + enclosed);
}

// Sea-level pressure rising 2 mb per degree of latitude northward: after the warp the
// isobars every 10 mb lie on the latitudes the formula gives, 5 degrees apart.
TEST(Grids, AnalyticFieldGivesContoursWhereTheFormulaPutsThem) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("analytic.nc"));
    WriteLatLonNetCdf(path, "msl", GDT_Float32,
                      {{"standard_name", "air_pressure_at_mean_sea_level"}, {"units", "Pa"}}, {},
                      12.0, "hours since 2010-10-26 00:00:00",
                      [](double, double lat) { return 100000.0 + 200.0 * (lat - 15.0); });
    const GridFiles files({path});
    const FieldSource* src = files.Find(Utc(2010, 10, 26, 12), Quantity::SeaLevelPressure, 0);
    ASSERT_NE(src, nullptr);
    const Field p = files.Warp(*src);
    std::map<double, std::vector<double>> latitudes; // level -> latitudes of its vertices
    for (const ContourLine& l : Contours(p, 1000.0)) {
        if (l.Level >= 108000) continue; // 55N, the file's last row: no row beyond to interpolate
        for (const QPointF& v : l.Points) {
            // The outer half cell of the chart repeats the edge's values.
            if (v.x() < 2 || v.y() < 2 || v.x() > ChartGrid::Width - 2 ||
                v.y() > ChartGrid::Height - 2)
                continue;
            // Linear in latitude, the field is bilinear between source rows only up to
            // the curvature of the parallels across a chart cell: a few hundredths of a
            // degree.
            EXPECT_NEAR(ChartGrid::PixelToLonLat(v).y(), 15.0 + (l.Level - 100000.0) / 200.0, 0.05)
                << l.Level;
            latitudes[l.Level].push_back(ChartGrid::PixelToLonLat(v).y());
        }
    }
    ASSERT_GE(latitudes.size(), 6u);
    double previous = qQNaN();
    for (const auto& [level, lats] : latitudes) {
        double mean = 0;
        for (double y : lats)
            mean += y;
        mean /= double(lats.size());
        if (std::isfinite(previous)) {
            EXPECT_NEAR(mean - previous, 5.0, 0.05);
        }
        previous = mean;
    }
}

// The kit's command end to end: charts from the GFS file, infrared frames from a
// GridSat-B1 file built with its published names and packing; nothing written for a day
// outside the files, nor over frames already there.
TEST(Grids, ChartsCommandWritesTheDaysFramesAndNothingElse) {
    const QString gfs = Grids(QStringLiteral("metpy_GFS_test.nc"));
    REQUIRE_FILE(gfs);
    QTemporaryDir dir;
    const QString disc = dir.filePath(QStringLiteral("disc/"));
    ASSERT_TRUE(QDir().mkpath(disc + QStringLiteral("2010-10-26")));
    const QString sat = dir.filePath(QStringLiteral("GRIDSAT-B1.2010.10.26.21.v02r01.nc"));
    // A cold cloud shield (-65 C) within 3 degrees of 44N 93W; the rest at +15 C.
    WriteLatLonNetCdf(sat, "irwin_cdr", GDT_Int16,
                      {{"long_name", "Brightness temperature, IR window channel"},
                       {"standard_name", "toa_brightness_temperature"},
                       {"units", "K"}},
                      {{"scale_factor", 0.01}, {"add_offset", 200.0}, {"_FillValue", -31999}},
                      14908.875, "days since 1970-01-01 00:00:00", [](double lon, double lat) {
                          const double k =
                              std::hypot(lon + 93.0, lat - 44.0) < 3.0 ? 208.15 : 288.15;
                          return std::round((k - 200.0) / 0.01);
                      });
    disc::ChartsOptions options;
    options.AppData = QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/");
    const QString day = disc + QStringLiteral("2010-10-26/");

    EXPECT_THROW(disc::MakeCharts(disc, QStringLiteral("2010-10-25"), {gfs, sat}, options),
                 DataError);
    EXPECT_FALSE(QFileInfo::exists(disc + QStringLiteral("2010-10-25")));

    const QStringList lines =
        disc::MakeCharts(disc, QStringLiteral("2010-10-26"), {gfs, sat}, options);
    const QStringList written = QDir(day).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written, (QStringList{"h250-101026-1200.gif", "h500-101026-1200.gif",
                                    "h700-101026-1200.gif", "h850-101026-1200.gif",
                                    "hsfc-101026-1200.gif", "satv-101026-2100.jpg"}));
    EXPECT_TRUE(lines.contains(
        QStringLiteral("hsfc 1200 UTC: 2 m dew point shading left out: no 2 m dew point")))
        << lines.join('\n').toStdString();

    const QImage ir(day + QStringLiteral("satv-101026-2100.jpg"));
    ASSERT_EQ(ir.size(), QSize(800, 600));
    auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b)) <
               60;
    };
    const QPointF cold = *ChartGrid::LonLatToPixel(-93.0, 44.0);
    const QPointF warm = *ChartGrid::LonLatToPixel(-105.0, 33.0);
    EXPECT_TRUE(near(ir.pixel(cold.toPoint()), InfraredColour(-65.0)));
    EXPECT_TRUE(near(ir.pixel(warm.toPoint()), InfraredColour(15.0)));

    // Frames already there are refused before anything is written; --force replaces.
    const QDateTime before = QFileInfo(day + QStringLiteral("h500-101026-1200.gif")).lastModified();
    EXPECT_THROW(disc::MakeCharts(disc, QStringLiteral("2010-10-26"), {gfs}, options), DataError);
    EXPECT_EQ(QFileInfo(day + QStringLiteral("h500-101026-1200.gif")).lastModified(), before);
    options.Force = true;
    EXPECT_NO_THROW(disc::MakeCharts(disc, QStringLiteral("2010-10-26"), {gfs}, options));
}

} // namespace
