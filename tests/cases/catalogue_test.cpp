#include "cases/catalogue.h"

#include <climits>

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "base/errors.h"
#include "cases/cases_test_support.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

using test::HandRecord;

class CatalogueTest : public ::testing::Test {
protected:
    QString Path() const { return dir.filePath(QStringLiteral("nimbrel.cas")); }
    QTemporaryDir dir;
};

TEST_F(CatalogueTest, ReadsFieldsAtTheirOffsetsIgnoringPadding) {
    QByteArray file = HandRecord("2003-05-04", "TD", 3, "Kansas tornado outbreak", "a note") +
                      HandRecord("1979-04-10", "TCF", -2, "");
    test::WriteFile(Path(), file);

    const CatalogueRead read = ReadCaseCatalogue(Path());
    ASSERT_TRUE(read.Ok()) << read.Error.toStdString();
    ASSERT_EQ(read.Entries.size(), 2u);
    const CaseEntry& a = read.Entries[0];
    EXPECT_EQ(a.CaseDate, "2003-05-04");
    EXPECT_EQ(a.Codes, "TD");
    EXPECT_EQ(a.Ranking, 3);
    EXPECT_EQ(a.Note, "a note");
    EXPECT_EQ(a.Description, "Kansas tornado outbreak");
    EXPECT_EQ(read.Entries[1].Ranking, -2);
    // An empty description still lists the day and its one space.
    EXPECT_EQ(CaseListLine(read.Entries[1]), "1979-04-10 ");
    EXPECT_EQ(CaseListLine(a), "2003-05-04 Kansas tornado outbreak");
}

TEST_F(CatalogueTest, WriterProducesTheHandLayoutWithZeroPadding) {
    CaseEntry e;
    e.CaseDate = "2003-05-04";
    e.Codes = "TD";
    e.Ranking = 3;
    e.Note = "a note";
    e.Description = "Kansas tornado outbreak";
    QByteArray expected(252, '\0');
    test::PutShortText(expected, 0, 10, "2003-05-04");
    test::PutShortText(expected, 11, 10, "TD");
    test::PutInt32(expected, 24, 3);
    test::PutShortText(expected, 28, 20, "a note");
    test::PutShortText(expected, 49, 200, "Kansas tornado outbreak");
    EXPECT_EQ(e.ToBytes(), expected);

    WriteCaseCatalogue(Path(), {e, e});
    EXPECT_EQ(test::ReadFile(Path()), expected + expected);
}

TEST_F(CatalogueTest, OverlongTextsAreCutToTheirCapacity) {
    CaseEntry e;
    e.CaseDate = "2003-05-04-extra";
    e.Codes = "TDCFOMUWZHX";
    e.Note = QString(30, 'n');
    e.Description = QString(150, 'a') + QString(100, 'b');
    const QByteArray bytes = e.ToBytes();
    ASSERT_EQ(bytes.size(), 252);
    EXPECT_EQ(quint8(bytes[0]), 10);
    EXPECT_EQ(quint8(bytes[11]), 10);
    EXPECT_EQ(quint8(bytes[28]), 20);
    EXPECT_EQ(quint8(bytes[49]), 200);
    const CaseEntry back = CaseEntry::FromBytes(bytes);
    EXPECT_EQ(back.CaseDate, "2003-05-04");
    EXPECT_EQ(back.Codes, "TDCFOMUWZH");
    EXPECT_EQ(back.Description, QString(150, 'a') + QString(50, 'b'));
}

TEST_F(CatalogueTest, LengthByteAboveCapacityStaysInsideItsField) {
    QByteArray r = HandRecord("2003-05-04", "TD", 1, "desc");
    r[11] = char(0xFF); // Codes claims 255 characters
    r[0] = char(11);    // CaseDate claims one more than it holds
    test::WriteFile(Path(), r);
    const CatalogueRead read = ReadCaseCatalogue(Path());
    ASSERT_EQ(read.Entries.size(), 1u);
    // The field's ten character bytes and nothing past them.
    EXPECT_EQ(read.Entries[0].Codes, QString::fromLatin1(r.mid(12, 10)));
    EXPECT_EQ(read.Entries[0].CaseDate, QString::fromLatin1(r.mid(1, 10)));
    EXPECT_EQ(read.Entries[0].Ranking, 1);
}

TEST_F(CatalogueTest, FailuresKeepWhatWasReadBefore) {
    // Zero bytes: an empty list and no error.
    test::WriteFile(Path(), QByteArray());
    CatalogueRead read = ReadCaseCatalogue(Path());
    EXPECT_TRUE(read.Ok());
    EXPECT_TRUE(read.Entries.empty());

    // A trailing fragment: the whole records are there, then the error.
    test::WriteFile(Path(), HandRecord("2003-05-04", "TD", 1, "one") +
                                HandRecord("2003-05-04", "TD", 1, "one") + QByteArray(100, 'x'));
    read = ReadCaseCatalogue(Path());
    EXPECT_FALSE(read.Ok());
    ASSERT_EQ(read.Entries.size(), 2u); // duplicates are both kept
    EXPECT_EQ(CaseListLine(read.Entries[0]), CaseListLine(read.Entries[1]));

    // Missing file.
    read = ReadCaseCatalogue(dir.filePath(QStringLiteral("absent.cas")));
    EXPECT_EQ(read.Error, "File not found\n" + dir.filePath(QStringLiteral("absent.cas")));
    EXPECT_TRUE(read.Entries.empty());
    EXPECT_THROW(
        ForEachCaseEntry(dir.filePath(QStringLiteral("absent.cas")), [](const CaseEntry&) {}),
        FileNotFound);
}

TEST(CaseDayTest, TakesTheDayByPosition) {
    const CaseDay d = ParseCaseDay(QStringLiteral("2003-05-04 Kansas tornado outbreak"));
    EXPECT_EQ(d.Year, 2003);
    EXPECT_EQ(d.Month, 5);
    EXPECT_EQ(d.Day, 4);
    EXPECT_EQ(d.FolderName, "2003-05-04");
    // Characters 5 and 8 are not looked at.
    const CaseDay dotted = ParseCaseDay(QStringLiteral("1999.05.03"));
    EXPECT_EQ(dotted.Month, 5);
    EXPECT_EQ(dotted.FolderName, "1999.05.03");
}

TEST(CaseDayTest, RejectsTextThatIsNoDay) {
    for (const char* text : {"", "2003-05", "20x3-05-04", "2003- 5-04", "2003-05-4 ", "-003-05-04"})
        EXPECT_THROW(ParseCaseDay(QString::fromLatin1(text)), ConvertError) << text;
    // A separator in the day would move the case folder below the case root.
    EXPECT_THROW(ParseCaseDay(QStringLiteral("2003/05/04")), ConvertError);
    EXPECT_THROW(ParseCaseDay(QStringLiteral("2003\\05\\04")), ConvertError);
}

TEST(LeadingNumberTest, ReadsLeadingDigitsAfterBlanks) {
    EXPECT_EQ(LeadingNumber(QStringLiteral("  1987")), 1987);
    EXPECT_EQ(LeadingNumber(QStringLiteral("\t4 stars")), 4);
    EXPECT_EQ(LeadingNumber(QStringLiteral("19x9")), 19);
    EXPECT_EQ(LeadingNumber(QStringLiteral("")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("-5")), 0);
    EXPECT_EQ(LeadingNumber(QStringLiteral("99999999999999999999")), INT_MAX);
}

} // namespace
} // namespace nimbrel
