#include "ui/sound.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QtGlobal>

namespace nimbrel {
namespace {

// Where the module may lie: beside the program's libraries as installed (found from
// where the program lies, so an installed tree can be moved), and in the build tree for
// the programs built there. Looked up by whole path: a search by name would depend on
// who calls the loader, which a sanitizer's interceptor changes.
QStringList ModulePlaces() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString name = QStringLiteral(NIMBREL_SOUND_MODULE);
    QStringList places{
        QDir::cleanPath(programDir + QStringLiteral("/" NIMBREL_MODULE_FROM_PROGRAM "/") + name)};
    // The program's own folder has its links resolved; the build tree's is made alike.
    const QString buildTree = QDir(QStringLiteral(NIMBREL_BUILD_TREE)).canonicalPath();
    if (!buildTree.isEmpty() && programDir.startsWith(buildTree + QLatin1Char('/')))
        places << QStringLiteral(NIMBREL_MODULE_BUILD_DIR "/") + name;
    return places;
}

// Loads the module once per run. A program without it plays no sound.
MakeSoundEffectFunction SoundModule() {
    static const MakeSoundEffectFunction make = []() -> MakeSoundEffectFunction {
        QStringList failures;
        for (const QString& place : ModulePlaces()) {
            void* module = dlopen(QFile::encodeName(place).constData(), RTLD_NOW | RTLD_LOCAL);
            if (!module) {
                failures << QString::fromLocal8Bit(dlerror());
                continue;
            }
            auto* found =
                reinterpret_cast<MakeSoundEffectFunction>(dlsym(module, MakeSoundEffectSymbol));
            if (!found)
                qWarning("Sounds are off: %s has no %s", qPrintable(place), MakeSoundEffectSymbol);
            return found;
        }
        qWarning("Sounds are off: %s", qPrintable(failures.join(QStringLiteral("; "))));
        return nullptr;
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
        if (effect_)
            effect_->Failed = [this](const QString& failed) {
                emit Failed(QStringLiteral("The sound \"%1\" could not be played.").arg(failed));
            };
    }
    if (effect_) effect_->Play(path);
}

void SoundPlayer::Stop() {
    if (effect_) effect_->Stop();
}

} // namespace nimbrel
