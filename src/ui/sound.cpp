#include "ui/sound.h"

#include <QSoundEffect>
#include <QUrl>

namespace nimbrel {

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::Play(const QString& path) {
    fileName_ = path;
    if (!effect_) effect_ = new QSoundEffect(this);
    effect_->stop();
    // A new source makes the service drop and reload its sample; the same sound again
    // only starts over.
    const QUrl source = QUrl::fromLocalFile(path);
    if (effect_->source() != source) effect_->setSource(source);
    effect_->play();
}

void SoundPlayer::Stop() {
    if (effect_) effect_->stop();
}

} // namespace nimbrel
