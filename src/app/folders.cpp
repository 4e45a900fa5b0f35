#include "app/folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryFile>

#include "app/preferences.h"
#include "base/errors.h"
#include "base/records.h"

namespace nimbrel {

QString WithSeparator(const QString& folder) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder;
    return folder + QLatin1Char('/');
}

QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString InstalledDataFolder(const QString& executableDir) {
    const QStringList candidates = {
        WithSeparator(executableDir) + QStringLiteral("../share/nimbrel/"),
        QStringLiteral(NIMBREL_DATA_INSTALL_DIR "/"),
        QStringLiteral(NIMBREL_SOURCE_DATA_DIR "/"),
    };
    for (const QString& c : candidates) {
        if (QFileInfo(c + QStringLiteral("appdata")).isDir())
            return WithSeparator(QDir::cleanPath(c));
    }
    return QString();
}

FolderEnvironment SystemFolderEnvironment() {
    FolderEnvironment env;
    env.ExecutableDir = WithSeparator(QCoreApplication::applicationDirPath());
    env.LocalDataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QByteArray type = volume.fileSystemType().toLower();
        if (volume.isValid() && volume.isReady() && (type == "iso9660" || type == "udf"))
            env.OpticalMediaRoots << WithSeparator(volume.rootPath());
    }
    QSettings settings = PreferenceStore();
    env.RememberedDiscRoot =
        ReadString(settings, QStringLiteral("Window"), QStringLiteral("CaseRoot"), {});
    const QString data = InstalledDataFolder(env.ExecutableDir);
    env.SampleDiscRoot = data.isEmpty() ? QString() : data + QStringLiteral("disc/");
    env.Exists = [](const QString& path) { return QFileInfo::exists(path); };
    return env;
}

QString FindDataDisc(const FolderEnvironment& env) {
    for (const QString& root : env.OpticalMediaRoots)
        if (!root.isEmpty() && env.Exists(root)) return WithSeparator(root);
    if (!env.RememberedDiscRoot.isEmpty() && env.Exists(env.RememberedDiscRoot))
        return WithSeparator(env.RememberedDiscRoot);
    if (!env.SampleDiscRoot.isEmpty() && env.Exists(env.SampleDiscRoot))
        return WithSeparator(env.SampleDiscRoot);
    return QString();
}

void SettleFolders(DataFolders& folders, const FolderEnvironment& env, Prompts& prompts,
                   const std::function<void(DataFolders&)>& locate) {
    const QString sampleRoot = WithSeparator(env.SampleDiscRoot);
    // The initial values stand for the original "d:\satellite\" and its default day.
    folders.CaseRootDirectory = sampleRoot;
    folders.CaseDirectory = sampleRoot + DefaultCaseFolder;

    folders.DevelopmentMode =
        env.Exists(WithSeparator(env.ExecutableDir) + QStringLiteral("designtime"));

    if (!env.LocalDataFolder.isEmpty()) {
        folders.AppDataDirectory = WithSeparator(env.LocalDataFolder) + QStringLiteral("nimbrel/");
    } else {
        prompts.Information(QStringLiteral("Had a problem setting AppDataDirectory; set it to ") +
                            folders.AppDataDirectory);
    }

    const QString disc = FindDataDisc(env);
    if (!disc.isEmpty()) {
        folders.CaseRootDirectory = disc;
        folders.CaseDirectory = disc + DefaultCaseFolder;
    } else {
        prompts.Warning(QStringLiteral("Nimbrel cannot locate your CD or DVD drive."));
        locate(folders);
    }

    if (folders.DevelopmentMode) {
        folders.AppDataDirectory = WithSeparator(env.ExecutableDir);
        folders.CaseRootDirectory = sampleRoot;
        folders.CaseDirectory = sampleRoot + DefaultCaseFolder;
    }
}

void ApplyPickedDiscFile(DataFolders& folders, const QString& pickedFile) {
    if (pickedFile.isEmpty()) return;
    folders.CaseRootDirectory = FolderOf(QDir::fromNativeSeparators(pickedFile));
    folders.CaseDirectory = folders.CaseRootDirectory + DefaultCaseFolder;
}

QString FoldersText(const DataFolders& f) {
    return QStringLiteral("CaseRootDirectory is ") + f.CaseRootDirectory +
           QStringLiteral(" and CaseDirectory is ") + f.CaseDirectory +
           QStringLiteral(" and AppDataDirectory is ") + f.AppDataDirectory;
}

QStringList SeedFolder(const QString& source, const QString& target, QStringList* failed) {
    QStringList copied;
    if (source.isEmpty() || target.isEmpty() || !QFileInfo(source).isDir()) return copied;
    const bool made = QDir().mkpath(target);
    const QDir src(source);
    for (const QString& name : src.entryList(QDir::Files | QDir::Hidden)) {
        const QString to = WithSeparator(target) + name;
        if (made && QFileInfo::exists(to)) continue;
        // Through the one writer: a copy a full disc cut short never takes the name, and
        // the shipped file is then read where it was installed.
        bool done = false;
        if (made) {
            try {
                CopyWholeFile(src.filePath(name), to, MaxVectorFileBytes);
                done = true;
            } catch (const FileError&) {
            }
        }
        if (done) {
            // Files installed read-only must stay writable for the program's own updates.
            QFile(to).setPermissions(QFile::permissions(to) | QFileDevice::WriteOwner);
            copied << name;
        } else if (failed) {
            *failed << name;
        }
    }
    return copied;
}

bool FolderTakesWrites(const QString& folder) {
    if (folder.isEmpty() || !QDir().mkpath(folder)) return false;
    QTemporaryFile probe(WithSeparator(folder) + QStringLiteral("nimbrel-probe-XXXXXX"));
    if (!probe.open()) return false;
    const QByteArray block(qsizetype(16) * 1024, '\0');
    return probe.write(block) == block.size() && probe.flush();
}

QString RefusedFolderText(const QString& folder, bool refuses, const QString& notKept,
                          const QStringList& notCopied) {
    QStringList lines;
    if (refuses)
        lines << QStringLiteral("The folder %1 does not accept new files (it is read-only or "
                                "full). Nimbrel runs on, but %2 will not be kept.")
                     .arg(folder, notKept);
    if (!notCopied.isEmpty())
        lines << QStringLiteral("These files could not be copied into %1 and are missing: %2")
                     .arg(folder, notCopied.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n'));
}

} // namespace nimbrel
