#include "ui/GuiWindows.hpp"

#include <imgui.h>

#include "ui/PlanStatsWindow.hpp"

namespace tessarin {

void GuiWindows::buildMainMenu() {
    const MenuCommand clicked = drawMainMenu(app_);
    if (clicked != MenuCommand::None) pending_ = clicked;
}

void GuiWindows::buildPointEditor(double lat, double lon, float speed, float depthMultiplier) {
    editor_.draw(lat, lon, speed, depthMultiplier, app_, planner_, shell_);
}

void GuiWindows::buildStatsWindow() {
    drawPlanStatsWindow(app_, planner_, statsWindow_, ImGui::GetTime());
}

void GuiWindows::finishFrame() {
    const MenuCommand command = pending_;
    pending_ = MenuCommand::None;
    runMenuCommand(command, menu_);
}

}  // namespace tessarin
