#include "debrief/uinformation.h"

#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace nimbrel {

TfInformation::TfInformation(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Information window"));
    setSizeGripEnabled(true);
    resize(640, 480);
    auto* layout = new QVBoxLayout(this);
    Memo = new QTextEdit(this);
    Memo->setObjectName(QStringLiteral("RichEdit1"));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(13);
    Memo->setFont(f);
    Memo->setAcceptRichText(false);
    layout->addWidget(Memo, 1);
    auto* strip = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    strip->addStretch();
    strip->addWidget(ok);
    strip->addStretch();
    layout->addLayout(strip);
}

void TfInformation::SetLines(const QStringList& lines) {
    Memo->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TfInformation::Lines() const {
    return Memo->toPlainText().split(QLatin1Char('\n'));
}

} // namespace nimbrel
