// Issuing products from the Forecast menu of the real main window: the polygon dragged
// on the target map, the product window and its text, the menu states, and a product
// that cannot be built.
#include <functional>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "base/errors.h"
#include "base/records.h"
#include "debrief/score_map.h"
#include "debrief/unotes.h"
#include "debrief/uscore.h"
#include "gui/gui_support.h"
#include "map/projection.h"
#include "products/product_text.h"
#include "products/uproduct.h"
#include "products/wave_bytes.h"
#include "ui/imageview.h"
#include "ui/save_dialog.h"
#include "ui/sound.h"
#include "viewer/decoders.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

/// The shipped per-user files (map, sounds) with a small city list and discussion file
/// of the test's own, and a case root with an empty report file for 10 April 1979.
struct ProductWindow {
    /// `ownTexts` false keeps the shipped city list and discussion file.
    explicit ProductWindow(bool ownTexts = true) {
        app = f.Temp.path() + QStringLiteral("/appdata/");
        root = f.Temp.path() + QStringLiteral("/disc/");
        QDir().mkpath(app);
        QDir().mkpath(root + QStringLiteral("1979-04-10"));
        const QString shipped = ShippedDataDir() + QStringLiteral("appdata/");
        for (const QString& name : QDir(shipped).entryList(QDir::Files))
            QFile::copy(shipped + name, app + name);
        WriteWholeFile(root + QStringLiteral("1979-04-10/rpt.dat"), QByteArray());
        WriteFile(app + QStringLiteral("printer.wav"), WaveBytes());
        WriteFile(app + QStringLiteral("warningtone.wav"), WaveBytes());
        if (!ownTexts) {
            f.Show(app, root);
            return;
        }
        QByteArray gnr = "STORMS LIKELY.\n";
        for (int i = 1; i < 10; ++i)
            gnr += "===\nSTORMS POSSIBLE.\n";
        WriteFile(app + QStringLiteral("nimbrel.gnr"), gnr);
        // Two towns at the ends of the axis the tests drag.
        WriteFile(app + QStringLiteral("nimbrel.cit"), "40000,SOUTHTOWN,X,OKLAHOMA,34.2,-99.2,\n"
                                                       "40000,NORTHTOWN,X,OKLAHOMA,36.3,-97.6,\n");
        f.Show(app, root);
    }
    TfMainForm& m() const { return *f.Form; }
    TfProduct& product() const { return *m().OtherWindows().Product; }

    QPoint Pixel(double latitude, double longitude) const {
        const PixelPoint p =
            ProjectToScreen(m().State().TheViewport, GeoPoint{latitude, longitude});
        return {p.X, p.Y};
    }
    /// Drags the axis from 34.2N 99.2W to 36.3N 97.6W, lays the width off by a mouse
    /// 40 pixels straight below the axis end, and fixes the shape.
    void DragPolygon() {
        m().Targeting1->trigger();
        const QPoint a = Pixel(34.2, -99.2), b = Pixel(36.3, -97.6);
        QTest::mousePress(m().Image1, Qt::LeftButton, {}, a);
        QTest::mouseMove(m().Image1, b);
        QTest::mouseRelease(m().Image1, Qt::LeftButton, {}, b);
        // Two steps: a move to where the pointer already is (the end of an earlier
        // drawing) would not be delivered.
        QTest::mouseMove(m().Image1, b + QPoint(0, 20));
        QTest::mouseMove(m().Image1, b + QPoint(0, 40));
        QTest::mousePress(m().Image1, Qt::LeftButton, {}, b + QPoint(0, 40));
        QTest::mouseRelease(m().Image1, Qt::LeftButton, {}, b + QPoint(0, 40));
    }
    /// Triggers `item`; while the product window is up, reads it and clicks Exit.
    void Issue(QAction* item) {
        shownText.clear();
        shownStatus.clear();
        WhenShown([this] {
            shownText = product().ProductText();
            shownStatus = product().StatusLabel->text();
            product().ExitButton->click();
        });
        item->trigger();
    }
    void WhenShown(std::function<void()> read) {
        QTimer::singleShot(20, &product(), [this, read] {
            if (!product().isVisible()) return WhenShown(read);
            read();
        });
    }
    std::array<bool, 5> MenuStates() const {
        return {m().SlightRisk1->isEnabled(), m().ModerateRisk1->isEnabled(),
                m().HighRisk1->isEnabled(), m().SevereWatch1->isEnabled(),
                m().TornadoWatch1->isEnabled()};
    }

