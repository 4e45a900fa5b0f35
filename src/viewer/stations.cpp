#include "viewer/stations.h"

namespace nimbrel {

void FillStationTable(StationTable& table) {
    static const struct {
        const char* Ids;
        int X, Y;
    } rows[20] = {
        {"DEN", 83, 228},      {"ABQ", 35, 362},      {"EPZ/ELP", 30, 456},  {"DRT", 169, 537},
        {"VCT/CRP", 259, 563}, {"MAF", 135, 460},     {"SEP/FWD", 246, 447}, {"GGG/SHV", 332, 445},
        {"AMA", 146, 366},     {"OKC/OUN", 252, 363}, {"LZK", 376, 372},     {"DDC", 194, 292},
        {"UMN/SGF", 334, 312}, {"TOP", 289, 254},     {"LBF", 177, 193},     {"OVN/OAX", 284, 190},
        {"RAP", 129, 105},     {"ABR/HON", 235, 89},  {"STC/MPX", 325, 72},  {"LCH", 355, 505},
    };
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].Identifiers = QString::fromLatin1(rows[i].Ids);
        table[i].X = rows[i].X;
        table[i].Y = rows[i].Y;
    }
}

} // namespace nimbrel
