// The main window's Exercise score: scored from the session's product records and the
// case's own report file once the date is shown.
#include <QAction>
#include <QPainter>
#include <QPrinter>

#include "app/umainform.h"
#include "base/errors.h"
#include "debrief/replay.h"
#include "debrief/score_map.h"
#include "debrief/scoring.h"
#include "debrief/unotes.h"
#include "debrief/uscore.h"
#include "map/basemap.h"

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
    ExerciseScore score = ScoreExercise(session_.Products, std::move(reports));
    score.Notes = session_.Notes;

    // A map framed on the day (its reports, the products, the practically perfect area)
    // in the target map's size, whatever view the trainee last had. Without the map
    // files the score still shows, on a white map.
    const int width = session_.TheViewport.Width > 0 ? session_.TheViewport.Width : 1000;
    const int height = session_.TheViewport.Height > 0 ? session_.TheViewport.Height : 800;
    const ProjectionDescriptor viewport = FitScoreViewport(score, width, height);
    QImage geography;
    try {
        // Drawn afresh for the score's own view: the target map's cache stays its own.
        geography = ScoreMapBackground(session_.Folders.AppDataDirectory, viewport);
    } catch (const FileError&) {
        geography = QImage();
    }
    const ScoreMapInputs map = ScoreMapFrom(score, viewport, geography);

    if (!ScoreWindow) ScoreWindow = new TfScore(this);
    // The run's printer, so that printer setup applies to the score too; made only when
    // the score is printed.
    ScoreWindow->SetPrinter([this] {
        if (!ThePrinter) ThePrinter = std::make_shared<QPrinter>(QPrinter::HighResolution);
        return ThePrinter;
    });
    // This exercise's tally as the last advance left it: none before the first advance.
    ScoreWindow->SetScore(score, session_.Clock.CaseStart, TallyAtLastHour(session_.Replay), map);
    ScoreWindow->SetReplay(
        MakeReplay(score, session_.Replay, session_.Clock.CaseStart, viewport, geography));
    ScoreWindow->show();
    ScoreWindow->raise();
}

void TfMainForm::Forecastnotes1Click() {
    if (!NotesWindow) {
        NotesWindow = new TfNotes(this);
        NotesWindow->OnAdd = [this](const QString& text) {
            AddForecastNote(session_.Notes, session_.Clock.SimulationTime, text);
            NotesWindow->SetNotes(session_.Notes);
        };
    }
    NotesWindow->SetNotes(session_.Notes);
    NotesWindow->show();
    NotesWindow->raise();
    NotesWindow->activateWindow();
}

} // namespace nimbrel
