// The main window's Exercise score: scored from the session's product records and the
// case's own report file once the date is shown.
#include <QAction>
#include <QPrinter>

#include "app/umainform.h"
#include "base/errors.h"
#include "map/basemap.h"
#include "products/replay.h"
#include "products/score_map.h"
#include "products/scoring.h"
#include "products/uscore.h"

namespace nimbrel {

void TfMainForm::UpdateScoreMenuItem() {
    if (Exercisescore1) Exercisescore1->setEnabled(!session_.Clock.DateHidden);
}

void TfMainForm::Exercisescore1Click() {
    // The score gives the day away: it is only for a revealed case.
    if (session_.Clock.DateHidden) return;
    CaseReports reports = ReadCaseWindowReports(
        session_.Folders.CaseDirectory + QStringLiteral("rpt.dat"), session_.Clock.CaseStart);
    // The file's message as every reader gives it; the scorecard says what it left out.
    if (!reports.Problem.isEmpty()) Ask().Warning(reports.Problem);
    const ExerciseScore score = ScoreExercise(session_.Products, std::move(reports));

    // The geography of the current view (the cached background when it matches). Without
    // the map files the score still shows, on a white map.
    ProjectionDescriptor viewport = session_.TheViewport;
    QImage geography;
    try {
        // With the target map's own extras, so that the cache serves both maps.
        nimbrel::DrawBasemap(session_.Folders.AppDataDirectory, viewport,
                             QSize(viewport.Width, viewport.Height), geography, {}, nullptr,
                             MapExtras());
    } catch (const FileError&) {
        geography = QImage();
    }
    const QImage map =
        RenderScoreMap(ScoreMapFrom(score, viewport, geography), devicePixelRatioF());

    if (!ScoreWindow) ScoreWindow = new TfScore(this);
    // The run's printer, so that printer setup applies to the score too.
    if (!ThePrinter) ThePrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
    ScoreWindow->SetPrinter(ThePrinter);
    ScoreWindow->SetScore(score, session_.Clock.CaseStart, LastCounts, map);
    ScoreWindow->SetReplay(
        MakeReplay(score, session_.Replay, session_.Clock.CaseStart, viewport, geography));
    ScoreWindow->show();
    ScoreWindow->raise();
}

} // namespace nimbrel
