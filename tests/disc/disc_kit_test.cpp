// The case-disc kit on small discs written here: what check finds, that reports makes
// the program's own bytes, how tables are chosen, imports, the catalogue, and that no
// argument leads a write out of the disc or leaves half a file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "cases/catalogue.h"
#include "disc/disc_kit.h"
#include "reports/extraction.h"
#include "reports/report_file.h"
#include "support/test_support.h"
#include "viewer/decoders.h"
#include "viewer/encoders.h"

using namespace nimbrel;
using namespace nimbrel::disc;

namespace {

QByteArray Row(int year, int month, int day, const char* time, double lat = 35.0,
               double lon = -97.0, const char* mag = "1") {
    return QStringLiteral("1,%1,%2,%3,x,%4,3,OK,40,1,%5,2,3,0,0,%6,%7,0,0,1,10,1,1,1,0,0,0,0\n")
        .arg(year)
        .arg(month)
        .arg(day)
        .arg(QLatin1String(time), QLatin1String(mag))
        .arg(lat)
        .arg(lon)
        .toLatin1();
}

struct Disc : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = temp.path() + QStringLiteral("/disc/");
        tables = temp.path() + QStringLiteral("/tables/");
        appData = temp.path() + QStringLiteral("/appdata/");
        for (const QString& f : {root, tables, appData})
            QDir().mkpath(f);
    }
    QString Day(const QString& day) {
        QDir().mkpath(root + day);
        return root + day + QLatin1Char('/');
    }
    QByteArray Gif() const {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(10, 200, 30));
        return EncodeGif(image);
    }
    QByteArray Jpeg() const {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(qRgb(200, 10, 30));
        return EncodeJpeg(image);
    }
    void Catalogue(const QStringList& days) {
        std::vector<CaseEntry> entries;
        for (const QString& d : days)
            entries.push_back(CaseEntry{d, QStringLiteral("TD"), 3, {}, QStringLiteral("a day")});
        WriteCaseCatalogue(appData + QStringLiteral("nimbrel.cas"), entries);
    }
    QTemporaryDir temp;
    QString root, tables, appData;
};

} // namespace

TEST_F(Disc, CheckNamesBadFramesMissingHoursSoundingsShortReportsAndOrphans) {
    const QString day = Day(QStringLiteral("1979-04-10"));
    test::WriteFile(day + "satv-790410-1200.jpg", Jpeg());
    test::WriteFile(day + "satv-790410-1230.jpg", Jpeg());
    test::WriteFile(day + "satv-790410-1400.jpg", Jpeg().left(20)); // cut short: no picture
    test::WriteFile(day + "satv-79041x-1500.jpg", Jpeg());          // no valid time
    test::WriteFile(day + "h500-790411-0000.gif", Gif());
    // The OKC/OUN row's sounding filed under its second identifier, as the picker finds it.
    test::WriteFile(day + "skew-790410-1200-oun.gif", Gif());
    test::WriteFile(day + "rpt.dat", QByteArray(64 + 40, '\0'));
    Day(QStringLiteral("1981-05-05")); // a folder with no entry
    Catalogue({QStringLiteral("1979-04-10"), QStringLiteral("1980-01-01")});

    const DiscCheck check = CheckDisc(root, appData + QStringLiteral("nimbrel.cas"));
    ASSERT_EQ(check.Days.size(), 3u);
    const DayCheck& d = check.Days[0];
    EXPECT_EQ(d.Day, QStringLiteral("1979-04-10"));
    EXPECT_EQ(d.Kinds[0].Hours[0], Cell::Present);
    EXPECT_EQ(d.Kinds[0].Hours[1], Cell::Missing);
    EXPECT_EQ(d.Kinds[0].Hours[2], Cell::Bad);
    EXPECT_EQ(d.Kinds[1].Hours[0], Cell::Missing);  // no surface chart at all
    EXPECT_EQ(d.Kinds[4].Hours[12], Cell::Present); // 500 mb at 0000 UTC
    EXPECT_EQ(d.Kinds[4].Hours[5], Cell::Absent);   // none expected at 1700 UTC
    EXPECT_EQ(d.Soundings[9][0], Cell::Present);
    EXPECT_EQ(d.Soundings[9][1], Cell::Missing);
    EXPECT_EQ(d.Soundings[0][0], Cell::Missing);
    const QString bad = d.Bad.join(QLatin1Char('\n'));
    EXPECT_TRUE(bad.contains(QStringLiteral("satv-790410-1400.jpg"))) << bad.toStdString();
    EXPECT_TRUE(
        bad.contains(QStringLiteral("satv-79041x-1500.jpg: the name carries no valid time")));
    EXPECT_TRUE(bad.contains(QStringLiteral("104 bytes is not a whole number")));
    EXPECT_TRUE(d.Warnings.contains(QStringLiteral("no hsfc frames")));
    EXPECT_TRUE(check.Days[1].Bad.contains(QStringLiteral("catalogue entry without a day folder")));
    EXPECT_TRUE(
        check.Days[2].Warnings.contains(QStringLiteral("day folder without a catalogue entry")));
    EXPECT_FALSE(check.Passes(false));
    EXPECT_TRUE(CheckText(check, false).contains(QStringLiteral("satv   +.x.")));
    EXPECT_TRUE(CheckJson(check, false).contains("\"pass\": false"));

    // Mended, the disc passes; only --strict still fails it for the missing frames.
    QFile::remove(day + "satv-790410-1400.jpg");
    QFile::remove(day + "satv-79041x-1500.jpg");
    test::WriteFile(day + "rpt.dat", QByteArray(64, '\0'));
    QDir(root + "1981-05-05").removeRecursively();
    Catalogue({QStringLiteral("1979-04-10")});
    // A report at 1800 UTC in Oklahoma, and one the tables left without a position.
    StormReport r;
    r.Time = EncodeDate(1979, 4, 10) + 0.75;
    r.Kind = 1;
    r.Start = {35.0, -97.0};
    StormReport unplaced = r;
    unplaced.Start = {0.0, 0.0};
    WriteReports(day + "rpt.dat", {r, unplaced});
    const DiscCheck mended = CheckDisc(root, appData + QStringLiteral("nimbrel.cas"));
    EXPECT_TRUE(mended.Passes(false)) << CheckText(mended, false).toStdString();
    EXPECT_FALSE(mended.Passes(true));
    // A report a day late is bad.
    r.Time += 1.0;
    WriteReports(day + "rpt.dat", {r});
    EXPECT_FALSE(CheckDisc(root, appData + QStringLiteral("nimbrel.cas")).Passes(false));
}

