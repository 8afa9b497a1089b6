// Plan statistics captured through the framebuffer target over a small tile
// world: self overlap of two half-overlapping legs counted once in the total,
// overlap with reference cells, the cos^2 weighting at latitude 60, the empty
// plan, and the console lines.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "coverage/CoverageWorld.hpp"

namespace tessarin {
namespace {

using Route = std::vector<std::pair<double, double>>;  // (lon, lat)

class PlanStatisticsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!w.gl.ok()) GTEST_SKIP() << w.gl.error();
    }
    PlanStatistics statsOf(const Route& route) {
        w.plan().clearPlan();
        for (const auto& [lon, lat] : route) w.addWaypoint(lon, lat);
        w.takeOutput();
        w.planner->computePlanStatistics();
        return w.grid().statistics;
    }
    test::CoverageWorld w;
};

// Swath of a flat 3000 m floor at multiplier 4, km.
constexpr double kSwathKm = 12.0;

TEST_F(PlanStatisticsTest, OverlappingLegsCountTheSharedStripOnce) {
    // Out east along latitude 0.5 and back to a point half a swath width
    // (0.054 deg) further north: the shared strip narrows from a whole swath
    // width at the turn to half of it at the end, three quarters on average.
    const double offset = 0.5 * kSwathKm / 111.12;
    const Route out = {{-43.5, 0.5}, {-42.5, 0.5}};
    const Route back = {{-42.5, 0.5}, {-43.5, 0.5 + offset}};
    const PlanStatistics a = statsOf(out);
    const PlanStatistics b = statsOf(back);
    const PlanStatistics both = statsOf({out[0], out[1], back[1]});

    EXPECT_LT(a.selfOverlapArea, 0.01 * a.totalMappedArea) << "one straight leg covers nothing twice";
    // About the leg's length times the swath width (the map plane's y unit
    // is a little shorter than a degree, which the area rule does not undo).
    EXPECT_NEAR(a.totalMappedArea, 111.112 * kSwathKm, 0.15 * 111.112 * kSwathKm);
    EXPECT_NEAR(both.selfOverlapArea, 0.75 * a.totalMappedArea, 0.1 * a.totalMappedArea);
    EXPECT_NEAR(both.totalMappedArea, a.totalMappedArea + b.totalMappedArea - both.selfOverlapArea,
                0.01 * both.totalMappedArea);
    EXPECT_NEAR(both.selfOverlapPercent(), both.selfOverlapArea * 100.0 / both.totalMappedArea, 1e-9);
    EXPECT_EQ(both.referenceOverlapArea, 0.0);
}

TEST_F(PlanStatisticsTest, SwathOverReferenceCellsAddsToTheOverlap) {
    // 2.6 degrees of leg, of which the degree from -40 to -39 lies over
    // reference cells.
    w.load(-41.0, 10.5);
    const PlanStatistics s = statsOf({{-41.8, 10.5}, {-38.2, 10.5}});
    ASSERT_GT(s.totalMappedArea, 0.0);
    EXPECT_NEAR(s.referenceOverlapArea / s.totalMappedArea, 1.0 / 3.6, 0.03);
    EXPECT_NEAR(s.newMapping(), s.totalMappedArea - s.referenceOverlapArea, 1e-9);
    const std::string out = w.out.str();
    // The diagnostic sums the reference cells of the whole box (8 degrees of
    // tile rows from -40 to -39 lie inside it), far more than the overlap.
    EXPECT_NE(out.find("****GEBCO MAPPING SIM  "), std::string::npos) << out;
}

TEST_F(PlanStatisticsTest, PixelsAreWeightedByCosineSquaredOfLatitude) {
    // The same degree of longitude at 0.5 and at 60.5: on the ground the leg
    // at 60 is half as long, with the same swath width.
    const PlanStatistics equator = statsOf({{-43.5, 0.5}, {-42.5, 0.5}});
    const PlanStatistics north = statsOf({{-43.5, 60.5}, {-42.5, 60.5}});
    ASSERT_GT(equator.totalMappedArea, 0.0);
    EXPECT_NEAR(north.totalMappedArea / equator.totalMappedArea, 0.5, 0.05);
}

TEST_F(PlanStatisticsTest, EmptyPlanMapsNothingAndPrintsNoQuotientOfZeros) {
    const PlanStatistics s = statsOf({});
    EXPECT_EQ(s.totalMappedArea, 0.0);
    EXPECT_EQ(s.selfOverlapPercent(), 0.0);
    EXPECT_EQ(w.out.str(),
              "Capture L R 0 0   B T 0 0\nGREEN COUNT 0\nAREA 0sq km\nREMAPPED AREA 0sq km\n"
              "MAPPED for first time 0sq km\nAREA Self Overlap 0sq km    0%\n****GEBCO MAPPING SIM  0\n"
              "****NEW MAPPING SIM  0\n");
}

TEST_F(PlanStatisticsTest, CaptureBoxReachesPastThePlanAndIsPrinted) {
    statsOf({{-43.5, 0.5}, {-42.5, 0.9}});
    // minX -43.7 - 2 -> -46, maxX -42.3 -> -42 (past the plan); y 0.32 .. 1.14 -> 0 .. 2.
    EXPECT_EQ(w.out.str().rfind("Deg 2 Bounds Left Right -46 -42  Bottom Top 0 2\nCapture L R -46 -42   B T 0 2\n", 0),
              0u)
        << w.out.str();
}

}  // namespace
}  // namespace tessarin
