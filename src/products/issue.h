#pragma once
// Building a forecast product from the trainee's polygon: everything the product window
// shows, worked out before anything in the session changes, so that a product that
// cannot be built (a missing sound, discussion or city file) leaves the menu, the
// product values and the window as they were.
#include <optional>

#include <QString>
#include <QStringList>

#include "base/datetime.h"
#include "base/prompts.h"
#include "base/random.h"
#include "map/polygon.h"
#include "products/product_kind.h"
#include "products/regions.h"

namespace nimbrel {

inline const QString NoPolygonMessage =
    QStringLiteral("No watch or outlook polygon was defined!  Please drag on the View > Target map "
                   "to set a polygon.");

struct ProductRequest {
    ProductKind Kind = ProductKind::None;
    DateTime SimulationTime = 0.0;
    ForecastPolygon Polygon;
    ScreenToGeoFn ToGeo;      ///< the target map's inverse projection
    QString AppDataDirectory; ///< ends in a separator; holds the sounds and text files
    /// The "Warning sounds" setting is on. Off silences the watch tone only: it is the
    /// warning among the product sounds, while the outlook's teletype sound is part of
    /// reading a product and stays.
    bool WarningSoundsOn = true;
};

struct BuiltProduct {
    ProductKind Kind = ProductKind::None;
    QStringList Lines;
    QString SoundPath; ///< empty when the sound is silenced
};

/// Sets the pixels and the inverse projection the product describes its polygon in.
/// A fixed polygon is placed from its geographic corners in the session's starting view
/// (`current` with ResetViewport applied), so the product's words are the same at every
/// zoom and pan, and at the starting view the same as read off the screen. A polygon
/// still being drawn has no corners on the ground yet: it keeps its pixels in `current`.
void PlaceForDescription(ProductRequest& request, const ProjectionDescriptor& current);

/// Whether issuing `kind` makes a sound under the warning-sounds setting.
bool ProductSoundWanted(ProductKind kind, bool warningSoundsOn);

/// Builds the product of `request`. Without a polygon (vertex 1 never placed) it shows
/// NoPolygonMessage and returns nothing; an unknown kind returns nothing. A sound that
/// will be played, "nimbrel.gnr" (outlooks) and "nimbrel.cit" (watches) must be
/// readable, else FileError. An outlook reseeds `rng` from the clock and draws its
/// discussion paragraph from it; nothing else is changed.
std::optional<BuiltProduct> BuildProduct(const ProductRequest& request, RandomGenerator& rng,
                                         Prompts& prompts);

} // namespace nimbrel
