// The case commands on the real windows: the two selection dialogs, opening a case,
// the reveal and the summary.
#include <functional>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/folders.h"
#include "cases/catalogue.h"
#include "cases/catalogue_builder.h"
#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "debrief/uinformation.h"
#include "gui/gui_support.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

constexpr double May4Noon2003 = 37745.5;
constexpr double May3Noon1999 = 36283.5;

CaseEntry Entry(const QString& day, const QString& codes, int ranking, const QString& description) {
    CaseEntry e;
    e.CaseDate = day;
    e.Codes = codes;
    e.Ranking = ranking;
    e.Description = description;
    return e;
}

// Clicks a check box on its indicator: a click beside a short caption misses it.
void ClickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// A window on a temporary per-user folder holding a small catalogue, and a case root
// with the two case folders.
struct CasesFixture : GuiFixture {
    CasesFixture() {
        appData = Temp.path() + QStringLiteral("/appdata/");
        root = Temp.path() + QStringLiteral("/disc/");
        for (const char* day : {"1979-04-10", "2003-05-04", "1999-05-03"})
            QDir().mkpath(root + day);
        QDir().mkpath(appData);
        WriteCaseCatalogue(appData + QStringLiteral("nimbrel.cas"),
                           {Entry("1999-05-03", "TD", 5, "Oklahoma outbreak"),
                            Entry("2003-05-04", "SF", 4, "Kansas and Missouri")});
        Show(appData, root);
    }
    // Runs `command` (a menu item) while `inside` works the modal dialog it opens.
    void WhileModal(QAction* command, const std::function<void()>& inside) {
        QTimer::singleShot(0, [inside] {
            QApplication::processEvents();
            inside();
        });
        command->trigger();
    }
    TfLoadCase& Load() { return *Form->OtherWindows().LoadCase; }
    TfRandomCase& Random() { return *Form->OtherWindows().RandomCase; }
    void DoubleClickRow(int row) {
        QListWidget* list = Load().ListBox1;
        list->doItemsLayout(); // the list lays its rows out lazily
        const QRect r = list->visualItemRect(list->item(row));
        // What the window system delivers: a click, then the double click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        // A double click that missed must not leave the test waiting on the dialog.
        if (Load().isVisible()) {
            ADD_FAILURE() << "the double click did not close the dialog";
            Load().reject();
        }
    }

    QString appData, root;
};

TEST(CasesGui, DoubleClickLoadsAtOnceWithTheBoxesAsTheyStand) {
    CasesFixture f;
    f.Load().StartCaseInMorning->setChecked(false);
    QStringList listed;
    f.WhileModal(f.Form->Loadcase1, [&] {
        for (int i = 0; i < f.Load().ListBox1->count(); ++i)
            listed << f.Load().ListBox1->item(i)->text();
        f.DoubleClickRow(1);
    });
    EXPECT_EQ(listed,
              QStringList({"1999-05-03 Oklahoma outbreak", "2003-05-04 Kansas and Missouri"}));
    EXPECT_FALSE(f.Load().isVisible());
    const SimClock& clock = f.Form->State().Clock;
    EXPECT_DOUBLE_EQ(clock.CaseStart, May4Noon2003);
    EXPECT_EQ(clock.ElapsedHours, 15);
    EXPECT_TRUE(clock.DateHidden);
    EXPECT_EQ(f.Form->State().Folders.CaseDirectory, f.root + "2003-05-04/");
    EXPECT_EQ(f.Form->CurDateLabel->text(), "--- -- ----");
    EXPECT_EQ(f.Form->CurTimeLabel->text(), "03:00 UTC");
    EXPECT_EQ(f.Form->State().Kind, ChartKind::VisibleSatellite);
    EXPECT_TRUE(f.Errors.isEmpty()) << f.Errors.join(" | ").toStdString();
}

