#pragma once
// The forecast notebook window: the trainee's entries so far, each with the simulation
// hour it was written at, and a box to write the next one.
#include <functional>

#include <QDialog>

#include "debrief/forecast_notes.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace nimbrel {

class TfNotes : public QDialog {
    Q_OBJECT
public:
    explicit TfNotes(QWidget* parent = nullptr);

    /// Shows `notes`, oldest first, the newest in view.
    void SetNotes(const ForecastNotes& notes);
    /// Hands the written text to OnAdd and empties the box (blank text adds nothing).
    void AddButtonClick();

    /// Receives the text of a new entry; the owner stamps and keeps it.
    std::function<void(const QString&)> OnAdd;

    QListWidget* List = nullptr;
    QPlainTextEdit* Entry = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* CloseButton = nullptr;
};

} // namespace nimbrel
