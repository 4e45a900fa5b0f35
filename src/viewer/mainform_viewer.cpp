// PLACEHOLDER: empty handlers until this subsystem is wired to the window.
#include "app/umainform.h"

namespace nimbrel {

void TfMainForm::RefreshView(bool) {}
int TfMainForm::LoadFrames(const QString&) { return 0; }
void TfMainForm::FrameCommand(FrameCommandKind) {}
void TfMainForm::ShowFrame(const QString&) {}
void TfMainForm::ShowStationMap() {}
void TfMainForm::RemoveStationMarkers() {}
void TfMainForm::EnableLoopButtons(bool) {}
void TfMainForm::Targeting1Click() {}
void TfMainForm::Visiblesatellite1Click() {}
void TfMainForm::SurfaceAnalysis1Click() {}
void TfMainForm::N850mb1Click() {}
void TfMainForm::N700mb1Click() {}
void TfMainForm::N500mb1Click() {}
void TfMainForm::N250mb1Click() {}
void TfMainForm::Sounding1Click() {}
void TfMainForm::SelectChartItem(QAction*, ChartKind, bool) {}
void TfMainForm::PlayerButton(FrameCommandKind) {}
void TfMainForm::PlayRevButtonClick() {}
void TfMainForm::StepRevButtonClick() {}
void TfMainForm::PauseButtonClick() {}
void TfMainForm::StepFwdButtonClick() {}
void TfMainForm::PlayFwdButtonClick() {}
void TfMainForm::LoopSpeedChange() {}
void TfMainForm::DwellSpeedChange() {}
void TfMainForm::SatelliteTimerTimer() {}
void TfMainForm::SkewMouseDown(nimbrel::StationMarker*) {}
void TfMainForm::ShowBufferClick() {}
void TfMainForm::Copygraphictoclipboard1Click() {}
void TfMainForm::Print1Click() {}
void TfMainForm::Printersetup1Click() {}
void TfMainForm::DeleteAreaFilesClick() {}

} // namespace nimbrel