    GuiFixture f;
    QString app, root;
    QStringList shownText;
    QString shownStatus;
};

using States = std::array<bool, 5>;

TEST(ProductsWindow, TornadoWatchOverADraggedPolygon) {
    ProductWindow w;
    w.DragPolygon();
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    ASSERT_TRUE(w.m().State().Polygon.IsSet());
    ASSERT_EQ(w.m().State().Polygon.SideWords, QStringLiteral("NORTH AND SOUTH"));

    // The watch is outlined on the target map as soon as it is issued, in its kind's colour.
    const QRgb watchColour = ProductStyleOf(ProductKind::TornadoWatch).Colour.rgb();
    auto outlined = [&] {
        const QImage& shown = w.m().Image1->Picture();
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                if (shown.pixel(x, y) == watchColour) return true;
        return false;
    };
    ASSERT_FALSE(outlined());
    w.Issue(w.m().TornadoWatch1);
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    EXPECT_TRUE(outlined());
    EXPECT_EQ(w.shownStatus, QStringLiteral("Issuing weather product..."));
    const QStringList& t = w.shownText;
    ASSERT_GE(t.size(), 31) << t.join('|').toStdString();
    EXPECT_EQ(t[0], QStringLiteral("SEL8"));
    EXPECT_EQ(t[3], QStringLiteral("TORNADO WATCH NUMBER 178"));
    EXPECT_EQ(t[8], QStringLiteral("TORNADO WATCH FOR PORTIONS OF "));
    // The axis runs from south-west to north-east across Oklahoma, north Texas to the south.
    EXPECT_TRUE(t.contains(QStringLiteral("       WESTERN OKLAHOMA"))) << t.join('|').toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("EFFECTIVE THIS ---- AFTERNOON FROM 600 AM UNTIL")));
    EXPECT_TRUE(t.contains(QStringLiteral("1200 PM CST.")));
    const QRegularExpression from(QStringLiteral(
        "^MILES NORTH AND SOUTH OF A LINE FROM [05] MILES [A-Z]+ OF SOUTHTOWN OKLAHOMA$"));
    const QRegularExpression to(
        QStringLiteral("^TO [05] MILES [A-Z]+ OF NORTHTOWN OKLAHOMA\\.  FOR A$"));
    EXPECT_EQ(t.filter(from).size(), 1) << t.join('|').toStdString();
    EXPECT_EQ(t.filter(to).size(), 1) << t.join('|').toStdString();
    EXPECT_EQ(t.last(), QStringLiteral(" "));

    // The window kept its text after Exit; the watch closed all five items.
    EXPECT_FALSE(w.product().isVisible());
    EXPECT_EQ(w.product().ProductText(), t);
    EXPECT_EQ(w.MenuStates(), (States{false, false, false, false, false}));
    EXPECT_EQ(w.m().State().LastProductKind, 5);
    EXPECT_EQ(w.m().State().ProductThisHour, 5);

    // The next advance clears the product of the hour; the chasers go out at the watch's
    // 90 % chance (fewer than 30 of 49 would be a one-in-a-billion draw).
    w.m().Advancetonexthour1->trigger();
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    EXPECT_EQ(w.m().State().ProductThisHour, 0);
    EXPECT_EQ(w.m().State().LastProductKind, 5);
    int chasing = 0;
    for (const Chaser& c : w.m().State().Chasers)
        chasing += c.Mode == ChaserMode::Chasing;
    EXPECT_GE(chasing, 30);
}

