#pragma once
// The instructor's commands of nimbrel-disc (new, use, catalogue, reports, draft).
#include <optional>

#include <QString>
#include <QStringList>

namespace nimbrel::disc {

/// Runs `command` when it is one of the instructor's commands and returns its exit
/// status (0; 2 after printing help is never needed: --help prints and returns 0);
/// nothing when the command is another. Throws std::invalid_argument for a command line
/// that cannot be understood, and the kit's errors for a failure.
std::optional<int> RunInstructorCommand(const QString& command, const QStringList& rest);

} // namespace nimbrel::disc