TEST(CasesGui, CancelOrOkWithoutChoiceAfterALoadLeavesTheCase) {
    CasesFixture f;
    f.WhileModal(f.Form->Loadcase1, [&] {
        f.Load().ListBox1->setCurrentRow(0);
        QTest::mouseClick(f.Load().OKButton, Qt::LeftButton);
    });
    ASSERT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, May3Noon1999);
    f.Form->AdvanceHour->click();
    const int elapsed = f.Form->State().Clock.ElapsedHours;
    ASSERT_EQ(elapsed, 1);

    f.WhileModal(f.Form->Loadcase1, [&] {
        f.Load().ListBox1->setCurrentRow(1);
        QTest::mouseClick(f.Load().CancelButton, Qt::LeftButton);
    });
    f.WhileModal(f.Form->Loadcase1, [&] { QTest::mouseClick(f.Load().OKButton, Qt::LeftButton); });
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, May3Noon1999);
    EXPECT_EQ(f.Form->State().Clock.ElapsedHours, elapsed);
    EXPECT_EQ(f.Form->State().Folders.CaseDirectory, f.root + "1999-05-03/");
    EXPECT_EQ(f.Load().DialogResult(), "");
}

TEST(CasesGui, OkOrEnterWithTheListFocusedButNothingPickedLoadsNothing) {
    CasesFixture f;
    int currentRow = -1;
    f.WhileModal(f.Form->Loadcase1, [&] {
        // What a window system does as the dialog opens: the list takes the focus and
        // Qt makes its first row the current one, without selecting it.
        QApplication::setActiveWindow(&f.Load());
        f.Load().ListBox1->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        currentRow = f.Load().ListBox1->currentRow();
        QTest::keyClick(f.Load().ListBox1, Qt::Key_Return);
        if (f.Load().isVisible()) QTest::mouseClick(f.Load().OKButton, Qt::LeftButton);
    });
    EXPECT_EQ(currentRow, 0);
    EXPECT_EQ(f.Load().DialogResult(), "");
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, 28955.5); // the default day still

    // A line picked with the keys is a real pick.
    f.WhileModal(f.Form->Loadcase1, [&] {
        QApplication::setActiveWindow(&f.Load());
        f.Load().ListBox1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(f.Load().ListBox1, Qt::Key_Down);
        QTest::mouseClick(f.Load().OKButton, Qt::LeftButton);
    });
    EXPECT_EQ(f.Load().DialogResult(), f.Load().ListBox1->item(1)->text());
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, May4Noon2003);
}

TEST(CasesGui, LoadKeepsPolygonAndStatisticsAndEnablesProducts) {
    CasesFixture f;
    Session& s = f.Form->State();
    s.Polygon.GeoVertices[0] = GeoPoint{38.0, -98.0};
    f.Form->StatTor->setText("6");
    f.Form->SlightRisk1->setEnabled(false);
    f.Form->TornadoWatch1->setEnabled(false);
    f.Form->LoadCase("2003-05-04 Kansas and Missouri", false, true);
    EXPECT_DOUBLE_EQ(s.Polygon.GeoVertices[0].Latitude, 38.0);
    EXPECT_EQ(f.Form->StatTor->text(), "6");
    EXPECT_TRUE(f.Form->SlightRisk1->isEnabled());
    EXPECT_TRUE(f.Form->TornadoWatch1->isEnabled());
    EXPECT_EQ(f.Form->CurDateLabel->text(), "Sun 04 May 2003");
    EXPECT_EQ(f.Form->CurTimeLabel->text(), "12:00 UTC");
}

TEST(CasesGui, ALoadWhoseReportsCannotBeCopiedLeavesTheWindowAsItWas) {
    CasesFixture f;
    QDir().mkpath(f.root + "2003-05-04/rpt.dat"); // a folder where the file should be
    const Session& s = f.Form->State();
    const SimClock before = s.Clock;
    const QString folder = s.Folders.CaseDirectory;
    const QString date = f.Form->CurDateLabel->text();
    EXPECT_ANY_THROW(f.Form->LoadCase("2003-05-04 Kansas and Missouri", false, true));
    EXPECT_DOUBLE_EQ(s.Clock.CaseStart, before.CaseStart);
    EXPECT_DOUBLE_EQ(s.Clock.SimulationTime, before.SimulationTime);
    EXPECT_EQ(s.Clock.DateHidden, before.DateHidden);
    EXPECT_EQ(s.Folders.CaseDirectory, folder);
    EXPECT_EQ(f.Form->CurDateLabel->text(), date);
}

