// The instructor's additions to the kit: the case window on a real night of reports, the
// tables as published today, a new disc, putting a disc's catalogue in use with its
// backup, and case lists written in UTF-8.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "cases/catalogue.h"
#include "disc/disc_instructor.h"
#include "reports/extraction.h"
#include "reports/report_file.h"
#include "support/test_support.h"
#include "viewer/decoders.h"
#include "viewer/encoders.h"

using namespace nimbrel;
using namespace nimbrel::disc;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The night of 23-24 November 2004 carries tornadoes after 0600 UTC, which no day of the
// sample disc holds: an independent count straight from the table's text.
TEST(DiscWindow, CaseWindowTakesTheNightFromTheNextDatesRows) {
    const QString tables = test::SharedDataDir() + QStringLiteral("/reports/");
    if (!QFileInfo::exists(tables + QStringLiteral("2000-2004_torn.csv")))
        GTEST_SKIP() << "missing " << qPrintable(tables) << "2000-2004_torn.csv";
    int caseCount = 0, calendarCount = 0, nightRows = 0;
    for (const QByteArray& line : ReadAll(tables + "2000-2004_torn.csv").split('\n')) {
        const QList<QByteArray> f = line.split(',');
        if (f.size() < 6 || f[1] != "2004" || f[2] != "11") continue;
        const bool morning = f[5] < "06:00";
        if (f[3] == "23") {
            ++calendarCount;
            if (!morning) ++caseCount;
        } else if (f[3] == "24" && morning) {
            ++caseCount;
            ++nightRows;
        }
    }
    ASSERT_GT(nightRows, 10);

    const DateTime day = EncodeDate(2004, 11, 23);
    TableCache cache;
    const DayReports inCase = ReportsInWindow(tables, day, Window::Case, cache);
    const DayReports inCalendar = ReportsInWindow(tables, day, Window::Calendar, cache);
    EXPECT_EQ(inCase.Counts[1], caseCount);
    EXPECT_EQ(inCalendar.Counts[1], calendarCount);
    EXPECT_EQ(inCase.OtherWindow, calendarCount);
    EXPECT_EQ(inCalendar.OtherWindow, caseCount);
    // No hail or wind table of 2004 exists here: each kind is a warning naming its files.
    EXPECT_EQ(inCase.Warnings.filter(QStringLiteral("no hail table for 2004")).size(), 1);
    EXPECT_EQ(inCase.Warnings.filter(QStringLiteral("2004_wind.csv")).size(), 1);
    for (const StormReport& r : inCase.Reports) {
        EXPECT_GE(r.Time, day + 0.5);
        EXPECT_LT(r.Time, day + 1.5);
    }
    // The calendar rule is the report tool's, byte for byte.
    const std::vector<StormReport> tool =
        ReportsOfDay(day, {tables + QStringLiteral("2000-2004_torn.csv"), "", ""}, {});
    ASSERT_EQ(tool.size(), inCalendar.Reports.size());
    for (std::size_t i = 0; i < tool.size(); ++i)
        EXPECT_EQ(EncodeReport(tool[i]), EncodeReport(inCalendar.Reports[i])) << i;
}

