// The three archive formats. Each reader turns text into levels with NaN for what is
// missing and the line each level came from; CleanLevels then makes the levels usable.
#include "profile.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include "base/errors.h"

namespace nimbrel::soundings {
namespace {

constexpr qint64 MaxFileBytes = qint64(16) * 1024 * 1024;
constexpr double KnotsPerMetrePerSecond = 1.0 / 0.514444;

[[noreturn]] void Fail(const QString& file, int line, const QString& reason) {
    throw DataError(line > 0 ? QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(reason)
                             : QStringLiteral("%1: %2").arg(file, reason));
}

// A number of a text field, NaN for blanks, "nan" and the archives' missing markers.
double Number(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty()) return Missing;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v <= -9998.5) return Missing;
    return v;
}

DateTime FromTwoDigitYear(int yy, int month, int day, int hour, int minute) {
    const int year = yy < 50 ? 2000 + yy : 1900 + yy;
    const auto date = TryEncodeDate(year, month, day);
    if (!date || hour < 0 || hour > 23 || minute < 0 || minute > 59) return -1.0;
    return *date + hour * OneHour + minute * OneMinute;
}

// ---- SPC text: %TITLE% / %RAW% / %END% ----------------------------------------------
Sounding ReadSpc(const QStringList& lines, const QString& file) {
    Sounding s;
    s.Source = file;
    s.Format = QStringLiteral("spc");
    int i = 0;
    while (i < lines.size() && !lines[i].trimmed().startsWith(QLatin1String("%TITLE%")))
        ++i;
    ++i;
    while (i < lines.size() && lines[i].trimmed().isEmpty())
        ++i;
    if (i >= lines.size()) Fail(file, i, QStringLiteral("no title line after %TITLE%"));
    static const QRegularExpression title(
        QStringLiteral("^\\s*(\\S+)\\s+(\\d\\d)(\\d\\d)(\\d\\d)/(\\d\\d)(\\d\\d)"));
    const auto m = title.match(lines[i]);
    if (!m.hasMatch())
        Fail(file, i + 1, QStringLiteral("the title is not \"STATION yymmdd/hhmm\""));
    s.Station = m.captured(1).toUpper();
    s.Launch = FromTwoDigitYear(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(),
                                m.captured(5).toInt(), m.captured(6).toInt());
    if (s.Launch < 0) Fail(file, i + 1, QStringLiteral("the title's date is not a real date"));
    while (i < lines.size() && !lines[i].trimmed().startsWith(QLatin1String("%RAW%")))
        ++i;
    if (i >= lines.size()) Fail(file, 0, QStringLiteral("no %RAW% section"));
    for (++i; i < lines.size(); ++i) {
        const QString t = lines[i].trimmed();
        if (t.startsWith(QLatin1String("%END%"))) break;
        if (t.isEmpty()) continue;
        const QStringList f = t.split(QLatin1Char(','));
        if (f.size() < 6) Fail(file, i + 1, QStringLiteral("a %RAW% row needs six values"));
        Level l;
        l.Pressure = Number(f[0]);
        l.Height = Number(f[1]);
        l.Temperature = Number(f[2]);
        l.DewPoint = Number(f[3]);
        l.Direction = Number(f[4]);
        l.Speed = Number(f[5]);
        l.Line = i + 1;
        s.Levels.push_back(l);
    }
    return s;
}

