#include "ui/GuiWindows.hpp"

#include <imgui.h>

#include "app/AppState.hpp"
#include "app/EditHistory.hpp"
#include "app/PlannerState.hpp"
#include "ui/PlanStatsWindow.hpp"

namespace tessarin {

void GuiWindows::buildMainMenu() {
    EditMenuState edit;
    edit.canUndo = planner_.history().canUndo();
    edit.canRedo = planner_.history().canRedo();
    edit.recoveryOffered = shell_.recoveryOffered();
    const MenuCommand clicked = drawMainMenu(app_, edit);
    if (clicked != MenuCommand::None) pending_ = clicked;
}

void GuiWindows::buildPointEditor(double lat, double lon, float speed, float depthMultiplier) {
    editor_.draw(lat, lon, speed, depthMultiplier, app_, planner_, shell_);
}

void GuiWindows::buildStatsWindow() {
    drawPlanStatsWindow(app_, planner_, statsWindow_, ImGui::GetTime());
}

void GuiWindows::buildDesignWindows() {
    app_.profileMarkShown = false;
    status_.draw(planner_);
    surveyDesign_.draw(app_, planner_);
    if (!app_.showProfile && !app_.showLines) return;
    design_.refresh(*planner_.plan, planner_.tiles);
    if (app_.showProfile) profile_.draw(app_, planner_, design_);
    if (app_.showLines) lines_.draw(app_, planner_, design_);
}

void GuiWindows::drawMapOverlays() { surveyDesign_.drawPreview(app_); }

void GuiWindows::finishFrame() {
    const MenuCommand command = pending_;
    pending_ = MenuCommand::None;
    runMenuCommand(command, menu_);
}

}  // namespace tessarin
