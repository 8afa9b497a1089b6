#include "ui/PlanStatsWindow.hpp"

#include <imgui.h>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/PlanReport.hpp"

namespace tessarin {

void drawPlanStatsWindow(AppState& app, PlannerState& planner, PlanStatsWindowState& state, double nowSeconds) {
    const CoverageGrid& coverage = *planner.coverage;
    const std::uint64_t planNow = planFingerprint(*planner.plan);
    if (!app.statsDirty && state.freshness.due(planNow, coverage.statisticsFingerprint, nowSeconds)) {
        app.statsDirty = true;
    }
    const bool updating = app.statsDirty || StatsFreshness::updating(planNow, coverage.statisticsFingerprint);
    const PlanTotals totals = coverage.planTotals(planner.config.boatSpeed);
    const std::vector<std::string> lines =
        planStatsWindowLines(coverage.statistics, totals, planner.config.dayRate, updating);

    if (state.firstShow) {
        const ImGuiIO& io = ImGui::GetIO();
        ImGui::SetNextWindowPos(ImVec2(io.DisplaySize.x * 0.5f * 0.8f, io.DisplaySize.y * 0.5f * 0.8f), 0,
                                ImVec2(0.0f, 0.0f));
        state.firstShow = false;
    }
    ImGui::SetNextWindowSize(ImVec2(330.0f, 300.0f));
    ImGui::Begin("Plan Stats", nullptr,
                 ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoCollapse);
    for (const std::string& line : lines) ImGui::TextUnformatted(line.c_str());
    ImGui::SetCursorPosX(195.0f);
    ImGui::SetCursorPosY(15.0f);
    if (ImGui::Button("Close", ImVec2(50.0f, 20.0f))) app.showStats = false;
    ImGui::End();
}

}  // namespace tessarin