// Today's combined files read by their header names give the period layout's reports;
// the year's last night is read from the next year's own file; a bad row is named and
// leaves a good rpt.dat alone.
TEST(DiscWindow, CombinedTablesByHeaderNamesAndEveryWindForm) {
    QTemporaryDir temp;
    const QString tables = temp.path() + QStringLiteral("/tables/");
    const QString disc = temp.path() + QStringLiteral("/disc/");
    QDir().mkpath(tables);
    QDir().mkpath(disc + QStringLiteral("2011-12-31"));
    // Columns moved and added ("fc", "mt"), as later tables have them.
    WriteWholeFile(tables + QStringLiteral("1950-2023_actual_tornadoes.csv"),
                   "yr,om,mo,dy,date,time,tz,st,stf,stn,mag,inj,fat,loss,closs,slat,slon,elat,"
                   "elon,len,wid,ns,sn,sg,f1,f2,f3,f4,fc\n"
                   "2011,7,12,31,x,17:30:00,3,AL,1,0,3,12,2,0,0,33.5,-87.1,33.7,-86.9,12,300,1,"
                   "1,1,0,0,0,0,0\n"
                   "2011,8,12,31,x,05:00:00,3,AL,1,0,1,0,0,0,0,33.0,-87.0,0,0,1,30,1,1,1,0,0,0,"
                   "0,0\n");
    WriteWholeFile(tables + QStringLiteral("1955-2023_wind.csv"),
                   "om,yr,mo,dy,date,time,tz,st,stf,stn,mag,mt,inj,fat,loss,closs,slat,slon,elat,"
                   "elon\n2011,2011,12,31,x,20:00:00,3,MS,1,0,65,MG,1,0,0,0,32.5,-89.0,0,0\n");
    // The first hours of 2012 from the year's own file, in the period layout, with a
    // magnitude type after the wind speed and no header.
    WriteWholeFile(tables + QStringLiteral("2012_wind.csv"),
                   "9,2012,1,1,x,03:15:00,3,GA,1,0,55,EG,0,1,0,0,31.5,-84.0,0,0\n"
                   "10,2012,1,1,x,07:15:00,3,GA,1,0,50,EG,0,0,0,0,31.6,-84.1,0,0\n");

    TableCache cache;
    const DayReports r = ReportsInWindow(tables, EncodeDate(2011, 12, 31), Window::Case, cache);
    ASSERT_EQ(r.Reports.size(), 3u);
    const StormReport& tornado = r.Reports[0];
    EXPECT_EQ(tornado.Kind, 1);
    EXPECT_EQ(tornado.State, QStringLiteral("AL"));
    EXPECT_EQ(tornado.SourceColumn11, 3);
    EXPECT_EQ(tornado.SourceColumn12, 12);
    EXPECT_EQ(tornado.SourceColumn13, 2);
    EXPECT_DOUBLE_EQ(tornado.End.Latitude, 33.7);
    EXPECT_DOUBLE_EQ(tornado.Time, EncodeDate(2011, 12, 31) + EncodeTime(23, 30, 0));
    EXPECT_EQ(r.Reports[1].SourceColumn11, 65); // the wind speed, not the column after it
    EXPECT_EQ(r.Reports[1].SourceColumn12, 1);
    EXPECT_EQ(r.Reports[2].State, QStringLiteral("GA"));
    EXPECT_EQ(r.Reports[2].SourceColumn11, 55);
    EXPECT_EQ(r.Reports[2].SourceColumn13, 1);
    EXPECT_EQ(r.OtherWindow, 3); // the calendar day has the 0500 tornado instead of 0315 GA
    EXPECT_EQ(r.Warnings.filter(QStringLiteral("no hail table")).size(), 2);
    EXPECT_FALSE(DraftSummary(r).isEmpty());
    EXPECT_TRUE(DraftSummary(r).contains(QStringLiteral("rated EF3 in AL at 2330 UTC")));

    MakeWindowReports(disc, tables, {}, Window::Case);
    const QByteArray good = ReadAll(disc + QStringLiteral("2011-12-31/rpt.dat"));
    EXPECT_EQ(good.size(), 3 * 64);
    WriteWholeFile(tables + QStringLiteral("2012_wind.csv"),
                   "9,2012,1,1,x,03:15:00,3,GA,1,0,55,EG,0,1,0,0,31.5,-84.0,0,0\n"
                   "10,2012,1,1,x,7.15,3,GA,1,0,50,EG,0,0,0,0,31.6,-84.1,0,0\n");
    try {
        MakeWindowReports(disc, tables, {}, Window::Case);
        ADD_FAILURE() << "a row without a time was taken";
    } catch (const DataError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("2012_wind.csv line 2")))
            << e.what();
    }
    EXPECT_EQ(ReadAll(disc + QStringLiteral("2011-12-31/rpt.dat")), good);
    // A table saved with semicolons is refused at its first line, never read as empty.
    WriteWholeFile(tables + QStringLiteral("2012_wind.csv"), "9;2012;1;1;x;03:15:00;3;GA\n");
    EXPECT_THROW(MakeWindowReports(disc, tables, {}, Window::Case), DataError);
    EXPECT_EQ(ReadAll(disc + QStringLiteral("2011-12-31/rpt.dat")), good);
    // A day the tables give nothing keeps the reports it holds unless forced.
    QFile::remove(tables + QStringLiteral("2012_wind.csv"));
    QDir().mkpath(disc + QStringLiteral("2011-06-15"));
    WriteWholeFile(disc + QStringLiteral("2011-06-15/rpt.dat"), good);
    EXPECT_THROW(MakeWindowReports(disc, tables, {}, Window::Case), DataError);
    EXPECT_EQ(ReadAll(disc + QStringLiteral("2011-06-15/rpt.dat")), good);
    MakeWindowReports(disc, tables, {}, Window::Case, true);
    EXPECT_TRUE(ReadAll(disc + QStringLiteral("2011-06-15/rpt.dat")).isEmpty());
}

