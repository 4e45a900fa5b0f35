// The chart viewer on the real main window: the View menu, the frame list across view
// switches, the loop buttons, the sounding picker, the buffer toggle, print and copy.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "gui/gui_support.h"
#include "ui/imageview.h"
#include "ui/stationmarker.h"
#include "viewer/decoders.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

const QString NoonMessage = QStringLiteral(
    "I:There are no charts to loop yet because the simulation time is only 1200 UTC.  You must use "
    "Advance To Next Hour to reveal more charts.");

/// The shipped per-user files and a case day 1979-04-10 with a few frames (the clock
/// starts at 1200 UTC of that day): two satellite frames valid now, one an hour later,
/// one 250 mb and one 500 mb chart, and soundings of Norman only.
struct ViewerWindow {
    ViewerWindow() {
        app = f.Temp.path() + QStringLiteral("/appdata/");
        root = f.Temp.path() + QStringLiteral("/disc/");
        day = root + QStringLiteral("1979-04-10/");
        QDir().mkpath(app);
        QDir().mkpath(day);
        const QString shipped = ShippedDataDir() + QStringLiteral("appdata/");
        for (const QString& name : QDir(shipped).entryList(QDir::Files))
            QFile::copy(shipped + name, app + name);
        const QString chart = TestDataDir() + QStringLiteral("images/video-001.gif");
        const QString sounding = TestDataDir() + QStringLiteral("images/video-005.gray.gif");
        for (const char* name :
             {"satv-790410-1100.gif", "satv-790410-1200.gif", "satv-790410-1300.gif",
              "h250-790410-1200.gif", "h500-790410-1200.gif"})
            QFile::copy(chart, day + QString::fromLatin1(name));
        QFile::copy(sounding, day + QStringLiteral("skew-790410-1200-oun.gif"));
        f.Show(app, root);
    }
    TfMainForm& m() const { return *f.Form; }
    std::vector<QToolButton*> Buttons() const {
        return {m().PlayRevButton, m().StepRevButton, m().PauseButton, m().StepFwdButton,
                m().PlayFwdButton};
    }
    int VisibleMarkers() const {
        int n = 0;
        for (StationMarker* s : m().ScrollContent->findChildren<StationMarker*>())
            if (s->isVisible()) ++n;
        return n;
    }
    GuiFixture f;
    QString app, root, day;
};

const QStringList SatelliteNow{"satv-790410-1100.gif", "satv-790410-1200.gif"};

} // namespace

TEST(ViewerWindow, FirstShowListsTheFramesValidAtNoon) {
    ViewerWindow w;
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(w.m().State().Player.Frames, SatelliteNow);
    EXPECT_EQ(w.m().State().Player.FrameIndex, 1);
    EXPECT_EQ(w.m().FramesLoaded->text(), QStringLiteral("2 frames loaded"));
    EXPECT_EQ(w.m().ProdTimeLabel->text(), QStringLiteral("12:00 UTC"));
    EXPECT_EQ(w.m().ProdDateLabel->text(), QStringLiteral("Tue 10 Apr 1979"));
    EXPECT_EQ(w.m().Image1->size(), QSize(150, 103));
}

