#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/datetime.h"
#include "base/errors.h"
#include "base/mask.h"
#include "reports/extraction.h"
#include "reports/report_file.h"
#include "support/test_support.h"

using namespace nimbrel;
using nimbrel::test::RecordingPrompts;

namespace {

/// A source line with the fields the tool reads; the rest are filler.
QByteArray Line(int year, int month, int day, const char* time, const char* state = "OK",
                const char* mag = "1", double lat = 35.0, double lon = -97.0, double elat = 0,
                double elon = 0) {
    return QStringLiteral("1,%1,%2,%3,x,%4,3,%5,40,1,%6,2,3,0,0,%7,%8,%9,%10,1,10,1,1,1,0,0,0,0")
        .arg(year)
        .arg(month)
        .arg(day)
        .arg(QLatin1String(time), QLatin1String(state), QLatin1String(mag))
        .arg(lat)
        .arg(lon)
        .arg(elat)
        .arg(elon)
        .toLatin1();
}

struct ToolFixture : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = temp.path() + QStringLiteral("/disc/");
        ref = temp.path() + QStringLiteral("/ref/");
        QDir().mkpath(root);
        QDir().mkpath(ref);
        hooks.Ask = &prompts;
        hooks.SetCaption = [this](const QString& c) { captions << c; };
    }
    void Day(const QString& name) { QDir().mkpath(root + name); }
    void Source(const QString& name, const QByteArray& text) { test::WriteFile(ref + name, text); }
    /// Empty tornado, hail and wind files of a period.
    void EmptyPeriod(const QString& prefix) {
        for (const char* kind : {"_torn.csv", "_hail.csv", "_wind.csv"})
            Source(prefix + QLatin1String(kind), {});
    }
    std::vector<StormReport> Written(const QString& day) {
        return ReadReports(root + day + QStringLiteral("/rpt.dat"));
    }
    QStringList Run() { return ExtractReports(root, ref, hooks); }

    QTemporaryDir temp;
    QString root, ref;
    RecordingPrompts prompts;
    ExtractionHooks hooks;
    QStringList captions;
};

double MinutesIntoDay(DateTime t, DateTime day) {
    return std::round((t - day) * 1440.0);
}

} // namespace

TEST(TextLineReader, EveryKindOfLineEndEndsALine) {
    auto r = TextLineReader::FromBytes("a,b\nc\rd\r\n\ne\n\rf");
    QList<QByteArray> lines;
    while (!r.AtEnd())
        lines << r.ReadLine();
    EXPECT_EQ(lines, (QList<QByteArray>{"a,b", "c", "d", "", "e", "", "f"}));
    auto last = TextLineReader::FromBytes("x\n");
    EXPECT_EQ(last.ReadLine(), QByteArray("x"));
    EXPECT_TRUE(last.AtEnd()); // no phantom empty line after the final line feed
    EXPECT_THROW(TextLineReader(QStringLiteral("/nonexistent/ref/x.csv")), FileNotFound);
}

TEST(SourceFields, NumberedFromOneAndCappedAtForty) {
    SourceFields f("a,b,,d");
    EXPECT_EQ(f.Count(), 4);
    EXPECT_EQ(f.Field(1), QByteArray("a"));
    EXPECT_EQ(f.Field(3), QByteArray(""));
    EXPECT_EQ(f.Field(4), QByteArray("d"));
    EXPECT_EQ(f.Field(5), QByteArray());
    EXPECT_EQ(f.Field(0), QByteArray());
    QByteArrayList many;
    for (int i = 1; i <= 45; ++i)
        many << QByteArray::number(i);
    SourceFields wide(many.join(','));
    EXPECT_EQ(wide.Count(), 40);
    EXPECT_EQ(wide.Field(40), QByteArray("40"));
    EXPECT_EQ(wide.Field(41), QByteArray());
}