TEST(DiscUse, NewDiscThenUseKeepsTheReplacedCatalogueOnce) {
    QTemporaryDir temp;
    const QString disc = temp.path() + QStringLiteral("/term-disc");
    NewDisc(disc);
    EXPECT_TRUE(QFileInfo(disc + QLatin1Char('/') + DiscMarkerName).isFile());
    EXPECT_TRUE(ReadAll(disc + QStringLiteral("/case-list.csv")).startsWith("Date,Weekday,Use"));
    EXPECT_THROW(NewDisc(disc), DataError); // no longer empty
    EXPECT_EQ(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("term-disc")}); // no scratch folder left

    const QString root = disc + QLatin1Char('/');
    const QString appData = temp.path() + QStringLiteral("/appdata/");
    EXPECT_THROW(UseDisc(root, appData, QStringLiteral("s1")), FileError); // no catalogue yet
    EXPECT_FALSE(QFileInfo::exists(appData + QStringLiteral("nimbrel.cas")));

    const QByteArray sample(252 * 2, 'a'), mine(252, 'b');
    QDir().mkpath(appData);
    WriteWholeFile(appData + QStringLiteral("nimbrel.cas"), sample);
    WriteWholeFile(root + QStringLiteral("nimbrel.cas"), mine + "x");
    EXPECT_THROW(UseDisc(root, appData, QStringLiteral("s1")), DataError); // a partial entry
    EXPECT_EQ(ReadAll(appData + QStringLiteral("nimbrel.cas")), sample);

    WriteWholeFile(root + QStringLiteral("nimbrel.cas"), mine);
    const UseResult first = UseDisc(root, appData, QStringLiteral("20261209-150000"));
    EXPECT_EQ(first.Entries, 1);
    EXPECT_EQ(first.Backup, appData + QStringLiteral("nimbrel.cas.20261209-150000.bak"));
    EXPECT_EQ(ReadAll(first.Backup), sample);
    EXPECT_EQ(ReadAll(appData + QStringLiteral("nimbrel.cas")), mine);
    // The same catalogue again: nothing to keep.
    EXPECT_TRUE(UseDisc(root, appData, QStringLiteral("20261209-150001")).Backup.isEmpty());
    // Back to the other disc in the same second: both backups survive.
    const QString other = temp.path() + QStringLiteral("/other/");
    QDir().mkpath(other);
    WriteWholeFile(other + QStringLiteral("nimbrel.cas"), sample);
    const UseResult back = UseDisc(other, appData, QStringLiteral("20261209-150000"));
    EXPECT_EQ(back.Backup, appData + QStringLiteral("nimbrel.cas.20261209-150000-2.bak"));
    EXPECT_EQ(ReadAll(back.Backup), mine);
    EXPECT_EQ(ReadAll(first.Backup), sample);
}

TEST(DiscUse, Utf8CaseListBecomesLatin1WithWarnings) {
    const QByteArray utf8 = "\xEF\xBB\xBF"
                            "Date,Weekday\n"
                            "1979-04-10,Tuesday,caf\xC3\xA9 \xE2\x86\x92 \xF0\x9F\x8C\xAA\n";
    const ListText t = CaseListAsLatin1(utf8, QStringLiteral("list.csv"));
    EXPECT_TRUE(t.Converted);
    EXPECT_EQ(t.Latin1, QByteArray("Date,Weekday\n1979-04-10,Tuesday,caf\xE9 ? ?\n"));
    ASSERT_EQ(t.Warnings.size(), 2);
    EXPECT_TRUE(t.Warnings[0].contains(QStringLiteral("line 2: U+2192")));
    EXPECT_TRUE(t.Warnings[1].contains(QStringLiteral("U+1F32A")));
    // A Latin-1 list (not UTF-8) is left as it is.
    EXPECT_EQ(CaseListAsLatin1("a,caf\xE9\n", {}).Latin1, QByteArray("a,caf\xE9\n"));
    EXPECT_FALSE(CaseListAsLatin1("a,caf\xE9\n", {}).Converted);
}

