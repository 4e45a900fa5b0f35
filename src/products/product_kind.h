#pragma once
#include <cstdint>

namespace nimbrel {

enum class ProductKind : std::int32_t {
    None = 0, SlightRiskOutlook = 1, ModerateRiskOutlook = 2, HighRiskOutlook = 3,
    SevereWatch = 4, TornadoWatch = 5
};

} // namespace nimbrel
