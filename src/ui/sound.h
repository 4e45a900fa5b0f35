#pragma once
// Plays a WAV file asynchronously. A machine without an audio device simply stays
// silent: sound is a courtesy of the product window, never a reason to fail.
//
// The playing itself is done by Qt Multimedia, which brings some twenty libraries with it
// (the sound server's client, codecs, networking). It lives in a module of its own that is
// loaded when the first sound plays, so that starting the program never loads them.
#include <functional>
#include <memory>

#include <QObject>
#include <QString>

namespace nimbrel {

/// What the sound module makes: one sound at a time.
class SoundEffect {
public:
    virtual ~SoundEffect() = default;
    /// Starts `path` from its beginning, replacing what was playing.
    virtual void Play(const QString& path) = 0;
    virtual void Stop() = 0;
    /// Called with the file's path when a sound started by Play ends in an error (the
    /// service could not load or decode it).
    std::function<void(const QString& path)> Failed;
};

/// The module's one entry point, looked up by this name.
using MakeSoundEffectFunction = SoundEffect* (*)();
inline constexpr char MakeSoundEffectSymbol[] = "NimbrelMakeSoundEffect";

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

signals:
    /// A sound ended in an error instead of playing; `message` says which and why.
    void Failed(const QString& message);

private:
    // Made on the first Play, so that windows built without ever playing a sound
    // (tests, a session without products) never load the module or open the audio
    // service. Stays null when the module cannot be loaded.
    std::unique_ptr<SoundEffect> effect_;
    QString fileName_;
};

} // namespace nimbrel
