#pragma once
#include <QDialog>

namespace nimbrel {

/// The About window: the product name in large type and an OK button; stays on top.
class TfAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfAbout(QWidget* parent = nullptr);
};

} // namespace nimbrel
