#include "grids/grid_files.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <QDateTime>
#include <QFileInfo>
#include <QRegularExpression>

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdalwarper.h>
#include <ogr_srs_api.h>

#include "base/errors.h"

namespace nimbrel::grids {

namespace {

constexpr double Gravity = 9.80665;
constexpr double Pi = 3.14159265358979323846;
// A grid larger than this is no analysis a chart needs; it would only fill memory.
constexpr int MaxGridSide = 20000;

const char* const ChartProj =
    "+proj=lcc +lat_1=33 +lat_2=45 +lat_0=39 +lon_0=-96 +x_0=0 +y_0=0 +R=6371229 +units=m +no_defs";

// Cone constant of the chart's two standard parallels.
double ChartCone() {
    const double p1 = 33.0 * Pi / 180.0, p2 = 45.0 * Pi / 180.0;
    return std::log(std::cos(p1) / std::cos(p2)) /
           std::log(std::tan(Pi / 4 + p2 / 2) / std::tan(Pi / 4 + p1 / 2));
}

// Transformations between longitude/latitude and the chart, made once.
struct ChartTransforms {
    OGRCoordinateTransformationH ToChart = nullptr, ToLonLat = nullptr;
    ChartTransforms() {
        InitialiseGdal();
        OGRSpatialReferenceH geo = OSRNewSpatialReference(nullptr);
        OSRSetWellKnownGeogCS(geo, "WGS84");
        OSRSetAxisMappingStrategy(geo, OAMS_TRADITIONAL_GIS_ORDER);
        OGRSpatialReferenceH chart = OSRNewSpatialReference(nullptr);
        OSRImportFromProj4(chart, ChartProj);
        OSRSetAxisMappingStrategy(chart, OAMS_TRADITIONAL_GIS_ORDER);
        ToChart = OCTNewCoordinateTransformation(geo, chart);
        ToLonLat = OCTNewCoordinateTransformation(chart, geo);
        OSRDestroySpatialReference(geo);
        OSRDestroySpatialReference(chart);
    }
};

const ChartTransforms& Transforms() {
    static const ChartTransforms t;
    return t;
}

QString Meta(char** list, const QString& key) {
    const char* v = CSLFetchNameValue(list, key.toUtf8().constData());
    return v ? QString::fromUtf8(v) : QString();
}

// What a variable holds, from its name in the file, its standard name, NCEP's
// abbreviation or the GRIB element (any may be empty).
std::optional<Quantity> Identify(const QString& name, const QString& standard,
                                 const QString& abbreviation, const QString& element) {
    const QString n = name.toLower(), s = standard.toLower(), a = abbreviation.toLower();
    const QString e = element.toLower();
    auto any = [&](std::initializer_list<const char*> names) {
        for (const char* x : names) {
            const QLatin1String l(x);
            if (n == l || s == l || a == l || e == l) return true;
        }
        return false;
    };
    if (any({"z", "gh", "hgt", "geopotential", "geopotential_height"}) ||
        n.startsWith(QLatin1String("geopotential_height")))
        return Quantity::Height;
    if (any({"2t", "t2m", "air_temperature_2m"})) return Quantity::Temperature2m;
    if (any({"2d", "d2m", "dpt", "dew_point_temperature"})) return Quantity::Dewpoint2m;
    if (any({"10u", "u10"})) return Quantity::WindU10m;
    if (any({"10v", "v10"})) return Quantity::WindV10m;
    if (any({"t", "tmp", "air_temperature"}) || n.startsWith(QLatin1String("temperature_")))
        return Quantity::Temperature;
    if (any({"u", "ugrd", "eastward_wind", "x_wind"}) ||
        n.startsWith(QLatin1String("u-component_of_wind")))
        return Quantity::WindU;
    if (any({"v", "vgrd", "northward_wind", "y_wind"}) ||
        n.startsWith(QLatin1String("v-component_of_wind")))
        return Quantity::WindV;
    if (any({"r", "rh", "relative_humidity"}) || n.startsWith(QLatin1String("relative_humidity")))
        return Quantity::RelativeHumidity;
    if (any({"q", "spfh", "specific_humidity"}) || n.startsWith(QLatin1String("specific_humidity")))
        return Quantity::SpecificHumidity;
    if (any({"absv", "atmosphere_absolute_vorticity", "absolute_vorticity"}))
        return Quantity::AbsoluteVorticity;
    if (any({"msl", "prmsl", "mslp", "slp", "air_pressure_at_mean_sea_level",
             "air_pressure_at_sea_level"}) ||
        n.startsWith(QLatin1String("pressure_reduced_to_msl")))
        return Quantity::SeaLevelPressure;
    if (n == QLatin1String("irwin_cdr")) return Quantity::Brightness;
    return std::nullopt;
}

// A field at a height above ground takes the quantity of that height.
std::optional<Quantity> AtHeight(Quantity q, double metres) {
    if (metres == 2.0 && q == Quantity::Temperature) return Quantity::Temperature2m;
    if (metres == 2.0 && q == Quantity::Dewpoint2m) return q;
    if (metres == 10.0 && q == Quantity::WindU) return Quantity::WindU10m;
    if (metres == 10.0 && q == Quantity::WindV) return Quantity::WindV10m;
    return std::nullopt;
}

bool SingleLevel(Quantity q) {
    return q == Quantity::SeaLevelPressure || q == Quantity::Temperature2m ||
           q == Quantity::Dewpoint2m || q == Quantity::WindU10m || q == Quantity::WindV10m ||
           q == Quantity::Brightness;
}

// Seconds since 1970 of a CF time value: "hours since 2010-10-26T12:00:00+00:00".
std::optional<qint64> CfTime(double value, const QString& units) {
    static const QRegularExpression re(
        QStringLiteral(
            R"(^\s*(second|minute|hour|day)s?\s+since\s+(\d{1,4})-(\d{1,2})-(\d{1,2})(?:[T ](\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(units);
    if (!m.hasMatch() || !std::isfinite(value)) return std::nullopt;
    const QDate date(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
    const QTime time(m.captured(5).toInt(), m.captured(6).toInt(), m.captured(7).toInt());
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    const QString unit = m.captured(1).toLower();
    const double step = unit.startsWith(QLatin1Char('s'))   ? 1.0
                        : unit.startsWith(QLatin1Char('m')) ? 60.0
                        : unit.startsWith(QLatin1Char('h')) ? 3600.0
                                                            : 86400.0;
    const double seconds = value * step;
    if (std::abs(seconds) > 1e11) return std::nullopt;
    return QDateTime(date, time, Qt::UTC).toSecsSinceEpoch() + qint64(std::llround(seconds));
}

// The time of a NetCDF file whose variables have no time dimension but name a scalar
// "time" variable among their coordinates (ERA5 extracts of a single time).
std::optional<qint64> ScalarTime(const QString& file) {
    GDALDatasetH ds =
        GDALOpenEx(file.toUtf8().constData(), GDAL_OF_MULTIDIM_RASTER | GDAL_OF_READONLY, nullptr,
                   nullptr, nullptr);
    if (!ds) return std::nullopt;
    std::optional<qint64> out;
    GDALGroupH root = GDALDatasetGetRootGroup(ds);
    GDALMDArrayH time = root ? GDALGroupOpenMDArray(root, "time", nullptr) : nullptr;
    if (time && GDALMDArrayGetDimensionCount(time) == 0) {
        double value = 0;
        GDALExtendedDataTypeH type = GDALExtendedDataTypeCreate(GDT_Float64);
        GDALAttributeH units = GDALMDArrayGetAttribute(time, "units");
        const char* text = units ? GDALAttributeReadAsString(units) : nullptr;
        if (text &&
            GDALMDArrayRead(time, nullptr, nullptr, nullptr, nullptr, type, &value, nullptr, 0))
            out = CfTime(value, QString::fromUtf8(text));
        if (units) GDALAttributeRelease(units);
        GDALExtendedDataTypeRelease(type);
    }
    if (time) GDALMDArrayRelease(time);
    if (root) GDALGroupRelease(root);
    GDALClose(ds);
    return out;
}

bool IsPressureUnit(const QString& u) {
    const QString l = u.toLower();
    return l == QLatin1String("pa") || l == QLatin1String("hpa") || l == QLatin1String("mb") ||
           l == QLatin1String("millibars") || l == QLatin1String("millibar") ||
           l == QLatin1String("mbar");
}

} // namespace

void InitialiseGdal() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

QString QuantityName(Quantity q) {
    switch (q) {
    case Quantity::Height:
        return QStringLiteral("height");
    case Quantity::Temperature:
        return QStringLiteral("temperature");
    case Quantity::WindU:
        return QStringLiteral("east wind");
    case Quantity::WindV:
        return QStringLiteral("north wind");
    case Quantity::RelativeHumidity:
        return QStringLiteral("relative humidity");
    case Quantity::SpecificHumidity:
        return QStringLiteral("specific humidity");
    case Quantity::AbsoluteVorticity:
        return QStringLiteral("absolute vorticity");
    case Quantity::SeaLevelPressure:
        return QStringLiteral("sea-level pressure");
    case Quantity::Temperature2m:
        return QStringLiteral("2 m temperature");
    case Quantity::Dewpoint2m:
        return QStringLiteral("2 m dew point");
    case Quantity::WindU10m:
        return QStringLiteral("10 m east wind");
    case Quantity::WindV10m:
        return QStringLiteral("10 m north wind");
    case Quantity::Brightness:
        return QStringLiteral("infrared brightness temperature");
    }
    return {};
}

// ---- chart grid ----

const char* ChartGrid::Proj4() {
    return ChartProj;
}

QPointF ChartGrid::PixelToLonLat(QPointF pixel) {
    double x = Left + pixel.x() * MetresPerPixel, y = Top - pixel.y() * MetresPerPixel, z = 0;
    if (!OCTTransform(Transforms().ToLonLat, 1, &x, &y, &z)) return {qQNaN(), qQNaN()};
    return {x, y};
}

std::optional<QPointF> ChartGrid::LonLatToPixel(double lon, double lat) {
    double x = lon, y = lat, z = 0;
    if (!OCTTransform(Transforms().ToChart, 1, &x, &y, &z)) return std::nullopt;
    return QPointF((x - Left) / MetresPerPixel, (Top - y) / MetresPerPixel);
}

double ChartGrid::Convergence(double lon) {
    double d = lon + 96.0;
    while (d > 180)
        d -= 360;
    while (d < -180)
        d += 360;
    return ChartCone() * d * Pi / 180.0;
}

void ToEarthRelative(Field& u, Field& v, const FieldSource& source) {
    if (!source.GridRelative) return;
    for (int j = 0; j < ChartGrid::Ny; ++j)
        for (int i = 0; i < ChartGrid::Nx; ++i) {
            const QPointF px((i + 0.5) * ChartGrid::CellPixels, (j + 0.5) * ChartGrid::CellPixels);
            double d = ChartGrid::PixelToLonLat(px).x() - source.CentralLongitude;
            while (d > 180)
                d -= 360;
            while (d < -180)
                d += 360;
            const double g = source.Cone * d * Pi / 180.0;
            const double ug = u.At(i, j), vg = v.At(i, j);
            u.At(i, j) = std::cos(g) * ug + std::sin(g) * vg;
            v.At(i, j) = -std::sin(g) * ug + std::cos(g) * vg;
        }
}

double Field::Sample(QPointF pixel) const {
    double fx = pixel.x() / ChartGrid::CellPixels - 0.5;
    double fy = pixel.y() / ChartGrid::CellPixels - 0.5;
    // The outer half cell takes the edge's values, as the contour lines reach it.
    if (!(fx >= -0.5 && fy >= -0.5 && fx <= ChartGrid::Nx - 0.5 && fy <= ChartGrid::Ny - 0.5))
        return qQNaN();
    fx = std::clamp(fx, 0.0, double(ChartGrid::Nx - 1));
    fy = std::clamp(fy, 0.0, double(ChartGrid::Ny - 1));
    const int i = std::min(int(fx), ChartGrid::Nx - 2), j = std::min(int(fy), ChartGrid::Ny - 2);
    const double a = fx - i, b = fy - j;
    return (1 - a) * (1 - b) * At(i, j) + a * (1 - b) * At(i + 1, j) + (1 - a) * b * At(i, j + 1) +
           a * b * At(i + 1, j + 1);
}

// ---- files ----

struct GridFiles::Handles {
    std::map<QString, GDALDatasetH> Open;
    ~Handles() {
        for (auto& [name, ds] : Open)
            GDALClose(ds);
    }
};

namespace {

// Keeps GDAL's own messages off the terminal while a call runs; the last one is kept
// for the reason a caller gives.
struct QuietGdal {
    QuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    static QString Last() {
        const QString m = QString::fromUtf8(CPLGetLastErrorMsg());
        return m.isEmpty() ? QStringLiteral("GDAL gave no reason") : m;
    }
};

} // namespace

GridFiles::GridFiles(const QStringList& files, const std::map<QString, qint64>& fileTimes)
    : handles_(std::make_unique<Handles>()) {
    InitialiseGdal();
    QuietGdal quiet;
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!info.isFile()) throw FileNotFound(file);
        GDALDatasetH ds = GDALOpenEx(file.toUtf8().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                                     nullptr, nullptr, nullptr);
        if (!ds)
            throw DataError(
                QStringLiteral("%1: not a grid GDAL can read (%2)").arg(file, QuietGdal::Last()));
        handles_->Open[file] = ds;
        const std::size_t before = fields_.size();
        char** subs = GDALGetMetadata(ds, "SUBDATASETS");
        QStringList names;
        for (int i = 1;; ++i) {
            const QString n = Meta(subs, QStringLiteral("SUBDATASET_%1_NAME").arg(i));
            if (n.isEmpty()) break;
            names << n;
        }
        const auto given = fileTimes.find(file);
        const std::optional<qint64> fileTime =
            given == fileTimes.end() ? std::nullopt : std::optional<qint64>(given->second);
        if (names.isEmpty()) {
            Catalogue(file, file, fileTime);
        } else {
            for (const QString& n : names)
                Catalogue(n, file, fileTime);
        }
        if (fields_.size() == before && !used_.count(file))
            throw DataError(
                QStringLiteral(
                    "%1: holds no field with a valid time that charts use "
                    "(heights, temperatures, winds, humidity, sea-level "
                    "pressure, 2 m dew point, infrared; a file without times needs --time)")
                    .arg(file));
        if (source_.isEmpty()) {
            const QString history =
                Meta(GDALGetMetadata(ds, nullptr), QStringLiteral("NC_GLOBAL#history")) +
                Meta(GDALGetMetadata(ds, nullptr), QStringLiteral("NC_GLOBAL#title"));
            if (history.contains(QLatin1String("GRIDSAT"), Qt::CaseInsensitive))
                source_ = QStringLiteral("GRIDSAT-B1");
            else if (history.contains(QLatin1String("mars"), Qt::CaseInsensitive) ||
                     history.contains(QLatin1String("ERA5"), Qt::CaseInsensitive))
                source_ = QStringLiteral("ECMWF ERA5");
        }
    }
    if (source_.isEmpty() && !files.isEmpty())
        source_ = QFileInfo(files.first()).completeBaseName().toUpper().left(32);
}

GridFiles::~GridFiles() = default;

double GridFiles::ValueAt(const FieldSource& source, int column, int row) const {
    QuietGdal quiet;
    const auto it = handles_->Open.find(source.Dataset);
    if (it == handles_->Open.end()) return qQNaN();
    GDALRasterBandH band = GDALGetRasterBand(it->second, source.Band);
    double v = 0;
    if (!band ||
        GDALRasterIO(band, GF_Read, column, row, 1, 1, &v, 1, 1, GDT_Float64, 0, 0) != CE_None)
        return qQNaN();
    int hasScale = 0, hasOffset = 0, hasNoData = 0;
    const double scale = GDALGetRasterScale(band, &hasScale);
    const double offset = GDALGetRasterOffset(band, &hasOffset);
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    if ((hasNoData && v == noData) || !std::isfinite(v)) return qQNaN();
    return (v * (hasScale ? scale : 1.0) + (hasOffset ? offset : 0.0)) * source.Factor + source.Add;
}

void GridFiles::Catalogue(const QString& dataset, const QString& file,
                          std::optional<qint64> fileTime) {
    GDALDatasetH ds = nullptr;
    if (dataset == file) {
        ds = handles_->Open[file];
    } else {
        ds = GDALOpenEx(dataset.toUtf8().constData(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr,
                        nullptr, nullptr);
        if (!ds) return; // a subdataset GDAL cannot show (a string variable, say)
        handles_->Open[dataset] = ds;
    }
    const int w = GDALGetRasterXSize(ds), h = GDALGetRasterYSize(ds);
    if (w < 2 || h < 2 || w > MaxGridSide || h > MaxGridSide) return;
    const char* wkt = GDALGetProjectionRef(ds);
    bool assumeLonLat = false;
    if (!wkt || !*wkt) {
        // NetCDF without a grid mapping: CF latitude and longitude axes give GDAL the grid's
        // corners in degrees but no reference system. Such a grid is on the sphere's
        // longitudes and latitudes; anything else without a system cannot be placed.
        double gt[6];
        if (GDALGetGeoTransform(ds, gt) != CE_None) return;
        const double x1 = gt[0] + w * gt[1], y1 = gt[3] + h * gt[5];
        if (gt[2] != 0 || gt[4] != 0 || std::abs(gt[0]) > 360 || std::abs(x1) > 360 ||
            std::abs(gt[3]) > 90.5 || std::abs(y1) > 90.5)
            return;
        assumeLonLat = true;
        wkt = "";
    }
    // NCEP's GRIB grids on a Lambert or polar stereographic projection (NAM, NARR, RAP)
    // give winds along the grid's axes; they are turned to east and north with the
    // source's cone constant and central meridian.
    bool gridRelative = false;
    double cone = 0, centralLongitude = 0;
    if (*wkt && QString::fromUtf8(GDALGetDriverShortName(GDALGetDatasetDriver(ds))) ==
                    QLatin1String("GRIB")) {
        OGRSpatialReferenceH srs = OSRNewSpatialReference(wkt);
        const QString projection =
            srs ? QString::fromUtf8(OSRGetAttrValue(srs, "PROJECTION", 0)) : QString();
        if (projection.startsWith(QLatin1String("Lambert_Conformal_Conic"))) {
            centralLongitude = OSRGetProjParm(srs, SRS_PP_CENTRAL_MERIDIAN, 0, nullptr);
            const double p1 =
                OSRGetProjParm(srs, SRS_PP_STANDARD_PARALLEL_1,
                               OSRGetProjParm(srs, SRS_PP_LATITUDE_OF_ORIGIN, 0, nullptr),
                               nullptr) *
                Pi / 180.0;
            const double p2 =
                OSRGetProjParm(srs, SRS_PP_STANDARD_PARALLEL_2, p1 * 180.0 / Pi, nullptr) * Pi /
                180.0;
            cone = std::abs(p1 - p2) < 1e-9
                       ? std::sin(p1)
                       : std::log(std::cos(p1) / std::cos(p2)) /
                             std::log(std::tan(Pi / 4 + p2 / 2) / std::tan(Pi / 4 + p1 / 2));
            gridRelative = true;
        } else if (projection.startsWith(QLatin1String("Polar_Stereographic"))) {
            centralLongitude = OSRGetProjParm(srs, SRS_PP_CENTRAL_MERIDIAN, 0, nullptr);
            cone = OSRGetProjParm(srs, SRS_PP_LATITUDE_OF_ORIGIN, 90, nullptr) < 0 ? -1.0 : 1.0;
            gridRelative = true;
        }
        if (srs) OSRDestroySpatialReference(srs);
    }
    char** md = GDALGetMetadata(ds, nullptr);
    const int bands = GDALGetRasterCount(ds);
    for (int b = 1; b <= bands; ++b) {
        GDALRasterBandH band = GDALGetRasterBand(ds, b);
        char** bm = GDALGetMetadata(band, nullptr);
        QString name, standard, abbreviation, element,
            units = QString::fromUtf8(GDALGetRasterUnitType(band));
        std::optional<qint64> valid;
        double level = 0;        // hPa
        double aboveGround = -1; // metres, for a height-above-ground field
        const QString grib = Meta(bm, QStringLiteral("GRIB_ELEMENT"));
        if (!grib.isEmpty()) {
            element = grib;
            name = grib;
            // GDAL's GRIB driver gives temperatures in C and says so here.
            units = Meta(bm, QStringLiteral("GRIB_UNIT"));
            bool ok = false;
            const qint64 t = Meta(bm, QStringLiteral("GRIB_VALID_TIME"))
                                 .trimmed()
                                 .section(QLatin1Char(' '), 0, 0)
                                 .toLongLong(&ok);
            if (ok) valid = t;
            // "500[hPa] ISBL", "50000[Pa] ISBL", "2[m] HTGL", "0[-] SFC", "0[-] MSL"
            static const QRegularExpression re(
                QStringLiteral(R"(^\s*([-0-9.eE+]+)\[([^\]]*)\]\s*([A-Za-z]+))"));
            const auto m = re.match(QString::fromUtf8(GDALGetDescription(band)));
            if (m.hasMatch()) {
                const double v = m.captured(1).toDouble();
                const QString u = m.captured(2), type = m.captured(3);
                if (type == QLatin1String("ISBL"))
                    level = u == QLatin1String("Pa") ? v / 100.0 : v;
                else if (type == QLatin1String("HTGL"))
                    aboveGround = v;
                else if (type != QLatin1String("SFC") && type != QLatin1String("MSL"))
                    continue; // other surfaces (layers, tropopause) are not charted
            }
        } else {
            name = Meta(bm, QStringLiteral("NETCDF_VARNAME"));
            if (name.isEmpty()) continue;
            standard = Meta(md, name + QStringLiteral("#standard_name"));
            abbreviation = Meta(md, name + QStringLiteral("#abbreviation"));
            if (units.isEmpty()) units = Meta(md, name + QStringLiteral("#units"));
            QString dims = Meta(md, QStringLiteral("NETCDF_DIM_EXTRA"));
            dims.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
            bool skip = false;
            for (const QString& dim : dims.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const double value = Meta(bm, QStringLiteral("NETCDF_DIM_") + dim).toDouble();
                const QString du = Meta(md, dim + QStringLiteral("#units"));
                if (du.contains(QLatin1String(" since "), Qt::CaseInsensitive)) {
                    valid = CfTime(value, du);
                } else if (IsPressureUnit(du)) {
                    level = du.toLower() == QLatin1String("pa") ? value / 100.0 : value;
                } else if (du == QLatin1String("m") || dim.contains(QLatin1String("height"))) {
                    aboveGround = value;
                } else {
                    skip = true; // an ensemble member or climatological month: no single time
                }
            }
            if (skip) continue;
            if (!valid) valid = ScalarTime(file);
            if (!valid) valid = fileTime;
        }
        std::optional<Quantity> q = Identify(name, standard, abbreviation, element);
        if (!q || !valid) continue;
        if (aboveGround >= 0) {
            q = AtHeight(*q, aboveGround);
            if (!q) continue;
        }
        if (SingleLevel(*q)) {
            level = 0;
        } else if (level <= 0) {
            continue; // an upper-air quantity without a pressure level
        }
        FieldSource src{dataset, b, name, 1.0, 0.0, false, assumeLonLat};
        const QString u = units.toLower();
        if (*q == Quantity::Height &&
            (u.contains(QLatin1String("m**2")) || u.contains(QLatin1String("m^2")) ||
             u.contains(QLatin1String("m2")) || element == QLatin1String("Z") ||
             name == QLatin1String("z") || standard == QLatin1String("geopotential")))
            src.Factor = 1.0 / Gravity;
        if ((*q == Quantity::Temperature || *q == Quantity::Temperature2m ||
             *q == Quantity::Dewpoint2m) &&
            (u == QLatin1String("c") || u == QLatin1String("degc") ||
             u == QLatin1String("celsius") || u == QLatin1String("deg c") ||
             u == QLatin1String("[c]")))
            src.Add = 273.15;
        if (*q == Quantity::SeaLevelPressure && IsPressureUnit(u) && u != QLatin1String("pa"))
            src.Factor = 100.0;
        if (*q == Quantity::RelativeHumidity &&
            (u == QLatin1String("1") || u == QLatin1String("fraction")))
            src.Factor = 100.0;
        src.GridRelative = gridRelative && (*q == Quantity::WindU || *q == Quantity::WindV ||
                                            *q == Quantity::WindU10m || *q == Quantity::WindV10m);
        src.Cone = cone;
        src.CentralLongitude = centralLongitude;
        const Key key{*valid, *q, int(std::lround(level))};
        if (fields_.emplace(key, src).second) {
            QString line = name + QStringLiteral(": ") + QuantityName(*q);
            QStringList& lines = used_[file];
            if (!lines.contains(line)) lines << line;
        }
    }
}

std::vector<qint64> GridFiles::ValidTimes() const {
    std::vector<qint64> out;
    for (const auto& [key, src] : fields_)
        if (out.empty() || out.back() != key.Valid) out.push_back(key.Valid);
    return out;
}

const FieldSource* GridFiles::Find(qint64 valid, Quantity q, int level) const {
    const auto it = fields_.find(Key{valid, q, level});
    return it == fields_.end() ? nullptr : &it->second;
}

QStringList GridFiles::Used() const {
    QStringList out;
    for (const auto& [file, lines] : used_)
        out << QStringLiteral("%1: %2").arg(QFileInfo(file).fileName(),
                                            lines.join(QStringLiteral(", ")));
    return out;
}

QString GridFiles::SourceLabel() const {
    return source_;
}

Field GridFiles::Warp(const FieldSource& source) const {
    QuietGdal quiet;
    const auto it = handles_->Open.find(source.Dataset);
    if (it == handles_->Open.end())
        throw DataError(QStringLiteral("%1: not open").arg(source.Dataset));
    GDALDatasetH src = it->second;
    GDALDatasetH dst = GDALCreate(GDALGetDriverByName("MEM"), "", ChartGrid::Nx, ChartGrid::Ny, 1,
                                  GDT_Float64, nullptr);
    double gt[6] = {ChartGrid::Left,
                    ChartGrid::MetresPerPixel * ChartGrid::CellPixels,
                    0,
                    ChartGrid::Top,
                    0,
                    -ChartGrid::MetresPerPixel * ChartGrid::CellPixels};
    GDALSetGeoTransform(dst, gt);
    {
        OGRSpatialReferenceH chart = OSRNewSpatialReference(nullptr);
        OSRImportFromProj4(chart, ChartProj);
        GDALSetSpatialRef(dst, chart);
        OSRDestroySpatialReference(chart);
    }
    GDALRasterBandH srcBand = GDALGetRasterBand(src, source.Band);
    GDALSetRasterNoDataValue(GDALGetRasterBand(dst, 1), qQNaN());
    char** transformOptions = nullptr;
    if (source.AssumedLonLat)
        transformOptions =
            CSLSetNameValue(transformOptions, "SRC_SRS", "+proj=longlat +datum=WGS84 +no_defs");
    void* transformer = GDALCreateGenImgProjTransformer2(src, dst, transformOptions);
    CSLDestroy(transformOptions);
    if (!transformer) {
        GDALClose(dst);
        throw DataError(QStringLiteral("%1: cannot be placed on the chart (%2)")
                            .arg(source.Dataset, QuietGdal::Last()));
    }
    GDALWarpOptions* wo = GDALCreateWarpOptions();
    wo->hSrcDS = src;
    wo->hDstDS = dst;
    wo->nBandCount = 1;
    wo->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    wo->panSrcBands[0] = source.Band;
    wo->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    wo->panDstBands[0] = 1;
    wo->eResampleAlg = GRA_Bilinear;
    wo->pfnTransformer = GDALGenImgProjTransform;
    wo->pTransformerArg = transformer;
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(srcBand, &hasNoData);
    if (hasNoData) {
        wo->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
        wo->padfSrcNoDataReal[0] = noData;
    }
    wo->padfDstNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
    wo->padfDstNoDataReal[0] = qQNaN();
    wo->papszWarpOptions = CSLSetNameValue(wo->papszWarpOptions, "INIT_DEST", "NO_DATA");
    GDALWarpOperationH op = GDALCreateWarpOperation(wo);
    const CPLErr err =
        op ? GDALChunkAndWarpImage(op, 0, 0, ChartGrid::Nx, ChartGrid::Ny) : CE_Failure;
    Field field;
    const CPLErr readErr =
        err == CE_None
            ? GDALRasterIO(GDALGetRasterBand(dst, 1), GF_Read, 0, 0, ChartGrid::Nx, ChartGrid::Ny,
                           field.Values.data(), ChartGrid::Nx, ChartGrid::Ny, GDT_Float64, 0, 0)
            : err;
    if (op) GDALDestroyWarpOperation(op);
    GDALDestroyGenImgProjTransformer(transformer);
    GDALDestroyWarpOptions(wo);
    GDALClose(dst);
    if (readErr != CE_None)
        throw DataError(QStringLiteral("%1 band %2: cannot be read (%3)")
                            .arg(source.Dataset)
                            .arg(source.Band)
                            .arg(QuietGdal::Last()));
    // Packed values (NetCDF shorts) carry a scale and an offset the warper leaves alone.
    int hasScale = 0, hasOffset = 0;
    double scale = GDALGetRasterScale(srcBand, &hasScale);
    double offset = GDALGetRasterOffset(srcBand, &hasOffset);
    if (!hasScale) scale = 1.0;
    if (!hasOffset) offset = 0.0;
    for (double& v : field.Values)
        if (std::isfinite(v))
            v = (v * scale + offset) * source.Factor + source.Add;
        else
            v = qQNaN();
    return field;
}

} // namespace nimbrel::grids
