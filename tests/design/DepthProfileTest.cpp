#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "design/DepthProfile.hpp"
#include "design/LineList.hpp"
#include "design/ProfileCache.hpp"
#include "earth/MapProjection.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

constexpr double kPi = 3.141592;

// A flat floor reaches 0.515625 of the nominal width W = m * depth on each
// side; the plan's area sum turns map units back into metres with 111.11 km
// per degree where W was made with 111.12, so each side is
// 0.515625 * 4 * 4000 * 111110 / 111120 m.
constexpr double kFlatHalfWidth = 0.515625 * 4.0 * 4000.0 * 111110.0 / 111120.0;

TEST(DepthProfile, FlatFloorGivesTheDepthAndTheFlatSwathAtEverySample) {
    test::PlanWorld world;
    test::writeFlatDataTile(world.dir.path(), 4, 0, -4000.0);
    SurveyPlan& plan = world.build(4.0f);
    // Northbound: each side's outer point lies at its sample's latitude, so
    // both reach the same fraction of the nominal width.
    const double lon = 6.0;
    plan.addWaypoint(lon, mapY(2.0), 2.0, 9.0f, 4.0f);
    plan.addWaypoint(lon, mapY(2.0) + 1.0, latitudeFromMapY(mapY(2.0) + 1.0), 9.0f, 4.0f);
    plan.generateSwaths(false);

    const DepthProfile p = planProfile(plan, world.tiles);
    // One map unit of track gives 240 samples.
    ASSERT_EQ(p.samples.size(), 240u);
    const float lengthKm = plan.first()->lengthKm;
    EXPECT_DOUBLE_EQ(p.lengthKm, lengthKm);
    for (std::size_t i = 0; i < p.samples.size(); ++i) {
        const ProfileSample& s = p.samples[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(s.leg, 0);
        EXPECT_EQ(s.elevationM, -4000.0f);
        EXPECT_NEAR(s.portM, kFlatHalfWidth, 0.05);
        EXPECT_NEAR(s.starboardM, kFlatHalfWidth, 0.05);
        EXPECT_EQ(s.slopeDeg, 0.0f);
        EXPECT_NEAR(s.lon, lon, 1e-5);
        EXPECT_NEAR(s.y, mapY(2.0) + static_cast<double>(i) / 240.0, 1e-5);
        EXPECT_NEAR(s.distanceKm, lengthKm * static_cast<double>(i) / 240.0, 1e-3);
    }
    // Port plus starboard is the width the leg's area implies.
    EXPECT_NEAR(p.samples[0].portM + p.samples[0].starboardM, plan.first()->areaKm2 / lengthKm * 1000.0f, 0.5);

    // Two waypoint marks and the shallowest point (the first of equals).
    ASSERT_EQ(p.marks.size(), 3u);
    EXPECT_EQ(p.shallowest, 0);
    EXPECT_EQ(p.marks.back().kind, ProfileMarkKind::Waypoint);
    EXPECT_DOUBLE_EQ(p.marks.back().distanceKm, lengthKm);

    const std::vector<LineRow> rows = listLines(plan, p);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].shallowestM, -4000.0f);
    EXPECT_EQ(rows[0].deepestM, -4000.0f);
    EXPECT_NEAR(rows[0].minSwathM, 2.0 * kFlatHalfWidth, 0.1);
    EXPECT_DOUBLE_EQ(rows[0].headingDeg, 0.0);
    EXPECT_FLOAT_EQ(rows[0].hours, plan.first()->lengthNm / 9.0f);

    // Sampled every 5 km with the plan's own edge search: the same values,
    // the last waypoint included.
    const DepthProfile stepped = steppedProfile(plan, world.tiles, 5000.0);
    ASSERT_EQ(stepped.samples.size(), static_cast<std::size_t>(std::ceil(lengthKm / 5.0)) + 1);
    for (const ProfileSample& s : stepped.samples) {
        EXPECT_EQ(s.elevationM, -4000.0f);
        EXPECT_NEAR(s.portM, kFlatHalfWidth, 0.05);
    }
    EXPECT_NEAR(stepped.samples[1].distanceKm, 5.0, 1e-9);
    EXPECT_NEAR(stepped.samples.back().y, mapY(2.0) + 1.0, 1e-12);
}

TEST(DepthProfile, InitialCourses) {
    struct Case {
        double lat1, lon1, lat2, lon2, course;
    };
    const Case cases[] = {
        // A degree east along 4 N starts 0.5 * sin(4 deg) degrees north of
        // east, to first order.
        {4.0, 2.0, 4.0, 3.0, 90.0 - 0.5 * std::sin(4.0 * kPi / 180.0)},
        {4.0, 2.0, 5.0, 2.0, 0.0},
        {4.0, 2.0, 3.0, 2.0, 180.0},
        {0.0, 2.0, 0.0, 1.0, 270.0},
        {0.0, 179.5, 0.0, -179.5, 90.0},
    };
    for (const Case& c : cases) EXPECT_NEAR(initialCourseDeg(c.lat1, c.lon1, c.lat2, c.lon2), c.course, 2e-3);
}

