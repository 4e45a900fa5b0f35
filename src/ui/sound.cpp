#include "ui/sound.h"

#include <dlfcn.h>

#include <QtGlobal>

namespace nimbrel {
namespace {

// Loads the module once per run. It is looked up by its file name alone, so the dynamic
// loader finds it on the program's own library path: beside the program's libraries when
// installed, in the build tree while developing. A program without it plays no sound.
MakeSoundEffectFunction SoundModule() {
    static const MakeSoundEffectFunction make = []() -> MakeSoundEffectFunction {
        void* module = dlopen(NIMBREL_SOUND_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            qWarning("Sounds are off: %s", dlerror());
            return nullptr;
        }
        auto* found =
            reinterpret_cast<MakeSoundEffectFunction>(dlsym(module, MakeSoundEffectSymbol));
        if (!found)
            qWarning("Sounds are off: %s has no %s", NIMBREL_SOUND_MODULE, MakeSoundEffectSymbol);
        return found;
    }();
    return make;
}

} // namespace

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::Play(const QString& path) {
    fileName_ = path;
    if (!effect_) {
        const MakeSoundEffectFunction make = SoundModule();
        if (make) effect_.reset(make());
    }
    if (effect_) effect_->Play(path);
}

void SoundPlayer::Stop() {
    if (effect_) effect_->Stop();
}

} // namespace nimbrel
