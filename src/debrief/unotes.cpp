#include "debrief/unotes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/guard.h"

namespace nimbrel {

TfNotes::TfNotes(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fNotes"));
    setWindowTitle(QStringLiteral("Forecast notes"));
    resize(460, 420);
    List = new QListWidget(this);
    List->setObjectName(QStringLiteral("NotesList"));
    List->setWordWrap(true);
    List->setSelectionMode(QAbstractItemView::NoSelection);
    Entry = new QPlainTextEdit(this);
    Entry->setObjectName(QStringLiteral("NotesEntry"));
    Entry->setPlaceholderText(QStringLiteral("Why the area is drawn where it is, what to watch "
                                             "for next..."));
    Entry->setFixedHeight(90);
    AddButton = new QPushButton(QStringLiteral("&Add note"), this);
    AddButton->setObjectName(QStringLiteral("AddNoteButton"));
    CloseButton = new QPushButton(QStringLiteral("&Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(AddButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Each note is stamped with the exercise's "
                                                "time and kept with the score."),
                                 this));
    layout->addWidget(List, 1);
    layout->addWidget(Entry);
    layout->addLayout(buttons);

    connect(AddButton, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { AddButtonClick(); }); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::close);
}

void TfNotes::SetNotes(const ForecastNotes& notes) {
    List->clear();
    for (const ForecastNote& n : notes)
        List->addItem(ForecastNoteLine(n));
    if (List->count() > 0) List->scrollToBottom();
}

void TfNotes::AddButtonClick() {
    const QString text = Entry->toPlainText();
    if (text.trimmed().isEmpty()) return;
    if (OnAdd) OnAdd(text);
    Entry->clear();
    Entry->setFocus();
}

} // namespace nimbrel
