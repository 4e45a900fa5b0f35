#pragma once
// The sample chart frames of the shipped case disc. No archive of the real charts can
// be shipped, so each frame is a blank chart drawn from the program's own geography:
// the chart kind, its valid time, a "SAMPLE" mark and, in its middle, the plain words
// that nothing was archived, named exactly as the chart viewer lists frames
// ("kind-yymmdd-hhnn.ext", soundings "skew-yymmdd-hhnn-id.gif").
// They never show the day's storm reports, and they never print the date, so a frame
// cannot give away a case whose date the trainee has hidden.
#include <vector>

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include "base/datetime.h"
#include "geography.h"

namespace nimbrel::tools {

inline constexpr int ChartWidth = 800;
inline constexpr int ChartHeight = 600;
inline constexpr int SoundingWidth = 480;
inline constexpr int SoundingHeight = 600;

/// One frame to draw: its kind prefix ("satv", "hsfc", "h850", "h700", "h500", "h250",
/// "skew"), valid time (UTC), station id for soundings (lower case) and file extension.
struct FrameSpec {
    QString Prefix;
    DateTime Valid = 0.0;
    QString Station;
    QString Extension;
    QString FileName() const;
};

/// The frames of one case day: satellite every 30 minutes and surface every hour from
/// 1200 UTC of the day to 1100 UTC of the next, the four upper-air charts and the
/// soundings at 1200 and 0000 UTC. Soundings are filed under each station row's first
/// identifier, except rows 10 (OKC/OUN) and 16 (OVN/OAX), filed under the second, so
/// that the viewer's fallback to the second identifier is used.
std::vector<FrameSpec> FramesOfDay(int year, int month, int day);

/// What every sample chart and satellite frame says in its middle, on a band of its
/// background colour (NoChartBand) framed in its text colour, the words NoChartMargin
/// pixels inside, at twice the font's size.
inline const QString NoChartText =
    QStringLiteral("NO CHART ARCHIVED FOR THIS HOUR ON THE SAMPLE DISC");
inline constexpr int NoChartMargin = 8;
QRect NoChartBand();

/// The picture of a frame without its valid time, and the stamp that adds it.
QImage DrawFrameBase(const FrameSpec& frame, const std::vector<Polyline>& outlines);
void StampValidTime(QImage& image, const FrameSpec& frame);
/// The picture of a frame. `outlines` are state outlines (from "nimbrel.gis").
QImage DrawFrame(const FrameSpec& frame, const std::vector<Polyline>& outlines);

/// The folder of the disc that holds the one set of sample frames the days link to.
inline const QString SharedFramesFolder = QStringLiteral("sample-frames");

/// The name of a frame in the shared set: its name without the date
/// ("satv-1830.jpg", "skew-0000-oun.gif").
QString SharedFrameName(const FrameSpec& frame);

/// Draws each distinct frame of the days listed in `days` ("yyyy-mm-dd") once into
/// `discRoot` + SharedFramesFolder, and gives every day folder (created when missing)
/// its frames under their dated names as relative links to those (copies where links
/// cannot be made). Returns the count of day frames.
int WriteSampleFrames(const QString& appData, const QString& discRoot, const QStringList& days);

} // namespace nimbrel::tools
