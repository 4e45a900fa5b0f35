// File > Export loop as GIF: the frames the player holds for the current chart kind,
// written as one animated GIF with the player's timing.
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QProgressDialog>
#include <QSlider>

#include "app/umainform.h"
#include "ui/save_dialog.h"
#include "viewer/gif_export.h"
#include "viewer/player.h"

namespace nimbrel {

namespace {

bool IsChartLoop(ChartKind kind) {
    return kind >= ChartKind::VisibleSatellite && kind <= ChartKind::Chart250;
}

// The suggested name says which chart it is but not the day: frame names carry the
// date, which a trainee with the date hidden must not read in the save dialog.
QString SuggestedName(ChartKind kind) {
    switch (kind) {
    case ChartKind::VisibleSatellite:
        return QStringLiteral("visible-satellite-loop.gif");
    case ChartKind::SurfaceAnalysis:
        return QStringLiteral("surface-analysis-loop.gif");
    case ChartKind::Chart850:
        return QStringLiteral("850mb-loop.gif");
    case ChartKind::Chart700:
        return QStringLiteral("700mb-loop.gif");
    case ChartKind::Chart500:
        return QStringLiteral("500mb-loop.gif");
    case ChartKind::Chart250:
        return QStringLiteral("250mb-loop.gif");
    default:
        return QStringLiteral("loop.gif");
    }
}

} // namespace

void TfMainForm::Exportloopasgif1Click() {
    if (!IsChartLoop(session_.Kind)) {
        Ask().Information(QStringLiteral("Only the chart loops can be exported.  Choose a chart "
                                         "in the View menu first."));
        return;
    }
    const QStringList& names = session_.Player.Frames;
    if (names.isEmpty()) {
        StatusPanel2->setText(NoImagesText);
        return;
    }
    const QString suggested = SuggestedName(session_.Kind);
    // The dialog adds ".gif" itself, before it asks about replacing the file, so the
    // question is about the file that is written.
    const QString target =
        PickExportFile
            ? PickExportFile(suggested)
            : AskSaveFileName(this, QStringLiteral("Export loop as GIF"), suggested,
                              QStringLiteral("GIF images (*.gif)"), QStringLiteral("gif"));
    if (target.isEmpty()) return;

    QStringList paths;
    for (const QString& name : names)
        paths << session_.Folders.CaseDirectory + name;
    QProgressDialog progress(QStringLiteral("Writing %1 frames...").arg(paths.size()),
                             QStringLiteral("Cancel"), 0, static_cast<int>(paths.size()), this);
    progress.setObjectName(QStringLiteral("ExportProgress"));
    progress.setWindowTitle(QStringLiteral("Export loop as GIF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    const ExportOutcome outcome = ExportLoopGif(paths, LoopSpeed->value(), DwellSpeed->value(),
                                                target, [&progress](int done, int) {
                                                    progress.setValue(done);
                                                    QCoreApplication::processEvents();
                                                    return !progress.wasCanceled();
                                                });
    progress.reset();
    StatusPanel2->setText(outcome == ExportOutcome::Written
                              ? QStringLiteral("Loop of %1 frames written to %2")
                                    .arg(paths.size())
                                    .arg(QFileInfo(target).fileName())
                              : QStringLiteral("Export cancelled: no file written"));
}

} // namespace nimbrel
