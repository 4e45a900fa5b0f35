#pragma once
// The kit's charts command: a case day's analysed charts and infrared satellite frames
// drawn from GRIB and NetCDF grids (the grids library, so only the kit loads GDAL).
#include <QString>
#include <QStringList>

namespace nimbrel::disc {

extern const char* const ChartsHelp;

struct ChartsOptions {
    bool Force = false; ///< replace frames already there
    QString TimeFormat; ///< reads the time of files that carry none from their names
    QString Source;     ///< the source named in chart titles; "" takes it from the files
    QString AppData;    ///< where the states' outlines (nimbrel.gis) are looked for first
};

/// Draws every chart the files hold for the case window of `day` (1200 UTC to 1100 UTC
/// of the next day) into DISC/DAY. Everything is read, drawn and encoded before the
/// first file is written; each is written atomically. Throws DataError, writing
/// nothing, when no time of the window is in the files. Returns the lines to print.
QStringList MakeCharts(const QString& discRoot, const QString& day, const QStringList& files,
                       const ChartsOptions& options);

} // namespace nimbrel::disc
