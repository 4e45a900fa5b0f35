#pragma once
// How core operations talk to the user in the middle of their work. The main window
// implements it with message boxes; tests implement it with a recorder.
#include <QString>

namespace nimbrel {

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void Information(const QString& text) = 0;
    virtual void Warning(const QString& text) = 0;
    /// OK / Cancel; true for OK.
    virtual bool Confirm(const QString& text) = 0;
    /// Lets the window process pending events during a long loop.
    virtual void ProcessEvents() = 0;
};

} // namespace nimbrel
