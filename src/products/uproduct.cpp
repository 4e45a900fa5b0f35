#include "products/uproduct.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtMath>

#include "products/product_text.h"
#include "ui/sound.h"

namespace nimbrel {

TfProduct::TfProduct(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fProduct"));
    setWindowTitle(QStringLiteral("Product window"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Products are teletype text: one line of the product per line of the box.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter); // a fixed-pitch stand-in where Courier New is missing
    font.setFixedPitch(true);
    font.setPixelSize(13);
    Memo1->setFont(font);

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    ExitButton = new QPushButton(QStringLiteral("&Exit"), this);
    ExitButton->setObjectName(QStringLiteral("ExitButton"));
    MediaPlayer1 = new SoundPlayer(this);
    connect(MediaPlayer1, &SoundPlayer::Failed, this, &TfProduct::SoundFailed);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(StatusLabel, 1);
    bottom->addWidget(ExitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addLayout(bottom);

    // One product line stays one line: the window is wide enough for the longest line a
    // product can have, in the font the box really uses; only a screen too narrow for
    // it (CentreOnScreen) makes the box scroll sideways.
    const int textWidth = QFontMetrics(Memo1->font()).horizontalAdvance(LongestProductLine());
    const int boxWidth = textWidth + 2 * qCeil(Memo1->document()->documentMargin()) +
                         2 * Memo1->frameWidth() + Memo1->verticalScrollBar()->sizeHint().width() +
                         4;
    const QMargins margins = layout->contentsMargins();
    resize(std::max(640, boxWidth + margins.left() + margins.right()), 560);

    connect(ExitButton, &QPushButton::clicked, this, [this] { ExitButtonClick(); });
    Timer1.setInterval(4000);
    connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    Timer1.start();
}

void TfProduct::PlayProductSound(const QString& path) {
    soundNote_.clear();
    MediaPlayer1->Play(path);
}

void TfProduct::SoundFailed(const QString& message) {
    // Said beside the status, and kept there when the status turns to "Completed.".
    soundNote_ = message;
    StatusLabel->setText(StatusLabel->text() + QStringLiteral("  ") + message);
}

void TfProduct::SetProductStatus(const QString& text) {
    StatusLabel->setText(text);
}

void TfProduct::SetProductText(const QStringList& lines) {
    Memo1->clear();
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TfProduct::ProductText() const {
    const QString text = Memo1->toPlainText();
    if (text.isEmpty() && Memo1->document()->blockCount() <= 1) return {};
    return text.split(QLatin1Char('\n'));
}

void TfProduct::ShowModal() {
    CentreOnScreen();
    exec();
}

void TfProduct::Timer1Timer() {
    if (StatusLabel->text().toUpper().contains(QLatin1String("ISSUING")))
        StatusLabel->setText(soundNote_.isEmpty() ? QStringLiteral("Completed.")
                                                  : QStringLiteral("Completed.  ") + soundNote_);
}

void TfProduct::ExitButtonClick() {
    MediaPlayer1->Stop();
    close();
}

void TfProduct::reject() {
    MediaPlayer1->Stop();
    QDialog::reject();
}

void TfProduct::CentreOnScreen() {
    const QScreen* s = screen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    if (width() > area.width()) resize(area.width(), height());
    move(area.center() - rect().center());
}

} // namespace nimbrel