// ---- University of Wyoming TEXT:LIST ------------------------------------------------
// Columns are 7 characters wide and right-aligned under their names; a blank field is a
// missing value. The station line ("72357 OUN Norman Observations at 00Z 04 May 1999")
// is optional, as is the HTML around the table.
std::vector<Sounding> ReadWyoming(const QStringList& lines, const QString& file,
                                  DateTime fallbackTime) {
    static const QRegularExpression stationLine(QStringLiteral(
        "(\\d{5})\\s+([A-Z0-9]{3,4})?.*Observations at (\\d\\d)Z (\\d\\d) (\\w{3}) (\\d{4})"));
    static const QStringList months = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::vector<Sounding> out;
    QString station;
    DateTime launch = fallbackTime;
    for (int i = 0; i < lines.size(); ++i) {
        const auto m = stationLine.match(lines[i]);
        if (m.hasMatch()) {
            station = m.captured(2).isEmpty() ? m.captured(1) : m.captured(2);
            const int month = int(months.indexOf(m.captured(5))) + 1;
            const auto date = TryEncodeDate(m.captured(6).toInt(), month, m.captured(4).toInt());
            const int hour = m.captured(3).toInt();
            if (!date || month < 1 || hour > 23)
                Fail(file, i + 1, QStringLiteral("the station line's date is not a real date"));
            launch = *date + hour * OneHour;
            continue;
        }
        if (!(lines[i].contains(QLatin1String("PRES")) && lines[i].contains(QLatin1String("HGHT"))))
            continue;
        // The header names the columns; each occupies the 7 characters ending at its name.
        QStringList names;
        std::vector<int> ends;
        static const QRegularExpression word(QStringLiteral("\\S+"));
        for (auto it = word.globalMatch(lines[i]); it.hasNext();) {
            const auto w = it.next();
            names << w.captured();
            ends.push_back(int(w.capturedEnd()));
        }
        auto column = [&](const char* name) { return int(names.indexOf(QLatin1String(name))); };
        const int cp = column("PRES"), cz = column("HGHT"), ct = column("TEMP"),
                  cd = column("DWPT"), cdir = column("DRCT"), csp = column("SKNT");
        Sounding s;
        s.Source = file;
        s.Format = QStringLiteral("uwyo");
        s.Station = station;
        s.Launch = launch;
        int j = i + 1;
        // Units line and rule.
        while (j < lines.size() && j <= i + 3 &&
               (lines[j].contains(QLatin1String("hPa")) || lines[j].trimmed().startsWith('-')))
            ++j;
        static const QRegularExpression dataLine(QStringLiteral("^\\s*\\d+(\\.\\d*)?(\\s|$)"));
        for (; j < lines.size(); ++j) {
            const QString& row = lines[j];
            if (!dataLine.match(row).hasMatch()) break;
            auto field = [&](int c) {
                if (c < 0) return Missing;
                const int end = ends[std::size_t(c)], begin = std::max(0, end - 7);
                if (begin >= row.size()) return Missing;
                return Number(QStringView(row).mid(begin, end - begin));
            };
            Level l;
            l.Pressure = field(cp);
            l.Height = field(cz);
            l.Temperature = field(ct);
            l.DewPoint = field(cd);
            l.Direction = field(cdir);
            l.Speed = field(csp);
            l.Line = j + 1;
            s.Levels.push_back(l);
        }
        if (cp < 0 || cz < 0 || ct < 0)
            Fail(file, i + 1, QStringLiteral("the table has no PRES, HGHT or TEMP column"));
        out.push_back(std::move(s));
        i = j - 1;
    }
    return out;
}

// ---- IGRA version 2 -----------------------------------------------------------------
// NCEI's Integrated Global Radiosonde Archive, version 2 ("igra2-data-format.txt"): a
// header line per sounding, then NUMLEV data lines. Header columns (1-based):
// '#' 1, ID 2-12, YEAR 14-17, MONTH 19-20, DAY 22-23, HOUR 25-26 (99 missing),
// RELTIME 28-31 (HHMM, 9999 missing), NUMLEV 33-36. Data columns: LVLTYP1 1,
// LVLTYP2 2, ETIME 4-8, PRESS 10-15 (Pa), PFLAG 16, GPH 17-21 (m), ZFLAG 22,
// TEMP 23-27 (tenths C), TFLAG 28, RH 29-33, DPDP 35-39 (tenths C), WDIR 41-45 (deg),
// WSPD 47-51 (tenths m/s). -8888 and -9999 are missing. Levels without a pressure
// (type 3, heights only) are left out: every use of a level here needs its pressure.
double IgraField(const QString& line, int first, int last, double scale) {
    if (line.size() < first) return Missing;
    const double v = Number(QStringView(line).mid(first - 1, last - first + 1));
    return Has(v) && v > -8887.5 ? v * scale : Missing;
}

