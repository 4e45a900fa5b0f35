#pragma once
// Plays a WAV file asynchronously. A machine without an audio device simply stays
// silent: sound is a courtesy of the product window, never a reason to fail.
#include <QObject>
#include <QString>

class QSoundEffect;

namespace nimbrel {

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    /// Starts playing `path` from its beginning, replacing what was playing.
    void Play(const QString& path);
    void Stop();
    /// The file last given to Play ("" before the first).
    QString FileName() const { return fileName_; }

private:
    // Created on the first Play, so that windows built without ever playing a sound
    // (tests, a session without products) never open the audio service.
    QSoundEffect* effect_ = nullptr;
    QString fileName_;
};

} // namespace nimbrel
