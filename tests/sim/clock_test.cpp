#include <gtest/gtest.h>

#include "base/datetime.h"
#include "sim/clock.h"
#include "support/test_support.h"

using namespace nimbrel;

TEST(Clock, StartsOnTheDefaultCaseDayWithTheDateShown) {
    SimClock c;
    c.DateHidden = true;
    c.ElapsedHours = 7;
    SetInitialClock(c);
    EXPECT_EQ(c.ElapsedHours, 0);
    EXPECT_FALSE(c.DateHidden);
    EXPECT_DOUBLE_EQ(c.CaseStart, EncodeDate(1979, 4, 10) + 0.5);
    EXPECT_DOUBLE_EQ(c.SimulationTime, c.CaseStart);
    EXPECT_DOUBLE_EQ(TimeOfDay(c), 0.5);
    EXPECT_EQ(CurrentDateText(c), QStringLiteral("Tue 10 Apr 1979"));
    EXPECT_EQ(CurrentTimeText(c), QStringLiteral("12:00 UTC"));
}

TEST(Clock, HiddenDateStillShowsTheHour) {
    SimClock c;
    SetInitialClock(c);
    c.DateHidden = true;
    AdvanceOneHour(c);
    EXPECT_EQ(CurrentDateText(c), QStringLiteral("--- -- ----"));
    EXPECT_EQ(CurrentTimeText(c), QStringLiteral("13:00 UTC"));
}

TEST(Clock, TwelveAdvancesReachMidnightOfTheNextDayAndTwentyThreeReachElevenUtc) {
    SimClock c;
    SetInitialClock(c);
    for (int i = 0; i < 12; ++i)
        AdvanceOneHour(c);
    EXPECT_EQ(c.ElapsedHours, 12);
    EXPECT_EQ(CurrentTimeText(c), QStringLiteral("00:00 UTC"));
    EXPECT_EQ(CurrentDateText(c), QStringLiteral("Wed 11 Apr 1979"));
    EXPECT_NEAR(TimeOfDay(c), 0.0, 1e-9);
    for (int i = 0; i < 11; ++i)
        AdvanceOneHour(c);
    EXPECT_EQ(c.ElapsedHours, 23);
    EXPECT_EQ(CurrentTimeText(c), QStringLiteral("11:00 UTC"));
    // Whole hours are counted, not summed, so the clock sits on the hour exactly.
    EXPECT_NEAR(c.SimulationTime, EncodeDate(1979, 4, 11) + 11.0 / 24.0, 1e-9);
}

TEST(Clock, ACaseStartedLateShowsThreeUtcOfTheNextDay) {
    SimClock c;
    c.CaseStart = EncodeDate(2007, 5, 4) + 0.5;
    c.ElapsedHours = 14;
    AdvanceOneHour(c);
    EXPECT_EQ(CurrentTimeText(c), QStringLiteral("03:00 UTC"));
    EXPECT_EQ(CurrentDateText(c), QStringLiteral("Sat 05 May 2007"));
    EXPECT_NEAR(TimeOfDay(c), 3.0 / 24.0, 1e-9);
}

TEST(Clock, TimeOfDayIsTheSameFractionOnEveryCaseDay) {
    // The night return compares the time of day with 2/24 and 12/24, and the player
    // compares it with 1/2: the hour must give exactly that fraction whatever the day.
    for (DateTime day = EncodeDate(1950, 1, 1); day <= EncodeDate(2049, 12, 31); day += 1.0) {
        SimClock c;
        c.CaseStart = day + 0.5;
        c.SimulationTime = c.CaseStart;
        for (int h = 0; h < 24; ++h) {
            ASSERT_EQ(TimeOfDay(c), ((12 + h) % 24) / 24.0) << "day " << day << " hour " << h;
            AdvanceOneHour(c);
        }
    }
}
