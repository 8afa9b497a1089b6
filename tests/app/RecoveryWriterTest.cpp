// The recovery files: written after changes, read back to full precision,
// offered to the next session only when the work was not saved, recovered
// as one undo step; damaged files bring back only what they hold.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "app/EditHistory.hpp"
#include "app/PlannerState.hpp"
#include "app/RecoveryWriter.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

struct Session {
    explicit Session(const test::TempDir& dir)
        : planner(out, sink, dir.path()), recovery(planner, dir.path() + "recovery") {}

    void addWaypoint(double lon, double lat) {
        double x = lon, y = mapY(lat), la = lat;
        planner.editAction(1, x, y, la, 5.0f);
    }
    void addVertex(double lon, double lat) {
        double x = lon, y = mapY(lat), la = lat;
        planner.editAction(5, x, y, la, 5.0f);
    }

    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner;
    RecoveryWriter recovery;
};

TEST(RecoveryWriter, WritesAfterChangesAndReadsBackEveryDigit) {
    test::TempDir dir;
    Session s(dir);
    s.addWaypoint(-140.123456789012, 20.987654321098);
    s.addWaypoint(-139.5, 21.25);
    s.planner.setWaypoint(21.25, -139.5, 11.75f, 3.5f);
    s.addVertex(-141.0, 19.0);
    s.addVertex(-138.0, 19.5);
    ASSERT_TRUE(s.recovery.update());

    RecoveredWork work;
    ASSERT_TRUE(RecoveryWriter::read(dir.path() + "recovery", work));
    ASSERT_EQ(work.waypoints.size(), 2u);
    const Waypoint* first = s.planner.plan->first();
    EXPECT_EQ(work.waypoints[0].lon, first->lon);
    EXPECT_EQ(work.waypoints[0].lat, first->lat);
    EXPECT_EQ(work.waypoints[0].y, first->y);
    EXPECT_EQ(work.waypoints[1].speed, 11.75f);
    EXPECT_EQ(work.waypoints[1].depthMultiplier, 3.5f);
    ASSERT_EQ(work.vertices.size(), 2u);
    EXPECT_EQ(work.vertices[1].lat, 19.5);
    EXPECT_TRUE(work.planUnsaved);
    EXPECT_TRUE(work.polygonUnsaved);
    EXPECT_FALSE(work.withTurns);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "recovery/plan.csv.tmp"));

    // Saved: the state says so, and nothing is offered to the next session.
    s.planner.savePlanFiles(dir.file("trip"));
    s.planner.savePolygonFile(dir.file("area.csv"));
    s.recovery.update();
    ASSERT_TRUE(RecoveryWriter::read(dir.path() + "recovery", work));
    EXPECT_FALSE(work.planUnsaved);
    EXPECT_FALSE(work.polygonUnsaved);
    Session next(dir);
    EXPECT_FALSE(next.recovery.offerLastSession());
}

TEST(RecoveryWriter, UnsavedWorkIsOfferedAndRecoveredAsOneStep) {
    test::TempDir dir;
    {
        Session killed(dir);
        killed.addWaypoint(-140.0, 20.0);
        killed.addWaypoint(-139.0, 20.5);
        killed.addWaypoint(-138.5, 21.0);
        killed.planner.setWaypoint(21.0, -138.5, 7.5f, 2.5f);
        killed.addVertex(-141.0, 19.0);
        killed.recovery.update();
    }
    Session s(dir);
    ASSERT_TRUE(s.recovery.offerLastSession());
    // The offer survives this session's own writes.
    s.addWaypoint(-100.0, 10.0);
    s.recovery.update();
    ASSERT_TRUE(s.recovery.recover());
    EXPECT_FALSE(s.recovery.offered());
    ASSERT_EQ(s.planner.plan->waypointCount(), 3);
    double lat = 0.0, lon = 0.0;
    float speed = 0.0f, mult = 0.0f;
    const Waypoint* last = s.planner.plan->first()->next->next;
    EXPECT_EQ(last->lon, -138.5);
    EXPECT_EQ(last->speed, 7.5f);
    EXPECT_EQ(last->depthMultiplier, 2.5f);
    EXPECT_GT(s.planner.plan->first()->sampleCount, 0);  // swaths rebuilt
    EXPECT_EQ(s.planner.polygon->vertexCount(), 1);
    ASSERT_TRUE(s.planner.plan->getCurrent(lat, lon, speed, mult));

    // One undo gives this session's plan back.
    ASSERT_TRUE(s.planner.undo());
    ASSERT_EQ(s.planner.plan->waypointCount(), 1);
    EXPECT_EQ(s.planner.plan->first()->lon, -100.0);
    EXPECT_FALSE(s.recovery.recover());
}

TEST(RecoveryWriter, DamagedFilesBringBackOnlyWhatTheyHold) {
    test::TempDir dir;
    dir.write("recovery/state", "plan unsaved\npolygon saved\n");
    dir.write("recovery/plan.csv",
              "Lon, Lat, M_Lat, Speed, Mult\n"
              "-140, 20, 20.4, 9, 4\n"
              "garbage line\n"
              "-139, 70, 90, 9, 4\n"     // north of the planner's limit
              "-139, nan, 20, 9, 4\n"    // not a number
              "-138, 21\n"               // too few values
              "-137.5, 21.5, 21.9, 8, 3\n"
              "turns 1\n");
    dir.write("recovery/polygon.csv", "Lon, Lat\n-141, 19\n,,\n");
    RecoveredWork work;
    ASSERT_TRUE(RecoveryWriter::read(dir.path() + "recovery", work));
    ASSERT_EQ(work.waypoints.size(), 2u);
    EXPECT_EQ(work.waypoints[1].lon, -137.5);
    EXPECT_TRUE(work.withTurns);
    EXPECT_EQ(work.vertices.size(), 1u);
    EXPECT_TRUE(work.planUnsaved);
    EXPECT_FALSE(work.polygonUnsaved);

    test::TempDir empty;
    EXPECT_FALSE(RecoveryWriter::read(empty.path() + "recovery", work));
    Session s(empty);
    EXPECT_FALSE(s.recovery.offerLastSession());
}

}  // namespace
}  // namespace tessarin