TEST(CasesGui, ListShowsWhatWasReadBeforeABrokenRecord) {
    CasesFixture f;
    QByteArray bytes = ReadFile(f.appData + "nimbrel.cas");
    WriteFile(f.appData + "nimbrel.cas", bytes + QByteArray(40, 'x'));
    int listed = -1;
    f.WhileModal(f.Form->Loadcase1, [&] {
        QApplication::processEvents(); // the failure is reported over the open dialog
        listed = f.Load().ListBox1->count();
        QTest::mouseClick(f.Load().CancelButton, Qt::LeftButton);
    });
    EXPECT_EQ(listed, 2);
    ASSERT_EQ(f.Errors.size(), 1);
    EXPECT_TRUE(f.Errors[0].contains("cut short")) << f.Errors[0].toStdString();
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, 28955.5); // the default day still
}

TEST(CasesGui, AnyBoxes) {
    CasesFixture f;
    TfRandomCase& d = f.Random();
    d.show();
    QApplication::processEvents();
    ClickBox(d.EventAny);
    EXPECT_FALSE(d.EventAny->isChecked());
    for (QCheckBox* b : {d.EventNull, d.EventSevere, d.EventTornado})
        EXPECT_TRUE(b->isEnabled());
    EXPECT_FALSE(d.EventNull->isChecked());
    EXPECT_TRUE(d.EventSevere->isChecked());
    EXPECT_FALSE(d.EventTornado->isChecked());
    ClickBox(d.EventAny);
    for (QCheckBox* b : {d.EventNull, d.EventSevere, d.EventTornado}) {
        EXPECT_TRUE(b->isChecked());
        EXPECT_FALSE(b->isEnabled());
    }

    ClickBox(d.RegimeAny);
    const QList<QCheckBox*> regimes = {d.RegimeDryline,   d.RegimeColdCore, d.RegimeFrontal,
                                       d.RegimeNorthwest, d.RegimeOutflow,  d.RegimeMCS,
                                       d.RegimeUpslope,   d.RegimeDerecho,  d.RegimeHighRisk};
    for (QCheckBox* b : regimes) {
        EXPECT_TRUE(b->isEnabled());
        EXPECT_TRUE(b->isChecked()); // they keep their checks
    }
    ClickBox(d.RegimeDryline);
    EXPECT_FALSE(d.RegimeDryline->isChecked());
    EXPECT_EQ(d.Filter().RegimeLetters, "CFWOMUZH");
    ClickBox(d.RegimeAny);
    for (QCheckBox* b : regimes) {
        EXPECT_TRUE(b->isChecked());
        EXPECT_FALSE(b->isEnabled());
    }

    // A new showing puts the combo back and keeps the rest.
    d.SignificanceCombo->setCurrentIndex(3);
    d.YearMin->setText("1990");
    d.hide();
    d.show();
    EXPECT_EQ(d.SignificanceCombo->currentIndex(), 0);
    EXPECT_EQ(d.SignificanceCombo->currentText(), "(all events)");
    EXPECT_EQ(d.YearMin->text(), "1990");
    d.hide();
}

TEST(CasesGui, RandomPickLoadsTheOnlyPassingCaseOrNothing) {
    CasesFixture f;
    TfRandomCase& d = f.Random();
    EXPECT_EQ(d.YearMin->text(), "1979");
    EXPECT_EQ(d.YearMax->text(), "2009");
    d.StartCaseInMorning->setChecked(true);
    d.HideDate->setChecked(false);
    // Severe events only: the 2003 day is the one candidate.
    f.WhileModal(f.Form->Loadrandomcase1, [&] {
        ClickBox(d.EventAny);
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
    });
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, May4Noon2003);
    EXPECT_FALSE(f.Form->State().Clock.DateHidden);
    EXPECT_EQ(f.Form->CurDateLabel->text(), "Sun 04 May 2003");

    // Reversed years: the dialog closes empty, nothing loads, nothing is said.
    const int shown = static_cast<int>(f.Prompts->Shown.size());
    f.WhileModal(f.Form->Loadrandomcase1, [&] {
        d.YearMin->setText("2009");
        d.YearMax->setText("1979");
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
    });
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.DialogResult(), "");
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, May4Noon2003);
    EXPECT_EQ(f.Prompts->Shown.size(), shown);
    EXPECT_TRUE(f.Errors.isEmpty());
}

