#include "app/preferences.h"

#include <algorithm>

namespace nimbrel {
namespace {
QString Key(const QString& section, const QString& name) {
    return section + QLatin1Char('/') + name;
}
} // namespace

QSettings PreferenceStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nimbrel"));
}

int ReadInteger(QSettings& store, const QString& section, const QString& name, int def) {
    const QVariant v = store.value(Key(section, name));
    if (!v.isValid()) return def;
    bool ok = false;
    const int value = v.toString().trimmed().toInt(&ok);
    return ok ? value : def;
}

void WriteInteger(QSettings& store, const QString& section, const QString& name, int value) {
    store.setValue(Key(section, name), QString::number(value));
}

bool ReadBool(QSettings& store, const QString& section, const QString& name, bool def) {
    return ReadInteger(store, section, name, def ? 1 : 0) != 0;
}

void WriteBool(QSettings& store, const QString& section, const QString& name, bool value) {
    WriteInteger(store, section, name, value ? 1 : 0);
}

QString ReadString(QSettings& store, const QString& section, const QString& name,
                   const QString& def) {
    const QVariant v = store.value(Key(section, name));
    return v.isValid() ? v.toString() : def;
}

void WriteString(QSettings& store, const QString& section, const QString& name,
                 const QString& value) {
    store.setValue(Key(section, name), value);
}

WindowPlacement ReadPlacement(QSettings& store) {
    const QString w = QStringLiteral("Window");
    WindowPlacement p;
    p.Height = ReadInteger(store, w, QStringLiteral("Height"), 640);
    p.Width = ReadInteger(store, w, QStringLiteral("Width"), 480);
    p.Left = ReadInteger(store, w, QStringLiteral("Left"), 1);
    p.Top = ReadInteger(store, w, QStringLiteral("Top"), 1);
    p.Maximized = ReadBool(store, w, QStringLiteral("Maximized"), true);
    const WindowPlacement defaults;
    if (p.Height < 1 || p.Height > MaxWindowSide) p.Height = defaults.Height;
    if (p.Width < 1 || p.Width > MaxWindowSide) p.Width = defaults.Width;
    return p;
}

QPoint PlaceOnAScreen(const WindowPlacement& p, const QList<QRect>& screens, const QRect& primary) {
    // The title bar is what a window is moved by: its whole height and a grip of its
    // width must lie on one screen, else the window could not be dragged back.
    const QRect grip(p.Left, p.Top, p.Width, TitleBarGripHeight);
    const int needed = std::min(p.Width, TitleBarGripWidth);
    for (const QRect& screen : screens) {
        const QRect shown = screen.intersected(grip);
        if (shown.height() == grip.height() && shown.width() >= needed) return grip.topLeft();
    }
    return primary.topLeft();
}

void WritePlacement(QSettings& store, const WindowPlacement& p) {
    const QString w = QStringLiteral("Window");
    WriteInteger(store, w, QStringLiteral("Height"), p.Height);
    WriteInteger(store, w, QStringLiteral("Width"), p.Width);
    WriteInteger(store, w, QStringLiteral("Left"), p.Left < 0 ? 0 : p.Left);
    WriteInteger(store, w, QStringLiteral("Top"), p.Top < 0 ? 0 : p.Top);
    WriteBool(store, w, QStringLiteral("Maximized"), p.Maximized);
    store.sync();
}

void UpdateSoundItem(QSettings& store, SoundItem& item) {
    const int v = ReadInteger(store, QStringLiteral("Window"), QStringLiteral("WarningSounds"), 1);
    if (v == 0) {
        item.Caption = QStringLiteral("Warning sounds are off (click to change)");
        item.Tag = 0;
    } else if (v == 1) {
        item.Caption = QStringLiteral("Warning sounds are on (click to change)");
        item.Tag = 1;
    }
}

void ToggleWarningSounds(QSettings& store, SoundItem& item) {
    WriteInteger(store, QStringLiteral("Window"), QStringLiteral("WarningSounds"),
                 item.Tag == 1 ? 0 : 1);
    store.sync();
    UpdateSoundItem(store, item);
}

} // namespace nimbrel