TEST(ProductsWindow, MenuStatesFollowTheKindsAndTheReset) {
    ProductWindow w;
    // No polygon yet: the message, nothing locked.
    w.m().SlightRisk1->trigger();
    EXPECT_EQ(
        w.f.Prompts->Shown.last(),
        QStringLiteral("I:No watch or outlook polygon was defined!  Please drag on the View > "
                       "Target map to set a polygon."));
    EXPECT_EQ(w.MenuStates(), (States{true, true, true, true, true}));
    EXPECT_EQ(w.m().State().LastProductKind, 0);

    w.DragPolygon();
    w.Issue(w.m().HighRisk1);
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    ASSERT_EQ(w.shownText.size(), 12);
    EXPECT_EQ(w.shownText[0], QStringLiteral("SPC AC --1200Z"));
    EXPECT_TRUE(w.shownText[6].startsWith(QLatin1String("...THERE IS A HIGH RISK OF SVR TSTMS  ")));
    EXPECT_EQ(w.MenuStates(), (States{false, false, false, true, true}));
    EXPECT_EQ(w.m().State().ProductThisHour, 3);

    w.Issue(w.m().SevereWatch1);
    EXPECT_EQ(w.shownText.value(0), QStringLiteral("SEL9"));
    EXPECT_EQ(w.MenuStates(), (States{false, false, false, false, false}));
    EXPECT_EQ(w.m().State().LastProductKind, 4);
    EXPECT_EQ(w.m().State().ProductThisHour, 4);

    w.m().ResetSession();
    EXPECT_EQ(w.MenuStates(), (States{true, true, true, true, true}));
}

TEST(ProductsWindow, AProductThatFailsToBuildChangesNothing) {
    ProductWindow w;
    w.DragPolygon();
    ASSERT_TRUE(QFile::remove(w.app + QStringLiteral("nimbrel.cit")));
    w.m().TornadoWatch1->trigger(); // would block in the modal window if it were shown
    EXPECT_EQ(w.f.Errors, QStringList{"File not found\n" + w.app + "nimbrel.cit"});
    // The items the watch closes stay closed: it used its turn.
    EXPECT_EQ(w.MenuStates(), (States{false, false, false, false, false}));
    EXPECT_EQ(w.m().State().LastProductKind, 0);
    EXPECT_EQ(w.m().State().ProductThisHour, 0);
    EXPECT_FALSE(w.product().isVisible());
    EXPECT_TRUE(w.product().ProductText().isEmpty());

    // A missing sound stops an outlook the same way; the watches stay open, and one goes out.
    w.m().ResetSession();
    w.DragPolygon();
    ASSERT_TRUE(QFile::remove(w.app + QStringLiteral("printer.wav")));
    w.m().SlightRisk1->trigger();
    EXPECT_EQ(w.f.Errors.size(), 2);
    EXPECT_EQ(w.MenuStates(), (States{false, false, false, true, true}));
    EXPECT_EQ(w.m().State().LastProductKind, 0);
    WriteFile(w.app + QStringLiteral("nimbrel.cit"), "40000,SOUTHTOWN,X,OKLAHOMA,34.2,-99.2,\n"
                                                     "40000,NORTHTOWN,X,OKLAHOMA,36.3,-97.6,\n");
    w.Issue(w.m().SevereWatch1);
    EXPECT_EQ(w.f.Errors.size(), 2);
    EXPECT_EQ(w.MenuStates(), (States{false, false, false, false, false}));
    EXPECT_EQ(w.m().State().LastProductKind, 4);
}

TEST(ProductsWindow, AWatchReadsTheSameAtEveryZoomAndPan) {
    ProductWindow w;
    w.DragPolygon();
    w.Issue(w.m().TornadoWatch1);
    const QStringList atStart = w.shownText;
    ASSERT_GE(atStart.size(), 31);
    // Thirteen zoom-ins put every corner thousands of pixels off the map.
    for (int i = 0; i < 13; ++i)
        w.m().Zoomin1->trigger();
    w.m().East1->trigger();
    w.m().North1->trigger();
    w.m().State().ProductItemsEnabled.fill(true);
    w.m().UpdateProductMenu();
    w.Issue(w.m().TornadoWatch1);
    EXPECT_EQ(w.shownText, atStart);
    EXPECT_TRUE(w.f.Prompts->Shown.isEmpty()) << w.f.Prompts->Shown.join('|').toStdString();
    EXPECT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
}