TEST(CasesGui, RandomDialogStaysOpenWhenTheCatalogueIsMissing) {
    CasesFixture f;
    QFile::remove(f.appData + "nimbrel.cas");
    TfRandomCase& d = f.Random();
    bool openAfterOk = false;
    f.WhileModal(f.Form->Loadrandomcase1, [&] {
        QTest::mouseClick(d.OKButton, Qt::LeftButton);
        openAfterOk = d.isVisible();
        QTest::mouseClick(d.CancelButton, Qt::LeftButton);
    });
    EXPECT_TRUE(openAfterOk);
    ASSERT_EQ(f.Errors.size(), 1);
    EXPECT_TRUE(f.Errors[0].startsWith("File not found\n/")) << f.Errors[0].toStdString();
    EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, 28955.5);
}

TEST(CasesGui, RevealConfirmAndCancel) {
    CasesFixture f;
    f.Form->LoadCase("1999-05-03 Oklahoma outbreak", true, true);
    f.Prompts->Shown.clear();
    f.Prompts->ConfirmAnswer = false;
    f.Form->RevealDateButton->click();
    EXPECT_EQ(f.Form->CurDateLabel->text(), "--- -- ----");
    ASSERT_EQ(f.Prompts->Shown.size(), 1);
    EXPECT_TRUE(f.Prompts->Shown[0].startsWith("C:This will reveal the exercise date"));

    f.Prompts->ConfirmAnswer = true;
    f.Form->RevealDateButton->click();
    EXPECT_EQ(f.Form->CurDateLabel->text(), "Mon 03 May 1999");
    ASSERT_EQ(f.Prompts->Shown.size(), 4);
    EXPECT_EQ(f.Prompts->Shown[2], "I:This case was for Monday, May 3, 1999.");
    // Then the score, which finds no report file in this case folder.
    EXPECT_EQ(f.Prompts->Shown[3], "W:File not found\n" + f.root + "1999-05-03/rpt.dat");

    f.Form->RevealDateButton->click(); // already shown: nothing happens
    EXPECT_EQ(f.Prompts->Shown.size(), 4);
}

TEST(CasesGui, SummaryWithOnlyTheDiscussion) {
    CasesFixture f;
    WriteFile(f.root + "2003-05-04/fcst.txt", "Strong shear.\r\nDiscrete cells likely.\n");
    f.Form->LoadCase("2003-05-04 Kansas and Missouri", true, true);
    QStringList lines;
    f.WhileModal(f.Form->Showsummaryanddiscussion1, [&] {
        lines = f.Form->OtherWindows().Information->Lines();
        f.Form->OtherWindows().Information->accept();
    });
    EXPECT_EQ(lines,
              QStringList({"WEATHER SUMMARY", "SUNDAY MAY 4, 2003", " ", "FORECAST DISCUSSION",
                           "Strong shear.", "Discrete cells likely.", " ", " "}));
}

} // namespace

