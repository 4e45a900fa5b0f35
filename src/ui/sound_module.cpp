// The sound module: Qt Multimedia's sound effect behind the player's small interface.
// Loaded by the player when the first sound plays.
#include <QSoundEffect>
#include <QUrl>

#include "ui/sound.h"

namespace {

class QtSoundEffect final : public nimbrel::SoundEffect {
public:
    void Play(const QString& path) override {
        effect_.stop();
        // A new source makes the service drop and reload its sample; the same sound
        // again only starts over.
        const QUrl source = QUrl::fromLocalFile(path);
        if (effect_.source() != source) effect_.setSource(source);
        effect_.play();
    }
    void Stop() override { effect_.stop(); }

private:
    QSoundEffect effect_;
};

} // namespace

extern "C" Q_DECL_EXPORT nimbrel::SoundEffect* NimbrelMakeSoundEffect() {
    return new QtSoundEffect;
}
