#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "base/datetime.h"
#include "base/errors.h"
#include "support/test_support.h"
#include "viewer/frames.h"

namespace nimbrel {
namespace {

// 10 April 1979 is day 28955 after 30 December 1899.
constexpr double April10_1979 = 28955.0;

DateTime At(double day, int hour, int minute) {
    return day + hour / 24.0 + minute / 1440.0;
}

class FrameFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Folder() const { return dir_.path() + QLatin1Char('/'); }
    void Touch(const QString& name) { test::WriteFile(Folder() + name, "x"); }
    QTemporaryDir dir_;
};

TEST_F(FrameFolder, ListsFramesUpToTheClockInByteOrder) {
    Touch(QStringLiteral("satv-790410-1800.gif")); // exactly at the clock: listed
    Touch(QStringLiteral("satv-790410-1801.gif")); // one minute later: not listed
    Touch(QStringLiteral("satv-790410-1200.jpg"));
    Touch(QStringLiteral("satv-790409-2300.gif"));
    Touch(QStringLiteral("SATV-790410-1700.gif")); // mask ignores case; upper case sorts first
    Touch(QStringLiteral("hsfc-790410-1200.gif")); // another kind
    Touch(QStringLiteral("satv-7904101200.gif"));  // no hyphen where the mask wants one
    ASSERT_TRUE(
        QDir().mkdir(Folder() + QStringLiteral("satv-790410-1500.dir"))); // folders count too

    const QStringList frames =
        BuildFrameList(Folder(), QStringLiteral("satv-??????-????*"), At(April10_1979, 18, 0));
    EXPECT_EQ(frames,
              (QStringList{"SATV-790410-1700.gif", "satv-790409-2300.gif", "satv-790410-1200.jpg",
                           "satv-790410-1500.dir", "satv-790410-1800.gif"}));
}

TEST_F(FrameFolder, ClockAtNoonListsOnlyTheMorningFrames) {
    Touch(QStringLiteral("h500-790410-1200.gif"));
    Touch(QStringLiteral("h500-790411-0000.gif"));
    Touch(QStringLiteral("h500-790410-0000.gif"));
    const QString mask = QStringLiteral("h500-??????-????*");
    EXPECT_EQ(BuildFrameList(Folder(), mask, At(April10_1979, 12, 0)),
              (QStringList{"h500-790410-0000.gif", "h500-790410-1200.gif"}));
    // Twelve hours later the clock's key has rolled over to the next day.
    EXPECT_EQ(BuildFrameList(Folder(), mask, At(April10_1979 + 1, 0, 0)).size(), 3);
}

TEST_F(FrameFolder, MissingOrEmptyFolderGivesEmptyList) {
    EXPECT_TRUE(
        BuildFrameList(Folder(), QStringLiteral("satv-??????-????*"), At(April10_1979, 18, 0))
            .isEmpty());
    EXPECT_TRUE(BuildFrameList(Folder() + QStringLiteral("nothere/"),
                               QStringLiteral("satv-??????-????*"), At(April10_1979, 18, 0))
                    .isEmpty());
}

TEST(ClockTimeKey, IsTwoDigitFieldsWithHyphen) {
    EXPECT_EQ(ClockTimeKey(At(April10_1979, 18, 0)), QStringLiteral("790410-1800"));
    EXPECT_EQ(ClockTimeKey(At(April10_1979 + 1, 3, 0)), QStringLiteral("790411-0300"));
}

TEST(FramesLoadedCaption, OnlyExactlyOneIsSingular) {
    EXPECT_EQ(FramesLoadedCaption(0), QStringLiteral("0 frames loaded"));
    EXPECT_EQ(FramesLoadedCaption(1), QStringLiteral("1 frame loaded"));
    EXPECT_EQ(FramesLoadedCaption(2), QStringLiteral("2 frames loaded"));
    EXPECT_EQ(FramesLoadedCaption(12), QStringLiteral("12 frames loaded"));
}

TEST(SoundingMasks, SecondIdentifierOnlyWhenPresent) {
    EXPECT_EQ(SoundingMasks(QStringLiteral("OKC/OUN")),
              (QStringList{"skew-??????-????-okc.gif", "skew-??????-????-oun.gif"}));
    EXPECT_EQ(SoundingMasks(QStringLiteral("DEN")), QStringList{"skew-??????-????-den.gif"});
}

TEST(FrameValidTime, CenturyFollowsTheFirstYearDigit) {
    EXPECT_DOUBLE_EQ(FrameValidTime(QStringLiteral("satv-790410-1800.gif")),
                     At(April10_1979, 18, 0));
    EXPECT_DOUBLE_EQ(FrameValidTime(QStringLiteral("h500-050504-0000.jpg")), 38476.0); // 2005
    EXPECT_DOUBLE_EQ(FrameValidTime(QStringLiteral("h500-491231-2359.gif")),
                     At(54788.0, 23, 59));                                             // 2049
    EXPECT_DOUBLE_EQ(FrameValidTime(QStringLiteral("h500-500101-0000.gif")), 18264.0); // 1950
    EXPECT_DOUBLE_EQ(FrameValidTime(QStringLiteral("skew-790410-1200-okc.gif")),
                     At(April10_1979, 12, 0));
}

TEST(FrameValidTime, InvalidDateNamesTheTextBuiltFromTheName) {
    auto messageFor = [](const char* name) -> QString {
        try {
            FrameValidTime(QString::fromLatin1(name));
        } catch (const ConvertError& e) {
            return e.Message();
        }
        return QStringLiteral("no error");
    };
    EXPECT_EQ(messageFor("satv-791345-1800.gif"),
              QStringLiteral("'13/45/1979 18:00:00' is not a valid date and time"));
    EXPECT_EQ(messageFor("satv-790410-2500.gif"),
              QStringLiteral("'04/10/1979 25:00:00' is not a valid date and time"));
    EXPECT_EQ(messageFor("satv-0402a0-1800.gif"),
              QStringLiteral("'02/a0/2004 18:00:00' is not a valid date and time"));
    EXPECT_EQ(messageFor("satv-0402 1-1800.gif"),
              QStringLiteral("'02/ 1/2004 18:00:00' is not a valid date and time"));
    EXPECT_EQ(messageFor("satv-79"), QStringLiteral("'//1979 ::00' is not a valid date and time"));
}

TEST(ProductLabels, HiddenDateStillShowsTheTime) {
    const DateTime t = At(April10_1979, 18, 0);
    EXPECT_EQ(ProductDateText(t, false), QStringLiteral("Tue 10 Apr 1979"));
    EXPECT_EQ(ProductDateText(t, true), QStringLiteral("--- -- ----"));
    EXPECT_EQ(ProductTimeText(t), QStringLiteral("18:00 UTC"));
}

} // namespace
} // namespace nimbrel
