#include "products/map_annotations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <QFontMetrics>

#include "map/geodesy.h"
#include "map/projection.h"

namespace nimbrel {
namespace {

ProjectionDescriptor StartView() {
    ProjectionDescriptor v;
    ResetViewport(v);
    return v;
}

// A crowd of towns, a third of a degree apart over the Plains, largest in the south-west:
// far more than fit, so the placement has to refuse most of them.
std::vector<City> Crowd() {
    std::vector<City> cities;
    for (int i = 0; i < 30; ++i)
        for (int j = 0; j < 30; ++j)
            cities.push_back({2.0e6 - (i * 30 + j) * 2000.0,
                              QStringLiteral("TOWN %1-%2").arg(i).arg(j), QStringLiteral("X"),
                              GeoPoint{30.0 + i / 3.0, -105.0 + j / 3.0}});
    return cities;
}

TEST(CityLabels, NamesNeverOverlapStayOnTheMapAndKeepClearOfReportsAndTheScale) {
    const QFontMetrics metrics(CityLabelFont());
    for (const double scale : {3.0, 6.75}) {
        ProjectionDescriptor view = StartView();
        view.Scale = scale;
        const QRect bar = ScaleBarBox(view);
        const std::vector<QPoint> reports{{500, 400}, {520, 380}, {300, 300}};
        const auto labels = PlaceCityLabels(Crowd(), view, metrics, {bar}, reports);
        ASSERT_GT(labels.size(), 20u) << "scale " << scale;
        const QRect map(0, 0, view.Width, view.Height);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const CityLabel& a = labels[i];
            EXPECT_TRUE(map.contains(a.Box)) << a.Text.toStdString();
            EXPECT_FALSE(a.Box.intersects(bar)) << a.Text.toStdString();
            for (const QPoint& r : reports)
                EXPECT_FALSE(a.Box.adjusted(-5, -5, 5, 5).contains(r)) << a.Text.toStdString();
            for (std::size_t j = 0; j < labels.size(); ++j) {
                if (i == j) continue;
                EXPECT_FALSE(a.Box.intersects(labels[j].Box))
                    << a.Text.toStdString() << " / " << labels[j].Text.toStdString();
                EXPECT_FALSE(a.Box.contains(labels[j].Dot))
                    << a.Text.toStdString() << " covers " << labels[j].Text.toStdString();
            }
        }
        // The largest town well inside the map, away from reports and the bar, is named.
        QString largest;
        for (const City& c : Crowd()) {
            const PixelPoint p = ProjectToScreen(view, c.Position);
            bool clear = map.adjusted(80, 80, -80, -80).contains(p.X, p.Y) &&
                         !bar.adjusted(-100, -100, 100, 100).contains(p.X, p.Y);
            for (const QPoint& r : reports)
                clear = clear && (QPoint(p.X, p.Y) - r).manhattanLength() > 150;
            if (clear) {
                largest = c.Name;
                break;
            }
        }
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const CityLabel& l) {
            return l.Text == largest;
        })) << largest.toStdString();
    }
    // Zoomed in, smaller places qualify.
    EXPECT_LT(CityPopulationShown(6.75), CityPopulationShown(3.0));
    EXPECT_EQ(CityPopulationShown(100.0), MinimumCityPopulation);
}

TEST(CursorReadout, SaysWhereThePointerIsInTheWatchTextsWords) {
    // The place-description tests' own references (half a degree south of Childress is
    // 35 miles; 1 degree north of Enid, 70).
    const auto cities = ParseCityList("50000,CHILDRESS,X,TEXAS,34.5,-100.2,\n"
                                      "50000,ENID,X,OKLAHOMA,36.4,-97.9,\n");
    const ProjectionDescriptor view = StartView();
    const PixelPoint south = ProjectToScreen(view, {34.0, -100.2});
    EXPECT_EQ(CursorReadout(view, south.X, south.Y, cities),
              QStringLiteral("34.0N 100.2W \u2014 35 MILES SOUTH OF CHILDRESS TEXAS"));
    const PixelPoint north = ProjectToScreen(view, {37.4, -97.9});
    EXPECT_EQ(CursorReadout(view, north.X, north.Y, cities),
              QStringLiteral("37.4N 97.9W \u2014 70 MILES NORTH OF ENID OKLAHOMA"));
    // Without a city list only the position; off the globe's disc nothing at all.
    EXPECT_EQ(CursorReadout(view, north.X, north.Y, {}), QStringLiteral("37.4N 97.9W"));
    ProjectionDescriptor far = view;
    far.Scale = 0.1; // the globe is a disc of radius 100 pixels in the middle
    EXPECT_EQ(CursorReadout(far, 5, 5, cities), QString());
    EXPECT_FALSE(CursorReadout(far, 500, 400, cities).isEmpty());
}

TEST(ScaleBar, RoundLengthThatMatchesTheGreatCircleDistanceAtTwoZooms) {
    double previousMiles = 0.0;
    for (const double scale : {3.0, 3.0 * 1.5 * 1.5 * 1.5}) {
        ProjectionDescriptor view = StartView();
        view.Scale = scale;
        const ScaleBar bar = ChooseScaleBar(view, 140);
        ASSERT_GT(bar.Pixels, 0);
        EXPECT_LE(bar.Pixels, 140);
        EXPECT_GT(bar.Pixels, 140 / 2.5 - 1); // the next round length down is at most 2.5 x shorter
        const double leading = bar.Miles / std::pow(10.0, std::floor(std::log10(bar.Miles)));
        EXPECT_TRUE(leading == 1.0 || leading == 2.0 || leading == 5.0) << bar.Miles;
        const double cx = view.Width / 2.0, cy = view.Height / 2.0;
        const double measured = GreatCircleDistance(ScreenToGeo(view, cx - bar.Pixels / 2.0, cy),
                                                    ScreenToGeo(view, cx + bar.Pixels / 2.0, cy)) *
                                ProductMilesPerNauticalMile;
        EXPECT_NEAR(measured, bar.Miles, bar.Miles * 0.02) << "scale " << scale;
        if (previousMiles > 0.0) EXPECT_LT(bar.Miles, previousMiles);
        previousMiles = bar.Miles;
    }
    ProjectionDescriptor none = StartView();
    none.Scale = 0.0;
    EXPECT_EQ(ChooseScaleBar(none, 140).Pixels, 0);
}

} // namespace
} // namespace nimbrel
