#pragma once
// The per-user preference store: key "Software\Nimbrel", section "Window". Values are
// decimal text; booleans are "1" and "0".
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSettings>
#include <QString>

namespace nimbrel {

/// The store of this user (the registry on Windows, ~/.config/Nimbrel.conf on Linux).
QSettings PreferenceStore();

/// The value as an integer, or `def` when it is missing or not an integer.
int ReadInteger(QSettings& store, const QString& section, const QString& name, int def);
void WriteInteger(QSettings& store, const QString& section, const QString& name, int value);
/// Any non-zero integer reads as true.
bool ReadBool(QSettings& store, const QString& section, const QString& name, bool def);
void WriteBool(QSettings& store, const QString& section, const QString& name, bool value);
QString ReadString(QSettings& store, const QString& section, const QString& name,
                   const QString& def);
void WriteString(QSettings& store, const QString& section, const QString& name,
                 const QString& value);

/// Window placement as stored: defaults 480 wide, 640 high at (1, 1), maximized.
/// The largest window side a stored placement may ask for: four 4K screens side by side.
/// A larger (or non-positive) stored size is damage, not a window: honouring it would ask
/// for a window picture of many gigabytes and bring the program down at every start.
inline constexpr int MaxWindowSide = 16384;

struct WindowPlacement {
    int Height = 640;
    int Width = 480;
    int Left = 1;
    int Top = 1;
    bool Maximized = true;
};
WindowPlacement ReadPlacement(QSettings& store);
/// The part of a window's top that must lie on a screen for it to be dragged: the title
/// bar's height and a grip of its width (the whole width of a narrower window).
inline constexpr int TitleBarGripHeight = 24;
inline constexpr int TitleBarGripWidth = 64;
/// Where a window of the placement's size opens: at its stored Left and Top when the
/// grip of its title bar (above) lies on one of `screens`, else at the top-left of
/// `primary` (a stored place whose title bar is off every screen would open a window
/// nobody can move back).
QPoint PlaceOnAScreen(const WindowPlacement& placement, const QList<QRect>& screens,
                      const QRect& primary);
/// Stores the placement; a negative Left or Top is stored as 0.
void WritePlacement(QSettings& store, const WindowPlacement& placement);

/// The "Warning sounds" menu item: caption and tag.
struct SoundItem {
    QString Caption = QStringLiteral("Warning sounds");
    int Tag = 0;
};
/// Reads "WarningSounds" (default 1): 0 and 1 set caption and tag; any other value
/// leaves `item` as it is.
void UpdateSoundItem(QSettings& store, SoundItem& item);
/// The menu command: stores 0 when the tag is 1, else 1, then updates the item.
void ToggleWarningSounds(QSettings& store, SoundItem& item);

} // namespace nimbrel
