#include "cases/uloadcase.h"

#include "cases/case_options.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "cases/catalogue.h"
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

    // Any way of moving to a line (mouse or keys) makes it the selection.
    connect(ListBox1, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* item) { selection_ = item ? item->text() : QString(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &TfLoadCase::ListBox1DblClick);
    connect(OKButton, &QPushButton::clicked, this, &TfLoadCase::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TfLoadCase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
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
    selection_.clear();
    const CatalogueRead read = ReadCaseCatalogue(catalogPath_);
    for (const CaseEntry& entry : read.Entries) {
        const QString line = CaseListLine(entry);
        auto* item = new QListWidgetItem(line, ListBox1);
        item->setSizeHint(QSize(ListBox1->fontMetrics().horizontalAdvance(line) + 8, RowHeight));
    }
    ListBox1->setCurrentRow(-1);
    ListBox1->clearSelection();
    selection_.clear();
    listError_ = read.Error;
}

void TfLoadCase::ListBox1DblClick(QListWidgetItem* item) {
    if (!item) return;
    selection_ = item->text();
    dialogResult_ = selection_;
    accept();
}

void TfLoadCase::OKButtonClick() {
    dialogResult_ = selection_;
    accept();
}

} // namespace nimbrel
