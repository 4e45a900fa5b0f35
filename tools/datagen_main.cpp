// nimbrel-datagen: builds the data Nimbrel ships from public sources.
//
//   nimbrel-datagen appdata   <shared-data>/ <appdata>/     map files, cities, station map,
//                                                           chaser icons, sounds
//   nimbrel-datagen reports   <shared-data>/reports/ <disc>/  "rpt.dat" of every case day
//   nimbrel-datagen catalogue <chase-list.csv> <appdata>/ <disc>/
//                                                           "nimbrel.cas", narr.txt, fcst.txt
//   nimbrel-datagen caselist  <shared-data>/reports/ <added-days.csv> <chase-list.csv>
//                                                           generated rows of the case list
//   nimbrel-datagen frames    <appdata>/ <disc>/ [yyyy-mm-dd ...]
//                                                           sample chart frames (all days
//                                                           of the disc when none is named)
//
// Folders are given with or without a trailing '/'. Every output is the same, byte for
// byte, on every run over the same inputs.
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QStringList>

#include "appdata.h"
#include "base/errors.h"
#include "base/mask.h"
#include "case_data.h"
#include "case_list.h"
#include "charts.h"

namespace {

QString Folder(const QString& path) {
    const QString cleaned = QDir::fromNativeSeparators(path);
    return cleaned.endsWith(QLatin1Char('/')) ? cleaned : cleaned + QLatin1Char('/');
}

int Usage() {
    std::fputs("usage: nimbrel-datagen appdata|reports|catalogue|caselist|frames ... (see the "
               "source header)\n",
               stderr);
    return 2;
}

void Print(const QStringList& lines) {
    for (const QString& line : lines)
        std::printf("%s\n", qPrintable(line));
}

} // namespace

int main(int argc, char** argv) {
    // QPainter on images needs the GUI application, but no window system.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return Usage();
    const QString command = args[0];
    try {
        if (command == QLatin1String("appdata") && args.size() == 3) {
            Print(nimbrel::tools::MakeAppData(Folder(args[1]), Folder(args[2])));
        } else if (command == QLatin1String("reports") && args.size() == 3) {
            Print(nimbrel::tools::MakeCaseReports(Folder(args[1]), Folder(args[2])));
        } else if (command == QLatin1String("catalogue") && args.size() == 4) {
            Print(nimbrel::tools::MakeCatalogue(args[1], Folder(args[2]), Folder(args[3])));
        } else if (command == QLatin1String("caselist") && args.size() == 4) {
            Print(nimbrel::tools::MakeCaseList(Folder(args[1]), args[2], args[3]));
        } else if (command == QLatin1String("frames") && args.size() >= 3) {
            const QString disc = Folder(args[2]);
            QStringList days = args.mid(3);
            if (days.isEmpty()) {
                days = nimbrel::ListMatching(disc, QStringLiteral("????-??-??"));
                days.sort();
            }
            const int count = nimbrel::tools::WriteSampleFrames(Folder(args[1]), disc, days);
            std::printf("%d frames for %lld case days\n", count,
                        static_cast<long long>(days.size()));
        } else {
            return Usage();
        }
    } catch (const nimbrel::FileError& e) {
        std::fprintf(stderr, "nimbrel-datagen: %s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nimbrel-datagen: %s\n", e.what());
        return 1;
    }
    return 0;
}
