#pragma once
// The chasers on the target map: one icon per chaser telling its outcome, and a short
// red stroke in the direction of its last move while it drives to a target.
#include <QImage>
#include <QString>

#include "map/projection.h"
#include "sim/chasers.h"

namespace nimbrel {

/// Length in pixels of the heading stroke.
inline constexpr int HeadingStrokeLength = 20;

/// Draws chasers 1 to 49 in order on `bitmap`. Each chaser's icon is read from its
/// outcome's file in `appData` on every pass (an outcome without an icon file keeps the
/// previous chaser's icon) and drawn opaque with its top-left corner 9 pixels left of and
/// above the chaser's pixel. `numbers` writes each chaser's number beside it (developer
/// mode). A missing or unreadable icon file throws after the chasers before it are drawn.
void DrawChaserLayer(QImage& bitmap, const ChaserTable& chasers,
                     const ProjectionDescriptor& viewport, const QString& appData, bool numbers);

/// Reads one icon file; throws FileNotFound when it is missing and DataError when it is
/// not a picture or is far larger than an icon.
QImage LoadChaserIcon(const QString& path);

} // namespace nimbrel
