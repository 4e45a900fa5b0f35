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

TEST(SoundingDiagnostics, PrintOax) {
    SKIP_WITHOUT(Folder + "OAX_20140616_19Z.sharppy-spc.txt");
    const Diagnostics d = Diagnose(Load(QStringLiteral("OAX_20140616_19Z.sharppy-spc.txt")));
    for (const Parcel* p : {&d.SurfaceBased, &d.MixedLayer, &d.MostUnstable})
        std::printf("cape %.1f cin %.1f lcl %.1f lfc %.1f el %.1f li %.2f\n", p->Cape, p->Cin,
                    p->LclHeight, p->LfcHeight, p->ElHeight, p->LiftedIndex);
    std::printf("pw %.2f in lapse %.2f shear06 %.2f rm %.1f/%.1f lm %.1f/%.1f srh03 %.1f\n",
                d.PrecipitableWater / 25.4, d.LapseRate700500, d.Shear06.Knots(),
                d.BunkersRight.Direction(), d.BunkersRight.Knots(), d.BunkersLeft.Direction(),
                d.BunkersLeft.Knots(), d.Srh03);
}

} // namespace
} // namespace nimbrel::soundings