std::vector<Sounding> ReadIgra(const QStringList& lines, const QString& file,
                               QStringList* skipped) {
    std::vector<Sounding> out;
    int i = 0;
    while (i < lines.size()) {
        const QString& h = lines[i];
        if (h.trimmed().isEmpty()) {
            ++i;
            continue;
        }
        if (!h.startsWith('#') || h.size() < 36)
            Fail(file, i + 1, QStringLiteral("an IGRA header line (starting with #) was expected"));
        bool okY = false, okM = false, okD = false, okH = false, okR = false, okN = false;
        const int year = h.mid(13, 4).trimmed().toInt(&okY), month = h.mid(18, 2).toInt(&okM),
                  day = h.mid(21, 2).toInt(&okD), hour = h.mid(24, 2).toInt(&okH),
                  rel = h.mid(27, 4).toInt(&okR), count = h.mid(32, 4).trimmed().toInt(&okN);
        if (!okY || !okM || !okD || !okN || count < 0 || count > 9999)
            Fail(file, i + 1,
                 QStringLiteral("the IGRA header's date or level count is unreadable"));
        Sounding s;
        s.Source = file;
        s.Format = QStringLiteral("igra2");
        s.Station = h.mid(1, 11).trimmed();
        const auto date = TryEncodeDate(year, month, day);
        int launchHour = okH && hour >= 0 && hour <= 23 ? hour : -1;
        if (launchHour < 0 && okR && rel != 9999 && rel / 100 <= 23) launchHour = rel / 100;
        const int headerLine = i + 1;
        ++i;
        int read = 0;
        for (; read < count && i < lines.size(); ++read, ++i) {
            const QString& d = lines[i];
            if (d.startsWith('#'))
                Fail(file, i + 1,
                     QStringLiteral("the header before promised %1 levels").arg(count));
            Level l;
            l.Pressure = IgraField(d, 10, 15, 0.01);
            l.Height = IgraField(d, 17, 21, 1.0);
            l.Temperature = IgraField(d, 23, 27, 0.1);
            const double depression = IgraField(d, 35, 39, 0.1);
            l.DewPoint = l.Temperature - depression;
            l.Direction = IgraField(d, 41, 45, 1.0);
            l.Speed = IgraField(d, 47, 51, 0.1 * KnotsPerMetrePerSecond);
            l.Line = i + 1;
            if (Has(l.Pressure)) s.Levels.push_back(l);
        }
        if (read < count)
            Fail(file, headerLine,
                 QStringLiteral("the file ends before the %1 levels the header promises")
                     .arg(count));
        try {
            if (!date || launchHour < 0)
                Fail(file, headerLine, QStringLiteral("the sounding has no valid date and hour"));
            s.Launch = *date + launchHour * OneHour;
            CleanLevels(s);
            out.push_back(std::move(s));
        } catch (const DataError& e) {
            if (!skipped) throw;
            *skipped << QString::fromStdString(e.what());
        }
    }
    return out;
}

} // namespace

void CleanLevels(Sounding& s) {
    auto& levels = s.Levels;
    for (Level& l : levels) {
        auto absurd = [&](const QString& what) {
            Fail(s.Source, l.Line, what + " is not possible");
        };
        if (Has(l.Pressure) && (l.Pressure > 1100.0 || l.Pressure <= 0.0))
            absurd(QStringLiteral("a pressure of %1 hPa").arg(l.Pressure));
        if (Has(l.Temperature) && (l.Temperature < -110.0 || l.Temperature > 60.0))
            absurd(QStringLiteral("a temperature of %1 C").arg(l.Temperature));
        if (Has(l.DewPoint) && (l.DewPoint < -130.0 || l.DewPoint > 45.0))
            absurd(QStringLiteral("a dew point of %1 C").arg(l.DewPoint));
        if (Has(l.Height) && (l.Height < -500.0 || l.Height > 60000.0))
            absurd(QStringLiteral("a height of %1 m").arg(l.Height));
        if (Has(l.Speed) && (l.Speed < 0.0 || l.Speed > 350.0))
            absurd(QStringLiteral("a wind of %1 kt").arg(l.Speed));
        if (Has(l.Direction) && (l.Direction < 0.0 || l.Direction > 360.0))
            absurd(QStringLiteral("a wind direction of %1 degrees").arg(l.Direction));
        // A dew point a little above the temperature is a sensor's rounding: saturation.
        if (Has(l.DewPoint) && Has(l.Temperature) && l.DewPoint > l.Temperature)
            l.DewPoint = l.Temperature;
        if (Has(l.Temperature) != Has(l.DewPoint) && !Has(l.Temperature)) l.DewPoint = Missing;
    }
    std::erase_if(levels, [](const Level& l) { return !Has(l.Pressure); });
    std::stable_sort(levels.begin(), levels.end(),
                     [](const Level& a, const Level& b) { return a.Pressure > b.Pressure; });
    // A pressure given twice: one level, the first row's values completed by the second's.
    std::vector<Level> merged;
    for (const Level& l : levels) {
        if (!merged.empty() && std::abs(merged.back().Pressure - l.Pressure) < 0.005) {
            Level& m = merged.back();
            for (auto field : {&Level::Height, &Level::Temperature, &Level::DewPoint,
                               &Level::Direction, &Level::Speed})
                if (!Has(m.*field)) m.*field = l.*field;
            continue;
        }
        merged.push_back(l);
    }
    // The surface is the lowest level with a temperature and a height; rows below it are
    // the archive's extrapolation underground.
    const auto surface =
        std::find_if(merged.begin(), merged.end(), [](const Level& l) { return l.HasThermo(); });
    if (surface == merged.end())
        Fail(s.Source, 0, QStringLiteral("no level has both a temperature and a height"));
    merged.erase(merged.begin(), surface);
    // Heights must rise with falling pressure; a height that does not is dropped and,
    // like a missing one, filled in between its neighbours (linear in log pressure).
    double last = merged.front().Height;
    for (std::size_t k = 1; k < merged.size(); ++k) {
        if (Has(merged[k].Height) && merged[k].Height <= last) merged[k].Height = Missing;
        if (Has(merged[k].Height)) last = merged[k].Height;
    }
    for (std::size_t k = 1; k < merged.size(); ++k) {
        if (Has(merged[k].Height)) continue;
        std::size_t below = k - 1, above = k + 1;
        while (above < merged.size() && !Has(merged[above].Height))
            ++above;
        if (above >= merged.size()) break;
        const double f = std::log(merged[below].Pressure / merged[k].Pressure) /
                         std::log(merged[below].Pressure / merged[above].Pressure);
        merged[k].Height = merged[below].Height + f * (merged[above].Height - merged[below].Height);
    }
    const auto thermo =
        std::count_if(merged.begin(), merged.end(), [](const Level& l) { return l.HasThermo(); });
    if (thermo < 2)
        Fail(s.Source, merged.front().Line,
             QStringLiteral("fewer than two levels with a temperature and a height"));
    levels = std::move(merged);
}

