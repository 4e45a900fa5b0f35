// The main window's report layer, report flash timer and report extraction button.
#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include "app/umainform.h"
#include "reports/extraction.h"
#include "reports/report_layer.h"
#include "ui/imageview.h"

namespace nimbrel {

void TfMainForm::DrawReports(int flash) {
    // The reports' records stay in memory from one refresh to the next; a file changed
    // since is read again. The file is the working copy, or the case's own when the
    // per-user folder refused the copy; none when the case has no reports.
    const QString& path = session_.Folders.ReportsFile;
    if (path.isEmpty() || !QFileInfo::exists(path)) return;
    ReportStore& store = session_.WorkingReports;
    const ReportList& list = store.Read(path);
    nimbrel::DrawReports(
        BufImg->Picture(), list,
        session_.WorkingReportPlaces.Place(list, store.Generation(), session_.TheViewport),
        session_.Clock.SimulationTime, flash != 0, &session_.WorkingReportToggles);
}

void TfMainForm::ReportsTimerTimer() {
    if (session_.Kind == ChartKind::TargetMap) RefreshView(true);
}

void TfMainForm::BuildDataFilesButtonClick() {
    // The source tables sit in "ref" under the folder the program was started from.
    ExtractionHooks hooks;
    hooks.Ask = &Ask();
    hooks.SetCaption = [this](const QString& caption) { BuildDataFilesButton->setText(caption); };
    ExtractReports(session_.Folders.CaseRootDirectory,
                   QDir::currentPath() + QStringLiteral("/ref/"), hooks);
}

} // namespace nimbrel
