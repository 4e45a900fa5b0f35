// The rest of the shipped per-user set: cities, station map, icons, sounds and the
// outlook paragraphs, each read back the way the program reads it.
#include <cmath>

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "appdata.h"
#include "base/errors.h"
#include "base/records.h"
#include "cities.h"
#include "map/chaser_icons.h"
#include "products/places.h"
#include "projection.h"
#include "sounds.h"
#include "station_map.h"
#include "support/test_support.h"
#include "viewer/decoders.h"
#include "viewer/stations.h"

using namespace nimbrel;

namespace {
QString AppData() {
    return test::ShippedDataDir() + QStringLiteral("appdata/");
}
} // namespace

TEST(CityFileTest, GazetteerRowsBecomeUpperCaseLinesByPopulation) {
    const QByteArray tsv =
        "geonameid\tname\tasciiname\tlat\tlon\tfeature_code\tstate_code\tpopulation\tmodified\n"
        "1\tNorman\tNorman\t35.22\t-97.44\tPPL\tOK\t122180\t2019\r\n"
        "2\tEspa\xf1ola\tEspanola\t36.0\t-106.0\tPPL\tNM\t29999\t2019\n"
        "3\tSan Juan\tSan Juan\t18.4\t-66.1\tPPLA\tPR\t400000\t2019\n"
        "4\tLawton\tLawton\t34.61\t-98.39\tPPL\tok\t96867\t2019\n"
        "6\tCity of Milford (balance)\tCity of Milford "
        "(balance)\t41.22\t-73.06\tPPL\tCT\t30000\t2019\n"
        "5\tBroken\n";
    const std::vector<tools::City> cities = tools::ParseGazetteer(tsv, 30000);
    ASSERT_EQ(cities.size(), 3u); // too small, unknown state and short rows are dropped
    EXPECT_EQ(cities[2].Name, QStringLiteral("CITY OF MILFORD"));
    EXPECT_EQ(cities[1].StateName, QStringLiteral("OKLAHOMA"));
    const QByteArray text = tools::EncodeCityFile(cities);
    EXPECT_EQ(text, QByteArray("122180,NORMAN,OK,OKLAHOMA,35.2200,-97.4400,1\r\n"
                               "96867,LAWTON,OK,OKLAHOMA,34.6100,-98.3900,4\r\n"
                               "30000,CITY OF MILFORD,CT,CONNECTICUT,41.2200,-73.0600,6\r\n"));
    EXPECT_EQ(tools::StateNameOfPostal(QStringLiteral(" dc")),
              QStringLiteral("DISTRICT OF COLUMBIA"));
    EXPECT_EQ(tools::StateNameOfPostal(QStringLiteral("PR")), QString());
}

TEST(CityFileTest, ShippedCitiesAreReadByTheProgramAndAllLargeEnough) {
    const std::vector<City> cities = ReadCityFile(AppData() + QStringLiteral("nimbrel.cit"));
    const QList<QByteArray> lines =
        ReadWholeFile(AppData() + QStringLiteral("nimbrel.cit")).split('\n');
    // Every line is a city the program accepts (no line lost to a parse failure).
    EXPECT_EQ(qsizetype(cities.size()), lines.size() - 1); // the text ends with a line end
    EXPECT_GT(cities.size(), 1500u);
    const QRegularExpression upper(QStringLiteral("^[A-Z0-9 .'-]+$"));
    bool oklahomaCity = false;
    for (const City& c : cities) {
        EXPECT_GE(c.Population, 30000.0) << c.Name.toStdString();
        EXPECT_TRUE(upper.match(c.Name).hasMatch()) << c.Name.toStdString();
        EXPECT_TRUE(upper.match(c.State).hasMatch()) << c.State.toStdString();
        if (c.Name == QStringLiteral("OKLAHOMA CITY")) {
            oklahomaCity = true;
            EXPECT_EQ(c.State, QStringLiteral("OKLAHOMA"));
            EXPECT_NEAR(c.Position.Latitude, 35.47, 0.05);
            EXPECT_NEAR(c.Position.Longitude, -97.52, 0.05);
        }
    }
    EXPECT_TRUE(oklahomaCity);
}

TEST(CityFileTest, ShippedCitiesMatchTheGazetteer) {
    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared source data not present";
    // Count the gazetteer's rows of 30000 or more in the 50 states and DC, by hand.
    int expected = 0;
    bool header = true;
    for (const QByteArray& line :
         ReadWholeFile(shared + QStringLiteral("cities/us-cities-30000.tsv")).split('\n')) {
        if (header) {
            header = false;
            continue;
        }
        const QList<QByteArray> f = line.split('\t');
        if (f.size() < 8) continue;
        if (f[7].toInt() >= 30000 && f[6] != "PR") ++expected;
    }
    EXPECT_EQ(ReadCityFile(AppData() + QStringLiteral("nimbrel.cit")).size(),
              std::size_t(expected));
}

