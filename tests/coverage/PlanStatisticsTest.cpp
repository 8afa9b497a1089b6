// Plan statistics captured through the framebuffer target over a small tile
// world: self overlap of two half-overlapping legs counted once in the total,
// overlap with reference cells, the cos^2 weighting at latitude 60, the empty
// plan, and the console lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "coverage/CoverageWorld.hpp"
#include "support/RecordingProgress.hpp"

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

// Areas within 0.1 % of each other.
void expectSameAreas(const PlanStatistics& a, const PlanStatistics& b, const std::string& what) {
    EXPECT_NEAR(a.totalMappedArea, b.totalMappedArea, 1e-3 * b.totalMappedArea) << what;
    EXPECT_NEAR(a.referenceOverlapArea, b.referenceOverlapArea, 1e-3 * b.totalMappedArea) << what;
    EXPECT_NEAR(a.newMapping(), b.newMapping(), 1e-3 * b.totalMappedArea) << what;
    EXPECT_NEAR(a.selfOverlapArea, b.selfOverlapArea, 1e-3 * b.totalMappedArea) << what;
}

TEST_F(PlanStatisticsTest, AreasDoNotDependOnWhichTilesWereResident) {
    // North to south through four cells, over the reference columns from 8
    // to 12 N, and back through four cells further east.
    const Route route = {{-39.5, 12.0}, {-39.5, -12.0}, {-33.5, -12.0}, {-33.5, 12.0}};
    const PlanStatistics fresh = statsOf(route);
    ASSERT_GT(fresh.totalMappedArea, 0.0);
    // A sixth of the first leg's swath, a little under a twelfth of all.
    EXPECT_NEAR(fresh.referenceOverlapArea / fresh.totalMappedArea, 4.0 / 54.0, 0.01);

    struct Row {
        const char* name;
        bool releaseFirst;  // the ring emptied before the count
        int groupCells;     // cells resident at once
    };
    const Row rows[] = {{"tiles resident", false, 16}, {"ring emptied", true, 16},
                        {"four cells at a time", true, 4}, {"four cells at a time, warm", false, 4}};
    for (const Row& r : rows) {
        if (r.releaseFirst) w.planner->tiles.releaseAllTiles();
        test::RecordingProgress progress;
        const PlanStatistics s = computePlanStatistics(w.target.get(), w.plan(), w.planner->tiles, progress, w.out,
                                                       r.groupCells);
        expectSameAreas(s, fresh, r.name);
        ASSERT_FALSE(progress.calls.empty());
        EXPECT_EQ(progress.calls.front().rfind("begin Plan statistics ", 0), 0u) << r.name;
        const long groups = std::count_if(progress.calls.begin(), progress.calls.end(),
                                          [](const std::string& c) { return c.rfind("step ", 0) == 0; });
        if (r.groupCells == 4) {
            EXPECT_GE(groups, 2) << r.name << ": eight cells cannot be one group of four";
        }
    }
}

// Ground area in km2, on a sphere of 111.112 km a degree, of the convex
// outline of a straight leg's swath: the map plane cut into thin bands of y,
// each as wide as the outline there.
double groundAreaOfSwath(const Waypoint& leg) {
    std::vector<std::pair<double, double>> outline;
    for (int i = 0; i < leg.sampleCount; ++i) outline.emplace_back(leg.rightX[i], leg.rightY[i]);
    for (int i = leg.sampleCount - 1; i >= 0; --i) outline.emplace_back(leg.leftX[i], leg.leftY[i]);
    double minY = 1e9, maxY = -1e9;
    for (const auto& p : outline) minY = std::min(minY, p.second), maxY = std::max(maxY, p.second);
    const double k = 3.14159265358979 / 180.0, radius = 111.112 / k;
    const int bands = 20000;
    double area = 0.0;
    for (int b = 0; b < bands; ++b) {
        const double y0 = minY + (maxY - minY) * b / bands, y1 = minY + (maxY - minY) * (b + 1) / bands;
        const double y = 0.5 * (y0 + y1);
        double lo = 1e9, hi = -1e9;
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const auto& p = outline[i];
            const auto& q = outline[(i + 1) % outline.size()];
            if ((p.second - y) * (q.second - y) > 0.0 || p.second == q.second) continue;
            const double x = p.first + (q.first - p.first) * (y - p.second) / (q.second - p.second);
            lo = std::min(lo, x), hi = std::max(hi, x);
        }
        if (hi > lo) {
            area += radius * radius * (hi - lo) * k *
                    (std::sin(latitudeFromMapY(y1) * k) - std::sin(latitudeFromMapY(y0) * k));
        }
    }
    return area;
}

TEST_F(PlanStatisticsTest, EachPixelCountsItsGroundAreaOnTheSphere) {
    struct Row {
        const char* name;
        Route route;
    };
    // Legs a little off the grid's axes, so that the pixels cut by the
    // swath's edges average out.
    const Row rows[] = {
        {"east-north-east at the equator", {{-43.5, 0.2}, {-42.5, 0.6}}},
        {"north-north-east at the equator", {{-42.2, -0.5}, {-41.9, 0.5}}},
        {"east-north-east at 58 N", {{-43.5, 58.2}, {-42.5, 58.6}}},
        {"north-north-west from 57 N", {{-41.9, 57.0}, {-42.2, 58.0}}},
    };
    for (const Row& r : rows) {
        const PlanStatistics s = statsOf(r.route);
        const double expected = groundAreaOfSwath(*w.plan().first());
        ASSERT_GT(expected, 100.0) << r.name;
        EXPECT_NEAR(s.totalMappedArea, expected, 0.01 * expected) << r.name;
    }
}

TEST_F(PlanStatisticsTest, TheReportCarriesTheAreasOfThePlanAsItIsSaved) {
    struct Row {
        const char* name;
        Route before;  // counted by "Stats" before the edit (none: never)
        Route saved;
    };
    const Row rows[] = {
        {"statistics never computed", {}, {{-39.8, 10.5}, {-38.6, 10.5}}},
        {"statistics of the plan before an edit", {{-43.5, 0.5}, {-42.5, 0.5}}, {{-39.8, 10.5}, {-38.6, 10.5}}},
    };
    for (const Row& r : rows) {
        if (!r.before.empty()) statsOf(r.before);
        w.plan().clearPlan();
        for (const auto& [lon, lat] : r.saved) w.addWaypoint(lon, lat);
        const std::string path = test::coverageWorldDir().file("plan_Report.txt");
        ASSERT_TRUE(w.planner->writeReport(path)) << r.name;
        const std::string report = test::coverageWorldDir().read("plan_Report.txt");
        const PlanStatistics expected = statsOf(r.saved);
        ASSERT_GT(expected.referenceOverlapArea, 0.0);
        char lines[256];
        std::snprintf(lines, sizeof lines,
                      "Total Mapped Area              : %7.2f square km \n"
                      "Overlap with GEBCO Mapped Area : %7.2f square km \n",
                      static_cast<double>(static_cast<float>(expected.totalMappedArea)),
                      static_cast<double>(static_cast<float>(expected.referenceOverlapArea)));
        EXPECT_EQ(report.rfind(lines, 0), 0u) << r.name << "\n" << report;
    }
}

}  // namespace
}  // namespace tessarin
