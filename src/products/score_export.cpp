#include "products/score_export.h"

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
        !t.contains(QLatin1Char('\n')))
        return t;
    t.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QStringLiteral("\"%1\"").arg(t);
}

} // namespace

QByteArray ScoreCsv(const ExerciseScore& s, DateTime caseStart) {
    QStringList rows;
    const bool read = s.Reports.Readable;
    rows << QStringLiteral("case,%1").arg(FormatDateTime(QStringLiteral("yyyy-mm-dd"), caseStart));
    if (!s.Reports.Problem.isEmpty())
        rows << QStringLiteral("note,%1").arg(
            Text(QStringLiteral("report file: ") + s.Reports.Problem));
    rows << QStringLiteral("section,number,kind,issued_utc,valid_until_utc,area_sq_mi,tornado_"
                           "inside,hail_inside,wind_inside,verified,lead_minutes,reports_per_10000_"
                           "sq_mi");
    int number = 0;
    for (const ProductScore& p : s.Products) {
        const ProductRecord& r = p.Record;
        QStringList f{QStringLiteral("product"), QString::number(++number), ProductKindName(r.Kind),
                      When(r.IssueTime),         When(r.ValidUntil),        Num(p.SquareMiles, 0)};
        if (read)
            f << QString::number(p.Tornado) << QString::number(p.Hail) << QString::number(p.Wind)
              << (p.Verified ? QStringLiteral("yes") : QStringLiteral("no"))
              << Opt(p.LeadMinutes, 0) << Num(p.ReportsPer10k, 2);
        else
            f << QString() << QString() << QString() << QString() << QString() << QString();
        rows << f.join(QLatin1Char(','));
    }
    rows << QStringLiteral("section,reports,reports_inside,products,products_not_verified,pod,"
                           "far,csi,mean_lead_minutes,perfect_outlook_boxes,outlook_hits,"
                           "outlook_misses,outlook_false_alarms,outlook_csi");
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
    rows << e.join(QLatin1Char(','));
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
    return (rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

} // namespace nimbrel
