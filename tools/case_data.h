#pragma once
// The case disc's own files, made with the program's developer tools: each day's
// "rpt.dat" by the report extraction, the catalogue and the narrative files by the
// catalogue builder.
#include <QString>
#include <QStringList>

namespace nimbrel::tools {

/// Runs the report extraction over the case days of `disc` with the tables of
/// `reportTables`. Tables the shared data lacks (every wind table, hail for 1990-2004)
/// are given to the extraction as empty stand-ins in a scratch folder, so those days
/// simply have no reports of that kind. Returns a line per day with its counts.
QStringList MakeCaseReports(const QString& reportTables, const QString& disc);

/// Runs the catalogue builder: `chaseList` -> `appData` + "nimbrel.cas" and each used
/// day's "narr.txt" and "fcst.txt" under `disc`. Returns a summary.
QStringList MakeCatalogue(const QString& chaseList, const QString& appData, const QString& disc);

} // namespace nimbrel::tools
