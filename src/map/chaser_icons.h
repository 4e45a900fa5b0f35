#pragma once
// The pictures of the seven chaser outcomes, 18 x 18 pixels. The data tool writes them
// as the icon files of the per-user folder; the statistics panel shows the same
// pictures as its legend, so map and legend always agree.
#include <QImage>
#include <QString>

#include "sim/chasers.h"

namespace nimbrel {

inline constexpr int ChaserIconSize = 18;

/// Icon file name of an outcome in the per-user folder; "" for the unused value 6.
QString ChaserIconFile(ChaserOutcome outcome);
/// The icon picture of an outcome (a blank image for an unknown value).
QImage ChaserIcon(ChaserOutcome outcome);

} // namespace nimbrel
