#pragma once
// The product window: the text of the product just issued, its sound and a status
// line that turns from "Issuing weather product..." to "Completed.".
#include <QDialog>
#include <QStringList>
#include <QTimer>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace nimbrel {

class SoundPlayer;

class TfProduct : public QDialog {
    Q_OBJECT
public:
    explicit TfProduct(QWidget* parent = nullptr);

    /// Starts playing the WAV file at `path`; the window's sound stops on Exit.
    void PlayProductSound(const QString& path);
    void SetProductStatus(const QString& text);
    /// Replaces the text box's contents, one line per entry, spaces kept as they are.
    void SetProductText(const QStringList& lines);
    /// The text box's contents, one entry per line.
    QStringList ProductText() const;
    /// Centres the window on its screen and shows it modally until Exit.
    void ShowModal();

    /// A sound that ended in an error: the message stays beside the status, also after
    /// it turns to "Completed.", until the next product's sound.
    void SoundFailed(const QString& message);
    void Timer1Timer();
    void ExitButtonClick();
    /// Escape and the close box end the sound too, as Exit does.
    void reject() override;

    QPlainTextEdit* Memo1 = nullptr;
    QLabel* StatusLabel = nullptr;
    QPushButton* ExitButton = nullptr;
    SoundPlayer* MediaPlayer1 = nullptr;
    QTimer Timer1;

private:
    void CentreOnScreen();
    QString soundNote_;
};

} // namespace nimbrel
