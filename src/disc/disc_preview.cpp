// A static HTML look at a disc: a page per day and an index of all days, so that an
// instructor can see a day without playing it and plan a term from the whole disc.
#include <map>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>

#include "app/folders.h"
#include "base/errors.h"
#include "base/mask.h"
#include "base/records.h"
#include "cases/catalogue.h"
#include "debrief/score_map.h"
#include "debrief/scoring.h"
#include "disc/disc_instructor.h"
#include "disc/disc_kit.h"
#include "map/basemap.h"
#include "reports/report_file.h"
#include "viewer/decoders.h"
#include "viewer/encoders.h"
#include "viewer/gif_export.h"

namespace nimbrel::disc {
namespace {

const char* const Kinds[] = {"satv", "hsfc", "h850", "h700", "h500", "h250"};
const char* const KindTitles[] = {
    "Visible satellite", "Surface", "850 mb", "700 mb", "500 mb", "250 mb"};

QString Html(const QString& text) {
    return text.toHtmlEscaped();
}

QString Page(const QString& title, const QString& body) {
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                          "<title>%1</title><style>body{font-family:sans-serif;margin:1em 2em}"
                          "table{border-collapse:collapse}td,th{border:1px solid #bbb;padding:"
                          "2px 6px;vertical-align:top}.warn{color:#a30}img{max-width:100%%}"
                          "figure{display:inline-block;margin:4px}"
                          "figure img{width:360px}</style></head><body>\n%2"
                          "</body></html>\n")
        .arg(Html(title), body);
}

QString TextFile(const QString& path) {
    if (!QFileInfo(path).isFile()) return {};
    return QString::fromLatin1(ReadWholeFile(path)).trimmed();
}

// The random-case dialog draws a day only with an event letter and a regime letter.
QString PickWarning(const QString& codes) {
    const bool event = codes.contains(QRegularExpression(QStringLiteral("[NST]")));
    const bool regime = codes.contains(QRegularExpression(QStringLiteral("[DCFWOMUZH]")));
    if (!event && !regime)
        return QStringLiteral("never drawn by the random pick: no event or regime letter");
    if (!event) return QStringLiteral("never drawn by the random pick: no event letter");
    if (!regime) return QStringLiteral("never drawn by the random pick: no regime letter");
    return {};
}

constexpr int MapWidth = 800, MapHeight = 600;

// The folder holding the target map's geography files: the per-user folder first, then
// the installed data beside the program. Empty when neither holds all three; `tried`
// names the folders looked in.
QString GeographyFolder(const QString& appData, QStringList& tried) {
    QStringList folders;
    if (!appData.isEmpty()) folders << appData;
    const QString installed = InstalledDataFolder(QCoreApplication::applicationDirPath());
    if (!installed.isEmpty()) folders << installed + QStringLiteral("appdata/");
    for (const QString& folder : folders) {
        tried << QDir::toNativeSeparators(folder);
        if (QFileInfo(folder + FineLinesFile).isFile() &&
            QFileInfo(folder + BoldLinesFile).isFile() && QFileInfo(folder + OutlinesFile).isFile())
            return folder;
    }
    return {};
}

// The day's reports of the case window on the score's map, framed on them, with the
// practically perfect areas they make; no product is drawn. Without the geography the
// reports stand on white and a note says why.
QByteArray ReportsMapPng(const QString& reportFile, const QString& day,
                         const QString& geographyFolder, const QString& missingGeography) {
    const QDate date = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
    const DateTime noon = EncodeDate(date.year(), date.month(), date.day()) + 0.5;
    const ExerciseScore score = ScoreExercise({}, ReadCaseWindowReports(reportFile, noon));
    int outside = 0;
    const ProjectionDescriptor view = FitScoreViewport(score, MapWidth, MapHeight, &outside);
    QImage geography;
    QString problem = missingGeography;
    if (!geographyFolder.isEmpty()) {
        try {
            geography = ScoreMapBackground(geographyFolder, view);
        } catch (const std::exception& e) {
            problem = QString::fromUtf8(e.what());
        }
    }
    ScoreMapInputs in = ScoreMapFrom(score, view, geography);
    // Nothing was issued on a disc; the score's word for that would read as a fault.
    in.Notes.removeAll(QStringLiteral("No product was issued."));
    if (!score.Reports.Problem.isEmpty()) in.Notes << score.Reports.Problem;
    if (!problem.isEmpty()) in.Notes << QStringLiteral("No geography: %1").arg(problem);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(RenderScoreMap(in)))
        throw DataError(QStringLiteral("The reports' map: %1").arg(writer.errorString()));
    return png;
}

} // namespace

