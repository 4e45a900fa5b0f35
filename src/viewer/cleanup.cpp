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

} // namespace

QString RunCleanup(const QString& caseRoot, const QString& archiveFolder, Prompts& prompts,
                   const std::function<void(const QString&)>& setCaption) {
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
                    CopyWholeFile(path, archiveFolder + name, MaxImageFileBytes);
                    QFile::remove(path); // the copy is safe; a leftover is harmless
                }
            }
        }
    }
    return QStringLiteral("Done!");
}

} // namespace nimbrel
