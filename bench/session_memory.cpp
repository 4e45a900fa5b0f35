// Peak memory of one whole training session, played unattended through the program's
// own main window the way a trainee plays it: the sample day opened from the load
// dialog with its date hidden, every hour advanced on the target map, the satellite,
// the five charts and the soundings looped, a forecast area dragged, an outlook and a
// watch issued, the date revealed (which opens the score window), the summary read,
// the replay played through, the score window closed and a last loop of the day's
// satellite pictures.
//
// The program is started as main.cpp starts it (same folders, data seeded into a
// per-user folder of the environment's HOME, windows made when first needed); message
// boxes are answered OK and modal windows closed as soon as they show.
//
// Usage: session_memory [--phases] [--size WIDTHxHEIGHT]
// Prints "nimbrel session peak <MB> MB" (VmHWM of /proc/self/status); with --phases,
// each phase's own peak and the resident size after it go to standard error too, and at the
// end the resident size by mapping. --size sets the main window's size before it shows
// (otherwise the program's own first size).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include <malloc.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QTimer>

#include "app/application.h"
#include "app/umainform.h"
#include "base/prompts.h"
#include "cases/uloadcase.h"
#include "debrief/uinformation.h"
#include "debrief/uscore.h"
#include "map/projection.h"
#include "products/uproduct.h"
#include "ui/stationmarker.h"

using namespace nimbrel;

namespace {

/// A field of /proc/self/status in MB (MiB, as the kernel's kB are KiB), or -1 when it
/// cannot be read.
double StatusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1.0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ')[0].toDouble() / 1024.0;
    return -1.0;
}

bool showPhases = false;
double sessionPeak = 0.0; ///< with --phases, the largest of the phases' peaks

/// With --phases: the peak within the phase just ended (the kernel's peak is set back to
/// the present size after each), the resident size at its end and the allocator's view.
void Phase(const char* name) {
    if (!showPhases) return;
    const double peak = StatusMegabytes("VmHWM");
    sessionPeak = std::max(sessionPeak, peak);
    // The allocator's view: what is in use, what it holds free, what it mapped apart.
    const struct mallinfo2 heap = mallinfo2();
    const double mb = 1024.0 * 1024.0;
    std::fprintf(stderr,
                 "%-30s phase peak %6.1f MB, resident %6.1f MB (malloc: in use %5.1f, free "
                 "%5.1f, mapped %5.1f)\n",
                 name, peak, StatusMegabytes("VmRSS"), static_cast<double>(heap.uordblks) / mb,
                 static_cast<double>(heap.fordblks) / mb, static_cast<double>(heap.hblkhd) / mb);
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly)) reset.write("5");
}

/// With --phases: the resident size of the process by what is mapped (each library and
/// file, the heap, anonymous memory), largest first, to standard error.
void ResidentByMapping() {
    if (!showPhases) return;
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly)) return;
    QMap<QByteArray, double> byName;
    QByteArray current;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 5 && f[0].contains('-') && !f[0].endsWith(':')) {
            current = f.size() >= 6 ? f[5] : QByteArray("[anonymous]");
        } else if (f.size() >= 2 && f[0] == "Rss:") {
            byName[current] += f[1].toDouble() / 1024.0;
        }
    }
    QList<QPair<double, QByteArray>> sorted;
    for (auto i = byName.cbegin(); i != byName.cend(); ++i)
        sorted.append({i.value(), i.key()});
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });
    for (qsizetype i = 0; i < sorted.size() && sorted[i].first >= 0.05; ++i)
        std::fprintf(stderr, "  %6.2f MB %s\n", sorted[i].first, sorted[i].second.constData());
}

/// Lets the windows paint what the last command changed, as an idle event loop would.
void Settle(int milliseconds = 0) {
    QElapsedTimer t;
    t.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (t.elapsed() < milliseconds);
}

