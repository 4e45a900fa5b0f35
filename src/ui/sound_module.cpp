// The sound module: Qt Multimedia's sound effect behind the player's small interface.
// Loaded by the player when the first sound plays.
#include <QSoundEffect>
#include <QUrl>

#include "ui/sound.h"

namespace {

class QtSoundEffect final : public nimbrel::SoundEffect {
public:
    QtSoundEffect() {
        // The sample loads in the background: a file the service cannot decode is known
        // only when its status turns to Error, never by Play.
        QObject::connect(&effect_, &QSoundEffect::statusChanged, &effect_, [this] {
            if (effect_.status() == QSoundEffect::Error && Failed)
                Failed(effect_.source().toLocalFile());
        });
    }
    void Play(const QString& path) override {
        effect_.stop();
        // A new source makes the service drop and reload its sample; the same sound
        // again only starts over.
        const QUrl source = QUrl::fromLocalFile(path);
        if (effect_.source() != source) {
            effect_.setSource(source);
        } else if (effect_.status() == QSoundEffect::Error) {
            // The same file failed before: no new status will come to say so again.
            if (Failed) Failed(path);
            return;
        }
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
