// The plan's running totals over the map, and the design's "Apply" as one
// undo step, on a planner over a flat floor.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "app/EditHistory.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/PlanCost.hpp"
#include "design/AreaCoverage.hpp"
#include "design/SurveyDesign.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"
#include "ui/PlanStatusLine.hpp"

namespace tessarin {
namespace {

struct FlatPlanner {
    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner;
    FlatPlanner() : planner((test::writeFlatDataTile(dir.path(), 4, 0, -4000.0), out), sink, dir.path()) {
        for (auto [lon, lat] : {std::pair{6.0, 2.0}, {7.0, 2.0}, {7.0, 3.0}, {6.0, 3.0}})
            planner.polygon->addVertex(lon, mapY(lat), lat);
    }
    DesignLayout layout(const SurveyDesign& d) {
        const DesignInputs in{*planner.polygon, planner.tiles, planner.plan->extinctionCurve(), 10.0,
                              planner.config.boatSpeed};
        return layOutDesign(d, in);
    }
};

std::string expectedStatus(PlannerState& p) {
    const PlanTotals t = planTotals(*p.plan, p.config.boatSpeed);
    char text[256];
    std::snprintf(text, sizeof text, "Plan: %.1f nm (%.1f km), %.1f h, %s   Polygon: %.1f km2",
                  static_cast<double>(t.distanceNm), static_cast<double>(t.distanceNm) / 0.53996,
                  static_cast<double>(t.hours), formatCost(mappingTime(t.hours, p.config.dayRate).cost).c_str(),
                  polygonAreaKm2(*p.polygon));
    return text;
}

TEST(PlanStatusLine, FollowsEveryEditOfThePlanAndThePolygon) {
    FlatPlanner f;
    PlanStatusLine status;
    struct Step {
        const char* what;
        void (*edit)(FlatPlanner&);
    };
    const Step steps[] = {
        {"empty plan", [](FlatPlanner&) {}},
        {"a design applied", [](FlatPlanner& p) { p.planner.applyDesign(p.layout(SurveyDesign{})); }},
        {"a vertex moved", [](FlatPlanner& p) { p.planner.polygon->moveCurrentVertex(5.5, mapY(3.0), 3.0); }},
        {"undone", [](FlatPlanner& p) { p.planner.undo(); }},
    };
    std::string before;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.edit(f);
        const std::string line = status.text(f.planner);
        EXPECT_EQ(line, expectedStatus(f.planner));
        EXPECT_NE(line, before);
        before = line;
    }
}

TEST(SurveyDesignApply, AddsTheLinesAsOneUndoStep) {
    FlatPlanner f;
    SurveyDesign d;
    d.crosslineSpacingM = 30000.0;
    const DesignLayout layout = f.layout(d);
    ASSERT_GT(layout.lines.size(), 4u);
    f.planner.plan->addWaypoint(5.0, mapY(1.0), 1.0, 10.0f, 4.0f);  // a waypoint laid before
    f.planner.history().clear();
    ASSERT_TRUE(f.planner.applyDesign(layout));
    EXPECT_EQ(f.planner.plan->waypointCount(), 1 + 2 * static_cast<int>(layout.lines.size()));
    // The lines follow the waypoint there was, in the layout's order.
    const Waypoint* w = f.planner.plan->first()->next;
    for (const DesignLine& l : layout.lines) {
        ASSERT_NE(w, nullptr);
        EXPECT_NEAR(w->lon, l.ax, 1e-9);
        EXPECT_NEAR(w->next->lon, l.bx, 1e-9);
        EXPECT_GT(w->sampleCount, 0) << "swaths generated";
        w = w->next->next;
    }
    ASSERT_TRUE(f.planner.undo());
    EXPECT_EQ(f.planner.plan->waypointCount(), 1);
    EXPECT_FALSE(f.planner.history().canUndo());
    // Nothing to apply: no step.
    EXPECT_FALSE(f.planner.applyDesign(DesignLayout{}));
    EXPECT_FALSE(f.planner.history().canUndo());
}

}  // namespace
}  // namespace tessarin
