// A new disc, the disc's own catalogue put in use, and case lists written in UTF-8.
#include <algorithm>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include "base/errors.h"
#include "base/records.h"
#include "cases/catalogue.h"
#include "disc/disc_instructor.h"
#include "disc/disc_kit.h"

namespace nimbrel::disc {
namespace {

const char* const MarkerText =
    "This folder is a Nimbrel case disc.\r\n"
    "\r\n"
    "To play its days, choose File > Change CD location... in Nimbrel and pick this file:\r\n"
    "the program takes the folder that holds it as the disc. Then put the disc's catalogue\r\n"
    "in use with \"nimbrel-disc use <this folder>\".\r\n";

const char* const ReadmeText = R"(# A Nimbrel case disc

One folder per case day, named yyyy-mm-dd, holding the day's chart frames, soundings,
storm reports (rpt.dat) and narratives (narr.txt, fcst.txt); beside them the disc's case
list (case-list.csv), its catalogue (nimbrel.cas, made from the list) and the marker file
nimbrel-case-disc.txt.

## For the instructor

1. `nimbrel-disc new DISC` made this folder.
2. For each day: `nimbrel-disc import DISC DAY KIND FILE... --time FORMAT` (or
   `--pattern`) puts its charts and soundings in DISC/DAY; `nimbrel-disc reports DISC
   --tables DIR DAY` makes its storm reports from the national tables, for the case
   window (1200 UTC of the day to 1200 UTC of the next); `nimbrel-disc draft DISC
   --tables DIR DAY` writes DAY/draft.txt, a starting summary to edit.
3. Add the day's row to case-list.csv (a spreadsheet saved as comma-separated text; the
   columns are listed by `nimbrel-disc catalogue --help`), with its codes: the event
   letter and the regime letters, which are yours to choose.
4. `nimbrel-disc catalogue DISC` makes nimbrel.cas and the narratives from the list and
   puts the catalogue in use; `nimbrel-disc check DISC` says what each day lacks.
5. In Nimbrel, File > Change CD location... and pick nimbrel-case-disc.txt in this folder.

`nimbrel-disc use DISC` puts this disc's catalogue in use again after another disc's
(the catalogue it replaces is kept as a dated backup in the per-user data folder).
)";

void EnsureFolder(const QString& folder) {
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(folder));
}

} // namespace

QStringList NewDisc(const QString& disc) {
    const QString root = QDir::cleanPath(disc);
    const QFileInfo info(root);
    if (info.isSymLink())
        throw DataError(QStringLiteral("%1 is a link; give the disc's own folder").arg(root));
    if (info.exists() && !info.isDir())
        throw DataError(QStringLiteral("%1 is a file, not a folder").arg(root));
    if (info.isDir() && !QDir(root).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        throw DataError(QStringLiteral("%1 is not empty; a new disc needs a new folder").arg(root));
    const QString parent = info.absolutePath();
    if (!QFileInfo(parent).isDir())
        throw FileError(QStringLiteral("No folder %1 to make the disc in").arg(parent));

    // Everything is made in a scratch folder beside the disc and renamed into place.
    const QString scratch = parent + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
    if (QFileInfo::exists(scratch) || !QDir().mkdir(scratch))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(scratch));
    try {
        WriteWholeFile(scratch + QLatin1Char('/') + DiscMarkerName, QByteArray(MarkerText));
        WriteWholeFile(scratch + QLatin1Char('/') + DiscCaseListName,
                       CaseListHeader.toLatin1() + QByteArrayLiteral("\r\n"));
        WriteWholeFile(scratch + QStringLiteral("/README.md"), QByteArray(ReadmeText));
        if (info.isDir() && !QDir().rmdir(root))
            throw FileError(QStringLiteral("Cannot replace the empty folder %1").arg(root));
        if (!QDir().rename(scratch, root))
            throw FileError(QStringLiteral("Cannot rename %1 to %2").arg(scratch, root));
    } catch (...) {
        QDir(scratch).removeRecursively();
        throw;
    }
    return {QStringLiteral("%1: a new disc with %2, %3 and README.md")
                .arg(root, DiscMarkerName, DiscCaseListName),
            QStringLiteral("in Nimbrel: File > Change CD location... and pick %1/%2")
                .arg(root, DiscMarkerName)};
}

