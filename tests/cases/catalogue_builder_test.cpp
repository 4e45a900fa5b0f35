#include "cases/catalogue_builder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/errors.h"
#include "cases/catalogue.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

TEST(SplitCaseListLineTest, PlainQuotedAndDoubledQuotes) {
    CaseListRow row =
        SplitCaseListLine(QStringLiteral("2003-05-04,x,1,,TD,4,note,,\"Hays, KS tornado\",n,f"));
    EXPECT_EQ(row[0], "2003-05-04");
    EXPECT_EQ(row[2], "1");
    EXPECT_EQ(row[3], "");
    EXPECT_EQ(row[4], "TD");
    EXPECT_EQ(row[8], "Hays, KS tornado"); // the quoted comma stays
    EXPECT_EQ(row[9], "n");
    EXPECT_EQ(row[10], "f");
    EXPECT_EQ(row[11], "");

    // Inside quotes, a doubled quote is one quote character.
    row = SplitCaseListLine(QStringLiteral("\"the \"\"Hesston\"\" storm\",b"));
    EXPECT_EQ(row[0], "the \"Hesston\" storm");
    EXPECT_EQ(row[1], "b");

    // Outside quotes, the doubled quote's second half opens the quoted mode.
    row = SplitCaseListLine(QStringLiteral("a\"\"b,c,d"));
    EXPECT_EQ(row[0], "a\"b,c,d");
    EXPECT_EQ(row[1], "");
}

TEST(SplitCaseListLineTest, NeverPastTheTwelfthColumn) {
    const CaseListRow row = SplitCaseListLine(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14"));
    EXPECT_EQ(row[10], "11");
    EXPECT_EQ(row[11], "121314"); // commas after the eleventh are dropped
    const CaseListRow empty = SplitCaseListLine(QString());
    for (const QString& c : empty)
        EXPECT_TRUE(c.isEmpty());
}

TEST(SplitCaseListLineTest, InclusionMarkIsExactlyOneAfterTrimming) {
    auto mark = [](const char* third) {
        return IsIncludedRow(
            SplitCaseListLine(QStringLiteral("d,x,") + QString::fromLatin1(third)));
    };
    EXPECT_TRUE(mark("1"));
    EXPECT_TRUE(mark("  1 "));
    EXPECT_TRUE(mark("\t1\r"));
    EXPECT_FALSE(mark("1.0"));
    EXPECT_FALSE(mark("01"));
    EXPECT_FALSE(mark(""));
    EXPECT_FALSE(mark("1 1"));
}

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = dir.path() + QStringLiteral("/disc/");
        appData = dir.path() + QStringLiteral("/appdata/");
        QDir().mkpath(appData);
        for (const char* day : {"2003-05-04", "1999-05-03", "1979-04-10"})
            QDir().mkpath(root + day);
        input = root + QStringLiteral("chase-list.csv");
    }
    QString Catalogue() const { return appData + QStringLiteral("nimbrel.cas"); }
    int Build() { return BuildCaseCatalogue(input, appData, root).Entries; }

    QTemporaryDir dir;
    QString root, appData, input;
};

TEST_F(BuilderTest, BuildsRecordsAndNarratives) {
    const QString longText = QString(150, 'a') + QString(100, 'b');
    test::WriteFile(
        input,
        "date,who,use,x,codes,rank,note,y,description,narr,fcst,z\r\n"
        "2003-05-04,me,1,,TD, 4 stars,a note that is longer than twenty,,\"Kansas, big day\","
        "Narrative text,Discussion text,unused\r\n"
        "1999-05-03,me,0,,TD,5,,,skipped,no,no\r\n"
        "1979-04-10,me, 1 ,,TCF,x,,," +
            longText.toLatin1() +
            "\n"
            "2003-05-04,me,1,,SD,2,,,second,Replaced narrative,Replaced discussion\n");
    EXPECT_EQ(Build(), 3);

    const QByteArray bytes = test::ReadFile(Catalogue());
    ASSERT_EQ(bytes.size(), 3 * 252);
    // First record, checked byte by byte at the layout's offsets.
    EXPECT_EQ(bytes.mid(0, 11), QByteArray("\x0a"
                                           "2003-05-04"));
    EXPECT_EQ(bytes.mid(11, 3), QByteArray("\x02TD"));
    EXPECT_EQ(bytes.mid(24, 4), QByteArray("\x04\x00\x00\x00", 4));
    EXPECT_EQ(bytes.mid(28, 21), QByteArray("\x14"
                                            "a note that is longe"));
    EXPECT_EQ(bytes.mid(49, 16), QByteArray("\x0f"
                                            "Kansas, big day"));

    const CatalogueRead read = ReadCaseCatalogue(Catalogue());
    ASSERT_TRUE(read.Ok());
    ASSERT_EQ(read.Entries.size(), 3u);
    EXPECT_EQ(read.Entries[1].CaseDate, "1979-04-10");
    EXPECT_EQ(read.Entries[1].Ranking, 0);
    EXPECT_EQ(read.Entries[1].Description, longText.left(200));
    EXPECT_EQ(CaseListLine(read.Entries[1]), "1979-04-10 " + longText.left(200));
    EXPECT_EQ(read.Entries[2].Codes, "SD");

    // The later row of the same day replaced the narratives; a short row left them empty.
    EXPECT_EQ(test::ReadFile(root + "2003-05-04/narr.txt"), QByteArray("Replaced narrative\r\n"));
    EXPECT_EQ(test::ReadFile(root + "2003-05-04/fcst.txt"), QByteArray("Replaced discussion\r\n"));
    EXPECT_EQ(test::ReadFile(root + "1979-04-10/narr.txt"), QByteArray("\r\n"));
    EXPECT_EQ(test::ReadFile(root + "1979-04-10/fcst.txt"), QByteArray("\r\n"));
    EXPECT_FALSE(QFileInfo::exists(root + "1999-05-03/narr.txt"));
}