TEST(DepthProfile, SingleSlopeAcrossTheTrack) {
    // The floor deepens eastwards by 20 m per 15" column: -2000 m at column
    // 960 (8 E), bounded far from the track.
    test::PlanWorld world;
    test::writeDataTile(world.dir.path(), 4, 0, [](int, int col) {
        test::DataPixel p;
        p.code = test::codeOfElevation(std::clamp(-2000.0 - 20.0 * (col - 960), -6000.0, -200.0));
        return p;
    });
    SurveyPlan& plan = world.build(4.0f);
    // Northbound along 8.001 E: starboard is east, down the slope.
    plan.addWaypoint(8.001, mapY(3.0), 3.0, 9.0f, 4.0f);
    plan.addWaypoint(8.001, mapY(3.5), 3.5, 9.0f, 4.0f);
    plan.generateSwaths(false);

    const DepthProfile p = planProfile(plan, world.tiles);
    ASSERT_FALSE(p.samples.empty());
    // The floor falls 20 m per 1/240 degree of longitude; the widths count
    // 111110 * cos(3 deg) m per degree, so tan(slope) = -20 * 240 / that.
    const double expectedSlope = std::atan(-20.0 * 240.0 / (111110.0 * std::cos(3.0 * kPi / 180.0))) * 180.0 / kPi;
    for (const ProfileSample& s : p.samples) {
        EXPECT_EQ(s.elevationM, -2000.0f);
        // Each edge reads the floor of its whole 15" column: at most 20 m
        // off at either end.
        const double tanError = std::fabs(std::tan(s.slopeDeg * kPi / 180.0) - std::tan(expectedSlope * kPi / 180.0));
        EXPECT_LE(tanError, 40.0 / (s.portM + s.starboardM)) << s.slopeDeg << " against " << expectedSlope;
        // Down the slope the water is deeper and the swath reaches further.
        EXPECT_GT(s.starboardM, s.portM);
    }
    // The widths are the plan's own reaches.
    const Waypoint& w = *plan.first();
    EXPECT_FLOAT_EQ(p.samples[3].starboardM, reachMetres(w.rightReach[3], w.lat));
    EXPECT_FLOAT_EQ(p.samples[3].portM, reachMetres(w.leftReach[3], w.lat));
    EXPECT_FLOAT_EQ(crossTrackSlopeDeg(-100.0f, -100.0f, 0.0f, 0.0f), 0.0f);
}

TEST(DepthProfile, LegsTurnsAndTheCacheOfAWholePlan) {
    test::PlanWorld world;
    test::writeFlatDataTile(world.dir.path(), 4, 0, -3000.0);
    SurveyPlan& plan = world.build(4.0f);
    plan.addWaypoint(6.0, mapY(2.0), 2.0, 9.0f, 4.0f);
    plan.addWaypoint(6.5, mapY(2.0), 2.0, 9.0f, 4.0f);
    plan.addWaypoint(6.5, mapY(2.5), 2.5, 9.0f, 4.0f);
    plan.generateSwaths(true);

    ProfileCache cache;
    EXPECT_TRUE(cache.refresh(plan, world.tiles));
    EXPECT_FALSE(cache.refresh(plan, world.tiles));
    EXPECT_EQ(cache.computations(), 1);
    const DepthProfile& whole = cache.profile();

    // The first leg carries the turn; only its straight samples are profiled.
    const Waypoint& a = *plan.first();
    ASSERT_GT(a.sampleCount, a.straightSamples);
    const DepthProfile leg1 = legProfile(whole, 0), leg2 = legProfile(whole, 1);
    EXPECT_EQ(leg1.samples.size(), static_cast<std::size_t>(a.straightSamples));
    EXPECT_EQ(leg1.samples.size() + leg2.samples.size(), whole.samples.size());
    EXPECT_NEAR(leg1.lengthKm, a.lengthKm, 1e-6);
    EXPECT_NEAR(leg2.samples.front().distanceKm, a.lengthKm, 1e-3);
    int turns = 0;
    for (const ProfileMark& m : whole.marks) turns += m.kind == ProfileMarkKind::Turn;
    EXPECT_EQ(turns, 1);
    EXPECT_TRUE(legProfile(whole, 2).samples.empty());

    const int nearest = nearestSample(whole, a.lengthKm + 0.01);
    EXPECT_EQ(whole.samples[static_cast<std::size_t>(nearest)].leg, 1);

    // Moving a waypoint changes the fingerprint even before the swaths follow.
    plan.moveCurrent(6.6, mapY(2.5), 2.5);
    EXPECT_TRUE(cache.refresh(plan, world.tiles));
    EXPECT_EQ(cache.computations(), 2);
}

}  // namespace
}  // namespace tessarin
