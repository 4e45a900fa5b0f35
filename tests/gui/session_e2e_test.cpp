// One whole training session on the shipped 10 April 1979 case, played through the real
// windows the way a trainee plays it: open the case with its date hidden, loop the
// charts, look at every chart kind and a sounding, drag a forecast area, issue an
// outlook and a watch, advance hour by hour to the end of the day, reveal the date and
// read the summary.
//
// What the trainee is shown is checked against values the test works out for itself:
// frame counts from the disc's file names, the reports of each hour from the records
// of "rpt.dat" read here byte by byte, the chasers' nearest distances with a distance
// formula of the test's own, and the statistics from the chaser table by the rules of
// the classification.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QtEndian>

#include "app/folders.h"
#include "base/mask.h"
#include "cases/uloadcase.h"
#include "debrief/uinformation.h"
#include "gui/gui_support.h"
#include "map/projection.h"
#include "products/uproduct.h"
#include "ui/imageview.h"
#include "ui/stationmarker.h"

using namespace nimbrel;
using namespace nimbrel::test;

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double NoDistanceYet = 999999.0;

/// The assembled data set of this build (<build>/share/nimbrel/, beside <build>/src where
/// the program lives), or "" when the sample frames have not been drawn.
QString StagedData() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList candidates = {
        QDir::cleanPath(exeDir + QStringLiteral("/../../share/nimbrel")) + QLatin1Char('/'),
        InstalledDataFolder(exeDir + QStringLiteral("/../../src")),
    };
    for (const QString& c : candidates) {
        if (!c.isEmpty() && QFileInfo::exists(c + QStringLiteral("disc/1979-04-10/rpt.dat")) &&
            QFileInfo::exists(c + QStringLiteral("disc/1979-04-10/satv-790410-1200.jpg")) &&
            QFileInfo::exists(c + QStringLiteral("appdata/nimbrel.cas")))
            return c;
    }
    return QString();
}

/// One record of "rpt.dat" as the test reads it: 64 little-endian bytes, time at 0,
/// kind at 8, start latitude and longitude at 16 and 24, track end at 32 and 40.
struct Report {
    double Time = 0;
    int Kind = 0;
    double Latitude = 0, Longitude = 0;
    double EndLatitude = 0, EndLongitude = 0;
    long long Minute = 0; ///< minutes since 30 December 1899
};

double LittleDouble(const char* p) {
    return qFromLittleEndian<double>(p);
}

std::vector<Report> ReadReportRecords(const QString& path) {
    const QByteArray bytes = ReadFile(path);
    std::vector<Report> out;
    for (qsizetype at = 0; at + 64 <= bytes.size(); at += 64) {
        const char* r = bytes.constData() + at;
        Report rep;
        rep.Time = LittleDouble(r);
        rep.Kind = qFromLittleEndian<qint32>(r + 8);
        rep.Latitude = LittleDouble(r + 16);
        rep.Longitude = LittleDouble(r + 24);
        rep.EndLatitude = LittleDouble(r + 32);
        rep.EndLongitude = LittleDouble(r + 40);
        rep.Minute = std::llround(rep.Time * 1440.0);
        out.push_back(rep);
    }
    return out;
}

/// Great-circle distance in nautical miles (one degree of arc is 60 nm), by the
/// haversine formula.
double Nm(double lat1, double lon1, double lat2, double lon2) {
    const double r = Pi / 180.0;
    const double h =
        std::pow(std::sin((lat2 - lat1) * r / 2), 2) +
        std::cos(lat1 * r) * std::cos(lat2 * r) * std::pow(std::sin((lon2 - lon1) * r / 2), 2);
    return 2.0 * std::asin(std::min(1.0, std::sqrt(h))) / r * 60.0;
}

/// Frames of one kind prefix whose valid time (characters 6-16 of the name) is not
/// after `key`, in name order, listed from the folder here.
QStringList FramesUpTo(const QString& folder, const QString& prefix, const QString& key) {
    QStringList out;
    const QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString& n : names)
        if (n.startsWith(prefix + QLatin1Char('-')) && n.size() > 16 && n.mid(5, 11) <= key)
            out << n;
    return out;
}

QString FrameCaption(qsizetype n) {
    return QString::number(n) +
           (n == 1 ? QStringLiteral(" frame loaded") : QStringLiteral(" frames loaded"));
}

/// The outcome the classification gives a chaser of this mode and these distances
/// (Awaiting for chasers still at home undecided or waiting, who are in no counter).
enum Outcome {
    Awaiting = 0,
    EmptyHanded,
    CaughtStorm,
    CaughtTornado,
    Busted,
    OutOfRange,
    NotChasing = 7
};
enum Mode { Undecided = 0, Waiting, StayingHome, Chasing, ReturningHome };

int ExpectedOutcome(int mode, double nearestTornado, double nearestReport) {
    if (mode == StayingHome) return nearestTornado < 250 ? Busted : NotChasing;
    if (mode == Chasing || mode == ReturningHome) {
        if (nearestReport < 50) return nearestTornado > 20 ? CaughtStorm : CaughtTornado;
        if (nearestReport == NoDistanceYet) return Awaiting;
        if (nearestReport > 350) return OutOfRange;
        return mode == Chasing ? EmptyHanded : Busted;
    }
    return Awaiting;
}