TEST(CityFileTest, AWatchPointIsNamedFromARealCity) {
    const std::vector<City> cities = ReadCityFile(AppData() + QStringLiteral("nimbrel.cit"));
    // Wichita Falls, Texas is at 33.9137 N 98.4934 W in the gazetteer. A point 0.35
    // degree due south of it is 21 nm = 24.15 statute miles away, written 25, and no
    // other city of 30000 is nearer (Lawton is a degree further north).
    EXPECT_EQ(DescribePlace(GeoPoint{33.9137 - 0.35, -98.4934}, cities),
              QStringLiteral("25 MILES SOUTH OF WICHITA FALLS TEXAS"));
}

TEST(FitTest, AffineFitRecoversAnExactMapAndTheSplineInterpolates) {
    // x = 2e - n + 5, y = 0.5e + 3n - 1 on four points: the fit is exact.
    const std::vector<QPointF> from = {{0, 0}, {1, 0}, {0, 1}, {2, 3}};
    std::vector<QPointF> to;
    for (const QPointF& p : from)
        to.push_back({2 * p.x() - p.y() + 5, 0.5 * p.x() + 3 * p.y() - 1});
    const tools::Affine a = tools::FitAffine(from, to);
    EXPECT_NEAR(a.A[0], 2.0, 1e-9);
    EXPECT_NEAR(a.A[1], -1.0, 1e-9);
    EXPECT_NEAR(a.A[2], 5.0, 1e-9);
    EXPECT_NEAR(a.A[4], 3.0, 1e-9);
    EXPECT_THROW(tools::FitAffine({{0, 0}, {1, 1}, {2, 2}}, {{0, 0}, {1, 1}, {2, 2}}), DataError);

    // The spline passes through its control points even when they are not affine.
    std::vector<QPointF> bent = to;
    bent[3] += QPointF(4, -3);
    const tools::ThinPlateSpline spline(from, bent);
    for (std::size_t i = 0; i < from.size(); ++i) {
        EXPECT_NEAR(spline.Map(from[i]).x(), bent[i].x(), 1e-6);
        EXPECT_NEAR(spline.Map(from[i]).y(), bent[i].y(), 1e-6);
    }
    // With affine-related points it is that affine map everywhere.
    const tools::ThinPlateSpline flat(from, to);
    EXPECT_NEAR(flat.Map({10, -4}).x(), 2 * 10 + 4 + 5, 1e-6);
    EXPECT_NEAR(flat.Map({10, -4}).y(), 5 - 12 - 1, 1e-6);
}

TEST(StationMapTest, EveryStationLandsOnItsRowsPixel) {
    StationTable table;
    FillStationTable(table);
    const tools::StationMapProjection projection;
    for (int row = 0; row < 20; ++row) {
        const QPointF p = projection.Project(tools::StationPosition(row));
        EXPECT_NEAR(p.x(), table[std::size_t(row)].X, 1.0)
            << table[std::size_t(row)].Identifiers.toStdString();
        EXPECT_NEAR(p.y(), table[std::size_t(row)].Y, 1.0)
            << table[std::size_t(row)].Identifiers.toStdString();
        // The least-squares placement alone is already close: the table is a real map,
        // and the bending only corrects the hand placing of its pixels.
        const QPointF unbent = projection.ProjectUnbent(tools::StationPosition(row));
        EXPECT_LT(std::hypot(unbent.x() - p.x(), unbent.y() - p.y()), 20.0);
    }
    // Between the stations the map stays a map: the Oklahoma-Kansas line at 37 N lies
    // between Oklahoma City (row 10) and Dodge City / Topeka (rows 12 and 14).
    const QPointF border = projection.Project({37.0, -97.0});
    EXPECT_GT(border.y(), table[13].Y);
    EXPECT_LT(border.y(), table[9].Y);
}

TEST(StationMapTest, ShippedMapDecodesAtItsSizeWithGeographyAndLabels) {
    const QImage map = DecodeGifFile(AppData() + QStringLiteral("greatplains.gif"));
    ASSERT_EQ(map.size(), QSize(tools::StationMapWidth, tools::StationMapHeight));
    // Every x of the table is inside the 400-pixel band the sounding view keeps.
    StationTable table;
    FillStationTable(table);
    for (const SoundingStation& s : table) {
        ASSERT_TRUE(map.rect().contains(s.X, s.Y));
        // A label in black starts 17 pixels to one side of the station.
        int dark = 0;
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = 17; dx <= 40; ++dx)
                for (int side : {1, -1})
                    if (map.rect().contains(s.X + side * dx, s.Y + dy) &&
                        (map.pixel(s.X + side * dx, s.Y + dy) & 0xFFFFFF) == 0)
                        ++dark;
        EXPECT_GT(dark, 10) << s.Identifiers.toStdString();
    }
}

