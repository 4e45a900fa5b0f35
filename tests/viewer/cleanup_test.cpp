#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/errors.h"
#include "support/test_support.h"
#include "viewer/cleanup.h"

namespace nimbrel {
namespace {

class CleanupTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp_.isValid());
        root_ = temp_.path() + QStringLiteral("/disc/");
        archive_ = root_ + QStringLiteral("mcv-files/");
        ASSERT_TRUE(QDir().mkpath(archive_));
    }
    void Put(const QString& relative, const QByteArray& bytes = "data") {
        test::WriteFile(root_ + relative, bytes);
    }
    bool Exists(const QString& relative) const { return QFileInfo::exists(root_ + relative); }
    QString Run(const QString& archive) {
        return RunCleanup(root_, archive, prompts_, [this](const QString& c) { captions_ << c; });
    }
    int CountFiles(const QString& relative) const {
        return static_cast<int>(QDir(root_ + relative).entryList(QDir::Files).size());
    }

    QTemporaryDir temp_;
    QString root_, archive_;
    test::RecordingPrompts prompts_;
    QStringList captions_;
};

TEST_F(CleanupTree, DeletesRawFilesMovesMcvAndKeepsTheRest) {
    const QString day = QStringLiteral("1979-04-10/");
    for (const char* name : {"GOES-AREA0001", "x.BAND4", "robots.txt", "obs.meta", "metar.txt",
                             "upper-air.txt", "index.html", "lowarea.txt"})
        Put(day + QString::fromLatin1(name));
    Put(day + QStringLiteral("AREA-index.dat")); // matches two patterns
    Put(day + QStringLiteral("sat.mcv"), "mcv contents");
    Put(day + QStringLiteral("satv-790410-1200.gif"));
    Put(day + QStringLiteral("rpt.dat"));
    Put(QStringLiteral("maps/AREA-keep")); // not a case folder

    EXPECT_EQ(Run(archive_), QStringLiteral("Done!"));

    EXPECT_EQ(QDir(root_ + day).entryList(QDir::Files, QDir::Name),
              (QStringList{"rpt.dat", "satv-790410-1200.gif"}));
    EXPECT_TRUE(Exists(QStringLiteral("maps/AREA-keep")));
    EXPECT_EQ(test::ReadFile(archive_ + QStringLiteral("sat.mcv")), QByteArray("mcv contents"));
    EXPECT_TRUE(prompts_.Shown.isEmpty());

    // The file matching two patterns is deleted once, under the first.
    EXPECT_EQ(captions_.count(QStringLiteral("Deleting ") + root_ + day +
                              QStringLiteral("AREA-index.dat")),
              1);
    // Nine deletions announced; the move is not.
    EXPECT_EQ(captions_.size(), 9);
    for (const QString& c : captions_)
        EXPECT_FALSE(c.contains(QStringLiteral(".mcv")));
}

TEST_F(CleanupTree, FolderMatchingAPatternIsReportedAndTheRunGoesOn) {
    const QString day = QStringLiteral("2007-05-04/");
    Put(day + QStringLiteral("BANDS/inside"));
    Put(day + QStringLiteral("upper.txt"));
    EXPECT_EQ(Run(archive_), QStringLiteral("Done!"));
    EXPECT_EQ(prompts_.Shown, QStringList{QStringLiteral("I:Had trouble deleting ") + root_ + day +
                                          QStringLiteral("BANDS")});
    EXPECT_FALSE(Exists(day + QStringLiteral("upper.txt")));
    EXPECT_TRUE(Exists(day + QStringLiteral("BANDS/inside")));
}

TEST_F(CleanupTree, LinksOutOfTheDiscAreSkippedAndReported) {
    const QString outside = temp_.path() + QStringLiteral("/outside/");
    test::WriteFile(outside + QStringLiteral("AREA-mine"), "keep");
    test::WriteFile(outside + QStringLiteral("metar.txt"), "keep");
    ASSERT_TRUE(QFile::link(outside, root_ + QStringLiteral("1979-04-10")));
    Put(QStringLiteral("2007-05-04/upper.txt"));
    ASSERT_TRUE(QFile::link(outside + QStringLiteral("metar.txt"),
                            root_ + QStringLiteral("2007-05-04/metar.txt")));
    EXPECT_EQ(Run(archive_), QStringLiteral("Done!"));
    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("AREA-mine")));
    EXPECT_TRUE(QFileInfo::exists(outside + QStringLiteral("metar.txt")));
    EXPECT_FALSE(Exists(QStringLiteral("2007-05-04/upper.txt")));
    ASSERT_EQ(prompts_.Shown.size(), 2);
    for (const QString& line : prompts_.Shown)
        EXPECT_TRUE(line.contains("leads outside the disc folder")) << line.toStdString();
}