bool HasColourNear(const QImage& img, int x, int y, int reach, const std::vector<QRgb>& colours) {
    for (int yy = y - reach; yy <= y + reach; ++yy)
        for (int xx = x - reach; xx <= x + reach; ++xx)
            if (img.rect().contains(xx, yy) &&
                std::find(colours.begin(), colours.end(), img.pixel(xx, yy)) != colours.end())
                return true;
    return false;
}

/// Distance in pixels from `p` to the segment from `a` to `b`.
double PixelsToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 == 0 ? 0.0 : std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

/// The paragraphs of the outlook discussion file, split at lines starting "===".
std::vector<QStringList> DiscussionParagraphs(const QString& path) {
    std::vector<QStringList> out(1);
    const QList<QByteArray> lines = ReadFile(path).split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromLatin1(lines[i]).trimmed();
        if (line.startsWith(QLatin1String("==="))) {
            out.emplace_back();
        } else if (i + 1 < lines.size() || !line.isEmpty()) {
            out.back() << line;
        }
    }
    return out;
}

struct Session1979 {
    Session1979() {
        data = StagedData();
        if (data.isEmpty()) return;
        appData = f.Temp.path() + QStringLiteral("/user/nimbrel/");
        disc = data + QStringLiteral("disc/");
        day = disc + QStringLiteral("1979-04-10/");
        // What the program does on a first start: fill the empty per-user folder with the
        // shipped set.
        seeded = SeedFolder(data + QStringLiteral("appdata/"), appData);
        f.Show(appData, disc);
        reports = ReadReportRecords(day + QStringLiteral("rpt.dat"));
        nearestTornado.assign(49, NoDistanceYet);
        nearestReport.assign(49, NoDistanceYet);
    }

    TfMainForm& m() const { return *f.Form; }
    Session& s() const { return f.Form->State(); }
    std::string Errors() const { return f.Errors.join(QStringLiteral(" | ")).toStdString(); }

    /// Hours since 1200 UTC of the case day -> the clock's text, time key and minute.
    QDateTime At(int hours) const {
        return QDateTime(QDate(1979, 4, 10), QTime(12, 0), Qt::UTC).addSecs(3600LL * hours);
    }
    QString Key(int hours) const { return At(hours).toString(QStringLiteral("yyMMdd-hhmm")); }
    long long Minute(int hours) const {
        return (QDate(1899, 12, 30).daysTo(QDate(1979, 4, 10)) * 24LL + 12 + hours) * 60LL;
    }

    /// Runs `command` while `inside` works the modal window it opens, once it is up.
    void WhileModal(QWidget* window, const std::function<void()>& command,
                    const std::function<void()>& inside) {
        bool done = false;
        QTimer poller; // lives no longer than this call, whatever the command does
        poller.setInterval(10);
        QObject::connect(&poller, &QTimer::timeout, [&] {
            if (!window->isVisible()) return;
            poller.stop();
            inside();
            done = true;
        });
        poller.start();
        command();
        poller.stop();
        EXPECT_TRUE(done) << "the window was not shown";
    }

    QStringList Issue(QAction* item) {
        TfProduct& p = *m().OtherWindows().Product;
        QStringList text;
        // The status turns to "Completed." at the window timer's next tick; starting its
        // four seconds afresh lets the test read the status the trainee first sees.
        p.Timer1.start();
        WhileModal(
            &p, [&] { item->trigger(); },
            [&] {
                EXPECT_EQ(p.windowTitle(), QStringLiteral("Product window"));
                EXPECT_EQ(p.StatusLabel->text(), QStringLiteral("Issuing weather product..."));
                text = p.ProductText();
                p.ExitButton->click();
            });
        return text;
    }

    std::array<bool, 5> ProductItems() const {
        return {m().SlightRisk1->isEnabled(), m().ModerateRisk1->isEnabled(),
                m().HighRisk1->isEnabled(), m().SevereWatch1->isEnabled(),
                m().TornadoWatch1->isEnabled()};
    }

    QPoint Pixel(double latitude, double longitude) const {
        const PixelPoint p = ProjectToScreen(s().TheViewport, GeoPoint{latitude, longitude});
        return {p.X, p.Y};
    }