TEST(SourceFiles, PeriodBoundaries) {
    auto files = [](int y, int m, int d) { return SourceFilesFor(EncodeDate(y, m, d)); };
    const QStringList first{"50-59_torn.csv", "55-59_hail.csv", "55-59_wind.csv"};
    EXPECT_EQ(files(1959, 12, 31), first);
    EXPECT_EQ(files(2009, 5, 1), first);
    EXPECT_EQ(files(1949, 1, 1), first);
    EXPECT_EQ(files(1960, 1, 1),
              (QStringList{"60-69_torn.csv", "60-69_hail.csv", "60-69_wind.csv"}));
    EXPECT_EQ(files(1979, 12, 31)[0], QStringLiteral("70-79_torn.csv"));
    EXPECT_EQ(files(1999, 12, 31)[1], QStringLiteral("90-99_hail.csv"));
    EXPECT_EQ(files(2004, 12, 31)[2], QStringLiteral("2000-2004_wind.csv"));
    EXPECT_EQ(files(2005, 1, 1)[0], QStringLiteral("2005-2007_torn.csv"));
    EXPECT_EQ(files(2008, 12, 31)[0], QStringLiteral("2008_torn.csv"));
}

TEST(ReportFromFields, RecordFieldsAndUnparsableNumbers) {
    const DateTime day = EncodeDate(1979, 4, 10);
    StormReport r = ReportFromFields(
        SourceFields(Line(1979, 4, 10, "23:30:00", "TEX", "1.75", 35.25, -97.5, 35.5, -97.0)),
        ReportKind::Hail, day);
    EXPECT_EQ(MinutesIntoDay(r.Time, day), 24 * 60 + 5 * 60 + 30); // 0530 UTC next day
    EXPECT_EQ(r.Kind, 2);
    EXPECT_EQ(r.State, QStringLiteral("TE"));
    EXPECT_EQ(r.SourceColumn11, 2); // 1.75 inches, rounded
    EXPECT_EQ(r.SourceColumn12, 2);
    EXPECT_EQ(r.SourceColumn13, 3);
    EXPECT_EQ(r.Start.Latitude, 35.25);
    EXPECT_EQ(r.Start.Longitude, -97.5);
    EXPECT_EQ(r.End.Latitude, 35.5);
    EXPECT_EQ(r.End.Longitude, -97.0);

    SourceFields junk("1,1979,4,10,x,14:05,3,K,40,1,big,,n/a,0,0,lat,-97,,");
    r = ReportFromFields(junk, ReportKind::Tornado, day);
    EXPECT_EQ(MinutesIntoDay(r.Time, day), 20 * 60 + 5);
    EXPECT_EQ(r.State, QStringLiteral("K"));
    EXPECT_EQ(r.SourceColumn11, 0);
    EXPECT_EQ(r.SourceColumn12, 0);
    EXPECT_EQ(r.SourceColumn13, 0);
    EXPECT_EQ(r.Start.Latitude, 0.0);
    EXPECT_EQ(r.Start.Longitude, -97.0);
    EXPECT_EQ(r.End.Latitude, 0.0);

    for (const char* bad : {"25:00", "12", "ab:cd", "", "12:60:00"})
        EXPECT_THROW(ReportFromFields(SourceFields(Line(1979, 4, 10, bad)), ReportKind::Wind, day),
                     ConvertError)
            << bad;
}

