#include "products/issue.h"

#include "base/errors.h"
#include "base/records.h"
#include "products/places.h"
#include "products/product_stamps.h"
#include "products/product_text.h"
#include "products/wave_file.h"

namespace nimbrel {
namespace {

GeoPoint Geo(const ScreenToGeoFn& toGeo, const PixelPoint& p) {
    return toGeo(p.X, p.Y);
}

} // namespace

void PlaceForDescription(ProductRequest& request, const ProjectionDescriptor& current) {
    ForecastPolygon& polygon = request.Polygon;
    ProjectionDescriptor view = current;
    if (polygon.IsSet() && polygon.Drag == DragState::NotDrawing) {
        ResetViewport(view);
        ReprojectPolygon(polygon, view);
    }
    request.ToGeo = [view](double x, double y) { return ScreenToGeo(view, x, y); };
}

bool ProductSoundWanted(ProductKind kind, bool warningSoundsOn) {
    return IsOutlook(kind) || (IsWatch(kind) && warningSoundsOn);
}

std::optional<BuiltProduct> BuildProduct(const ProductRequest& request, RandomGenerator& rng,
                                         Prompts& prompts) {
    const ForecastPolygon& polygon = request.Polygon;
    if (polygon.Vertices[0].X == MissingPixel) {
        prompts.Information(NoPolygonMessage);
        return std::nullopt;
    }
    const ProductKind kind = request.Kind;
    if (!IsOutlook(kind) && !IsWatch(kind)) return std::nullopt;

    BuiltProduct product;
    product.Kind = kind;
    const ProductStamps stamps = ComputeProductStamps(request.SimulationTime);
    const AreaDescription area = DescribeArea(polygon.Vertices, request.ToGeo);

    if (ProductSoundWanted(kind, request.WarningSoundsOn)) {
        product.SoundPath = ReadablePath(request.AppDataDirectory + ProductSoundFileName(kind));
        // The sound plays in the background where a failure would pass unnoticed; a missing
        // or damaged sound stops the product here like any missing file.
        CheckWaveFile(product.SoundPath);
    }

    if (IsOutlook(kind)) {
        // Read the file before drawing, so that a missing file leaves the generator alone.
        const QByteArray discussion =
            ReadWholeFile(request.AppDataDirectory + QStringLiteral("nimbrel.gnr"));
        rng.SeedFromClock();
        const int n = rng.Random(DiscussionParagraphChoices);
        OutlookInputs in;
        in.Kind = kind;
        in.Stamps = stamps;
        in.AreaPhrase = area.AreaPhrase;
        in.FirstRegionName = area.RegionNames.value(0);
        in.Discussion = DiscussionParagraph(discussion, n);
        product.Lines = WriteOutlookText(in);
    } else {
        const std::vector<City> cities =
            ReadCityFile(request.AppDataDirectory + QStringLiteral("nimbrel.cit"));
        WatchInputs in;
        in.Kind = kind;
        in.Stamps = stamps;
        in.RegionNames = area.RegionNames;
        // Vertex 2 is the axis start, vertex 5 its end, vertex 1 lies a half-width from 2.
        in.AxisStartPlace = DescribePlace(Geo(request.ToGeo, polygon.Vertices[1]), cities);
        in.AxisEndPlace = DescribePlace(Geo(request.ToGeo, polygon.Vertices[4]), cities);
        in.HalfWidthMiles = DescribeHalfWidth(Geo(request.ToGeo, polygon.Vertices[0]),
                                              Geo(request.ToGeo, polygon.Vertices[1]));
        in.SideWords = polygon.SideWords;
        product.Lines = WriteWatchText(in);
    }
    return product;
}

} // namespace nimbrel
