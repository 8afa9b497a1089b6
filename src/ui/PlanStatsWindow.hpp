#pragma once
// The "Plan Stats" window: the areas of the statistics with the plan's
// distance, time and cost. Drawn every frame while showStats is set, inside a
// GUI frame; its "Close" button clears showStats. Distance, time and cost
// follow the plan every frame; after an edit the areas are recomputed once
// the plan has stayed unchanged for a moment, and until then the window says
// that they are updating.

#include "coverage/StatsFreshness.hpp"

namespace tessarin {

struct AppState;
class PlannerState;

// Kept by the caller for the life of the program.
struct PlanStatsWindowState {
    bool firstShow = true;  // places the window on its first showing
    StatsFreshness freshness;
};

// nowSeconds: a clock in seconds (the GUI's). When the areas are due it sets
// statsDirty, so the frame's map pass computes them.
void drawPlanStatsWindow(AppState& app, PlannerState& planner, PlanStatsWindowState& state, double nowSeconds);

}  // namespace tessarin