TEST_F(ToolFixture, BuildsEachDayFromItsPeriodFilesInKindOrder) {
    Day(QStringLiteral("1979-06-30"));
    Day(QStringLiteral("maps"));       // not a case day
    Day(QStringLiteral("1979-0630x")); // nor this
    // CR-only line ends in the tornado file, CR LF in the hail file.
    Source(QStringLiteral("70-79_torn.csv"), Line(1979, 6, 29, "12:00") + "\r" +
                                                 Line(1979, 6, 31, "15:00", "KS") + "\r" +
                                                 Line(1979, 6, 30, "23:30", "NE") + "\r");
    Source(QStringLiteral("70-79_hail.csv"),
           Line(1979, 6, 30, "10:00", "IA", "0.75") + "\r\n" + Line(1979, 7, 1, "10:00") + "\r\n");
    Source(QStringLiteral("70-79_wind.csv"), Line(1979, 6, 30, "16:45", "MO"));

    EXPECT_EQ(Run(), QStringList{QStringLiteral("1979-06-30")});
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("maps/rpt.dat")));
    const DateTime day = EncodeDate(1979, 6, 30);
    const auto r = Written(QStringLiteral("1979-06-30"));
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].State, QStringLiteral("KS")); // 6/31 counts for June 30
    EXPECT_EQ(r[0].Kind, 1);
    EXPECT_EQ(MinutesIntoDay(r[0].Time, day), 21 * 60);
    EXPECT_EQ(r[1].State, QStringLiteral("NE"));
    EXPECT_EQ(MinutesIntoDay(r[1].Time, day), 24 * 60 + 5 * 60 + 30); // still this day's file
    EXPECT_EQ(r[2].Kind, 2);
    EXPECT_EQ(r[2].SourceColumn11, 1);
    EXPECT_EQ(r[3].Kind, 3);
    EXPECT_EQ(r[3].State, QStringLiteral("MO"));

    EXPECT_EQ(captions,
              (QStringList{"[1/1] 1979-06-30", "[1/2] 1979-06-30", "[1/3] 1979-06-30", "Idle"}));
    EXPECT_EQ(prompts.EventCalls, 2);
    EXPECT_TRUE(prompts.Shown.isEmpty());
}

TEST_F(ToolFixture, ADayWithoutReportsGetsAnEmptyFileAndFirstRowFilesServeOutsideTheTable) {
    Day(QStringLiteral("1959-12-31"));
    Day(QStringLiteral("2009-05-01"));
    Day(QStringLiteral("1960-01-01"));
    test::WriteFile(root + QStringLiteral("1960-01-01/rpt.dat"), "earlier file");
    // Header line and a trailing blank line, as today's tables have them.
    Source(QStringLiteral("50-59_torn.csv"),
           "om,yr,mo,dy,date,time,tz,st\n" + Line(1959, 12, 31, "18:00") + "\n\n");
    Source(QStringLiteral("55-59_hail.csv"), {});
    Source(QStringLiteral("55-59_wind.csv"), {});
    Source(QStringLiteral("60-69_torn.csv"), Line(1960, 1, 2, "18:00"));
    Source(QStringLiteral("60-69_hail.csv"), {});
    Source(QStringLiteral("60-69_wind.csv"), {});
    EXPECT_EQ(Run().size(), 3);
    EXPECT_EQ(Written(QStringLiteral("1959-12-31")).size(), 1u);
    EXPECT_EQ(Written(QStringLiteral("2009-05-01")).size(), 0u);
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("2009-05-01/rpt.dat")));
    EXPECT_EQ(QFileInfo(root + QStringLiteral("1960-01-01/rpt.dat")).size(), 0);
}

TEST_F(ToolFixture, ACaseFolderLinkedOutOfTheDiscIsNotWritten) {
    const QString outside = temp.path() + QStringLiteral("/elsewhere");
    QDir().mkpath(outside);
    ASSERT_TRUE(QFile::link(outside, root + QStringLiteral("2009-05-01")));
    EXPECT_TRUE(Run().isEmpty());
    EXPECT_TRUE(QDir(outside).isEmpty());
    ASSERT_EQ(prompts.Shown.size(), 1);
    EXPECT_TRUE(prompts.Shown[0].contains("leads outside the disc folder"));
}

