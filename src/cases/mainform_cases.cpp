// The main window's case commands: choosing and opening a case, the session reset,
// the debrief and the catalogue builder button. The work is done in core.
#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>

#include <QStatusBar>

#include "app/folders.h"
#include "app/umainform.h"
#include "cases/case_load.h"
#include "cases/catalogue_builder.h"
#include "cases/session_reset.h"
#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "debrief/debrief.h"
#include "debrief/uinformation.h"
#include "debrief/unotes.h"
#include "debrief/uscore.h"
#include "sim/hourly_advance.h"

namespace nimbrel {

namespace {

// The folder standing for the sample case disc shipped with the program: the root the
// folders start from before a disc is found, and where the maintainers keep the case
// list the catalogue is built from.
QString SampleDiscFolder() {
    const QString data = InstalledDataFolder(QCoreApplication::applicationDirPath());
    return data.isEmpty() ? QString() : data + QStringLiteral("disc/");
}

} // namespace

QString TfMainForm::CatalogPath() const {
    return session_.Folders.AppDataDirectory + QStringLiteral("nimbrel.cas");
}

void TfMainForm::Loadcase1Click() {
    TfLoadCase* dialog = Needed(windows_.LoadCase);
    if (!dialog) return;
    dialog->SetCatalogPath(CatalogPath());
    dialog->exec();
    const QString line = dialog->DialogResult();
    if (line.isEmpty()) return;
    LoadCase(line, dialog->HideDate->isChecked(), dialog->StartCaseInMorning->isChecked());
}

void TfMainForm::Loadrandomcase1Click() {
    TfRandomCase* dialog = Needed(windows_.RandomCase);
    if (!dialog) return;
    dialog->SetCatalogPath(CatalogPath());
    dialog->SetRandomGenerator(&session_.Rng);
    dialog->exec();
    const QString line = dialog->DialogResult();
    if (line.isEmpty()) return;
    LoadCase(line, dialog->HideDate->isChecked(), dialog->StartCaseInMorning->isChecked());
}

void TfMainForm::LoadCase(const QString& line, bool hideDate, bool startInMorning) {
    // Converting the day comes first, so a day that does not convert changes nothing.
    const CaseLoad load =
        PrepareCaseLoad(line, hideDate, startInMorning, session_.Folders.CaseRootDirectory);
    // The working copy of the reports follows the new case (else the previous case's
    // reports would show on its map). It is made before anything else changes, so that a
    // copy that fails leaves the clock, the folders and the window on the previous case.
    DataFolders next = session_.Folders;
    next.CaseDirectory = load.CaseDirectory;
    nimbrel::RefreshWorkingReports(next);
    session_.WorkingReports.Forget(); // rewritten just now, whatever its time stamp says
    ApplyCaseLoad(load, session_.Clock, session_.Folders);
    session_.Folders.ReportsFile = next.ReportsFile; // the copy, or the new case's own file
    ResetSession();
    UpdateTimeDisplay();
    session_.Kind = ChartKind::VisibleSatellite;
    // The View menu's tick and the loop buttons follow the chart kind the case opens
    // on, even when the trainee was on the target map, where the buttons are off.
    for (QAction* item : {Targeting1, Visiblesatellite1, SurfaceAnalysis1, N850mb1, N700mb1,
                          N500mb1, N250mb1, Sounding1})
        if (item) item->setChecked(item == Visiblesatellite1);
    EnableLoopButtons(true);
    RefreshView(false);
    // Named for a few seconds; while the date is hidden the name must not give it away.
    statusBar()->showMessage(hideDate ? QStringLiteral("Case loaded (its date is hidden)")
                                      : QStringLiteral("Case loaded: %1").arg(line.left(10)),
                             5000);
}

void TfMainForm::ResetSession() {
    ResetSessionState(session_);
    UpdateProductMenu();
    // The previous exercise's score and notes do not stay over the next case.
    if (ScoreWindow) ScoreWindow->close();
    if (NotesWindow) NotesWindow->SetNotes(session_.Notes);
}

void TfMainForm::RevealDateButtonClick() {
    // After the date box the exercise is scored.
    if (RevealCaseDate(session_.Clock, Ask(), [this] { UpdateTimeDisplay(); }))
        Exercisescore1Click();
}

void TfMainForm::Showsummaryanddiscussion1Click() {
    TfInformation* window = Needed(windows_.Information);
    if (!window) return;
    // Read everything first: a file that fails leaves the window unshown.
    const QStringList lines =
        SummaryLines(session_.Folders.CaseDirectory, session_.Clock.CaseStart);
    window->SetLines(lines);
    window->exec();
}

void TfMainForm::BuildManifestClick() {
    const CatalogueBuild built =
        BuildCaseCatalogue(SampleDiscFolder() + QStringLiteral("chase-list.csv"),
                           session_.Folders.AppDataDirectory, session_.Folders.CaseRootDirectory);
    // A row left out is a day missing from the catalogue: say so, as the cleanup does.
    for (const QString& line : built.Skipped)
        Ask().Information(line);
}

} // namespace nimbrel