TEST(ProductsWindow, ShippedCityListAndDiscussion) {
    ProductWindow w(false);
    if (!QFile::exists(w.app + "nimbrel.cit") || !QFile::exists(w.app + "nimbrel.gnr"))
        GTEST_SKIP() << "shipped city list or discussion file absent";
    w.DragPolygon();
    ASSERT_EQ(w.m().State().Polygon.SideWords, QStringLiteral("NORTH AND SOUTH"));
    w.Issue(w.m().SlightRisk1);
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    const QStringList outlook = w.shownText;
    ASSERT_GT(outlook.size(), 12); // every shipped paragraph has lines
    EXPECT_TRUE(outlook[6].contains(QLatin1String("WESTERN OKLAHOMA"))) << outlook[6].toStdString();
    EXPECT_EQ(outlook.last(), QStringLiteral("[WHAT YOU THINK WOULD GO HERE]"));

    w.Issue(w.m().TornadoWatch1);
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    const QStringList& t = w.shownText;
    const QRegularExpression from(
        QStringLiteral("^MILES NORTH AND SOUTH OF A LINE FROM [0-9]*[05] MILES [A-Z]+ OF [A-Z][A-Z "
                       ".'-]* [A-Z][A-Z ]*[A-Z]$"));
    const QRegularExpression to(QStringLiteral(
        "^TO [0-9]*[05] MILES [A-Z]+ OF [A-Z][A-Z .'-]* [A-Z][A-Z ]*[A-Z]\\.  FOR A$"));
    EXPECT_EQ(t.filter(from).size(), 1) << t.join('\n').toStdString();
    EXPECT_EQ(t.filter(to).size(), 1) << t.join('\n').toStdString();
    // Of the cities of 30000 or more, Wichita Falls (33.9N 98.5W) lies nearest in degrees
    // to the axis start by 34.2N 99.2W (Lawton is 0.9 degrees off, Wichita Falls 0.8),
    // and Enid (36.4N 97.9W) to the axis end by 36.3N 97.6W.
    EXPECT_TRUE(t.filter(from).value(0).endsWith(QLatin1String(" OF WICHITA FALLS TEXAS")))
        << t.join(QLatin1Char(10)).toStdString();
    EXPECT_TRUE(t.filter(to).value(0).endsWith(QLatin1String(" OF ENID OKLAHOMA.  FOR A")));
}

TEST(ProductsWindow, WindowLayoutAndStatusTimer) {
    ProductWindow w;
    TfProduct& p = w.product();
    EXPECT_EQ(p.windowTitle(), QStringLiteral("Product window"));
    EXPECT_TRUE(p.Memo1->isReadOnly());
    EXPECT_EQ(p.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(p.Memo1->font().pixelSize(), 13);
    EXPECT_EQ(p.ExitButton->text(), QStringLiteral("&Exit"));
    EXPECT_EQ(p.Timer1.interval(), 4000);
    EXPECT_TRUE(p.Timer1.isActive());
    // The longest line a product can have fits without scrolling sideways.
    p.SetProductText({LongestProductLine()});
    p.show();
    QApplication::processEvents();
    EXPECT_EQ(p.Memo1->horizontalScrollBar()->maximum(), 0) << p.width();
    p.hide();

    p.SetProductStatus(QStringLiteral("Issuing weather product..."));
    p.Timer1Timer();
    EXPECT_EQ(p.StatusLabel->text(), QStringLiteral("Completed."));
    p.SetProductStatus(QStringLiteral("still issuing"));
    p.Timer1Timer();
    EXPECT_EQ(p.StatusLabel->text(), QStringLiteral("Completed."));
    p.SetProductStatus(QStringLiteral("Done"));
    p.Timer1Timer();
    EXPECT_EQ(p.StatusLabel->text(), QStringLiteral("Done"));

    // A sound that ends in an error is said, and still said once the status completes.
    p.SetProductStatus(QStringLiteral("Issuing weather product..."));
    emit p.MediaPlayer1->Failed(QStringLiteral("The sound \"x.wav\" could not be played."));
    EXPECT_TRUE(p.StatusLabel->text().endsWith("could not be played."));
    p.Timer1Timer();
    EXPECT_EQ(p.StatusLabel->text(),
              QStringLiteral("Completed.  The sound \"x.wav\" could not be played."));
}

} // namespace

