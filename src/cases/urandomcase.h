#pragma once
// PLACEHOLDER until the case selection dialogs are built.
#include <QDialog>

namespace nimbrel {

class TfRandomCase : public QDialog {
    Q_OBJECT
public:
    explicit TfRandomCase(QWidget* parent = nullptr);
};

} // namespace nimbrel
