#include "cases/uloadcase.h"

#include "cases/case_options.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "cases/catalogue.h"
#include "ui/centre.h"
#include "ui/guard.h"

namespace nimbrel {

namespace {
constexpr int RowHeight = 16;
}

TfLoadCase::TfLoadCase(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LoadCase"));
    setWindowTitle(QStringLiteral("Load case study"));
    setFixedSize(703, 454);

    auto* layout = new QVBoxLayout(this);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter); // a fixed-pitch face where Courier New is missing
    mono.setPixelSize(13);
    ListBox1->setFont(mono);
    layout->addWidget(ListBox1, 1);

    const CaseOptionControls options = AddCaseOptions(this, layout);
    HideDate = options.HideDate;
    StartCaseInMorning = options.StartCaseInMorning;
    OKButton = options.OKButton;
    CancelButton = options.CancelButton;

    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TfLoadCase::ListBox1DblClick);
    connect(OKButton, &QPushButton::clicked, this, &TfLoadCase::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TfLoadCase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    FillList();
    // The list shows what was read; the failure is reported over the open dialog.
    if (!listError_.isEmpty()) {
        const QString error = listError_;
        QTimer::singleShot(0, this, [this, error] { ShowErrorMessage(this, error); });
    }
}

void TfLoadCase::FillList() {
    dialogResult_.clear();
    ListBox1->clear();
    const CatalogueRead read = ReadCaseCatalogue(catalogPath_);
    for (const CaseEntry& entry : read.Entries) {
        const QString line = CaseListLine(entry);
        auto* item = new QListWidgetItem(line, ListBox1);
        item->setSizeHint(QSize(ListBox1->fontMetrics().horizontalAdvance(line) + 8, RowHeight));
    }
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
    listError_ = read.Error;
}

void TfLoadCase::ListBox1DblClick(QListWidgetItem* item) {
    if (!item) return;
    dialogResult_ = item->text();
    accept();
}

void TfLoadCase::OKButtonClick() {
    // Only a line the trainee picked counts. The current row alone is no pick: the list
    // makes its first row current when it takes the focus as the dialog opens.
    const QList<QListWidgetItem*> picked = ListBox1->selectedItems();
    dialogResult_ = picked.isEmpty() ? QString() : picked.first()->text();
    accept();
}

} // namespace nimbrel
