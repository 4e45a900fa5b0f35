#pragma once
#include <cstdint>

#include <QStringList>

namespace nimbrel {

enum class ChartKind : std::int32_t {
    TargetMap = 0, VisibleSatellite = 1, SurfaceAnalysis = 2, Chart850 = 3, Chart700 = 4,
    Chart500 = 5, Chart250 = 6, Sounding = 7
};

/// The loop player's state: the frame list of the kind last loaded and its position.
struct PlayerState {
    QStringList Frames;
    std::int32_t FrameIndex = 0;
    std::int32_t LoopDirection = -1;
};

} // namespace nimbrel
