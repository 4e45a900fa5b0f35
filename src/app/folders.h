#pragma once
// The three data folders and how start-up settles them. Each folder string ends in
// '/' once set, and paths are built by concatenation. The original program's literal
// root "d:\satellite\" stands here for the sample case disc shipped with the program.
#include <functional>

#include <QString>
#include <QStringList>

#include "base/prompts.h"

namespace nimbrel {

struct DataFolders {
    QString AppDataDirectory;
    QString CaseRootDirectory;
    QString CaseDirectory;
    bool DevelopmentMode = false;
    /// The storm report file the program reads: the working copy in the per-user
    /// folder, or the case's own file when that folder refuses the copy; "" when the
    /// case has no reports and no copy could be made.
    QString ReportsFile;
};

inline const QString DefaultCaseFolder = QStringLiteral("1979-04-10/");

/// Adds a trailing '/' when missing (an empty text stays empty).
QString WithSeparator(const QString& folder);
/// The folder part of a path, with its trailing '/'.
QString FolderOf(const QString& path);

/// What start-up can learn of the machine; injected so that tests can stage it.
struct FolderEnvironment {
    QString ExecutableDir;         ///< the program's own folder
    QString LocalDataFolder;       ///< per-user data location, "" when the platform has none
    QStringList OpticalMediaRoots; ///< roots of mounted CD/DVD file systems, in mount order
    QString RememberedDiscRoot;    ///< folder last chosen with Change CD location, or ""
    QString SampleDiscRoot;        ///< the sample case disc shipped with the program
    std::function<bool(const QString&)> Exists; ///< file or folder exists
};

/// The environment of this machine: mounted iso9660/udf volumes, the remembered folder
/// from the preference store, the shipped data next to or under the executable.
FolderEnvironment SystemFolderEnvironment();

/// The installed data folder holding "appdata/" (the per-user set) and "disc/" (the
/// sample case disc), or "" when none is found.
QString InstalledDataFolder(const QString& executableDir);

/// Finds the data disc: the first optical medium, then the remembered folder, then the
/// sample disc, each only if it exists. Returns its root with a trailing '/' or "".
QString FindDataDisc(const FolderEnvironment& env);

/// The creation step's folder work, in order: development switch, per-user folder
/// (message on failure), disc root (warning and `locate` when none), development-mode
/// overrides. `locate` is the interactive step; it may change the folders.
void SettleFolders(DataFolders& folders, const FolderEnvironment& env, Prompts& prompts,
                   const std::function<void(DataFolders&)>& locate);

/// The locate step's effect for a picked file: root = its folder, case = root + default day.
void ApplyPickedDiscFile(DataFolders& folders, const QString& pickedFile);

/// The Folders command's text.
QString FoldersText(const DataFolders& folders);

/// Fills `target` with the files of `source` that it lacks (what an installer does),
/// creating `target` when needed; never overwrites. Returns the names copied; the
/// names it could not copy go to `failed`.
QStringList SeedFolder(const QString& source, const QString& target, QStringList* failed = nullptr);

/// True when a file of some kilobytes can be written into `folder` (created when
/// missing): it is writable and has room.
bool FolderTakesWrites(const QString& folder);

/// The start-up message about a per-user folder: that it refuses writes (when
/// `refuses`) and what will then not be kept, and which shipped files could not be
/// copied into it. "" when there is nothing to say.
QString RefusedFolderText(const QString& folder, bool refuses, const QString& notKept,
                          const QStringList& notCopied);

} // namespace nimbrel