TEST(ViewerWindow, ViewMenuSwitchesKeepTheFrameListAndSetTheButtons) {
    ViewerWindow w;
    w.m().Targeting1->trigger();
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    for (QToolButton* b : w.Buttons())
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(w.m().Targeting1->isChecked());
    EXPECT_FALSE(w.m().Visiblesatellite1->isChecked());
    EXPECT_TRUE(w.m().ReportsTimer.isActive());
    EXPECT_EQ(w.m().ProdTimeLabel->text(), w.m().CurTimeLabel->text());
    EXPECT_EQ(w.m().State().Player.Frames, SatelliteNow);
    EXPECT_EQ(w.m().FramesLoaded->text(), QStringLiteral("2 frames loaded"));

    w.m().Sounding1->trigger();
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    for (QToolButton* b : w.Buttons())
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(w.m().Sounding1->isChecked());
    EXPECT_FALSE(w.m().Targeting1->isChecked());
    EXPECT_FALSE(w.m().ReportsTimer.isActive());
    EXPECT_EQ(w.VisibleMarkers(), 20);
    EXPECT_EQ(w.m().Image1->size(), QSize(400, 600)); // the station map alone
    EXPECT_EQ(w.m().State().Player.Frames, SatelliteNow);
    EXPECT_EQ(w.m().FramesLoaded->text(), QStringLiteral("2 frames loaded"));

    // Markers sit centred on their stations: row 1 (DEN) at (83, 228).
    const StationMarker* den = w.m().StationMarkers[0];
    ASSERT_NE(den, nullptr);
    EXPECT_EQ(den->geometry(), QRect(83 - 15, 228 - 15, 30, 30));

    // Leaving the sounding view removes the markers.
    w.m().N500mb1->trigger();
    EXPECT_EQ(w.VisibleMarkers(), 0);
    EXPECT_FALSE(w.m().StationMarkersExist);
    EXPECT_EQ(w.m().State().Player.Frames, QStringList{"h500-790410-1200.gif"});
    EXPECT_EQ(w.m().FramesLoaded->text(), QStringLiteral("1 frame loaded"));
}

TEST(ViewerWindow, StationPickFallsBackToTheSecondIdentifier) {
    ViewerWindow w;
    w.m().Sounding1->trigger();
    const QImage stationMap = w.m().Image1->Picture();
    StationMarker* okc = w.m().StationMarkers[9]; // row 10, "OKC/OUN"
    ASSERT_NE(okc, nullptr);
    QTest::mouseClick(okc, Qt::LeftButton);
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_EQ(w.m().State().Player.Frames, QStringList{"skew-790410-1200-oun.gif"});
    EXPECT_EQ(w.m().FramesLoaded->text(), QStringLiteral("1 frame loaded"));
    // The empty search for OKC said so, and nothing has written the panel since.
    EXPECT_EQ(w.m().StatusPanel2->text(), QStringLiteral("No images loaded"));
    // The sounding (150 x 103) is drawn beside the map's band.
    const QImage& view = w.m().Image1->Picture();
    ASSERT_EQ(view.size(), QSize(550, 103));
    EXPECT_EQ(view.copy(0, 0, 400, 103), stationMap.copy(0, 0, 400, 103));
    const QImage sounding = DecodeGifFile(w.day + QStringLiteral("skew-790410-1200-oun.gif"));
    EXPECT_EQ(view.copy(400, 0, 150, 103), sounding);
}

TEST(ViewerWindow, LoopButtonsAtNoonWarnAndTheLoopSurvives250mbOnly) {
    ViewerWindow w;
    QTest::mouseClick(w.m().StepRevButton, Qt::LeftButton);
    EXPECT_EQ(w.f.Prompts->Shown, QStringList{NoonMessage});
    EXPECT_EQ(w.m().State().Player.FrameIndex, 0); // the command was carried out

    QTest::mouseClick(w.m().PlayFwdButton, Qt::LeftButton);
    EXPECT_EQ(w.f.Prompts->Shown.count(NoonMessage), 2);
    EXPECT_TRUE(w.m().SatelliteTimer.isActive());
    EXPECT_EQ(w.m().State().Player.LoopDirection, 1);

    w.m().N250mb1->trigger();
    EXPECT_TRUE(w.m().SatelliteTimer.isActive());
    EXPECT_EQ(w.m().State().Player.Frames, QStringList{"h250-790410-1200.gif"});
    w.m().N500mb1->trigger();
    EXPECT_FALSE(w.m().SatelliteTimer.isActive());
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
}