/// Message boxes answered as a trainee who clicks OK; the text goes to standard error
/// with --phases, so that an unexpected message is seen.
class AnsweringPrompts final : public Prompts {
public:
    void Information(const QString& text) override { Say("information", text); }
    void Warning(const QString& text) override { Say("warning", text); }
    bool Confirm(const QString& text) override {
        Say("confirm", text);
        return true;
    }
    void ProcessEvents() override { QApplication::processEvents(); }

private:
    static void Say(const char* kind, const QString& text) {
        if (showPhases) std::fprintf(stderr, "  (%s) %s\n", kind, qPrintable(text.left(100)));
    }
};

/// Closes each modal window the session opens as soon as it is up: the load dialog
/// picks the sample day, the product and information windows are read and closed.
void AnswerModalWindows() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (auto* load = qobject_cast<TfLoadCase*>(modal)) {
        for (int i = 0; i < load->ListBox1->count(); ++i)
            if (load->ListBox1->item(i)->text().startsWith(QLatin1String("1979-04-10 ")))
                load->ListBox1->setCurrentRow(i);
        load->OKButton->click();
    } else if (auto* product = qobject_cast<TfProduct*>(modal)) {
        product->ExitButton->click();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->accept();
    }
}

QPoint Pixel(const TfMainForm& m, double latitude, double longitude) {
    const PixelPoint p = ProjectToScreen(m.State().TheViewport, GeoPoint{latitude, longitude});
    return {p.X, p.Y};
}

/// Drags the forecast area over the Red River, 40 statute miles each side of its axis.
void DrawForecastArea(TfMainForm& m) {
    const QPoint a = Pixel(m, 33.6067, -98.8613), b = Pixel(m, 35.4660, -98.1303);
    const ProjectionDescriptor& view = m.State().TheViewport;
    const double nmPerPixel = 180.0 / 3.14159265358979 / (view.Scale * view.Width) * 60.0;
    const int r = static_cast<int>(std::lround(34.8 / nmPerPixel));
    m.Image1MouseDown(Qt::LeftButton, {}, a.x(), a.y());
    for (int i = 1; i <= 10; ++i) {
        const QPoint p = a + (b - a) * i / 10;
        m.Image1MouseMove({}, p.x(), p.y());
        Settle();
    }
    m.Image1MouseUp(Qt::LeftButton, {}, b.x(), b.y());
    for (int i = 1; i <= 10; ++i) {
        m.Image1MouseMove({}, b.x() + r * i / 10, b.y());
        Settle();
    }
    m.Image1MouseDown(Qt::LeftButton, {}, b.x() + r, b.y());
    m.Image1MouseUp(Qt::LeftButton, {}, b.x() + r, b.y());
    Settle();
}

/// Steps once through every frame of the chart kind `item` shows.
void StepThrough(TfMainForm& m, QAction* item) {
    item->trigger();
    Settle();
    const auto frames = m.State().Player.Frames.size();
    for (qsizetype i = 0; i < frames; ++i) {
        m.StepFwdButtonClick();
        Settle();
    }
}

/// Plays the satellite loop at its fastest for `milliseconds`, then stops it.
void PlaySatellite(TfMainForm& m, int milliseconds) {
    m.Visiblesatellite1->trigger();
    m.LoopSpeed->setValue(m.LoopSpeed->minimum());
    m.PlayFwdButtonClick();
    Settle(milliseconds);
    m.PauseButtonClick();
    Settle();
}

/// Loops every chart kind and clicks through the soundings of every station.
void LoopEverything(TfMainForm& m) {
    PlaySatellite(m, 1500);
    for (QAction* item : {m.SurfaceAnalysis1, m.N850mb1, m.N700mb1, m.N500mb1, m.N250mb1})
        StepThrough(m, item);
    m.Sounding1->trigger();
    Settle();
    for (StationMarker* marker : m.StationMarkers)
        if (marker) {
            m.SkewMouseDown(marker);
            Settle();
        }
    m.Targeting1->trigger();
    Settle();
}

