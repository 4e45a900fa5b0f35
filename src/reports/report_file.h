#pragma once
// "rpt.dat": headerless 64-byte little-endian storm report records.
#include <cstdint>

#include <QString>

#include "base/datetime.h"
#include "map/geodesy.h"

namespace nimbrel {

enum class ReportKind : std::int32_t { Tornado = 1, Hail = 2, Wind = 3 };
enum class ReportAge : std::int32_t { NotYet = 0, Recent = 1, Old = 2 };

struct StormReport {
    static constexpr std::size_t RecordSize = 64;
    DateTime Time = 0.0;             ///< offset 0, UTC
    std::int32_t Kind = 0;           ///< offset 8, a ReportKind value (others are kept as read)
    GeoPoint Start;                  ///< offsets 16, 24
    GeoPoint End;                    ///< offsets 32, 40; latitude 0 = no track
    QString State;                   ///< offset 48, short string of capacity 2
    std::int32_t SourceColumn11 = 0; ///< offset 52
    std::int32_t SourceColumn12 = 0; ///< offset 56
    std::int32_t SourceColumn13 = 0; ///< offset 60
};

} // namespace nimbrel

#include <functional>
#include <vector>

namespace nimbrel {

QByteArray EncodeReport(const StormReport& report);
StormReport DecodeReport(const class RecordView& record);
/// Reads every record of a report file in file order. FileNotFound when missing;
/// DataError for a trailing partial record (records before it are passed to
/// `onRecord` first, so a caller that draws as it reads keeps what it drew).
void ForEachReport(const QString& path, const std::function<void(const StormReport&)>& onRecord);
std::vector<StormReport> ReadReports(const QString& path);
void WriteReports(const QString& path, const std::vector<StormReport>& reports);
/// How a report stands against the clock: d = simulationTime - time in days.
ReportAge AgeOf(const StormReport& report, DateTime simulationTime);

} // namespace nimbrel
