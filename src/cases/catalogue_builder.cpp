#include "cases/catalogue_builder.h"

#include <QFile>
#include <QFileInfo>

#include "base/errors.h"
#include "base/records.h"
#include "cases/catalogue.h"

namespace nimbrel {
namespace {

bool IsTrimmed(QChar c) {
    return c.unicode() <= 0x20;
}

// One text line of the input without its ending (LF or CR LF); false at end of file.
bool ReadTextLine(QFile& file, QString& line) {
    if (file.atEnd()) return false;
    QByteArray bytes = file.readLine();
    if (bytes.isEmpty() && file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Read error on \"%1\"").arg(file.fileName()));
    if (bytes.endsWith('\n')) bytes.chop(1);
    if (bytes.endsWith('\r')) bytes.chop(1);
    line = QString::fromLatin1(bytes);
    return true;
}

// The day column names a folder directly under the case root; anything that would
// lead elsewhere (a separator, "..", nothing at all) stops the run instead.
void CheckFolderName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") ||
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        throw DataError(
            QStringLiteral("The case list names no usable case folder in \"%1\"").arg(name));
}

void WriteNarrative(const QString& path, const QString& text) {
    WriteWholeFile(path, text.toLatin1() + QByteArrayLiteral("\r\n"));
}

} // namespace

CaseListRow SplitCaseListLine(const QString& line) {
    CaseListRow columns;
    int current = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        const bool quoteFollows = i + 1 < line.size() && line[i + 1] == QLatin1Char('"');
        if (c == QLatin1Char(',')) {
            if (quoted)
                columns[current] += c;
            else if (current < CaseListColumns - 1)
                ++current;
        } else if (c == QLatin1Char('"') && !quoteFollows) {
            quoted = !quoted;
        } else {
            // Ordinary characters, and the first quote of a doubled pair, are kept.
            columns[current] += c;
        }
    }
    return columns;
}

bool IsIncludedRow(const CaseListRow& row) {
    const QString& mark = row[2];
    qsizetype from = 0, to = mark.size();
    while (from < to && IsTrimmed(mark[from]))
        ++from;
    while (to > from && IsTrimmed(mark[to - 1]))
        --to;
    return mark.mid(from, to - from) == QLatin1String("1");
}

CaseEntry EntryFromRow(const CaseListRow& row) {
    CaseEntry entry;
    entry.CaseDate = row[0].left(static_cast<qsizetype>(CaseEntry::CaseDateCapacity));
    entry.Codes = row[4].left(static_cast<qsizetype>(CaseEntry::CodesCapacity));
    entry.Ranking = LeadingNumber(row[5]);
    entry.Note = row[6].left(static_cast<qsizetype>(CaseEntry::NoteCapacity));
    entry.Description = row[8].left(static_cast<qsizetype>(CaseEntry::DescriptionCapacity));
    return entry;
}

CatalogueBuild BuildCaseCatalogue(const QString& inputPath, const QString& appDataDirectory,
                                  const QString& caseRoot) {
    QFile input;
    OpenForReading(input, inputPath, MaxTextFileBytes);
    QString line;
    ReadTextLine(input, line); // the header

    RecordFileWriter catalogue(appDataDirectory + QStringLiteral("nimbrel.cas"),
                               CaseEntry::RecordSize);
    CatalogueBuild result;
    try {
        while (ReadTextLine(input, line)) {
            const CaseListRow row = SplitCaseListLine(line);
            if (!IsIncludedRow(row)) continue;
            CheckFolderName(row[0]);
            const QString folder = caseRoot + row[0] + QLatin1Char('/');
            const QString narrative = folder + QStringLiteral("narr.txt");
            const QString discussion = folder + QStringLiteral("fcst.txt");
            QString reason;
            for (const QString& path : {narrative, discussion})
                if (reason.isEmpty() && QFileInfo(folder).exists())
                    if (QString why = ReasonToLeaveAlone(path, caseRoot); !why.isEmpty())
                        reason = path + QStringLiteral(": ") + why;
            if (!reason.isEmpty()) {
                result.Skipped << QStringLiteral("Skipped %1, %2").arg(row[0], reason);
                continue;
            }
            WriteNarrative(narrative, row[9]);
            WriteNarrative(discussion, row[10]);

            catalogue.Append(EntryFromRow(row).ToBytes());
            ++result.Entries;
        }
    } catch (...) {
        catalogue.Close(); // the whole rows before the failure are kept
        throw;
    }
    catalogue.Close();
    return result;
}

} // namespace nimbrel
