// The instructor's commands of nimbrel-disc: new, use, catalogue (the disc's own copy,
// put in use), reports by window and draft. Each takes --help and --json; a failure
// throws, and the caller prints its one-line reason and exits 1.
#include "disc/disc_commands.h"

#include <cstdio>
#include <stdexcept>

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "base/errors.h"
#include "base/records.h"
#include "disc/disc_instructor.h"
#include "disc/disc_kit.h"

namespace nimbrel::disc {
namespace {

const char* const NewHelp = R"(usage: nimbrel-disc new DISC [--json]

Makes the folder DISC (it must not exist, or be empty) as a new case disc:
  nimbrel-case-disc.txt  a marker to pick in Nimbrel's File > Change CD location...
                         (the program takes the folder of the file picked as the disc)
  case-list.csv          the disc's case list, with its header line and no days yet
  README.md              what goes on the disc and the instructor's steps
The files are made in a scratch folder beside DISC and renamed into place, so a failure
leaves nothing behind. DISC may not be a link.
)";

const char* const UseHelp = R"(usage: nimbrel-disc use DISC [--appdata DIR] [--json]

Puts DISC's catalogue (DISC/nimbrel.cas, made by "nimbrel-disc catalogue") in use: it is
installed as DIR/nimbrel.cas (DIR defaults to the per-user data folder,
~/.local/share/nimbrel), where Nimbrel reads its list of cases. A different catalogue
already there is kept first as DIR/nimbrel.cas.yyyymmdd-hhmmss.bak (UTC); an identical one
is left alone. Going back to another disc, the sample disc among them, is one "use" of it.
Point Nimbrel at the disc itself with File > Change CD location...
)";

const char* const CatalogueHelp =
    R"(usage: nimbrel-disc catalogue DISC [LIST.csv] [--appdata DIR] [--json]

Builds the disc's catalogue DISC/nimbrel.cas and each day's narrative texts from LIST.csv
(DISC/case-list.csv when not given), then puts the catalogue in use as "nimbrel-disc use"
does (the catalogue it replaces in DIR is kept as a dated backup).

LIST.csv is a spreadsheet saved as comma-separated text. Its first line is a header; each
further line is a day:
  1 day (yyyy-mm-dd, a folder of DISC)   2 unused (weekday)   3 "1" to use the row
  4 unused   5 codes   6 ranking 0-5   7 note (20 characters)   8 unused (sources)
  9 description (200 characters)   10 weather summary -> narr.txt
  11 forecast discussion -> fcst.txt (written only when not empty)   12 unused
Fields holding commas are enclosed in double quotes. A list saved in UTF-8 is converted
to the Latin-1 the program reads; a character Latin-1 cannot hold becomes "?" with a
warning naming its line.

Codes: one event letter, N weak storms or bust, S severe, T tornado; and one or more
regime letters, D dryline, C cold core low, F frontal system, O outflow boundary,
M MCS, U upslope flow, W northwest flow, Z derecho, H national high-risk outlook. The
random-case dialog draws only days with an event letter and a regime letter.
Ranking: 1 Minimal, 2 Noteworthy, 3 Major, 4 Significant, 5 Highly significant.

Every used row is checked before anything is written: a day that is no date or has no
folder on the disc refuses the whole list.
)";

const char* const ReportsHelp =
    R"(usage: nimbrel-disc reports DISC --tables DIR [--window case|calendar] [DAY...]
                             [--force] [--json]

Writes rpt.dat, the storm reports of a case day, for every day folder of DISC or only the
DAYs named (yyyy-mm-dd), from the national report tables in DIR.

--window case (the default): the reports from 1200 UTC of the day to 1200 UTC of the
next, the hours the trainee plays and the score counts; they are read from the tables of
both dates. --window calendar: the tables' own calendar day, 0600 UTC of the day to 0600
UTC of the next (the tables keep local standard time), the rule of Nimbrel's report tool,
with its bytes. Each day's line says how many reports the other rule would have given.

Tables are comma-separated text, one line per report, as the Storm Prediction Center
publishes them, kind by kind (tornado, hail, wind):
  - the period files of Nimbrel's report tool for 1950-2008 (50-59_torn.csv,
    55-59_hail.csv, 55-59_wind.csv; 60-69_*; 70-79_*; 80-89_*; 90-99_*; 2000-2004_*;
    2005-2007_*; 2008_*);
  - files named by a span of years covering the day, such as today's combined files of
    all years, 1950-2023_actual_tornadoes.csv, 1955-2023_hail.csv, 1955-2023_wind.csv
    (the narrowest span is read first);
  - the year's own files, YYYY_torn.csv, YYYY_hail.csv, YYYY_wind.csv.