TEST_F(Disc, ReportsWritesTheBytesOfTheProgramsExtraction) {
    test::WriteFile(tables + "70-79_torn.csv", "om,yr,mo,dy,date,time,tz,st\n" +
                                                   Row(1979, 4, 10, "13:08:00") +
                                                   Row(1979, 4, 11, "01:00:00") +
                                                   Row(1979, 4, 10, "23:30:00", 34.1, -98.5, "4"));
    test::WriteFile(tables + "70-79_hail.csv", Row(1979, 4, 10, "15:00:00", 33.2, -99.0, "1.75"));
    test::WriteFile(tables + "70-79_wind.csv", Row(1979, 6, 31, "12:00:00"));
    Day(QStringLiteral("1979-04-10"));
    Day(QStringLiteral("1979-06-30"));
    // The development-mode extraction writes into a copy of the same disc.
    const QString copy = temp.path() + QStringLiteral("/copy/");
    for (const QString& d : {QStringLiteral("1979-04-10"), QStringLiteral("1979-06-30")})
        QDir().mkpath(copy + d);
    ExtractReports(copy, tables, {});

    MakeReports(root, tables, {});
    for (const QString& d : {QStringLiteral("1979-04-10"), QStringLiteral("1979-06-30")}) {
        const QByteArray kit = test::ReadFile(root + d + "/rpt.dat");
        EXPECT_EQ(kit, test::ReadFile(copy + d + "/rpt.dat")) << d.toStdString();
        EXPECT_FALSE(kit.isEmpty());
    }
    EXPECT_EQ(ReadReports(root + "1979-04-10/rpt.dat").size(), 3u);

    // Without its wind table the day gets the kinds that exist, and is told which is missing.
    QFile::remove(tables + "70-79_wind.csv");
    const QStringList lines = MakeReports(root, tables, {QStringLiteral("1979-04-10")});
    EXPECT_TRUE(lines.contains(QStringLiteral("warning: 1979-04-10: no table 70-79_wind.csv")));
    EXPECT_EQ(test::ReadFile(root + "1979-04-10/rpt.dat"),
              test::ReadFile(copy + "1979-04-10/rpt.dat"));
}

