#include "products/product_kind.h"

namespace nimbrel {

bool IsOutlook(ProductKind kind) {
    return kind == ProductKind::SlightRiskOutlook || kind == ProductKind::ModerateRiskOutlook ||
           kind == ProductKind::HighRiskOutlook;
}

bool IsWatch(ProductKind kind) {
    return kind == ProductKind::SevereWatch || kind == ProductKind::TornadoWatch;
}

QString ProductSoundFileName(ProductKind kind) {
    return IsWatch(kind) ? QStringLiteral("warningtone.wav") : QStringLiteral("printer.wav");
}

void LockProductItems(ProductKind kind, ProductItems& items) {
    if (!IsOutlook(kind) && !IsWatch(kind)) return;
    // Outlook items come first in the menu; a watch also closes them.
    const std::size_t locked = IsWatch(kind) ? 5 : 3;
    for (std::size_t i = 0; i < locked; ++i)
        items[i] = false;
}

void RecordIssuedProduct(ProductKind kind, ProductItems& items, std::int32_t& lastProductKind,
                         std::int32_t& productThisHour) {
    if (!IsOutlook(kind) && !IsWatch(kind)) return;
    LockProductItems(kind, items);
    lastProductKind = static_cast<std::int32_t>(kind);
    productThisHour = static_cast<std::int32_t>(kind);
}

} // namespace nimbrel
