// The diagnostics against values published for the same soundings by others.
#include <cmath>
#include <map>

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "soundings/diagnostics.h"

namespace nimbrel::soundings {
namespace {

const QString Folder = QStringLiteral(NIMBREL_SHARED_DATA "/soundings/");

Sounding Load(const QString& name) {
    return ReadSoundingFile(Folder + name).front();
}

#define SKIP_WITHOUT(path)                                                                         \
    if (!QFileInfo::exists(path)) GTEST_SKIP() << "missing " << qPrintable(path)

double Relative(double value, double reference) {
    return std::abs(value - reference) / std::abs(reference);
}

// MetPy's tests on DDC 2016-05-22 00Z (reference_values_library_tests.csv): the
// kinematic values to within 0.1 %, precipitable water to 0.1 % of the Bolton value.
TEST(SoundingDiagnostics, KinematicsMatchPublishedValuesForDodgeCity) {
    SKIP_WITHOUT(Folder + "DDC_20160522_00Z.uwyo.txt");
    const Sounding s = Load(QStringLiteral("DDC_20160522_00Z.uwyo.txt"));
    const Diagnostics d = Diagnose(s);
    const double kt = 0.514444;
    EXPECT_LT(Relative(d.MeanWind06.U, 6.64413777), 1e-3) << d.MeanWind06.U;
    EXPECT_LT(Relative(d.MeanWind06.V, 6.90054376), 1e-3) << d.MeanWind06.V;
    EXPECT_LT(Relative(d.BunkersRight.U, 2.062733), 1e-3) << d.BunkersRight.U;
    EXPECT_LT(Relative(d.BunkersRight.V, 0.96246913), 1e-3) << d.BunkersRight.V;
    EXPECT_LT(Relative(d.BunkersLeft.U, 11.22554254), 1e-3) << d.BunkersLeft.U;
    EXPECT_LT(Relative(d.BunkersLeft.V, 12.83861839), 1e-3) << d.BunkersLeft.V;
    EXPECT_LT(Relative(d.Shear06.U / kt, 29.899581266946115), 1e-3) << d.Shear06.U / kt;
    EXPECT_LT(Relative(d.Shear06.V / kt, -14.389225800205509), 1e-3) << d.Shear06.V / kt;
    const Wind mid = BulkShear(s, 3000.0, 6000.0);
    EXPECT_LT(Relative(mid.U, 0.9655943923302139), 1e-3) << mid.U;
    EXPECT_LT(Relative(mid.V, -3.8405428777944466), 1e-3) << mid.V;
    EXPECT_LT(Relative(d.PrecipitableWater, 22.60430651), 1e-3) << d.PrecipitableWater;
}

// SHARPpy's documented values for OAX 2014-06-16 19Z (its tests, "from SHARP online",
// |difference| < 10 in each unit). The LCL and lifted index meet that tolerance. CAPE and
// the LFC do not: SHARPpy lifts saturated parcels along Wobus's polynomial fit of the
// moist adiabats, which runs a few tenths of a degree warmer aloft than the integrated
// pseudo-adiabat used here, so they are held to 2 % and 100 m; the mixed-layer parcel
// to 3 % and 100 m.
TEST(SoundingDiagnostics, ParcelsAgreeWithPublishedValuesForOmaha) {
    SKIP_WITHOUT(Folder + "OAX_20140616_19Z.sharppy-spc.txt");
    const Diagnostics d = Diagnose(Load(QStringLiteral("OAX_20140616_19Z.sharppy-spc.txt")));
    for (const Parcel* p : {&d.SurfaceBased, &d.MostUnstable}) {
        EXPECT_NEAR(p->LclHeight, 513.0, 10.0);
        EXPECT_NEAR(p->LiftedIndex, -14.0, 0.5); // published as a whole number
        EXPECT_LT(Relative(p->Cape, 5765.0), 0.02) << p->Cape;
        EXPECT_NEAR(p->Cin, -1.0, 10.0);
        EXPECT_NEAR(p->LfcHeight, 613.0, 100.0);
        EXPECT_NEAR(p->ElHeight, 13882.6, 300.0); // the doc page's value
    }
    EXPECT_LT(Relative(d.MixedLayer.Cape, 4203.0), 0.03) << d.MixedLayer.Cape;
    EXPECT_NEAR(d.MixedLayer.LiftedIndex, -11.0, 0.5);
    EXPECT_NEAR(d.MixedLayer.LfcHeight, 2393.0, 100.0);
    EXPECT_NEAR(d.PrecipitableWater / 25.4, 1.53, 0.015); // inches, as published
    EXPECT_NEAR(d.Shear06.Knots(), 55.96, 0.5);
    EXPECT_NEAR(d.LapseRate700500, 8.8, 0.05); // published to a tenth
}

// The SPC footers of the SARS soundings: integers of an undocumented method, so bands
// rather than expectations. Each footer names its parcel: surface, 100 mb mixed layer, or
// most unstable in the lowest 300 or 400 mb (compared with ours, which searches 300 mb).
TEST(SoundingDiagnostics, SarsFootersFallInsidePlausibilityBands) {
    const QString csv = Folder + "reference/reference_values_sars.csv";
    SKIP_WITHOUT(csv);
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    std::map<QString, std::map<QString, double>> footer;
    std::map<QString, QByteArray> parcelOf;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QList<QByteArray> c = line.split(',');
        if (c.size() < 5 || !c[4].startsWith("SARS footer")) continue;
        footer[QString::fromLatin1(c[0])][QString::fromLatin1(c[1])] = c[2].toDouble();
        parcelOf[QString::fromLatin1(c[0])] = c[4];
    }
    ASSERT_EQ(footer.size(), 30u);
    int cape = 0, pw = 0, lapse = 0, lcl = 0;
    for (const auto& [file, v] : footer) {
        const Diagnostics d = Diagnose(Load(file));
        const QByteArray& kind = parcelOf[file];
        const Parcel& parcel = kind.contains("SFC PARCEL")    ? d.SurfaceBased
                               : kind.contains("MIXED LAYER") ? d.MixedLayer
                                                              : d.MostUnstable;
        const double mu = parcel.Cape;
        const bool capeIn = std::abs(mu - v.at("CAPE")) <= std::max(250.0, 0.15 * v.at("CAPE"));
        cape += capeIn;
        pw += std::abs(d.PrecipitableWater / 25.4 - v.at("PW")) <= 0.05;
        lapse += std::abs(d.LapseRate700500 - v.at("700-500 hPa lapse rate")) <= 0.3;
        if (std::abs(d.PrecipitableWater / 25.4 - v.at("PW")) > 0.05 ||
            std::abs(parcel.LclHeight - v.at("LCL height AGL")) > 100.0)
            std::printf("%s: PW %.2f in (footer %.2f), LCL %.0f m (footer %.0f)\n",
                        qPrintable(file), d.PrecipitableWater / 25.4, v.at("PW"), parcel.LclHeight,
                        v.at("LCL height AGL"));
        lcl += std::abs(parcel.LclHeight - v.at("LCL height AGL")) <= 100.0;
        if (!capeIn)
            std::printf("%s: CAPE %.0f, footer %.0f\n", qPrintable(file), mu, v.at("CAPE"));
    }
    std::printf("inside the bands of 30: CAPE %d, PW %d, lapse rate %d, LCL %d\n", cape, pw, lapse,
                lcl);
    EXPECT_GE(cape, 29);
    EXPECT_GE(pw, 29);
    EXPECT_GE(lapse, 30);
    EXPECT_GE(lcl, 29);
}

} // namespace
} // namespace nimbrel::soundings
