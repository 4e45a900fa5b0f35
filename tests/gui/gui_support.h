#pragma once
// A main window built the way start-up builds it, on a temporary per-user folder and
// case root, with message boxes recorded instead of shown.
#include <memory>

#include <QTemporaryDir>

#include "app/umainform.h"
#include "support/test_support.h"

namespace nimbrel::test {

struct GuiFixture {
    /// Creates the six windows. `appData` and `caseRoot` default to empty temporary
    /// folders; pass the shipped folders to run on the real data.
    GuiFixture();
    ~GuiFixture();
    /// Points the session at these folders (each ending in '/') and shows the window,
    /// which runs the show step (clock, first refresh).
    void Show(const QString& appData, const QString& caseRoot);

    QTemporaryDir Temp;
    TfMainForm* Form = nullptr;
    RecordingPrompts* Prompts = nullptr; ///< owned by Form
    QStringList Errors;                  ///< texts the general error guard reported
};

} // namespace nimbrel::test