TEST_F(ToolFixture, NoMoreThanAThousandReportsADay) {
    Day(QStringLiteral("1985-05-31"));
    QByteArray hail;
    for (int i = 0; i < 1001; ++i)
        hail += Line(1985, 5, 31, "16:00") + "\n";
    Source(QStringLiteral("80-89_torn.csv"),
           Line(1985, 5, 31, "15:00") + "\n" + Line(1985, 5, 31, "15:10"));
    Source(QStringLiteral("80-89_hail.csv"), hail);
    Source(QStringLiteral("80-89_wind.csv"), Line(1985, 5, 31, "17:00"));
    Run();
    const auto r = Written(QStringLiteral("1985-05-31"));
    ASSERT_EQ(r.size(), 1000u);
    EXPECT_EQ(r.front().Kind, 1);
    EXPECT_EQ(r.back().Kind, 2);
    // 1004 matching lines: one message for each of the four beyond the thousandth.
    EXPECT_EQ(prompts.Shown.size(), 4);
    EXPECT_EQ(prompts.Shown.front(), QStringLiteral("I:Too many reports"));
    // Events at the folder's start and end, and after the thousandth hail line.
    EXPECT_EQ(prompts.EventCalls, 3);
}

TEST_F(ToolFixture, ALineOfFortyFiveFieldsReadsItsFirstForty) {
    Day(QStringLiteral("1975-05-01"));
    QByteArray wide = Line(1975, 5, 1, "14:00", "TX", "3", 33.0, -100.0);
    for (int i = 0; i < 16; ++i)
        wide += ",999";
    ASSERT_EQ(SourceFields(wide + ",end").Count(), 40);
    EmptyPeriod(QStringLiteral("70-79"));
    Source(QStringLiteral("70-79_torn.csv"), wide + "\n");
    Run();
    const auto r = Written(QStringLiteral("1975-05-01"));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].Start.Latitude, 33.0);
    EXPECT_EQ(r[0].SourceColumn11, 3);
}

TEST_F(ToolFixture, AFailureKeepsEarlierDaysAndDoesNotWriteTheCurrentOne) {
    Day(QStringLiteral("1970-04-01"));
    Day(QStringLiteral("1980-04-01"));
    EmptyPeriod(QStringLiteral("70-79"));
    EmptyPeriod(QStringLiteral("80-89"));
    Source(QStringLiteral("70-79_torn.csv"), Line(1970, 4, 1, "12:00"));
    Source(QStringLiteral("80-89_torn.csv"), Line(1980, 4, 1, "12:00"));
    // Days run in the file system's order: break the period of the one listed second.
    const QStringList order = ListMatching(root, QStringLiteral("????-??-??"));
    ASSERT_EQ(order.size(), 2);
    const QString earlier = order[0], later = order[1];
    const QString laterHail = SourceFilesFor(EncodeDate(later.left(4).toInt(), 4, 1))[1];
    QFile::remove(ref + laterHail);

    EXPECT_THROW(Run(), FileNotFound);
    EXPECT_EQ(Written(earlier).size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(root + later + QStringLiteral("/rpt.dat")));
    // The caption keeps the last progress text: the tornado file of the failing day.
    EXPECT_EQ(captions.last(), QStringLiteral("[2/1] ") + later);

    // A line whose date is no date stops the run too, even on another day's line.
    Source(laterHail, Line(1980, 2, 30, "12:00") + "\n" + Line(1970, 2, 30, "12:00"));
    EXPECT_THROW(Run(), ConvertError);
    EXPECT_FALSE(QFileInfo::exists(root + later + QStringLiteral("/rpt.dat")));

    // And so does a matching line whose time is no time.
    Source(laterHail, Line(later.left(4).toInt(), 4, 1, "noon"));
    EXPECT_THROW(Run(), ConvertError);
    EXPECT_FALSE(QFileInfo::exists(root + later + QStringLiteral("/rpt.dat")));
}

TEST_F(ToolFixture, AtMostThreeHundredCaseFolders) {
    for (int i = 0; i < 301; ++i)
        Day(QStringLiteral("1961-%1-%2")
                .arg(1 + i / 28, 2, 10, QLatin1Char('0'))
                .arg(1 + i % 28, 2, 10, QLatin1Char('0')));
    EmptyPeriod(QStringLiteral("60-69"));
    ASSERT_EQ(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 301);
    EXPECT_EQ(Run().size(), 300);
}

