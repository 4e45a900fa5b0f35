#include "case_data.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/datetime.h"
#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "cases/catalogue_builder.h"
#include "reports/extraction.h"
#include "reports/report_file.h"

namespace nimbrel::tools {

QStringList MakeCaseReports(const QString& reportTables, const QString& disc) {
    QTemporaryDir scratch;
    if (!scratch.isValid()) throw FileError(QStringLiteral("Cannot create a scratch folder"));
    const QString staged = scratch.path() + QLatin1Char('/');

    QStringList summary;
    const QStringList days = ListMatching(disc, QStringLiteral("????-??-??"));
    for (const QString& day : days) {
        const DateTime date =
            EncodeDate(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
        for (const QString& table : SourceFilesFor(date)) {
            if (QFileInfo::exists(staged + table)) continue;
            if (QFileInfo::exists(reportTables + table)) {
                if (!QFile::link(reportTables + table, staged + table))
                    CopyWholeFile(reportTables + table, staged + table, MaxTextFileBytes);
            } else {
                WriteWholeFile(staged + table, {});
                summary << QStringLiteral("%1: no table %2, an empty stand-in was used")
                               .arg(day, table);
            }
        }
    }
    ExtractReports(disc, staged, {});
    QStringList sorted = days;
    sorted.sort();
    for (const QString& day : sorted) {
        int counts[4] = {0, 0, 0, 0};
        for (const StormReport& r : ReadReports(disc + day + QStringLiteral("/rpt.dat")))
            if (r.Kind >= 1 && r.Kind <= 3) ++counts[r.Kind];
        summary << QStringLiteral("%1/rpt.dat: %2 tornado, %3 hail, %4 wind")
                       .arg(day)
                       .arg(counts[1])
                       .arg(counts[2])
                       .arg(counts[3]);
    }
    return summary;
}

QStringList MakeCatalogue(const QString& chaseList, const QString& appData, const QString& disc) {
    const CatalogueBuild built = BuildCaseCatalogue(chaseList, appData, disc);
    return QStringList{QStringLiteral("nimbrel.cas: %1 entries").arg(built.Entries)} +
           built.Skipped;
}

} // namespace nimbrel::tools
