// nimbrel-disc soundings: which soundings become frames of a day, under which name, and
// what is listed as skipped; and the JSON of --info.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "disc/disc_soundings.h"
#include "viewer/decoders.h"

namespace nimbrel::disc {
namespace {

const QString Shared = QStringLiteral(NIMBREL_SHARED_DATA "/soundings/");

TEST(SoundingKit, DayFramesFromArchiveFiles) {
    if (!QFileInfo::exists(Shared)) GTEST_SKIP() << "missing " << qPrintable(Shared);
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    const QString day = root + QStringLiteral("2006-04-07/");
    ASSERT_TRUE(QDir().mkpath(day));
    // A frame under the row's first identifier (SEP of "SEP/FWD"), which the picker would
    // otherwise show instead of the FWD frames.
    QFile sep(day + QStringLiteral("skew-060407-1200-sep.gif"));
    ASSERT_TRUE(sep.open(QIODevice::WriteOnly));
    sep.write("GIF89a");
    sep.close();
    const QStringList lines =
        WriteSoundingFrames(root, QStringLiteral("2006-04-07"),
                            {Shared + QStringLiteral("FWD_20060407_00Z.sharppy-sars-hail.txt"),
                             Shared + QStringLiteral("DDC_20160522_00Z.uwyo.txt"),
                             Shared + QStringLiteral("BNA_20140728_00Z.sharppy-spc.txt")});
    ASSERT_EQ(lines.size(), 4) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("2006-04-07/skew-060407-0000-fwd.gif: FWD")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("renamed to skew-060407-1200-fwd.gif")));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("skipped DDC 2016-05-22T00:00:00Z")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("not a station of the table")));
    EXPECT_EQ(QDir(day).entryList(QDir::Files),
              (QStringList{"skew-060407-0000-fwd.gif", "skew-060407-1200-fwd.gif"}));
    EXPECT_EQ(DecodeGifFile(day + QStringLiteral("skew-060407-0000-fwd.gif")).size(),
              QSize(480, 600));
    // A day name that leads out of the disc is refused.
    EXPECT_ANY_THROW(WriteSoundingFrames(root, QStringLiteral("../x"), {}));
}

TEST(SoundingKit, InfoJsonHasEveryFieldAndNullWhereNothingExists) {
    const QString boise = Shared + QStringLiteral("BOI_20101209_12Z.uwyo.txt");
    if (!QFileInfo::exists(boise)) GTEST_SKIP() << "missing " << qPrintable(boise);
    const QJsonArray all = QJsonDocument::fromJson(SoundingInfoJson({boise})).array();
    ASSERT_EQ(all.size(), 1);
    const QJsonObject o = all[0].toObject();
    EXPECT_EQ(o[QStringLiteral("station")].toString(), QStringLiteral("BOI"));
    EXPECT_EQ(o[QStringLiteral("time")].toString(), QStringLiteral("2010-12-09T12:00:00Z"));
    for (const char* key : {"pw_mm", "lapse_700_500", "freezing_level_m", "shear_0_1_kt",
                            "shear_0_6_kt", "bunkers_right", "bunkers_left", "srh_0_1", "srh_0_3"})
        EXPECT_TRUE(o.contains(QLatin1String(key))) << key;
    // A December morning in Boise: a stable sounding, its surface parcel has no LFC.
    const QJsonObject sb = o[QStringLiteral("sb")].toObject();
    EXPECT_EQ(sb[QStringLiteral("cape")].toDouble(), 0.0);
    EXPECT_TRUE(sb[QStringLiteral("lfc_m")].isNull());
    EXPECT_TRUE(sb[QStringLiteral("el_m")].isNull());
    EXPECT_GT(sb[QStringLiteral("lcl_m")].toDouble(), 0.0);
}

} // namespace
} // namespace nimbrel::disc
