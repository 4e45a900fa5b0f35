#pragma once
// The kit's sounding commands: what a radiosonde archive file holds, and the sounding
// frames of a case day drawn from such files.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace nimbrel::disc {

/// Every sounding of `files` with its diagnostics, as lines for a person.
QStringList SoundingInfoText(const QStringList& files);
/// The same as a JSON array, one object per sounding (missing values null).
QByteArray SoundingInfoJson(const QStringList& files);

/// Writes the sounding frames ("skew-yymmdd-hhnn-id.gif") of `day` under `discRoot` from
/// the soundings of `files` that belong to the day (launched from 0000 UTC of the day to
/// the case's last hour, 1100 UTC of the next) at stations of the station table. Returns
/// a line per frame written and per sounding skipped, with the reason.
QStringList WriteSoundingFrames(const QString& discRoot, const QString& day,
                                const QStringList& files);

} // namespace nimbrel::disc
