#pragma once
// Gridded analyses read through GDAL (GRIB1, GRIB2, CF NetCDF), catalogued by what they
// hold and when it is valid, and reprojected with GDAL's warper onto the one chart grid
// every chart is drawn on: a Lambert conformal conic for the contiguous United States.
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QPointF>
#include <QString>
#include <QStringList>

namespace nimbrel::grids {

/// What a field holds, in SI units once read (heights in metres, temperatures in K,
/// pressure in Pa, winds in m/s, humidity in % or kg/kg, vorticity in 1/s).
enum class Quantity {
    Height,
    Temperature,
    WindU,
    WindV,
    RelativeHumidity,
    SpecificHumidity,
    AbsoluteVorticity,
    SeaLevelPressure,
    Temperature2m,
    Dewpoint2m,
    WindU10m,
    WindV10m,
    Brightness, ///< infrared window brightness temperature (K)
};

QString QuantityName(Quantity q);

/// The chart's projection and its grid. Charts are 800 x 600 pixels; fields are warped
/// onto cells of CellPixels x CellPixels, so sample (i, j) sits at pixel
/// (CellPixels * (i + 0.5), CellPixels * (j + 0.5)).
struct ChartGrid {
    static constexpr int Width = 800, Height = 600, CellPixels = 4;
    static constexpr int Nx = Width / CellPixels, Ny = Height / CellPixels;
    static constexpr double MetresPerPixel = 6750.0;
    static constexpr double Left = -2700000.0, Top = 2050000.0; ///< projected metres
    static const char* Proj4();                                 ///< the projection
    /// Longitude and latitude of a chart pixel, and the pixel of a point.
    static QPointF PixelToLonLat(QPointF pixel);
    static std::optional<QPointF> LonLatToPixel(double lon, double lat);
    /// Angle (radians) by which the chart's y axis is turned from true north at `lon`.
    static double Convergence(double lon);
};

/// One field on the chart grid, row-major from the top; NaN where the source has no data.
struct Field {
    static constexpr std::size_t Cells = std::size_t(ChartGrid::Nx) * ChartGrid::Ny;
    std::vector<double> Values = std::vector<double>(Cells, 0.0);
    double& At(int i, int j) { return Values[Index(i, j)]; }
    double At(int i, int j) const { return Values[Index(i, j)]; }
    static std::size_t Index(int i, int j) {
        return std::size_t(j) * std::size_t(ChartGrid::Nx) + std::size_t(i);
    }
    /// Bilinear value at a chart pixel; NaN outside the grid or next to a hole.
    double Sample(QPointF pixel) const;
};

/// Where a field is found in the files.
struct FieldSource {
    QString Dataset;     ///< GDAL name (a file or a NetCDF subdataset)
    int Band = 0;        ///< 1-based
    QString Name;        ///< the variable's name in the file ("z", "HGT", ...)
    double Factor = 1.0; ///< to SI after the band's own scale and offset
    double Add = 0.0;
    bool GridRelative = false;   ///< winds along the source grid's axes, not east and north
    bool AssumedLonLat = false;  ///< no reference system in the file: degrees on WGS84
    double Cone = 0;             ///< of a grid-relative source: its projection's cone constant
    double CentralLongitude = 0; ///< and central meridian
};

/// Turns winds along a source grid's axes (`source` is the u or v component's) into
/// east and north components, in place; earth-relative winds are left as they are.
void ToEarthRelative(Field& u, Field& v, const FieldSource& source);

/// Every readable field of a set of GRIB and NetCDF files, keyed by valid time (seconds
/// since 1970, UTC), quantity and level (hPa; 0 for a surface or single-level field).
class GridFiles {
public:
    /// Opens and catalogues `files`. A file GDAL cannot open, or one holding no field
    /// this reader knows, throws DataError naming it. The first of several bands with
    /// the same key wins (an ensemble's first member; a repeated time in a second file).
    /// `fileTimes` gives the valid time of a file whose fields carry none (an extract
    /// of a single time whose name tells it).
    explicit GridFiles(const QStringList& files, const std::map<QString, qint64>& fileTimes = {});
    ~GridFiles();
    GridFiles(const GridFiles&) = delete;
    GridFiles& operator=(const GridFiles&) = delete;

    std::vector<qint64> ValidTimes() const;
    const FieldSource* Find(qint64 valid, Quantity q, int level) const;
    /// The field warped onto the chart grid (bilinear), in SI units. Throws DataError
    /// when GDAL cannot read or warp it.
    Field Warp(const FieldSource& source) const;
    /// One value of the source grid (column, row from its top left), as Warp converts it.
    double ValueAt(const FieldSource& source, int column, int row) const;
    /// Names the source in chart titles instead of the files' own description.
    void SetSourceLabel(const QString& label) { source_ = label; }
    /// Lines saying which variables of which file were used and for what.
    QStringList Used() const;
    /// The source a chart's title names: from the files' own descriptions when they
    /// name a known archive, else the first file's name.
    QString SourceLabel() const;

private:
    struct Key {
        qint64 Valid;
        Quantity What;
        int Level;
        auto operator<=>(const Key&) const = default;
    };
    struct Handles;
    void Catalogue(const QString& dataset, const QString& file, std::optional<qint64> fileTime);
    std::unique_ptr<Handles> handles_;
    std::map<Key, FieldSource> fields_;
    std::map<QString, QStringList> used_; ///< per file: "z: geopotential height 500, 850 hPa"
    QString source_;
};

/// GDAL registered once for the process.
void InitialiseGdal();

} // namespace nimbrel::grids
