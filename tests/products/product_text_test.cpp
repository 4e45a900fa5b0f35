#include <gtest/gtest.h>

#include "base/datetime.h"
#include "products/product_stamps.h"
#include "products/product_text.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

DateTime At(int hour, int minute = 0, int dayOffset = 0) {
    return EncodeDate(1979, 4, 10) + dayOffset + EncodeTime(hour, minute, 0);
}

// Compares line by line so that a failure names the line, spaces made visible.
void ExpectLines(const QStringList& actual, const QStringList& expected) {
    for (qsizetype i = 0; i < std::min(actual.size(), expected.size()); ++i)
        EXPECT_EQ(QString(actual[i]).replace(' ', '_'), QString(expected[i]).replace(' ', '_'))
            << "line " << i + 1;
    EXPECT_EQ(actual.size(), expected.size());
}

TEST(ProductStamps, AtFifteenHundred) {
    const ProductStamps s = ComputeProductStamps(At(15));
    EXPECT_EQ(s.IssueTag, QStringLiteral("--1500Z"));
    EXPECT_EQ(s.DateLine, QStringLiteral("--- --- -- ----"));
    EXPECT_EQ(s.ValidFromTag, QStringLiteral("--1500"));
    EXPECT_EQ(s.ValidToDayTag, QStringLiteral("--"));
    EXPECT_EQ(s.LocalStart, QStringLiteral("900 AM"));
    EXPECT_EQ(s.LocalEnd, QStringLiteral("300 PM"));
}

TEST(ProductStamps, LocalTimesAcrossTheDay) {
    EXPECT_EQ(ComputeProductStamps(At(12)).IssueTag, QStringLiteral("--1200Z"));
    EXPECT_EQ(ComputeProductStamps(At(12)).LocalStart, QStringLiteral("600 AM"));
    EXPECT_EQ(ComputeProductStamps(At(12)).LocalEnd, QStringLiteral("1200 PM"));
    EXPECT_EQ(ComputeProductStamps(At(18)).LocalStart, QStringLiteral("1200 PM"));
    EXPECT_EQ(ComputeProductStamps(At(18)).LocalEnd, QStringLiteral("600 PM"));
    EXPECT_EQ(ComputeProductStamps(At(20)).LocalStart, QStringLiteral("200 PM"));
    EXPECT_EQ(ComputeProductStamps(At(20)).LocalEnd, QStringLiteral("800 PM"));
    // Late in the session, past midnight UTC: local evening until the small hours.
    const ProductStamps late = ComputeProductStamps(At(3, 0, 1));
    EXPECT_EQ(late.IssueTag, QStringLiteral("--0300Z"));
    EXPECT_EQ(late.LocalStart, QStringLiteral("900 PM"));
    EXPECT_EQ(late.LocalEnd, QStringLiteral("300 AM"));
}

TEST(ProductStamps, OffTheHourTimesRoundToTheirSteps) {
    const ProductStamps s = ComputeProductStamps(At(15, 14));
    EXPECT_EQ(s.IssueTag, QStringLiteral("--1514Z"));
    EXPECT_EQ(s.ValidFromTag, QStringLiteral("--1500")); // nearest half hour
    EXPECT_EQ(s.LocalStart, QStringLiteral("915 AM"));   // nearest quarter hour
    EXPECT_EQ(s.LocalEnd, QStringLiteral("300 PM"));     // nearest hour
    EXPECT_EQ(ComputeProductStamps(At(15, 46)).ValidFromTag, QStringLiteral("--1600"));
}

TEST(Discussion, ParagraphsSplitBySeparatorLines) {
    const QByteArray text = "  FIRST PARAGRAPH LINE.  \r\n"
                            "SECOND LINE OF IT.\n"
                            "===\n"
                            "PARAGRAPH ONE.\n"
                            "\n"
                            "\tAFTER AN EMPTY LINE.\n"
                            "   ===== anything after the signs\n"
                            "PARAGRAPH TWO.\n"
                            "==\n"
                            "STILL TWO: TWO SIGNS DO NOT SEPARATE.\n";
    EXPECT_EQ(DiscussionParagraph(text, 0),
              (QStringList{"FIRST PARAGRAPH LINE.", "SECOND LINE OF IT."}));
    EXPECT_EQ(DiscussionParagraph(text, 1),
              (QStringList{"PARAGRAPH ONE.", "", "AFTER AN EMPTY LINE."}));
    EXPECT_EQ(DiscussionParagraph(text, 2),
              (QStringList{"PARAGRAPH TWO.", "==", "STILL TWO: TWO SIGNS DO NOT SEPARATE."}));
    EXPECT_TRUE(DiscussionParagraph(text, 3).isEmpty());
    EXPECT_TRUE(DiscussionParagraph(QByteArray(), 0).isEmpty());
    // A file that starts with a separator has an empty paragraph 0.
    EXPECT_TRUE(DiscussionParagraph("===\nONE.\n", 0).isEmpty());
    EXPECT_EQ(DiscussionParagraph("===\nONE.\n", 1), QStringList{"ONE."});
}

