#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "FitWorld.hpp"
#include "fit/EdgeFit.hpp"

namespace tessarin {
namespace {

using test::FitWorld;
using test::ScriptedCoverage;

constexpr double kLat = 4.0;  // the test lines run east along 4 N

class EdgeFitTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { world_ = new FitWorld; }
    static void TearDownTestSuite() {
        delete world_;
        world_ = nullptr;
    }
    void SetUp() override {
        world_->world.plan->clearPlan();
        world_->world.takeOutput();
    }
    EdgeFit fitWith(const CoverageLookup& lookup) {
        return EdgeFit(world_->world.tiles, lookup, *world_->world.plan, world_->world.out);
    }
    std::string output() { return world_->world.takeOutput(); }

    static FitWorld* world_;
};

FitWorld* EdgeFitTest::world_ = nullptr;

// East along 4 N: port is north, starboard south.
const FitLine kEastLine = FitLine::fromDegrees(6.0, kLat, 8.0, kLat);
const double kY0 = mapY(kLat);

TEST_F(EdgeFitTest, UndecidedSideGoesToTheCoveredSide) {
    struct Case {
        const char* name;
        bool northCovered;
        bool southCovered;
        int side;
        const char* decision;
    };
    const Case cases[] = {
        {"port covered", true, false, kSidePort, "LEFT \n"},
        {"starboard covered", false, true, kSideStarboard, "RIGHT \n"},
        {"nothing covered", false, false, kSideUndecided, ""},
    };
    // 2 map units long: 1 + trunc(24) = 25 stations.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCoverage cov;
        cov.value = [&](double, double y) {
            return std::uint16_t((y > kY0 && c.northCovered) || (y < kY0 && c.southCovered) ? 64 : 0);
        };
        EdgeFit fit = fitWith(cov);
        int side = kSideUndecided;
        float inside = -1.0f, outside = -1.0f;
        EXPECT_EQ(fit.edgeOverlapScore(kEastLine, 10.0f, inside, outside, side, false), 0.0f);
        EXPECT_EQ(side, c.side);
        EXPECT_EQ(inside, -1.0f);  // not written while deciding
        // Both sides count 50 a covered probe (the raw byte is not added).
        const int port = c.northCovered ? 25 * 50 : 0;
        const int stbd = c.southCovered ? 25 * 50 : 0;
        EXPECT_EQ(output(), "FIND LR SUM " + std::to_string(port) + " " + std::to_string(stbd) + "\n" + c.decision);

        // With a vote area south of the line only the starboard probes count.
        fit.setVoteArea([](double, double y) { return y < kY0; });
        side = kSideUndecided;
        fit.edgeOverlapScore(kEastLine, 10.0f, inside, outside, side, false);
        EXPECT_EQ(side, c.southCovered ? kSideStarboard : kSideUndecided);
        EXPECT_EQ(output().rfind("FIND LR SUM 0 " + std::to_string(stbd) + "\n", 0), 0u);
    }
}

TEST_F(EdgeFitTest, ProbesLieAtTheOverlapFractionsOfTheHalfWidth) {
    struct Case {
        int side;
        float inside[4];
        float outside[4];
    };
    const Case cases[] = {
        {kSidePort, {0.805f, 0.825f, 0.845f, 0.865f}, {0.795f, 0.695f, 0.595f, 0.495f}},
        {kSideStarboard, {0.805f, 0.785f, 0.765f, 0.745f}, {0.795f, 0.695f, 0.595f, 0.495f}},
    };
    const double h = test::flatHalfWidth(kLat);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.side);
        ScriptedCoverage cov;
        EdgeFit fit = fitWith(cov);
        int side = c.side;
        float inside = 0.0f, outside = 0.0f;
        fit.edgeOverlapScore(kEastLine, 10.0f, inside, outside, side, true);
        ASSERT_EQ(cov.probes.size(), 25u * 8u);
        // Port probes lie north of the line, starboard ones south.
        const double sign = c.side == kSidePort ? 1.0 : -1.0;
        for (int station : {0, 12, 24}) {
            const double lon = 6.0 + station / 12.0;
            for (int j = 0; j < 4; ++j) {
                const test::Probe& in = cov.probes[static_cast<std::size_t>(station * 8 + 2 * j)];
                const test::Probe& out = cov.probes[static_cast<std::size_t>(station * 8 + 2 * j + 1)];
                EXPECT_TRUE(in.fine && out.fine);
                EXPECT_NEAR(in.lon, lon, 1e-9);
                EXPECT_NEAR(sign * (mapY(in.lat) - kY0) / h, c.inside[j], 2e-5) << "inside " << j;
                EXPECT_NEAR(sign * (mapY(out.lat) - kY0) / h, c.outside[j], 2e-5) << "outside " << j;
            }
        }
    }
}

