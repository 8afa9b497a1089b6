#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "design/LineList.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TextureSink.hpp"
#include "plan/PlanWorld.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

// Waypoints named by their longitude 1, 2, 3, 4 (A, B, C, D).
std::string order(const SurveyPlan& plan) {
    std::string s;
    for (const Waypoint* w = plan.first(); w; w = w->next) s += static_cast<char>('A' + static_cast<int>(w->lon) - 1);
    return s;
}

int currentIndex(const SurveyPlan& plan) {
    int i = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++i) {
        if (w == plan.current()) return i;
    }
    return -1;
}

TEST(LineList, EditsReorderTheWaypointsOfALeg) {
    enum Op { Reverse, Move, Delete };
    struct Case {
        Op op;
        int leg, to;
        bool done;
        const char* order;
        int current;
    };
    const Case cases[] = {
        {Reverse, 1, 0, true, "ACBD", 1},  {Reverse, 0, 0, true, "BACD", 0},  {Reverse, 3, 0, false, "ABCD", 3},
        {Move, 2, 1, true, "ACDB", 1},     {Move, 0, 1, true, "CABD", 1},     {Move, 0, 2, true, "CDAB", 2},
        {Move, 2, 0, true, "CDAB", 0},     {Move, 0, 3, false, "ABCD", 3},    {Move, 1, 1, false, "ABCD", 3},
        {Move, -1, 0, false, "ABCD", 3},   {Delete, 1, 0, true, "AD", 0},     {Delete, 0, 0, true, "CD", 0},
        {Delete, 2, 0, true, "AB", 1},     {Delete, 3, 0, false, "ABCD", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "op " << c.op << " leg " << c.leg << " to " << c.to);
        test::PlanWorld world;
        SurveyPlan& plan = world.build();
        for (int i = 1; i <= 4; ++i) plan.addWaypoint(i, mapY(1.0), 1.0, 8.0f + static_cast<float>(i), 4.0f);
        bool done = false;
        if (c.op == Reverse) done = reverseLeg(plan, c.leg);
        if (c.op == Move) done = moveLeg(plan, c.leg, c.to);
        if (c.op == Delete) done = deleteLeg(plan, c.leg);
        EXPECT_EQ(done, c.done);
        EXPECT_EQ(order(plan), c.order);
        EXPECT_EQ(currentIndex(plan), c.current);
        // Each waypoint keeps its own speed.
        for (const Waypoint* w = plan.first(); w; w = w->next) EXPECT_FLOAT_EQ(w->speed, 8.0f + static_cast<float>(w->lon));
        // The current waypoint's marker is the only one highlighted.
        int highlighted = 0;
        for (const Waypoint* w = plan.first(); w; w = w->next) highlighted += w->marker->state == MapPoint::kHighlighted;
        EXPECT_EQ(highlighted, 1);
        EXPECT_EQ(currentLeg(plan), std::min(c.current, legCount(plan) - 1));
    }
}

TEST(LineList, DeletingTheOnlyLegEmptiesThePlan) {
    test::PlanWorld world;
    SurveyPlan& plan = world.build();
    plan.addWaypoint(1.0, mapY(1.0), 1.0, 9.0f, 4.0f);
    plan.addWaypoint(2.0, mapY(1.0), 1.0, 9.0f, 4.0f);
    EXPECT_TRUE(deleteLeg(plan, 0));
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(currentLeg(plan), -1);
    EXPECT_FALSE(reverseLeg(plan, 0));
}

TEST(LineList, ReversingALegTwiceOrUndoingItGivesBackTheSavedPlanByteForByte) {
    test::TempDir dir;
    test::writeFlatDataTile(dir.path(), 4, 0, -2500.0);
    dir.write("LL_start.csv", "1.000000, 5.000000\n1.200000, 5.400000\n1.100000, 5.800000\n1.400000, 6.000000\n");
    NullTextureSink sink;
    std::ostringstream out;
    PlannerState planner(out, sink, dir.path());
    float lat = 0.0f, lon = 0.0f;
    ASSERT_TRUE(planner.loadPlanFile(dir.file("LL_start.csv"), lat, lon));
    ASSERT_TRUE(planner.savePlanFiles(dir.file("before")));

    ASSERT_TRUE(planner.reverseLeg(1));
    ASSERT_TRUE(planner.savePlanFiles(dir.file("reversed")));
    EXPECT_NE(dir.read("reversed.csv"), dir.read("before.csv"));
    ASSERT_TRUE(planner.reverseLeg(1));
    ASSERT_TRUE(planner.savePlanFiles(dir.file("after")));
    EXPECT_EQ(dir.read("after.csv"), dir.read("before.csv"));
    EXPECT_EQ(dir.read("LL_after.csv"), dir.read("LL_before.csv"));
    EXPECT_EQ(dir.read("after.cvt"), dir.read("before.cvt"));

    // Undoing the two reversals gives back the saved plan too.
    ASSERT_TRUE(planner.undo());
    ASSERT_TRUE(planner.undo());
    ASSERT_TRUE(planner.savePlanFiles(dir.file("undone")));
    EXPECT_EQ(dir.read("undone.csv"), dir.read("before.csv"));
    EXPECT_EQ(dir.read("LL_undone.csv"), dir.read("LL_before.csv"));
    EXPECT_EQ(dir.read("undone.cvt"), dir.read("before.cvt"));
    ASSERT_TRUE(planner.redo());
    ASSERT_TRUE(planner.redo());

    // The edited leg stays selected through the swath pass.
    EXPECT_EQ(currentLeg(*planner.plan), 1);
    EXPECT_EQ(planner.plan->current()->marker->state, MapPoint::kHighlighted);
    EXPECT_FALSE(planner.moveLeg(0, 5));
    EXPECT_FALSE(planner.deleteLeg(-1));
}

}  // namespace
}  // namespace tessarin
