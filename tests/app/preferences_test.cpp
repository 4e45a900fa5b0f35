#include "app/preferences.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

class PreferencesTest : public ::testing::Test {
protected:
    QString Path() const { return dir.filePath(QStringLiteral("Nimbrel.ini")); }
    QSettings Store() const { return QSettings(Path(), QSettings::IniFormat); }
    void Put(const QString& name, const QString& text) {
        QSettings s = Store();
        s.setValue(QStringLiteral("Window/") + name, text);
        s.sync();
    }
    QString Stored(const QString& name) const {
        QSettings s = Store();
        return s.value(QStringLiteral("Window/") + name).toString();
    }
    QTemporaryDir dir;
};

TEST_F(PreferencesTest, FirstRunDefaults) {
    QSettings s = Store();
    const WindowPlacement p = ReadPlacement(s);
    EXPECT_EQ(p.Width, 480); // taller than wide
    EXPECT_EQ(p.Height, 640);
    EXPECT_EQ(p.Left, 1);
    EXPECT_EQ(p.Top, 1);
    EXPECT_TRUE(p.Maximized);
}

TEST_F(PreferencesTest, PlacementIsStoredAsDecimalTextNeverBelowZero) {
    {
        QSettings s = Store();
        WritePlacement(s, WindowPlacement{700, 900, -35, -2, false});
    }
    EXPECT_EQ(Stored("Height"), "700");
    EXPECT_EQ(Stored("Width"), "900");
    EXPECT_EQ(Stored("Left"), "0");
    EXPECT_EQ(Stored("Top"), "0");
    EXPECT_EQ(Stored("Maximized"), "0");
    QSettings s = Store();
    const WindowPlacement p = ReadPlacement(s);
    EXPECT_EQ(p.Height, 700);
    EXPECT_EQ(p.Width, 900);
    EXPECT_EQ(p.Left, 0);
    EXPECT_FALSE(p.Maximized);
}

TEST_F(PreferencesTest, ValuesThatAreNotIntegersReadAsDefaults) {
    Put("Height", "tall");
    Put("Width", "12.5");
    Put("Left", "");
    Put("Maximized", "7"); // any non-zero integer is true
    QSettings s = Store();
    const WindowPlacement p = ReadPlacement(s);
    EXPECT_EQ(p.Height, 640);
    EXPECT_EQ(p.Width, 480);
    EXPECT_EQ(p.Left, 1);
    EXPECT_TRUE(p.Maximized);
    EXPECT_FALSE(ReadBool(s, "Window", "Missing", false));
    Put("Flag", "0");
    QSettings again = Store();
    EXPECT_FALSE(ReadBool(again, "Window", "Flag", true));
}

// A damaged store once asked for a window 100,000,000 pixels wide: the window picture
// could not be allocated and the program crashed at every start.
TEST_F(PreferencesTest, AbsurdWindowSizesReadAsDefaults) {
    Put("Width", "100000000");
    Put("Height", "-40");
    Put("Left", "5");
    QSettings s = Store();
    WindowPlacement p = ReadPlacement(s);
    EXPECT_EQ(p.Width, 480);
    EXPECT_EQ(p.Height, 640);
    EXPECT_EQ(p.Left, 5); // the sane values of the same store stay

    Put("Width", "16384"); // the largest size kept
    Put("Height", "0");
    QSettings again = Store();
    p = ReadPlacement(again);
    EXPECT_EQ(p.Width, 16384);
    EXPECT_EQ(p.Height, 640);
    Put("Width", "16385");
    QSettings third = Store();
    EXPECT_EQ(ReadPlacement(third).Width, 480);
}

TEST(WindowPlace, APlaceOffEveryScreenOpensOnThePrimaryOne) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    WindowPlacement p;
    p.Left = p.Top = 100000;
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(0, 0));
    p.Left = 2000; // on the second screen
    p.Top = 30;
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(2000, 30));
    p.Left = -400; // partly off the left edge, still reachable
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(-400, 30));
    // Only 80 x 20 pixels at the bottom of the screen: the title bar cannot be reached.
    p.Top = 1080 - 20;
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(0, 0));
    p.Top = -10; // the title bar above the screen
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(0, 0));
    p.Left = -440; // a 40-pixel sliver of title bar is no grip
    p.Top = 30;
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(0, 0));
    p.Left = 1900; // the title bar across two screens, 20 + 460 pixels: a grip on the second
    EXPECT_EQ(PlaceOnAScreen(p, screens, screens[0]), QPoint(1900, 30));
}

TEST_F(PreferencesTest, MissingSoundSettingReadsAsOn) {
    QSettings s = Store();
    SoundItem item;
    UpdateSoundItem(s, item);
    EXPECT_EQ(item.Caption, "Warning sounds are on (click to change)");
    EXPECT_EQ(item.Tag, 1);
}

TEST_F(PreferencesTest, UnknownSoundValueLeavesTheItemUntilTheFirstClick) {
    Put("WarningSounds", "2");
    QSettings s = Store();
    SoundItem item;
    UpdateSoundItem(s, item);
    EXPECT_EQ(item.Caption, "Warning sounds");
    EXPECT_EQ(item.Tag, 0);
    ToggleWarningSounds(s, item); // tag 0: store 1
    EXPECT_EQ(Stored("WarningSounds"), "1");
    EXPECT_EQ(item.Caption, "Warning sounds are on (click to change)");
    EXPECT_EQ(item.Tag, 1);
}

TEST_F(PreferencesTest, TwoClicksRestoreTheStoredValue) {
    for (const char* start : {"0", "1"}) {
        Put("WarningSounds", start);
        QSettings s = Store();
        SoundItem item;
        UpdateSoundItem(s, item);
        const QString caption = item.Caption;
        ToggleWarningSounds(s, item);
        EXPECT_NE(Stored("WarningSounds"), start);
        EXPECT_NE(item.Caption, caption);
        ToggleWarningSounds(s, item);
        EXPECT_EQ(Stored("WarningSounds"), start);
        EXPECT_EQ(item.Caption, caption);
    }
}

} // namespace
} // namespace nimbrel
