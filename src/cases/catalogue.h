#pragma once
// The case catalogue "nimbrel.cas": a headerless file of 252-byte little-endian
// records, one per case day, in the order the builder wrote them.
#include <cstdint>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>

namespace nimbrel {

struct CaseEntry {
    static constexpr std::size_t RecordSize = 252;
    static constexpr std::size_t CaseDateOffset = 0;     ///< short text, capacity 10
    static constexpr std::size_t CodesOffset = 11;       ///< short text, capacity 10
    static constexpr std::size_t RankingOffset = 24;     ///< int32
    static constexpr std::size_t NoteOffset = 28;        ///< short text, capacity 20
    static constexpr std::size_t DescriptionOffset = 49; ///< short text, capacity 200
    static constexpr std::size_t CaseDateCapacity = 10;
    static constexpr std::size_t CodesCapacity = 10;
    static constexpr std::size_t NoteCapacity = 20;
    static constexpr std::size_t DescriptionCapacity = 200;

    QString CaseDate;         ///< "yyyy-mm-dd"; names the case folder
    QString Codes;            ///< one event letter (N, S, T) and regime letters, any order
    std::int32_t Ranking = 0; ///< 0 below "Minimal", 1..5 "Minimal".."Highly significant"
    QString Note;             ///< kept for the maintainers; nothing reads it
    QString Description;      ///< the one-line description of the case list

    /// The record's bytes; texts longer than their capacity are cut, padding is zero.
    QByteArray ToBytes() const;
    /// Throws DataError unless `bytes` holds exactly one record.
    static CaseEntry FromBytes(const QByteArray& bytes);
};

/// The text by which an entry is listed and handed to the load: day, one space,
/// description. Its first ten characters are the case day.
QString CaseListLine(const CaseEntry& entry);

/// Reads the catalogue in file order, calling `visit` for each entry. Throws
/// FileNotFound for a missing file and DataError for a trailing fragment shorter than
/// a record; every entry before the fault has been visited by then.
void ForEachCaseEntry(const QString& path, const std::function<void(const CaseEntry&)>& visit);

/// What a reading of the catalogue produced: the entries read, and the message of the
/// failure that stopped it ("" when the whole file was read). Callers list the entries
/// even after a failure, then report it.
struct CatalogueRead {
    std::vector<CaseEntry> Entries;
    QString Error;
    bool Ok() const { return Error.isEmpty(); }
};
CatalogueRead ReadCaseCatalogue(const QString& path);

/// Creates the catalogue anew and appends one record per entry.
void WriteCaseCatalogue(const QString& path, const std::vector<CaseEntry>& entries);

/// The case day taken from the first ten characters of a list line.
struct CaseDay {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    QString FolderName; ///< characters 1 to 10
};
/// Year = characters 1-4, month = 6-7, day = 9-10 (counting from 1); characters 5 and
/// 8 are not looked at. Throws ConvertError when a part is not a whole number or the
/// folder name would hold a path separator.
CaseDay ParseCaseDay(const QString& text);

/// The leading decimal digits of `text` after leading blanks, 0 when there are none.
/// A run of digits too long for an int saturates instead of wrapping round.
int LeadingNumber(const QString& text);

} // namespace nimbrel