    /// One press of "Advance to next hour" from the target map, and everything the
    /// trainee can check after it. `hours` is the clock's hours after 1200 UTC once the
    /// advance is done.
    void AdvanceAndCheck(int hours) {
        SCOPED_TRACE("advance to " + At(hours).toString(QStringLiteral("hh:mm")).toStdString());
        std::vector<GeoPoint> before;
        for (const Chaser& c : s().Chasers)
            before.push_back(c.Position);
        const qsizetype messages = f.Prompts->Shown.size();

        m().AdvanceHour->click();
        ASSERT_TRUE(f.Errors.isEmpty()) << Errors();

        // From 0300 UTC on each advance first says that it is dark.
        const QStringList said = f.Prompts->Shown.mid(messages);
        if (hours - 1 >= 15)
            EXPECT_EQ(said, QStringList{QStringLiteral(
                                "I:No further weather data is available and it is dark.  Any "
                                "chasers on the road are returning home.")});
        else
            EXPECT_TRUE(said.isEmpty()) << said.join('|').toStdString();

        // The clock.
        EXPECT_EQ(m().CurDateLabel->text(), QStringLiteral("--- -- ----"));
        const QString time = At(hours).toString(QStringLiteral("hh:mm")) + QStringLiteral(" UTC");
        EXPECT_EQ(m().CurTimeLabel->text(), time);
        EXPECT_EQ(m().ProdTimeLabel->text(), time); // the target map shows the clock's time
        EXPECT_EQ(s().Clock.ElapsedHours, hours);

        // The working copy of the report file is the disc's, byte for byte.
        EXPECT_EQ(ReadFile(appData + QStringLiteral("rpt.dat")),
                  ReadFile(day + QStringLiteral("rpt.dat")));

        // The reports of the past hour, both ends included, as the file says.
        const long long now = Minute(hours);
        std::vector<const Report*> recent;
        for (const Report& r : reports)
            if (r.Minute <= now && now - r.Minute <= 60) recent.push_back(&r);
        reportsTakenIn += static_cast<int>(recent.size());

        const auto& chasers = s().Chasers;
        for (int i = 0; i < 49; ++i) {
            SCOPED_TRACE("chaser " + std::to_string(i + 1));
            const Chaser& c = chasers[static_cast<std::size_t>(i)];
            // One hour's move: 45 nm, none, or straight home.
            const double moved = Nm(before[i].Latitude, before[i].Longitude, c.Position.Latitude,
                                    c.Position.Longitude);
            const bool home =
                c.Position.Latitude == c.Home.Latitude && c.Position.Longitude == c.Home.Longitude;
            EXPECT_TRUE(home || moved < 1e-9 || std::abs(moved - 45.0) < 1e-6) << moved;

            // The reports taken in, folded into the chaser from where it now stands.
            double hourBest = NoDistanceYet;
            const Report* pull = nullptr;
            for (const Report* r : recent) {
                const double d =
                    Nm(c.Position.Latitude, c.Position.Longitude, r->Latitude, r->Longitude);
                if (r->Kind == 1) {
                    if (d < hourBest && d < 120) {
                        hourBest = d;
                        pull = r;
                    }
                    nearestTornado[i] = std::min(nearestTornado[i], d);
                }
                if (r->Kind == 1 || r->Kind == 2) nearestReport[i] = std::min(nearestReport[i], d);
            }
            EXPECT_NEAR(c.NearestTornado, nearestTornado[i], 1e-6);
            EXPECT_NEAR(c.NearestReport, nearestReport[i], 1e-6);
            if (pull) { // the nearest tornado within 120 nm pulls the chaser towards it
                EXPECT_EQ(c.Target.Latitude, pull->Latitude);
                EXPECT_EQ(c.Target.Longitude, pull->Longitude);
            }
            EXPECT_EQ(static_cast<int>(c.Outcome),
                      ExpectedOutcome(static_cast<int>(c.Mode), c.NearestTornado, c.NearestReport));
            EXPECT_NE(c.Mode, ChaserMode::Undecided); // everybody has decided after an hour
            // From 0200 UTC everybody is on the way home.
            if (hours >= 14) {
                EXPECT_EQ(c.Mode, ChaserMode::ReturningHome);
            }
        }

        // The seven counters are the chasers of each outcome, those at home waiting in none.
        std::array<int, 8> byOutcome{};
        int waiting = 0;
        for (const Chaser& c : chasers) {
            if (c.Mode == ChaserMode::Waiting || c.Mode == ChaserMode::Undecided)
                ++waiting;
            else
                ++byOutcome[static_cast<std::size_t>(c.Outcome)];
        }
        EXPECT_EQ(m().StatHome->text(), QString::number(byOutcome[NotChasing]));
        EXPECT_EQ(m().StatAwait->text(), QString::number(byOutcome[Awaiting]));
        EXPECT_EQ(m().StatEmpty->text(), QString::number(byOutcome[EmptyHanded]));
        EXPECT_EQ(m().StatSvr->text(), QString::number(byOutcome[CaughtStorm]));
        EXPECT_EQ(m().StatTor->text(), QString::number(byOutcome[CaughtTornado]));
        EXPECT_EQ(m().StatBust->text(), QString::number(byOutcome[Busted]));
        EXPECT_EQ(m().StatRange->text(), QString::number(byOutcome[OutOfRange]));
        int shown = 0;
        for (QLabel* l : {m().StatHome, m().StatAwait, m().StatEmpty, m().StatSvr, m().StatTor,
                          m().StatBust, m().StatRange})
            shown += l->text().toInt();
        EXPECT_EQ(shown, 49 - waiting);
        if (hours >= 14) {
            EXPECT_EQ(shown, 49);
        }
        catches = byOutcome[CaughtStorm] + byOutcome[CaughtTornado];

        // The forecast area's long sides, A - d to B - d and A + d to B + d, are drawn in
        // black where no chaser's icon or stroke and no report stands over them.
        const QImage& map = m().Image1->Picture();
        for (int i = 0; i <= 40; ++i) {
            const std::array<QPoint, 2>& side = i <= 20 ? eastSide : westSide;
            const QPointF p = QPointF(side[0]) + (side[1] - side[0]) * ((i % 21) / 20.0);
            const QPoint at(qRound(p.x()), qRound(p.y()));
            auto within = [&](QPoint q, int reach) {
                return std::abs(q.x() - at.x()) <= reach && std::abs(q.y() - at.y()) <= reach;
            };
            bool covered = false;
            for (const Chaser& c : s().Chasers)
                covered |= within(Pixel(c.Position.Latitude, c.Position.Longitude), 22);
            for (const Report& r : reports) {
                if (r.Minute > Minute(hours)) continue;
                const QPoint start = Pixel(r.Latitude, r.Longitude);
                const QPoint end = r.Kind == 1 && r.EndLatitude != 0
                                       ? Pixel(r.EndLatitude, r.EndLongitude)
                                       : start;
                covered |= within(start, 7) || PixelsToSegment(at, start, end) <= 3;
            }
            if (covered) continue;
            ++outlinePoints;
            EXPECT_TRUE(HasColourNear(map, at.x(), at.y(), 1, {qRgb(0, 0, 0)}))
                << "no outline at " << at.x() << "," << at.y();
        }

        // Every report whose time has come is on the map, in its kind's colours.
        for (const Report& r : reports) {
            if (r.Minute > now) continue;
            const QPoint p = Pixel(r.Latitude, r.Longitude);
            const std::vector<QRgb> colours =
                r.Kind == 1 ? std::vector<QRgb>{qRgb(255, 68, 68), qRgb(255, 34, 34)}
                            : std::vector<QRgb>{qRgb(0, 170, 0)};
            EXPECT_TRUE(HasColourNear(map, p.x(), p.y(), 6, colours))
                << "report at " << r.Latitude << " " << r.Longitude;
        }
        // ...and no report is drawn before its time: a later report's place shows no
        // tornado fill and no hail green, unless a report already due lies next to it.
        for (const Report& r : reports) {
            if (r.Minute <= now) continue;
            const QPoint p = Pixel(r.Latitude, r.Longitude);
            bool besideADueReport = false;
            for (const Report& due : reports)
                besideADueReport |=
                    due.Minute <= now &&
                    (Pixel(due.Latitude, due.Longitude) - p).manhattanLength() <= 28;
            if (besideADueReport) continue;
            EXPECT_FALSE(HasColourNear(map, p.x(), p.y(), 6, {qRgb(255, 34, 34), qRgb(0, 170, 0)}))
                << "report of " << r.Minute << " shown early at " << r.Latitude << " "
                << r.Longitude;
        }

        CheckEveryChartKind(hours);
        m().Targeting1->trigger();
        EXPECT_TRUE(f.Errors.isEmpty()) << Errors();
    }

