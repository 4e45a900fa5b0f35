// The readers on real archive files and on the quirks and faults real archives have.
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "base/errors.h"
#include "soundings/diagnostics.h"
#include "soundings/profile.h"

namespace nimbrel::soundings {
namespace {

const QString Shared = QStringLiteral(NIMBREL_SHARED_DATA "/soundings/");

std::vector<Sounding> Read(const char* text) {
    return ReadSoundings(QByteArray(text), QStringLiteral("test.txt"), 0.0);
}

QString ErrorOf(const char* text) {
    try {
        Read(text);
    } catch (const DataError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

TEST(SoundingReaders, SpcTextKeepsRealQuirksOut) {
    // Below-ground row, a repeated pressure (the second completes the first), a level out
    // of pressure order, a level with wind only, a "nan", then the footer's text.
    const auto s = Read("%TITLE%\n OUN   990504/0000 \n\n   LEVEL HGHT TEMP DWPT WDIR WSPD\n"
                        "%RAW%\n"
                        "  959.00,  357.00,  26.70,  20.00,  160.00,  17.48\n"
                        " 1000.00,   -7.00, -9999.00, -9999.00, -9999.00, -9999.00\n"
                        "  850.00, 1397.00,  17.00,  12.50, -9999.00, -9999.00\n"
                        "  900.00,  905.00,  18.40,    nan,  175.00,  38.85\n"
                        "  850.00, 1397.00,  17.00,  12.50,  195.00,  38.85\n"
                        "  700.00, -9999.00, -9999.00, -9999.00,  230.00,  40.00\n"
                        "  500.00, 5800.00, -15.00, -30.00,  240.00,  50.00\n"
                        "%END%\n\n----- Parcel Information-----\nCINH: nan J/kg\n");
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].Station, QStringLiteral("OUN"));
    EXPECT_DOUBLE_EQ(s[0].Launch, EncodeDate(1999, 5, 4));
    const auto& l = s[0].Levels;
    ASSERT_EQ(l.size(), 5u);
    EXPECT_DOUBLE_EQ(l[0].Pressure, 959.0); // the surface; 1000 mb was underground
    EXPECT_DOUBLE_EQ(l[1].Pressure, 900.0);
    EXPECT_TRUE(std::isnan(l[1].DewPoint));
    EXPECT_DOUBLE_EQ(l[2].Pressure, 850.0);
    EXPECT_DOUBLE_EQ(l[2].Speed, 38.85); // the repeated row's wind
    EXPECT_FALSE(l[3].HasThermo());      // wind only, its height filled in between
    EXPECT_TRUE(l[3].HasWind());
    EXPECT_GT(l[3].Height, 1397.0);
    EXPECT_LT(l[3].Height, 5800.0);
}

// IGRA 2 lines laid out column by column as NCEI's format description gives them.
QByteArray IgraHeader(int year, int month, int day, int hour, int release, int levels) {
    return QString::asprintf("#%-11s %4d %02d %02d %02d %04d %4d %-8s %-8s %7d %8d\n",
                             "USM00072357", year, month, day, hour, release, levels, "ncdc6210",
                             "ncdc6210", 352006, -974711)
        .toLatin1();
}
QByteArray IgraLevel(int type, int pascals, int height, int tenthsC, int depression, int dir,
                     int tenthsMs) {
    return QString::asprintf("%1d%1d %5d %6d%c%5d%c%5d%c%5d %5d %5d %5d\n", type, type == 2 ? 1 : 0,
                             -9999, pascals, 'B', height, 'B', tenthsC, 'B', -9999, depression, dir,
                             tenthsMs)
        .toLatin1();
}

// A small IGRA 2 file: two soundings, the first at 1200 UTC given only by its release
// time, the second at 0000 UTC with a height-only level and missing values.
TEST(SoundingReaders, IgraStationFileGivesEverySoundingInItsUnits) {
    const QByteArray file =
        IgraHeader(1999, 5, 3, 99, 1115, 3) + IgraLevel(2, 96500, 357, 223, 88, 160, 88) +
        IgraLevel(1, 85000, 1460, 150, 60, 190, 150) +
        IgraLevel(1, 50000, 5800, -150, 150, 240, 250) + IgraHeader(1999, 5, 4, 0, 2302, 4) +
        IgraLevel(2, 95900, 357, 267, 67, 160, 90) +
        IgraLevel(1, 92500, 671, 198, 70, -9999, -9999) +
        IgraLevel(3, -9999, 1000, -9999, -9999, 180, 200) +
        IgraLevel(1, 70000, 3100, 70, -8888, 230, 220);
    const auto s = ReadSoundings(file, QStringLiteral("USM00072357-data.txt"));
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(StationLetters(s[0].Station), QStringLiteral("OUN"));
    EXPECT_DOUBLE_EQ(s[0].Launch, EncodeDate(1999, 5, 3) + 11 * OneHour);
    EXPECT_DOUBLE_EQ(s[1].Launch, EncodeDate(1999, 5, 4));
    const Level& sfc = s[1].Levels.front();
    EXPECT_DOUBLE_EQ(sfc.Pressure, 959.0);
    EXPECT_DOUBLE_EQ(sfc.Temperature, 26.7);
    EXPECT_NEAR(sfc.DewPoint, 20.0, 1e-9); // 26.7 less a depression of 6.7
    EXPECT_NEAR(sfc.Speed, 9.0 / 0.514444, 1e-6);
    ASSERT_EQ(s[1].Levels.size(), 3u); // the height-only level has no pressure
    EXPECT_TRUE(std::isnan(s[1].Levels[2].DewPoint));
}

TEST(SoundingReaders, BadInputNamesFileAndLine) {
    EXPECT_TRUE(ErrorOf("%TITLE%\n OUN 990504/0000\n%RAW%\n 959, 357, 126.7, 20, 160, 17\n"
                        " 850, 1397, 17, 12, 195, 38\n%END%\n")
                    .contains(QStringLiteral("test.txt, line 4: a temperature of 126.7 C")));
    EXPECT_TRUE(ErrorOf("%TITLE%\n OUN 990504/0000\n%RAW%\n 959, 357, -9999, 20, 160, 17\n%END%\n")
                    .contains(QStringLiteral("no level has both a temperature and a height")));
    EXPECT_TRUE(
        ErrorOf("%TITLE%\n OUN 991304/0000\n%RAW%\n%END%\n").contains(QStringLiteral("line 2")));
    EXPECT_TRUE(ErrorOf("%TITLE%\n OUN 990504/0000\n%RAW%\n 959, 357\n")
                    .contains(QStringLiteral("line 4")));
    EXPECT_TRUE(
        ErrorOf("#USM00072357 1999 05 04 00 2302    9\n").contains(QStringLiteral("line 1")));
    EXPECT_TRUE(ErrorOf("<html>nothing here</html>").contains(QStringLiteral("not a sounding")));
}

// Every real sounding of the shared data reads, and its diagnostics are physically sane.
TEST(SoundingReaders, EveryArchiveFileReadsAndDiagnoses) {
    if (!QFileInfo::exists(Shared)) GTEST_SKIP() << "missing " << qPrintable(Shared);
    int read = 0;
    for (const QString& name : QDir(Shared).entryList({QStringLiteral("*_??Z.*.txt")})) {
        if (name.startsWith(QLatin1String("ALL_"))) continue; // 500/300 mb table, no profile
        SCOPED_TRACE(name.toStdString());
        const auto soundings = ReadSoundingFile(Shared + name);
        ASSERT_EQ(soundings.size(), 1u);
        const Sounding& s = soundings.front();
        EXPECT_EQ(s.Station, name.left(3));
        EXPECT_EQ(FormatDateTime(QStringLiteral("yyyymmdd\"_\"hh"), s.Launch), name.mid(4, 11));
        for (std::size_t k = 1; k < s.Levels.size(); ++k)
            EXPECT_LT(s.Levels[k].Pressure, s.Levels[k - 1].Pressure);
        const Diagnostics d = Diagnose(s);
        for (const Parcel* p : {&d.SurfaceBased, &d.MixedLayer, &d.MostUnstable}) {
            EXPECT_GE(p->Cape, 0.0);
            EXPECT_LE(p->Cin, 0.0);
        }
        EXPECT_GE(d.MostUnstable.Cape, d.SurfaceBased.Cape - 1e-6);
        ++read;
    }
    EXPECT_EQ(read, 39);
}

} // namespace
} // namespace nimbrel::soundings
