#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "earth/MapProjection.hpp"
#include "plan/PlanWorld.hpp"

using tessarin::latitudeFromMapY;
using tessarin::SurveyPlan;
using tessarin::Waypoint;
using tessarin::test::PlanWorld;

// Turn geometry needs no floor: these plans lie where no tile exists, so
// every lookup answers the no-data elevation and only positions matter.
// Radius 1111.11 m is 0.01 map units times the secant at the turn.

namespace {

constexpr float kRadiusM = 1111.11f;

struct TurnPlan {
    PlanWorld world;
    SurveyPlan* plan = nullptr;
    TurnPlan(std::initializer_list<std::pair<double, double>> points) {
        plan = &world.build(4.0f, kRadiusM);
        for (const auto& p : points) plan->addWaypoint(p.first, p.second, latitudeFromMapY(p.second), 9.0f, 4.0f);
        world.takeOutput();
    }
    Waypoint& wp(int i) {
        Waypoint* w = plan->first();
        while (i-- > 0) w = w->next;
        return *w;
    }
};

// Distance from (px, py) to the line through a with direction d.
double lineDistance(double px, double py, double ax, double ay, double dx, double dy) {
    return std::fabs((px - ax) * dy - (py - ay) * dx) / std::hypot(dx, dy);
}

}  // namespace

TEST(TurnCentre, RightAngleTurnToPort) {
    TurnPlan t({{1, 1}, {2, 1}, {2, 2}});  // east, then north
    Waypoint& a = t.wp(0);
    ASSERT_TRUE(t.plan->computeTurnCentre(a, kRadiusM));
    const double r = 0.01 / std::cos(latitudeFromMapY(1.0) * M_PI / 180.0);
    EXPECT_EQ(a.turnDirection, 1.0);
    EXPECT_NEAR(a.turnRadius, -r, 1e-7);  // negative for a turn to port
    EXPECT_NEAR(a.turnCentreX, 2 - r, 1e-7);
    EXPECT_NEAR(a.turnCentreY, 1 + r, 1e-7);
    EXPECT_NEAR(a.turnEntryX, 2 - r, 1e-7);
    EXPECT_NEAR(a.turnEntryY, 1, 1e-7);
    EXPECT_NEAR(t.wp(1).legStartX, 2, 1e-7);
    EXPECT_NEAR(t.wp(1).legStartY, 1 + r, 1e-7);
    EXPECT_NEAR(t.wp(1).normalX, 1, 1e-12);  // the second leg's normal, starboard = east
}

TEST(TurnCentre, RightAngleTurnToStarboard) {
    TurnPlan t({{1, 1}, {2, 1}, {2, 0}});  // east, then south
    Waypoint& a = t.wp(0);
    ASSERT_TRUE(t.plan->computeTurnCentre(a, kRadiusM));
    const double r = 0.01 / std::cos(latitudeFromMapY(1.0) * M_PI / 180.0);
    EXPECT_EQ(a.turnDirection, -1.0);
    EXPECT_NEAR(a.turnRadius, r, 1e-7);
    EXPECT_NEAR(a.turnCentreX, 2 - r, 1e-7);
    EXPECT_NEAR(a.turnCentreY, 1 - r, 1e-7);
}

// For oblique legs: the centre is one radius from both legs' lines, and the
// entry and exit are its feet on them.
TEST(TurnCentre, CircleTouchesBothLegs) {
    const std::pair<double, double> cases[][3] = {
        {{0, 0}, {1, 1}, {2, 1}},          // 45 degrees to starboard
        {{0, 0}, {1, 0.5}, {0.2, 1.5}},    // sharp turn to port
        {{5, 40}, {5.3, 40.9}, {6.1, 41}},
    };
    for (const auto& c : cases) {
        TurnPlan t({c[0], c[1], c[2]});
        Waypoint& a = t.wp(0);
        ASSERT_TRUE(t.plan->computeTurnCentre(a, kRadiusM));
        const double r = std::fabs(a.turnRadius);
        const double d1x = c[1].first - c[0].first, d1y = c[1].second - c[0].second;
        const double d2x = c[2].first - c[1].first, d2y = c[2].second - c[1].second;
        EXPECT_NEAR(lineDistance(a.turnCentreX, a.turnCentreY, c[0].first, c[0].second, d1x, d1y), r, 1e-8);
        EXPECT_NEAR(lineDistance(a.turnCentreX, a.turnCentreY, c[1].first, c[1].second, d2x, d2y), r, 1e-8);
        EXPECT_NEAR(lineDistance(a.turnEntryX, a.turnEntryY, c[0].first, c[0].second, d1x, d1y), 0, 1e-8);
        const Waypoint& b = t.wp(1);
        EXPECT_NEAR(lineDistance(b.legStartX, b.legStartY, c[1].first, c[1].second, d2x, d2y), 0, 1e-8);
        // The centre lies on the side the ship turns to.
        const double side = d1x * (a.turnCentreY - c[0].second) - d1y * (a.turnCentreX - c[0].first);
        EXPECT_EQ(side > 0, a.turnDirection > 0);
    }
}

