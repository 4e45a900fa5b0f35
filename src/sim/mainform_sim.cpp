// PLACEHOLDER: empty handlers until this subsystem is wired to the window.
#include "app/umainform.h"

namespace nimbrel {

void TfMainForm::UpdateTimeDisplay() {}
void TfMainForm::HourlyAdvance() {}
void TfMainForm::AdvanceHourClick() {}
void TfMainForm::Advancetonexthour1Click() {}
void TfMainForm::RefreshWorkingReports() {}

} // namespace nimbrel