namespace {

// Every case of the shipped catalogue, opened from both dialogs on the shipped disc:
// hidden date, reveal, summary. The per-user files are a copy, since opening a case
// refreshes the working report file there.
TEST(CasesGui, EveryShippedCaseOpensRevealsAndSummarises) {
    const QString shipped = ShippedDataDir();
    if (!QFileInfo(shipped + "appdata/nimbrel.cas").isFile())
        GTEST_SKIP() << "no shipped catalogue";
    GuiFixture f;
    const QString appData = f.Temp.path() + "/appdata/";
    QDir().mkpath(appData);
    for (const QString& name : QDir(shipped + "appdata").entryList(QDir::Files))
        QFile::copy(shipped + "appdata/" + name, appData + name);
    const QString root = shipped + "disc/";
    f.Show(appData, root);

    const CatalogueRead catalogue = ReadCaseCatalogue(appData + "nimbrel.cas");
    ASSERT_TRUE(catalogue.Ok());
    ASSERT_FALSE(catalogue.Entries.empty());
    TfLoadCase& load = *f.Form->OtherWindows().LoadCase;
    TfRandomCase& random = *f.Form->OtherWindows().RandomCase;
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    for (int i = 0; i < static_cast<int>(catalogue.Entries.size()); ++i) {
        const CaseEntry& e = catalogue.Entries[static_cast<std::size_t>(i)];
        SCOPED_TRACE(e.CaseDate.toStdString());
        const QDate day = QDate::fromString(e.CaseDate, "yyyy-MM-dd");
        ASSERT_TRUE(day.isValid());
        const double noon = static_cast<double>(day.toJulianDay() - 2415019) + 0.5;

        QTimer::singleShot(0, [&] {
            load.ListBox1->setCurrentRow(i);
            load.OKButton->click();
        });
        f.Form->Loadcase1->trigger();
        EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, noon);
        EXPECT_EQ(f.Form->State().Folders.CaseDirectory, root + e.CaseDate + "/");
        EXPECT_EQ(f.Form->CurDateLabel->text(), "--- -- ----");
        EXPECT_EQ(f.Form->CurTimeLabel->text(), "12:00 UTC");

        f.Prompts->Shown.clear();
        f.Form->RevealDateButton->click();
        EXPECT_EQ(f.Prompts->Shown.value(1),
                  "I:This case was for " + english.toString(day, "dddd, MMMM d, yyyy") + ".");

        QStringList lines;
        QTimer::singleShot(0, [&] {
            lines = f.Form->OtherWindows().Information->Lines();
            f.Form->OtherWindows().Information->accept();
        });
        f.Form->Showsummaryanddiscussion1->trigger();
        // Every day has its summary; the days whose narrative is generated from the
        // report tables have no forecast discussion, and the window leaves that part out.
        QByteArray narr = ReadFile(root + e.CaseDate + "/narr.txt");
        QByteArray fcst = ReadFile(root + e.CaseDate + "/fcst.txt");
        ASSERT_FALSE(narr.isEmpty());
        narr.chop(2); // each is one line ended by CR LF
        fcst.chop(2);
        QStringList expected = {"WEATHER SUMMARY",
                                english.toString(day, "dddd MMMM d, yyyy").toUpper(),
                                " ",
                                "WEATHER SUMMARY",
                                QString::fromLatin1(narr),
                                " ",
                                " "};
        if (QFileInfo::exists(root + e.CaseDate + "/fcst.txt"))
            expected << "FORECAST DISCUSSION" << QString::fromLatin1(fcst) << " "
                     << " ";
        EXPECT_EQ(lines, expected);

        // The random pick with the case's year as the whole range.
        f.Form->LoadCase("1979-04-10 x", false, true);
        int sameYear = 0;
        for (const CaseEntry& other : catalogue.Entries)
            sameYear += other.CaseDate.left(4) == e.CaseDate.left(4);
        if (sameYear != 1) continue;
        QTimer::singleShot(0, [&] {
            random.YearMin->setText(e.CaseDate.left(4));
            random.YearMax->setText(e.CaseDate.left(4));
            random.OKButton->click();
        });
        f.Form->Loadrandomcase1->trigger();
        EXPECT_DOUBLE_EQ(f.Form->State().Clock.CaseStart, noon);
        EXPECT_EQ(f.Form->CurDateLabel->text(), "--- -- ----");
    }
}

} // namespace

// A row the builder leaves out is a day missing from the catalogue: the builder says so.
TEST(CasesGui, TheCatalogueBuilderSaysWhichRowsItLeftOut) {
    const QString installed = InstalledDataFolder(QCoreApplication::applicationDirPath());
    const QString list = installed + "disc/chase-list.csv";
    if (installed.isEmpty() || !QFileInfo(list).isFile())
        GTEST_SKIP() << "no installed case list beside the test program";
    GuiFixture f;
    const QString appData = f.Temp.path() + "/appdata/", root = f.Temp.path() + "/disc/";
    QDir().mkpath(appData);
    QFile input(list);
    ASSERT_TRUE(input.open(QIODevice::ReadOnly));
    input.readLine(); // the header
    while (!input.atEnd()) {
        const CaseListRow row = SplitCaseListLine(QString::fromLatin1(input.readLine()).trimmed());
        if (IsIncludedRow(row)) QDir().mkpath(root + row[0]);
    }
    ASSERT_TRUE(QDir().mkpath(root + "1979-04-10/narr.txt")); // a folder where the text goes
    f.Show(appData, root);
    f.Prompts->Shown.clear();
    f.Form->BuildManifestClick();
    EXPECT_TRUE(f.Errors.isEmpty()) << f.Errors.join('\n').toStdString();
    ASSERT_EQ(f.Prompts->Shown.size(), 1) << f.Prompts->Shown.join('\n').toStdString();
    EXPECT_TRUE(f.Prompts->Shown[0].startsWith("I:Skipped 1979-04-10, "))
        << f.Prompts->Shown[0].toStdString();
}
