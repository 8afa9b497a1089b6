// The "Plan Stats" window in a GUI context without a window system: where it
// first opens, its size, and its "Close" button clearing showStats.

#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <sstream>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
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

}  // namespace
}  // namespace tessarin
