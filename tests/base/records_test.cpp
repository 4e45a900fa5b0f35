#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "support/test_support.h"

using namespace nimbrel;
using namespace nimbrel::test;

TEST(Records, FieldsAreLittleEndianAtTheirOffsets) {
    const std::uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF,
                                  0,    0,    0,    0,    0,    0,    0xF0, 0x3F};
    RecordView v(bytes);
    EXPECT_EQ(v.Int16(0), 0x1234);
    EXPECT_EQ(v.Int32(2), 0x12345678);
    EXPECT_EQ(v.Int16(6), -2);
    EXPECT_DOUBLE_EQ(v.Double(8), 1.0);
    EXPECT_THROW(v.Int32(14), DataError);

    RecordBuilder b(16);
    b.Int16(0, 0x1234);
    b.Int32(2, 0x12345678);
    b.Int16(6, -2);
    b.Double(8, 1.0);
    EXPECT_EQ(b.Bytes(), QByteArray(reinterpret_cast<const char*>(bytes), 16));
}

TEST(Records, ShortStringsNeverReachPastTheirField) {
    // Length byte 200 in a field of capacity 4, followed by bytes of another field.
    const std::uint8_t bytes[] = {200, 'A', 'B', 'C', 'D', 'X', 'Y'};
    RecordView v(bytes);
    EXPECT_EQ(v.ShortString(0, 4), "ABCD");
    EXPECT_THROW(v.ShortString(3, 4), DataError); // field itself runs past the record

    RecordBuilder b(7);
    b.ShortString(0, 4, QStringLiteral("ABCDEFGH"));
    b.Int16(5, 0x5958);
    EXPECT_EQ(b.Bytes(), QByteArray("\x04"
                                    "ABCDXY",
                                    7));
    RecordBuilder e(3);
    e.ShortString(0, 2, QString());
    EXPECT_EQ(e.Bytes(), QByteArray(3, '\0'));
}

TEST(Records, FileReaderReportsMissingFilesAndRecordsCutShort) {
    QTemporaryDir dir;
    EXPECT_THROW(RecordFileReader(dir.filePath("none.dat"), 4), FileNotFound);
    try {
        RecordFileReader r(dir.filePath("none.dat"), 4);
    } catch (const FileError& e) {
        EXPECT_EQ(e.Message(), "File not found");
    }
    WriteFile(dir.filePath("two.dat"), QByteArray("\x01\0\0\0\x02\0\0\0\x03\0", 10));
    RecordFileReader r(dir.filePath("two.dat"), 4);
    ASSERT_TRUE(r.Next());
    EXPECT_EQ(r.Current().Int32(0), 1);
    ASSERT_TRUE(r.Next());
    EXPECT_EQ(r.Current().Int32(0), 2);
    EXPECT_THROW(r.Next(), DataError);

    WriteFile(dir.filePath("empty.dat"), QByteArray());
    RecordFileReader e(dir.filePath("empty.dat"), 4);
    EXPECT_FALSE(e.Next());
}

TEST(Records, WholeFileCopyReplacesTheTarget) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("a"), QByteArray("new contents"));
    WriteFile(dir.filePath("b"), QByteArray("older and longer contents"));
    CopyWholeFile(dir.filePath("a"), dir.filePath("b"));
    EXPECT_EQ(ReadFile(dir.filePath("b")), QByteArray("new contents"));
    EXPECT_THROW(CopyWholeFile(dir.filePath("missing"), dir.filePath("b")), FileNotFound);
    EXPECT_EQ(ReadFile(dir.filePath("b")), QByteArray("new contents"));
}
