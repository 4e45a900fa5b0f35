#include "cases/session_reset.h"

#include <gtest/gtest.h>

namespace nimbrel {
namespace {

// A session that has been played: products issued, chasers out, stations wiped.
Session PlayedSession() {
    Session s;
    SetInitialClock(s.Clock);
    s.Clock.ElapsedHours = 7;
    s.ProductItemsEnabled = {false, false, true, false, false};
    s.ProductThisHour = 1;
    s.LastProductKind = 3;
    for (SoundingStation& st : s.Stations)
        st = SoundingStation{};
    s.Polygon.GeoVertices[0] = GeoPoint{38.5, -99.0};
    s.Polygon.Vertices[0] = PixelPoint{410, 222};
    s.Polygon.SideWords = "NORTHEAST";
    for (int i = 0; i < ChaserCount; ++i) {
        Chaser& c = s.Chasers[static_cast<std::size_t>(i)];
        c.Position = GeoPoint{30.0 + i * 0.1, -95.0};
        c.Mode = ChaserMode::Chasing;
        c.Outcome = ChaserOutcome::CaughtTornado;
        c.Target = GeoPoint{36.0, -97.5};
        c.Heading = 45.0 + i;
        c.NearestReport = c.NearestTornado = c.HourNearestTornado = 12.0;
    }
    s.TheViewport.CentreLatitude = 41.0;
    s.TheViewport.Scale = 6.0;
    s.TheViewport.Width = 640;
    s.TheViewport.OffsetX = 17;
    s.TheViewport.Rotation = 2.5;
    return s;
}

TEST(SessionResetTest, StationsAndProductItemsResetOthersLeftAlone) {
    Session s = PlayedSession();
    ResetSessionState(s);
    EXPECT_EQ(s.Stations[0].Identifiers, "DEN");
    EXPECT_EQ(s.Stations[19].Identifiers, "LCH");
    EXPECT_EQ(s.Stations[9].X, 252);
    EXPECT_EQ(s.ProductItemsEnabled, (std::array<bool, 5>{true, true, true, true, true}));
    // Not the reset's business: the forecast area, this hour's product, the clock.
    EXPECT_DOUBLE_EQ(s.Polygon.GeoVertices[0].Latitude, 38.5);
    EXPECT_EQ(s.Polygon.Vertices[0].X, 410);
    EXPECT_EQ(s.Polygon.SideWords, "NORTHEAST");
    EXPECT_EQ(s.ProductThisHour, 1);
    EXPECT_EQ(s.Clock.ElapsedHours, 7);
}

TEST(SessionResetTest, ChasersBackHomeAwaiting) {
    Session s = PlayedSession();
    ResetSessionState(s);
    EXPECT_EQ(s.LastProductKind, 0);
    for (int i = 0; i < ChaserCount; ++i) {
        const Chaser& c = s.Chasers[static_cast<std::size_t>(i)];
        EXPECT_NE(c.Home.Latitude, 0.0) << i; // homes come from the fixed table
        EXPECT_EQ(c.Position.Latitude, c.Home.Latitude) << i;
        EXPECT_EQ(c.Position.Longitude, c.Home.Longitude) << i;
        EXPECT_EQ(c.Mode, ChaserMode::Undecided);
        EXPECT_EQ(c.Outcome, ChaserOutcome::Awaiting);
        EXPECT_EQ(c.Target.Latitude, -9999.0);
        EXPECT_EQ(c.Target.Longitude, -97.5); // kept
        EXPECT_EQ(c.Heading, 45.0 + i);       // kept
        EXPECT_EQ(c.NearestReport, 999999.0);
        EXPECT_EQ(c.NearestTornado, 999999.0);
        EXPECT_EQ(c.HourNearestTornado, 999999.0);
    }
}

TEST(SessionResetTest, ViewportBackToItsStart) {
    Session s = PlayedSession();
    ResetSessionState(s);
    const ProjectionDescriptor& v = s.TheViewport;
    EXPECT_EQ(v.CentreLatitude, 35.0);
    EXPECT_EQ(v.CentreLongitude, -100.0);
    EXPECT_EQ(v.Scale, 3.0);
    EXPECT_EQ(v.Height, 800);
    EXPECT_EQ(v.Width, 1000);
    EXPECT_EQ(v.StretchX, 1.0);
    EXPECT_EQ(v.StretchY, 1.0);
    EXPECT_EQ(v.ProjectionKind, 1);
    EXPECT_EQ(v.OffsetX, 17); // not named by the reset
    EXPECT_EQ(v.Rotation, 2.5);
}

} // namespace
} // namespace nimbrel
