// PLACEHOLDER: empty handlers until this subsystem is wired to the window.
#include "app/umainform.h"

namespace nimbrel {

void TfMainForm::DrawBasemap() {}
void TfMainForm::DrawChasers() {}
void TfMainForm::ReprojectPolygon() {}
void TfMainForm::PanOrZoom(const std::function<void(ProjectionDescriptor&)>&) {}
void TfMainForm::North1Click() {}
void TfMainForm::South1Click() {}
void TfMainForm::East1Click() {}
void TfMainForm::West1Click() {}
void TfMainForm::Zoomin1Click() {}
void TfMainForm::Zoomout1Click() {}
void TfMainForm::Image1MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TfMainForm::Image1MouseMove(Qt::KeyboardModifiers, int, int) {}
void TfMainForm::Image1MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

} // namespace nimbrel
