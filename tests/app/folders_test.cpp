#include "app/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace nimbrel {
namespace {

// A machine staged for start-up: the paths in `existing` exist, nothing else does.
struct StagedMachine {
    FolderEnvironment Env;
    QSet<QString> Existing;
    test::RecordingPrompts Prompts;
    int LocateCalls = 0;
    std::function<void(DataFolders&)> Locate = [this](DataFolders&) { ++LocateCalls; };

    StagedMachine() {
        Env.ExecutableDir = "/opt/nimbrel/bin/";
        Env.LocalDataFolder = "/home/u/.local/share";
        Env.SampleDiscRoot = "/opt/nimbrel/share/disc";
        Env.Exists = [this](const QString& p) { return Existing.contains(p); };
    }
    DataFolders Settle() {
        DataFolders f;
        SettleFolders(f, Env, Prompts, Locate);
        return f;
    }
};

TEST(SettleFoldersTest, FirstOpticalMediumWins) {
    StagedMachine m;
    m.Env.OpticalMediaRoots = {"/media/cdrom1", "/media/d/", "/media/f/"};
    m.Existing = {"/media/d/", "/media/f/", "/opt/nimbrel/share/disc"}; // cdrom1 is not mounted
    const DataFolders f = m.Settle();
    EXPECT_EQ(f.AppDataDirectory, "/home/u/.local/share/nimbrel/");
    EXPECT_EQ(f.CaseRootDirectory, "/media/d/");
    EXPECT_EQ(f.CaseDirectory, "/media/d/1979-04-10/");
    EXPECT_FALSE(f.DevelopmentMode);
    EXPECT_TRUE(m.Prompts.Shown.isEmpty());
    EXPECT_EQ(m.LocateCalls, 0);
}

TEST(SettleFoldersTest, RememberedFolderThenSampleDisc) {
    StagedMachine m;
    m.Env.RememberedDiscRoot = "/data/cases";
    m.Existing = {"/data/cases", "/opt/nimbrel/share/disc"};
    DataFolders f = m.Settle();
    EXPECT_EQ(f.CaseRootDirectory, "/data/cases/");
    EXPECT_EQ(f.CaseDirectory, "/data/cases/1979-04-10/");

    m.Existing.remove("/data/cases"); // the remembered folder has gone
    f = m.Settle();
    EXPECT_EQ(f.CaseRootDirectory, "/opt/nimbrel/share/disc/");
    EXPECT_TRUE(m.Prompts.Shown.isEmpty());
}

TEST(SettleFoldersTest, NoDiscWarnsAndLocatesAndCancelKeepsTheStartingRoot) {
    StagedMachine m; // nothing exists, not even the sample disc
    const DataFolders f = m.Settle();
    EXPECT_EQ(m.Prompts.Shown, QStringList{"W:Nimbrel cannot locate your CD or DVD drive."});
    EXPECT_EQ(m.LocateCalls, 1);
    EXPECT_EQ(f.CaseRootDirectory, "/opt/nimbrel/share/disc/");
    EXPECT_EQ(FoldersText(f), "CaseRootDirectory is /opt/nimbrel/share/disc/ and CaseDirectory is "
                              "/opt/nimbrel/share/disc/1979-04-10/ and AppDataDirectory is "
                              "/home/u/.local/share/nimbrel/");
}

TEST(SettleFoldersTest, LocatePicksAnyFileAndTakesItsFolder) {
    StagedMachine m;
    m.Locate = [](DataFolders& f) { ApplyPickedDiscFile(f, "/mnt/x/cases/whatever.bin"); };
    const DataFolders f = m.Settle();
    EXPECT_EQ(f.CaseRootDirectory, "/mnt/x/cases/");
    EXPECT_EQ(f.CaseDirectory, "/mnt/x/cases/1979-04-10/");

    DataFolders kept = f;
    ApplyPickedDiscFile(kept, QString()); // a cancelled dialog changes nothing
    EXPECT_EQ(kept.CaseRootDirectory, "/mnt/x/cases/");
    EXPECT_EQ(kept.CaseDirectory, "/mnt/x/cases/1979-04-10/");
}

TEST(SettleFoldersTest, NoLocalDataFolderIsReportedAndStartUpGoesOn) {
    StagedMachine m;
    m.Env.LocalDataFolder.clear();
    m.Existing = {"/opt/nimbrel/share/disc"};
    const DataFolders f = m.Settle();
    EXPECT_EQ(m.Prompts.Shown, QStringList{"I:Had a problem setting AppDataDirectory; set it to "});
    EXPECT_EQ(f.AppDataDirectory, "");
    EXPECT_EQ(f.CaseRootDirectory, "/opt/nimbrel/share/disc/");
}

TEST(SettleFoldersTest, DevelopmentModeOverridesAfterTheOtherSteps) {
    StagedMachine m;
    m.Env.LocalDataFolder.clear();
    m.Env.OpticalMediaRoots = {"/media/d/"};
    m.Existing = {"/opt/nimbrel/bin/designtime", "/media/d/"};
    const DataFolders f = m.Settle();
    EXPECT_TRUE(f.DevelopmentMode);
    EXPECT_EQ(f.AppDataDirectory, "/opt/nimbrel/bin/");
    EXPECT_EQ(f.CaseRootDirectory, "/opt/nimbrel/share/disc/"); // not the optical drive
    EXPECT_EQ(f.CaseDirectory, "/opt/nimbrel/share/disc/1979-04-10/");
    // The earlier steps still ran, messages included.
    EXPECT_EQ(m.Prompts.Shown, QStringList{"I:Had a problem setting AppDataDirectory; set it to "});
}

TEST(SeedFolderTest, FillsWhatIsMissingAndNeverOverwrites) {
    QTemporaryDir dir;
    const QString source = dir.path() + "/installed/", target = dir.path() + "/user/nimbrel/";
    test::WriteFile(source + "nimbrel.cas", "shipped catalogue");
    test::WriteFile(source + "nimbrel.cit", "shipped cities");
    test::WriteFile(source + "sub/inner.txt", "not copied");
    QFile::setPermissions(source + "nimbrel.cit", QFileDevice::ReadOwner);
    test::WriteFile(target + "nimbrel.cas", "the user's own catalogue");

    const QStringList copied = SeedFolder(source, target);
    EXPECT_EQ(copied, QStringList{"nimbrel.cit"});
    EXPECT_EQ(test::ReadFile(target + "nimbrel.cas"), "the user's own catalogue");
    EXPECT_EQ(test::ReadFile(target + "nimbrel.cit"), "shipped cities");
    EXPECT_TRUE(QFile::permissions(target + "nimbrel.cit") & QFileDevice::WriteOwner);
    EXPECT_FALSE(QFileInfo::exists(target + "sub"));

    // A second run finds nothing to do.
    EXPECT_TRUE(SeedFolder(source, target).isEmpty());
}

TEST(SeedFolderTest, AFolderThatRefusesWritesIsNamedWithEveryFileNotCopied) {
    QTemporaryDir dir;
    test::WriteFile(dir.path() + "/installed/nimbrel.cit", "cities");
    test::WriteFile(dir.path() + "/installed/printer.wav", "sound");
    // /proc takes no new files, not even from root.
    const QString refusing = QStringLiteral("/proc/nimbrel-test/");
    QStringList failed;
    EXPECT_TRUE(SeedFolder(dir.path() + "/installed/", refusing, &failed).isEmpty());
    failed.sort();
    EXPECT_EQ(failed, (QStringList{"nimbrel.cit", "printer.wav"}));
    EXPECT_FALSE(FolderTakesWrites(refusing));
    EXPECT_TRUE(FolderTakesWrites(dir.path() + "/fresh/"));
    EXPECT_TRUE(QDir(dir.path() + "/fresh").isEmpty()); // the probe leaves nothing behind

    const QString text = RefusedFolderText(refusing, true, "the map cache", failed);
    EXPECT_TRUE(text.contains(refusing + " does not accept new files")) << text.toStdString();
    EXPECT_TRUE(text.contains("the map cache will not be kept")) << text.toStdString();
    EXPECT_TRUE(text.contains("missing: nimbrel.cit, printer.wav")) << text.toStdString();
    EXPECT_TRUE(RefusedFolderText(dir.path(), false, "the map cache", {}).isEmpty());
}

TEST(SeedFolderTest, CreatesTheTargetAndIgnoresAMissingSource) {
    QTemporaryDir dir;
    test::WriteFile(dir.path() + "/installed/greatplains.gif", "gif");
    const QString target = dir.path() + "/deep/new/folder/";
    EXPECT_EQ(SeedFolder(dir.path() + "/installed/", target), QStringList{"greatplains.gif"});
    EXPECT_TRUE(QFileInfo::exists(target + "greatplains.gif"));

    EXPECT_TRUE(SeedFolder(dir.path() + "/absent/", dir.path() + "/other/").isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/other"));
}

} // namespace
} // namespace nimbrel
