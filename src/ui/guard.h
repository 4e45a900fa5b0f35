#pragma once
// The one general error handler: every menu command, button, mouse and timer handler
// runs its body through Guarded, so no exception crosses the Qt event loop.
#include <functional>

#include <QString>

class QWidget;

namespace nimbrel {

/// Runs `body`; an exception ends in one message box with its text (through
/// ShowErrorMessage) and the normal cursor is restored. Returns false on failure.
bool Guarded(QWidget* parent, const std::function<void()>& body);

/// Where Guarded reports. Tests replace it to record the text instead of showing a box.
using ErrorSink = std::function<void(QWidget* parent, const QString& text)>;
void SetErrorSink(ErrorSink sink);
void ShowErrorMessage(QWidget* parent, const QString& text);

} // namespace nimbrel
