#pragma once
// Developer tool: builds each case day's "rpt.dat" from the national tornado, hail and
// wind report tables (comma-separated, one file per kind and period).
#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "base/datetime.h"
#include "reports/report_file.h"

namespace nimbrel {

class Prompts;

inline constexpr int MaxCaseFolders = 300;
inline constexpr int MaxReportsPerDay = 1000;
inline constexpr int MaxSourceFields = 40;
inline const QString TooManyReportsText = QStringLiteral("Too many reports");
inline const QString IdleCaption = QStringLiteral("Idle");

/// Lines of a text file. A line ends at a line feed, at a carriage return (a line feed
/// right after it belongs to the same line end) or at the end of the file.
class TextLineReader {
public:
    /// Reads the whole file; FileNotFound when missing, FileError when unreadable.
    explicit TextLineReader(const QString& path);
    /// Reads lines from bytes in memory.
    static TextLineReader FromBytes(const QByteArray& bytes);
    bool AtEnd() const { return pos_ >= data_.size(); }
    /// The next line without its line end.
    QByteArray ReadLine();

private:
    TextLineReader() = default;
    QByteArray data_;
    qsizetype pos_ = 0;
};

/// The fields of a source line, numbered from 1: every comma ends a field (the text
/// after the last comma is a field too). Fields beyond MaxSourceFields are dropped;
/// asking for a field the line does not have gives an empty text.
class SourceFields {
public:
    explicit SourceFields(const QByteArray& line);
    QByteArray Field(int number) const;
    int Count() const { return static_cast<int>(fields_.size()); }

private:
    std::vector<QByteArray> fields_;
};

/// The three source file names (tornado, hail, wind) of the period holding `day`.
QStringList SourceFilesFor(DateTime day);

/// The report of a source line of kind `kind` dated `date` (the line's own calendar
/// date). Time is the date + field 6 + six hours; a field 6 that is no time of day
/// throws ConvertError. Number fields that do not parse store 0; a decimal in a
/// whole-number column (hail size in inches, 1.75) stores its value rounded to the
/// nearest whole number.
StormReport ReportFromFields(const SourceFields& fields, ReportKind kind, DateTime date);

struct ExtractionHooks {
    Prompts* Ask = nullptr;                         ///< messages and event processing
    std::function<void(const QString&)> SetCaption; ///< the progress display
};

/// The reports of `day` from three tables given by path (tornado, hail, wind; an empty
/// path leaves that kind out), in the order the day's file keeps them: kind by kind,
/// each in table order. Lines without a year in field 2 (header, blank end) are
/// skipped. Beyond MaxReportsPerDay each further report is announced through
/// `hooks.Ask` and dropped. `beforeTable(k)` is called before table k (1..3) is read.
std::vector<StormReport> ReportsOfDay(DateTime day, const QStringList& tablePaths,
                                      const ExtractionHooks& hooks,
                                      const std::function<void(int)>& beforeTable = {});

/// Runs the tool over the case-day folders of `caseRoot` (names "????-??-??", at most
/// 300), reading the source files from `sourceFolder` (both end in '/'). Each day's
/// "rpt.dat" is written only after all three of its source files were read through.
/// The first failure throws: files written before it stay, the caption keeps its last
/// progress text. Returns the names of the days written.
QStringList ExtractReports(const QString& caseRoot, const QString& sourceFolder,
                           const ExtractionHooks& hooks);

} // namespace nimbrel