TEST(OutlookText, SlightRiskOverTwoRegions) {
    OutlookInputs in;
    in.Kind = ProductKind::SlightRiskOutlook;
    in.Stamps = ComputeProductStamps(At(15));
    in.AreaPhrase = QStringLiteral("FROM EASTERN OKLAHOMA TO WESTERN OKLAHOMA.");
    in.FirstRegionName = QStringLiteral("EASTERN OKLAHOMA");
    in.Discussion = QStringList{"A DRYLINE WILL SHARPEN THIS AFTERNOON.", "", "STORMS MAY FORM."};
    // clang-format off
    ExpectLines(WriteOutlookText(in),
                {"SPC AC --1500Z",
                 "DAY 1 CONVECTIVE OUTLOOK",
                 "NWS STORM PREDICTION CENTER NORMAN OK",
                 "--- --- -- ----",
                 "VALID --1500Z - --1200Z",
                 " ",
                 "...THERE IS A SLGT RISK OF SVR TSTMS  FROM EASTERN OKLAHOMA TO WESTERN OKLAHOMA.",
                 " ",
                 "A DRYLINE WILL SHARPEN THIS AFTERNOON.",
                 "",
                 "STORMS MAY FORM.",
                 " ",
                 "...EASTERN OKLAHOMA...",
                 "[WHAT YOU THINK WOULD GO HERE]"});
    // clang-format on
}

TEST(OutlookText, ModerateRiskOutsideEveryRegionWithoutDiscussion) {
    OutlookInputs in;
    in.Kind = ProductKind::ModerateRiskOutlook;
    in.Stamps = ComputeProductStamps(At(18));
    // clang-format off
    ExpectLines(WriteOutlookText(in),
                {"SPC AC --1800Z",
                 "DAY 1 CONVECTIVE OUTLOOK",
                 "NWS STORM PREDICTION CENTER NORMAN OK",
                 "--- --- -- ----",
                 "VALID --1800Z - --1200Z",
                 " ",
                 "...THERE IS A MDT RISK OF SVR TSTMS  ",
                 " ",
                 " ",
                 "......",
                 "[WHAT YOU THINK WOULD GO HERE]"});
    // clang-format on
}

TEST(OutlookText, HighRiskOverOneRegion) {
    OutlookInputs in;
    in.Kind = ProductKind::HighRiskOutlook;
    in.Stamps = ComputeProductStamps(At(12));
    in.AreaPhrase = QStringLiteral("IN WESTERN OKLAHOMA.");
    in.FirstRegionName = QStringLiteral("WESTERN OKLAHOMA");
    in.Discussion = QStringList{"ONE LINE."};
    // clang-format off
    ExpectLines(WriteOutlookText(in),
                {"SPC AC --1200Z",
                 "DAY 1 CONVECTIVE OUTLOOK",
                 "NWS STORM PREDICTION CENTER NORMAN OK",
                 "--- --- -- ----",
                 "VALID --1200Z - --1200Z",
                 " ",
                 "...THERE IS A HIGH RISK OF SVR TSTMS  IN WESTERN OKLAHOMA.",
                 " ",
                 "ONE LINE.",
                 " ",
                 "...WESTERN OKLAHOMA...",
                 "[WHAT YOU THINK WOULD GO HERE]"});
    // clang-format on
}

TEST(WatchText, TornadoWatchOverTwoRegions) {
    WatchInputs in;
    in.Kind = ProductKind::TornadoWatch;
    in.Stamps = ComputeProductStamps(At(20));
    in.RegionNames = QStringList{"NORTH TEXAS", "WESTERN OKLAHOMA"};
    in.AxisStartPlace = QStringLiteral("40 MILES SOUTH OF CHILDRESS TEXAS");
    in.AxisEndPlace = QStringLiteral("20 MILES NORTHWEST OF ENID OKLAHOMA");
    in.HalfWidthMiles = QStringLiteral("80");
    in.SideWords = QStringLiteral("EITHER SIDE");
    // clang-format off
    ExpectLines(WriteWatchText(in),
                {"SEL8",
                 "",
                 "URGENT - IMMEDIATE BROADCAST REQUESTED",
                 "TORNADO WATCH NUMBER 178",
                 "NWS STORM PREDICTION CENTER NORMAN OK",
                 "--- --- -- ----",
                 " ",
                 "THE NATIONAL WEATHER SERVICE HAS ISSUED A",
                 "TORNADO WATCH FOR PORTIONS OF ",
                 " ",
                 "       NORTH TEXAS",
                 "       WESTERN OKLAHOMA",
                 " ",
                 "EFFECTIVE THIS ---- AFTERNOON FROM 200 PM UNTIL",
                 "800 PM CST.",
                 " ",
                 "TORNADOES...HAIL TO 2 INCHES IN DIAMETER...THUNDERSTORM WIND",
                 "GUSTS TO 70 MPH...AND DANGEROUS LIGHTNING ARE POSSIBLE IN THESE",
                 "AREAS.",
                 " ",
                 "THE TORNADO WATCH AREA IS ALONG AND 80 STATUTE",
                 "MILES EITHER SIDE OF A LINE FROM 40 MILES SOUTH OF CHILDRESS TEXAS",
                 "TO 20 MILES NORTHWEST OF ENID OKLAHOMA.  FOR A",
                 "COMPLETE DEPICTION OF THE WATCH SEE THE ASSOCIATED WATCH OUTLINE",
                 "UPDATE (WOUS64 KWNS WOU8).",
                 " ",
                 "REMEMBER...A TORNADO WATCH MEANS CONDITIONS ARE FAVORABLE FOR",
                 "TORNADOES AND SEVERE THUNDERSTORMS IN AND CLOSE TO THE WATCH",
                 "AREA. PERSONS IN THESE AREAS SHOULD BE ON THE LOOKOUT FOR",
                 "THREATENING WEATHER CONDITIONS AND LISTEN FOR LATER STATEMENTS",
                 "AND POSSIBLE WARNINGS.",
                 " "});
    // clang-format on
}

