#include "base/datetime.h"

#include <cmath>

#include <QDate>
#include <QLocale>

#include "base/errors.h"

namespace nimbrel {
namespace {

// Day number of 30 December 1899 in Qt's Julian day count.
constexpr qint64 EpochJulianDay = 2415019;

} // namespace

bool IsValidDate(int year, int month, int day) {
    return year >= 1 && year <= 9999 && QDate::isValid(year, month, day);
}

bool IsValidTime(int hour, int minute, int second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::optional<DateTime> TryEncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) return std::nullopt;
    return static_cast<double>(QDate(year, month, day).toJulianDay() - EpochJulianDay);
}

DateTime EncodeDate(int year, int month, int day) {
    if (auto d = TryEncodeDate(year, month, day)) return *d;
    throw ConvertError(QStringLiteral("Invalid argument to date encode"));
}

double EncodeTime(int hour, int minute, int second, int msec) {
    if (!IsValidTime(hour, minute, second) || msec < 0 || msec > 999)
        throw ConvertError(QStringLiteral("Invalid argument to time encode"));
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / 86400000.0;
}

namespace {
// Splits a DateTime into whole days and milliseconds of the day, rounding to the
// millisecond first so that 0.999999999 of a day becomes the next midnight.
void Split(DateTime value, qint64& days, qint64& msOfDay) {
    const double totalMs = std::round(value * 86400000.0);
    days = static_cast<qint64>(std::floor(totalMs / 86400000.0));
    msOfDay = static_cast<qint64>(totalMs - static_cast<double>(days) * 86400000.0);
}
} // namespace

DateParts DecodeDate(DateTime value) {
    qint64 days = 0, ms = 0;
    Split(value, days, ms);
    const QDate d = QDate::fromJulianDay(days + EpochJulianDay);
    DateParts p;
    p.Year = d.year();
    p.Month = d.month();
    p.Day = d.day();
    p.DayOfWeek = d.dayOfWeek() % 7 + 1; // Qt: Monday 1 .. Sunday 7
    return p;
}

TimeParts DecodeTime(DateTime value) {
    qint64 days = 0, ms = 0;
    Split(value, days, ms);
    TimeParts t;
    t.Hour = static_cast<int>(ms / 3600000);
    t.Minute = static_cast<int>(ms / 60000 % 60);
    t.Second = static_cast<int>(ms / 1000 % 60);
    t.Msec = static_cast<int>(ms % 1000);
    return t;
}

QString FormatDateTime(const QString& pattern, DateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    const QLocale locale = QLocale::system();
    const int qtDay = (d.DayOfWeek + 5) % 7 + 1; // back to Qt's Monday-first numbering

    // Twelve-hour clock when the pattern holds am/pm anywhere.
    const bool twelve = pattern.contains(QLatin1String("am/pm"), Qt::CaseInsensitive);
    QString out;
    bool lastWasHour = false;
    const int n = static_cast<int>(pattern.size());
    auto run = [&](int i, QChar c) {
        int k = i;
        while (k < n && pattern[k].toLower() == c)
            ++k;
        return k - i;
    };
    for (int i = 0; i < n;) {
        const QChar c = pattern[i];
        const QChar lc = c.toLower();
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int end = static_cast<int>(pattern.indexOf(c, i + 1));
            const int stop = end < 0 ? n : end;
            out += pattern.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (pattern.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            out += t.Hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            i += 5;
            continue;
        }
        if (lc == QLatin1Char('d')) {
            const int len = run(i, lc);
            if (len == 1)
                out += QString::number(d.Day);
            else if (len == 2)
                out += QStringLiteral("%1").arg(d.Day, 2, 10, QLatin1Char('0'));
            else if (len == 3)
                out += locale.dayName(qtDay, QLocale::ShortFormat);
            else
                out += locale.dayName(qtDay, QLocale::LongFormat);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('m')) {
            const int len = run(i, lc);
            if (lastWasHour && len <= 2) {
                out += len == 1 ? QString::number(t.Minute)
                                : QStringLiteral("%1").arg(t.Minute, 2, 10, QLatin1Char('0'));
            } else if (len == 1)
                out += QString::number(d.Month);
            else if (len == 2)
                out += QStringLiteral("%1").arg(d.Month, 2, 10, QLatin1Char('0'));
            else if (len == 3)
                out += locale.monthName(d.Month, QLocale::ShortFormat);
            else
                out += locale.monthName(d.Month, QLocale::LongFormat);
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('y')) {
            const int len = run(i, lc);
            if (len <= 2)
                out += QStringLiteral("%1").arg(d.Year % 100, 2, 10, QLatin1Char('0'));
            else
                out += QStringLiteral("%1").arg(d.Year, 4, 10, QLatin1Char('0'));
            i += len;
            lastWasHour = false;
            continue;
        }
        if (lc == QLatin1Char('h')) {
            const int len = run(i, lc);
            int hour = t.Hour;
            if (twelve) {
                hour %= 12;
                if (hour == 0) hour = 12;
            }
            out += len == 1 ? QString::number(hour)
                            : QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0'));
            i += len;
            lastWasHour = true;
            continue;
        }
        if (lc == QLatin1Char('n') || lc == QLatin1Char('s')) {
            const int len = run(i, lc);
            const int v = lc == QLatin1Char('n') ? t.Minute : t.Second;
            out += len == 1 ? QString::number(v)
                            : QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
            i += len;
            lastWasHour = false;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

DateTime StrToDateTime(const QString& text) {
    const QString t = text.trimmed();
    const QStringList halves = t.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    auto fail = [&]() -> ConvertError {
        return ConvertError(QStringLiteral("'%1' is not a valid date and time").arg(text));
    };
    if (halves.isEmpty() || halves.size() > 2) throw fail();
    const QStringList dp = halves[0].split(QLatin1Char('/'));
    if (dp.size() != 3) throw fail();
    bool ok1 = false, ok2 = false, ok3 = false;
    const int month = dp[0].toInt(&ok1), day = dp[1].toInt(&ok2), year = dp[2].toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || !IsValidDate(year, month, day)) throw fail();
    double time = 0;
    if (halves.size() == 2) {
        const QStringList tp = halves[1].split(QLatin1Char(':'));
        if (tp.size() < 2 || tp.size() > 3) throw fail();
        bool a = false, b = false, c = true;
        const int h = tp[0].toInt(&a), m = tp[1].toInt(&b);
        const int s = tp.size() == 3 ? tp[2].toInt(&c) : 0;
        if (!a || !b || !c || !IsValidTime(h, m, s)) throw fail();
        time = EncodeTime(h, m, s);
    }
    return EncodeDate(year, month, day) + time;
}

} // namespace nimbrel