TEST(ViewerWindow, SpeedSlidersLabelAndTheLoopSpeedAppliesAtOnce) {
    ViewerWindow w;
    EXPECT_EQ(w.m().LoopSpeedText->text(), QStringLiteral("Loop speed"));
    w.m().LoopSpeed->setValue(700);
    EXPECT_EQ(w.m().LoopSpeedText->text(), QStringLiteral("Loop speed = 700 ms"));
    EXPECT_EQ(w.m().SatelliteTimer.interval(), 700);
    w.m().DwellSpeed->setValue(2500);
    EXPECT_EQ(w.m().DwellSpeedText->text(), QStringLiteral("Dwell speed = 2500 ms"));
    EXPECT_EQ(w.m().SatelliteTimer.interval(), 700);
}

TEST(ViewerWindow, HourlyAdvanceShowsTheNewFrame) {
    ViewerWindow w;
    w.m().HourlyAdvance();
    EXPECT_EQ(w.m().State().Player.Frames.size(), 3);
    EXPECT_EQ(w.m().State().Player.Frames.last(), QStringLiteral("satv-790410-1300.gif"));
    EXPECT_EQ(w.m().FramesLoaded->text(), QStringLiteral("3 frames loaded"));
    EXPECT_EQ(w.m().ProdTimeLabel->text(), QStringLiteral("13:00 UTC"));
}

TEST(ViewerWindow, FrameWithABadDateStopsAfterThePicture) {
    ViewerWindow w;
    // Day 00 sorts before the others and is listed (its key is before the clock's).
    QFile::copy(TestDataDir() + QStringLiteral("images/video-005.gray.gif"),
                w.day + QStringLiteral("satv-790400-1100.gif"));
    w.m().Visiblesatellite1->trigger();
    QTest::mouseClick(w.m().PauseButton, Qt::LeftButton);
    w.m().State().Player.FrameIndex = 1;
    QTest::mouseClick(w.m().StepRevButton, Qt::LeftButton);
    EXPECT_EQ(w.f.Errors, QStringList{"'04/00/1979 11:00:00' is not a valid date and time"});
    EXPECT_EQ(w.m().ProdTimeLabel->text(), QStringLiteral("12:00 UTC")); // unchanged
    EXPECT_EQ(w.m().Image1->Picture().pixel(0, 0),
              DecodeGifFile(w.day + QStringLiteral("satv-790400-1100.gif")).pixel(0, 0));
}

TEST(ViewerWindow, ShowBufferTogglesAndCaptions) {
    ViewerWindow w;
    w.m().ShowBufferClick();
    EXPECT_EQ(w.m().windowTitle(), QStringLiteral("BUFFERED IMAGE"));
    EXPECT_TRUE(w.m().BufImg->isVisible());
    EXPECT_FALSE(w.m().Image1->isVisible());
    w.m().ShowBufferClick();
    EXPECT_EQ(w.m().windowTitle(), QStringLiteral("Regular Image"));
    EXPECT_FALSE(w.m().BufImg->isVisible());
    EXPECT_TRUE(w.m().Image1->isVisible());
}

TEST(ViewerWindow, PrintsToAPdfAndCopiesToTheClipboard) {
    ViewerWindow w;
    const QString pdf = w.f.Temp.path() + QStringLiteral("/chart.pdf");
    w.m().ThePrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
    w.m().ThePrinter->setOutputFormat(QPrinter::PdfFormat);
    w.m().ThePrinter->setOutputFileName(pdf);
    w.m().Print1->trigger();
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.m().ThePrinter->docName(), QStringLiteral("Kestrane map"));

    w.m().Copygraphictoclipboard1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), w.m().Image1->Picture().size());
}

TEST(ViewerWindow, PrinterSetupChoosesThePrinterThatLaterPrintsUse) {
    ViewerWindow w;
    const QString pdf = w.f.Temp.path() + QStringLiteral("/chosen.pdf");
    bool printerOffered = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<QPrintDialog*>(modal);
        if (!dialog) {
            if (modal) modal->close();
            return;
        }
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* file = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        printerOffered = printers && file;
        if (printerOffered) {
            // Without a print system the one printer on offer writes a PDF file.
            printers->setCurrentIndex(printers->findText(QStringLiteral("PDF"), Qt::MatchContains));
            file->setText(pdf);
        }
        dialog->accept();
    });
    w.m().Printersetup1->trigger();
    ASSERT_TRUE(printerOffered);
    w.m().Print1->trigger();
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
}