// A colour-filled chart: a smooth field of thousands of colours.
QImage Filled(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x + y) * 127 / (w + h) + 60));
    return image;
}

double MeanError(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (a.width() * a.height());
}

TEST(DiscPattern, OneCommandMapsAnArchiveFolderToFrames) {
    QTemporaryDir temp;
    const QString archive = temp.path() + QStringLiteral("/archive/");
    const QString disc = temp.path() + QStringLiteral("/disc/");
    for (const char* f : {"500mb", "sfc", "wat", "raob"})
        QDir().mkpath(archive + f);
    QDir().mkpath(disc);
    const QImage chart = Filled(96, 64);
    for (const char* name :
         {"500mb/a_2011042118.png", "500mb/a_2011042200.png", "500mb/a_2011042300.png",
          "sfc/a_2011042119.png", "wat/a_2011042118.png"})
        ASSERT_TRUE(chart.save(archive + name));

    PatternOptions o;
    o.Pattern = QStringLiteral("{kind}/*_%Y%m%d%H.png");
    o.From = archive;
    o.Days = {QStringLiteral("2011-04-21")};
    const PatternImport first = ImportByPattern(disc, o);
    EXPECT_TRUE(first.Failure.isEmpty());
    EXPECT_EQ(first.Lines.filter(QStringLiteral(" -> ")).size(), 3)
        << first.Lines.join('\n').toStdString();
    EXPECT_EQ(first.Lines.filter(QStringLiteral("no kind is called \"wat\"")).size(), 1);
    EXPECT_EQ(first.Lines.filter(QStringLiteral("in no case day")).size(), 1);
    const QString day = disc + QStringLiteral("2011-04-21/");
    EXPECT_TRUE(QFileInfo::exists(day + QStringLiteral("hsfc-110421-1900.gif")));
    // The export's reduction, not a fixed palette: far closer to the chart's own colours.
    const QImage reduced = DecodeGifFile(day + QStringLiteral("h500-110422-0000.gif"));
    const QImage fixed = DecodeGif(EncodeGif(chart));
    EXPECT_LT(MeanError(chart, reduced) * 2, MeanError(chart, fixed));

    // Again: refused as a whole, passed over with --skip-existing.
    EXPECT_THROW(ImportByPattern(disc, o), DataError);
    o.SkipExisting = true;
    EXPECT_EQ(ImportByPattern(disc, o).Lines.filter(QStringLiteral("already there")).size(), 3);
    // A frame of another size than the day's others.
    o.SkipExisting = false;
    o.Pattern = QStringLiteral("{kind}/b_%Y%m%d%H.png");
    ASSERT_TRUE(Filled(80, 64).save(archive + QStringLiteral("500mb/b_2011042112.png")));
    try {
        ImportByPattern(disc, o);
        ADD_FAILURE() << "a frame of another size was taken";
    } catch (const DataError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QStringLiteral("--any-size")));
    }
    EXPECT_FALSE(QFileInfo::exists(day + QStringLiteral("h500-110421-1200.gif")));
    o.AnySize = true;
    EXPECT_TRUE(ImportByPattern(disc, o).Failure.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(day + QStringLiteral("h500-110421-1200.gif")));

    // Soundings by the archive's WMO number.
    WriteWholeFile(archive + QStringLiteral("raob/72357_2011042200.gif"), EncodeGif(chart));
    o.Pattern = QStringLiteral("{kind}/{station}_%Y%m%d%H.gif");
    EXPECT_TRUE(ImportByPattern(disc, o).Failure.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(day + QStringLiteral("skew-110422-0000-oun.gif")));
}

