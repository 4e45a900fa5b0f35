// PLACEHOLDER: empty handlers until this subsystem is wired to the window.
#include "app/umainform.h"

namespace nimbrel {

void TfMainForm::DrawReports(int) {}
void TfMainForm::ReportsTimerTimer() {}
void TfMainForm::BuildDataFilesButtonClick() {}

} // namespace nimbrel