    /// Visits the six chart kinds: each lists the frames valid at the clock, as the
    /// disc's file names say, and shows the newest with its time and the hidden date.
    void CheckEveryChartKind(int hours) {
        struct Kind {
            QAction* item;
            const char* prefix;
        };
        for (const Kind& k :
             {Kind{m().Visiblesatellite1, "satv"}, Kind{m().SurfaceAnalysis1, "hsfc"},
              Kind{m().N850mb1, "h850"}, Kind{m().N700mb1, "h700"}, Kind{m().N500mb1, "h500"},
              Kind{m().N250mb1, "h250"}}) {
            SCOPED_TRACE(k.prefix);
            k.item->trigger();
            ASSERT_TRUE(f.Errors.isEmpty()) << Errors();
            EXPECT_TRUE(k.item->isChecked());
            EXPECT_FALSE(m().Targeting1->isChecked());
            const QStringList frames = FramesUpTo(day, QString::fromLatin1(k.prefix), Key(hours));
            ASSERT_FALSE(frames.isEmpty());
            EXPECT_EQ(s().Player.Frames, frames);
            EXPECT_EQ(s().Player.FrameIndex, frames.size() - 1);
            EXPECT_EQ(m().FramesLoaded->text(), FrameCaption(frames.size()));
            const QString& newest = frames.last();
            EXPECT_EQ(m().ProdTimeLabel->text(),
                      newest.mid(12, 2) + ':' + newest.mid(14, 2) + QStringLiteral(" UTC"));
            EXPECT_EQ(m().ProdDateLabel->text(), QStringLiteral("--- -- ----"));
        }
    }

