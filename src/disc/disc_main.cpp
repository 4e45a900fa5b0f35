// nimbrel-disc: the case-disc kit. Subcommands check, reports, import and catalogue;
// see the help texts below, which are the program's whole manual.
#include <cstdio>
#include <memory>
#include <string_view>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QStringList>

#include "base/errors.h"
#include "disc/disc_charts.h"
#include "disc/disc_commands.h"
#include "disc/disc_kit.h"
#include "disc/disc_soundings.h"

namespace {

using namespace nimbrel;

const char* const GeneralHelp = R"(usage: nimbrel-disc COMMAND [ARGS] [--json]

Builds and checks Nimbrel case discs. A disc is a folder holding one folder per case
day, named yyyy-mm-dd, with the day's chart frames, soundings, storm reports (rpt.dat)
and narrative texts (narr.txt, fcst.txt), and beside them the disc's case list and its
catalogue (nimbrel.cas). Nimbrel reads the catalogue from the per-user data folder:
"use" (and "catalogue") installs a disc's copy there, keeping the one it replaces.

commands:
  new DISC                                  a new disc the program can be pointed at
  check DISC [--appdata DIR] [--strict]     is every day complete and readable?
  reports DISC --tables DIR [DAY...]        storm reports from the national tables
          [--window case|calendar]          (1200-1200 UTC by default)
  import DISC DAY KIND FILE... --time FMT   chart images into a day folder
  soundings --info FILE...                  what radiosonde archive files hold
  soundings DISC DAY FILE...                a day's sounding frames from such files
  charts DISC DAY FILE... [--force]         charts drawn from GRIB and NetCDF analyses
  draft DISC --tables DIR DAY               a starting summary of a day to edit
  preview DISC OUT [DAY...] [--appdata DIR] HTML pages of the days and an index
  catalogue DISC [LIST.csv] [--appdata DIR] the disc's catalogue and narratives, in use
  use DISC [--appdata DIR]                  put a disc's catalogue in use (with a backup)

Run "nimbrel-disc COMMAND --help" for each. The usual order: new, then for each day
import its charts, make its reports, draft its summary, add its row to the list; then
catalogue and check. Every file is written to a temporary file first and renamed into place, so an
interrupted run never leaves half a file; nothing is written outside DISC except the
catalogue. Exit status 0 on success, 1 with a one-line reason on failure, 2 for a
command line that cannot be understood. --json prints the result for scripts.
)";

const char* const CheckHelp = R"(usage: nimbrel-disc check DISC [--appdata DIR] [--strict] [--json]

Checks DISC the way Nimbrel will read it: every entry of the catalogue DIR/nimbrel.cas
(DIR defaults to the per-user data folder, ~/.local/share/nimbrel) and every day folder
of DISC.

For each day it prints a table of the six chart kinds (satv visible satellite, hsfc
surface, h850, h700, h500, h250) by the 24 hours of the case window, 1200 UTC of the
day to 1100 UTC of the next:
  +  a frame for that hour that decodes with Nimbrel's own decoders
  .  no frame where one is expected (satellite and surface every hour, the upper-air
     charts at 1200 and 0000 UTC)
  x  a frame that does not decode, or only partly (cut short or damaged)
  (blank) no frame and none expected
Then the soundings of the 20 stations at 1200 and 0000 UTC, found as the program's
station picker finds them (by the station's first identifier, or its second when the
first has none): one character per station in the order of the station table. Then
whether rpt.dat holds whole 64-byte records, timed inside the day (from 0600 UTC of the
day, as the national tables date it, to 1200 UTC of the next, the end of the case
window) and placed on the map, and
whether narr.txt and fcst.txt are there (both optional).

Fails (status 1) when anything is bad: a frame that does not decode or whose name
carries no valid time, a catalogue entry without a day folder, a broken rpt.dat, an
unreadable catalogue. Missing frames, days without a catalogue entry, missing texts, a
frame of another size than its kind's others and reports placed off the map (Hawaii)
are warnings, which fail only with --strict. The last line is the summary.
)";

const char* const ReportsHelp =
    R"(usage: nimbrel-disc reports DISC --tables DIR [DAY...] [--force] [--json]

Writes rpt.dat, the storm reports of a case day, for every day folder of DISC or only
the DAYs named (yyyy-mm-dd), from the national report tables in DIR. The records and
bytes are exactly those of Nimbrel's own report extraction on the same tables.

