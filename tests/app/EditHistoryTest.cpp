// Undo and redo through the planner: every kind of change put back exactly
// (positions, speeds, multipliers, turns and every swath sample) and done
// again, without a swath recomputed; one step per drag; the depth of the
// history; redo steps kept by operations that change nothing and cleared by
// real changes; the benchmark giving the plan back.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

#include "app/EditHistory.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/RecordingProgress.hpp"
#include "support/TempDir.hpp"
#include "support/TextCount.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

// Every value of the plan and polygon, floats in hexadecimal so that equal
// text means equal bits.
std::string dump(const PlannerState& p) {
    std::string s;
    char b[160];
    for (const Waypoint* w = p.plan->first(); w; w = w->next) {
        std::snprintf(b, sizeof b, "W %a %a %a %a %a %d %a %a %a %a %a %a %a\n", w->lon, w->lat, w->y,
                      double{w->speed}, double{w->depthMultiplier}, w->sampleCount, double{w->areaKm2},
                      double{w->lengthKm}, w->turnRadius, w->turnCentreX, w->turnCentreY, w->legStartX,
                      w->legStartY);
        s += b;
        for (int i = 0; i < w->sampleCount && i < Waypoint::kMaxSamples; ++i) {
            std::snprintf(b, sizeof b, "%a %a %a %a %a %a\n", double{w->rightX[i]}, double{w->rightY[i]},
                          double{w->leftX[i]}, double{w->leftY[i]}, double{w->rightReach[i]},
                          double{w->leftReach[i]});
            s += b;
        }
    }
    if (const PolygonVertex* first = p.polygon->first()) {
        const PolygonVertex* v = first;
        do {
            std::snprintf(b, sizeof b, "V %a %a %a\n", v->x, v->y, v->lat);
            s += b;
            v = v->next;
        } while (v != first);
    }
    return s;
}