std::vector<Sounding> ReadSoundings(const QByteArray& bytes, const QString& fileName,
                                    DateTime fallbackTime) {
    const QString text = QString::fromLatin1(bytes);
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    std::vector<Sounding> out;
    if (text.contains(QLatin1String("%RAW%"))) {
        out.push_back(ReadSpc(lines, fileName));
    } else if (text.startsWith('#')) {
        QStringList skipped;
        out = ReadIgra(lines, fileName, &skipped);
        if (out.empty())
            Fail(fileName, 0,
                 skipped.isEmpty() ? QStringLiteral("no sounding in the file") : skipped.front());
        return out; // each already cleaned
    } else {
        out = ReadWyoming(lines, fileName, fallbackTime);
    }
    if (out.empty())
        Fail(fileName, 0,
             QStringLiteral("not a sounding: no %RAW% section, IGRA header or PRES/HGHT table"));
    for (Sounding& s : out)
        CleanLevels(s);
    return out;
}

std::vector<Sounding> ReadSoundingFile(const QString& path) {
    QFile f(path);
    if (!f.exists()) throw FileNotFound(path);
    if (!f.open(QIODevice::ReadOnly)) throw FileError(QStringLiteral("Cannot read ") + path);
    if (f.size() > MaxFileBytes)
        throw DataError(path + QStringLiteral(": larger than any sounding file (16 MiB)"));
    const QByteArray bytes = f.read(MaxFileBytes);
    // STATION_YYYYMMDD_HHZ names the archive copies whose tables carry no date.
    DateTime fallback = 0.0;
    static const QRegularExpression named(QStringLiteral("_(\\d{4})(\\d\\d)(\\d\\d)_(\\d\\d)Z"));
    const auto m = named.match(QFileInfo(path).fileName());
    if (m.hasMatch()) {
        const auto date =
            TryEncodeDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (date && m.captured(4).toInt() <= 23) fallback = *date + m.captured(4).toInt() * OneHour;
    }
    std::vector<Sounding> out = ReadSoundings(bytes, path, fallback);
    const QString prefix = QFileInfo(path).fileName().section(QLatin1Char('_'), 0, 0);
    for (Sounding& s : out)
        if (s.Station.isEmpty() && m.hasMatch()) s.Station = prefix.toUpper();
    return out;
}

QString StationLetters(const QString& archiveName) {
    // WMO numbers of the upper-air stations of the station table (the IGRA identifier
    // ends in the WMO number: USM00072357 is Norman, OUN).
    static const struct {
        const char* Wmo;
        const char* Letters;
    } known[] = {{"72469", "DEN"}, {"72365", "ABQ"}, {"72364", "EPZ"}, {"72261", "DRT"},
                 {"72251", "CRP"}, {"72265", "MAF"}, {"72249", "FWD"}, {"72248", "SHV"},
                 {"72363", "AMA"}, {"72357", "OUN"}, {"72340", "LZK"}, {"72451", "DDC"},
                 {"72440", "SGF"}, {"72456", "TOP"}, {"72562", "LBF"}, {"72558", "OAX"},
                 {"72662", "RAP"}, {"72659", "ABR"}, {"72649", "MPX"}, {"72240", "LCH"}};
    QString name = archiveName.trimmed().toUpper();
    if (name.size() >= 5) {
        const QString wmo = name.right(5);
        for (const auto& k : known)
            if (wmo == QLatin1String(k.Wmo)) return QString::fromLatin1(k.Letters);
    }
    return name;
}

} // namespace nimbrel::soundings
