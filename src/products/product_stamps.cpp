#include "products/product_stamps.h"

#include "base/rounding.h"

namespace nimbrel {

namespace {
constexpr double CentralStandardOffset = 0.25; // six hours, in days
constexpr double WatchLength = 0.25;           // a watch runs six hours
} // namespace

DateTime RoundToStep(DateTime value, double stepsPerDay) {
    return RoundHalfEven(value * stepsPerDay) / stepsPerDay;
}

ProductStamps ComputeProductStamps(DateTime simulationTime) {
    ProductStamps s;
    s.IssueTag = FormatDateTime(QStringLiteral("\"--\"hhnn\"Z\""), simulationTime);
    s.DateLine = QStringLiteral("--- --- -- ----");
    s.ValidFromTag =
        FormatDateTime(QStringLiteral("\"--\"hhnn"), RoundToStep(simulationTime, 48.0));
    // The valid-to day is the next day, whose number is masked like every date.
    s.ValidToDayTag = QStringLiteral("--");
    const DateTime local = simulationTime - CentralStandardOffset;
    s.LocalStart = FormatDateTime(QStringLiteral("hnn am/pm"), RoundToStep(local, 96.0));
    s.LocalEnd =
        FormatDateTime(QStringLiteral("hnn am/pm"), RoundToStep(local + WatchLength, 24.0));
    return s;
}

} // namespace nimbrel
