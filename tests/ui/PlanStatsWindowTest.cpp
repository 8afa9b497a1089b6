// The "Plan Stats" window in a GUI context without a window system: where it
// first opens, its size, its "Close" button clearing showStats, and the
// areas recomputed once an edited plan has settled.

#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <sstream>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/PlanReport.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "ui/PlanStatsWindow.hpp"

namespace tessarin {
namespace {

class PlanStatsWindowTest : public ::testing::Test {
protected:
    PlanStatsWindowTest() : planner(out, sink, dir.path()) {
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(1900.0f, 950.0f);
        io.DeltaTime = 1.0f / 60.0f;
        io.IniFilename = nullptr;
        unsigned char* pixels = nullptr;
        int w = 0, h = 0;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    }
    ~PlanStatsWindowTest() override { ImGui::DestroyContext(); }

    void frame() {
        ImGui::NewFrame();
        if (app.showStats) drawPlanStatsWindow(app, planner, state, now);
        ImGui::Render();
    }

    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner;
    AppState app;
    PlanStatsWindowState state;
    double now = 0.0;
};

TEST_F(PlanStatsWindowTest, OpensAtFourTenthsOfTheDisplayAndCloses) {
    app.showStats = true;
    frame();
    EXPECT_FALSE(state.firstShow);
    ImGuiWindow* window = ImGui::FindWindowByName("Plan Stats");
    ASSERT_NE(window, nullptr);
    EXPECT_FLOAT_EQ(window->Pos.x, 760.0f);
    EXPECT_FLOAT_EQ(window->Pos.y, 380.0f);
    EXPECT_FLOAT_EQ(window->Size.x, 330.0f);
    EXPECT_FLOAT_EQ(window->Size.y, 300.0f);
    EXPECT_TRUE(window->Flags & ImGuiWindowFlags_NoResize);
    EXPECT_TRUE(window->Flags & ImGuiWindowFlags_NoCollapse);

    // Press and release inside the 50 x 20 button at (195, 15) in the window.
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(window->Pos.x + 220.0f, window->Pos.y + 25.0f);
    io.MouseDown[0] = true;
    frame();
    EXPECT_TRUE(app.showStats);
    io.MouseDown[0] = false;
    frame();
    EXPECT_FALSE(app.showStats);
}

TEST_F(PlanStatsWindowTest, ClicksBesideTheButtonKeepItOpen) {
    app.showStats = true;
    frame();
    ImGuiWindow* window = ImGui::FindWindowByName("Plan Stats");
    ASSERT_NE(window, nullptr);
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(window->Pos.x + 150.0f, window->Pos.y + 25.0f);
    io.MouseDown[0] = true;
    frame();
    io.MouseDown[0] = false;
    frame();
    EXPECT_TRUE(app.showStats);
}

TEST_F(PlanStatsWindowTest, AreasAreRecomputedOnceAnEditedPlanHasSettled) {
    struct Step {
        double now;         // seconds
        bool edit;          // a waypoint is added before the frame
        bool expectDirty;   // the frame asks for the areas
    };
    const Step steps[] = {
        {1.0, false, false}, {2.0, true, false},  {2.3, false, false}, {2.4, true, false},
        {2.8, false, false}, {3.0, false, true},  {4.0, false, false}, {9.0, false, false},
    };
    // "Stats" opens the window and computes the areas, as the frame does.
    app.showStats = true;
    planner.computePlanStatistics();
    double lon = 10.0;
    for (const Step& s : steps) {
        if (s.edit) planner.plan->addWaypoint(lon += 0.5, 0.0, 0.0, 9.0f, 4.0f);
        now = s.now;
        frame();
        EXPECT_EQ(app.statsDirty, s.expectDirty) << "at " << s.now;
        // The frame's map pass computes what was asked for.
        if (app.statsDirty) {
            planner.computePlanStatistics();
            app.statsDirty = false;
        }
    }
    const std::vector<std::string> lines =
        planStatsWindowLines(PlanStatistics{}, PlanTotals{}, 1000.0f, true);
    ASSERT_GT(lines.size(), 5u);
    EXPECT_EQ(lines[5], kAreasUpdatingLine) << "under the four areas";
}

}  // namespace
}  // namespace tessarin
