#include <gtest/gtest.h>

#include <sstream>

#include "app/PlannerState.hpp"
#include "coverage/CoverageGrid.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

TEST(PlannerState, ConfigurationReachesThePlan) {
    test::TempDir dir;
    dir.write("config.txt", "extinction_table custom.txt\nturn_rate 30 boat_speed 12\ndepth_multiplier 3\nend\n");
    dir.write("custom.txt", "0 5\n1000 4\n4000 3\n");
    NullTextureSink sink;
    std::ostringstream out;
    PlannerState planner(out, sink, dir.path());

    const std::string text = out.str();
    EXPECT_NE(text.find("LOAD Extinction Curve " + dir.file("custom.txt") + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("TEST 3000 3.33333\n"), std::string::npos) << text;
    // (360 / 30) * (12 * 0.5144) / 6.283184
    EXPECT_NEAR(planner.plan->turnRadiusMetres(), 11.7895, 1e-3);
    EXPECT_FLOAT_EQ(planner.plan->depthMultiplier(), 3.0f);
    EXPECT_FLOAT_EQ(planner.plan->boatSpeed(), 12.0f);
}

TEST(PlannerState, MissingConfigurationKeepsDefaultsAndStartsEmpty) {
    test::TempDir dir;
    NullTextureSink sink;
    std::ostringstream out;
    PlannerState planner(out, sink, dir.path());
    EXPECT_EQ(out.str().rfind("cannot open config.txt\n", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("USE default 4\n"), std::string::npos);
    EXPECT_TRUE(planner.plan->empty());
    EXPECT_EQ(planner.editHold, PlannerState::kHoldNone);
    EXPECT_EQ(planner.coverage->captureBuffer.size(), 960u * 960u * 3u);
    // The graticule table covers -72.0 .. 72.9 degrees.
    EXPECT_NEAR(planner.mapYTable[720], 0.0f, 1e-6);
    EXPECT_NEAR(planner.mapYTable[1449], PlannerState::mapY(72.9), 1e-4);
    EXPECT_NEAR(PlannerState::latitudeFromMapY(PlannerState::mapY(33.754)), 33.754, 1e-9);
}

TEST(PlannerState, EditsAtSixtyFourDegreesOrMoreAreRefused) {
    test::TempDir dir;
    NullTextureSink sink;
    std::ostringstream out;
    PlannerState planner(out, sink, dir.path());
    double x = 10.0, y = PlannerState::mapY(64.0), lat = 64.0;
    EXPECT_FALSE(planner.editAction(1, x, y, lat, 5.0f));
    EXPECT_TRUE(planner.plan->empty());
    EXPECT_EQ(planner.pickLon, 0.0f);

    lat = 40.0;
    y = PlannerState::mapY(lat);
    EXPECT_TRUE(planner.editAction(1, x, y, lat, 5.0f));
    EXPECT_EQ(planner.plan->waypointCount(), 1);
    EXPECT_EQ(planner.editHold, PlannerState::kHoldPoint);
    EXPECT_FLOAT_EQ(planner.pickLat, 40.0f);
}

}  // namespace
}  // namespace tessarin