A table with a header line is read by its column names (yr, mo, dy, time, st, mag, inj,
fat, slat, slon, elat, elon), so added or moved columns do no harm; without a header the
period files' column order is assumed, and a wind table's magnitude type (EG, MG, ES, MS)
after the magnitude is passed over. A missing kind is a warning naming the files looked
for; a day with no table at all is refused. A row whose date or time cannot be read
stops the run with its file and line, and so does a line that is no report line (a table
saved with quoted fields or semicolons). Every day is worked out before the first file is
written. A day the tables give no report never empties a rpt.dat holding reports unless
--force is given. Reports off the map (Hawaii) are kept with a warning. At most 1000
reports per day are kept. (With --window calendar the report tool's reading applies: a
refused day does not stop the others, and the status is 1.)
)";

const char* const DraftHelp = R"(usage: nimbrel-disc draft DISC --tables DIR DAY [--json]

Writes DISC/DAY/draft.txt, a starting weather summary of the day from the national
tables (read as "reports" reads them, for the case window): the numbers of tornadoes
(per-state segment rows counted once), hail and wind reports, the strongest tornado,
deaths and injuries, the largest hail and strongest wind, the states and the first and
last report times. It opens with a note that it was generated and is to be edited, and
it names no regime: the codes are the instructor's. Paste the edited text into the
day's "Weather summary" column of the case list.
)";

const char* const PatternHelp =
    R"(usage: nimbrel-disc import DISC --pattern PATTERN --from DIR [DAY...]
                            [--kind KIND] [--station ID] [--skip-existing | --force]
                            [--any-size] [--json]

Maps a folder of archive images to the frames of the case days in one command. PATTERN
names the files under DIR (folders with "/"), for example
  '{kind}/{station}_%Y%m%d%H.gif'     '{kind}_%Y%m%d_%H%M.png'     'sfc/*%y%j%H.gif'
  {kind}     the chart kind as the archive names it (table below); without it, --kind
  {station}  a sounding station as the archive names it; without it, --station
  %Y four-digit year  %y two-digit year  %m month  %d day  %j day of the year  %H hour
  %M minute  %% a percent sign  * any run of characters within one folder name
Each file goes to the case day whose window holds its valid time (1200 UTC of the day to
1200 UTC of the next): the DAYs named (made when missing), or every day folder of DISC.
Files for other days are listed as skipped.

  archive names                               kind
  satv vis visible sat goes                   satv  (visible satellite, JPEG)
  hsfc sfc surface                            hsfc  (surface analysis, GIF)
  h850 850 850mb, h700 700 700mb,             h850 (GIF), h700 (JPEG),
  h500 500 500mb, h250 250 250mb              h500 (GIF), h250 (JPEG)
  skew skewt raob sounding soundings          skew  (a sounding, GIF)
  stations: the identifiers of the 20 stations (OUN, KOUN, FWD, ...), DNR for Denver,
  or their WMO numbers (72357 OUN, 72249 FWD, 72363 AMA, 72451 DDC, 72456 TOP,
  72562 LBF, 72558 OAX, 72662 RAP, 72659 ABR, 72649 MPX, 72469 DEN, 72365 ABQ,
  72364 EPZ, 72261 DRT, 72251 CRP, 72265 MAF, 72248 SHV, 72340 LZK, 72440 SGF,
  72240 LCH)

A file already in the kind's format is copied; others are converted: JPEG kinds at
quality 85, GIF kinds with their own colours or, above 256 colours, the loop export's
median-cut reduction with error diffusion. A frame already there refuses the import
unless --skip-existing passes over it or --force replaces it. Frames of a kind on a day
share one size; a file of another size refuses the import unless --any-size. Every name,
size and conversion is settled before the first file is written; if writing fails
after that, the output still lists every file written, and the status is 1.
)";

const char* const PreviewHelp =
    R"(usage: nimbrel-disc preview DISC OUT [DAY...] [--appdata DIR] [--json]

Writes OUT (a new folder, or an empty one), a static HTML look at DISC for planning a
term, to open in any browser: OUT/index.html lists every day (or the DAYs named) with
its codes, rank, report counts by kind, a satellite thumbnail and warnings, such as a
day the random pick never draws for want of a regime letter; OUT/DAY/index.html shows
each chart kind's loop as an animated GIF (the loop export's), the soundings, the
reports in a table and on the score's map (the 1200 to 1200 UTC case window, with the
map files of --appdata DIR, the per-user data folder by default, or else the installed
data; on white with a note when none holds them), the narratives and what "check" says
of the day. The catalogue read is the disc's own (DISC/nimbrel.cas). OUT is made in a
scratch folder and renamed into place.
)";

