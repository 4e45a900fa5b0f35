#include <gtest/gtest.h>

#include "base/datetime.h"
#include "base/errors.h"

using namespace nimbrel;

TEST(DateTime, DayNumbersAgreeWithTheEpochAndAcrossCenturies) {
    EXPECT_DOUBLE_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_DOUBLE_EQ(EncodeDate(1979, 4, 10), 28955.0);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 2, 29), 36585.0);
    EXPECT_DOUBLE_EQ(EncodeDate(2049, 12, 31) - EncodeDate(1950, 1, 1), 36524.0);
    for (int y : {1899, 1950, 1979, 1999, 2000, 2004, 2049, 2100}) {
        const DateParts p = DecodeDate(EncodeDate(y, 2, 28) + 0.75);
        EXPECT_EQ(p.Year, y);
        EXPECT_EQ(p.Month, 2);
        EXPECT_EQ(p.Day, 28);
    }
    EXPECT_THROW(EncodeDate(2003, 2, 29), ConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0), ConvertError);
}

TEST(DateTime, DecodingRoundsToTheMillisecondSoWholeHoursStayWhole) {
    const DateTime noon = EncodeDate(1979, 4, 10) + 0.5;
    DateTime t = noon;
    for (int i = 0; i < 23; ++i)
        t += 1.0 / 24.0; // accumulated rounding error
    const TimeParts tp = DecodeTime(t);
    EXPECT_EQ(tp.Hour, 11);
    EXPECT_EQ(tp.Minute, 0);
    EXPECT_EQ(tp.Second, 0);
    EXPECT_EQ(DecodeDate(t).Day, 11);
    // Just below midnight by less than half a millisecond is midnight of the next day.
    const DateTime almost = EncodeDate(1979, 4, 11) - 1e-10;
    EXPECT_EQ(DecodeDate(almost).Day, 11);
    EXPECT_EQ(DecodeTime(almost).Hour, 0);
}

TEST(DateTime, FormatsTheProgramsPatterns) {
    const DateTime t = EncodeDate(1979, 4, 10) + EncodeTime(18, 5, 0);
    EXPECT_EQ(FormatDateTime("ddd dd mmm yyyy", t), "Tue 10 Apr 1979");
    EXPECT_EQ(FormatDateTime("hh:mm", t), "18:05");
    EXPECT_EQ(FormatDateTime("hh:nn \"UTC\"", t), "18:05 UTC");
    EXPECT_EQ(FormatDateTime("dddd, mmmm d, yyyy", t), "Tuesday, April 10, 1979");
    EXPECT_EQ(FormatDateTime("dddd mmmm d, yyyy", t), "Tuesday April 10, 1979");
    EXPECT_EQ(FormatDateTime("yymmdd\"-\"hhnn", t), "790410-1805");
    EXPECT_EQ(FormatDateTime("yymmdd\"-\"hhnn", EncodeDate(2005, 1, 2) + EncodeTime(0, 0, 0)),
              "050102-0000");
    EXPECT_EQ(FormatDateTime("d", EncodeDate(2003, 5, 4)), "4");
    EXPECT_EQ(FormatDateTime("hnn am/pm", EncodeDate(2003, 5, 4) + 0.375), "900 AM");
    EXPECT_EQ(FormatDateTime("hnn am/pm", EncodeDate(2003, 5, 4) + 0.5), "1200 PM");
    EXPECT_EQ(FormatDateTime("hnn am/pm", EncodeDate(2003, 5, 4)), "1200 AM");
    EXPECT_EQ(FormatDateTime("\"--\"hhnn\"Z\"", EncodeDate(2003, 5, 4) + 0.625), "--1500Z");
}

TEST(DateTime, ReadsMonthFirstTextAndRefusesNonsense) {
    EXPECT_DOUBLE_EQ(StrToDateTime("04/10/1979 12:00:00"), 28955.5);
    EXPECT_DOUBLE_EQ(StrToDateTime("4/10/1979"), 28955.0);
    EXPECT_DOUBLE_EQ(StrToDateTime("12/31/2049 23:59"),
                     EncodeDate(2049, 12, 31) + EncodeTime(23, 59, 0));
    for (const char* bad :
         {"13/01/1979", "02/30/2000", "04/10/1979 25:00:00", "", "x/y/z", "04/10"})
        EXPECT_THROW(StrToDateTime(QString::fromLatin1(bad)), ConvertError) << bad;
    try {
        StrToDateTime("13/45/2005 18:00:00");
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_EQ(e.Message(), "'13/45/2005 18:00:00' is not a valid date and time");
    }
}
