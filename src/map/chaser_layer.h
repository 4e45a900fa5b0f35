#pragma once
// The chasers on the target map: one icon per chaser telling its outcome, and a short
// red stroke in the direction of its last move while it drives to a target.
#include <array>

#include <QImage>
#include <QString>

#include "map/projection.h"
#include "sim/chasers.h"

namespace nimbrel {

/// Length in pixels of the heading stroke.
inline constexpr int HeadingStrokeLength = 20;

/// The outcome icons of one per-user folder, each decoded the first time it is drawn and
/// kept while the folder stays the same. Only icons that decoded are kept: a missing or
/// damaged file is looked for again, and fails again, on every pass.
class ChaserIconSet {
public:
    /// The picture of `outcome` from its file in `appData`; throws as LoadChaserIcon.
    const QImage& Icon(const QString& appData, ChaserOutcome outcome);

private:
    QString folder_;
    std::array<QImage, 8> icons_; // by outcome value
};

/// Draws chasers 1 to 49 in order on `bitmap`. Each chaser's icon is its outcome's file
/// in `appData` (an outcome without an icon file keeps the previous chaser's icon), taken
/// from `icons` when given (decoded once) or else read afresh, and drawn opaque with its
/// top-left corner 9 pixels left of and above the chaser's pixel. `numbers` writes each
/// chaser's number beside it (developer mode). A missing or unreadable icon file throws
/// after the chasers before it are drawn.
void DrawChaserLayer(QImage& bitmap, const ChaserTable& chasers,
                     const ProjectionDescriptor& viewport, const QString& appData, bool numbers,
                     ChaserIconSet* icons = nullptr);

/// Reads one icon file; throws FileNotFound when it is missing and DataError when it is
/// not a picture or is far larger than an icon.
QImage LoadChaserIcon(const QString& path);

} // namespace nimbrel
