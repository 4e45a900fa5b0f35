#include "case_list.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "base/errors.h"
#include "base/records.h"
#include "cases/catalogue_builder.h"
#include "cities.h"
#include "disc/disc_kit.h"
#include "reports/extraction.h"

namespace nimbrel::tools {
namespace {

const char* const Months[] = {"January",   "February", "March",    "April",
                              "May",       "June",     "July",     "August",
                              "September", "October",  "November", "December"};
const char* const Weekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};

QString DayText(DateTime day) {
    const DateParts p = DecodeDate(day);
    return QStringLiteral("%1, %2 %3, %4")
        .arg(QLatin1String(Weekdays[p.DayOfWeek - 1]), QLatin1String(Months[p.Month - 1]))
        .arg(p.Day)
        .arg(p.Year);
}

// Ratings on the Enhanced Fujita scale from February 2007, on the Fujita scale before.
QString Scale(const DayCounts& c) {
    return c.Day >= EncodeDate(2007, 2, 1) ? QStringLiteral("EF") : QStringLiteral("F");
}

QString TitleCase(const QString& upper) {
    QString out = upper.toLower();
    for (qsizetype i = 0; i < out.size(); ++i)
        if (i == 0 || out[i - 1] == QLatin1Char(' ')) out[i] = out[i].toUpper();
    return out;
}

QString StateName(const QString& postal) {
    const QString name = StateNameOfPostal(postal);
    return name.isEmpty() ? postal : TitleCase(name);
}

QString Plural(int n, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

QString Join(const QStringList& items) {
    if (items.size() <= 1) return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           items.last();
}

int WholeField(const QByteArray& text, int fallback) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? v : fallback;
}

double DecimalField(const QByteArray& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(v) ? v : 0.0;
}

// A CSV field of the case list, always quoted.
QString Quoted(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

} // namespace

DayCounts CountDay(const QString& tables, DateTime day) {
    DayCounts c;
    c.Day = day;
    const disc::TableChoice choice = disc::TablesForDay(tables, day);
    c.HasHailTable = !choice.Paths[1].isEmpty();
    c.HasWindTable = !choice.Paths[2].isEmpty();
    std::set<QString> states;
    for (int k = 1; k <= 3; ++k) {
        if (choice.Paths[k - 1].isEmpty()) continue;
        // The same rows the extraction takes for the day, by the same reader.
        TextLineReader reader(choice.Paths[k - 1]);
        while (!reader.AtEnd()) {
            const SourceFields f(reader.ReadLine());
            bool ok = false;
            f.Field(2).trimmed().toDouble(&ok);
            if (!ok) continue;
            QByteArray dayText = f.Field(4);
            if (f.Field(3) == "6" && dayText == "31") dayText = "30";
            const auto date = TryEncodeDate(WholeField(f.Field(2), 0), WholeField(f.Field(3), 0),
                                            WholeField(dayText, 0));
            if (!date || *date != day) continue;
            const QString state = QString::fromLatin1(f.Field(8).left(2));
            states.insert(state);
            if (k == 2) {
                ++c.Hail;
                c.LargestHailInches = std::max(c.LargestHailInches, DecimalField(f.Field(11)));
                continue;
            }
            if (k == 3) {
                ++c.Wind;
                continue;
            }
            ++c.TornadoRows;
            // A track that crosses a state line has a row for the whole track and one per
            // state (segment field 2); the whole-track row is the tornado.
            if (WholeField(f.Field(24), 1) == 2) continue;
            ++c.Tornadoes;
            const int rating = WholeField(f.Field(11), -9);
            if (rating >= 0 && rating <= 5) {
                ++c.ByRating[rating];
                c.StrongestRating = std::max(c.StrongestRating, rating);
            } else {
                ++c.Unrated;
            }
            c.Injuries += std::max(0, WholeField(f.Field(12), 0));
            c.Deaths += std::max(0, WholeField(f.Field(13), 0));
            const double length = DecimalField(f.Field(20));
            if (length > c.LongestPathMiles) {
                c.LongestPathMiles = length;
                c.LongestPathState = state;
            }
        }
    }
    for (const QString& s : states)
        c.States << s;
    return c;
}

QString EventLetter(const DayCounts& c) {
    if (c.Tornadoes >= 10 || c.StrongestRating >= 3) return QStringLiteral("T");
    if (c.Tornadoes + c.Hail + c.Wind >= 10) return QStringLiteral("S");
    return QStringLiteral("N");
}

int Ranking(const DayCounts& c) {
    if (c.StrongestRating >= 5 || c.Tornadoes >= 50 || c.Deaths >= 30) return 5;
    if (c.StrongestRating >= 4 || c.Tornadoes >= 25 || c.Deaths >= 10) return 4;
    if (c.StrongestRating >= 3 || c.Tornadoes >= 10 || c.Deaths >= 1 || c.Hail >= 100) return 3;
    if (c.StrongestRating >= 2 || c.Tornadoes >= 3 || c.Hail >= 25) return 2;
    if (c.Tornadoes + c.Hail + c.Wind > 0) return 1;
    return 0;
}

QString Narrative(const DayCounts& c) {
    const QString scale = Scale(c);
    QStringList s;
    s << QStringLiteral("Storm reports of %1 from the national report tables, which date them in "
                        "local standard time.")
             .arg(DayText(c.Day));
    if (c.Tornadoes == 0) {
        s << QStringLiteral("The tornado table lists no tornado for the day.");
    } else {
        QString t = QStringLiteral("The tornado table lists %1")
                        .arg(Plural(c.Tornadoes, "tornado", "tornadoes"));
        if (c.TornadoRows > c.Tornadoes)
            t += QStringLiteral(" (%1 rows, counting the per-state parts of tracks that crossed "
                                "state lines)")
                     .arg(c.TornadoRows);
        s << t + QLatin1Char('.');
        QStringList ratings;
        for (int r = 0; r <= 5; ++r)
            if (c.ByRating[r] > 0)
                ratings << QStringLiteral("%1 %2%3").arg(c.ByRating[r]).arg(scale).arg(r);
        if (c.Unrated > 0) ratings << QStringLiteral("%1 unrated").arg(c.Unrated);
        s << QStringLiteral("By rating: %1.").arg(Join(ratings));
        if (c.StrongestRating >= 0)
            s << QStringLiteral("The strongest %1 rated %2%3.")
                     .arg(c.ByRating[c.StrongestRating] == 1 ? QStringLiteral("was")
                                                             : QStringLiteral("were"))
                     .arg(scale)
                     .arg(c.StrongestRating);
        if (c.Deaths > 0 || c.Injuries > 0)
            s << QStringLiteral("Tornadoes killed %1 and injured %2.")
                     .arg(Plural(c.Deaths, "person", "people"))
                     .arg(c.Injuries);
        else
            s << QStringLiteral("The table records no tornado deaths or injuries.");
        if (c.LongestPathMiles > 0.0)
            s << QStringLiteral("The longest path was %1 miles, beginning in %2.")
                     .arg(c.LongestPathMiles, 0, 'f', 1)
                     .arg(StateName(c.LongestPathState));
    }
    if (!c.HasHailTable)
        s << QStringLiteral("No hail table for this period is part of the disc.");
    else if (c.Hail == 0)
        s << QStringLiteral("The hail table lists no hail for the day.");
    else
        s << QStringLiteral("The hail table lists %1, the largest %2 inches across.")
                 .arg(Plural(c.Hail, "report", "reports"))
                 .arg(c.LargestHailInches, 0, 'f', 2);
    if (!c.HasWindTable)
        s << QStringLiteral(
            "No wind table is part of the disc, so damaging winds are not counted.");
    else
        s << QStringLiteral("The wind table lists %1.").arg(Plural(c.Wind, "report", "reports"));
    if (!c.States.isEmpty()) {
        QStringList names;
        for (const QString& p : c.States)
            names << StateName(p);
        s << QStringLiteral("Reports came from %1.").arg(Join(names));
    }
    return s.join(QLatin1Char(' '));
}

QString Description(const DayCounts& c) {
    const QString letter = EventLetter(c);
    QString d = letter == QLatin1String("T")   ? QStringLiteral("Tornado day: ")
                : letter == QLatin1String("S") ? QStringLiteral("Severe day: ")
                                               : QStringLiteral("Weak storms: ");
    QStringList parts;
    QString tornadoes = Plural(c.Tornadoes, "tornado", "tornadoes");
    if (c.StrongestRating >= 0)
        tornadoes += QStringLiteral(" (strongest %1%2)").arg(Scale(c)).arg(c.StrongestRating);
    parts << tornadoes;
    if (c.Deaths > 0) parts << Plural(c.Deaths, "death", "deaths");
    if (c.HasHailTable) parts << Plural(c.Hail, "hail report", "hail reports");
    d += parts.join(QStringLiteral(", "));
    if (!c.States.isEmpty()) d += QStringLiteral("; ") + c.States.join(QLatin1Char(' '));
    return d.left(200);
}

QStringList MakeCaseList(const QString& tables, const QString& addedDays, const QString& caseList) {
    // The days to generate, with their regime letters.
    TextLineReader added = TextLineReader::FromBytes(ReadWholeFile(addedDays));
    added.ReadLine();
    std::vector<std::pair<QString, QString>> days;
    while (!added.AtEnd()) {
        const CaseListRow row = SplitCaseListLine(QString::fromLatin1(added.ReadLine()));
        if (row[0].isEmpty()) continue;
        if (!disc::IsDayName(row[0]) || row[1].isEmpty())
            throw DataError(
                QStringLiteral("%1: a day and its regime letters: %2").arg(addedDays, row[0]));
        days.emplace_back(row[0], row[1]);
    }
    // The written rows stay as they are.
    TextLineReader list = TextLineReader::FromBytes(ReadWholeFile(caseList));
    QByteArray out = list.ReadLine() + "\n";
    while (!list.AtEnd()) {
        const QByteArray line = list.ReadLine();
        const QString day = SplitCaseListLine(QString::fromLatin1(line))[0];
        if (line.isEmpty() ||
            std::any_of(days.begin(), days.end(), [&](const auto& d) { return d.first == day; }))
            continue;
        out += line + "\n";
    }
    QStringList summary;
    for (const auto& [day, regimes] : days) {
        const DateTime date =
            EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
        const DayCounts c = CountDay(tables, date);
        const QString codes = EventLetter(c) + regimes;
        const QString note = QStringLiteral("%1 tornadoes, max %2%3")
                                 .arg(c.Tornadoes)
                                 .arg(Scale(c))
                                 .arg(std::max(0, c.StrongestRating));
        const QStringList row = {day,
                                 QLatin1String(Weekdays[DecodeDate(date).DayOfWeek - 1]),
                                 QStringLiteral("1"),
                                 QStringLiteral("generated"),
                                 codes,
                                 QString::number(Ranking(c)),
                                 Quoted(note.left(20)),
                                 QStringLiteral("national report tables"),
                                 Quoted(Description(c)),
                                 Quoted(Narrative(c)),
                                 QString(),
                                 QString()};
        out += row.join(QLatin1Char(',')).toLatin1() + "\n";
        summary << QStringLiteral("%1 %2 rank %3: %4")
                       .arg(day, codes)
                       .arg(Ranking(c))
                       .arg(Description(c));
    }
    disc::WriteFileAtomically(caseList, out);
    return summary;
}

} // namespace nimbrel::tools