TEST_F(Disc, ReportsReadPerYearTablesAndRefuseADayWithoutAny) {
    test::WriteFile(tables + "2011_torn.csv", "om,yr,mo\n" + Row(2011, 4, 27, "15:00:00"));
    const QString covered = Day(QStringLiteral("2011-04-27"));
    Day(QStringLiteral("2012-03-02"));
    const TableChoice choice = TablesForDay(tables, EncodeDate(2011, 4, 27));
    EXPECT_EQ(choice.Paths, (QStringList{tables + "2011_torn.csv", QString(), QString()}));

    // 2012 has no table: refused with the files looked for, and nothing written for
    // either day, not even the one whose tables exist.
    try {
        MakeReports(root, tables, {});
        FAIL() << "a day without tables was accepted";
    } catch (const DataError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("2012_torn.csv"))) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(covered + "rpt.dat"));
    // A day in the 1950s the period rows cover, with neither period nor per-year files.
    Day(QStringLiteral("1957-05-20"));
    EXPECT_THROW(MakeReports(root, tables, {QStringLiteral("1957-05-20")}), DataError);

    MakeReports(root, tables, {QStringLiteral("2011-04-27")});
    ASSERT_EQ(ReadReports(covered + "rpt.dat").size(), 1u);
    EXPECT_NEAR(ReadReports(covered + "rpt.dat")[0].Time, EncodeDate(2011, 4, 27) + 21.0 / 24,
                1e-9);
}

TEST_F(Disc, NoArgumentLeadsAWriteOutOfTheDisc) {
    const QString outside = temp.path() + QStringLiteral("/outside/");
    QDir().mkpath(outside);
    for (const QString& day :
         {QStringLiteral(".."), QStringLiteral("../outside"), QStringLiteral("/tmp"),
          QStringLiteral("1979-02-30"), QStringLiteral("1979-4-10"), QStringLiteral("79-04-10/x")})
        EXPECT_THROW(DayFolder(root, day, true), DataError) << day.toStdString();
    EXPECT_THROW(MakeReports(root, tables, {QStringLiteral("..")}), DataError);
    // A day folder that is a link out of the disc is refused too.
    ASSERT_TRUE(QFile::link(outside, root + "1979-04-10"));
    EXPECT_THROW(DayFolder(root, QStringLiteral("1979-04-10"), false), DataError);
    QFile::remove(root + "1979-04-10");

    // A file that is a link is replaced, never written through.
    const QString day = Day(QStringLiteral("1979-04-10"));
    test::WriteFile(outside + "victim", "keep");
    ASSERT_TRUE(QFile::link(outside + "victim", day + "rpt.dat"));
    WriteFileAtomically(day + "rpt.dat", "new");
    EXPECT_EQ(test::ReadFile(outside + "victim"), "keep");
    EXPECT_EQ(test::ReadFile(day + "rpt.dat"), "new");
    EXPECT_FALSE(QFileInfo(day + "rpt.dat").isSymLink());
    EXPECT_EQ(QDir(outside).entryList(QDir::Files), QStringList{"victim"});
    EXPECT_EQ(QDir(day).entryList(QDir::Files), QStringList{"rpt.dat"}); // no temporary left
}

