#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

#include "base/errors.h"
#include "linear_view.h"
#include "products/issue.h"
#include "support/test_support.h"
#include "wave_bytes.h"

namespace nimbrel {
namespace {

using test::LinearView;
using test::PixelX;
using test::PixelY;

TEST(ProductMenu, OutlookLocksTheOutlooksAndAWatchLocksAll) {
    ProductItems items{true, true, true, true, true};
    std::int32_t last = 0, thisHour = 0;
    RecordIssuedProduct(ProductKind::SlightRiskOutlook, items, last, thisHour);
    EXPECT_EQ(items, (ProductItems{false, false, false, true, true}));
    EXPECT_EQ(last, 1);
    EXPECT_EQ(thisHour, 1);
    // A second product before the next advance: the later kind in both values.
    RecordIssuedProduct(ProductKind::TornadoWatch, items, last, thisHour);
    EXPECT_EQ(items, (ProductItems{false, false, false, false, false}));
    EXPECT_EQ(last, 5);
    EXPECT_EQ(thisHour, 5);

    for (ProductKind watch : {ProductKind::SevereWatch, ProductKind::TornadoWatch}) {
        ProductItems fresh{true, true, true, true, true};
        RecordIssuedProduct(watch, fresh, last, thisHour);
        EXPECT_EQ(fresh, (ProductItems{false, false, false, false, false}));
        EXPECT_EQ(last, static_cast<std::int32_t>(watch));
    }
    for (ProductKind outlook : {ProductKind::ModerateRiskOutlook, ProductKind::HighRiskOutlook}) {
        ProductItems fresh{true, true, true, true, true};
        RecordIssuedProduct(outlook, fresh, last, thisHour);
        EXPECT_EQ(fresh, (ProductItems{false, false, false, true, true}));
        EXPECT_EQ(thisHour, static_cast<std::int32_t>(outlook));
    }
}

class BuildProductTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        folder_ = dir_.path() + QLatin1Char('/');
        // Axis from 36.5N 98W (Enid) to 35N 102W, a degree of width north and south.
        ForecastPolygon& p = request_.Polygon;
        const PixelPoint a{PixelX(-98.0), PixelY(36.5)};
        const PixelPoint b{PixelX(-102.0), PixelY(35.0)};
        const PixelPoint d{0, 4};
        p.Vertices = {PixelPoint{a.X - d.X, a.Y - d.Y}, a, PixelPoint{a.X + d.X, a.Y + d.Y},
                      PixelPoint{b.X + d.X, b.Y + d.Y}, b, PixelPoint{b.X - d.X, b.Y - d.Y}};
        p.SideWords = QStringLiteral("NORTH AND SOUTH");
        request_.ToGeo = LinearView;
        request_.AppDataDirectory = folder_;
        request_.SimulationTime = EncodeDate(1979, 4, 10) + EncodeTime(15, 0, 0);
    }
    void Write(const char* name, const QByteArray& bytes) {
        test::WriteFile(folder_ + QString::fromLatin1(name), bytes);
    }
    void WriteAll() {
        Write("printer.wav", test::WaveBytes());
        Write("warningtone.wav", test::WaveBytes());
        QByteArray gnr;
        for (int i = 0; i < 10; ++i) {
            if (i > 0) gnr += "===\n";
            gnr += "PARAGRAPH " + QByteArray::number(i) + "\n";
        }
        Write("nimbrel.gnr", gnr);
        Write("nimbrel.cit", "50000,ENID,X,OKLAHOMA,36.5,-98,\n"
                             "60000,SHAMROCK,X,TEXAS,36,-102,\n");
    }
    std::optional<BuiltProduct> Build(ProductKind kind) {
        request_.Kind = kind;
        return BuildProduct(request_, rng_, prompts_);
    }

    QTemporaryDir dir_;
    QString folder_;
    ProductRequest request_;
    RandomGenerator rng_;
    test::RecordingPrompts prompts_;
};

TEST_F(BuildProductTest, NoPolygonShowsTheMessageAndBuildsNothing) {
    WriteAll();
    request_.Polygon.MarkAbsent();
    EXPECT_FALSE(Build(ProductKind::TornadoWatch).has_value());
    EXPECT_EQ(prompts_.Shown,
              QStringList{QStringLiteral(
                  "I:No watch or outlook polygon was defined!  Please drag on the View > "
                  "Target map to set a polygon.")});
}

