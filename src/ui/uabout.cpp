#include "ui/uabout.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace nimbrel {

TfAbout::TfAbout(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Nimbrel"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("Nimbrel"), this);
    QFont big = name->font();
    big.setPixelSize(21);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto* blurb = new QLabel(
        QStringLiteral("A severe-weather forecasting and storm-chasing trainer.\nVersion 1.0"),
        this);
    blurb->setAlignment(Qt::AlignCenter);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(name);
    layout->addWidget(blurb);
    layout->addWidget(buttons);
}

} // namespace nimbrel