TEST_F(EdgeFitTest, ScoreCountsCoveredProbesInsideAgainstOutside) {
    const double h = test::flatHalfWidth(kLat);
    struct Case {
        const char* name;
        double coveredFrom;  // covered beyond this fraction of h, on the scored side
        float inside[3];     // covered inside probes a station: port, starboard
        float outside[3];
    };
    // Port inside probes step outward (0.805 .. 0.865), starboard ones inward
    // (0.805 .. 0.745); outside probes are 0.795 .. 0.495 on both.
    const Case cases[] = {
        {"old coverage from 0.80", 0.80, {0, 200, 50}, {0, 0, 0}},
        {"old coverage from 0.70", 0.70, {0, 200, 200}, {0, 50, 50}},
        {"old coverage from 0.65", 0.65, {0, 200, 200}, {0, 100, 100}},
        {"old coverage beyond the swath", 0.90, {0, 0, 0}, {0, 0, 0}},
    };
    for (int side : {kSidePort, kSideStarboard}) {
        const double sign = side == kSidePort ? 1.0 : -1.0;
        const int k = side == kSidePort ? 1 : 2;
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (side == kSidePort ? " port" : " starboard"));
            ScriptedCoverage cov;
            cov.value = [&](double, double y) { return std::uint16_t(sign * (y - kY0) >= c.coveredFrom * h ? 64 : 0); };
            EdgeFit fit = fitWith(cov);
            int s = side;
            float inside = -1.0f, outside = -1.0f;
            const float score = fit.edgeOverlapScore(kEastLine, 10.0f, inside, outside, s, false);
            EXPECT_EQ(inside, 25.0f * c.inside[k]);
            EXPECT_EQ(outside, 25.0f * c.outside[k]);
            EXPECT_FLOAT_EQ(score, (c.inside[k] - c.outside[k]) * 100.0f);
            EXPECT_EQ(s, side);
        }
    }
}

TEST_F(EdgeFitTest, UnreadableCellsCountAsNotCovered) {
    ScriptedCoverage cov;
    cov.readable = [](double, double) { return false; };
    EdgeFit fit = fitWith(cov);
    int side = kSideUndecided;
    float inside = 0.0f, outside = 0.0f;
    fit.edgeOverlapScore(kEastLine, 10.0f, inside, outside, side, false);
    EXPECT_EQ(side, kSideUndecided);
    EXPECT_EQ(output(), "FIND LR SUM 0 0\n");
    side = kSidePort;
    EXPECT_EQ(fit.edgeOverlapScore(kEastLine, 10.0f, inside, outside, side, false), 0.0f);
    EXPECT_EQ(inside, 0.0f);
}

TEST_F(EdgeFitTest, RefineWithNothingToFitAgainstKeepsTheLine) {
    struct Case {
        const char* name;
        FitLine line;
        int side;                                    // given
        std::function<std::uint16_t(double, double)> coverage;
    };
    const FitLine slanted = FitLine::fromDegrees(6.0, 3.5, 7.5, 4.6);
    auto none = [](double, double) { return std::uint16_t{0}; };
    // Covered everywhere: every candidate scores 0 on its decided side.
    auto all = [](double, double) { return std::uint16_t{64}; };
    const Case cases[] = {
        {"no coverage, level", kEastLine, kSideUndecided, none},
        {"no coverage, slanted", slanted, kSideUndecided, none},
        {"side given, no coverage", kEastLine, kSidePort, none},
        {"covered everywhere", kEastLine, kSideStarboard, all},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedCoverage cov;
        cov.value = c.coverage;
        EdgeFit fit = fitWith(cov);
        int side = c.side;
        FitLine result;
        EXPECT_LE(fit.refineEdgeOverlap(c.line, result, 10.0f, 0.01f, side, false), 0.0f);
        EXPECT_NEAR(result.lonA, c.line.lonA, 1e-12);
        EXPECT_NEAR(result.yA, c.line.yA, 1e-12);
        EXPECT_NEAR(result.lonB, c.line.lonB, 1e-12);
        EXPECT_NEAR(result.yB, c.line.yB, 1e-12);
        EXPECT_DOUBLE_EQ(result.latA, latitudeFromMapY(result.yA));
        EXPECT_DOUBLE_EQ(result.latB, latitudeFromMapY(result.yB));
        EXPECT_EQ(side, c.side);
        EXPECT_NE(output().find("REFINE EDGE OVERLAP "), std::string::npos);
    }
}