TEST_F(BuildProductTest, OutlookNamesTheAreaAndOneDiscussionParagraph) {
    WriteAll();
    request_.Polygon.Vertices = {PixelPoint{50, 54}, PixelPoint{50, 58}, PixelPoint{50, 62},
                                 PixelPoint{68, 62}, PixelPoint{68, 58}, PixelPoint{68, 54}};
    const auto product = Build(ProductKind::ModerateRiskOutlook);
    ASSERT_TRUE(product.has_value());
    EXPECT_EQ(product->SoundPath, folder_ + QStringLiteral("printer.wav"));
    const QStringList& t = product->Lines;
    ASSERT_EQ(t.size(), 12);
    EXPECT_EQ(t[0], QStringLiteral("SPC AC --1500Z"));
    EXPECT_EQ(
        t[6],
        QStringLiteral(
            "...THERE IS A MDT RISK OF SVR TSTMS  FROM EASTERN OKLAHOMA TO WESTERN OKLAHOMA."));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^PARAGRAPH [0-9]$")).match(t[8]).hasMatch())
        << t[8].toStdString();
    EXPECT_EQ(t[10], QStringLiteral("...EASTERN OKLAHOMA..."));
    EXPECT_TRUE(prompts_.Shown.isEmpty());
}

TEST_F(BuildProductTest, WatchPlacesItsAxisFromTheCityFile) {
    WriteAll();
    const auto product = Build(ProductKind::TornadoWatch);
    ASSERT_TRUE(product.has_value());
    EXPECT_EQ(product->SoundPath, folder_ + QStringLiteral("warningtone.wav"));
    const QStringList& t = product->Lines;
    const qsizetype effective =
        t.indexOf(QStringLiteral("EFFECTIVE THIS ---- AFTERNOON FROM 900 AM UNTIL"));
    ASSERT_GT(effective, 0);
    // Vertex 1 lies a degree north of the axis start: 69 statute miles, written 70.
    EXPECT_EQ(t[effective + 7], QStringLiteral("THE TORNADO WATCH AREA IS ALONG AND 70 STATUTE"));
    EXPECT_EQ(
        t[effective + 8],
        QStringLiteral("MILES NORTH AND SOUTH OF A LINE FROM 0 MILES NORTH OF ENID OKLAHOMA"));
    // The axis end lies a degree south of Shamrock.
    EXPECT_EQ(t[effective + 9], QStringLiteral("TO 70 MILES SOUTH OF SHAMROCK TEXAS.  FOR A"));
}

TEST_F(BuildProductTest, MissingFilesStopTheProduct) {
    // Each product needs its sound and its text file; the generator is left alone when
    // the discussion is missing.
    WriteAll();
    QFile::remove(folder_ + QStringLiteral("printer.wav"));
    EXPECT_THROW(Build(ProductKind::SlightRiskOutlook), FileNotFound);
    EXPECT_TRUE(Build(ProductKind::SevereWatch).has_value());

    WriteAll();
    QFile::remove(folder_ + QStringLiteral("nimbrel.gnr"));
    rng_.Seed(1234);
    EXPECT_THROW(Build(ProductKind::HighRiskOutlook), FileNotFound);
    EXPECT_EQ(rng_.State(), 1234u);
    EXPECT_TRUE(Build(ProductKind::TornadoWatch).has_value());

    WriteAll();
    QFile::remove(folder_ + QStringLiteral("nimbrel.cit"));
    EXPECT_THROW(Build(ProductKind::TornadoWatch), FileNotFound);
    EXPECT_TRUE(Build(ProductKind::SlightRiskOutlook).has_value());

    WriteAll();
    QFile::remove(folder_ + QStringLiteral("warningtone.wav"));
    EXPECT_THROW(Build(ProductKind::SevereWatch), FileNotFound);

    // A damaged sound is refused before it reaches the sound service.
    WriteAll();
    Write("warningtone.wav", test::WaveBytes().left(60));
    EXPECT_THROW(Build(ProductKind::TornadoWatch), DataError);
}

TEST_F(BuildProductTest, WarningSoundsOffSilencesOnlyTheWatchTone) {
    WriteAll();
    QFile::remove(folder_ + QStringLiteral("warningtone.wav"));
    request_.WarningSoundsOn = false;
    const auto watch = Build(ProductKind::SevereWatch);
    ASSERT_TRUE(watch.has_value());
    EXPECT_TRUE(watch->SoundPath.isEmpty());
    const auto outlook = Build(ProductKind::SlightRiskOutlook);
    ASSERT_TRUE(outlook.has_value());
    EXPECT_EQ(outlook->SoundPath, folder_ + QStringLiteral("printer.wav"));
}

TEST_F(BuildProductTest, CityFileWithoutLargeCitiesIsAClearError) {
    WriteAll();
    Write("nimbrel.cit", "1000,HAMLET,X,OKLAHOMA,36.5,-98,\n");
    EXPECT_THROW(Build(ProductKind::TornadoWatch), DataError);
}

} // namespace
} // namespace nimbrel
