// PLACEHOLDER: empty handlers until this subsystem is wired to the window.
#include "app/umainform.h"

namespace nimbrel {

void TfMainForm::IssueProduct(QAction*) {}
void TfMainForm::UpdateProductMenu() {}

} // namespace nimbrel