TEST_F(CleanupTree, FailedArchiveCopyStopsTheRunAndKeepsWorkDone) {
    const QString day = QStringLiteral("1979-04-10/");
    Put(day + QStringLiteral("AREA1"));
    Put(day + QStringLiteral("one.mcv"));
    Put(day + QStringLiteral("two.meta"));
    const QString missingArchive = root_ + QStringLiteral("no-such-folder/");
    EXPECT_THROW(Run(missingArchive), FileError);
    EXPECT_FALSE(Exists(day + QStringLiteral("AREA1")));   // done before the failure
    EXPECT_TRUE(Exists(day + QStringLiteral("one.mcv")));  // not lost
    EXPECT_TRUE(Exists(day + QStringLiteral("two.meta"))); // never reached
    EXPECT_EQ(captions_.last(),
              QStringLiteral("Deleting ") + root_ + day + QStringLiteral("AREA1"));
    EXPECT_FALSE(QFileInfo::exists(missingArchive)); // the tool does not create it

    // No archive folder known at all: stops the same way.
    EXPECT_THROW(Run(QString()), FileError);
    EXPECT_TRUE(Exists(day + QStringLiteral("one.mcv")));
}

TEST_F(CleanupTree, TakesAtMost300MatchesPerPatternAndFolder) {
    for (int i = 0; i < 301; ++i)
        Put(QStringLiteral("1979-04-10/AREA%1").arg(i, 3, 10, QLatin1Char('0')));
    Run(archive_);
    EXPECT_EQ(CountFiles(QStringLiteral("1979-04-10")), 1);
    Run(archive_); // the next run takes the rest
    EXPECT_EQ(CountFiles(QStringLiteral("1979-04-10")), 0);
}

TEST_F(CleanupTree, TakesAtMost300CaseFolders) {
    int made = 0;
    for (int year = 1950; year < 2000 && made < 301; ++year)
        for (int month = 1; month <= 12 && made < 301; ++month, ++made)
            Put(QStringLiteral("%1-%2-01/AREA").arg(year).arg(month, 2, 10, QLatin1Char('0')));
    ASSERT_EQ(made, 301);
    Run(archive_);
    int left = 0;
    for (const QString& folder : QDir(root_).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        left += CountFiles(folder);
    EXPECT_EQ(left, 1);
}

TEST_F(CleanupTree, NoCaseFoldersIsDoneAtOnce) {
    EXPECT_EQ(Run(archive_), QStringLiteral("Done!"));
    EXPECT_TRUE(captions_.isEmpty());
}

} // namespace
} // namespace nimbrel

namespace nimbrel {

TEST(CleanupArchive, SameNamedRawFilesOfSeveralDaysAreAllKept) {
    QTemporaryDir temp;
    const QString root = temp.path() + QStringLiteral("/disc/");
    const QString archive = root + QStringLiteral("mcv-files/");
    ASSERT_TRUE(QDir().mkpath(archive));
    test::WriteFile(archive + "sat.mcv", "archived earlier");
    for (const QString day : {"1979-04-10", "1980-06-03", "1999-05-03"})
        test::WriteFile(root + day + "/sat.mcv", day.toLatin1());
    test::WriteFile(archive + "1980-06-03_sat.mcv", "another earlier one");
    test::RecordingPrompts prompts;
    RunCleanup(root, archive, prompts, [](const QString&) {});
    EXPECT_EQ(test::ReadFile(archive + "sat.mcv"), "archived earlier");
    EXPECT_EQ(test::ReadFile(archive + "1979-04-10_sat.mcv"), "1979-04-10");
    EXPECT_EQ(test::ReadFile(archive + "1980-06-03_sat-2.mcv"), "1980-06-03");
    EXPECT_EQ(test::ReadFile(archive + "1999-05-03_sat.mcv"), "1999-05-03");
    ASSERT_EQ(prompts.Shown.size(), 1);
    EXPECT_TRUE(prompts.Shown[0].contains("1980-06-03/sat.mcv -> 1980-06-03_sat-2.mcv"))
        << prompts.Shown[0].toStdString();
}

} // namespace nimbrel