// The instructor commands' flags.
Args Parse(const QStringList& args, const QStringList& valued) {
    return disc::Parse(args, valued,
                       {"--json", "--help", "--skip-existing", "--force", "--any-size"});
}

QString Stamp() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

int Print(const char* text) {
    std::fputs(text, stdout);
    return 0;
}

int Lines(const Args& args, const QStringList& lines) {
    if (args.Flags.contains(QStringLiteral("--json"))) {
        const QJsonObject o{{QStringLiteral("ok"), true},
                            {QStringLiteral("lines"), QJsonArray::fromStringList(lines)}};
        std::fputs(QJsonDocument(o).toJson(QJsonDocument::Indented).constData(), stdout);
    } else {
        for (const QString& l : lines)
            std::fputs((l + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    }
    return 0;
}

[[noreturn]] void Usage(const char* what) {
    throw std::invalid_argument(what);
}

QStringList Catalogue(const QString& disc, const QString& list, const QString& appData) {
    const QByteArray bytes = ReadWholeFile(list, 64LL * 1024 * 1024);
    const ListText text = CaseListAsLatin1(bytes, list);
    QStringList lines;
    if (text.Converted) {
        // The builder reads Latin-1 from a file: it is given the converted list in a
        // scratch folder, and the disc's list stays as the instructor wrote it.
        QTemporaryDir scratch;
        if (!scratch.isValid()) throw FileError(QStringLiteral("Cannot create a scratch folder"));
        const QString converted = scratch.path() + QLatin1Char('/') + QFileInfo(list).fileName();
        WriteWholeFile(converted, text.Latin1);
        lines << MakeCatalogue(disc, converted, disc);
        lines << QStringLiteral("%1: read as UTF-8 and converted to Latin-1").arg(list);
    } else {
        lines << MakeCatalogue(disc, list, disc);
    }
    for (const QString& w : text.Warnings)
        lines << QStringLiteral("warning: %1").arg(w);
    lines << UseLines(disc, UseDisc(disc, appData, Stamp()));
    return lines;
}

} // namespace

Args Parse(const QStringList& args, const QStringList& valued, const QStringList& flags) {
    Args out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            if (valued.contains(a)) {
                if (i + 1 >= args.size())
                    throw std::invalid_argument(a.toStdString() + " needs a value");
                out.Options[a] = args[++i];
            } else if (flags.contains(a)) {
                out.Flags.insert(a);
            } else {
                throw std::invalid_argument("unknown option " + a.toStdString());
            }
        } else {
            out.Positional << a;
        }
    }
    return out;
}

QString Folder(const QString& path) {
    const QString cleaned = QDir::cleanPath(QDir::fromNativeSeparators(path));
    return cleaned.endsWith(QLatin1Char('/')) ? cleaned : cleaned + QLatin1Char('/');
}

QString AppDataFolder(const Args& args) {
    if (args.Options.contains(QStringLiteral("--appdata")))
        return Folder(args.Options[QStringLiteral("--appdata")]);
    return Folder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/nimbrel"));
}

