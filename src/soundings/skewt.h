#pragma once
// The skew-T log-p diagram of a sounding as the sounding view shows it: 480 by 600
// pixels, drawn with QPainter as vector graphics (so the same drawing prints sharply on
// any QPaintDevice) and encoded as a GIF frame by the caller. Like every frame of a
// case it shows the station and the hour but not the date, so that a case whose date
// the trainee has hidden is not given away; the archive it came from is named.
#include <QImage>
#include <QPainter>
#include <QString>

#include "diagnostics.h"
#include "profile.h"

namespace nimbrel::soundings {

inline constexpr int FrameWidth = 480;
inline constexpr int FrameHeight = 600;

/// Draws the diagram into `area` of `painter` (scaled from 480 x 600). `station` is the
/// identifier to show (the table's three letters).
void DrawSkewT(QPainter& painter, const QRectF& area, const Sounding& sounding,
               const Diagnostics& diagnostics, const QString& station);

/// The 480 x 600 frame of a sounding.
QImage DrawSoundingFrame(const Sounding& sounding, const Diagnostics& diagnostics,
                         const QString& station);

/// The frame for a station and hour with no archived sounding: it says so in words, with
/// no empty diagram that could be taken for data.
QImage DrawNoSounding(const QString& station, DateTime valid);

/// A line naming the archive a sounding came from, for the frame and the kit.
QString SourceLine(const Sounding& sounding);

} // namespace nimbrel::soundings
