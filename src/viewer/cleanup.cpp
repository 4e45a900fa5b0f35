#include "viewer/cleanup.h"

#include <QFile>
#include <QFileInfo>

#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "viewer/decoders.h"

namespace nimbrel {

namespace {

enum class Treatment { Delete, Move };

struct CleanupPattern {
    const char* Mask;
    Treatment How;
};

// Order matters: a file matching two patterns is handled by the first.
const CleanupPattern Patterns[] = {
    {"*AREA*", Treatment::Delete},  {"*BAND*", Treatment::Delete},  {"*robots*", Treatment::Delete},
    {"*.mcv", Treatment::Move},     {"*.meta", Treatment::Delete},  {"*metar*", Treatment::Delete},
    {"*upper*", Treatment::Delete}, {"*index*", Treatment::Delete},
};

// A name in `archive` for the raw file `name` of case folder `day` that replaces nothing:
// the name itself, else "day_name", else "day_name-2", "day_name-3" and on.
QString ArchiveName(const QString& archive, const QString& day, const QString& name) {
    if (!QFileInfo::exists(archive + name) && !QFileInfo(archive + name).isSymLink()) return name;
    const QString prefixed = day + QLatin1Char('_') + name;
    QString candidate = prefixed;
    for (int n = 2;
         QFileInfo::exists(archive + candidate) || QFileInfo(archive + candidate).isSymLink();
         ++n) {
        const QFileInfo info(prefixed);
        candidate = info.completeBaseName() + QStringLiteral("-%1").arg(n) +
                    (info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix());
    }
    return candidate;
}

} // namespace

QString RunCleanup(const QString& caseRoot, const QString& archiveFolder, Prompts& prompts,
                   const std::function<void(const QString&)>& setCaption) {
    QStringList renamed;
    const QStringList caseFolders =
        ListMatching(caseRoot, QStringLiteral("????-??-??"), CleanupLimit);
    const QString realRoot = QFileInfo(caseRoot).canonicalFilePath() + QLatin1Char('/');
    for (const QString& folder : caseFolders) {
        const QString caseFolder = caseRoot + folder + QLatin1Char('/');
        // A case folder that is a link out of the disc is left alone, whatever it holds.
        if (!QFileInfo(caseFolder).canonicalFilePath().startsWith(realRoot)) {
            prompts.Information(
                QStringLiteral("Skipped %1: it leads outside the disc folder").arg(caseFolder));
            continue;
        }
        for (const CleanupPattern& pattern : Patterns) {
            const QStringList names =
                ListMatching(caseFolder, QString::fromLatin1(pattern.Mask), CleanupLimit);
            for (const QString& name : names) {
                const QString path = caseFolder + name;
                // A folder cannot be deleted as a file: said as any other failed deletion.
                const QFileInfo entry(path);
                if (pattern.How == Treatment::Delete && entry.isDir() && !entry.isSymLink()) {
                    setCaption(QStringLiteral("Deleting ") + path);
                    prompts.Information(QStringLiteral("Had trouble deleting ") + path);
                    continue;
                }
                if (const QString why = ReasonToLeaveAlone(path, caseRoot); !why.isEmpty()) {
                    prompts.Information(QStringLiteral("Skipped %1: %2").arg(path, why));
                    continue;
                }
                if (pattern.How == Treatment::Delete) {
                    setCaption(QStringLiteral("Deleting ") + path);
                    if (!QFile::remove(path))
                        prompts.Information(QStringLiteral("Had trouble deleting ") + path);
                } else {
                    // Without a known archive the copy has nowhere to go: stop like a
                    // failed copy instead of writing somewhere relative.
                    if (archiveFolder.isEmpty())
                        throw FileError(QStringLiteral("No archive folder for ") + path);
                    // Days hold raw files of the same names: a name the archive already
                    // has gets the day before it, then a number, and never replaces it.
                    const QString archived = ArchiveName(archiveFolder, folder, name);
                    CopyWholeFile(path, archiveFolder + archived, MaxImageFileBytes);
                    QFile::remove(path); // the copy is safe; a leftover is harmless
                    if (archived != name)
                        renamed << QStringLiteral("%1 -> %2").arg(folder + '/' + name, archived);
                }
            }
        }
    }
    if (!renamed.isEmpty())
        prompts.Information(
            QStringLiteral("The archive already held files of these names, so they were "
                           "archived under new names:\n") +
            renamed.join(QLatin1Char('\n')));
    return QStringLiteral("Done!");
}

} // namespace nimbrel