TEST(ViewerWindow, PrintingWithNowhereToPrintSaysSoAndRestoresTheCursor) {
    ViewerWindow w;
    w.m().ThePrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
    w.m().ThePrinter->setOutputFormat(QPrinter::PdfFormat); // a file printer without a file
    w.m().Print1->trigger();
    EXPECT_EQ(w.f.Errors, QStringList{"There is no default printer currently selected"});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ViewerWindow, AFailingTickStopsItsOwnTimerAndReportsOnce) {
    ViewerWindow w;
    // The loop runs onto a frame that is no picture: one message, the loop stops there.
    test::WriteFile(w.day + QStringLiteral("satv-790410-1100.gif"), "not a picture");
    w.m().LoopSpeed->setValue(100);
    QTest::mouseClick(w.m().PlayFwdButton, Qt::LeftButton);
    QTest::qWait(600);
    EXPECT_EQ(w.f.Errors.size(), 1) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_FALSE(w.m().SatelliteTimer.isActive());
    EXPECT_EQ(w.m().State().Player.FrameIndex, 0);

    // The report layer fails on a working copy cut short: the report timer stays off.
    w.m().Targeting1->trigger();
    ASSERT_TRUE(w.m().ReportsTimer.isActive());
    test::WriteFile(w.app + QStringLiteral("rpt.dat"), QByteArray(10, '\0'));
    QTest::qWait(1600);
    EXPECT_EQ(w.f.Errors.size(), 2) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_FALSE(w.m().ReportsTimer.isActive());
    EXPECT_TRUE(w.m().Targeting1->isChecked());

    // A view switch that fails goes back to the map and leaves the timer as it found it.
    ASSERT_TRUE(QFile::remove(w.app + QStringLiteral("greatplains.gif")));
    w.m().Sounding1->trigger();
    EXPECT_EQ(w.f.Errors.size(), 3) << w.f.Errors.join(QStringLiteral("; ")).toStdString();
    EXPECT_TRUE(w.m().Targeting1->isChecked());
    EXPECT_FALSE(w.m().ReportsTimer.isActive());
}

TEST(ViewerWindow, FitChartsToWindowScalesFramesKeepingTheirAspect) {
    ViewerWindow w;
    const QSize area = w.m().ScrollBox1->maximumViewportSize();
    w.m().Fitchartstowindow1->trigger();
    const QSize fitted = w.m().Image1->size();
    // The 150 x 103 frame fills the view on one side, with its shape kept.
    EXPECT_TRUE(fitted.width() == area.width() || fitted.height() == area.height())
        << fitted.width() << "x" << fitted.height();
    EXPECT_NEAR(double(fitted.width()) / fitted.height(), 150.0 / 103.0, 0.02);
    EXPECT_EQ(w.m().Image1->Picture().size(), QSize(150, 103)); // the picture is untouched
    // A larger window refits the frame to the larger view.
    w.m().resize(w.m().size() + QSize(300, 200));
    QApplication::processEvents();
    const QSize larger = w.m().ScrollBox1->maximumViewportSize();
    ASSERT_NE(larger, area);
    EXPECT_EQ(w.m().Image1->size(), QSize(150, 103).scaled(larger, Qt::KeepAspectRatio));
    // The station map keeps its pixels (the circles sit on them), and off is 1:1 again.
    w.m().Sounding1->trigger();
    EXPECT_EQ(w.m().Image1->size(), QSize(400, 600));
    w.m().Visiblesatellite1->trigger();
    w.m().Fitchartstowindow1->trigger();
    EXPECT_EQ(w.m().Image1->size(), QSize(150, 103));
}
