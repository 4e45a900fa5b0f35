#pragma once
// The controls both case selection dialogs end with: the two training options and the
// OK and Cancel buttons.
class QCheckBox;
class QDialog;
class QPushButton;
class QVBoxLayout;

namespace nimbrel {

struct CaseOptionControls {
    QCheckBox* HideDate = nullptr;
    QCheckBox* StartCaseInMorning = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

/// Adds the two option boxes (checked) and a right-aligned OK/Cancel row to `layout`.
CaseOptionControls AddCaseOptions(QDialog* dialog, QVBoxLayout* layout);

} // namespace nimbrel
