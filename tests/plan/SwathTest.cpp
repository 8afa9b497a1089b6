#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "earth/MapProjection.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TileWriter.hpp"

using tessarin::latitudeFromMapY;
using tessarin::mapY;
using tessarin::SurveyPlan;
using tessarin::Waypoint;
using tessarin::test::PlanWorld;

namespace {

constexpr double kPiDegrees = 3.141592;  // as the swath arithmetic uses it
constexpr float kFloorM = -4000.0f;
constexpr float kMultiplier = 4.0f;

float secant(double latDeg) { return static_cast<float>(1.0 / std::cos(latDeg * kPiDegrees / 180.0)); }

// Full nominal swath width in map units of a straight sample over the flat
// floor, with the secant of the leg's first waypoint.
float nominalWidth(double firstLat) { return kFloorM * secant(firstLat) * kMultiplier / -111120.0f; }

void addAt(SurveyPlan& plan, double lon, double lat) { plan.addWaypoint(lon, mapY(lat), lat, 9.0f, 4.0f); }

}  // namespace

// One flat data tile (4..12 E, 0..8 N) 4000 m deep, shared by the suite so it
// is read once; the extinction curve is flat at 4.
class FlatFloor : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        world_ = new PlanWorld;
        tessarin::test::writeFlatDataTile(world_->dir.path(), 4, 0, kFloorM);
        world_->build(kMultiplier, 1111.11f);
    }
    static void TearDownTestSuite() {
        delete world_;
        world_ = nullptr;
    }
    void SetUp() override {
        world_->plan->clearPlan();
        world_->takeOutput();
    }
    SurveyPlan& plan() { return *world_->plan; }

    static PlanWorld* world_;
};

PlanWorld* FlatFloor::world_ = nullptr;

// Near the equator, on a northbound leg, each outer point lies at its
// sample's own latitude, where the secant is at least the first waypoint's:
// the bisection runs 1, 0.5, 0.75, 0.625, 0.5625, 0.53125 and both sides
// reach 0.515625 of the nominal width.
TEST_F(FlatFloor, EachSideReachesTheSameFractionNearTheEquator) {
    addAt(plan(), 8.0, 0.01);
    addAt(plan(), 8.0, 0.51);
    plan().generateSwaths(false);
    const Waypoint& w = *plan().first();
    const float W = nominalWidth(0.01);
    ASSERT_GT(w.sampleCount, 100);
    for (int i = 0; i < w.sampleCount; ++i) {
        ASSERT_NEAR(w.rightReach[i], 0.515625f * W, 1e-6f * W) << i;
        ASSERT_NEAR(w.leftReach[i], 0.515625f * W, 1e-6f * W) << i;
    }
    // Starboard of a northbound leg is east.
    EXPECT_NEAR(w.rightX[0] - 8.0f, 0.515625f * W, 1e-5f);
    EXPECT_NEAR(8.0f - w.leftX[0], 0.515625f * W, 1e-5f);
    // The swath is 1.03125 * m * depth wide: 16.5 km here, so the area is
    // that width times the leg's length (111.11 against 111.12 per degree).
    const double widthKm = 1.03125 * 4.0 * 4.0 * 111.11 / 111.12;
    EXPECT_NEAR(w.areaKm2, widthKm * w.lengthKm, 1e-4 * widthKm * w.lengthKm);
    // (The first lookup's tile-loading lines come before.)
    const std::string console = world_->takeOutput();
    const std::string tail = "\ngenSwaths 1\nAVERAGE DEPTH -4000";
    ASSERT_GE(console.size(), tail.size());
    EXPECT_EQ(console.substr(console.size() - tail.size()), tail);
}

// An eastbound leg at 5.5 N: the depth test divides by the secant at the
// outer point, while the nominal width carries the secant at 5.5 N. Worked
// by hand for the probe at half the width (W = 0.14465 map units, so the
// southern outer point lies at 5.3625 N, the northern at 5.6375 N):
//   south: sec 5.5 / sec 5.3625 = 1.004626 / 1.004398 = 1.000228, times
//          111111 / 111120 gives 1.000147 > 1: too shallow, so the fraction
//          falls to 0.25 and climbs back 0.375, 0.4375, 0.46875 -> 0.484375;
//   north: 1.004626 / 1.004863 = 0.999766, times 0.999919 < 1: the usual
//          0.515625.
// The side towards the equator is the starboard side of an eastbound leg.
TEST_F(FlatFloor, TheSideTowardsTheEquatorReachesLessOffTheEquator) {
    addAt(plan(), 6.0, 5.5);
    addAt(plan(), 6.5, 5.5);
    plan().generateSwaths(false);
    const Waypoint& w = *plan().first();
    const float W = nominalWidth(5.5);
    EXPECT_NEAR(W, 0.14465f, 1e-5f);
    ASSERT_EQ(w.sampleCount, 120);  // 0.5 map units * 240
    for (int i = 0; i < w.sampleCount; ++i) {
        ASSERT_NEAR(w.rightReach[i], 0.484375f * W, 1e-6f * W) << i;
        ASSERT_NEAR(w.leftReach[i], 0.515625f * W, 1e-6f * W) << i;
    }
    // y0 is rounded to single precision, the end's y is not.
    EXPECT_NEAR(w.normalX, 0.0, 1e-6);
    EXPECT_NEAR(w.normalY, -1.0, 1e-9);
    const float y0 = static_cast<float>(mapY(5.5));
    EXPECT_NEAR(w.rightY[0], y0 - 0.484375f * W, 1e-5f);
    EXPECT_NEAR(w.leftY[0], y0 + 0.515625f * W, 1e-5f);
}