TEST_F(BuilderTest, HeaderOnlyGivesAnEmptyCatalogue) {
    test::WriteFile(Catalogue(), QByteArray(252, 'x')); // an earlier catalogue is replaced
    test::WriteFile(input, "date,who,use\r\n");
    EXPECT_EQ(Build(), 0);
    EXPECT_TRUE(QFileInfo::exists(Catalogue()));
    EXPECT_EQ(QFileInfo(Catalogue()).size(), 0);
}

TEST_F(BuilderTest, MissingInputLeavesTheCatalogueAlone) {
    test::WriteFile(Catalogue(), QByteArray(252, 'x'));
    EXPECT_THROW(Build(), FileNotFound);
    EXPECT_EQ(QFileInfo(Catalogue()).size(), 252);
}

TEST_F(BuilderTest, MissingCaseFolderStopsTheRunKeepingEarlierRecords) {
    test::WriteFile(input, "header\n"
                           "2003-05-04,,1,,TD,1,,,first,n1,f1\n"
                           "2001-01-01,,1,,TD,1,,,no folder,n2,f2\n"
                           "1999-05-03,,1,,TD,1,,,never reached,n3,f3\n");
    EXPECT_THROW(Build(), FileError);
    // The failing row leaves no record behind.
    const CatalogueRead read = ReadCaseCatalogue(Catalogue());
    ASSERT_TRUE(read.Ok());
    ASSERT_EQ(read.Entries.size(), 1u);
    EXPECT_EQ(read.Entries[0].Description, "first");
    EXPECT_EQ(test::ReadFile(root + "2003-05-04/narr.txt"), QByteArray("n1\r\n"));
    EXPECT_FALSE(QFileInfo::exists(root + "1999-05-03/narr.txt"));
}

TEST_F(BuilderTest, CaseFolderLinkedOutsideTheDiscIsSkippedAndReported) {
    const QString outside = dir.path() + QStringLiteral("/outside");
    QDir().mkpath(outside);
    QDir(root + "1999-05-03").removeRecursively();
    ASSERT_TRUE(QFile::link(outside, root + "1999-05-03"));
    test::WriteFile(input, "header\n1999-05-03,,1,,TD,1,,,linked,n,f\n"
                           "2003-05-04,,1,,TD,1,,,kept,n,f\n");
    const CatalogueBuild built = BuildCaseCatalogue(input, appData, root);
    EXPECT_EQ(built.Entries, 1);
    ASSERT_EQ(built.Skipped.size(), 1);
    EXPECT_TRUE(built.Skipped[0].contains("outside the disc")) << built.Skipped[0].toStdString();
    EXPECT_TRUE(QDir(outside).isEmpty());
    EXPECT_EQ(ReadCaseCatalogue(Catalogue()).Entries.at(0).Description, "kept");
}

TEST_F(BuilderTest, DayThatLeavesTheCaseRootIsRefused) {
    QDir().mkpath(dir.path() + "/outside");
    test::WriteFile(input, "header\n../outside,,1,,TD,1,,,escape,n,f\n");
    EXPECT_THROW(Build(), DataError);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/outside/narr.txt"));
}

} // namespace
} // namespace nimbrel
