// PLACEHOLDER: empty handlers until this subsystem is wired to the window.
#include "app/umainform.h"

namespace nimbrel {

void TfMainForm::Loadcase1Click() {}
void TfMainForm::Loadrandomcase1Click() {}
void TfMainForm::LoadCase(const QString&, bool, bool) {}
void TfMainForm::ResetSession() {}
void TfMainForm::Showsummaryanddiscussion1Click() {}
void TfMainForm::RevealDateButtonClick() {}
void TfMainForm::BuildManifestClick() {}
QString TfMainForm::CatalogPath() const { return session_.Folders.AppDataDirectory + QStringLiteral("nimbrel.cas"); }

} // namespace nimbrel
