#pragma once
// PLACEHOLDER until the product window is built.
#include <QDialog>

namespace nimbrel {

class TfProduct : public QDialog {
    Q_OBJECT
public:
    explicit TfProduct(QWidget* parent = nullptr);
};

} // namespace nimbrel
