#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "FitWorld.hpp"
#include "fit/SidewaysSearch.hpp"

namespace tessarin {
namespace {

using test::FitWorld;
using test::ScriptedCoverage;

class SidewaysSearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { world_ = new FitWorld; }
    static void TearDownTestSuite() {
        delete world_;
        world_ = nullptr;
    }
    void SetUp() override {
        world_->paintCoverage([](double, double) { return false; });
        world_->world.takeOutput();
    }
    SidewaysSearch searchWith(const CoverageLookup& lookup) {
        return SidewaysSearch(world_->world.tiles, lookup, *world_->world.plan, world_->world.out);
    }
    std::string output() { return world_->world.takeOutput(); }

    static FitWorld* world_;
};

FitWorld* SidewaysSearchTest::world_ = nullptr;

const double kY0 = mapY(4.0);
// East along 4 N, 2 map units: 1 + trunc(16) = 17 stations.
const FitLine kEastLine = FitLine::fromDegrees(6.0, 4.0, 8.0, 4.0);

TEST_F(SidewaysSearchTest, SideByCoverageTakesTheSideWithMoreCoveredProbes) {
    struct Case {
        const char* name;
        bool north;
        bool south;
        int side;
        float value;
    };
    const Case cases[] = {
        {"starboard only", false, true, kSideStarboard, 17 * 50.0f},
        {"port only", true, false, kSidePort, 17 * 50.0f},
        {"both", true, true, kSidePort, 0.0f},  // a tie goes to port
        {"neither", false, false, kSidePort, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Painted into the tile's coverage bytes, read through the planner's grids.
        world_->paintCoverage([&](double, double y) { return (y > kY0 && c.north) || (y < kY0 && c.south); });
        SidewaysSearch search = searchWith(*world_->gridLookup);
        int side = 0;
        EXPECT_EQ(search.sideByCoverage(kEastLine, side, 1.0f), c.value);
        EXPECT_EQ(side, c.side);
    }
}

TEST_F(SidewaysSearchTest, ProbesAtAQuarterWidthAndShortLinesAtAOnly) {
    struct Case {
        const char* name;
        FitLine line;
        std::size_t stations;
    };
    const Case cases[] = {
        {"2 units", kEastLine, 17},
        {"under 1/8 unit", FitLine::fromDegrees(6.0, 4.0, 6.1, 4.0), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCoverage cov;
        SidewaysSearch search = searchWith(cov);
        int side = 0;
        search.sideByCoverage(c.line, side, 0.4f);
        ASSERT_EQ(cov.probes.size(), 2 * c.stations);
        for (std::size_t i = 0; i < c.stations; ++i) {
            const double lon = c.stations > 1 ? 6.0 + 2.0 * static_cast<double>(i) / 16.0 : 6.0;
            for (int k = 0; k < 2; ++k) {
                const test::Probe& p = cov.probes[2 * i + static_cast<std::size_t>(k)];
                EXPECT_NEAR(p.lon, lon, 1e-9);
                EXPECT_NEAR(mapY(p.lat) - kY0, k == 0 ? 0.1 : -0.1, 1e-5);  // port, then starboard
                EXPECT_FALSE(p.fine);
            }
        }
    }
}

TEST_F(SidewaysSearchTest, UnreadableCellsAreUncoveredAndUnmapped) {
    ScriptedCoverage cov;
    cov.readable = [](double, double) { return false; };
    SidewaysSearch search = searchWith(cov);
    int side = 0;
    EXPECT_EQ(search.sideByCoverage(kEastLine, side, 1.0f), 0.0f);
    EXPECT_EQ(search.unmappedScore(kEastLine, 1.0f), 17 * 35.0f);
}

TEST_F(SidewaysSearchTest, UnmappedScoreCountsSevenProbesAcrossTheWidth) {
    struct Case {
        const char* name;
        double mappedFrom;  // mapped where y - y0 >= mappedFrom
        float score;
    };
    // Probes at -3..3 sixths of 0.6 map units: -0.3 .. 0.3 in steps of 0.1.
    const Case cases[] = {
        {"nothing mapped", 1.0, 17 * 35.0f},
        {"north of 0.15 mapped", 0.15, 17 * 25.0f},
        {"north of -0.05 mapped", -0.05, 17 * 15.0f},
        {"everything mapped", -1.0, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCoverage cov;
        cov.value = [&](double, double y) { return std::uint16_t(y - kY0 >= c.mappedFrom ? 64 : 0); };
        SidewaysSearch search = searchWith(cov);
        EXPECT_EQ(search.unmappedScore(kEastLine, 0.6f), c.score);
    }
}

TEST_F(SidewaysSearchTest, UnmappedScoreGoesTheShortWayAcrossTheAntimeridian) {
    ScriptedCoverage cov;
    SidewaysSearch search = searchWith(cov);
    // 179.5 E to 179.5 W is one map unit east, not 359 west: 9 stations.
    const FitLine line = FitLine::fromDegrees(179.5, 4.0, -179.5, 4.0);
    EXPECT_EQ(search.unmappedScore(line, 0.6f), 9 * 35.0f);
    ASSERT_EQ(cov.probes.size(), 9u * 7u);
    for (const test::Probe& p : cov.probes) {
        // Probes run from 179.5 to 180.5, brought back into -180 .. 180.
        EXPECT_TRUE(p.lon >= 179.5 - 1e-9 || p.lon <= -179.5 + 1e-9) << p.lon;
        EXPECT_GE(p.lon, -180.0);
    }
    // Probes west of -180 are brought back by adding 360 in the side probe too.
    ScriptedCoverage cov2;
    SidewaysSearch search2 = searchWith(cov2);
    int side = 0;
    search2.sideByCoverage(FitLine::fromDegrees(-180.5, 4.0, -179.5, 4.0), side, 1.0f);
    ASSERT_FALSE(cov2.probes.empty());
    EXPECT_NEAR(cov2.probes.front().lon, 179.5, 1e-9);
}

TEST_F(SidewaysSearchTest, SearchesWithoutCoverageOrData) {
    SidewaysSearch search = searchWith(*world_->gridLookup);
    FitLine line = kEastLine;
    line.yA = 50.0;  // ignored: y comes from the latitudes
    line.yB = -50.0;
    const float w = 2.0f * test::flatHalfWidth(4.0);  // nominal full width at A

    // Abut mode: nothing covered, nothing taken.
    FitLine result;
    int side = 9;
    EXPECT_EQ(search.maxEdge(line, result, 4.0f * w, 4.0f * w, side), 0.0f);
    EXPECT_EQ(side, 0);
    EXPECT_EQ(result.lonA, 6.0);
    EXPECT_DOUBLE_EQ(result.yA, kY0);
    EXPECT_DOUBLE_EQ(result.yB, kY0);
    // step = w / 4; widths of 4 w give 1 + 2 * trunc(8) = 17 positions.
    std::string out = output();
    EXPECT_EQ(out.rfind("MAX EDGE COUNT WID 17 ", 0), 0u) << out;
    EXPECT_NE(out.find("MAX EDGE  max LR  0 6 4 8 4\n"), std::string::npos) << out;

    // Unmapped mode: every probe adds 5, so the unshifted line (weight 1)
    // wins with 35 per station.
    EXPECT_EQ(search.maxEdgeLateral(line, result, 4.0f * w, 4.0f * w), 17 * 35.0f);
    EXPECT_EQ(result.lonA, 6.0);
    EXPECT_NEAR(result.yA, kY0, 1e-9);
    EXPECT_NEAR(result.yB, kY0, 1e-9);
    out = output();
    EXPECT_EQ(out.find("MAX EDGE COUNT WID"), std::string::npos);
    EXPECT_EQ(out.rfind("MAX Edge Lateral Step ", 0), 0u);

    // A search narrower than two steps weighs every candidate 0 / 0.
    EXPECT_EQ(search.maxEdgeLateral(line, result, 0.2f * w, 4.0f * w), 0.0f);
    EXPECT_DOUBLE_EQ(result.yA, kY0);

    // No data tile at A (20 N has none): the width is negative, nothing taken.
    const FitLine dry = FitLine::fromDegrees(6.0, 20.0, 8.0, 20.0);
    EXPECT_EQ(search.maxEdgeLateral(dry, result, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(search.maxEdge(dry, result, 1.0f, 1.0f, side), 0.0f);
    EXPECT_DOUBLE_EQ(result.yA, mapY(20.0));
}

TEST_F(SidewaysSearchTest, WindowPositionsAreBoundedInShallowWater) {
    struct Case {
        const char* name;
        int lon0;           // tile west edge
        double elevationM;  // flat floor
        int count;          // window positions per end, maxEdge
        float lateralHalf;  // half window, maxEdgeLateral, map units
    };
    // Width 0.2: W = 4 * depth * sec(4) / 111111. The step is W / 4 (W / 8
    // lateral), but never below its value over 2000 m.
    const float w2000 = static_cast<float>(4.0 * 2000.0 / std::cos(4.0 * 3.141592 / 180.0) / 111111.0);
    const Case cases[] = {
        {"4000 m, as always", 4, -4000.0, 5, 5 * w2000 / 4.0f},
        {"2000 m", 12, -2000.0, 11, 11 * w2000 / 8.0f},
        {"20 m, not 1109", 20, -20.0, 11, 11 * w2000 / 8.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.lon0 != 4) test::writeFlatDataTile(world_->world.dir.path(), c.lon0, 0, c.elevationM);
        const FitLine line = FitLine::fromDegrees(c.lon0 + 2.0, 4.0, c.lon0 + 4.0, 4.0);
        SidewaysSearch search = searchWith(*world_->gridLookup);
        FitLine result;
        int side = 0;
        search.maxEdge(line, result, 0.2f, 0.2f, side);
        const std::string out = output();
        EXPECT_NE(out.find("MAX EDGE COUNT WID " + std::to_string(c.count) + " "), std::string::npos) << out;
        search.maxEdgeLateral(line, result, 0.2f, 0.2f);
        const std::string lateral = output();
        const std::string::size_type at = lateral.find("MAX Edge Lateral Step ");
        ASSERT_NE(at, std::string::npos);
        EXPECT_NEAR(std::stof(lateral.substr(at + 22)), c.lateralHalf, 1e-4);
    }
}

TEST_F(SidewaysSearchTest, MaxEdgeSlidesTheSegmentOntoACoverageEdge) {
    // Mapped floor north of y0 + 0.3: the segment scores best once its
    // northern probes (a quarter of w to port) reach it while the southern
    // ones do not, close to its own position given the window.
    world_->paintCoverage([](double, double y) { return y >= kY0 + 0.3; });
    SidewaysSearch search = searchWith(*world_->gridLookup);
    const float w = 2.0f * test::flatHalfWidth(4.0);
    FitLine result;
    int side = 0;
    const float best = search.maxEdge(kEastLine, result, 20.0f * w, 20.0f * w, side);
    EXPECT_GT(best, 0.0f);
    EXPECT_EQ(side, kSidePort);
    // Its port probes lie on the mapped floor, its starboard probes do not.
    EXPECT_GE(result.yA + 0.25 * w, kY0 + 0.3 - 1e-3);
    EXPECT_LT(result.yA - 0.25 * w, kY0 + 0.3);
}

}  // namespace
}  // namespace tessarin