TEST_F(Disc, ImportNamesConvertsAndRefusesToOverwrite) {
    const QString source = temp.path() + QStringLiteral("/in/");
    QDir().mkpath(source);
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            picture.setPixel(x, y, qRgb(x * 4, y * 5, 128)); // 3072 colours
    ASSERT_TRUE(picture.save(source + "sat_19790410_1830.png"));
    ASSERT_TRUE(picture.save(source + "surface_0300Z.png"));
    test::WriteFile(source + "okc_00.gif", Gif());
    const QString day = Day(QStringLiteral("1979-04-10"));

    ImportOptions satellite;
    satellite.Kind = QStringLiteral("satv");
    satellite.TimeFormat = QStringLiteral("sat_%Y%m%d_%H%M.png");
    ImportFrames(root, QStringLiteral("1979-04-10"), {source + "sat_19790410_1830.png"}, satellite);
    EXPECT_EQ(DecodeJpegFile(day + "satv-790410-1830.jpg").size(), QSize(64, 48));
    EXPECT_THROW(ImportFrames(root, QStringLiteral("1979-04-10"),
                              {source + "sat_19790410_1830.png"}, satellite),
                 DataError);
    satellite.Force = true;
    // A file that is no picture refuses the whole import: the good one beside it is not
    // written either.
    test::WriteFile(source + "sat_19790410_1900.png", "not a picture");
    ASSERT_TRUE(picture.save(source + "sat_19790410_1930.png"));
    EXPECT_THROW(ImportFrames(root, QStringLiteral("1979-04-10"),
                              {source + "sat_19790410_1930.png", source + "sat_19790410_1900.png"},
                              satellite),
                 DataError);
    EXPECT_FALSE(QFileInfo::exists(day + "satv-790410-1930.jpg"));
    ImportFrames(root, QStringLiteral("1979-04-10"), {source + "sat_19790410_1830.png"}, satellite);

    // No date in the name: an hour before noon belongs to the next day of the window;
    // a surface chart of more colours than a palette holds is reduced into a GIF.
    ImportOptions surface;
    surface.Kind = QStringLiteral("hsfc");
    surface.TimeFormat = QStringLiteral("*_%H%MZ.png");
    ImportFrames(root, QStringLiteral("1979-04-10"), {source + "surface_0300Z.png"}, surface);
    EXPECT_EQ(DecodeGifFile(day + "hsfc-790411-0300.gif").size(), QSize(64, 48));

    // A GIF sounding is copied as it is, under the station's identifier.
    ImportOptions sounding;
    sounding.Kind = QStringLiteral("skew");
    sounding.TimeFormat = QStringLiteral("okc_%H.gif");
    EXPECT_THROW(
        ImportFrames(root, QStringLiteral("1979-04-10"), {source + "okc_00.gif"}, sounding),
        DataError); // no station given
    sounding.Station = QStringLiteral("OKC");
    ImportFrames(root, QStringLiteral("1979-04-10"), {source + "okc_00.gif"}, sounding);
    EXPECT_EQ(test::ReadFile(day + "skew-790411-0000-okc.gif"), Gif());
    EXPECT_THROW(ParseTimeWithFormat(QStringLiteral("okc_0.gif"), sounding.TimeFormat, 0),
                 ConvertError);
    EXPECT_DOUBLE_EQ(ParseTimeWithFormat(QStringLiteral("okc_00.gif"), sounding.TimeFormat,
                                         EncodeDate(1979, 4, 10)),
                     EncodeDate(1979, 4, 11));
    EXPECT_DOUBLE_EQ(
        ParseTimeWithFormat(QStringLiteral("x%_79100_1200"), QStringLiteral("x%%_%y%j_%H%M"), 0),
        EncodeDate(1979, 4, 10) + 0.5);
    EXPECT_THROW(ImportFrames(root, QStringLiteral("../x"), {source + "okc_00.gif"}, sounding),
                 DataError);
}

TEST_F(Disc, CatalogueIsWrittenWholeOrNotAtAll) {
    Day(QStringLiteral("1979-04-10"));
    const QString list = temp.path() + QStringLiteral("/list.csv");
    test::WriteFile(list, "Date,Weekday,Use\n"
                          "1979-04-10,Tuesday,1,,TD,5,note,,\"Red River, Texas\",Summary.,,\n"
                          "1980-01-01,Tuesday,1,,S,1,,,no folder,,,\n");
    EXPECT_THROW(MakeCatalogue(root, list, appData), FileError);
    EXPECT_FALSE(QFileInfo::exists(appData + "nimbrel.cas"));
    EXPECT_FALSE(QFileInfo::exists(root + "1979-04-10/narr.txt"));

    test::WriteFile(list, "Date,Weekday,Use\n"
                          "1979-04-10,Tuesday,1,,TD,5,note,,\"Red River, Texas\",Summary.,,\n"
                          "1980-01-01,Tuesday,0,,S,1,,,skipped,,,\n");
    MakeCatalogue(root, list, appData);
    const CatalogueRead read = ReadCaseCatalogue(appData + "nimbrel.cas");
    ASSERT_EQ(read.Entries.size(), 1u);
    EXPECT_EQ(CaseListLine(read.Entries[0]), QStringLiteral("1979-04-10 Red River, Texas"));
    EXPECT_EQ(read.Entries[0].Ranking, 5);
    EXPECT_EQ(test::ReadFile(root + "1979-04-10/narr.txt"), "Summary.\r\n");
    EXPECT_FALSE(QFileInfo::exists(root + "1979-04-10/fcst.txt")); // no discussion, no file
}

