#include "cases/case_load.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace nimbrel {
namespace {

// 4 May 2003 is day 37745 after 30 December 1899.
constexpr double May4Noon = 37745.5;

TEST(CaseLoadTest, MorningStartWithHiddenDate) {
    const CaseLoad load = PrepareCaseLoad(QStringLiteral("2003-05-04 Kansas tornado outbreak"),
                                          true, true, QStringLiteral("/disc/"));
    EXPECT_DOUBLE_EQ(load.Clock.CaseStart, May4Noon);
    EXPECT_DOUBLE_EQ(load.Clock.SimulationTime, May4Noon);
    EXPECT_EQ(load.Clock.ElapsedHours, 0);
    EXPECT_TRUE(load.Clock.DateHidden);
    EXPECT_EQ(load.CaseDirectory, "/disc/2003-05-04/");
    EXPECT_EQ(CurrentDateText(load.Clock), "--- -- ----");
    EXPECT_EQ(CurrentTimeText(load.Clock), "12:00 UTC");
}

TEST(CaseLoadTest, LateStartIsThreeUtcNextDay) {
    const CaseLoad load =
        PrepareCaseLoad(QStringLiteral("2003-05-04 x"), false, false, QStringLiteral("/disc/"));
    EXPECT_DOUBLE_EQ(load.Clock.CaseStart, May4Noon);
    EXPECT_DOUBLE_EQ(load.Clock.SimulationTime, 37746.125); // 5 May 03:00
    EXPECT_EQ(load.Clock.ElapsedHours, 15);
    EXPECT_FALSE(load.Clock.DateHidden);
    EXPECT_EQ(CurrentDateText(load.Clock), "Mon 05 May 2003");
    EXPECT_EQ(CurrentTimeText(load.Clock), "03:00 UTC");
    // The late start's clock steps on in whole hours from 1200 UTC like any other.
    SimClock clock = load.Clock;
    AdvanceOneHour(clock);
    EXPECT_EQ(CurrentTimeText(clock), "04:00 UTC");
}

TEST(CaseLoadTest, BadDayChangesNothing) {
    SimClock clock;
    SetInitialClock(clock);
    DataFolders folders;
    folders.CaseRootDirectory = "/disc/";
    folders.CaseDirectory = "/disc/1979-04-10/";
    const SimClock before = clock;
    for (const char* line : {"2003-13-04 no such month", "2003-02-30 x", "abcd-05-04 x", "2003"}) {
        try {
            ApplyCaseLoad(
                PrepareCaseLoad(QString::fromLatin1(line), true, true, folders.CaseRootDirectory),
                clock, folders);
            ADD_FAILURE() << "no conversion error for " << line;
        } catch (const ConvertError& e) {
            const QString text = QString::fromStdString(e.what());
            if (QByteArray(line).startsWith("2003-")) // digits in place: the day itself is wrong
                EXPECT_EQ(text, "'" + QString::fromLatin1(line).left(10) + "' is not a valid date");
            else
                EXPECT_FALSE(text.isEmpty());
        }
    }
    EXPECT_EQ(clock.CaseStart, before.CaseStart);
    EXPECT_EQ(clock.SimulationTime, before.SimulationTime);
    EXPECT_FALSE(clock.DateHidden);
    EXPECT_EQ(folders.CaseDirectory, "/disc/1979-04-10/");
}

TEST(CaseLoadTest, ApplyingReplacesClockAndFolderEveryTime) {
    SimClock clock;
    DataFolders folders;
    folders.CaseRootDirectory = "/disc/";
    const CaseLoad load =
        PrepareCaseLoad("1999-05-03 Oklahoma", true, true, folders.CaseRootDirectory);
    ApplyCaseLoad(load, clock, folders);
    for (int i = 0; i < 5; ++i)
        AdvanceOneHour(clock);
    clock.DateHidden = false;
    ApplyCaseLoad(load, clock, folders); // the same case again: back to its start
    EXPECT_EQ(clock.ElapsedHours, 0);
    EXPECT_DOUBLE_EQ(clock.SimulationTime, clock.CaseStart);
    EXPECT_TRUE(clock.DateHidden);
    EXPECT_EQ(folders.CaseDirectory, "/disc/1999-05-03/");
    EXPECT_EQ(folders.CaseRootDirectory, "/disc/");
}

} // namespace
} // namespace nimbrel