namespace {

// The score at the reveal: products recorded with their corners, the menu item only
// with the date shown, the window's table, its map, Save... and Print.
TEST(ScoreWindow, SlightRiskAndTornadoWatchScoredAtTheReveal) {
    ProductWindow w;
    // The real reports of the case day in the case folder.
    QFile::remove(w.root + QStringLiteral("1979-04-10/rpt.dat"));
    ASSERT_TRUE(QFile::copy(ShippedDataDir() + QStringLiteral("disc/1979-04-10/rpt.dat"),
                            w.root + QStringLiteral("1979-04-10/rpt.dat")));
    w.m().State().Clock.DateHidden = true;
    w.m().UpdateTimeDisplay();
    EXPECT_FALSE(w.m().Exercisescore1->isEnabled());
    w.m().Exercisescore1Click(); // not before the reveal
    EXPECT_EQ(w.m().ScoreWindow, nullptr);

    w.DragPolygon();
    w.Issue(w.m().SlightRisk1);
    w.m().AdvanceHour->click();
    w.Issue(w.m().TornadoWatch1);
    const ProductRecords& records = w.m().State().Products;
    ASSERT_EQ(records.size(), 2U);
    EXPECT_EQ(records[1].Kind, ProductKind::TornadoWatch);
    EXPECT_NEAR(records[1].IssueTime - records[0].IssueTime, 1.0 / 24.0, 1e-9);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_DOUBLE_EQ(records[0].Corners[i].Latitude,
                         w.m().State().Polygon.GeoVertices[i].Latitude);

    w.m().RevealDateButton->click();
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
    EXPECT_TRUE(w.m().Exercisescore1->isEnabled());
    TfScore* score = w.m().ScoreWindow;
    ASSERT_NE(score, nullptr);
    EXPECT_TRUE(score->isVisible());
    ASSERT_EQ(score->ProductTable->rowCount(), 2);
    EXPECT_EQ(score->ProductTable->item(0, 0)->text(), QStringLiteral("Slight risk"));
    EXPECT_EQ(score->ProductTable->item(1, 1)->text(), QStringLiteral("1300"));
    EXPECT_TRUE(score->Summary->text().contains(QStringLiteral("POD ")));
    EXPECT_TRUE(score->Tally->text().startsWith(QStringLiteral("Chasers: ")));
    // The map, in its own view fitted to the day, shows the watch's outline (drawn over
    // the outlook's, dashed) in its colour.
    const QImage& map = score->MapPicture();
    const PixelPoint corner = ProjectToScreen(score->MapInputs().Viewport, records[0].Corners[2]);
    bool found = false;
    for (int dy = -6; dy <= 6 && !found; ++dy)
        for (int dx = -6; dx <= 6 && !found; ++dx)
            found = map.pixelColor(corner.X + dx, corner.Y + dy) ==
                    ProductStyleOf(ProductKind::TornadoWatch).Colour;
    EXPECT_TRUE(found);
    // Selecting a row highlights its product on the map shown, never on the saved one.
    score->ProductTable->selectRow(1);
    EXPECT_FALSE(score->ShownPicture() == map);
    score->ProductTable->clearSelection();
    EXPECT_TRUE(score->ShownPicture() == map);
    // Closed, the window lets go of its pictures and its native window; shown again, it
    // draws the same map.
    const QImage drawn = map.copy();
    score->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(score->MapPicture().isNull());
    EXPECT_EQ(score->windowHandle(), nullptr);
    score->show();
    EXPECT_TRUE(score->MapPicture() == drawn);
    EXPECT_TRUE(score->ShownPicture() == drawn);

    score->SetSavePicker([&] { return w.f.Temp.filePath(QStringLiteral("class/ann.csv")); });
    QDir().mkpath(w.f.Temp.filePath(QStringLiteral("class")));
    score->SaveButton->click();
    const QString csv =
        QString::fromLatin1(ReadFile(w.f.Temp.filePath(QStringLiteral("class/ann.csv"))));
    EXPECT_TRUE(csv.contains(
        QStringLiteral("\r\nproduct,2,Tornado watch,1979-04-10 13:00,1979-04-10 19:00,")));
    EXPECT_EQ(csv.count(QStringLiteral("\r\ncorner,")), 12);
    EXPECT_EQ(QImage(w.f.Temp.filePath(QStringLiteral("class/ann.png"))).size(), map.size());

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(w.f.Temp.filePath(QStringLiteral("score.pdf")));
    score->PrintTo(printer);
    EXPECT_GT(QFileInfo(printer.outputFileName()).size(), 10000);
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();

    // A new case clears the records.
    w.m().ResetSession();
    EXPECT_TRUE(w.m().State().Products.empty());
}

TEST(ScoreWindow, ReplaysTheRecordedHoursAndExportsThem) {
    ProductWindow w;
    w.m().State().Clock.DateHidden = true;
    w.DragPolygon();
    w.m().AdvanceHour->click();
    w.Issue(w.m().TornadoWatch1); // at 1300
    w.m().AdvanceHour->click();
    w.m().AdvanceHour->click(); // 1500
    w.m().RevealDateButton->click();
    TfScore* score = w.m().ScoreWindow;
    ASSERT_NE(score, nullptr);
    // 1200 (where the first advance started) to 1500.
    EXPECT_EQ(score->ReplaySlider->maximum(), 3);
    EXPECT_TRUE(score->Replay().Recorded);
    EXPECT_FALSE(score->ShowingReplay());
    score->ReplaySlider->setValue(1);
    EXPECT_TRUE(score->ShowingReplay());
    EXPECT_EQ(score->ReplayHour->text(), QStringLiteral("1300 UTC"));
    // The chasers' places as the map showed them at that hour.
    EXPECT_EQ(score->Replay().Record.Hours[3].Chasers[0].Position.Latitude,
              w.m().State().Chasers[0].Position.Latitude);

    // Playing steps on at the chosen speed and stops at the last hour.
    score->ReplaySpeed->setCurrentIndex(3);
    EXPECT_EQ(score->ReplayTimer.interval(), 250);
    score->ReplayPlayClick();
    EXPECT_TRUE(score->ReplayTimer.isActive());
    score->ReplayTimerTick();
    score->ReplayTimerTick();
    score->ReplayTimerTick();
    EXPECT_EQ(score->ReplayHour->text(), QStringLiteral("1500 UTC"));
    EXPECT_FALSE(score->ReplayTimer.isActive());

    const QString gif = w.f.Temp.filePath(QStringLiteral("replay.gif"));
    score->SetReplaySavePicker([&] { return gif; });
    score->ReplayExport->click();
    const GifAnimation loop = DecodeGifAnimation(ReadFile(gif));
    ASSERT_EQ(loop.Frames.size(), 4U);
    EXPECT_EQ(loop.DelaysMs, (std::vector<int>{250, 250, 250, 1250}));
    EXPECT_EQ(loop.Frames[0].width(), w.m().State().TheViewport.Width);
    EXPECT_EQ(score->ExportStatus->text(),
              QStringLiteral("Replay of 4 hours written to replay.gif"));
    score->ScoreMapButton->click();
    EXPECT_FALSE(score->ShowingReplay());
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
}

// The notebook, the tally and the window belong to this exercise: a note written before
// the first advance is shown with the score; a new case closes the score window, empties
// the notebook, and its score counts no chaser of the previous case.
TEST(ScoreWindow, TallyNotesAndWindowBelongToThisExercise) {
    ProductWindow w;
    w.m().State().Clock.DateHidden = true;
    w.m().Forecastnotes1->trigger();
    TfNotes* notes = w.m().NotesWindow;
    ASSERT_NE(notes, nullptr);
    notes->Entry->setPlainText(QStringLiteral("Dryline near the Red River"));
    notes->AddButton->click();
    ASSERT_EQ(w.m().State().Notes.size(), 1U);
    EXPECT_EQ(notes->List->count(), 1);
    EXPECT_TRUE(notes->Entry->toPlainText().isEmpty());
    w.m().AdvanceHour->click();
    w.m().RevealDateButton->click();
    TfScore* score = w.m().ScoreWindow;
    ASSERT_NE(score, nullptr);
    const QString none = ChaserTallyText(ChaserCounts{});
    EXPECT_NE(score->Tally->text(), none);
    EXPECT_TRUE(
        score->Notes->text().contains(QStringLiteral("1200 UTC: Dryline near the Red River")));
    w.m().ResetSession();
    EXPECT_FALSE(score->isVisible());
    EXPECT_EQ(notes->List->count(), 0);
    w.m().Exercisescore1Click();
    EXPECT_EQ(score->Tally->text(), none);
    EXPECT_TRUE(score->Notes->text().contains(QStringLiteral("none written")));
    ASSERT_TRUE(w.f.Errors.isEmpty()) << w.f.Errors.join('\n').toStdString();
}

} // namespace

