#pragma once
// The chart kinds of the main view, the frame list of the loop player and the rules
// that tie a frame file's name to the simulation clock.
#include <cstdint>

#include <QString>
#include <QStringList>

#include "base/datetime.h"

namespace nimbrel {

enum class ChartKind : std::int32_t {
    TargetMap = 0,
    VisibleSatellite = 1,
    SurfaceAnalysis = 2,
    Chart850 = 3,
    Chart700 = 4,
    Chart500 = 5,
    Chart250 = 6,
    Sounding = 7
};

/// The six things the loop player can be told to do.
enum class FrameCommandKind { StepBack, StepForward, PlayForward, Stop, GoLast, PlayReverse };

/// The loop player's state: the frame list of the kind last loaded and its position.
struct PlayerState {
    QStringList Frames;
    std::int32_t FrameIndex = 0;
    std::int32_t LoopDirection = -1;
};

/// The file mask of a chart kind's frames ("satv-??????-????*" ...); "" for the target
/// map and the sounding view, which are not frame loops of their own.
QString FrameMask(ChartKind kind);

/// The clock's time key "yymmdd-hhnn" (10 April 1979 18:00 gives "790410-1800").
QString ClockTimeKey(DateTime simulationTime);

/// The frames of `folder` (ending in a separator) matching `mask` whose time key
/// (characters 6 to 16 of the name) is not after the clock's key, compared byte by
/// byte, in ascending byte order of the name. Folder entries of any kind are listed.
QStringList BuildFrameList(const QString& folder, const QString& mask, DateTime simulationTime);

/// "1 frame loaded", "0 frames loaded", "12 frames loaded".
QString FramesLoadedCaption(qsizetype count);

/// The masks a station pick tries, in order: the first identifier's, then the second's
/// when the station has one ("OKC/OUN" gives ...-okc.gif, then ...-oun.gif).
QStringList SoundingMasks(const QString& identifiers);

/// The product valid time of a frame name: characters 6-7 year (50-99 in the 1900s,
/// otherwise the 2000s), 8-9 month, 10-11 day, 13-14 hour, 15-16 minute. Throws
/// ConvertError "'mm/dd/yyyy hh:nn:00' is not a valid date and time" when they do not
/// form one.
DateTime FrameValidTime(const QString& fileName);

/// The product date label: the hidden form, or "ddd dd mmm yyyy".
QString ProductDateText(DateTime validTime, bool dateHidden);
/// The product time label: "hh:nn UTC".
QString ProductTimeText(DateTime validTime);

} // namespace nimbrel
