#pragma once
// The instructor's side of the case-disc kit: a new disc the program can be pointed at,
// the disc's own catalogue and putting it in use, storm reports dated by the case window
// from the national tables in any of their published forms, and a starting summary of
// a day. Writes follow the kit's rules: everything is worked out first, each file goes
// through a temporary file and a rename, and links are replaced, never followed.
#include <array>
#include <vector>

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include "base/datetime.h"
#include "reports/report_file.h"

namespace nimbrel::disc {

// ---- a new disc, its catalogue and putting it in use -----------------------------------

/// The file a new disc carries so that a file dialog has something to pick in the disc
/// folder ("File > Change CD location..." takes the folder of the file picked).
inline const QString DiscMarkerName = QStringLiteral("nimbrel-case-disc.txt");
/// The disc's own catalogue and case list, beside its day folders.
inline const QString DiscCatalogueName = QStringLiteral("nimbrel.cas");
inline const QString DiscCaseListName = QStringLiteral("case-list.csv");
/// The header line of a case list, as the sample disc's list has it.
inline const QString CaseListHeader =
    QStringLiteral("Date,Weekday,Use,Reviewed by,Codes,Rank,Note,Sources,Description,"
                   "Weather summary,Forecast discussion,Remarks");

/// Makes the folder `disc` (which must not exist, or be an empty folder that is no link)
/// holding the marker file, an empty case list and a README. The files are made in a
/// scratch folder beside it and renamed into place, so a failure leaves nothing behind.
QStringList NewDisc(const QString& disc);

struct UseResult {
    QString Installed; ///< the catalogue path written
    QString Backup;    ///< where the catalogue it replaced was kept, "" when none
    int Entries = 0;
};
/// Installs the disc's catalogue as `appData` + "nimbrel.cas". A different catalogue
/// already there is first kept as "nimbrel.cas.<yyyymmdd-hhmmss>.bak" (`stamp`);
/// an identical one is left as it is. Throws when the disc has no whole catalogue.
UseResult UseDisc(const QString& disc, const QString& appData, const QString& stamp);
QStringList UseLines(const QString& disc, const UseResult& result);

/// A case list as the catalogue builder reads it (Latin-1): a list in UTF-8 (with or
/// without its byte-order mark) is converted, each character Latin-1 cannot hold becomes
/// '?' with a warning naming its line; any other list is returned as it is.
struct ListText {
    QByteArray Latin1;
    QStringList Warnings;
    bool Converted = false;
};
ListText CaseListAsLatin1(const QByteArray& bytes, const QString& name);

// ---- report tables and the case window ---------------------------------------------------

enum class Window {
    Case,    ///< 1200 UTC of the day to 1200 UTC of the next: what the trainee plays
    Calendar ///< the tables' calendar day, 0600 UTC to 0600 UTC: the report tool's rule
};

/// The table of each kind (tornado, hail, wind) holding `date`, in `tables` (ending in
/// '/'), kind by kind: the period file the program's report tool uses (1950-2008), then
/// a file named by a span of four-digit years that covers the year
/// ("1950-2023_actual_tornadoes.csv", "1955-2023_hail.csv", "1955-2023_wind.csv",
/// "2000-2004_torn.csv"), then the year's own file ("2011_torn.csv"). A kind with none
/// is "" with a warning naming the files looked for.
struct KindTables {
    std::array<QString, 3> Paths;
    QStringList Warnings;
};
KindTables TablesForDate(const QString& tables, DateTime date);

/// One row of a table in the period files' column order, so that the report tool's
/// reading applies to it. The columns of a table with a header line are found by their
/// names (yr, mo, dy, time, st, mag, inj, fat, slat, slon, elat, elon); a wind table
/// without a header whose column 12 is a magnitude type (EG, MG, ES, MS) has it dropped.
struct TableRow {
    DateTime Local = 0.0; ///< date and time as the table gives them (local standard time)
    QByteArray Line;      ///< the row in the period files' layout
    int LineNumber = 0;
};
/// Reads a table; rows without a year (a header, a blank end) are skipped. Throws
/// DataError naming the file and line of a row whose date or time cannot be read, and
/// for a header that lacks a needed column.
std::vector<TableRow> ReadTable(const QString& path, int kind);

struct DayReports {
    QString Day; ///< yyyy-mm-dd
    std::vector<StormReport> Reports;
    std::vector<bool> Segments;  ///< per report: a tornado's per-state segment row
    std::array<int, 4> Counts{}; ///< by kind 1..3
    int OtherWindow = 0;         ///< how many the other rule would have given
    int Dropped = 0;             ///< beyond MaxReportsPerDay
    QStringList Warnings;
};
/// The reports of `day` under `window`, from the tables of the day and (for the case
/// window) of the next day, kind by kind, each in table order. `cache` keeps tables read
/// for earlier days of the same run.
class TableCache;
DayReports ReportsInWindow(const QString& tables, DateTime day, Window window, TableCache& cache);

class TableCache {
public:
    const std::vector<TableRow>& Rows(const QString& path, int kind);

private:
    std::vector<std::pair<QString, std::vector<TableRow>>> tables_;
};

/// Writes rpt.dat of each of `days` (every day folder of the disc when empty) by the
/// window's rule. Every day's file is worked out before the first is written; a day the
/// tables give no report refuses the run when its rpt.dat holds reports, unless `force`.
/// Reports off the storm report map are kept with a warning.
QStringList MakeWindowReports(const QString& discRoot, const QString& tables, QStringList days,
                              Window window, bool force = false);

// ---- import by pattern ---------------------------------------------------------------------

/// The kit's kind ("satv" ... "h250", "skew") for a kind as archives name it ("vis",
/// "sfc", "500mb", "skewt", ...), "" when unknown.
QString KindFromArchiveName(const QString& name);
/// The sounding station identifier (lower case, as frame names carry it) for a station
/// as archives name it: its identifier ("OUN", "KOUN"), or its WMO number ("72357");
/// "" when it is none of the 20 stations.
QString StationFromArchiveName(const QString& name);

struct PatternOptions {
    QString Pattern;  ///< "{kind}/{station}_%Y%m%d%H.gif": relative to From
    QString From;     ///< the archive folder (ending in '/')
    QString Kind;     ///< the kind when the pattern has no {kind}
    QString Station;  ///< the station when a sounding pattern has no {station}
    QStringList Days; ///< the case days to fill; every day folder when empty
    bool SkipExisting = false;
    bool Force = false;
    bool AnySize = false; ///< accept frames whose size differs from the kind's others
};
struct PatternImport {
    QStringList Lines; ///< every file written or skipped, in order
    QString Failure;   ///< "" when every file was written
};
/// Maps the files under `options.From` that the pattern names to frames of the case
/// days whose window (1200 UTC to 1200 UTC) holds their valid times. Every name, clash
/// and size is settled and every picture converted before the first file is written; a
/// failure while writing stops there and the lines still list each file written.
/// Pictures of a GIF kind with more than 256 colours are reduced with the loop export's
/// median cut and error diffusion, not a fixed palette.
PatternImport ImportByPattern(const QString& discRoot, const PatternOptions& options);

/// A GIF of `image`: its own colours when it has 256 or fewer, otherwise the export's
/// colour reduction.
QByteArray ReducedGif(const QImage& image);

// ---- preview ---------------------------------------------------------------------------------

/// Writes the folder `out` (new, or an empty folder): index.html, a table of the days
/// (date, codes, rank, report counts by kind, a satellite thumbnail, warnings such as a
/// day the random pick never draws), and DAY/index.html per day: each chart kind's loop
/// as an animated GIF made by the loop export, the soundings, the reports, the narratives
/// and what the check says of the day. The catalogue read is the disc's own. Made in a
/// scratch folder and renamed into place. Each day's page also shows reports.png, the
/// case window's reports on the score's map with the geography from `appData` (or the
/// installed data); without the map files, the reports on white with a note.
QStringList MakePreview(const QString& discRoot, const QString& out, QStringList days,
                        const QString& appData = {});

// ---- draft ----------------------------------------------------------------------------------

/// A starting weather summary of a day from its reports (case window): counts by kind,
/// the strongest tornado, deaths and injuries, the states, the first and last times;
/// marked as generated for the instructor to edit. No regime letters: those are the
/// instructor's.
QString DraftSummary(const DayReports& reports);
/// Writes DISC/DAY/draft.txt (Latin-1, CR LF) from the tables; returns the lines said.
QStringList MakeDraft(const QString& discRoot, const QString& tables, const QString& day);

} // namespace nimbrel::disc