TEST(IconTest, ShippedIconsAreTheLegendsPicturesAndDistinct) {
    const ChaserOutcome outcomes[] = {ChaserOutcome::Awaiting,    ChaserOutcome::EmptyHanded,
                                      ChaserOutcome::CaughtStorm, ChaserOutcome::CaughtTornado,
                                      ChaserOutcome::Busted,      ChaserOutcome::OutOfRange,
                                      ChaserOutcome::NotChasing};
    std::vector<QImage> icons;
    for (ChaserOutcome o : outcomes) {
        QImage icon(AppData() + ChaserIconFile(o), "BMP");
        ASSERT_FALSE(icon.isNull()) << ChaserIconFile(o).toStdString();
        ASSERT_EQ(icon.size(), QSize(18, 18));
        icon = icon.convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(icon, ChaserIcon(o).convertToFormat(QImage::Format_RGB32))
            << ChaserIconFile(o).toStdString();
        icons.push_back(icon);
    }
    for (std::size_t i = 0; i < icons.size(); ++i)
        for (std::size_t j = i + 1; j < icons.size(); ++j)
            EXPECT_NE(icons[i], icons[j]) << i << " " << j;
}

namespace {
std::uint32_t LE(const QByteArray& b, int at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= std::uint32_t(std::uint8_t(b[at + i])) << (8 * i);
    return v;
}
} // namespace

TEST(SoundTest, ShippedSoundsArePlayablePcmWavesOfAFewSeconds) {
    for (const char* name : {"printer.wav", "warningtone.wav"}) {
        const QByteArray b = ReadWholeFile(AppData() + QString::fromLatin1(name));
        ASSERT_GE(b.size(), 44) << name;
        EXPECT_EQ(b.left(4), QByteArray("RIFF"));
        EXPECT_EQ(LE(b, 4, 4), std::uint32_t(b.size() - 8)) << name;
        EXPECT_EQ(b.mid(8, 8), QByteArray("WAVEfmt "));
        EXPECT_EQ(LE(b, 20, 2), 1u); // PCM
        EXPECT_EQ(LE(b, 22, 2), 1u); // mono
        EXPECT_EQ(LE(b, 24, 4), 22050u);
        EXPECT_EQ(LE(b, 34, 2), 16u);
        EXPECT_EQ(b.mid(36, 4), QByteArray("data"));
        const std::uint32_t data = LE(b, 40, 4);
        EXPECT_EQ(data, std::uint32_t(b.size() - 44));
        const double seconds = data / 2.0 / 22050.0;
        EXPECT_GT(seconds, 0.5) << name;
        EXPECT_LT(seconds, 3.0) << name;
        int loud = 0;
        for (std::uint32_t i = 0; i < data / 2; ++i)
            if (std::abs(std::int16_t(LE(b, 44 + int(i) * 2, 2))) > 3000) ++loud;
        EXPECT_GT(loud, 500) << name; // not silence
    }
    // Synthesis is repeatable.
    EXPECT_EQ(tools::EncodeWav(tools::PrinterSamples()), tools::EncodeWav(tools::PrinterSamples()));
}

TEST(OutlookParagraphsTest, TenUpperCaseParagraphsWithoutPlaceNames) {
    const QByteArray text = ReadWholeFile(AppData() + QStringLiteral("nimbrel.gnr"));
    std::vector<QStringList> paragraphs(1);
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QStringLiteral("==="))) {
            paragraphs.emplace_back();
            continue;
        }
        if (!line.isEmpty()) paragraphs.back() << line;
    }
    ASSERT_EQ(paragraphs.size(), 10u);
    QStringList places;
    for (const char* postal : {"AL", "AZ", "AR", "CA", "CO", "IA", "KS", "LA", "MN", "MO",
                               "MT", "NE", "NM", "ND", "OK", "SD", "TX", "WY", "IL", "WI"})
        places << tools::StateNameOfPostal(QString::fromLatin1(postal));
    places << QStringLiteral("PLAINS") << QStringLiteral("GULF") << QStringLiteral("ROCKIES")
           << QStringLiteral("MISSISSIPPI");
    for (const QStringList& p : paragraphs) {
        ASSERT_FALSE(p.isEmpty());
        const QString body = p.join(QLatin1Char(' '));
        EXPECT_EQ(body, body.toUpper());
        for (const QString& place : places)
            EXPECT_FALSE(body.contains(
                QRegularExpression(QStringLiteral("\\b") + place + QStringLiteral("\\b"))))
                << place.toStdString();
    }
}

TEST(AppDataTest, RegeneratingFromTheSourcesGivesTheShippedBytes) {
    const QString shared = test::SharedDataDir();
    if (shared.isEmpty()) GTEST_SKIP() << "shared source data not present";
    QTemporaryDir dir;
    const QString out = dir.path() + QLatin1Char('/');
    tools::MakeAppData(shared, out);
    const QStringList made = QDir(out).entryList(QDir::Files);
    EXPECT_EQ(made.size(), 14);
    for (const QString& name : made)
        EXPECT_EQ(ReadWholeFile(out + name), ReadWholeFile(AppData() + name)) << name.toStdString();
}