// Every link and picture of the pages resolves inside the preview, and the loops are the
// export's animations of the day's frames.
TEST(DiscPreview, PagesLinkOnlyToWhatTheyHold) {
    QTemporaryDir temp;
    const QString disc = temp.path() + QStringLiteral("/disc/");
    const QString day = disc + QStringLiteral("2011-04-27/");
    QDir().mkpath(day);
    QDir().mkpath(disc + QStringLiteral("2011-04-28"));
    const QImage chart = Filled(60, 40);
    WriteWholeFile(day + QStringLiteral("satv-110427-1800.jpg"), EncodeJpeg(chart));
    WriteWholeFile(day + QStringLiteral("satv-110427-1830.jpg"), EncodeJpeg(chart.mirrored()));
    WriteWholeFile(day + QStringLiteral("h500-110428-0000.gif"), EncodeGif(chart));
    WriteWholeFile(day + QStringLiteral("skew-110428-0000-bmx.gif"), EncodeGif(chart));
    StormReport r;
    r.Time = EncodeDate(2011, 4, 27) + 0.9;
    r.Kind = 1;
    r.Start = {33.2, -87.5};
    r.State = QStringLiteral("AL");
    WriteReports(day + QStringLiteral("rpt.dat"), {r});
    WriteWholeFile(day + QStringLiteral("narr.txt"), "Tuscaloosa <tornado> & more\r\n");
    CaseEntry e;
    e.CaseDate = QStringLiteral("2011-04-27");
    e.Codes = QStringLiteral("T");
    e.Ranking = 5;
    WriteCaseCatalogue(disc + QStringLiteral("nimbrel.cas"), {e});

    const QString out = temp.path() + QStringLiteral("/preview");
    MakePreview(disc, out, {}, QStringLiteral(NIMBREL_SHIPPED_DATA "/appdata/"));
    const QByteArray index = ReadAll(out + QStringLiteral("/index.html"));
    EXPECT_TRUE(index.contains("never drawn by the random pick: no regime letter"));
    EXPECT_TRUE(index.contains("not in the disc&#x27;s catalogue") ||
                index.contains("not in the disc's catalogue"));
    const QByteArray page = ReadAll(out + QStringLiteral("/2011-04-27/index.html"));
    EXPECT_TRUE(page.contains("Tuscaloosa &lt;tornado&gt; &amp; more"));
    EXPECT_TRUE(page.contains("1 tornado, 0 hail, 0 wind"));
    int links = 0;
    static const QRegularExpression ref(QStringLiteral("(?:src|href)=\"([^\"]+)\""));
    for (const QString& html :
         {QStringLiteral("/index.html"), QStringLiteral("/2011-04-27/index.html"),
          QStringLiteral("/2011-04-28/index.html")}) {
        const QString text = QString::fromUtf8(ReadAll(out + html));
        ASSERT_FALSE(text.isEmpty()) << html.toStdString();
        const QString base = QFileInfo(out + html).absolutePath() + QLatin1Char('/');
        for (auto m = ref.globalMatch(text); m.hasNext(); ++links) {
            const QString target = QDir::cleanPath(base + m.next().captured(1));
            EXPECT_TRUE(QFileInfo(target).isFile())
                << html.toStdString() << " -> " << target.toStdString();
            EXPECT_TRUE(target.startsWith(QDir::cleanPath(out))) << target.toStdString();
        }
    }
    EXPECT_GE(links, 10); // two days, thumbnail, two loops, a sounding, two maps, two ways back
    // The day's map: framed on its one report, over the shipped geography's state lines.
    QImage map;
    ASSERT_TRUE(map.loadFromData(ReadAll(out + QStringLiteral("/2011-04-27/reports.png")), "PNG"));
    ASSERT_EQ(map.width(), 800);
    ASSERT_GT(map.height(), 600);
    int outline = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < map.width(); ++x)
            outline += map.pixel(x, y) == qRgb(119, 119, 119);
    EXPECT_GT(outline, 500);
    EXPECT_EQ(DecodeGifAnimation(ReadAll(out + QStringLiteral("/2011-04-27/satv-loop.gif")))
                  .Frames.size(),
              2u);
    EXPECT_THROW(MakePreview(disc, out, {}), DataError); // never over an earlier preview
}

} // namespace
