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

#include <QDateTime>

namespace nimbrel {

QByteArray EncodeReport(const StormReport& report);
StormReport DecodeReport(const class RecordView& record);
/// Reads every record of a report file in file order. FileNotFound when missing;
/// DataError for a trailing partial record (records before it are passed to
/// `onRecord` first, so a caller that draws as it reads keeps what it drew).
void ForEachReport(const QString& path, const std::function<void(const StormReport&)>& onRecord);
std::vector<StormReport> ReadReports(const QString& path);
void WriteReports(const QString& path, const std::vector<StormReport>& reports);
/// The records of a report file, read whole.
struct ReportList {
    std::vector<StormReport> Records;
    /// Not empty when the file ends in a record cut short: the DataError message, to be
    /// raised once the records before it have been used.
    QString CutShort;
    /// Throws the DataError of a file cut short; nothing otherwise.
    void ThrowIfCutShort() const;
};

/// Reads a report file in one piece. FileNotFound when missing, FileError when unreadable.
ReportList ReadReportList(const QString& path);
/// The records of a report file's bytes, as ReadReportList gives them; `path` names the
/// file in the message of a record cut short.
ReportList ParseReportList(const QByteArray& bytes, const QString& path);

/// The records of one report file kept in memory between uses: read again only when
/// the path, the file's size or its modification time differ from the last reading.
/// The program forgets it when it rewrites the file itself.
class ReportStore {
public:
    /// The file's records; a missing file is FileNotFound, as on every reading.
    const ReportList& Read(const QString& path);
    /// The program has just written `bytes` to `path` itself: they are taken as the
    /// file's records without reading the file back, and when they are the very bytes
    /// held already, the records and the generation stay as they are. A file on the disk
    /// that is not (or no longer) of their size is read again at the next Read.
    void Written(const QString& path, const QByteArray& bytes);
    void Forget();
    /// Goes up by one at every reading of the file, so users of the records can tell.
    std::uint64_t Generation() const { return generation_; }

private:
    std::uint64_t generation_ = 0;
    QString path_;
    qint64 size_ = -1;
    QDateTime modified_;
    QByteArray bytes_; ///< what list_ was decoded from
    ReportList list_;
};

/// How a report stands against the clock: d = simulationTime - time in days.
ReportAge AgeOf(const StormReport& report, DateTime simulationTime);

} // namespace nimbrel
