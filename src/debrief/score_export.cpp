#include "debrief/score_export.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace nimbrel {
namespace {

QString When(DateTime t) {
    return FormatDateTime(QStringLiteral("yyyy-mm-dd hh:nn"), t);
}
QString Num(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}
QString Opt(const std::optional<double>& v, int decimals) {
    return v ? Num(*v, decimals) : QString();
}
/// A text field, quoted when it holds a comma, a quote or a line break.
QString Text(QString t) {
    if (!t.contains(QLatin1Char(',')) && !t.contains(QLatin1Char('"')) &&
        !t.contains(QLatin1Char('\n')) && !t.contains(QLatin1Char('\r')))
        return t;
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QStringLiteral("\"%1\"").arg(t);
}

/// The message with the report file named by its file name only, so that a file handed
/// to an instructor says nothing of the folders of the machine it was made on.
QString WithoutFolders(QString message, const QString& path) {
    if (path.isEmpty()) return message;
    return message.replace(QDir::toNativeSeparators(path), QFileInfo(path).fileName())
        .replace(path, QFileInfo(path).fileName());
}

} // namespace

QByteArray ScoreCsv(const ExerciseScore& s, DateTime caseStart) {
    QStringList rows;
    const bool read = s.Reports.Readable;
    rows << QStringLiteral("case,%1").arg(FormatDateTime(QStringLiteral("yyyy-mm-dd"), caseStart));
    if (!s.Reports.Problem.isEmpty())
        rows << QStringLiteral("note,%1").arg(Text(
            QStringLiteral("report file: ") + WithoutFolders(s.Reports.Problem, s.Reports.Path)));
    rows << QStringLiteral("section,number,kind,issued_utc,valid_until_utc,area_sq_mi,tornado_"
                           "inside,hail_inside,wind_inside,verified,lead_minutes,reports_per_10000_"
                           "sq_mi,valid_from_utc,warning_lead_minutes");
    int number = 0;
    for (const ProductScore& p : s.Products) {
        const ProductRecord& r = p.Record;
        QStringList f{QStringLiteral("product"), QString::number(++number), ProductKindName(r.Kind),
                      When(r.IssueTime),         When(r.ValidUntil),        Num(p.SquareMiles, 0)};
        if (read)
            f << QString::number(p.Tornado) << QString::number(p.Hail) << QString::number(p.Wind)
              << (p.Verified ? QStringLiteral("yes") : QStringLiteral("no"))
              << Opt(p.LeadMinutes, 0) << Opt(p.ReportsPer10k, 2);
        else
            f << QString() << QString() << QString() << QString() << QString() << QString();
        f << When(r.ValidFrom) << (read ? Opt(p.WarningLeadMinutes, 0) : QString());
        rows << f.join(QLatin1Char(','));
    }
    rows << QStringLiteral("section,reports,reports_inside,products,products_not_verified,pod,"
                           "far,csi,mean_lead_minutes,perfect_outlook_boxes,outlook_hits,"
                           "outlook_misses,outlook_false_alarms,outlook_csi,perfect_tornado_boxes,"
                           "perfect_peak_percent,reports_without_position,watch_pod,"
                           "watch_event_box_pod,watch_far,watch_csi,mean_lead_all_events_minutes,"
                           "mean_lead_covered_events_minutes");
    const int boxes = static_cast<int>(s.Perfect.PointsAtLeast(PerfectOutlookThreshold).size());
    QStringList e{QStringLiteral("exercise")};
    if (read)
        e << QString::number(s.Reports.Reports.size()) << QString::number(s.ReportsInside);
    else
        e << QString() << QString();
    e << QString::number(s.Products.size())
      << (read ? QString::number(s.ProductsNotVerified) : QString())
      << Opt(read ? s.Pod : std::nullopt, 3) << Opt(read ? s.Far : std::nullopt, 3)
      << Opt(read ? s.Csi : std::nullopt, 3) << Opt(s.MeanLeadMinutes, 0)
      << (read ? QString::number(boxes) : QString());
    if (s.Versus.Csi)
        e << QString::number(s.Versus.Hits) << QString::number(s.Versus.Misses)
          << QString::number(s.Versus.FalseAlarms) << Num(*s.Versus.Csi, 3);
    else
        e << QString() << QString() << QString() << QString();
    const WatchesTogether& w = s.WatchTotals;
    if (read)
        e << QString::number(s.PerfectTornadoBoxes) << Num(s.Perfect.Peak() * 100.0, 1)
          << QString::number(s.Reports.Unplaced) << Opt(w.Pod, 3) << Opt(w.BoxPod, 3)
          << Opt(w.Far, 3) << Opt(w.Csi, 3) << Opt(w.MeanLeadAllMinutes, 0)
          << Opt(w.MeanLeadCoveredMinutes, 0);
    else
        e << QString() << QString() << QString() << QString() << QString() << QString() << QString()
          << QString() << QString();
    rows << e.join(QLatin1Char(','));
    if (read) {
        rows << QStringLiteral("section,product,threshold_percent,tornado_threshold_percent,"
                               "hits,misses,false_alarms,pod,far,csi,bias");
        for (const OutlookGridScore& o : s.Outlooks) {
            const Contingency& b = o.Boxes;
            rows << QStringList{QStringLiteral("outlook_grid"),
                                QString::number(o.Product + 1),
                                Num(o.Thresholds.All * 100.0, 0),
                                Num(o.Thresholds.Tornado * 100.0, 0),
                                QString::number(b.Hits),
                                QString::number(b.Misses),
                                QString::number(b.FalseAlarms),
                                Opt(b.Pod, 3),
                                Opt(b.Far, 3),
                                Opt(b.Csi, 3),
                                Opt(b.Bias, 3)}
                        .join(QLatin1Char(','));
        }
        rows << QStringLiteral("section,product,events_inside,events_outside,false_alarm,pod,"
                               "far,csi,event_boxes,event_boxes_inside,event_box_pod");
        for (const WatchEventScore& x : s.Watches) {
            const Contingency& c = x.Events;
            rows << QStringList{QStringLiteral("watch_events"),
                                QString::number(x.Product + 1),
                                QString::number(c.Hits),
                                QString::number(c.Misses),
                                QString::number(c.FalseAlarms),
                                Opt(c.Pod, 3),
                                Opt(c.Far, 3),
                                Opt(c.Csi, 3),
                                QString::number(x.EventBoxes),
                                QString::number(x.BoxesHit),
                                Opt(x.BoxPod, 3)}
                        .join(QLatin1Char(','));
        }
    }
    rows << QStringLiteral("section,product,corner,latitude,longitude");
    number = 0;
    for (const ProductScore& p : s.Products) {
        ++number;
        int corner = 0;
        for (const GeoPoint& c : p.Record.Corners)
            rows << QStringLiteral("corner,%1,%2,%3,%4")
                        .arg(number)
                        .arg(++corner)
                        .arg(Num(c.Latitude, 4), Num(c.Longitude, 4));
    }
    rows << QStringLiteral("section,written_utc,text");
    for (const ForecastNote& n : s.Notes)
        rows << QStringLiteral("note_entry,%1,%2").arg(When(n.Time), Text(n.Text));
    return (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

} // namespace nimbrel