TEST_F(Disc, ReportsRefuseTablesTheyCannotReadAndNeverEmptyAGoodFile) {
    const QString day = Day(QStringLiteral("2008-04-10"));
    Day(QStringLiteral("2008-05-01"));
    const QString header = QStringLiteral("om,yr,mo,dy,date,time,tz,st\n");
    test::WriteFile(tables + "2008_torn.csv", header.toLatin1() + Row(2008, 4, 10, "13:00:00") +
                                                  Row(2008, 5, 1, "14:00:00") +
                                                  Row(2008, 4, 10, "15:00:00", 19.7, -155.99));
    MakeReports(root, tables, {});
    const QByteArray good = test::ReadFile(day + "rpt.dat");
    ASSERT_EQ(good.size(), 2 * 64); // the Hawaii report is kept...
    QStringList errors;
    const QStringList lines = MakeReports(root, tables, {}, false, &errors);
    EXPECT_TRUE(lines.filter("1 report(s) placed off the map kept").size() == 1) // ...and said
        << lines.join('\n').toStdString();
    EXPECT_TRUE(errors.isEmpty());

    // The same table saved with semicolons, then with quoted fields: an error naming the
    // file and its first bad line, and the good file stays.
    for (const char* separator : {";", "\",\""}) {
        QByteArray table = header.toLatin1() + Row(2008, 4, 10, "13:00:00");
        if (QByteArray(separator) == ";")
            table.replace(',', ';');
        else
            table = header.toLatin1() + '"' +
                    Row(2008, 4, 10, "13:00:00").trimmed().replace(",", separator) + "\"\n";
        test::WriteFile(tables + "2008_torn.csv", table);
        try {
            MakeReports(root, tables, {QStringLiteral("2008-04-10")});
            ADD_FAILURE() << "an unreadable table was taken";
        } catch (const DataError& e) {
            EXPECT_TRUE(
                e.Message().startsWith("2008-04-10: 2008_torn.csv line 2 is no report line"))
                << e.what();
        }
        EXPECT_EQ(test::ReadFile(day + "rpt.dat"), good);
    }
    // A table of only other days' reports empties the day's file only with force.
    test::WriteFile(tables + "2008_torn.csv", header.toLatin1() + Row(2008, 5, 1, "14:00:00"));
    EXPECT_THROW(MakeReports(root, tables, {QStringLiteral("2008-04-10")}), DataError);
    EXPECT_EQ(test::ReadFile(day + "rpt.dat"), good);
    MakeReports(root, tables, {QStringLiteral("2008-04-10")}, true);
    EXPECT_EQ(test::ReadFile(day + "rpt.dat"), QByteArray());

    // An impossible date refuses the days of its month, with the file and line; the
    // other day is written, and only it.
    test::WriteFile(day + "rpt.dat", good);
    test::WriteFile(tables + "2008_torn.csv", header.toLatin1() + Row(2008, 4, 10, "13:00:00") +
                                                  Row(2008, 5, 1, "14:00:00") +
                                                  Row(2008, 4, 31, "15:00:00"));
    errors.clear();
    const QStringList written = MakeReports(root, tables, {}, false, &errors);
    EXPECT_EQ(written, QStringList({"2008-05-01/rpt.dat: 1 tornado, 0 hail, 0 wind",
                                    "warning: 2008-05-01: no table 2008_hail.csv",
                                    "warning: 2008-05-01: no table 2008_wind.csv"}));
    EXPECT_EQ(errors,
              QStringList{"2008-04-10: 2008_torn.csv line 4: '4/31/2008' is not a valid date"});
    EXPECT_EQ(test::ReadFile(day + "rpt.dat"), good);
}