// A flat 4000 m floor over 4..12 E, 0..8 N.
class EditHistoryTest : public ::testing::Test {
public:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        test::writeFlatDataTile(dir_->path(), 4, 0, -4000.0);
        dir_->write("config.txt", "depth_multiplier 4.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    EditHistoryTest() : planner(out, sink, dir_->path()) { planner.setProgress(&progress); }

    bool act(int action, double lon, double lat) {
        double x = lon, y = mapY(lat), la = lat;
        return planner.editAction(action, x, y, la, 5.0f);
    }
    void addWaypoints(int n) {
        for (int i = 0; i < n; ++i) act(1, 5.0 + 0.3 * i, 1.0 + 0.2 * (i % 3));
    }
    void addSquare() {
        for (const auto& v : {std::pair{5.0, 0.5}, {6.0, 0.5}, {6.0, 1.5}, {5.0, 1.5}}) act(5, v.first, v.second);
    }
    std::string savedPlanFile() {
        planner.savePlanFiles(dir_->file("saved"));
        return dir_->read("saved.csv");
    }
    int swathRuns() {
        const int n = test::countOf(out.str(), "genSwaths");
        out.str("");
        return n;
    }

    static test::TempDir* dir_;
    std::ostringstream out;
    NullTextureSink sink;
    test::RecordingProgress progress;
    PlannerState planner;
};

test::TempDir* EditHistoryTest::dir_ = nullptr;

TEST_F(EditHistoryTest, EveryKindOfChangeIsUndoneAndRedoneExactly) {
    struct Case {
        const char* name;
        std::function<void(EditHistoryTest&)> setUp;
        std::function<void(EditHistoryTest&)> change;
    };
    auto plan3 = [](EditHistoryTest& t) { t.addWaypoints(3); };
    auto planAndSquare = [](EditHistoryTest& t) {
        t.addWaypoints(3);
        t.planner.plan->generateSwaths(true);
        t.addSquare();
    };
    const Case cases[] = {
        {"add waypoint", plan3, [](EditHistoryTest& t) { t.act(1, 7.0, 2.0); }},
        {"drag a waypoint: one step", plan3,
         [](EditHistoryTest& t) {
             t.act(2, 5.3, 1.2);
             for (int i = 1; i <= 4; ++i) t.act(3, 5.3 + 0.1 * i, 1.2 + 0.05 * i);
             t.planner.finishEdit(3);
         }},
        {"delete a held waypoint", plan3,
         [](EditHistoryTest& t) {
             t.act(2, 5.3, 1.2);
             t.act(4, 5.3, 1.2);
         }},
        {"editor Enter", plan3, [](EditHistoryTest& t) { t.planner.setWaypoint(1.7, 6.2, 12.5f, 3.0f); }},
        {"fill", planAndSquare, [](EditHistoryTest& t) { t.planner.fillPolygon(false); }},
        {"load plan",
         [](EditHistoryTest& t) {
             t.addWaypoints(2);
             t.planner.savePlanFiles(dir_->file("loaded"));
             t.planner.deleteTrack();
             t.addWaypoints(1);
         },
         [](EditHistoryTest& t) {
             float lat = 0.0f, lon = 0.0f;
             t.planner.loadPlanFile(dir_->file("loaded.csv"), lat, lon);
         }},
        {"load polygon",
         [](EditHistoryTest& t) {
             t.addSquare();
             t.planner.savePolygonFile(dir_->file("area.csv"));
             t.planner.deletePolygon();
         },
         [](EditHistoryTest& t) { t.planner.loadPolygonFile(dir_->file("area.csv")); }},
        {"Delete Track", planAndSquare, [](EditHistoryTest& t) { t.planner.deleteTrack(); }},
        {"Delete Plan", planAndSquare, [](EditHistoryTest& t) { t.planner.deletePlan(); }},
        {"Delete Polygon", planAndSquare, [](EditHistoryTest& t) { t.planner.deletePolygon(); }},
        {"Tab rotation", planAndSquare, [](EditHistoryTest& t) { t.planner.rotatePolygon(); }},
        {"polygon point added", planAndSquare, [](EditHistoryTest& t) { t.act(5, 5.5, 2.0); }},
        {"polygon point dragged", planAndSquare,
         [](EditHistoryTest& t) {
             t.act(6, 6.0, 1.5);
             t.act(7, 6.2, 1.6);
             t.act(7, 6.4, 1.7);
             t.planner.finishEdit(7);
         }},
        {"polygon point deleted", planAndSquare, [](EditHistoryTest& t) { t.planner.deletePolygonVertex(); }},
        {"polygon editor Enter", planAndSquare, [](EditHistoryTest& t) { t.planner.updatePolygonVertex(2.0, 6.5); }},
        {"line list: reverse", planAndSquare, [](EditHistoryTest& t) { t.planner.reverseLeg(1); }},
        {"line list: move", planAndSquare, [](EditHistoryTest& t) { t.planner.moveLeg(0, 1); }},
        {"line list: delete", planAndSquare, [](EditHistoryTest& t) { t.planner.deleteLeg(0); }},
        {"import area", planAndSquare,
         [](EditHistoryTest& t) {
             dir_->write("area.geojson",
                         "{\"type\":\"FeatureCollection\",\"features\":[{\"type\":\"Feature\",\"properties\":{},"
                         "\"geometry\":{\"type\":\"Polygon\",\"coordinates\":[[[5.2,0.6],[5.8,0.6],[5.8,1.2],"
                         "[5.2,1.2],[5.2,0.6]]]}}]}");
             std::ostringstream report;
             ASSERT_TRUE(t.planner.importArea(dir_->file("area.geojson"), 1, report)) << report.str();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        planner.deletePlan();
        planner.history().clear();
        c.setUp(*this);
        const std::string before = dump(planner);
        c.change(*this);
        const std::string after = dump(planner);
        ASSERT_NE(after, before);
        swathRuns();
        ASSERT_TRUE(planner.undo());
        EXPECT_EQ(dump(planner), before);
        ASSERT_TRUE(planner.redo());
        EXPECT_EQ(dump(planner), after);
        // Restored, not recomputed.
        EXPECT_EQ(swathRuns(), 0);
    }
}

TEST_F(EditHistoryTest, TenWaypointsAFillAndDeletePlanComeBackByteForByte) {
    addWaypoints(10);
    addSquare();
    const std::string tenOnly = savedPlanFile();
    planner.fillPolygon(false);
    const std::string filled = savedPlanFile();
    ASSERT_GT(planner.plan->waypointCount(), 10);
    planner.deletePlan();
    const std::string deleted = savedPlanFile();

    ASSERT_TRUE(planner.undo());
    EXPECT_EQ(savedPlanFile(), filled);
    ASSERT_TRUE(planner.undo());
    EXPECT_EQ(savedPlanFile(), tenOnly);
    EXPECT_EQ(planner.plan->waypointCount(), 10);
    ASSERT_TRUE(planner.redo());
    ASSERT_TRUE(planner.redo());
    EXPECT_EQ(savedPlanFile(), deleted);
    EXPECT_TRUE(planner.plan->empty());
    EXPECT_FALSE(planner.redo());
}

TEST_F(EditHistoryTest, KeepsTheNewestStepsAndDropsTheOldest) {
    static_assert(EditHistory::kMaxSteps >= 200);
    const int added = static_cast<int>(EditHistory::kMaxSteps) + 40;
    for (int i = 0; i < added; ++i) act(1, 5.0 + 0.01 * i, 1.0);
    EXPECT_EQ(planner.history().undoSteps(), EditHistory::kMaxSteps);
    int undone = 0;
    while (planner.undo()) ++undone;
    EXPECT_EQ(undone, static_cast<int>(EditHistory::kMaxSteps));
    EXPECT_EQ(planner.plan->waypointCount(), added - undone);
}

TEST_F(EditHistoryTest, RedoIsClearedByAChangeButNotByAnOperationThatChangesNothing) {
    addWaypoints(3);
    ASSERT_TRUE(planner.undo());
    ASSERT_EQ(planner.history().redoSteps(), 1u);

    // Nothing to delete, nothing to fill: no step, and redo survives.
    planner.deletePolygonVertex();
    planner.fillPolygon(false);
    planner.rotatePolygon();
    EXPECT_EQ(planner.plan->waypointCount(), 2);
    ASSERT_TRUE(planner.redo());
    EXPECT_EQ(planner.plan->waypointCount(), 3);

    ASSERT_TRUE(planner.undo());
    act(1, 9.0, 3.0);
    EXPECT_FALSE(planner.redo());
    // The empty operations left no step to undo either: two undos reach the
    // first waypoint's plan.
    ASSERT_TRUE(planner.undo());
    ASSERT_TRUE(planner.undo());
    EXPECT_EQ(planner.plan->waypointCount(), 1);
}

TEST_F(EditHistoryTest, TheBenchmarkGivesThePlanBack) {
    addWaypoints(4);
    planner.plan->generateSwaths(true);
    addSquare();
    const std::string before = dump(planner);
    planner.writeTransitBenchmark();
    EXPECT_EQ(test::countOf(dir_->read("Transits.csv"), "\n"), 3);
    EXPECT_EQ(dump(planner), before);
}

TEST_F(EditHistoryTest, UnsavedWorkIsTrackedAgainstTheLastSaveOrLoad) {
    EditHistory& h = planner.history();
    EXPECT_FALSE(h.planUnsaved());
    addWaypoints(2);
    EXPECT_TRUE(h.planUnsaved());
    EXPECT_FALSE(h.polygonUnsaved());
    savedPlanFile();
    EXPECT_FALSE(h.planUnsaved());
    addSquare();
    EXPECT_TRUE(h.polygonUnsaved());
    planner.savePolygonFile(dir_->file("square.csv"));
    EXPECT_FALSE(h.polygonUnsaved());
    planner.undo();  // the last vertex
    EXPECT_TRUE(h.polygonUnsaved());
}

}  // namespace
}  // namespace tessarin
