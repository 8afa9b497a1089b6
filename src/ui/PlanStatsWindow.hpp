#pragma once
// The "Plan Stats" window: the areas of the last statistics with the plan's
// distance, time and cost. Drawn every frame while showStats is set, inside a
// GUI frame; its "Close" button clears showStats.

namespace tessarin {

struct AppState;
class PlannerState;

// firstShow places the window on its first showing and is then cleared; the
// caller keeps it for the life of the program, starting true.
void drawPlanStatsWindow(AppState& app, PlannerState& planner, bool& firstShow);

}  // namespace tessarin