TEST_F(FlatFloor, SampleCountsAndLookups) {
    // Shorter than 1/240 map unit: no samples, no area, but a length.
    addAt(plan(), 5.0, 5.5);
    addAt(plan(), 5.004, 5.5);
    // Two map units: capped at 320 samples spread over the whole leg.
    addAt(plan(), 7.004, 5.5);
    const std::uint64_t before = plan().depthLookupCount();
    plan().generateSwaths(false);
    const Waypoint& shortLeg = *plan().first();
    const Waypoint& longLeg = *shortLeg.next;
    EXPECT_EQ(shortLeg.sampleCount, 0);
    EXPECT_EQ(shortLeg.areaKm2, 0.0f);
    EXPECT_NEAR(shortLeg.lengthKm, 0.004 * std::cos(5.5 * M_PI / 180) * 111.12, 1e-5);
    EXPECT_EQ(longLeg.sampleCount, 320);
    // On an eastbound leg the edge points keep the track's x.
    EXPECT_NEAR(longLeg.rightX[0], 5.004f, 1e-5f);
    EXPECT_NEAR(longLeg.rightX[1] - longLeg.rightX[0], 2.0f / 320.0f, 1e-5f);
    EXPECT_NEAR(longLeg.rightX[319], 5.004f + 2.0f * 319.0f / 320.0f, 1e-5f);
    // One lookup on the track and six per side for every sample.
    EXPECT_EQ(plan().depthLookupCount() - before, 13u * 320u);
    // The mean skips the leg without samples.
    EXPECT_NE(world_->takeOutput().find("AVERAGE DEPTH -4000"), std::string::npos);

    // After the pass no marker but the last one's is highlighted.
    plan().first()->marker->highlight();
    plan().first()->next->next->marker->highlight();
    plan().generateSwaths(false);
    EXPECT_EQ(plan().first()->marker->state, tessarin::MapPoint::kNormal);
    EXPECT_EQ(plan().first()->next->next->marker->state, tessarin::MapPoint::kHighlighted);

    // The cursor leg recompute steps back from the last waypoint and returns
    // the shallowest sample.
    plan().walkFromFirst();
    plan().walkNext();
    plan().walkNext();
    EXPECT_EQ(plan().recomputeCursorLeg(), kFloorM);
    EXPECT_EQ(plan().cursor(), plan().first()->next);
}

TEST_F(FlatFloor, FewerThanTwoWaypointsOnlyPrint) {
    plan().generateSwaths(true);
    EXPECT_EQ(world_->takeOutput(), "genSwaths 1\n");
    // Adding the waypoint may load its tile, which prints lines of its own.
    addAt(plan(), 6.0, 5.5);
    world_->takeOutput();
    plan().generateSwaths(true);
    EXPECT_EQ(world_->takeOutput(), "genSwaths 1\n");
    EXPECT_EQ(plan().first()->sampleCount, 0);
}

// Leg lengths integrate along the map-plane segment in eight parts at
// 111.12 km per degree; on legs of a few degrees that agrees with the great
// circle distance on a sphere of the same degree length to about 3e-5.
TEST(LegLength, AgreesWithTheGreatCircle) {
    const double kmPerDegree = 111.12000274658203;
    const double radiusKm = kmPerDegree * 180.0 / M_PI;
    auto greatCircle = [&](double lon1, double lat1, double lon2, double lat2) {
        const double p1 = lat1 * M_PI / 180, p2 = lat2 * M_PI / 180, dl = (lon2 - lon1) * M_PI / 180;
        const double h = std::pow(std::sin((p2 - p1) / 2), 2) + std::cos(p1) * std::cos(p2) * std::pow(std::sin(dl / 2), 2);
        return 2 * radiusKm * std::asin(std::sqrt(h));
    };
    const struct {
        double lon1, lat1, lon2, lat2, relTol;
    } legs[] = {
        {0, 0, 1, 0, 1e-7},         // along the equator: exact
        {0, 10, 0, 11, 1e-7},       // along a meridian: exact
        {0, 0, 1, 1, 1e-6},
        {10, 45, 11, 46, 2e-5},
        {20, -30, 23, -28, 1e-4},
    };
    for (const auto& l : legs) {
        Waypoint a, b;
        a.lon = l.lon1, a.lat = l.lat1, a.y = mapY(l.lat1);
        b.lon = l.lon2, b.lat = l.lat2, b.y = mapY(l.lat2);
        a.next = &b;
        const double expected = greatCircle(l.lon1, l.lat1, l.lon2, l.lat2);
        EXPECT_NEAR(SurveyPlan::legLengthKm(a), expected, l.relTol * expected) << l.lon1 << " " << l.lat1;
    }
}