UseResult UseDisc(const QString& disc, const QString& appData, const QString& stamp) {
    const QString source = disc + DiscCatalogueName;
    if (!QFileInfo(source).isFile())
        throw FileError(QStringLiteral("%1: no catalogue on the disc (nimbrel-disc catalogue "
                                       "makes it)")
                            .arg(source));
    const QByteArray bytes = ReadWholeFile(source, 64LL * 1024 * 1024);
    if (bytes.size() % qsizetype(CaseEntry::RecordSize) != 0)
        throw DataError(QStringLiteral("%1: %2 bytes is no whole number of %3-byte entries")
                            .arg(source)
                            .arg(bytes.size())
                            .arg(CaseEntry::RecordSize));
    EnsureFolder(appData);
    UseResult result;
    result.Installed = appData + QStringLiteral("nimbrel.cas");
    result.Entries = int(bytes.size() / qsizetype(CaseEntry::RecordSize));
    const QFileInfo current(result.Installed);
    if (current.exists() || current.isSymLink()) {
        const QByteArray old = current.isFile() && !current.isSymLink()
                                   ? ReadWholeFile(result.Installed, 64LL * 1024 * 1024)
                                   : QByteArray();
        if (old == bytes && !current.isSymLink()) return result; // already in use
        // The replaced catalogue is kept before the new one is written; a link is kept as
        // the link (renamed), never followed.
        result.Backup = result.Installed + QLatin1Char('.') + stamp + QStringLiteral(".bak");
        for (int n = 2; QFileInfo::exists(result.Backup) || QFileInfo(result.Backup).isSymLink();
             ++n)
            result.Backup =
                result.Installed + QLatin1Char('.') + stamp + QStringLiteral("-%1.bak").arg(n);
        if (!QFile::rename(result.Installed, result.Backup))
            throw FileError(QStringLiteral("Cannot keep %1 as %2; nothing was changed")
                                .arg(result.Installed, result.Backup));
    }
    try {
        WriteFileAtomically(result.Installed, bytes);
    } catch (...) {
        if (!result.Backup.isEmpty()) QFile::rename(result.Backup, result.Installed);
        throw;
    }
    return result;
}

QStringList UseLines(const QString& disc, const UseResult& r) {
    QStringList lines{QStringLiteral("in use: %1 (%2 days in its catalogue, installed as %3)")
                          .arg(disc)
                          .arg(r.Entries)
                          .arg(r.Installed)};
    if (!r.Backup.isEmpty()) lines << QStringLiteral("the catalogue it replaced: %1").arg(r.Backup);
    return lines;
}

ListText CaseListAsLatin1(const QByteArray& bytes, const QString& name) {
    ListText out;
    QByteArray body = bytes;
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    if (bom) body.remove(0, 3);
    const bool ascii =
        std::all_of(body.begin(), body.end(), [](char c) { return uchar(c) < 0x80; });
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(body);
    if (ascii || decode.hasError()) {
        // Plain ASCII, or not UTF-8 at all: the Latin-1 the builder reads.
        out.Latin1 = body;
        out.Converted = bom;
        return out;
    }
    out.Converted = true;
    out.Latin1.reserve(text.size());
    int line = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\n')) ++line;
        if (c.unicode() <= 0xFF) {
            out.Latin1 += char(c.unicode());
            continue;
        }
        char32_t point = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            point = QChar::surrogateToUcs4(c, text[++i]);
        out.Latin1 += '?';
        out.Warnings << QStringLiteral("%1 line %2: U+%3 (%4) cannot be held in Latin-1; "
                                       "written as ?")
                            .arg(name)
                            .arg(line)
                            .arg(QString::number(uint(point), 16)
                                     .toUpper()
                                     .rightJustified(4, QLatin1Char('0')))
                            .arg(QString::fromUcs4(&point, 1));
    }
    return out;
}

} // namespace nimbrel::disc
