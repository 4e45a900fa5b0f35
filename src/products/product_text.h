#pragma once
// The texts of the products, line by line, in the upper-case teletype style of the
// national severe-weather products. A "blank" line holds one space; an "empty" line
// holds nothing; both are kept as they are, as are trailing and doubled spaces.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include "products/product_kind.h"
#include "products/product_stamps.h"

namespace nimbrel {

/// How many discussion paragraphs an outlook draws from.
inline constexpr int DiscussionParagraphChoices = 10;

/// Paragraph `n` (0-based) of a discussion text ("nimbrel.gnr"). Each line is trimmed of
/// spaces and control characters; a line whose trimmed text begins with "===" separates
/// paragraphs (what follows the three signs is ignored) and is not part of any. Lines
/// before the first separator form paragraph 0. Empty lines inside the paragraph stay;
/// a text with fewer paragraphs gives no lines.
QStringList DiscussionParagraph(const QByteArray& text, int n);

struct OutlookInputs {
    ProductKind Kind = ProductKind::SlightRiskOutlook; ///< 1-3
    ProductStamps Stamps;
    QString AreaPhrase;      ///< may be empty
    QString FirstRegionName; ///< may be empty
    QStringList Discussion;  ///< the chosen paragraph's lines
};

/// Characters a place's city and state may take together in the longest line the
/// product window is sized for ("WASHINGTON D.C. DISTRICT OF COLUMBIA", the longest of
/// the shipped city list, has 36).
inline constexpr int PlaceNameAllowance = 40;

/// The longest line a product can have: the outlook's risk sentence over the four
/// longest region names, or the watch's axis line from the farthest place with the
/// longest direction and a city and state of PlaceNameAllowance characters.
QString LongestProductLine();

/// The day-one convective outlook: header, risk sentence over the area, the general
/// discussion and a closing line for the trainee's own reasoning.
QStringList WriteOutlookText(const OutlookInputs& in);

struct WatchInputs {
    ProductKind Kind = ProductKind::TornadoWatch; ///< 4 or 5
    ProductStamps Stamps;
    QStringList RegionNames;
    QString AxisStartPlace;
    QString AxisEndPlace;
    QString HalfWidthMiles;
    QString SideWords; ///< "NORTH AND SOUTH", "EAST AND WEST" or "EITHER SIDE"
};

/// The severe thunderstorm (number 179) or tornado (number 178) watch.
QStringList WriteWatchText(const WatchInputs& in);

} // namespace nimbrel
