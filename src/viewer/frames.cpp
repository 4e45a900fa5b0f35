#include "viewer/frames.h"

#include <algorithm>

#include "base/errors.h"
#include "base/mask.h"
#include "sim/clock.h"

namespace nimbrel {

namespace {

// Characters 6 to 16 of a frame name (1-based): "yymmdd-hhnn".
constexpr qsizetype TimeKeyStart = 5;
constexpr qsizetype TimeKeyLength = 11;

// File names compare as the bytes the file system stores, not by locale rules, so
// that the newest frame of one prefix is always the last.
bool ByteOrderLess(const QString& a, const QString& b) {
    return a.toUtf8() < b.toUtf8();
}

} // namespace

QString FrameMask(ChartKind kind) {
    switch (kind) {
    case ChartKind::VisibleSatellite:
        return QStringLiteral("satv-??????-????*");
    case ChartKind::SurfaceAnalysis:
        return QStringLiteral("hsfc-??????-????*");
    case ChartKind::Chart850:
        return QStringLiteral("h850-??????-????*");
    case ChartKind::Chart700:
        return QStringLiteral("h700-??????-????*");
    case ChartKind::Chart500:
        return QStringLiteral("h500-??????-????*");
    case ChartKind::Chart250:
        return QStringLiteral("h250-??????-????*");
    case ChartKind::TargetMap:
    case ChartKind::Sounding:
        break;
    }
    return QString();
}

QString ClockTimeKey(DateTime simulationTime) {
    return FormatDateTime(QStringLiteral("yymmdd\"-\"hhnn"), simulationTime);
}

QStringList BuildFrameList(const QString& folder, const QString& mask, DateTime simulationTime) {
    const QByteArray clockKey = ClockTimeKey(simulationTime).toUtf8();
    QStringList frames;
    for (const QString& name : ListMatching(folder, mask)) {
        if (name.mid(TimeKeyStart, TimeKeyLength).toUtf8() <= clockKey) frames << name;
    }
    std::sort(frames.begin(), frames.end(), ByteOrderLess);
    return frames;
}

QString FramesLoadedCaption(qsizetype count) {
    return QString::number(count) + QStringLiteral(" frame") +
           (count == 1 ? QString() : QStringLiteral("s")) + QStringLiteral(" loaded");
}

QStringList SoundingMasks(const QString& identifiers) {
    const QString prefix = QStringLiteral("skew-??????-????-");
    const QString first = identifiers.mid(0, 3).toLower();
    const QString second = identifiers.mid(4, 3).toLower();
    QStringList masks{prefix + first + QStringLiteral(".gif")};
    if (!second.isEmpty()) masks << prefix + second + QStringLiteral(".gif");
    return masks;
}

DateTime FrameValidTime(const QString& fileName) {
    // 1-based positions as the name is laid out; mid() is 0-based.
    auto chars = [&](int from, int count) { return fileName.mid(from - 1, count); };
    const QString year = chars(6, 2);
    const QChar firstYearDigit = year.isEmpty() ? QChar() : year[0];
    const bool nineteenHundreds =
        firstYearDigit >= QLatin1Char('5') && firstYearDigit <= QLatin1Char('9');
    const QString text = chars(8, 2) + QLatin1Char('/') + chars(10, 2) + QLatin1Char('/') +
                         (nineteenHundreds ? QStringLiteral("19") : QStringLiteral("20")) + year +
                         QLatin1Char(' ') + chars(13, 2) + QLatin1Char(':') + chars(15, 2) +
                         QStringLiteral(":00");
    // Only plain digits may stand in the fields: the general text reader would also
    // take signs and blanks, which no frame name may carry.
    const QString digits = chars(6, 6) + chars(13, 4);
    const bool allDigits =
        digits.size() == 10 && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    if (!allDigits)
        throw ConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    return StrToDateTime(text);
}

QString ProductDateText(DateTime validTime, bool dateHidden) {
    if (dateHidden) return HiddenDateText;
    return FormatDateTime(QStringLiteral("ddd dd mmm yyyy"), validTime);
}

QString ProductTimeText(DateTime validTime) {
    return FormatDateTime(QStringLiteral("hh:nn \"UTC\""), validTime);
}

} // namespace nimbrel
