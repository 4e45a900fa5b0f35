#include "cases/case_options.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace nimbrel {

CaseOptionControls AddCaseOptions(QDialog* dialog, QVBoxLayout* layout) {
    CaseOptionControls c;
    c.HideDate = new QCheckBox(
        QStringLiteral("Hide date information (recommended for training sessions)"), dialog);
    c.HideDate->setObjectName(QStringLiteral("HideDate"));
    c.HideDate->setChecked(true);
    c.StartCaseInMorning = new QCheckBox(
        QStringLiteral("Start case at 1200 UTC (recommended for training sessions)"), dialog);
    c.StartCaseInMorning->setObjectName(QStringLiteral("StartCaseInMorning"));
    c.StartCaseInMorning->setChecked(true);
    layout->addWidget(c.HideDate);
    layout->addWidget(c.StartCaseInMorning);

    auto* buttons = new QHBoxLayout;
    c.OKButton = new QPushButton(QStringLiteral("OK"), dialog);
    c.OKButton->setObjectName(QStringLiteral("OKButton"));
    c.OKButton->setDefault(true);
    c.CancelButton = new QPushButton(QStringLiteral("Cancel"), dialog);
    c.CancelButton->setObjectName(QStringLiteral("CancelButton"));
    buttons->addStretch();
    buttons->addWidget(c.OKButton);
    buttons->addWidget(c.CancelButton);
    layout->addLayout(buttons);
    return c;
}

} // namespace nimbrel
