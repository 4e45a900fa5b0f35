#include "gui/gui_support.h"

#include <QApplication>

#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "debrief/uinformation.h"
#include "products/uproduct.h"
#include "ui/guard.h"
#include "ui/uabout.h"

namespace nimbrel::test {

GuiFixture::GuiFixture() {
    SetErrorSink([this](QWidget*, const QString& text) { Errors << text; });
    auto prompts = std::make_unique<RecordingPrompts>();
    Prompts = prompts.get();
    Form = new TfMainForm(nullptr, std::move(prompts), [] { return QString(); });
    Windows w;
    w.Product = new TfProduct(Form);
    w.LoadCase = new TfLoadCase(Form);
    w.RandomCase = new TfRandomCase(Form);
    w.About = new TfAbout(Form);
    w.Information = new TfInformation(Form);
    Form->SetWindows(w);
}

GuiFixture::~GuiFixture() {
    delete Form;
    SetErrorSink({});
}

void GuiFixture::Show(const QString& appData, const QString& caseRoot) {
    DataFolders& f = Form->State().Folders;
    f.AppDataDirectory = appData;
    f.CaseRootDirectory = caseRoot;
    f.CaseDirectory = caseRoot + DefaultCaseFolder;
    Form->show();
    QApplication::processEvents();
}

} // namespace nimbrel::test