    /// While the target map is shown the reports of the last hour blink: the first tick
    /// of the report timer after a full refresh redraws their symbols inverted and leaves
    /// the older ones as they stand. Checked on reports clear of every other report's
    /// symbol and track, since symbols drawn over each other blink together.
    void CheckRecentReportsBlink(int hours) {
        const long long now = Minute(hours);
        const QImage steady = m().Image1->Picture();
        QElapsedTimer waited;
        waited.start();
        while (m().Image1->Picture() == steady && waited.elapsed() < 3000)
            QTest::qWait(5);
        const QImage flashed = m().Image1->Picture();
        ASSERT_TRUE(flashed != steady) << "the report timer did not redraw the map";
        int recentSeen = 0, oldSeen = 0;
        for (const Report& r : reports) {
            if (r.Minute > now) continue;
            const QPoint p = Pixel(r.Latitude, r.Longitude);
            bool alone = true;
            for (const Report& other : reports) {
                if (&other == &r || other.Minute > now) continue;
                const QPoint start = Pixel(other.Latitude, other.Longitude);
                const QPoint end = other.Kind == 1 && other.EndLatitude != 0
                                       ? Pixel(other.EndLatitude, other.EndLongitude)
                                       : start;
                alone &= PixelsToSegment(p, start, end) > 16;
            }
            if (!alone) continue;
            const QRect symbol(p.x() - 5, p.y() - 5, 11, 11);
            if (now - r.Minute <= 60) {
                ++recentSeen;
                EXPECT_TRUE(flashed.copy(symbol) != steady.copy(symbol))
                    << "a report of the last hour did not blink at " << r.Latitude << " "
                    << r.Longitude;
            } else {
                ++oldSeen;
                EXPECT_TRUE(flashed.copy(symbol) == steady.copy(symbol))
                    << "an older report blinked at " << r.Latitude << " " << r.Longitude;
            }
        }
        EXPECT_GT(recentSeen, 0);
        EXPECT_GT(oldSeen, 0);
    }

    GuiFixture f;
    QString data, appData, disc, day;
    QStringList seeded;
    std::vector<Report> reports;
    std::vector<double> nearestTornado, nearestReport;
    int reportsTakenIn = 0;
    int catches = 0;
    std::array<QPoint, 2> eastSide, westSide; ///< A + d to B + d, A - d to B - d, in pixels
    int outlinePoints = 0;                    ///< points of those sides seen uncovered on the map
};

