// Preference values: whatever text a store holds reads as a number or the default.
#include <QSettings>

#include "app/preferences.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QString path = fuzz::WriteInput("prefs.ini", data, size);
    QSettings store(path, QSettings::IniFormat);
    (void)ReadPlacement(store);
    SoundItem item;
    UpdateSoundItem(store, item);
    if (item.Tag != 0 && item.Tag != 1) __builtin_trap();
    (void)ReadString(store, QStringLiteral("Window"), QStringLiteral("CaseRoot"), {});
    return 0;
}
