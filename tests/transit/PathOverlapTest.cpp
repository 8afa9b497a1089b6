// The path-overlap diagnostic: how far mapped floor reaches into a leg's
// swath from either edge, the per-leg fraction and the plan's weighted sum.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "plan/Waypoint.hpp"
#include "support/TileWriter.hpp"
#include "transit/PathOverlap.hpp"
#include "transit/TransitWorld.hpp"

namespace tessarin {
namespace {

// A leg whose swath spans, at every sample, from starboard longitude
// rightLon to port longitude leftLon at 4 degrees north.
void setSwath(Waypoint& w, int samples, double rightLon, double leftLon) {
    w.sampleCount = samples;
    const float y = static_cast<float>(mapY(4.0));
    for (int s = 0; s < samples; ++s) {
        w.rightX[s] = static_cast<float>(rightLon);
        w.leftX[s] = static_cast<float>(leftLon);
        w.rightY[s] = y;
        w.leftY[s] = y;
    }
}

class PathOverlapTest : public ::testing::Test {
protected:
    PathOverlapTest() {
        // Cell 4..12 E, 0..8 N: reference (mapped) floor west of 8 E only.
        test::writeDataTile(world.dir.path(), 4, 0, [](int, int col) {
            test::DataPixel p;
            p.code = test::codeOfElevation(-3000.0);
            p.blue = col < 4 * 240 ? 3 : 0;
            return p;
        });
        float elevation = 0.0f;
        world.tiles.getDepth(5.0, 1.0, elevation);
    }
    test::TransitWorld world;
};

TEST_F(PathOverlapTest, ReachOfMappedFloorFromEachEdge) {
    struct Row {
        double rightLon, leftLon;
        int samples;
        int reachRight, reachLeft;  // of every processed sample
        float fraction;
        const char* percents;
    };
    const Row rows[] = {
        // Nothing mapped under the swath.
        {9.0, 10.0, 10, -1, -1, 0.0f, "Percent good R 0\nPercent good L 0\n"},
        // Mapped floor reaches 0.05 degrees (5 steps) in from starboard.
        {7.95, 8.95, 10, 4, 100, 1.0f, "Percent good R 100\nPercent good L 0\n"},
        // ... and from port when the leg runs the other way.
        {8.95, 7.95, 7, 100, 4, 1.0f, "Percent good R 0\nPercent good L 100\n"},
        // Mapped across the whole swath: no edge to abut.
        {5.0, 6.0, 4, 100, 100, 0.0f, "Percent good R 0\nPercent good L 0\n"},
        // Mapped too far in (30 steps) is no abutment either.
        {7.7, 8.7, 4, 29, 100, 0.0f, "Percent good R 0\nPercent good L 0\n"},
        // A leg without samples divides by nothing.
        {7.95, 8.95, 0, 0, 0, 0.0f, "Percent good R 0\nPercent good L 0\n"},
    };
    for (const Row& r : rows) {
        Waypoint leg;
        setSwath(leg, r.samples, r.rightLon, r.leftLon);
        std::ostringstream out;
        AbutProfile profile;
        const float f = legAbutFraction(leg, world.tiles, out, &profile);
        const std::string what = std::to_string(r.rightLon) + " -> " + std::to_string(r.leftLon);
        EXPECT_FLOAT_EQ(f, r.fraction) << what;
        EXPECT_EQ(out.str(), r.percents) << what;
        ASSERT_EQ(profile.right.size(), static_cast<std::size_t>((r.samples + 1) / 2)) << what;
        for (std::size_t i = 0; i < profile.right.size(); ++i) {
            EXPECT_NEAR(profile.right[i], r.reachRight, 1) << what;
            EXPECT_NEAR(profile.left[i], r.reachLeft, 1) << what;
        }
    }
}

TEST_F(PathOverlapTest, ReportWeighsEachLegByItsLength) {
    std::ostringstream out;
    reportPathOverlap(world.plan, world.tiles, out);
    EXPECT_EQ(out.str(), "-----------------------\nPATH OVERLAP 0 0 0\n");

    // Two legs along 4 N over the mapped boundary and one over unmapped floor.
    world.transit->addWaypointAt(7.5f, static_cast<float>(mapY(4.0)));
    world.transit->addWaypointAt(8.5f, static_cast<float>(mapY(4.0)));
    world.transit->addWaypointAt(10.5f, static_cast<float>(mapY(4.0)));
    Waypoint* first = world.plan.first();
    setSwath(*first, 6, 7.95, 8.95);
    setSwath(*first->next, 6, 9.0, 10.0);
    first->lengthKm = 100.0f;
    first->next->lengthKm = 300.0f;
    out.str("");
    reportPathOverlap(world.plan, world.tiles, out);
    EXPECT_EQ(out.str(),
              "-----------------------\n"
              "Percent good R 100\nPercent good L 0\nLen p 100 1\n"
              "Percent good R 0\nPercent good L 0\nLen p 300 0\n"
              "PATH OVERLAP 400 100 0.25\n");
}

}  // namespace
}  // namespace tessarin