Tables are comma-separated text, one line per report (a header line is skipped), as the
Storm Prediction Center publishes them. For a day in 1950-2008 the kit reads the period
files Nimbrel knows (50-59_torn.csv, 55-59_hail.csv, 55-59_wind.csv; 60-69_*; 70-79_*;
80-89_*; 90-99_*; 2000-2004_*; 2005-2007_*; 2008_*). For any other year, or when none of
the period files exist, it reads per-year tables YYYY_torn.csv, YYYY_hail.csv and
YYYY_wind.csv. A missing hail or wind table is a warning and the day gets the kinds
that exist. A day with no table at all is refused with the files looked for, and then
nothing is written for any day.

Times in the tables are local standard time; the reports of a day run from 0600 UTC of
the day to 0600 UTC of the next. At most 1000 reports per day are kept. Reports placed
off the map (Hawaii, Alaska, Puerto Rico) are kept, with a warning: the program draws
them nowhere.

A table the kit cannot read is an error naming the file and its first bad line: one
without a report line, or with lines other than its header and blank lines that hold no
year in the second field (fields in quotes, semicolons). A row of an impossible date
refuses the days of its month, a row of a bad time its own day; the other days are
written, and the exit status is 1. A day for which the tables give no report does not
replace a rpt.dat holding reports unless --force is given.
)";

const char* const ImportHelp =
    R"(usage: nimbrel-disc import DISC DAY KIND FILE... (--time FORMAT | --time-from mtime)
                            [--station ID] [--force] [--json]

Puts chart images into the day folder DISC/DAY (made when missing) under the names
Nimbrel plays them by: KIND-yymmdd-hhnn.ext, soundings skew-yymmdd-hhnn-id.gif.

KIND is satv (visible satellite), hsfc (surface), h850, h700, h500, h250 or skew (a
sounding; give the station with --station, one of DEN ABQ EPZ ELP DRT VCT CRP MAF SEP
FWD GGG SHV AMA OKC OUN LZK DDC UMN SGF TOP LBF OVN OAX RAP ABR HON STC MPX LCH).

The valid time (UTC) is read from each file's name with FORMAT:
  %Y four-digit year   %y two-digit year   %m month   %d day   %j day of the year
  %H hour   %M minute   %% a percent sign   * any run of characters
  every other character must be there as written.
For example "sat_%Y%m%d_%H%M.png" reads sat_19790410_1830.png, and "*_%H%MZ.gif" reads
surface_1800Z.gif. A FORMAT without a date places each hour in the case window: 1200 to
2359 on DAY, 0000 to 1159 on the next day. --time-from mtime takes the file's
modification time (UTC) instead.

Satellite, 700 mb and 250 mb charts are stored as JPEG, the other kinds as GIF, as on
the sample disc. A file already in that format is copied as it is; PNG and the other
formats Qt reads are converted. Every written file is decoded back with Nimbrel's
decoders. Nothing is replaced without --force; all names are checked before the first
file is written. A picture of a GIF kind with more than 256 colours is reduced with the
loop export's colour reduction.

A whole archive folder at once: "nimbrel-disc import --pattern --help".
)";

const char* const CatalogueHelp =
    R"(usage: nimbrel-disc catalogue DISC LIST.csv [--appdata DIR] [--json]

Builds the case catalogue DIR/nimbrel.cas (DIR defaults to the per-user data folder,
~/.local/share/nimbrel) and each day's narrative texts from LIST.csv, a spreadsheet
saved as comma-separated text. Its first line is a header; each further line is a day:
  1 day (yyyy-mm-dd, a folder of DISC)   2 unused (weekday)   3 "1" to use the row
  4 unused   5 codes   6 ranking 0-5   7 note (20 characters)   8 unused (sources)
  9 description (200 characters)   10 weather summary -> narr.txt
  11 forecast discussion -> fcst.txt (removed when empty)   12 unused
Fields holding commas are enclosed in double quotes.

Codes: one event letter, N weak storms or bust, S severe, T tornado; and one or more
regime letters, D dryline, C cold core low, F frontal system, O outflow boundary,
M MCS, U upslope flow, W northwest flow, Z derecho, H national high-risk outlook. The
random-case dialog draws only days with an event letter and a regime letter.
Ranking: 1 Minimal, 2 Noteworthy, 3 Major, 4 Significant, 5 Highly significant.

Every used row is checked before anything is written: a day that is no date, has no
folder on the disc or is listed twice, a code that is none of those above or a ranking
outside 0-5 refuses the whole list. The days' texts are written first and the catalogue
last, made anew, so a failure on the way leaves the earlier catalogue.
)";

using disc::AppDataFolder;
using disc::Args;
using disc::Folder;

// The general commands' flags.
Args Parse(const QStringList& args, const QStringList& valued) {
    return disc::Parse(args, valued, {"--json", "--strict", "--force", "--help"});
}

void Print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