std::optional<int> RunInstructorCommand(const QString& command, const QStringList& rest) {
    if (command == QLatin1String("new")) {
        const Args a = Parse(rest, {});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(NewHelp);
        if (a.Positional.size() != 1) Usage("give one folder for the new disc");
        return Lines(a, NewDisc(a.Positional[0]));
    }
    if (command == QLatin1String("use")) {
        const Args a = Parse(rest, {QStringLiteral("--appdata")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(UseHelp);
        if (a.Positional.size() != 1) Usage("give the disc to put in use");
        const QString disc = Folder(a.Positional[0]);
        return Lines(a, UseLines(disc, UseDisc(disc, AppDataFolder(a), Stamp())));
    }
    if (command == QLatin1String("catalogue")) {
        const Args a = Parse(rest, {QStringLiteral("--appdata")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(CatalogueHelp);
        if (a.Positional.isEmpty() || a.Positional.size() > 2)
            Usage("give the disc and, when it is not DISC/case-list.csv, the case list");
        const QString disc = Folder(a.Positional[0]);
        const QString list = a.Positional.size() == 2 ? a.Positional[1] : disc + DiscCaseListName;
        return Lines(a, Catalogue(disc, list, AppDataFolder(a)));
    }
    if (command == QLatin1String("reports")) {
        const Args a = Parse(rest, {QStringLiteral("--tables"), QStringLiteral("--window")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(ReportsHelp);
        if (a.Positional.isEmpty() || !a.Options.contains(QStringLiteral("--tables")))
            Usage("give the disc and --tables DIR");
        const QString window = a.Options.value(QStringLiteral("--window"), QStringLiteral("case"));
        if (window != QLatin1String("case") && window != QLatin1String("calendar"))
            Usage("--window takes case or calendar");
        const bool force = a.Flags.contains(QStringLiteral("--force"));
        const QString disc = Folder(a.Positional[0]);
        const QString tables = Folder(a.Options[QStringLiteral("--tables")]);
        if (window == QLatin1String("case"))
            return Lines(a,
                         MakeWindowReports(disc, tables, a.Positional.mid(1), Window::Case, force));
        // The calendar day is the report tool's rule, with its bytes: the kit's reading of it.
        QStringList errors;
        const QStringList lines = MakeReports(disc, tables, a.Positional.mid(1), force, &errors);
        if (errors.isEmpty()) return Lines(a, lines);
        if (a.Flags.contains(QStringLiteral("--json"))) {
            const QJsonObject j{{QStringLiteral("ok"), false},
                                {QStringLiteral("lines"), QJsonArray::fromStringList(lines)},
                                {QStringLiteral("errors"), QJsonArray::fromStringList(errors)}};
            std::fputs(QJsonDocument(j).toJson(QJsonDocument::Indented).constData(), stdout);
        } else {
            for (const QString& l : lines)
                std::fputs((l + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
            for (const QString& e : errors)
                std::fprintf(stderr, "nimbrel-disc reports: %s\n", qPrintable(e));
        }
        return 1;
    }
    if (command == QLatin1String("import") && rest.contains(QStringLiteral("--pattern"))) {
        if (rest.contains(QStringLiteral("--help"))) return Print(PatternHelp);
        const Args a = Parse(rest, {QStringLiteral("--pattern"), QStringLiteral("--from"),
                                    QStringLiteral("--kind"), QStringLiteral("--station")});
        if (a.Positional.isEmpty() || !a.Options.contains(QStringLiteral("--from")))
            Usage("give the disc, --pattern PATTERN and --from DIR");
        PatternOptions o;
        o.Pattern = a.Options.value(QStringLiteral("--pattern"));
        o.From = Folder(a.Options.value(QStringLiteral("--from")));
        o.Kind = a.Options.value(QStringLiteral("--kind"));
        o.Station = a.Options.value(QStringLiteral("--station"));
        o.Days = a.Positional.mid(1);
        o.SkipExisting = a.Flags.contains(QStringLiteral("--skip-existing"));
        o.Force = a.Flags.contains(QStringLiteral("--force"));
        o.AnySize = a.Flags.contains(QStringLiteral("--any-size"));
        const PatternImport result = ImportByPattern(Folder(a.Positional[0]), o);
        if (result.Failure.isEmpty()) return Lines(a, result.Lines);
        // What was written before the failure is said before the reason.
        if (a.Flags.contains(QStringLiteral("--json"))) {
            const QJsonObject j{
                {QStringLiteral("ok"), false},
                {QStringLiteral("error"), result.Failure},
                {QStringLiteral("lines"), QJsonArray::fromStringList(result.Lines)}};
            std::fputs(QJsonDocument(j).toJson(QJsonDocument::Indented).constData(), stdout);
        } else {
            for (const QString& l : result.Lines)
                std::fputs((l + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
            std::fprintf(stderr, "nimbrel-disc import: %s\n", qPrintable(result.Failure));
        }
        return 1;
    }
    if (command == QLatin1String("preview")) {
        const Args a = Parse(rest, {QStringLiteral("--appdata")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(PreviewHelp);
        if (a.Positional.size() < 2) Usage("give the disc and the folder to write");
        return Lines(a, MakePreview(Folder(a.Positional[0]), a.Positional[1], a.Positional.mid(2),
                                    AppDataFolder(a)));
    }
    if (command == QLatin1String("draft")) {
        const Args a = Parse(rest, {QStringLiteral("--tables")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(DraftHelp);
        if (a.Positional.size() != 2 || !a.Options.contains(QStringLiteral("--tables")))
            Usage("give the disc, --tables DIR and one day");
        return Lines(a, MakeDraft(Folder(a.Positional[0]),
                                  Folder(a.Options[QStringLiteral("--tables")]), a.Positional[1]));
    }
    return std::nullopt;
}

} // namespace nimbrel::disc
