// The main window's report layer, report flash timer and report extraction button.
#include <QDir>
#include <QPushButton>

#include "app/umainform.h"
#include "reports/extraction.h"
#include "reports/report_layer.h"
#include "ui/imageview.h"

namespace nimbrel {

void TfMainForm::DrawReports(int flash) {
    const ProjectionDescriptor& viewport = session_.TheViewport;
    if (session_.Folders.ReportsFile.isEmpty()) return; // the case has no reports
    nimbrel::DrawReports(
        BufImg->Picture(), [&viewport](const GeoPoint& p) { return ProjectToScreen(viewport, p); },
        session_.Folders.ReportsFile, session_.Clock.SimulationTime, flash != 0);
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