QStringList MakePreview(const QString& discRoot, const QString& out, QStringList days,
                        const QString& appData) {
    const QString root = QDir::cleanPath(out);
    const QFileInfo info(root);
    if (info.isSymLink()) throw DataError(QStringLiteral("%1 is a link").arg(root));
    if (info.exists() && !(info.isDir() && QDir(root).isEmpty(QDir::AllEntries |
                                                              QDir::NoDotAndDotDot | QDir::Hidden)))
        throw DataError(QStringLiteral("%1 is there and not an empty folder; the preview needs a "
                                       "new one")
                            .arg(root));
    if (days.isEmpty()) {
        days = ListMatching(discRoot, QStringLiteral("????-??-??"));
        days.sort();
    }
    if (days.isEmpty()) throw DataError(QStringLiteral("No day folders in %1").arg(discRoot));
    for (const QString& day : days)
        if (!QFileInfo(DayFolder(discRoot, day, false)).isDir())
            throw FileError(QStringLiteral("%1: no such day folder").arg(day));

    const QString cataloguePath = discRoot + DiscCatalogueName;
    std::map<QString, CaseEntry> entries;
    if (QFileInfo(cataloguePath).isFile())
        for (const CaseEntry& e : ReadCaseCatalogue(cataloguePath).Entries)
            entries[e.CaseDate] = e;
    const DiscCheck check = CheckDisc(discRoot, cataloguePath);
    QStringList tried;
    const QString geographyFolder = GeographyFolder(appData, tried);
    const QString missingGeography =
        geographyFolder.isEmpty() ? QStringLiteral("the map files (%1, %2, %3) are in none of: %4")
                                        .arg(FineLinesFile, BoldLinesFile, OutlinesFile,
                                             tried.isEmpty() ? QStringLiteral("no folder")
                                                             : tried.join(QStringLiteral(", ")))
                                  : QString();

    // Everything is made in a scratch folder beside the target and renamed into place.
    const QString scratch = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                            QStringLiteral(".new-%1").arg(QCoreApplication::applicationPid());
    if (QFileInfo::exists(scratch) || !QDir().mkpath(scratch))
        throw FileError(QStringLiteral("Cannot create the folder \"%1\"").arg(scratch));
    QStringList lines;
    try {
        QString index = QStringLiteral("<h1>%1</h1>\n<table><tr><th>day</th><th>codes</th>"
                                       "<th>rank</th><th>tornado</th><th>hail</th><th>wind</th>"
                                       "<th>satellite</th><th>warnings</th></tr>\n")
                            .arg(Html(discRoot));
        for (const QString& day : days) {
            const QString source = discRoot + day + QLatin1Char('/');
            const QString folder = scratch + QLatin1Char('/') + day + QLatin1Char('/');
            QDir().mkpath(folder);
            QString body =
                QStringLiteral("<p><a href=\"../index.html\">All days</a></p><h1>%1</h1>\n")
                    .arg(day);
            const auto entry = entries.find(day);
            QStringList warnings;
            if (entry == entries.end()) {
                warnings << QStringLiteral("not in the disc's catalogue");
            } else {
                body += QStringLiteral("<p>Codes %1, rank %2: %3</p>\n")
                            .arg(Html(entry->second.Codes))
                            .arg(entry->second.Ranking)
                            .arg(Html(entry->second.Description));
                if (const QString w = PickWarning(entry->second.Codes); !w.isEmpty()) warnings << w;
            }
            // What the check says of the day.
            for (const DayCheck& d : check.Days)
                if (d.Day == day) warnings << d.Bad << d.Warnings;

            // Each kind's loop as the export writes it.
            QString thumbnail;
            for (std::size_t k = 0; k < std::size(Kinds); ++k) {
                QStringList frames =
                    ListMatching(source, QLatin1String(Kinds[k]) + QStringLiteral("-*"));
                frames.sort();
                if (frames.isEmpty()) continue;
                for (QString& f : frames)
                    f = source + f;
                const QString loop = QLatin1String(Kinds[k]) + QStringLiteral("-loop.gif");
                try {
                    ExportLoopGif(frames, 400, 1200, folder + loop);
                    body += QStringLiteral("<figure><img src=\"%1\" alt=\"%2 loop\"><figcaption>"
                                           "%2, %3 frames</figcaption></figure>\n")
                                .arg(loop, QLatin1String(KindTitles[k]))
                                .arg(frames.size());
                } catch (const std::exception& e) {
                    warnings << QStringLiteral("%1 loop: %2")
                                    .arg(QLatin1String(Kinds[k]), QString::fromUtf8(e.what()));
                }
                if (k == 0 && thumbnail.isEmpty()) {
                    try {
                        const QImage first = frames[0].endsWith(QLatin1String(".gif"))
                                                 ? DecodeGifFile(frames[0])
                                                 : DecodeJpegFile(frames[0]);
                        WriteWholeFile(
                            folder + QStringLiteral("thumb.jpg"),
                            EncodeJpeg(first.scaledToWidth(160, Qt::SmoothTransformation), 80));
                        thumbnail = day + QStringLiteral("/thumb.jpg");
                    } catch (const std::exception&) {
                        // The check's lines already name a frame that does not decode.
                    }
                }
            }
            QStringList soundings = ListMatching(source, QStringLiteral("skew-*.gif"));
            soundings.sort();
            if (!soundings.isEmpty()) body += QStringLiteral("<h2>Soundings</h2>\n");
            for (const QString& s : soundings) {
                CopyWholeFile(source + s, folder + s, MaxImageFileBytes);
                body += QStringLiteral("<figure><img src=\"%1\" alt=\"%1\"><figcaption>%1"
                                       "</figcaption></figure>\n")
                            .arg(s);
            }
            // The reports, kind by kind.
            std::array<int, 4> counts{};
            QString rows;
            if (QFileInfo(source + QStringLiteral("rpt.dat")).isFile()) {
                try {
                    for (const StormReport& r : ReadReports(source + QStringLiteral("rpt.dat"))) {
                        if (r.Kind >= 1 && r.Kind <= 3) ++counts[std::size_t(r.Kind)];
                        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4, %5"
                                               "</td><td>%6</td></tr>\n")
                                    .arg(FormatDateTime(QStringLiteral("dd hhnn"), r.Time))
                                    .arg(r.Kind == 1   ? "tornado"
                                         : r.Kind == 2 ? "hail"
                                                       : "wind")
                                    .arg(Html(r.State))
                                    .arg(r.Start.Latitude, 0, 'f', 2)
                                    .arg(r.Start.Longitude, 0, 'f', 2)
                                    .arg(r.SourceColumn11);
                    }
                } catch (const std::exception& e) {
                    warnings << QStringLiteral("rpt.dat: %1").arg(QString::fromUtf8(e.what()));
                }
            }
            body += QStringLiteral("<h2>Reports</h2><p>%1 tornado, %2 hail, %3 wind (UTC)</p>\n")
                        .arg(counts[1])
                        .arg(counts[2])
                        .arg(counts[3]);
            try {
                WriteWholeFile(folder + QStringLiteral("reports.png"),
                               ReportsMapPng(source + QStringLiteral("rpt.dat"), day,
                                             geographyFolder, missingGeography));
                body += QStringLiteral("<p><img src=\"reports.png\" alt=\"The case window's "
                                       "reports on the map\"></p>\n");
            } catch (const std::exception& e) {
                warnings << QStringLiteral("reports' map: %1").arg(QString::fromUtf8(e.what()));
            }
            if (!rows.isEmpty())
                body += QStringLiteral("<table><tr><th>day, time</th><th>kind</th><th>state</th>"
                                       "<th>start</th><th>magnitude</th></tr>\n%1</table>\n")
                            .arg(rows);
            for (const auto& [file, title] : {std::pair{"narr.txt", "Weather summary"},
                                              std::pair{"fcst.txt", "Forecast discussion"}}) {
                const QString text = TextFile(source + QLatin1String(file));
                if (!text.isEmpty())
                    body += QStringLiteral("<h2>%1</h2><p>%2</p>\n")
                                .arg(QLatin1String(title), Html(text));
            }
            if (!warnings.isEmpty()) {
                body += QStringLiteral("<h2>Check</h2><ul class=\"warn\">\n");
                for (const QString& w : warnings)
                    body += QStringLiteral("<li>%1</li>\n").arg(Html(w));
                body += QStringLiteral("</ul>\n");
            }
            WriteWholeFile(folder + QStringLiteral("index.html"), Page(day, body).toUtf8());

            index +=
                QStringLiteral("<tr><td><a href=\"%1/index.html\">%1</a></td><td>%2</td><td>%3"
                               "</td><td>%4</td><td>%5</td><td>%6</td><td>%7</td><td class="
                               "\"warn\">%8</td></tr>\n")
                    .arg(day, entry == entries.end() ? QString() : Html(entry->second.Codes),
                         entry == entries.end() ? QString()
                                                : QString::number(entry->second.Ranking))
                    .arg(counts[1])
                    .arg(counts[2])
                    .arg(counts[3])
                    .arg(thumbnail.isEmpty()
                             ? QString()
                             : QStringLiteral("<img src=\"%1\" alt=\"%2\">").arg(thumbnail, day))
                    .arg(Html(warnings.join(QStringLiteral("; "))));
            lines << QStringLiteral("%1/%2/index.html: %3 warning(s)")
                         .arg(root, day)
                         .arg(warnings.size());
        }
        index += QStringLiteral("</table>\n");
        WriteWholeFile(scratch + QStringLiteral("/index.html"),
                       Page(QStringLiteral("Case disc"), index).toUtf8());
        if (info.isDir() && !QDir().rmdir(root))
            throw FileError(QStringLiteral("Cannot replace the empty folder %1").arg(root));
        if (!QDir().rename(scratch, root))
            throw FileError(QStringLiteral("Cannot rename %1 to %2").arg(scratch, root));
    } catch (...) {
        QDir(scratch).removeRecursively();
        throw;
    }
    lines.prepend(QStringLiteral("%1/index.html: %2 days").arg(root).arg(days.size()));
    return lines;
}

} // namespace nimbrel::disc
