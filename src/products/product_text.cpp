#include "products/product_text.h"

#include <algorithm>

#include "map/polygon.h"
#include "products/regions.h"

namespace nimbrel {
namespace {

const QString Blank = QStringLiteral(" ");
const QString Empty = QString();

// Spaces and control characters, the way a text line is trimmed for display.
QString TrimLine(const QString& line) {
    qsizetype start = 0, end = line.size();
    while (start < end && line[start].unicode() <= 0x20)
        ++start;
    while (end > start && line[end - 1].unicode() <= 0x20)
        --end;
    return line.mid(start, end - start);
}

QString RiskSentence(ProductKind kind) {
    switch (kind) {
    case ProductKind::ModerateRiskOutlook:
        return QStringLiteral("...THERE IS A MDT RISK OF SVR TSTMS ");
    case ProductKind::HighRiskOutlook:
        return QStringLiteral("...THERE IS A HIGH RISK OF SVR TSTMS ");
    default:
        return QStringLiteral("...THERE IS A SLGT RISK OF SVR TSTMS ");
    }
}

} // namespace

QStringList DiscussionParagraph(const QByteArray& text, int n) {
    QStringList lines = QString::fromLatin1(text).split(QLatin1Char('\n'));
    // A final line break ends the last line; it does not start an empty one.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QStringList out;
    int paragraph = 0;
    for (const QString& raw : lines) {
        const QString line = TrimLine(raw);
        if (line.startsWith(QLatin1String("==="))) {
            ++paragraph;
            if (paragraph > n) break;
            continue;
        }
        if (paragraph == n) out << line;
    }
    return out;
}

QString LongestProductLine() {
    QStringList names;
    for (int slot = 1; slot <= RegionSlotCount; ++slot)
        if (Region(slot).Name[0] != '\0') names << QString::fromLatin1(Region(slot).Name);
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    const QString outlook = RiskSentence(ProductKind::SlightRiskOutlook) + QStringLiteral(" ") +
                            AreaPhrase(names.mid(0, MaxRegionNames));
    // Places are named within a few hundred miles; four digits leave room to spare.
    const QString watch = QStringLiteral("MILES ") + NorthAndSouth +
                          QStringLiteral(" OF A LINE FROM 9995 MILES NORTHWEST OF ") +
                          QString(PlaceNameAllowance, QLatin1Char('W'));
    return outlook.size() >= watch.size() ? outlook : watch;
}

QStringList WriteOutlookText(const OutlookInputs& in) {
    QStringList t;
    t << QStringLiteral("SPC AC ") + in.Stamps.IssueTag;
    t << QStringLiteral("DAY 1 CONVECTIVE OUTLOOK");
    t << QStringLiteral("NWS STORM PREDICTION CENTER NORMAN OK");
    t << in.Stamps.DateLine;
    t << QStringLiteral("VALID ") + in.Stamps.ValidFromTag + QStringLiteral("Z - ") +
             in.Stamps.ValidToDayTag + QStringLiteral("1200Z");
    t << Blank;
    // The sentence ends in a space and one more goes before the area: two in all.
    t << RiskSentence(in.Kind) + QStringLiteral(" ") + in.AreaPhrase;
    t << Blank;
    t << in.Discussion;
    t << Blank;
    t << QStringLiteral("...") + in.FirstRegionName + QStringLiteral("...");
    t << QStringLiteral("[WHAT YOU THINK WOULD GO HERE]");
    return t;
}

QStringList WriteWatchText(const WatchInputs& in) {
    const bool tornado = in.Kind == ProductKind::TornadoWatch;
    const QString code = tornado ? QStringLiteral("SEL8") : QStringLiteral("SEL9");
    const QString number = tornado ? QStringLiteral("TORNADO WATCH NUMBER 178")
                                   : QStringLiteral("SEVERE THUNDERSTORM WATCH NUMBER 179");
    const QString name =
        tornado ? QStringLiteral("TORNADO WATCH") : QStringLiteral("SEVERE THUNDERSTORM WATCH");
    const QString hazard = tornado ? QStringLiteral("TORNADOES...") : QString();
    const QString threat = tornado ? QStringLiteral("TORNADOES AND ") : QString();

    QStringList t;
    t << code << Empty << QStringLiteral("URGENT - IMMEDIATE BROADCAST REQUESTED") << number
      << QStringLiteral("NWS STORM PREDICTION CENTER NORMAN OK") << in.Stamps.DateLine << Blank
      << QStringLiteral("THE NATIONAL WEATHER SERVICE HAS ISSUED A")
      << name + QStringLiteral(" FOR PORTIONS OF ") << Blank;
    for (const QString& region : in.RegionNames)
        t << QStringLiteral("       ") + region;
    t << Blank;
    // The weekday is masked like every date; the watch always speaks of the afternoon.
    t << QStringLiteral("EFFECTIVE THIS ---- AFTERNOON FROM ") + in.Stamps.LocalStart +
             QStringLiteral(" UNTIL");
    t << in.Stamps.LocalEnd + QStringLiteral(" CST.");
    t << Blank;
    t << hazard + QStringLiteral("HAIL TO 2 INCHES IN DIAMETER...THUNDERSTORM WIND");
    t << QStringLiteral("GUSTS TO 70 MPH...AND DANGEROUS LIGHTNING ARE POSSIBLE IN THESE");
    t << QStringLiteral("AREAS.");
    t << Blank;
    t << QStringLiteral("THE ") + name + QStringLiteral(" AREA IS ALONG AND ") + in.HalfWidthMiles +
             QStringLiteral(" STATUTE");
    t << QStringLiteral("MILES ") + in.SideWords + QStringLiteral(" OF A LINE FROM ") +
             in.AxisStartPlace;
    t << QStringLiteral("TO ") + in.AxisEndPlace + QStringLiteral(".  FOR A");
    t << QStringLiteral("COMPLETE DEPICTION OF THE WATCH SEE THE ASSOCIATED WATCH OUTLINE");
    t << QStringLiteral("UPDATE (WOUS64 KWNS WOU8).");
    t << Blank;
    t << QStringLiteral("REMEMBER...A ") + name +
             QStringLiteral(" MEANS CONDITIONS ARE FAVORABLE FOR");
    t << threat + QStringLiteral("SEVERE THUNDERSTORMS IN AND CLOSE TO THE WATCH");
    t << QStringLiteral("AREA. PERSONS IN THESE AREAS SHOULD BE ON THE LOOKOUT FOR");
    t << QStringLiteral("THREATENING WEATHER CONDITIONS AND LISTEN FOR LATER STATEMENTS");
    t << QStringLiteral("AND POSSIBLE WARNINGS.");
    t << Blank;
    return t;
}

} // namespace nimbrel
