#include <gtest/gtest.h>

#include <cstring>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "reports/report_file.h"

using namespace nimbrel;

namespace {

double DoubleAt(const QByteArray& b, int offset) {
    double v;
    std::memcpy(&v, b.constData() + offset, 8); // the test machine is little-endian
    return v;
}

std::int32_t IntAt(const QByteArray& b, int offset) {
    std::int32_t v;
    std::memcpy(&v, b.constData() + offset, 4);
    return v;
}

} // namespace

TEST(ReportFile, RecordLayoutIsBinding) {
    StormReport r;
    r.Time = 28955.75;
    r.Kind = 2;
    r.Start = {33.9, -98.5};
    r.End = {34.1, -98.2};
    r.State = QStringLiteral("TX");
    r.SourceColumn11 = 175;
    r.SourceColumn12 = -3;
    r.SourceColumn13 = 42;
    const QByteArray b = EncodeReport(r);
    ASSERT_EQ(b.size(), 64);
    EXPECT_EQ(DoubleAt(b, 0), 28955.75);
    EXPECT_EQ(IntAt(b, 8), 2);
    EXPECT_EQ(IntAt(b, 12), 0); // reserved
    EXPECT_EQ(DoubleAt(b, 16), 33.9);
    EXPECT_EQ(DoubleAt(b, 24), -98.5);
    EXPECT_EQ(DoubleAt(b, 32), 34.1);
    EXPECT_EQ(DoubleAt(b, 40), -98.2);
    EXPECT_EQ(b[48], '\2');
    EXPECT_EQ(b.mid(49, 2), QByteArray("TX"));
    EXPECT_EQ(b[51], '\0'); // reserved
    EXPECT_EQ(IntAt(b, 52), 175);
    EXPECT_EQ(IntAt(b, 56), -3);
    EXPECT_EQ(IntAt(b, 60), 42);

    // A length byte beyond the field's capacity reads no further than the field.
    QByteArray bad = b;
    bad[48] = '\xff';
    const std::span<const std::uint8_t> bytes(
        reinterpret_cast<const std::uint8_t*>(bad.constData()), 64);
    const StormReport back = DecodeReport(RecordView(bytes));
    EXPECT_EQ(back.State, QStringLiteral("TX"));
    EXPECT_EQ(back.SourceColumn11, 175);
}

// The store reads a file once and again only when it changed; a file cut short keeps its
// whole records and says where it stopped.
TEST(ReportFile, StoreReadsAgainOnlyAChangedFile) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/rpt.dat");
    StormReport r;
    r.Kind = 2;
    r.Start = {35.0, -97.0};
    WriteReports(path, {r});
    ReportStore store;
    EXPECT_EQ(store.Read(path).Records.size(), 1u);
    const std::uint64_t first = store.Generation();
    EXPECT_EQ(store.Read(path).Records.size(), 1u);
    EXPECT_EQ(store.Generation(), first);

    // Rewritten by someone else: same size, another time stamp, other content.
    r.Kind = 3;
    WriteReports(path, {r});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                 QFileDevice::FileModificationTime));
    file.close();
    const ReportList& changed = store.Read(path);
    EXPECT_GT(store.Generation(), first);
    ASSERT_EQ(changed.Records.size(), 1u);
    EXPECT_EQ(changed.Records[0].Kind, 3);

    QByteArray bytes = EncodeReport(r) + QByteArray(10, '\0');
    QFile cut(path);
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes);
    cut.close();
    const ReportList& partial = store.Read(path);
    EXPECT_EQ(partial.Records.size(), 1u);
    EXPECT_THROW(partial.ThrowIfCutShort(), DataError);

    QFile::remove(path);
    EXPECT_THROW(store.Read(path), FileNotFound);
}

// What the program writes itself is taken from its bytes: the same bytes keep the
// records and their generation; other bytes are decoded at once (a record cut short
// included); a file that is not what was said to be written is read at the next Read.
TEST(ReportFile, StoreTakesWhatTheProgramWroteWithoutReadingItBack) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/rpt.dat");
    StormReport r;
    r.Kind = 1;
    WriteReports(path, {r});
    ReportStore store;
    store.Read(path);
    const std::uint64_t first = store.Generation();
    const QByteArray one = EncodeReport(r);
    WriteRemadeFile(path, one);
    store.Written(path, one);
    EXPECT_EQ(store.Generation(), first);
    r.Kind = 2;
    const QByteArray two = one + EncodeReport(r) + QByteArray(3, '\0');
    WriteRemadeFile(path, two);
    store.Written(path, two);
    EXPECT_GT(store.Generation(), first);
    const ReportList& list = store.Read(path);
    ASSERT_EQ(list.Records.size(), 2u);
    EXPECT_EQ(list.Records[1].Kind, 2);
    EXPECT_THROW(list.ThrowIfCutShort(), DataError);

    store.Written(path, one); // not what the file holds
    EXPECT_EQ(store.Read(path).Records.size(), 2u);
}
