#pragma once
// PLACEHOLDER until the case selection dialogs are built.
#include <QDialog>

namespace nimbrel {

class TfLoadCase : public QDialog {
    Q_OBJECT
public:
    explicit TfLoadCase(QWidget* parent = nullptr);
};

} // namespace nimbrel
