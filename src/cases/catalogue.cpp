#include "cases/catalogue.h"

#include <climits>
#include <span>

#include "base/errors.h"
#include "base/records.h"

namespace nimbrel {

QByteArray CaseEntry::ToBytes() const {
    RecordBuilder b(RecordSize);
    b.ShortString(CaseDateOffset, CaseDateCapacity, CaseDate);
    b.ShortString(CodesOffset, CodesCapacity, Codes);
    b.Int32(RankingOffset, Ranking);
    b.ShortString(NoteOffset, NoteCapacity, Note);
    b.ShortString(DescriptionOffset, DescriptionCapacity, Description);
    return b.Bytes();
}

namespace {

CaseEntry FromView(const RecordView& r) {
    CaseEntry e;
    e.CaseDate = r.ShortString(CaseEntry::CaseDateOffset, CaseEntry::CaseDateCapacity);
    e.Codes = r.ShortString(CaseEntry::CodesOffset, CaseEntry::CodesCapacity);
    e.Ranking = r.Int32(CaseEntry::RankingOffset);
    e.Note = r.ShortString(CaseEntry::NoteOffset, CaseEntry::NoteCapacity);
    e.Description = r.ShortString(CaseEntry::DescriptionOffset, CaseEntry::DescriptionCapacity);
    return e;
}

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A part of the case day: digits only, so that neither signs nor blanks nor separators
// can slip into the folder name the day is turned into.
int WholeNumber(const QString& part) {
    bool allDigits = !part.isEmpty();
    for (QChar c : part)
        allDigits = allDigits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!allDigits)
        throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(part));
    return part.toInt();
}

} // namespace

CaseEntry CaseEntry::FromBytes(const QByteArray& bytes) {
    if (static_cast<std::size_t>(bytes.size()) != RecordSize)
        throw DataError(QStringLiteral("A case catalogue record must be %1 bytes").arg(RecordSize));
    return FromView(RecordView(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()))));
}

QString CaseListLine(const CaseEntry& entry) {
    return entry.CaseDate + QLatin1Char(' ') + entry.Description;
}

void ForEachCaseEntry(const QString& path, const std::function<void(const CaseEntry&)>& visit) {
    RecordFileReader reader(path, CaseEntry::RecordSize);
    while (reader.Next())
        visit(FromView(reader.Current()));
}

CatalogueRead ReadCaseCatalogue(const QString& path) {
    CatalogueRead result;
    try {
        ForEachCaseEntry(path, [&](const CaseEntry& e) { result.Entries.push_back(e); });
    } catch (const FileError& e) {
        result.Error = e.Message();
    }
    return result;
}

void WriteCaseCatalogue(const QString& path, const std::vector<CaseEntry>& entries) {
    RecordFileWriter writer(path, CaseEntry::RecordSize);
    for (const CaseEntry& e : entries)
        writer.Append(e.ToBytes());
    writer.Close();
}

CaseDay ParseCaseDay(const QString& text) {
    CaseDay day;
    day.Year = WholeNumber(text.mid(0, 4));
    day.Month = WholeNumber(text.mid(5, 2));
    day.Day = WholeNumber(text.mid(8, 2));
    day.FolderName = text.left(10);
    // Characters 5 and 8 are free; a separator there would put the case folder
    // somewhere below the case root instead of directly in it.
    if (day.FolderName.contains(QLatin1Char('/')) || day.FolderName.contains(QLatin1Char('\\')))
        throw ConvertError(QStringLiteral("'%1' is not a valid case day").arg(day.FolderName));
    return day;
}

int LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    long long value = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text[i].unicode() - '0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

} // namespace nimbrel