TEST(TrainingSession, TheTenthOfApril1979FromLoadToSummary) {
    Session1979 t;
    if (t.data.isEmpty()) GTEST_SKIP() << "the shipped data set has not been assembled";
    QElapsedTimer clock;
    clock.start();
    TfMainForm& m = t.m();
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    EXPECT_TRUE(t.seeded.contains(QStringLiteral("nimbrel.cas")));
    EXPECT_TRUE(t.seeded.contains(QStringLiteral("greatplains.gif")));
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Nimbrel V1.0"));
    // Before any case is chosen the default day is open with its date shown.
    EXPECT_EQ(m.CurDateLabel->text(), QStringLiteral("Tue 10 Apr 1979"));
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("12:00 UTC"));

    // ---- Open the case from the load dialog, date hidden, starting at 1200 UTC. ------
    TfLoadCase& load = *m.OtherWindows().LoadCase;
    QStringList listed;
    t.WhileModal(
        &load, [&] { m.Loadcase1->trigger(); },
        [&] {
            EXPECT_EQ(load.windowTitle(), QStringLiteral("Load case study"));
            EXPECT_TRUE(load.HideDate->isChecked());
            EXPECT_TRUE(load.StartCaseInMorning->isChecked());
            for (int i = 0; i < load.ListBox1->count(); ++i)
                listed << load.ListBox1->item(i)->text();
            const auto row = std::find_if(listed.begin(), listed.end(), [](const QString& l) {
                return l.startsWith(QLatin1String("1979-04-10 "));
            });
            if (row != listed.end())
                load.ListBox1->setCurrentRow(static_cast<int>(row - listed.begin()));
            load.OKButton->click();
        });
    ASSERT_EQ(
        listed.filter(QRegularExpression(QStringLiteral("^1979-04-10 Red River Valley outbreak")))
            .size(),
        1)
        << listed.join('|').toStdString();
    // One line per day of the sample disc.
    EXPECT_EQ(listed.size(),
              ListMatching(t.s().Folders.CaseRootDirectory, QStringLiteral("????-??-??")).size());
    EXPECT_GE(listed.size(), 20);
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    EXPECT_EQ(t.s().Folders.CaseDirectory, t.day);
    EXPECT_EQ(m.CurDateLabel->text(), QStringLiteral("--- -- ----"));
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("12:00 UTC"));
    EXPECT_EQ(m.ProdDateLabel->text(), QStringLiteral("--- -- ----"));
    EXPECT_EQ(m.ProdTimeLabel->text(), QStringLiteral("12:00 UTC"));
    EXPECT_EQ(t.s().Player.Frames, QStringList{QStringLiteral("satv-790410-1200.jpg")});
    EXPECT_EQ(m.FramesLoaded->text(), QStringLiteral("1 frame loaded"));

    // At 1200 UTC there is nothing to loop yet.
    t.f.Prompts->Shown.clear();
    QTest::mouseClick(m.PlayFwdButton, Qt::LeftButton);
    QTest::mouseClick(m.PauseButton, Qt::LeftButton);
    const QString noon = QStringLiteral(
        "I:There are no charts to loop yet because the simulation time is only 1200 UTC.  You "
        "must use Advance To Next Hour to reveal more charts.");
    EXPECT_EQ(t.f.Prompts->Shown, (QStringList{noon, noon}));
    EXPECT_FALSE(m.SatelliteTimer.isActive());

    // ---- The target map and the forecast area. ---------------------------------------
    m.Targeting1->trigger();
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    for (QToolButton* b :
         {m.PlayRevButton, m.StepRevButton, m.PauseButton, m.StepFwdButton, m.PlayFwdButton})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(m.ProdTimeLabel->text(), QStringLiteral("12:00 UTC"));
    const ProjectionDescriptor& view = t.s().TheViewport;
    ASSERT_EQ(view.Scale, 3.0);
    // The axis runs from 26 nm south-west of Wichita Falls (33.9137N 98.4934W) to 30 nm
    // west of Oklahoma City (35.4676N 97.5164W), points worked out on the sphere by hand;
    // 30 and 35 statute miles once rounded to fives, and each is nearer those cities
    // than to any other of 30000 people.
    const QPoint a = t.Pixel(33.6067, -98.8613), b = t.Pixel(35.4660, -98.1303);
    ASSERT_TRUE(m.Image1->Picture().rect().contains(a));
    ASSERT_TRUE(m.Image1->Picture().rect().contains(b));
    // A globe of radius Scale x Width pixels: the width, laid off east and west, is the
    // number of pixels closest to 34.8 nm (40 statute miles).
    const double nmPerPixel = 180.0 / Pi / (3.0 * view.Width) * 60.0;
    const int r = static_cast<int>(std::lround(34.8 / nmPerPixel));
    QTest::mousePress(m.Image1, Qt::LeftButton, {}, a);
    QTest::mouseMove(m.Image1, (a + b) / 2);
    QTest::mouseMove(m.Image1, b);
    QTest::mouseRelease(m.Image1, Qt::LeftButton, {}, b);
    QTest::mouseMove(m.Image1, b + QPoint(r / 2, 0));
    QTest::mouseMove(m.Image1, b + QPoint(r, 0));
    EXPECT_TRUE(m.StatusPanel2->text().endsWith(QStringLiteral(", width %1 px").arg(r)))
        << m.StatusPanel2->text().toStdString();
    QTest::mousePress(m.Image1, Qt::LeftButton, {}, b + QPoint(r, 0));
    QTest::mouseRelease(m.Image1, Qt::LeftButton, {}, b + QPoint(r, 0));
    ASSERT_TRUE(t.s().Polygon.IsSet());
    EXPECT_EQ(t.s().Polygon.SideWords, QStringLiteral("EAST AND WEST"));
    t.eastSide = {a + QPoint(r, 0), b + QPoint(r, 0)};
    t.westSide = {a - QPoint(r, 0), b - QPoint(r, 0)};

    // ---- A slight risk at 1200 UTC. ----------------------------------------------------
    // The area's samples lie between 33.7N and 35.4N and between 99.5W and 97.5W: north
    // Texas below 34N, western Oklahoma above, no other region.
    const QStringList outlook = t.Issue(m.SlightRisk1);
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    ASSERT_GE(outlook.size(), 11) << outlook.join('|').toStdString();
    EXPECT_EQ(outlook.mid(0, 8),
              (QStringList{"SPC AC --1200Z", "DAY 1 CONVECTIVE OUTLOOK",
                           "NWS STORM PREDICTION CENTER NORMAN OK", "--- --- -- ----",
                           "VALID --1200Z - --1200Z", " ",
                           "...THERE IS A SLGT RISK OF SVR TSTMS  FROM NORTH TEXAS TO WESTERN "
                           "OKLAHOMA.",
                           " "}));
    EXPECT_EQ(outlook.mid(outlook.size() - 3),
              (QStringList{" ", "...NORTH TEXAS...", "[WHAT YOU THINK WOULD GO HERE]"}));
    // The discussion between them is one of the first ten paragraphs of the shipped file.
    const QStringList discussion = outlook.mid(8, outlook.size() - 11);
    const auto paragraphs = DiscussionParagraphs(t.appData + QStringLiteral("nimbrel.gnr"));
    ASSERT_GE(paragraphs.size(), 10u);
    EXPECT_NE(std::find(paragraphs.begin(), paragraphs.begin() + 10, discussion),
              paragraphs.begin() + 10)
        << discussion.join('|').toStdString();
    EXPECT_EQ(t.ProductItems(), (std::array<bool, 5>{false, false, false, true, true}));

    // ---- Three hours on the target map. ------------------------------------------------
    for (int h = 1; h <= 3; ++h) {
        t.AdvanceAndCheck(h);
        if (HasFatalFailure()) return;
    }

    // ---- 1500 UTC: loop the satellite pictures. ---------------------------------------
    m.Visiblesatellite1->trigger();
    const QStringList satellite = FramesUpTo(t.day, QStringLiteral("satv"), t.Key(3));
    ASSERT_EQ(satellite.size(), 7); // 1200 to 1500 every half hour
    EXPECT_EQ(t.s().Player.FrameIndex, 6);
    m.LoopSpeed->setValue(100);
    EXPECT_EQ(m.LoopSpeedText->text(), QStringLiteral("Loop speed = 100 ms"));
    t.f.Prompts->Shown.clear();
    QTest::mouseClick(m.PlayFwdButton, Qt::LeftButton);
    EXPECT_TRUE(t.f.Prompts->Shown.isEmpty());
    ASSERT_TRUE(m.SatelliteTimer.isActive());
    // The timer steps on from the newest picture, round to the oldest and onwards; each
    // tick shows its picture's time.
    QList<int> ticks;
    QStringList times;
    const QMetaObject::Connection onTick =
        QObject::connect(&m.SatelliteTimer, &QTimer::timeout, [&] {
            ticks << t.s().Player.FrameIndex;
            times << m.ProdTimeLabel->text();
        });
    QElapsedTimer waited;
    waited.start();
    while (ticks.size() < 4 && waited.elapsed() < 5000)
        QTest::qWait(5);
    QObject::disconnect(onTick);
    EXPECT_EQ(ticks.mid(0, 4), (QList<int>{0, 1, 2, 3}));
    EXPECT_EQ(times.mid(0, 4), (QStringList{"12:00 UTC", "12:30 UTC", "13:00 UTC", "13:30 UTC"}));
    EXPECT_EQ(m.ProdDateLabel->text(), QStringLiteral("--- -- ----"));
    QTest::mouseClick(m.PauseButton, Qt::LeftButton);
    EXPECT_FALSE(m.SatelliteTimer.isActive());
    const int stoppedAt = t.s().Player.FrameIndex;
    QTest::qWait(250);
    EXPECT_EQ(t.s().Player.FrameIndex, stoppedAt);
    QTest::mouseClick(m.StepFwdButton, Qt::LeftButton);
    EXPECT_EQ(t.s().Player.FrameIndex, (stoppedAt + 1) % 7);

    // ---- Every chart kind, then the soundings. ----------------------------------------
    t.CheckEveryChartKind(3);
    if (HasFatalFailure()) return;
    m.Sounding1->trigger();
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    int markers = 0;
    for (StationMarker* s : m.ScrollContent->findChildren<StationMarker*>())
        markers += s->isVisible();
    EXPECT_EQ(markers, 20);
    EXPECT_EQ(m.Image1->Picture().size(), QSize(400, 600)); // the station map alone
    // Oklahoma City's soundings are filed under Norman on this disc.
    const QStringList okc = FramesUpTo(t.day, QStringLiteral("skew"), t.Key(3))
                                .filter(QRegularExpression(QStringLiteral("-okc\\.gif$")));
    const QStringList oun = FramesUpTo(t.day, QStringLiteral("skew"), t.Key(3))
                                .filter(QRegularExpression(QStringLiteral("-oun\\.gif$")));
    ASSERT_TRUE(okc.isEmpty());
    ASSERT_EQ(oun.size(), 1);
    ASSERT_NE(m.StationMarkers[9], nullptr);
    QTest::mouseClick(m.StationMarkers[9], Qt::LeftButton);
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    EXPECT_EQ(t.s().Player.Frames, oun);
    EXPECT_EQ(m.FramesLoaded->text(), QStringLiteral("1 frame loaded"));
    EXPECT_EQ(m.StatusPanel2->text(), QStringLiteral("No images loaded")); // the OKC search
    EXPECT_EQ(m.ProdTimeLabel->text(), QStringLiteral("12:00 UTC"));
    EXPECT_GT(m.Image1->Picture().width(), 400); // the sounding beside the map

    // ---- Back to the target map until 1900 UTC, then a tornado watch. -----------------
    m.Targeting1->trigger();
    for (int h = 4; h <= 7; ++h) {
        t.AdvanceAndCheck(h);
        if (HasFatalFailure()) return;
    }
    const QStringList watch = t.Issue(m.TornadoWatch1);
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    // 1900 UTC is 1300 CST; the watch runs six hours.
    EXPECT_EQ(watch,
              (QStringList{"SEL8",
                           "",
                           "URGENT - IMMEDIATE BROADCAST REQUESTED",
                           "TORNADO WATCH NUMBER 178",
                           "NWS STORM PREDICTION CENTER NORMAN OK",
                           "--- --- -- ----",
                           " ",
                           "THE NATIONAL WEATHER SERVICE HAS ISSUED A",
                           "TORNADO WATCH FOR PORTIONS OF ",
                           " ",
                           "       NORTH TEXAS",
                           "       WESTERN OKLAHOMA",
                           " ",
                           "EFFECTIVE THIS ---- AFTERNOON FROM 100 PM UNTIL",
                           "700 PM CST.",
                           " ",
                           "TORNADOES...HAIL TO 2 INCHES IN DIAMETER...THUNDERSTORM WIND",
                           "GUSTS TO 70 MPH...AND DANGEROUS LIGHTNING ARE POSSIBLE IN THESE",
                           "AREAS.",
                           " ",
                           "THE TORNADO WATCH AREA IS ALONG AND 40 STATUTE",
                           "MILES EAST AND WEST OF A LINE FROM 30 MILES SOUTHWEST OF WICHITA "
                           "FALLS TEXAS",
                           "TO 35 MILES WEST OF OKLAHOMA CITY OKLAHOMA.  FOR A",
                           "COMPLETE DEPICTION OF THE WATCH SEE THE ASSOCIATED WATCH OUTLINE",
                           "UPDATE (WOUS64 KWNS WOU8).",
                           " ",
                           "REMEMBER...A TORNADO WATCH MEANS CONDITIONS ARE FAVORABLE FOR",
                           "TORNADOES AND SEVERE THUNDERSTORMS IN AND CLOSE TO THE WATCH",
                           "AREA. PERSONS IN THESE AREAS SHOULD BE ON THE LOOKOUT FOR",
                           "THREATENING WEATHER CONDITIONS AND LISTEN FOR LATER STATEMENTS",
                           "AND POSSIBLE WARNINGS.",
                           " "}));
    EXPECT_EQ(t.ProductItems(), (std::array<bool, 5>{false, false, false, false, false}));
    EXPECT_EQ(t.s().ProductThisHour, 5);

    // ---- On to 1100 UTC of the next day. -------------------------------------------------
    for (int h = 8; h <= 23; ++h) {
        t.AdvanceAndCheck(h);
        if (HasFatalFailure()) return;
        if (h == 8) {
            EXPECT_EQ(t.s().ProductThisHour, 0);
        }
        if (h == 13) t.CheckRecentReportsBlink(h); // 0100 UTC
    }
    // All 55 records of the case window were taken in, the six stamped exactly on an hour
    // (1800, 1900, 0000, 0100, 0200 and 1000 UTC) by two advances each.
    EXPECT_EQ(t.reportsTakenIn, 55 + 6);
    EXPECT_GT(t.catches, 0);
    EXPECT_GE(t.outlinePoints, 10); // about 100 on most runs; the chasers crowd the area // a watch
                                    // over the Red River on this day catches storms

    // The day is over: the 24th advance is refused and nothing moves.
    t.f.Prompts->Shown.clear();
    const QString statsBefore = m.StatAwait->text() + m.StatBust->text() + m.StatTor->text();
    m.AdvanceHour->click();
    EXPECT_EQ(t.f.Prompts->Shown,
              QStringList{QStringLiteral("I:No further weather data or chase moves are "
                                         "available.  Use \"Reveal Case Date\" button to view "
                                         "information.")});
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("11:00 UTC"));
    EXPECT_EQ(t.s().Clock.ElapsedHours, 23);
    EXPECT_EQ(m.StatAwait->text() + m.StatBust->text() + m.StatTor->text(), statsBefore);

    // ---- Reveal the date. -------------------------------------------------------------
    t.f.Prompts->Shown.clear();
    m.RevealDateButton->click();
    EXPECT_EQ(t.f.Prompts->Shown,
              (QStringList{QStringLiteral("C:This will reveal the exercise date and score the "
                                          "exercise. Did you want to do this?"),
                           QStringLiteral("I:This case was for Tuesday, April 10, 1979.")}));
    // The clock stands on the next morning.
    EXPECT_EQ(m.CurDateLabel->text(), QStringLiteral("Wed 11 Apr 1979"));
    EXPECT_EQ(m.CurTimeLabel->text(), QStringLiteral("11:00 UTC"));
    // The next chart shown carries its date too.
    m.Visiblesatellite1->trigger();
    EXPECT_EQ(m.ProdDateLabel->text(), QStringLiteral("Wed 11 Apr 1979"));
    EXPECT_EQ(m.ProdTimeLabel->text(), QStringLiteral("11:00 UTC"));
    EXPECT_EQ(m.FramesLoaded->text(),
              QStringLiteral("47 frames loaded")); // 1200 to 1100, every 30 min

    // ---- Read the summary. --------------------------------------------------------------
    TfInformation& info = *m.OtherWindows().Information;
    QStringList lines;
    t.WhileModal(
        &info, [&] { m.Showsummaryanddiscussion1->trigger(); },
        [&] {
            EXPECT_EQ(info.windowTitle(), QStringLiteral("Information window"));
            lines = info.Lines();
            info.accept();
        });
    ASSERT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    QStringList narr = QString::fromLatin1(ReadFile(t.day + QStringLiteral("narr.txt")))
                           .split(QRegularExpression(QStringLiteral("\r?\n")));
    QStringList fcst = QString::fromLatin1(ReadFile(t.day + QStringLiteral("fcst.txt")))
                           .split(QRegularExpression(QStringLiteral("\r?\n")));
    if (narr.last().isEmpty()) narr.removeLast();
    if (fcst.last().isEmpty()) fcst.removeLast();
    ASSERT_FALSE(narr.isEmpty());
    ASSERT_FALSE(fcst.isEmpty());
    EXPECT_EQ(lines,
              QStringList({"WEATHER SUMMARY", "TUESDAY APRIL 10, 1979", " ", "WEATHER SUMMARY"}) +
                  narr + QStringList({" ", " ", "FORECAST DISCUSSION"}) + fcst +
                  QStringList({" ", " "}));

    EXPECT_TRUE(t.f.Errors.isEmpty()) << t.Errors();
    std::printf("[ session  ] played in %lld ms (%d outline points seen)\n",
                static_cast<long long>(clock.elapsed()), t.outlinePoints);
}

} // namespace
