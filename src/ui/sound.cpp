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
    effect_->setSource(QUrl::fromLocalFile(path));
    effect_->play();
}

void SoundPlayer::Stop() {
    if (effect_) effect_->stop();
}

} // namespace nimbrel
