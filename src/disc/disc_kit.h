#pragma once
// The case-disc kit behind `nimbrel-disc`: checks a disc the way the program reads it,
// and fills it with the program's own writers. Every file it writes goes through a
// temporary file in the target folder and a rename, so a failure never leaves a half
// file; every path it writes to is built from a checked day name under the disc root.
#include <array>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "base/datetime.h"

namespace nimbrel::disc {

// ---- paths and writing ---------------------------------------------------------------

/// True for a day folder name the kit accepts: "yyyy-mm-dd" of a real calendar date.
bool IsDayName(const QString& name);

/// The folder of `day` under `discRoot` (ending in '/'). Throws DataError for a name
/// that is no day ("..", a path, "1979-4-10") and for a folder that leads out of the
/// disc through a link. With `create` the folder is made when missing.
QString DayFolder(const QString& discRoot, const QString& day, bool create);

/// Writes `bytes` to `path` through a temporary file and an atomic rename (FileError on
/// failure; an earlier file then stays as it was).
void WriteFileAtomically(const QString& path, const QByteArray& bytes);

// ---- check ---------------------------------------------------------------------------

/// One hour of the case window (1200 UTC of the day to 1100 UTC of the next) for one kind.
enum class Cell : char {
    Absent = ' ',  ///< no frame, and none expected at this hour
    Present = '+', ///< a frame that decodes
    Missing = '.', ///< no frame where one is expected
    Bad = 'x'      ///< a frame that does not decode
};

inline constexpr int WindowHours = 24;
inline constexpr int ChartKinds = 6;
inline constexpr int Stations = 20;

struct KindCheck {
    QString Prefix; ///< "satv" ... "h250"
    std::array<Cell, WindowHours> Hours{};
    int Frames = 0; ///< frames of the kind in the folder, inside the window or not
};

struct DayCheck {
    QString Day;
    bool HasFolder = false;
    bool InCatalogue = false;
    std::array<KindCheck, ChartKinds> Kinds{};
    /// Per station row: [0] 1200 UTC of the day, [1] 0000 UTC of the next.
    std::array<std::array<Cell, 2>, Stations> Soundings{};
    int Reports = -1; ///< records of rpt.dat, -1 when there is none
    bool HasNarrative = false, HasForecast = false;
    QStringList Bad;      ///< what makes the disc fail
    QStringList Warnings; ///< what is missing
    int MissingFrames() const;
};

struct DiscCheck {
    QString Catalogue; ///< the catalogue path that was read
    QStringList Bad;   ///< problems of the disc as a whole (catalogue)
    QStringList Warnings;
    std::vector<DayCheck> Days; ///< in day order
    int FramesDecoded = 0;      ///< distinct files decoded (linked frames count once)
    int BadCount() const;
    int WarningCount() const;
    /// Passes when nothing is bad, and with `strict` when nothing is missing either.
    bool Passes(bool strict) const;
};

/// Checks every catalogue entry of `catalogue` and every day folder of `discRoot`.
DiscCheck CheckDisc(const QString& discRoot, const QString& catalogue);

/// The report a person reads: per day a table of kinds by hours, the soundings, the
/// day's problems; then one summary line.
QString CheckText(const DiscCheck& check, bool strict);
/// The same as JSON for scripts.
QByteArray CheckJson(const DiscCheck& check, bool strict);

// ---- reports -------------------------------------------------------------------------

/// The three tables (tornado, hail, wind) a day's reports are read from, in `tables`
/// (ending in '/'): the period files the program's extraction uses for a year it covers
/// (1950 to 2008); otherwise, or when none of those exist, the per-year files
/// "YYYY_torn.csv", "YYYY_hail.csv", "YYYY_wind.csv". A kind whose file is missing has
/// an empty path and a warning. Throws DataError naming every file looked for when no
/// table of the day exists.
struct TableChoice {
    QStringList Paths; ///< three entries; "" for a kind left out
    QStringList Warnings;
};
TableChoice TablesForDay(const QString& tables, DateTime day);

/// True for a position on the storm report map (15-60N, 135-55W); the program draws a
/// report elsewhere nowhere on any case's chart.
bool OnReportMap(double latitude, double longitude);

/// Writes "rpt.dat" of each of `days` (all day folders of the disc when empty) from the
/// tables, with the same records and bytes as the program's extraction. Every table is
/// read before anything is written. A day that is no date or has no table is refused and
/// nothing is written (DataError). A table the kit cannot read (no report line, or lines
/// other than its header and blank lines that are no report line: quoted fields,
/// semicolons) refuses every day made from it, naming the file and its first bad line;
/// a row of an impossible date refuses the days of its month, and a row of a bad time
/// its day, naming the file and the line. A day whose tables give no report does not
/// replace a rpt.dat holding reports unless `force`. Refused days are not written, the
/// others are; their reasons go to `errors` (thrown together as DataError, after the
/// others are written, when `errors` is null). Returns a line per day written and the
/// warnings (tables missing, reports beyond the cap, reports kept off the map).
QStringList MakeReports(const QString& discRoot, const QString& tables, QStringList days,
                        bool force = false, QStringList* errors = nullptr);

// ---- import --------------------------------------------------------------------------

struct ImportOptions {
    QString Kind;       ///< satv, hsfc, h850, h700, h500, h250 or skew
    QString TimeFormat; ///< strptime-like pattern of the file name; "" with FromMtime
    bool FromMtime = false;
    QString Station;    ///< sounding station identifier (three letters)
    bool Force = false; ///< replace frames already there
};

/// The valid time read from `text` with a strptime-like `format`: %Y four-digit year,
/// %y two-digit year (50-99 in the 1900s), %m month, %d day, %j day of the year, %H
/// hour, %M minute, %% a percent sign, "*" any run of characters; every other character
/// must match itself. Throws ConvertError when the text does not fit. A format without
/// a date takes the day from `caseDay`: hours from 1200 on that day, earlier ones the
/// next day, as in the case window.
DateTime ParseTimeWithFormat(const QString& text, const QString& format, DateTime caseDay);

/// The frame name of the kind at a valid time ("satv-790410-1830.jpg",
/// "skew-790411-0000-oun.gif").
QString FrameName(const QString& kind, DateTime valid, const QString& station);

/// Copies or converts `files` into the day's folder under their frame names, each
/// written atomically and decoded back with the program's decoders. Every name is
/// worked out and checked before the first file is written. Returns a line per file.
QStringList ImportFrames(const QString& discRoot, const QString& day, const QStringList& files,
                         const ImportOptions& options);

// ---- catalogue -----------------------------------------------------------------------

/// The catalogue builder over a list in its columns: writes each used day's "narr.txt"
/// and "fcst.txt" (removed when its column is empty), then `appData` + "nimbrel.cas"
/// last, so that a failure on the way leaves the earlier catalogue. Every row is checked
/// first (day names, existing folders, codes, rankings, a day listed twice); nothing is
/// written when one is refused. Returns a summary line.
QStringList MakeCatalogue(const QString& discRoot, const QString& listPath, const QString& appData);

} // namespace nimbrel::disc
