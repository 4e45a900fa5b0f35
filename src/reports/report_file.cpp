#include "reports/report_file.h"

#include <QFileInfo>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel {

QByteArray EncodeReport(const StormReport& r) {
    RecordBuilder b(StormReport::RecordSize);
    b.Double(0, r.Time);
    b.Int32(8, r.Kind);
    b.Double(16, r.Start.Latitude);
    b.Double(24, r.Start.Longitude);
    b.Double(32, r.End.Latitude);
    b.Double(40, r.End.Longitude);
    b.ShortString(48, 2, r.State);
    b.Int32(52, r.SourceColumn11);
    b.Int32(56, r.SourceColumn12);
    b.Int32(60, r.SourceColumn13);
    return b.Bytes();
}

StormReport DecodeReport(const RecordView& v) {
    StormReport r;
    r.Time = v.Double(0);
    r.Kind = v.Int32(8);
    r.Start = {v.Double(16), v.Double(24)};
    r.End = {v.Double(32), v.Double(40)};
    r.State = v.ShortString(48, 2);
    r.SourceColumn11 = v.Int32(52);
    r.SourceColumn12 = v.Int32(56);
    r.SourceColumn13 = v.Int32(60);
    return r;
}

void ForEachReport(const QString& path, const std::function<void(const StormReport&)>& onRecord) {
    const ReportList list = ReadReportList(path);
    for (const StormReport& r : list.Records)
        onRecord(r);
    list.ThrowIfCutShort();
}

std::vector<StormReport> ReadReports(const QString& path) {
    ReportList list = ReadReportList(path);
    list.ThrowIfCutShort();
    return std::move(list.Records);
}

void WriteReports(const QString& path, const std::vector<StormReport>& reports) {
    RecordFileWriter writer(path, StormReport::RecordSize);
    for (const auto& r : reports)
        writer.Append(EncodeReport(r));
    writer.Close();
}

void ReportList::ThrowIfCutShort() const {
    if (!CutShort.isEmpty()) throw DataError(CutShort);
}

ReportList ReadReportList(const QString& path) {
    return ParseReportList(ReadWholeFile(path, MaxRecordsPerFile * qint64(StormReport::RecordSize)),
                           path);
}

ReportList ParseReportList(const QByteArray& bytes, const QString& path) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    ReportList list;
    list.Records.reserve(size / StormReport::RecordSize);
    std::size_t at = 0;
    for (; size - at >= StormReport::RecordSize; at += StormReport::RecordSize)
        list.Records.push_back(
            DecodeReport(RecordView(std::span(data + at, StormReport::RecordSize))));
    if (at != size)
        list.CutShort =
            QStringLiteral("Read beyond end of file: \"%1\" ends with a record cut short")
                .arg(path);
    return list;
}

const ReportList& ReportStore::Read(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) {
        Forget();
        throw FileNotFound(path);
    }
    if (path != path_ || info.size() != size_ || info.lastModified() != modified_) {
        Forget();
        bytes_ = ReadWholeFile(path, MaxRecordsPerFile * qint64(StormReport::RecordSize));
        list_ = ParseReportList(bytes_, path);
        ++generation_;
        path_ = path;
        size_ = info.size();
        modified_ = info.lastModified();
    }
    return list_;
}

void ReportStore::Written(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (!info.exists() || info.size() != bytes.size()) {
        Forget();
        return;
    }
    if (path != path_ || bytes != bytes_) {
        list_ = ParseReportList(bytes, path);
        bytes_ = bytes;
        ++generation_;
        path_ = path;
    }
    size_ = info.size();
    modified_ = info.lastModified();
}

void ReportStore::Forget() {
    path_.clear();
    size_ = -1;
    modified_ = QDateTime();
    bytes_.clear();
    list_ = ReportList();
}

ReportAge AgeOf(const StormReport& report, DateTime simulationTime) {
    // Times are sums of a day number and fractions, so a report stamped exactly one
    // hour before the clock may differ from 1/24 by a rounding unit; a tolerance far
    // below one second keeps both ends of "recent" inclusive as intended.
    constexpr double Tolerance = 1e-9;
    const double d = simulationTime - report.Time;
    if (d < -Tolerance) return ReportAge::NotYet;
    if (d <= 1.0 / 24.0 + Tolerance) return ReportAge::Recent;
    return ReportAge::Old;
}

} // namespace nimbrel
