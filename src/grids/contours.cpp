#include "grids/contours.h"

#include <cmath>

#include <cpl_string.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <ogr_api.h>

#include "base/errors.h"

namespace nimbrel::grids {

namespace {

// The contour generator's no-data marker: a value no analysis holds.
constexpr double Hole = -1.0e30;

} // namespace

std::vector<ContourLine> Contours(const Field& field, double interval, double base) {
    InitialiseGdal();
    GDALDatasetH grid = GDALCreate(GDALGetDriverByName("MEM"), "", ChartGrid::Nx, ChartGrid::Ny, 1,
                                   GDT_Float64, nullptr);
    // Geotransform in chart pixels, so that the lines come out ready to draw.
    double gt[6] = {0, double(ChartGrid::CellPixels), 0, 0, 0, double(ChartGrid::CellPixels)};
    GDALSetGeoTransform(grid, gt);
    std::vector<double> values = field.Values;
    for (double& v : values)
        if (!std::isfinite(v)) v = Hole;
    GDALRasterBandH band = GDALGetRasterBand(grid, 1);
    if (GDALRasterIO(band, GF_Write, 0, 0, ChartGrid::Nx, ChartGrid::Ny, values.data(),
                     ChartGrid::Nx, ChartGrid::Ny, GDT_Float64, 0, 0) != CE_None) {
        GDALClose(grid);
        throw DataError(QStringLiteral("GDAL could not hold a field in memory"));
    }

    GDALDatasetH store =
        GDALCreate(GDALGetDriverByName("Memory"), "", 0, 0, 0, GDT_Unknown, nullptr);
    OGRLayerH layer = GDALDatasetCreateLayer(store, "contours", nullptr, wkbLineString, nullptr);
    OGRFieldDefnH id = OGR_Fld_Create("id", OFTInteger);
    OGRFieldDefnH elev = OGR_Fld_Create("elev", OFTReal);
    OGR_L_CreateField(layer, id, TRUE);
    OGR_L_CreateField(layer, elev, TRUE);
    OGR_Fld_Destroy(id);
    OGR_Fld_Destroy(elev);

    char** options = nullptr;
    options = CSLSetNameValue(options, "LEVEL_INTERVAL",
                              QByteArray::number(interval, 'g', 17).constData());
    options = CSLSetNameValue(options, "LEVEL_BASE", QByteArray::number(base, 'g', 17).constData());
    options = CSLSetNameValue(options, "NODATA", QByteArray::number(Hole, 'g', 17).constData());
    options = CSLSetNameValue(options, "ID_FIELD", "0");
    options = CSLSetNameValue(options, "ELEV_FIELD", "1");
    const CPLErr err = GDALContourGenerateEx(band, layer, options, nullptr, nullptr);
    CSLDestroy(options);

    std::vector<ContourLine> lines;
    if (err == CE_None) {
        OGR_L_ResetReading(layer);
        while (OGRFeatureH f = OGR_L_GetNextFeature(layer)) {
            OGRGeometryH g = OGR_F_GetGeometryRef(f);
            if (g) {
                ContourLine line;
                line.Level = OGR_F_GetFieldAsDouble(f, 1);
                const int n = OGR_G_GetPointCount(g);
                line.Points.reserve(n);
                for (int i = 0; i < n; ++i)
                    line.Points << QPointF(OGR_G_GetX(g, i), OGR_G_GetY(g, i));
                if (n >= 2) lines.push_back(std::move(line));
            }
            OGR_F_Destroy(f);
        }
    }
    GDALClose(store);
    GDALClose(grid);
    if (err != CE_None) throw DataError(QStringLiteral("GDAL could not contour a field"));
    return lines;
}

} // namespace nimbrel::grids
