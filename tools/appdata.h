#pragma once
// The per-user data set made from public sources (the catalogue and the outlook
// paragraphs are made elsewhere: the catalogue from the case list, the paragraphs are
// written by hand).
#include <QString>
#include <QStringList>

namespace nimbrel::tools {

/// Writes into `appData` (ending in '/') the map files, "nimbrel.cit", "greatplains.gif",
/// the seven chaser icons and the two sounds, reading `sharedData` (ending in '/', with
/// geo/ and cities/). Returns a summary line per file or group.
QStringList MakeAppData(const QString& sharedData, const QString& appData);

/// Writes the seven chaser icons into `appData`; returns their names.
QStringList WriteChaserIcons(const QString& appData);

} // namespace nimbrel::tools
