// Preference values: whatever text a store holds reads as a number or the default.
#include <QSettings>

#include "app/preferences.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbrel;
    const QString path = fuzz::WriteInput("prefs.ini", data, size);
    QSettings store(path, QSettings::IniFormat);
    const WindowPlacement placement = ReadPlacement(store);
    if (placement.Width < 1 || placement.Width > MaxWindowSide || placement.Height < 1 ||
        placement.Height > MaxWindowSide)
        __builtin_trap();
    SoundItem item;
    UpdateSoundItem(store, item);
    if (item.Tag != 0 && item.Tag != 1) __builtin_trap();
    (void)ReadString(store, QStringLiteral("Window"), QStringLiteral("CaseRoot"), {});
    return 0;
}
