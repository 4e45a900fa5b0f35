#pragma once
// DateTime: days since 30 December 1899 as a double, the fraction being the time of
// day. All times are UTC unless a caller says otherwise.
#include <optional>

#include <QString>

namespace nimbrel {

using DateTime = double;

inline constexpr double OneHour = 1.0 / 24.0;
inline constexpr double OneMinute = 1.0 / 1440.0;

bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second);
/// Day number of a calendar date (proleptic Gregorian); throws ConvertError when invalid.
DateTime EncodeDate(int year, int month, int day);
std::optional<DateTime> TryEncodeDate(int year, int month, int day);
/// Fraction of a day; throws ConvertError when invalid.
double EncodeTime(int hour, int minute, int second, int msec = 0);

struct DateParts {
    int Year = 0, Month = 0, Day = 0, DayOfWeek = 0; // DayOfWeek 1 = Sunday .. 7 = Saturday
};
struct TimeParts {
    int Hour = 0, Minute = 0, Second = 0, Msec = 0;
};
DateParts DecodeDate(DateTime value);
/// Time of day, rounded to the millisecond so that whole hours stay whole.
TimeParts DecodeTime(DateTime value);

/// Formats with the pattern language of the program's texts:
///   d dd ddd dddd   day, two-digit day, abbreviated and full day name
///   m mm mmm mmmm   month, two-digit month, abbreviated and full month name
///   yy yyyy         two- and four-digit year
///   h hh            hour (0-23); n nn (and m/mm right after h) minutes; s ss seconds
///   am/pm           switches hours to 1-12 and writes AM or PM
///   "text" 'text'   literal text; any other character is copied.
/// Day and month names come from the system locale.
QString FormatDateTime(const QString& pattern, DateTime value);

/// Reads "mm/dd/yyyy hh:nn:ss" (month first, seconds optional); throws ConvertError.
DateTime StrToDateTime(const QString& text);

} // namespace nimbrel