TEST_F(EdgeFitTest, RefineMovesTheLineUntilTheEdgeBandMeetsOldCoverage) {
    // Old coverage north of 0.86 half-widths: only a shift of three steps
    // (0.02 half-widths each) north puts all inside probes on it and no
    // outside probe.
    const double h = test::flatHalfWidth(kLat);
    const double step = 2.0 * h * 0.01;
    ScriptedCoverage cov;
    cov.value = [&](double, double y) { return std::uint16_t(y - kY0 >= 0.86 * h ? 64 : 0); };
    EdgeFit fit = fitWith(cov);
    int side = kSideUndecided;
    FitLine result;
    const float best = fit.refineEdgeOverlap(kEastLine, result, 10.0f, 0.01f, side, false);
    EXPECT_EQ(side, kSidePort);
    EXPECT_FLOAT_EQ(best, 20000.0f);
    EXPECT_NEAR(result.yA, kY0 + 3 * step, 1e-6);
    EXPECT_NEAR(result.yB, kY0 + 3 * step, 1e-6);
    EXPECT_NEAR(result.lonA, 6.0, 1e-9);
    EXPECT_NEAR(result.lonB, 8.0, 1e-9);
}

TEST_F(EdgeFitTest, ExtendWithoutFlagsReturnsTheEndsWithYFromTheLatitudes) {
    ScriptedCoverage cov;
    EdgeFit fit = fitWith(cov);
    FitLine line = FitLine::fromDegrees(6.0, 3.5, 7.5, 4.6);
    line.yA = 99.0;  // ignored
    line.yB = -99.0;
    FitLine result;
    int side = kSideUndecided;
    fit.extendEdgeOverlap(line, result, side, false, false);
    EXPECT_EQ(result.lonA, 6.0);
    EXPECT_EQ(result.lonB, 7.5);
    EXPECT_DOUBLE_EQ(result.yA, mapY(3.5));
    EXPECT_DOUBLE_EQ(result.yB, mapY(4.6));
    EXPECT_NEAR(result.latA, 3.5, 1e-9);
    EXPECT_NEAR(result.latB, 4.6, 1e-9);
    const std::string out = output();
    EXPECT_EQ(out.rfind("EXTEND 1 6 3.5 ", 0), 0u) << out;
    EXPECT_EQ(out.find("EXTEND OVERLAP"), std::string::npos);
    EXPECT_NE(out.find("EXTENDED  EDGE OVERLAP 0 6 3.5 7.5 4.6\n"), std::string::npos) << out;
}

TEST_F(EdgeFitTest, ExtendStartLengthensTowardsCoverageBeforeTheStart) {
    // Old coverage along the starboard edge band, but only west of 6.3 E: a
    // line from 6.5 E scores best when its start moves back over it.
    const double h = test::flatHalfWidth(kLat);
    ScriptedCoverage cov;
    cov.value = [&](double lon, double y) {
        return std::uint16_t(lon < 6.3 && kY0 - y >= 0.8 * h ? 64 : 0);
    };
    EdgeFit fit = fitWith(cov);
    int side = kSideStarboard;
    FitLine result;
    fit.extendEdgeOverlap(FitLine::fromDegrees(6.5, kLat, 8.5, kLat), result, side, true, false);
    // Lengthening tries 0 .. 0.7 map units back (nLong = trunc(2 * 10 * 0.4));
    // the farthest puts the largest share of stations over the coverage.
    EXPECT_NEAR(result.lonA, 5.8, 1e-6);
    EXPECT_EQ(result.lonB, 8.5);
    EXPECT_NE(output().find("EXTEND OVERLAP START "), std::string::npos);
}

