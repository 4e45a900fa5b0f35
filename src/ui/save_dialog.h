#pragma once
// Save dialogs that ask about the files that will really be written.
#include <QString>
#include <QStringList>

class QWidget;

namespace nimbrel {

/// A save dialog whose name gets `suffix` ("gif") when typed without one before the
/// dialog asks about replacing it, so that the question is about the file written.
/// "" when cancelled.
QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter, const QString& suffix);

/// Asks whether those of `paths` that exist may be replaced; true when none exists. For
/// a save that brings a file the dialog did not ask about (the score's PNG beside its CSV).
bool ConfirmReplacing(QWidget* parent, const QString& caption, const QStringList& paths);

} // namespace nimbrel
