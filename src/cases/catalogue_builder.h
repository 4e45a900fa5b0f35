#pragma once
// The maintainers' tool that turns the case list spreadsheet ("chase-list.csv") into
// the case catalogue and the case folders' narrative files.
#include <array>

#include <QString>
#include <QStringList>

#include "cases/catalogue.h"

namespace nimbrel {

inline constexpr int CaseListColumns = 12;
using CaseListRow = std::array<QString, CaseListColumns>;

/// Splits one line into its 12 columns. An unquoted comma moves to the next column,
/// never past the twelfth (further commas are dropped there); a double quote switches
/// the quoted mode and is dropped, except that a doubled quote yields one quote
/// character and the second quote is then taken on its own.
CaseListRow SplitCaseListLine(const QString& line);

/// True when the row is to be used: its third column, with blanks and control
/// characters removed at both ends, is exactly "1".
bool IsIncludedRow(const CaseListRow& row);

struct CatalogueBuild {
    int Entries = 0;
    /// One line for each row left out because its files lead outside the case root or
    /// are not ordinary files.
    QStringList Skipped;
};

/// The catalogue entry of an included row: day (column 1), codes (5), ranking (6), note
/// (7) and description (9), each cut to its field's capacity.
CaseEntry EntryFromRow(const CaseListRow& row);

/// Runs the tool: skips the input's header line, creates `appDataDirectory` +
/// "nimbrel.cas" anew, and for every included row writes "narr.txt" and "fcst.txt"
/// (one line ended by CR LF each) into `caseRoot` + the row's day, then appends its
/// entry. Every file is replaced whole, through a temporary file. Stops at the first
/// file error; the entries of the rows before it are kept, the failing row's is not.
CatalogueBuild BuildCaseCatalogue(const QString& inputPath, const QString& appDataDirectory,
                                  const QString& caseRoot);

} // namespace nimbrel
