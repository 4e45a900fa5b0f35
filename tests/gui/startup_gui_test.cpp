// Start-up as the program runs it: the first chart is decoded while the window is built,
// and the window shows the same frame a show that decodes it itself would show.
#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include "app/preferences.h"
#include "app/startup.h"
#include "gui/gui_support.h"
#include "ui/imageview.h"
#include "viewer/decoders.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

/// The sample disc this build assembled (<build>/share/nimbrel/disc/), or "".
QString StagedDisc() {
    const QString disc = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../../share/nimbrel/disc")) +
                         QLatin1Char('/');
    return QFileInfo::exists(disc + QStringLiteral("1979-04-10/satv-790410-1200.jpg")) &&
                   QFileInfo::exists(disc + QStringLiteral("1979-04-10/satv-790410-1300.jpg"))
               ? disc
               : QString();
}

/// The picture on screen once the program's start-up has shown the main window, found
/// on the disc at `discRoot` (the folder last chosen with Change CD location); `between`
/// runs after the window is built and before it is shown.
QImage FirstPictureShown(const QString& discRoot, const std::function<void()>& between = {}) {
    {
        QSettings store = PreferenceStore();
        WriteString(store, QStringLiteral("Window"), QStringLiteral("CaseRoot"), discRoot);
    }
    GuiFixture f; // built as main() builds it: ProgramStarting() holds
    EXPECT_EQ(f.Form->State().Folders.CaseDirectory, discRoot + QStringLiteral("1979-04-10/"));
    if (between) between();
    f.Form->show();
    QApplication::processEvents();
    EXPECT_TRUE(f.Errors.isEmpty()) << f.Errors.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(f.Form->ProdTimeLabel->text(), QStringLiteral("12:00 UTC"));
    return f.Form->Image1->Picture();
}

} // namespace

TEST(StartUp, TheFirstPictureIsTheNoonFrameDecodedAheadAndAChangedFileIsDecodedAgain) {
    const QString disc = StagedDisc();
    if (disc.isEmpty()) GTEST_SKIP() << "the sample disc has not been assembled (share/nimbrel)";
    BeginFontLoading();
    FontLoadingMayUseQt();
    ASSERT_TRUE(ProgramStarting());

    const QString noon = QStringLiteral("1979-04-10/satv-790410-1200.jpg");
    const QImage expected = DecodeJpegFile(disc + noon);
    EXPECT_EQ(FirstPictureShown(disc), expected);
    // Taken once: nothing is left on offer after the first show.
    QImage left;
    EXPECT_FALSE(TakeFirstPicture(disc + noon, left));

    // A frame replaced between the build and the show is shown as it is now.
    QTemporaryDir copy;
    const QString root = copy.path() + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("1979-04-10")));
    ASSERT_TRUE(QFile::copy(disc + noon, root + noon));
    QFile::copy(disc + QStringLiteral("1979-04-10/rpt.dat"),
                root + QStringLiteral("1979-04-10/rpt.dat"));
    const QString later = disc + QStringLiteral("1979-04-10/satv-790410-1300.jpg");
    const QImage replaced = FirstPictureShown(root, [&] {
        QFile::remove(root + noon);
        ASSERT_TRUE(QFile::copy(later, root + noon));
    });
    EXPECT_EQ(replaced, DecodeJpegFile(later));
    EXPECT_NE(replaced, expected);
    FinishStartupWork();
}

TEST(StartUp, ABusLaunchThatCannotSucceedIsSkippedAndNothingElseIs) {
    QProcessEnvironment bare;
    bare.insert(QStringLiteral("DISPLAY"), QStringLiteral(":1"));
    bare.insert(QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/run/user/1000"));
    bare.insert(QStringLiteral("PATH"), QStringLiteral("/opt/tools/bin:/usr/local/bin"));
    QStringList present;
    const auto exists = [&present](const QString& path) { return present.contains(path); };
    EXPECT_EQ(HopelessBusLaunchAddress(bare, exists), QByteArray("unix:path=/run/user/1000/bus"));

    // A bus that can be reached or started is left to libdbus.
    for (const QString& path :
         {QStringLiteral("/run/user/1000/bus"), QStringLiteral("/usr/bin/dbus-launch"),
          QStringLiteral("/opt/tools/bin/dbus-launch")}) {
        present = {path};
        EXPECT_TRUE(HopelessBusLaunchAddress(bare, exists).isEmpty()) << path.toStdString();
    }
    present.clear();
    for (const char* name : {"DISPLAY", "XDG_RUNTIME_DIR"}) {
        QProcessEnvironment without = bare;
        without.remove(QString::fromLatin1(name));
        EXPECT_TRUE(HopelessBusLaunchAddress(without, exists).isEmpty()) << name;
    }
    QProcessEnvironment withBus = bare;
    withBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/x"));
    EXPECT_TRUE(HopelessBusLaunchAddress(withBus, exists).isEmpty());

    // Bytes outside the few a bus address takes as they are are escaped.
    QProcessEnvironment odd = bare;
    odd.insert(QStringLiteral("XDG_RUNTIME_DIR"), QStringLiteral("/tmp/a b%;=,c"));
    EXPECT_EQ(HopelessBusLaunchAddress(odd, exists),
              QByteArray("unix:path=/tmp/a%20b%25%3b%3d%2cc/bus"));
}

TEST(StartUp, AFolderThatRefusesWritesIsSaidOnceAfterTheWindowIsUp) {
    // /proc takes no new files, not even from root.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/proc/nimbrel-test");
    {
        GuiFixture f;
        const QString perUser = f.Form->State().Folders.AppDataDirectory;
        ASSERT_TRUE(perUser.startsWith(QStringLiteral("/proc/nimbrel-test/")));
        QApplication::processEvents();
        EXPECT_TRUE(f.Prompts->Shown.isEmpty()) << "said before the window was shown";
        f.Form->show();
        for (int i = 0; i < 500 && f.Prompts->Shown.isEmpty(); ++i) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(f.Prompts->Shown.size(), 1) << f.Prompts->Shown.join('|').toStdString();
        const QString said = f.Prompts->Shown.front();
        EXPECT_TRUE(said.startsWith(QStringLiteral("W:The folder ") + perUser))
            << said.toStdString();
        EXPECT_TRUE(said.contains(QStringLiteral("does not accept new files")))
            << said.toStdString();
    }
    qputenv("XDG_DATA_HOME", dataHome);
}
