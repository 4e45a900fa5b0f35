#pragma once
// The instructor's commands of nimbrel-disc (new, use, catalogue, reports, draft).
#include <optional>

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace nimbrel::disc {

/// A command line split into positional words, options with a value and flags.
struct Args {
    QStringList Positional;
    QMap<QString, QString> Options; ///< --name value
    QSet<QString> Flags;            ///< --name
};

/// Splits the arguments: `valued` options take the next argument, `flags` stand alone;
/// any other "--" word throws std::invalid_argument.
Args Parse(const QStringList& args, const QStringList& valued, const QStringList& flags);
/// `path` cleaned, with forward slashes and ending in one.
QString Folder(const QString& path);
/// The --appdata folder, else the per-user data folder.
QString AppDataFolder(const Args& args);

/// Runs `command` when it is one of the instructor's commands and returns its exit
/// status (0; 2 after printing help is never needed: --help prints and returns 0);
/// nothing when the command is another. Throws std::invalid_argument for a command line
/// that cannot be understood, and the kit's errors for a failure.
std::optional<int> RunInstructorCommand(const QString& command, const QStringList& rest);

} // namespace nimbrel::disc