// Legs in one line have no circle touching both: no turn there, and the
// swath pass runs the waypoint straight through without writing samples
// past the arrays.
TEST(TurnCentre, ParallelLegsHaveNoTurn) {
    const std::pair<double, double> cases[][3] = {
        {{1, 1}, {2, 1}, {3, 1}},    // straight on
        {{1, 1}, {2, 1}, {1.5, 1}},  // reversal
        {{1, 1}, {1, 2}, {1, 1.5}},  // reversal along a meridian
        {{1, 1}, {1, 2}, {1, 3}},    // straight on along a meridian
        {{1, 1}, {1, 1}, {2, 2}},    // a leg of no length
    };
    for (const auto& c : cases) {
        TurnPlan t({c[0], c[1], c[2]});
        EXPECT_FALSE(t.plan->computeTurnCentre(t.wp(0), kRadiusM));
        t.plan->generateSwaths(true);
        const Waypoint& a = t.wp(0);
        const int straight = static_cast<int>(std::hypot(c[1].first - c[0].first, c[1].second - c[0].second) * 240);
        EXPECT_EQ(a.sampleCount, straight);
        for (int i = 0; i < a.sampleCount; ++i) ASSERT_TRUE(std::isfinite(a.rightX[i]) && std::isfinite(a.leftY[i]));
        EXPECT_EQ(t.world.takeOutput().find("TURN ***"), std::string::npos);
    }
}

TEST(TurnArc, SampleCounts) {
    const double deg = 3.141592 / 180.0;
    EXPECT_EQ(SurveyPlan::turnSampleCount(0.0), 1);
    EXPECT_EQ(SurveyPlan::turnSampleCount(4.99 * deg), 1);
    EXPECT_EQ(SurveyPlan::turnSampleCount(5.0001 * deg), 2);
    EXPECT_EQ(SurveyPlan::turnSampleCount(M_PI / 2), 19);
    EXPECT_EQ(SurveyPlan::turnSampleCount(94.99 * deg), 19);
    EXPECT_EQ(SurveyPlan::turnSampleCount(95.0001 * deg), 20);
    EXPECT_EQ(SurveyPlan::turnSampleCount(std::acos(-1.0)), 37);

    TurnPlan shallow({{1, 1}, {2, 1}, {3, 1.05}});  // under 3 degrees to port
    shallow.plan->generateSwaths(true);
    const Waypoint& a = shallow.wp(0);
    const int straight = static_cast<int>(static_cast<float>(std::hypot(a.turnEntryX - 1, a.turnEntryY - 1)) * 240.0f);
    EXPECT_EQ(a.sampleCount, straight + 1);
}

// Three waypoints with a right-angle turn: the first leg runs from its
// waypoint to the turn entry and carries 19 turn samples, 5 degrees apart
// starting 5 degrees into the turn; the last leg runs from its own waypoint.
TEST(TurnArc, RightAngleTurnThroughTheSwathPass) {
    TurnPlan t({{1, 1}, {2, 1}, {2, 2}});
    t.plan->generateSwaths(true);
    const Waypoint& a = t.wp(0);
    const Waypoint& b = t.wp(1);
    const double r = std::fabs(a.turnRadius);
    const int straight = static_cast<int>(static_cast<float>(1.0 - r) * 240.0f);
    ASSERT_EQ(a.sampleCount, straight + 19);
    EXPECT_NEAR(a.rightX[straight - 1], 1 + (straight - 1) * (1 - r) / straight, 1e-5);
    for (int j = 0; j < 19; ++j) {
        const int k = straight + j;
        const double vx = a.rightX[k] - a.turnCentreX, vy = a.rightY[k] - a.turnCentreY;
        // The port turn rotates the starboard normal (0, -1) anticlockwise.
        const double expected = (-90.0 + 5.0 * (j + 1)) * M_PI / 180.0;
        EXPECT_NEAR(std::atan2(vy, vx), expected, 1e-4) << j;
        // The edges lie a reach (under 2 nominal widths, 3.6e-4 here) from the arc.
        EXPECT_NEAR(std::hypot(vx, vy), r, 4e-4) << j;
    }
    EXPECT_EQ(b.sampleCount, 240);
    EXPECT_NEAR(b.rightY[0], 1.0f, 1e-5f);  // not from the turn exit at 1 + r
    const std::string console = t.world.takeOutput();
    EXPECT_NE(console.find("With Turns\nTURN *** ANGLE 90\n"), std::string::npos) << console;
    EXPECT_EQ(console.find("With Turns", console.find("With Turns") + 1), std::string::npos);

    // Without turns the same plan has plain legs.
    t.plan->generateSwaths(false);
    EXPECT_EQ(t.wp(0).sampleCount, 240);
}

TEST(TurnArc, NeverWritesPastTheArrays) {
    TurnPlan t({{1, 1}, {2, 1}, {2, 2}});
    Waypoint& a = t.wp(0);
    ASSERT_TRUE(t.plan->computeTurnCentre(a, kRadiusM));
    a.sampleCount = 395;
    t.plan->appendTurnArc(a);
    EXPECT_EQ(a.sampleCount, Waypoint::kMaxSamples);
    t.plan->appendTurnArc(a);
    EXPECT_EQ(a.sampleCount, Waypoint::kMaxSamples);
}

TEST(TurnCentre, MissingWaypointsFail) {
    TurnPlan t({{1, 1}, {2, 1}});
    EXPECT_FALSE(t.plan->computeTurnCentre(t.wp(0), kRadiusM));
    EXPECT_EQ(t.world.takeOutput(), "TURN CENTER FAIL 2 ");
}
