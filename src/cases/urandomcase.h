#pragma once
// The random-case dialog: draws a case among those that pass the trainee's filters
// (event type, weather regime, years, minimum significance). Created once, so boxes
// and year fields keep the trainee's settings for the run.
#include <array>

#include <QDialog>
#include <QString>

#include "base/random.h"
#include "cases/random_pick.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace nimbrel {

class TfRandomCase : public QDialog {
    Q_OBJECT
public:
    explicit TfRandomCase(QWidget* parent = nullptr);

    /// The catalogue to draw from at the next OK.
    void SetCatalogPath(const QString& path) { catalogPath_ = path; }
    /// The program's one generator; the dialog draws from it (not owned).
    void SetRandomGenerator(RandomGenerator* rng) { rng_ = rng; }
    /// The drawn case's list line, or "" when nothing was drawn or the dialog cancelled.
    const QString& DialogResult() const { return dialogResult_; }
    /// The filters as the controls stand now.
    CaseFilter Filter() const;

    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* EventAny = nullptr;
    QCheckBox* EventNull = nullptr;
    QCheckBox* EventSevere = nullptr;
    QCheckBox* EventTornado = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* RegimeAny = nullptr;
    QCheckBox* RegimeDryline = nullptr;
    QCheckBox* RegimeColdCore = nullptr;
    QCheckBox* RegimeFrontal = nullptr;
    QCheckBox* RegimeNorthwest = nullptr;
    QCheckBox* RegimeOutflow = nullptr;
    QCheckBox* RegimeMCS = nullptr;
    QCheckBox* RegimeUpslope = nullptr;
    QCheckBox* RegimeDerecho = nullptr;
    QCheckBox* RegimeHighRisk = nullptr;
    QLineEdit* YearMin = nullptr;
    QLineEdit* YearMax = nullptr;
    QComboBox* SignificanceCombo = nullptr;
    QCheckBox* HideDate = nullptr;
    QCheckBox* StartCaseInMorning = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void EventAnyClick(bool checked);
    void RegimeAnyClick(bool checked);
    void OKButtonClick();
    /// Each filter box with the catalogue letter it stands for.
    struct LetterBox {
        QCheckBox* Box = nullptr;
        QChar Letter;
    };
    std::array<LetterBox, 3> eventBoxes_{};
    std::array<LetterBox, 9> regimeBoxes_{};

    QString catalogPath_;
    QString dialogResult_;
    RandomGenerator* rng_ = nullptr;
    RandomGenerator ownRng_;
};

} // namespace nimbrel
