#pragma once
// The GUI windows of every frame: the main menu, the point editor, the
// statistics window and the design windows. A menu item clicked while the
// frame's GUI is being built runs once that frame has been shown, outside the
// GUI frame, so file choosers may block or run GUI frames of their own.

#include "app/FrameCycle.hpp"
#include "design/ProfileCache.hpp"
#include "ui/LinesWindow.hpp"
#include "ui/MainMenu.hpp"
#include "ui/PlanStatsWindow.hpp"
#include "ui/PointEditor.hpp"
#include "ui/PlanStatusLine.hpp"
#include "ui/ProfileWindow.hpp"
#include "ui/SurveyDesignWindow.hpp"

namespace tessarin {

class GuiWindows : public FrameWindows {
public:
    GuiWindows(AppState& app, PlannerState& planner, Stopwatch& stopwatch, FileChooser& chooser, MenuShell& shell)
        : app_(app), planner_(planner), shell_(shell), menu_{app, planner, stopwatch, chooser, shell} {}

    void buildMainMenu() override;
    void buildPointEditor(double lat, double lon, float speed, float depthMultiplier) override;
    void buildStatsWindow() override;
    void buildDesignWindows() override;
    void drawMapOverlays() override;
    void finishFrame() override;

private:
    AppState& app_;
    PlannerState& planner_;
    MenuShell& shell_;
    MenuContext menu_;
    PointEditor editor_;
    MenuCommand pending_ = MenuCommand::None;
    PlanStatsWindowState statsWindow_;
    // Profile and line list share one computation per plan change.
    ProfileCache design_;
    ProfileWindow profile_;
    LinesWindow lines_;
    SurveyDesignWindow surveyDesign_;
    PlanStatusLine status_;
};

}  // namespace tessarin