bool WantsJson(const QStringList& args) {
    return args.contains(QStringLiteral("--json"));
}

void PrintJson(bool ok, const QStringList& lines, const QStringList& errors) {
    QJsonObject o{{QStringLiteral("ok"), ok},
                  {QStringLiteral("lines"), QJsonArray::fromStringList(lines)}};
    if (!errors.isEmpty()) {
        o.insert(QStringLiteral("error"), errors.join(QLatin1Char('\n')));
        o.insert(QStringLiteral("errors"), QJsonArray::fromStringList(errors));
    }
    Print(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented)));
}

// The lines of a command that worked, and the errors of what it refused (status 1).
int Lines(const Args& args, const QStringList& lines, const QStringList& errors = {}) {
    if (args.Flags.contains(QStringLiteral("--json"))) {
        PrintJson(errors.isEmpty(), lines, errors);
    } else {
        for (const QString& l : lines)
            Print(l + QLatin1Char('\n'));
        for (const QString& e : errors)
            std::fprintf(stderr, "error: %s\n", e.toLocal8Bit().constData());
    }
    return errors.isEmpty() ? 0 : 1;
}

const char* const SoundingsHelp = R"(usage: nimbrel-disc soundings --info FILE... [--json]
       nimbrel-disc soundings DISC DAY FILE... [--json]

Reads radiosonde soundings from archive text files: University of Wyoming TEXT:LIST
tables (station and time from the page's station line, or from a file name of the form
STATION_YYYYMMDD_HHZ), SPC/SHARPpy text files (%TITLE%, %RAW%, %END%) and IGRA version 2
station files (every sounding of the file).

--info prints each sounding with its diagnostics: surface-based, 100 mb mixed-layer and
most-unstable (lowest 300 mb) parcels with CAPE and CIN (J/kg, virtual temperature
corrected), LCL, LFC and EL (m above ground) and lifted index (C); precipitable water
(mm, surface to 400 mb); 700-500 mb lapse rate (C/km); freezing level (m above ground);
0-1 and 0-6 km bulk shear (kt); Bunkers right- and left-mover motion; 0-1 and 0-3 km
storm-relative helicity for the right mover (m2/s2). With --json, an array of objects
with station, time, sb/ml/mu (cape, cin, lcl_m, lfc_m, el_m, li), pw_mm, lapse_700_500,
freezing_level_m, shear_0_1_kt, shear_0_6_kt, bunkers_right/left (dir, kt), srh_0_1,
srh_0_3; a value that does not exist (a parcel with no LFC) is null.

With DISC and DAY it draws the skew-T frame of each sounding of a station of the
picker's table (either identifier of a row, "OKC/OUN" takes OUN; IGRA and WMO numbers
of the table's stations are recognised) launched from 0000 UTC of DAY to 1100 UTC of the
next day, as DAY/skew-yymmdd-hhnn-id.gif. Soundings of other stations or other times
are listed as skipped. A frame of the same hour under the row's other identifier is
removed, since the picker would show it first.
)";

int Usage(const char* help) {
    std::fputs(help, stderr);
    return 2;
}