TEST(WatchText, SevereWatchWithoutRegionsAtNoon) {
    WatchInputs in;
    in.Kind = ProductKind::SevereWatch;
    in.Stamps = ComputeProductStamps(At(12));
    in.AxisStartPlace = QStringLiteral("0 MILES NORTH OF ENID OKLAHOMA");
    in.AxisEndPlace = QStringLiteral("15 MILES EAST OF WICHITA KANSAS");
    in.HalfWidthMiles = QStringLiteral("45");
    in.SideWords = QStringLiteral("NORTH AND SOUTH");
    // clang-format off
    ExpectLines(WriteWatchText(in),
                {"SEL9",
                 "",
                 "URGENT - IMMEDIATE BROADCAST REQUESTED",
                 "SEVERE THUNDERSTORM WATCH NUMBER 179",
                 "NWS STORM PREDICTION CENTER NORMAN OK",
                 "--- --- -- ----",
                 " ",
                 "THE NATIONAL WEATHER SERVICE HAS ISSUED A",
                 "SEVERE THUNDERSTORM WATCH FOR PORTIONS OF ",
                 " ",
                 " ",
                 "EFFECTIVE THIS ---- AFTERNOON FROM 600 AM UNTIL",
                 "1200 PM CST.",
                 " ",
                 "HAIL TO 2 INCHES IN DIAMETER...THUNDERSTORM WIND",
                 "GUSTS TO 70 MPH...AND DANGEROUS LIGHTNING ARE POSSIBLE IN THESE",
                 "AREAS.",
                 " ",
                 "THE SEVERE THUNDERSTORM WATCH AREA IS ALONG AND 45 STATUTE",
                 "MILES NORTH AND SOUTH OF A LINE FROM 0 MILES NORTH OF ENID OKLAHOMA",
                 "TO 15 MILES EAST OF WICHITA KANSAS.  FOR A",
                 "COMPLETE DEPICTION OF THE WATCH SEE THE ASSOCIATED WATCH OUTLINE",
                 "UPDATE (WOUS64 KWNS WOU8).",
                 " ",
                 "REMEMBER...A SEVERE THUNDERSTORM WATCH MEANS CONDITIONS ARE FAVORABLE FOR",
                 "SEVERE THUNDERSTORMS IN AND CLOSE TO THE WATCH",
                 "AREA. PERSONS IN THESE AREAS SHOULD BE ON THE LOOKOUT FOR",
                 "THREATENING WEATHER CONDITIONS AND LISTEN FOR LATER STATEMENTS",
                 "AND POSSIBLE WARNINGS.",
                 " "});
    // clang-format on
}

TEST(WatchText, RegionLinesForThreeAndFourNames) {
    WatchInputs in;
    in.Kind = ProductKind::SevereWatch;
    in.Stamps = ComputeProductStamps(At(15));
    in.RegionNames = QStringList{"EASTERN KANSAS", "IOWA", "SOUTH DAKOTA"};
    QStringList three = WriteWatchText(in);
    ASSERT_EQ(three.size(), 33);
    EXPECT_EQ(three.mid(9, 5), (QStringList{" ", "       EASTERN KANSAS", "       IOWA",
                                            "       SOUTH DAKOTA", " "}));
    in.Kind = ProductKind::TornadoWatch;
    in.RegionNames = QStringList{"NORTH TEXAS", "EASTERN OKLAHOMA", "WESTERN OKLAHOMA", "TEXAS"};
    QStringList four = WriteWatchText(in);
    ASSERT_EQ(four.size(), 34);
    EXPECT_EQ(four.mid(9, 6), (QStringList{" ", "       NORTH TEXAS", "       EASTERN OKLAHOMA",
                                           "       WESTERN OKLAHOMA", "       TEXAS", " "}));
    EXPECT_EQ(four[15], QStringLiteral("EFFECTIVE THIS ---- AFTERNOON FROM 900 AM UNTIL"));
}

} // namespace
} // namespace nimbrel
