#pragma once
// The five forecast products and what issuing one does to the session's product state.
#include <array>
#include <cstdint>

#include <QString>

namespace nimbrel {

enum class ProductKind : std::int32_t {
    None = 0,
    SlightRiskOutlook = 1,
    ModerateRiskOutlook = 2,
    HighRiskOutlook = 3,
    SevereWatch = 4,
    TornadoWatch = 5
};

/// Slight, moderate and high risk outlooks (kinds 1-3).
bool IsOutlook(ProductKind kind);
/// Severe thunderstorm and tornado watches (kinds 4-5).
bool IsWatch(ProductKind kind);
/// The sound played when the product is issued: "printer.wav" for outlooks,
/// "warningtone.wav" for watches.
QString ProductSoundFileName(ProductKind kind);

/// Enabled state of the five Forecast menu product items, slight risk first.
using ProductItems = std::array<bool, 5>;

/// Locks the items a product of `kind` closes: an outlook the three outlook items, a watch
/// all five (at most one outlook and one watch per session, and no outlook after a watch).
/// Done before the product is built: a product that fails to build still used its turn.
void LockProductItems(ProductKind kind, ProductItems& items);

/// Records an issued product: its items locked as above and both product values take
/// the kind. Called only once the product was built.
void RecordIssuedProduct(ProductKind kind, ProductItems& items, std::int32_t& lastProductKind,
                         std::int32_t& productThisHour);

} // namespace nimbrel
