#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "base/mask.h"
#include "support/test_support.h"

using namespace nimbrel;

TEST(Mask, QuestionMarkIsOneCharacterAndStarAnyRun) {
    EXPECT_TRUE(MatchesMask("satv-790410-1200.jpg", "satv-??????-????*"));
    EXPECT_TRUE(MatchesMask("SATV-790410-1200", "satv-??????-????*"));
    EXPECT_FALSE(MatchesMask("satv-79041-1200.jpg", "satv-??????-????*"));
    EXPECT_TRUE(MatchesMask("1979-04-10", "????-??-??"));
    EXPECT_FALSE(MatchesMask("1979-04-100", "????-??-??"));
    EXPECT_FALSE(MatchesMask("maps", "????-??-??"));
    EXPECT_TRUE(MatchesMask("skew-790411-0000-okc.gif", "skew-??????-????-okc.gif"));
    EXPECT_FALSE(MatchesMask("skew-790411-0000-oun.gif", "skew-??????-????-okc.gif"));
    EXPECT_TRUE(MatchesMask("x_AREA_index", "*area*"));
    EXPECT_TRUE(MatchesMask("a.meta", "*.meta"));
    EXPECT_FALSE(MatchesMask("a.metadata", "*.meta"));
    EXPECT_TRUE(MatchesMask("", "*"));
    EXPECT_FALSE(MatchesMask("", "?"));
    // A pathological mask stays fast: no exponential backtracking.
    EXPECT_FALSE(MatchesMask(QString(200, 'a'), QStringLiteral("*a*a*a*a*a*a*a*a*b")));
}

TEST(Mask, ListingTakesFilesAndFoldersUpToTheLimit) {
    QTemporaryDir dir;
    QDir d(dir.path());
    d.mkdir("1979-04-10");
    d.mkdir("maps");
    test::WriteFile(dir.filePath("2007-05-04"), "file, not folder");
    test::WriteFile(dir.filePath(".003-05-04"), "hidden");
    QStringList all = ListMatching(dir.path(), "????-??-??");
    all.sort();
    EXPECT_EQ(all, QStringList({".003-05-04", "1979-04-10", "2007-05-04"}));
    EXPECT_EQ(ListMatching(dir.path(), "????-??-??", 2).size(), 2);
    EXPECT_TRUE(ListMatching(dir.filePath("absent"), "*").isEmpty());
}
