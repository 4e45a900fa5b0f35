// The city file: any text gives a list of cities on the globe, and a place can be
// described against whatever list it gave.
#include <cmath>

#include "base/errors.h"
#include "fuzz_support.h"
#include "products/places.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const std::vector<City> cities = ParseCityList(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const City& c : cities)
        if (!(std::fabs(c.Position.Latitude) <= 90.0) ||
            !(std::fabs(c.Position.Longitude) <= 180.0))
            __builtin_trap();
    try {
        (void)DescribePlace(GeoPoint{35.0, -97.5}, cities);
        (void)DescribePlace(GeoPoint{-89.9, 179.9}, cities);
    } catch (const FileError&) {
    }
    return 0;
}
