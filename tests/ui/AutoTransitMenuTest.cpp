// The "AutoTransit" menu's three planning entries, run as the menu runs them
// on a plan of one leg in a world without tiles: each asks for its own kind
// of transit (a free transit between the set points, or the current leg
// replaced; abutting mapped floor or crossing unmapped floor).

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/RecordingProgress.hpp"
#include "support/TempDir.hpp"
#include "transit/TransitPlanner.hpp"
#include "ui/MainMenu.hpp"

namespace tessarin {
namespace {

class NoChooser : public FileChooser {
public:
    std::string openFile(const FileFilter&) override { return ""; }
    std::string saveFile(const FileFilter&) override { return ""; }
};

class NoShell : public MenuShell {
public:
    void setPointer(PointerShape) override {}
    void showBusyScreen() override {}
};

TEST(AutoTransitMenu, EachEntryAsksForItsOwnKindOfTransit) {
    struct Row {
        MenuCommand command;
        const char* label;
        int waypointsAfter;        // 2 + 8 for a free transit, 2 + 6 for a leg
        double firstTransitLon;    // where the transit starts
        long firstSegmentStages;   // 5 fits abutting, 1 search over unmapped floor
        bool timed;                // prints "TIME "
    };
    const Row rows[] = {
        {MenuCommand::GenTransit, "Gen Transit", 10, -120.0, 5, true},
        {MenuCommand::LegTransitAbut, "Leg Transit Abut", 8, -150.0, 5, false},
        {MenuCommand::LegTransitUnmap, "Leg Transit Unmap", 8, -150.0, 1, false},
    };
    for (const Row& r : rows) {
        test::TempDir dir;
        std::ostringstream out;
        NullTextureSink sink;
        PlannerState planner(out, sink, dir.path());
        test::RecordingProgress progress;
        planner.setProgress(&progress);
        AppState app;
        Stopwatch stopwatch;
        stopwatch.start();
        NoChooser chooser;
        NoShell shell;
        MenuContext context{app, planner, stopwatch, chooser, shell};

        planner.plan->addWaypoint(-150.0, PlannerState::mapY(20.0), 20.0, 9.0f, 4.0f);
        planner.plan->addWaypoint(-140.0, PlannerState::mapY(24.0), 24.0, 9.0f, 4.0f);
        planner.setDemoTransit(30.0f, -120.0f, 25.0f, -130.0f);
        out.str("");
        runMenuCommand(r.command, context);

        EXPECT_EQ(planner.plan->waypointCount(), r.waypointsAfter) << r.label;
        const Waypoint* w = planner.plan->first();
        if (r.waypointsAfter == 10) w = w->next->next;  // after the plan's leg
        EXPECT_NEAR(w->lon, r.firstTransitLon, 1e-4) << r.label;
        EXPECT_NE(std::find(progress.calls.begin(), progress.calls.end(),
                            "begin Transit segment 1 " + std::to_string(r.firstSegmentStages)),
                  progress.calls.end())
            << r.label;
        EXPECT_EQ(out.str().find("TIME ") != std::string::npos, r.timed) << r.label;
        EXPECT_EQ(app.editMode, PickWaypoint) << r.label;
    }
}

}  // namespace
}  // namespace tessarin
