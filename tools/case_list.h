#pragma once
// The generated rows of the sample disc's case list: for each added day, its counts from
// the national report tables, and from those counts alone its narrative, description,
// event letter and ranking, by the rule data/README.md writes down.
#include <vector>

#include <QString>
#include <QStringList>

#include "base/datetime.h"

namespace nimbrel::tools {

/// What the tables hold for one day (the rows the report extraction takes for it).
struct DayCounts {
    DateTime Day = 0.0;
    int TornadoRows = 0;                  ///< all rows, state segments included
    int Tornadoes = 0;                    ///< rows that are whole tracks (segment field not 2)
    int ByRating[6] = {0, 0, 0, 0, 0, 0}; ///< tornadoes by F/EF 0-5
    int Unrated = 0;
    int StrongestRating = -1;
    int Deaths = 0, Injuries = 0;
    double LongestPathMiles = 0.0;
    QString LongestPathState;
    int Hail = 0;
    double LargestHailInches = 0.0;
    int Wind = 0;
    bool HasHailTable = false, HasWindTable = false;
    QStringList States; ///< postal codes of every row, sorted
};

/// Counts `day` in the tables chosen as the kit chooses them.
DayCounts CountDay(const QString& tables, DateTime day);

/// The rule: "T" with at least 10 tornadoes or one rated 3 or more; else "S" with at
/// least 10 reports of any kind; else "N".
QString EventLetter(const DayCounts& c);
/// The rule: 5 with a rating of 5, 50 tornadoes or 30 deaths; 4 with a rating of 4, 25
/// tornadoes or 10 deaths; 3 with a rating of 3, 10 tornadoes, a death or 100 hail
/// reports; 2 with a rating of 2, 3 tornadoes or 25 hail reports; 1 with any report.
int Ranking(const DayCounts& c);
/// Plain sentences from the counts.
QString Narrative(const DayCounts& c);
/// The one line of the case list (at most 200 characters).
QString Description(const DayCounts& c);

/// Rewrites the case list `caseList`: its header and written rows stay; every day of
/// `addedDays` (a CSV of day, regime letters, reason, with a header line) gets a row
/// generated from the tables. Returns a line per generated day.
QStringList MakeCaseList(const QString& tables, const QString& addedDays, const QString& caseList);

} // namespace nimbrel::tools