TEST_F(Disc, CatalogueWritesTheDaysTextsFirstAndChecksEveryRow) {
    const QString day = Day(QStringLiteral("1979-04-10"));
    Day(QStringLiteral("1999-05-03"));
    const QString list = temp.path() + QStringLiteral("/list.csv");
    const QByteArray head = "Date,Weekday,Use\n";
    const QByteArray first = "1979-04-10,Tuesday,1,,TD,5,,,Red River,Summary.,Discussion.,\n";
    const QByteArray second = "1999-05-03,Monday,1,,TDH,5,,,Bridge Creek,Summary 2.,,\n";
    test::WriteFile(list, head + first + second);
    MakeCatalogue(root, list, appData);
    ASSERT_EQ(ReadCaseCatalogue(appData + "nimbrel.cas").Entries.size(), 2u);
    EXPECT_EQ(test::ReadFile(day + "fcst.txt"), "Discussion.\r\n");
    const QByteArray catalogue = test::ReadFile(appData + "nimbrel.cas");

    // Rows refused before anything is written: a day twice, a code, a ranking.
    for (const auto& [rows, reason] :
         {std::pair{first + second + first,
                    "list.csv line 4: 1979-04-10 is listed again (first on line 2)"},
          std::pair{second + QByteArray(first).replace(",TD,", ",TQ,"),
                    "list.csv line 3: 'Q' in the codes"},
          std::pair{QByteArray(first).replace(",5,", ",7,"),
                    "list.csv line 2: the ranking \"7\""}}) {
        test::WriteFile(list, head + rows);
        try {
            MakeCatalogue(root, list, appData);
            ADD_FAILURE() << reason;
        } catch (const DataError& e) {
            EXPECT_TRUE(e.Message().startsWith(QLatin1String(reason))) << e.what();
        }
        EXPECT_EQ(test::ReadFile(appData + "nimbrel.cas"), catalogue);
    }

    // An emptied discussion column removes the file. A day whose folder takes no writes
    // fails the run before the catalogue is touched: it still lists both days.
    test::WriteFile(list, head + QByteArray(first).replace("Discussion.", "") + second);
    MakeCatalogue(root, list, appData);
    EXPECT_FALSE(QFileInfo::exists(day + "fcst.txt"));
    test::WriteFile(list, head + second);
    QFile::remove(root + "1999-05-03/narr.txt");
    ASSERT_TRUE(QDir().mkpath(root + "1999-05-03/narr.txt")); // a folder where the text goes
    EXPECT_THROW(MakeCatalogue(root, list, appData), FileError);
    EXPECT_EQ(ReadCaseCatalogue(appData + "nimbrel.cas").Entries.size(), 2u);
}

TEST_F(Disc, CheckRefusesCutFramesWarnsOfOddSizesAndOffMapReports) {
    const QString day = Day(QStringLiteral("1979-04-10"));
    QImage big(80, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            big.setPixel(x, y, qRgb(x * 3, y * 4, (x * y) % 256));
    const QByteArray gif = EncodeGif(big), jpeg = EncodeJpeg(big);
    test::WriteFile(day + "hsfc-790410-1200.gif", gif);
    test::WriteFile(day + "hsfc-790410-1300.gif", gif.left(gif.size() / 2)); // cut short
    test::WriteFile(day + "hsfc-790410-1400.gif", Gif());                    // 40 x 30
    test::WriteFile(day + "hsfc-790410-1500.gif", gif);
    test::WriteFile(day + "satv-790410-1200.jpg", jpeg.left(jpeg.size() * 2 / 3));
    StormReport hawaii;
    hawaii.Time = EncodeDate(1979, 4, 10) + 0.75;
    hawaii.Kind = 2;
    hawaii.Start = {19.7, -155.99};
    WriteReports(day + "rpt.dat", {hawaii});
    // The program still shows what the cut files hold.
    EXPECT_NO_THROW(DecodeGifFile(day + "hsfc-790410-1300.gif"));
    EXPECT_NO_THROW(DecodeJpegFile(day + "satv-790410-1200.jpg"));

    const DiscCheck check = CheckDisc(root, appData + QStringLiteral("nimbrel.cas"));
    ASSERT_EQ(check.Days.size(), 1u);
    const DayCheck& d = check.Days[0];
    EXPECT_EQ(d.Kinds[1].Hours[1], Cell::Bad);
    EXPECT_EQ(d.Kinds[0].Hours[0], Cell::Bad);
    const QString bad = d.Bad.join('\n');
    EXPECT_TRUE(bad.contains("hsfc-790410-1300.gif: ") &&
                bad.contains("GIF image error: decoded only partly"))
        << bad.toStdString();
    EXPECT_TRUE(bad.contains("satv-790410-1200.jpg: ") &&
                bad.contains("JPEG image error: decoded only partly"))
        << bad.toStdString();
    EXPECT_FALSE(bad.contains("rpt.dat")) << bad.toStdString();
    EXPECT_TRUE(d.Warnings.contains(
        "hsfc-790410-1400.gif is 40 x 30 pixels where the other hsfc frames are 80 x 60"));
    EXPECT_TRUE(d.Warnings.contains("rpt.dat: 1 record(s) placed off the map (not drawn)"));
    // No catalogue: named once, on one line.
    EXPECT_EQ(check.Bad, QStringList{"no catalogue " + appData + "nimbrel.cas"});
}
