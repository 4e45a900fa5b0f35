#pragma once
// The Exercise score window: the scorecard of the trainee's products, the exercise's
// verification scores, the chaser tally and the map, with Save... and Print.
#include <functional>
#include <memory>
#include <optional>

#include <QDialog>
#include <QImage>
#include <QTimer>

#include "base/datetime.h"
#include "debrief/replay.h"
#include "debrief/score_map.h"
#include "debrief/scoring.h"
#include "sim/chasers.h"

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;
class QPrinter;
class QPushButton;
class QTableWidget;

namespace nimbrel {

/// The chaser statistics panel's tally in one line of words.
QString ChaserTallyText(const ChaserCounts& n);

class TfScore : public QDialog {
    Q_OBJECT
public:
    explicit TfScore(QWidget* parent = nullptr);

    /// Shows `score` for the case starting at `caseStart`, with the chasers' tally, the
    /// trainee's notes (the score's) and the map drawn from `map` (full size; the window
    /// shows it scaled to fit).
    void SetScore(const ExerciseScore& score, DateTime caseStart, const ChaserCounts& tally,
                  const ScoreMapInputs& map);
    /// Replaces the save dialog (tests); returns the CSV path chosen or "".
    void SetSavePicker(std::function<QString()> picker) { pickSave_ = std::move(picker); }
    /// Replaces the question whether the existing PNG beside the CSV may be replaced (tests).
    void SetReplaceQuestion(std::function<bool(const QString& png)> question) {
        replaceQuestion_ = std::move(question);
    }
    /// Where Print gets its printer: the run's printer, so that printer setup applies.
    /// Asked at the first print, not before: making a printer loads the printing
    /// system's libraries, which a score never printed has no use for.
    void SetPrinter(std::function<std::shared_ptr<QPrinter>()> printer) {
        printer_ = std::move(printer);
    }

    /// Writes the CSV to `csvPath` and the map as a PNG beside it (same name, ".png"),
    /// both whole before either replaces an earlier file. Throws FileError with the
    /// system's reason when either cannot be written; both earlier files then stay.
    void SaveTo(const QString& csvPath) const;
    /// Prints the window on the first page and the map on the second.
    void PrintTo(QPrinter& printer);
    const QImage& MapPicture() const { return map_; }
    const ScoreMapInputs& MapInputs() const { return mapInputs_; }
    /// Highlights product `row` and the reports that verify it on the map shown (-1:
    /// none). The saved and printed map stays the whole picture.
    void HighlightProduct(int row);
    /// The picture on show: the map, the highlighted map or a replay step.
    const QImage& ShownPicture() const;

    void SaveButtonClick();
    void PrintButtonClick();

    /// The replay of the day shown beside the score: its hours, products and reports.
    void SetReplay(ReplayDay replay);
    const ReplayDay& Replay() const { return replay_; }
    /// Shows replay step `index` in the map's place (the slider follows).
    void ShowReplayStep(int index);
    /// Play and pause; at the last hour, play starts again from the first.
    void ReplayPlayClick();
    void ReplayTimerTick();
    void ReplaySpeedChange();
    /// Back to the score map; the replay stops.
    void ScoreMapClick();
    /// Writes the replay's hours as an animated GIF, one speed step per hour and the
    /// last hour held a second longer, with progress and Cancel.
    void ReplayExportClick();
    /// Replaces the replay's save dialog (tests); returns the GIF path chosen or "".
    void SetReplaySavePicker(std::function<QString()> picker) {
        pickReplaySave_ = std::move(picker);
    }
    /// True while the map shows a replay step rather than the score map.
    bool ShowingReplay() const { return replayShown_; }

    QLabel* Heading = nullptr;
    QTableWidget* ProductTable = nullptr;
    QLabel* Summary = nullptr;
    QLabel* Tally = nullptr;
    QLabel* Notes = nullptr;
    QLabel* MapView = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QLabel* ExportStatus = nullptr; ///< how the last replay export ended
    QToolButton* ReplayPlay = nullptr;
    QSlider* ReplaySlider = nullptr;
    QLabel* ReplayHour = nullptr;
    QComboBox* ReplaySpeed = nullptr;
    QPushButton* ReplayExport = nullptr;
    QPushButton* ScoreMapButton = nullptr;
    QTimer ReplayTimer;

protected:
    void resizeEvent(QResizeEvent* event) override;
    /// Closing lets go of the pictures and of the window's native resources (its
    /// screen buffer); showing again draws the map afresh from what it was set with.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ShowMap();
    /// The tally and the notes at a replay hour, or the day's when `index` is none.
    void ShowSideText(std::optional<std::size_t> index);

    ExerciseScore score_;
    DateTime caseStart_ = 0.0;
    QImage map_;
    ScoreMapInputs mapInputs_;
    QImage highlighted_;
    int highlight_ = -1;
    ChaserCounts tally_;
    std::function<QString()> pickSave_;
    std::function<bool(const QString&)> replaceQuestion_;
    std::function<QString()> pickReplaySave_;
    ReplayDay replay_;
    QImage replayStep_;
    bool replayShown_ = false;
    bool released_ = false; ///< the pictures were let go at a close
    std::function<std::shared_ptr<QPrinter>()> printer_;
    std::shared_ptr<QPrinter> ownPrinter_; ///< when no printer was handed over
};

} // namespace nimbrel
