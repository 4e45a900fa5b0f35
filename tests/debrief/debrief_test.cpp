#include "debrief/debrief.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "base/errors.h"
#include "support/test_support.h"

namespace nimbrel {
namespace {

constexpr double April10Noon1979 = 28955.5; // a Tuesday

TEST(RevealTest, MessageNamesTheCaseDay) {
    EXPECT_EQ(RevealMessage(April10Noon1979), "This case was for Tuesday, April 10, 1979.");
    EXPECT_EQ(RevealMessage(37745.5), "This case was for Sunday, May 4, 2003.");
}

TEST(RevealTest, ShownDateAsksNothing) {
    test::RecordingPrompts prompts;
    SimClock clock;
    SetInitialClock(clock);
    int updates = 0;
    EXPECT_FALSE(RevealCaseDate(clock, prompts, [&] { ++updates; }));
    EXPECT_TRUE(prompts.Shown.isEmpty());
    EXPECT_EQ(updates, 0);
}

TEST(RevealTest, CancelKeepsTheDateHidden) {
    test::RecordingPrompts prompts;
    prompts.ConfirmAnswer = false;
    SimClock clock;
    SetInitialClock(clock);
    clock.DateHidden = true;
    int updates = 0;
    EXPECT_FALSE(RevealCaseDate(clock, prompts, [&] { ++updates; }));
    EXPECT_TRUE(clock.DateHidden);
    EXPECT_EQ(CurrentDateText(clock), "--- -- ----");
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(prompts.Shown, QStringList{"C:" + RevealQuestion});
}

TEST(RevealTest, ConfirmShowsTheDateThenNamesTheCaseDayNotTheClocksDay) {
    test::RecordingPrompts prompts;
    SimClock clock;
    SetInitialClock(clock);
    clock.DateHidden = true;
    for (int i = 0; i < 23; ++i)
        AdvanceOneHour(clock);
    QString labelWhenUpdated;
    int messagesBeforeUpdate = -1;
    EXPECT_TRUE(RevealCaseDate(clock, prompts, [&] {
        labelWhenUpdated = CurrentDateText(clock);
        messagesBeforeUpdate = static_cast<int>(prompts.Shown.size());
    }));
    EXPECT_FALSE(clock.DateHidden);
    EXPECT_EQ(labelWhenUpdated, "Wed 11 Apr 1979"); // the clock's day, shown before the message
    EXPECT_EQ(messagesBeforeUpdate, 1);
    EXPECT_EQ(prompts.Shown,
              (QStringList{"C:" + RevealQuestion, "I:This case was for Tuesday, April 10, 1979."}));
}

TEST(TextFileLinesTest, CrLfAndLfEndings) {
    EXPECT_EQ(TextFileLines("one\r\ntwo\nthree"), (QStringList{"one", "two", "three"}));
    EXPECT_EQ(TextFileLines("one\r\n"), QStringList{"one"});
    EXPECT_EQ(TextFileLines(""), QStringList{});
    EXPECT_EQ(TextFileLines("a\r\n\r\n\nb"), (QStringList{"a", "", "", "b"}));
    EXPECT_EQ(TextFileLines("cr\ronly\n"), QStringList{"cr\ronly"}); // a lone CR ends nothing
    EXPECT_EQ(TextFileLines("caf\xe9\n"), QStringList{QString::fromLatin1("caf\xe9")});
}

class SummaryTest : public ::testing::Test {
protected:
    QString CaseDir() const { return dir.path() + QStringLiteral("/1979-04-10/"); }
    QTemporaryDir dir;
};

TEST_F(SummaryTest, OnlyTheDiscussion) {
    test::WriteFile(CaseDir() + "fcst.txt", "Line one\r\nLine two\r\n");
    EXPECT_EQ(SummaryLines(CaseDir(), April10Noon1979),
              (QStringList{"WEATHER SUMMARY", "TUESDAY APRIL 10, 1979", " ", "FORECAST DISCUSSION",
                           "Line one", "Line two", " ", " "}));
}

TEST_F(SummaryTest, BothFilesInOrder) {
    test::WriteFile(CaseDir() + "narr.txt", "Storms fired on the dryline.");
    test::WriteFile(CaseDir() + "fcst.txt", "Expect supercells.\n");
    EXPECT_EQ(SummaryLines(CaseDir(), April10Noon1979),
              (QStringList{"WEATHER SUMMARY", "TUESDAY APRIL 10, 1979", " ", "WEATHER SUMMARY",
                           "Storms fired on the dryline.", " ", " ", "FORECAST DISCUSSION",
                           "Expect supercells.", " ", " "}));
}

TEST_F(SummaryTest, NoFilesOrNoFolder) {
    const QStringList expected{"WEATHER SUMMARY", "TUESDAY APRIL 10, 1979", " ",
                               "No summary files found."};
    QDir().mkpath(CaseDir());
    EXPECT_EQ(SummaryLines(CaseDir(), April10Noon1979), expected);
    EXPECT_EQ(SummaryLines(dir.path() + "/absent/", April10Noon1979), expected);
}

TEST_F(SummaryTest, AFileThatCannotBeReadStopsTheSummary) {
    // A folder where the file should be exists but cannot be read as a file.
    QDir().mkpath(CaseDir() + "narr.txt");
    EXPECT_THROW(SummaryLines(CaseDir(), April10Noon1979), FileError);
}

} // namespace
} // namespace nimbrel