// The national tables as published today, for two known days. Expected counts and
// first and last times are read straight from the CSV text.
TEST_F(ToolFixture, RealTables) {
    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared data absent";
    for (const char* name :
         {"70-79_torn.csv", "70-79_hail.csv", "2005-2007_torn.csv", "2005-2007_hail.csv"})
        ASSERT_TRUE(QFile::copy(shared + QStringLiteral("reports/") + QLatin1String(name),
                                ref + QLatin1String(name)));
    Source(QStringLiteral("70-79_wind.csv"), {});
    Source(QStringLiteral("2005-2007_wind.csv"), {});
    Day(QStringLiteral("1979-04-10"));
    Day(QStringLiteral("2007-05-04"));
    EXPECT_EQ(Run().size(), 2);
    EXPECT_TRUE(prompts.Shown.isEmpty());

    struct Expect {
        int Count = 0;
        int First = -1, Last = -1;
    };
    auto fromCsv = [&](const char* file, const QByteArray& y, const QByteArray& m,
                       const QByteArray& d) {
        Expect e;
        for (const QByteArray& line : test::ReadFile(ref + QLatin1String(file)).split('\n')) {
            const QList<QByteArray> f = line.split(',');
            if (f.size() < 19 || f[1] != y || f[2] != m || f[3] != d) continue;
            const QList<QByteArray> t = f[5].split(':');
            const int minutes = t[0].toInt() * 60 + t[1].toInt() + 6 * 60;
            if (e.Count++ == 0) e.First = minutes;
            e.Last = minutes;
        }
        return e;
    };
    struct DayCase {
        const char* Folder;
        const char* Torn;
        const char* Hail;
        QByteArray Y, M, D;
    };
    const DayCase days[] = {
        {"1979-04-10", "70-79_torn.csv", "70-79_hail.csv", "1979", "4", "10"},
        {"2007-05-04", "2005-2007_torn.csv", "2005-2007_hail.csv", "2007", "5", "4"}};
    for (const DayCase& dc : days) {
        const Expect torn = fromCsv(dc.Torn, dc.Y, dc.M, dc.D);
        const Expect hail = fromCsv(dc.Hail, dc.Y, dc.M, dc.D);
        const auto r = Written(QLatin1String(dc.Folder));
        ASSERT_EQ(static_cast<int>(r.size()), torn.Count + hail.Count) << dc.Folder;
        ASSERT_GT(torn.Count, 0);
        ASSERT_GT(hail.Count, 0);
        const DateTime day = EncodeDate(dc.Y.toInt(), dc.M.toInt(), dc.D.toInt());
        const std::size_t t0 = 0, tn = static_cast<std::size_t>(torn.Count - 1);
        const std::size_t h0 = tn + 1, hn = r.size() - 1;
        EXPECT_EQ(r[t0].Kind, 1);
        EXPECT_EQ(r[tn].Kind, 1);
        EXPECT_EQ(r[h0].Kind, 2);
        EXPECT_EQ(r[hn].Kind, 2);
        EXPECT_EQ(MinutesIntoDay(r[t0].Time, day), torn.First) << dc.Folder;
        EXPECT_EQ(MinutesIntoDay(r[tn].Time, day), torn.Last) << dc.Folder;
        EXPECT_EQ(MinutesIntoDay(r[h0].Time, day), hail.First) << dc.Folder;
        EXPECT_EQ(MinutesIntoDay(r[hn].Time, day), hail.Last) << dc.Folder;
    }
    EXPECT_EQ(Written(QStringLiteral("1979-04-10")).size(), 31u + 18u);
    EXPECT_EQ(Written(QStringLiteral("2007-05-04")).size(), 28u + 162u);
}
