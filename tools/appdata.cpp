#include "appdata.h"

#include <QBuffer>
#include <QDir>

#include "base/errors.h"
#include "base/records.h"
#include "cities.h"
#include "geography.h"
#include "map/chaser_icons.h"
#include "raster.h"
#include "sounds.h"
#include "station_map.h"

namespace nimbrel::tools {

QStringList WriteChaserIcons(const QString& appData) {
    QStringList names;
    for (ChaserOutcome outcome :
         {ChaserOutcome::Awaiting, ChaserOutcome::EmptyHanded, ChaserOutcome::CaughtStorm,
          ChaserOutcome::CaughtTornado, ChaserOutcome::Busted, ChaserOutcome::OutOfRange,
          ChaserOutcome::NotChasing}) {
        const QString name = ChaserIconFile(outcome);
        // The same pictures as the statistics panel's legend, so map and legend agree.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!ChaserIcon(outcome).save(&buffer, "BMP"))
            throw FileError(QStringLiteral("Cannot write ") + appData + name);
        WriteWholeFile(appData + name, bytes);
        names << name;
    }
    return names;
}

QStringList MakeAppData(const QString& sharedData, const QString& appData) {
    if (!QDir().mkpath(appData)) throw FileError(QStringLiteral("Cannot create ") + appData);
    QStringList summary = MakeGeographyFiles(sharedData + QStringLiteral("geo/"), appData);

    const std::vector<City> cities = ParseGazetteer(
        ReadWholeFile(sharedData + QStringLiteral("cities/us-cities-30000.tsv")), 30000);
    WriteWholeFile(appData + QStringLiteral("nimbrel.cit"), EncodeCityFile(cities));
    summary << QStringLiteral("nimbrel.cit: %1 cities").arg(cities.size());

    WriteGif(DrawStationMap(appData), appData + QStringLiteral("greatplains.gif"));
    summary
        << QStringLiteral("greatplains.gif: %1 x %2").arg(StationMapWidth).arg(StationMapHeight);

    summary << QStringLiteral("icons: ") + WriteChaserIcons(appData).join(QLatin1Char(' '));

    WriteWholeFile(appData + QStringLiteral("printer.wav"), EncodeWav(PrinterSamples()));
    WriteWholeFile(appData + QStringLiteral("warningtone.wav"), EncodeWav(WarningToneSamples()));
    summary << QStringLiteral("printer.wav, warningtone.wav");
    return summary;
}

} // namespace nimbrel::tools