TEST(ScoreWindow, SaveAsksAboutTheMapBesideTheCsvAndReplacesBothOrNeither) {
    QTemporaryDir dir;
    QImage map(40, 30, QImage::Format_RGB32);
    map.fill(Qt::darkGreen);
    TfScore score;
    ScoreMapInputs inputs;
    inputs.Viewport.Width = map.width();
    inputs.Viewport.Height = map.height();
    inputs.Geography = map;
    score.SetScore(ExerciseScore{}, EncodeDate(1979, 4, 10), ChaserCounts{}, inputs);
    const QString csv = dir.filePath("report.csv"), png = dir.filePath("report.png");
    WriteFile(png, "an unrelated picture");
    QStringList asked;
    bool answer = false;
    score.SetSavePicker([&] { return csv; });
    score.SetReplaceQuestion([&](const QString& path) {
        asked << path;
        return answer;
    });
    score.SaveButton->click();
    EXPECT_EQ(asked, QStringList{png});
    EXPECT_EQ(ReadFile(png), "an unrelated picture");
    EXPECT_FALSE(QFileInfo::exists(csv));
    answer = true;
    score.SaveButton->click();
    EXPECT_EQ(QImage(png).size(), score.MapPicture().size());
    const QByteArray saved = ReadFile(csv);
    EXPECT_FALSE(saved.isEmpty());

    // A PNG that may not be replaced leaves the CSV as it was too, and says why.
    ASSERT_TRUE(QFile::setPermissions(png, QFileDevice::ReadOwner));
    WriteFile(csv, "old");
    try {
        score.SaveTo(csv);
        ADD_FAILURE() << "a read-only PNG was replaced";
    } catch (const FileError& e) {
        EXPECT_EQ(e.Message(), "Cannot write \"" + png + "\": the file is read-only");
    }
    EXPECT_EQ(ReadFile(csv), "old");
}

// The save dialogs add the suffix before they ask about replacing: typing "x" where x.gif
// exists asks about x.gif.
TEST(SaveDialog, AsksAboutTheFileThatWillReallyBeWritten) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("x.gif"), "an earlier loop");
    QString question;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("x"));
        QTimer::singleShot(0, [&, dialog] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box) {
                question = box->text();
                box->button(QMessageBox::No)->click();
            }
            dialog->reject();
        });
        QMetaObject::invokeMethod(dialog, "accept"); // as the Save button does
    });
    EXPECT_EQ(AskSaveFileName(nullptr, "Export loop as GIF", dir.filePath("loop.gif"),
                              "GIF images (*.gif)", "gif"),
              QString());
    EXPECT_TRUE(question.contains("x.gif already exists")) << question.toStdString();
}