TEST_F(EdgeFitTest, RefineWindowBoundsTheMove) {
    struct Case {
        int towards;
        int away;
        int north;  // steps both ends end north of the line (to port)
    };
    // Port side decided; covered north of 10 steps short of where the port
    // edge's inside probes (0.8 of the half-width) lie. The unmoved line
    // scores above 0 and the best lies 10 steps south (away from the side).
    const float step = 2.0f * test::flatHalfWidth(kLat) * 0.01f;
    const double edge = kY0 + 0.8 * test::flatHalfWidth(kLat) - 9.5 * step;
    // The score rises 5 steps south (a band probe leaves the coverage) and
    // again at 10; ties keep the smaller move.
    const Case cases[] = {{21, 21, -10}, {0, 6, -5}, {3, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.towards << " " << c.away);
        ScriptedCoverage cov;
        cov.value = [&](double, double y) { return std::uint16_t(y > edge ? 64 : 0); };
        EdgeFit fit = fitWith(cov);
        fit.setRefineWindow(c.towards, c.away);
        int side = kSidePort;
        FitLine result;
        EXPECT_GT(fit.refineEdgeOverlap(kEastLine, result, 10.0f, 0.01f, side, false), 0.0f);
        EXPECT_NEAR((result.yA - kY0) / step, c.north, c.away > 6 ? 1.01 : 1e-3);
        EXPECT_NEAR((result.yB - kY0) / step, c.north, c.away > 6 ? 1.01 : 1e-3);
        output();
    }
}

TEST_F(EdgeFitTest, RefineCurrentKeepsASideTheCallerDecided) {
    struct Case {
        int given;
        int kept;
    };
    // North (port of an eastward leg) is covered, so a vote says port.
    const Case cases[] = {{kSideStarboard, kSideStarboard}, {kSidePort, kSidePort}, {kSideUndecided, kSidePort}};
    SurveyPlan& plan = *world_->world.plan;
    ScriptedCoverage cov;
    cov.value = [](double, double y) { return std::uint16_t(y > kY0 + 0.05 ? 64 : 0); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given);
        EdgeFit fit = fitWith(cov);
        plan.clearPlan();
        plan.addWaypoint(6.0, kY0, kLat, 9.0f, 4.0f);
        plan.addWaypoint(8.0, kY0, kLat, 9.0f, 4.0f);
        output();
        int side = c.given;
        ASSERT_TRUE(fit.refineCurrentOverlap(side, 0.05f, false, 10.0f));
        EXPECT_EQ(side, c.kept);
        const std::string out = output();
        EXPECT_NE(out.find("refineCurrentOverlap LR " + std::to_string(c.kept) + "\n"), std::string::npos);
        EXPECT_EQ(out.find("FIND LR SUM") != std::string::npos, c.given == kSideUndecided);
    }
    plan.clearPlan();
}

TEST_F(EdgeFitTest, RefineCurrentFitsTheLegEndingAtTheLastWaypoint) {
    SurveyPlan& plan = *world_->world.plan;
    ScriptedCoverage cov;
    EdgeFit fit = fitWith(cov);
    int side = 7;
    EXPECT_FALSE(fit.refineCurrentOverlap(side, 0.01f, false, 10.0f));  // no waypoint
    EXPECT_EQ(output(), "REFINE \n");
    plan.addWaypoint(6.0, kY0, kLat, 9.0f, 4.0f);
    EXPECT_FALSE(fit.refineCurrentOverlap(side, 0.01f, false, 10.0f));  // one waypoint
    EXPECT_EQ(output(), "REFINE \n");

    plan.addWaypoint(8.0, kY0, kLat, 9.0f, 4.0f);  // current: the last one
    ASSERT_TRUE(fit.refineCurrentOverlap(side, 0.01f, false, 10.0f));
    EXPECT_EQ(side, kSideUndecided);  // 7 is no side: decided anew, and nothing decides it
    // Nothing to fit against: the leg stays where it is.
    const Waypoint* a = plan.first();
    const Waypoint* b = a->next;
    EXPECT_EQ(plan.current(), b);
    EXPECT_NEAR(a->y, kY0, 1e-9);
    EXPECT_NEAR(b->y, kY0, 1e-9);
    EXPECT_NEAR(a->lon, 6.0, 1e-9);
    EXPECT_NEAR(b->lon, 8.0, 1e-9);
    const std::string out = output();
    EXPECT_NE(out.find("refineCurrentOverlap LR 0\nREFINE Current 1A 6 "), std::string::npos) << out;
    EXPECT_NE(out.find("REFINE Current1B 8 "), std::string::npos);
    plan.clearPlan();
}

}  // namespace
}  // namespace tessarin