int Run(const QString& command, const QStringList& rest) {
    if (const std::optional<int> status = disc::RunInstructorCommand(command, rest)) return *status;
    if (command == QLatin1String("check")) {
        const Args a = Parse(rest, {QStringLiteral("--appdata")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(CheckHelp), 0;
        if (a.Positional.size() != 1) return Usage(CheckHelp);
        const bool strict = a.Flags.contains(QStringLiteral("--strict"));
        QElapsedTimer timer;
        timer.start();
        const disc::DiscCheck check = disc::CheckDisc(
            Folder(a.Positional[0]), AppDataFolder(a) + QStringLiteral("nimbrel.cas"));
        if (a.Flags.contains(QStringLiteral("--json")))
            Print(QString::fromUtf8(disc::CheckJson(check, strict)));
        else
            Print(disc::CheckText(check, strict) +
                  QStringLiteral("checked in %1 s\n")
                      .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2));
        return check.Passes(strict) ? 0 : 1;
    }
    if (command == QLatin1String("reports")) {
        const Args a = Parse(rest, {QStringLiteral("--tables")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(ReportsHelp), 0;
        if (a.Positional.isEmpty() || !a.Options.contains(QStringLiteral("--tables")))
            return Usage(ReportsHelp);
        QStringList errors;
        const QStringList lines = disc::MakeReports(
            Folder(a.Positional[0]), Folder(a.Options[QStringLiteral("--tables")]),
            a.Positional.mid(1), a.Flags.contains(QStringLiteral("--force")), &errors);
        return Lines(a, lines, errors);
    }
    if (command == QLatin1String("import")) {
        const Args a = Parse(rest, {QStringLiteral("--time"), QStringLiteral("--time-from"),
                                    QStringLiteral("--station")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(ImportHelp), 0;
        if (a.Positional.size() < 4) return Usage(ImportHelp);
        disc::ImportOptions o;
        o.Kind = a.Positional[2];
        o.TimeFormat = a.Options.value(QStringLiteral("--time"));
        const QString from = a.Options.value(QStringLiteral("--time-from"));
        if (!from.isEmpty() && from != QLatin1String("mtime"))
            throw std::invalid_argument("--time-from takes only mtime");
        o.FromMtime = from == QLatin1String("mtime");
        if (o.FromMtime == !o.TimeFormat.isEmpty())
            throw std::invalid_argument("give either --time FORMAT or --time-from mtime");
        o.Station = a.Options.value(QStringLiteral("--station"));
        o.Force = a.Flags.contains(QStringLiteral("--force"));
        return Lines(a, disc::ImportFrames(Folder(a.Positional[0]), a.Positional[1],
                                           a.Positional.mid(3), o));
    }
    if (command == QLatin1String("catalogue")) {
        const Args a = Parse(rest, {QStringLiteral("--appdata")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(CatalogueHelp), 0;
        if (a.Positional.size() != 2) return Usage(CatalogueHelp);
        return Lines(
            a, disc::MakeCatalogue(Folder(a.Positional[0]), a.Positional[1], AppDataFolder(a)));
    }
    if (command == QLatin1String("soundings")) {
        QStringList words = rest;
        const bool info = words.removeAll(QStringLiteral("--info")) > 0;
        const Args a = Parse(words, {});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(SoundingsHelp), 0;
        const QStringList files = info ? a.Positional : a.Positional.mid(2);
        if (files.isEmpty()) return Usage(SoundingsHelp);
        if (info && a.Flags.contains(QStringLiteral("--json")))
            return Print(QString::fromUtf8(disc::SoundingInfoJson(files))), 0;
        if (info) return Lines(a, disc::SoundingInfoText(files));
        return Lines(a, disc::WriteSoundingFrames(Folder(a.Positional[0]), a.Positional[1], files));
    }
    if (command == QLatin1String("charts")) {
        const Args a = Parse(rest, {QStringLiteral("--appdata"), QStringLiteral("--source"),
                                    QStringLiteral("--time")});
        if (a.Flags.contains(QStringLiteral("--help"))) return Print(disc::ChartsHelp), 0;
        if (a.Positional.size() < 3) return Usage(disc::ChartsHelp);
        disc::ChartsOptions o;
        o.Force = a.Flags.contains(QStringLiteral("--force"));
        o.Source = a.Options.value(QStringLiteral("--source"));
        o.TimeFormat = a.Options.value(QStringLiteral("--time"));
        o.AppData = AppDataFolder(a);
        return Lines(
            a, disc::MakeCharts(Folder(a.Positional[0]), a.Positional[1], a.Positional.mid(2), o));
    }
    if (command == QLatin1String("--help") || command == QLatin1String("help"))
        return Print(GeneralHelp), 0;
    return Usage(GeneralHelp);
}

} // namespace

int main(int argc, char** argv) {
    // Soundings, charts and the preview's maps are drawn with fonts, which need the GUI
    // application; the kit never opens a window, so those run on the offscreen platform
    // unless told otherwise. The other commands do with the core application.
    const bool drawing = argc > 1 && (std::string_view(argv[1]) == "soundings" ||
                                      std::string_view(argv[1]) == "charts" ||
                                      std::string_view(argv[1]) == "preview");
    if (drawing && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(drawing ? new QGuiApplication(argc, argv)
                                                  : new QCoreApplication(argc, argv));
    const QStringList args = app->arguments().mid(1);
    if (args.isEmpty()) return Usage(GeneralHelp);
    try {
        return Run(args[0], args.mid(1));
    } catch (const std::invalid_argument& e) {
        if (WantsJson(args)) PrintJson(false, {}, {QString::fromUtf8(e.what())});
        std::fprintf(stderr, "nimbrel-disc %s: %s (see --help)\n", qPrintable(args[0]), e.what());
        return 2;
    } catch (const std::exception& e) {
        // FileError, DataError, ConvertError: the message is the reason, on one line.
        const QString reason =
            QString::fromUtf8(e.what()).replace(QLatin1Char('\n'), QLatin1Char(' '));
        if (WantsJson(args)) PrintJson(false, {}, {reason});
        std::fprintf(stderr, "nimbrel-disc %s: %s\n", qPrintable(args[0]), qPrintable(reason));
        return 1;
    }
}