void PlayWholeSession(TfMainForm& m) {
    Phase("main window shown");
    m.Loadcase1->trigger();
    Settle();
    Phase("case opened");
    m.Targeting1->trigger();
    Settle();
    DrawForecastArea(m);
    m.SlightRisk1->trigger();
    Settle();
    Phase("area drawn, outlook issued");
    for (int hour = 1; hour <= 23; ++hour) {
        m.AdvanceHour->click();
        Settle(50); // a report tick or so
        if (hour == 7) {
            m.TornadoWatch1->trigger();
            Settle();
            Phase("watch issued (1900 UTC)");
        }
        if (hour == 3 || hour == 12 || hour == 23) {
            LoopEverything(m);
            Phase(hour == 3    ? "loops at 1500 UTC"
                  : hour == 12 ? "loops at 0000 UTC"
                               : "loops at 1100 UTC");
        }
    }
    Phase("all hours advanced");
    m.RevealDateButton->click(); // confirmed; opens the score window
    Settle(200);
    Phase("revealed, score window shown");
    m.Showsummaryanddiscussion1->trigger();
    Settle();
    Phase("summary read");
    TfScore* score = m.ScoreWindow;
    if (score) {
        for (int row = 0; row < static_cast<int>(score->MapInputs().Products.size()); ++row) {
            score->HighlightProduct(row);
            Settle();
        }
        score->ScoreMapClick();
        const auto hours = static_cast<int>(ReplayHours(score->Replay()));
        for (int i = 0; i < hours; ++i) {
            score->ShowReplayStep(i);
            Settle();
        }
        Phase("replay played");
        score->ScoreMapClick();
        score->close();
        Settle(100);
        Phase("score window closed");
    }
    PlaySatellite(m, 3000);
    m.Targeting1->trigger();
    Settle(600);
    Phase("last loop, target map");
}

} // namespace

int main(int argc, char** argv) {
    QSize windowSize;
    for (int i = 1; i < argc; ++i) {
        showPhases |= std::strcmp(argv[i], "--phases") == 0;
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            const QList<QByteArray> wh = QByteArray(argv[++i]).split('x');
            if (wh.size() == 2) windowSize = QSize(wh[0].toInt(), wh[1].toInt());
        }
    }
    QApplication app(argc, argv);
    ConfigureApplication();
    auto* main = new TfMainForm(nullptr, std::make_unique<AnsweringPrompts>());
    main->MakeWindowsWhenNeeded();
    if (!windowSize.isEmpty()) main->resize(windowSize);
    main->show();
    Settle(300);
    QTimer modals;
    QObject::connect(&modals, &QTimer::timeout, &AnswerModalWindows);
    modals.start(20);
    PlayWholeSession(*main);
    modals.stop();
    ResidentByMapping();
    Phase("end");
    const double peak = showPhases ? sessionPeak : StatusMegabytes("VmHWM");
    // A session that went astray (no case, no products, no score) would give a figure
    // for less than a session: none is printed then.
    const Session& s = main->State();
    const bool whole = s.Folders.CaseDirectory.endsWith(QLatin1String("1979-04-10/")) &&
                       s.Clock.ElapsedHours == 23 && s.Products.size() == 2 && main->ScoreWindow &&
                       ReplayHours(main->ScoreWindow->Replay()) > 0;
    if (!whole) {
        std::fprintf(stderr,
                     "the session did not run through (case %s, %d hours, %zu products, "
                     "score window %s)\n",
                     qPrintable(s.Folders.CaseDirectory), s.Clock.ElapsedHours, s.Products.size(),
                     main->ScoreWindow ? "made" : "never made");
        return 1;
    }
    std::printf("nimbrel session peak %.1f MB\n", peak);
    delete main;
    return peak > 0 ? 0 : 1;
}
