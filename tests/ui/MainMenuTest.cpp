// Menu effects on AppState and the planner, called without a window, with a
// scripted file chooser and a recording shell.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "area/SurveyPolygon.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "ui/MainMenu.hpp"

namespace tessarin {
namespace {

// Answers the dialogs from a script and records what was asked.
class ScriptedChooser : public FileChooser {
public:
    std::deque<std::string> answers;
    std::vector<std::string> asked;  // "open <pattern>" or "save <pattern>"

    std::string openFile(const FileFilter& f) override {
        titles.push_back(takeTitle(false));
        return answer("open " + f.pattern);
    }
    std::string saveFile(const FileFilter& f) override {
        titles.push_back(takeTitle(true));
        return answer("save " + f.pattern);
    }
    bool confirmReplace(const std::vector<std::string>& files) override {
        questions.push_back(files);
        return replace;
    }

    std::vector<std::string> titles;
    std::vector<std::vector<std::string>> questions;
    bool replace = true;

private:
    std::string answer(const std::string& what) {
        asked.push_back(what);
        if (answers.empty()) return "";
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
};

class RecordingShell : public MenuShell {
public:
    std::vector<PointerShape> pointers;
    int busyScreens = 0;
    void setPointer(PointerShape shape) override { pointers.push_back(shape); }
    void showBusyScreen() override { ++busyScreens; }
};

struct MenuWorld {
    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner{out, sink, dir.path()};
    AppState app;
    Stopwatch stopwatch;
    ScriptedChooser chooser;
    RecordingShell shell;
    MenuContext context{app, planner, stopwatch, chooser, shell};

    void run(MenuCommand c) { runMenuCommand(c, context); }
    void addWaypoint(double lon, double lat) {
        planner.plan->addWaypoint(lon, PlannerState::mapY(lat), lat, 9.0f, 4.0f);
    }
    void addVertex(double lon, double lat) { planner.polygon->addVertex(lon, PlannerState::mapY(lat), lat); }
    std::string takeOutput() {
        std::string s = out.str();
        out.str("");
        return s;
    }
};

TEST(MainMenu, LabelsInBarOrder) {
    std::size_t count = 0;
    const Menu* menus = mainMenus(count);
    std::vector<std::string> labels;
    for (std::size_t m = 0; m < count; ++m) {
        std::string line = std::string(menus[m].label) + ":";
        for (std::size_t i = 0; i < menus[m].count; ++i) line += std::string(" ") + menus[m].items[i].label + ";";
        labels.push_back(line);
    }
    const std::vector<std::string> expected = {
        "File: Load plan; Save plan as...; Load polygon; Save polygon; Load shapefile; Import area...;",
        "Plan: Add Waypts; Edit Waypts; Draw Polygon; Fill Polygon; Check Depths; Delete Track; Delete Plan; "
        "Delete Polygon;",
        "AutoTransit: Set Start Pt; Set End Pt; Show Great Circle; Gen Transit; Leg Transit Abut; Leg Transit "
        "Unmap;",
    };
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(csvFilter().name, "Comma-separated values files (*.csv)");
    EXPECT_EQ(shapefileFilter().pattern, "*.shp");
}

TEST(MainMenu, PlanModes) {
    struct Case {
        MenuCommand command;
        EditMode mode;
        PointerShape pointer;
        bool editorVisible;
        bool holdCleared;
    };
    const Case cases[] = {
        {MenuCommand::AddWaypoints, AddWaypoint, PointerShape::Crosshair, false, false},
        {MenuCommand::EditWaypoints, PickWaypoint, PointerShape::Cycle, true, false},
        {MenuCommand::DrawPolygon, AddPolygonPoint, PointerShape::Crosshair, false, false},
        {MenuCommand::FillPolygon, PickPolygonPoint, PointerShape::Cycle, true, false},
        {MenuCommand::CheckDepths, Idle, PointerShape::LeftArrow, false, true},
        {MenuCommand::DeleteTrack, Idle, PointerShape::LeftArrow, false, true},
        {MenuCommand::DeletePlan, Idle, PointerShape::LeftArrow, false, true},
        {MenuCommand::DeletePolygon, Idle, PointerShape::LeftArrow, false, true},
    };
    for (const Case& c : cases) {
        MenuWorld w;
        w.app.editMode = SetStartPoint;
        w.app.editorVisible = !c.editorVisible;
        w.planner.editHold = PlannerState::kHoldPoint;
        w.run(c.command);
        EXPECT_EQ(w.app.editMode, c.mode) << static_cast<int>(c.command);
        ASSERT_EQ(w.shell.pointers.size(), 1u);
        EXPECT_EQ(w.shell.pointers[0], c.pointer);
        EXPECT_EQ(w.app.editorVisible, c.editorVisible);
        EXPECT_EQ(w.planner.editHold, c.holdCleared ? PlannerState::kHoldNone : PlannerState::kHoldPoint);
        EXPECT_TRUE(w.chooser.asked.empty());
    }
}

TEST(MainMenu, DeletesKeepWhatTheyDoNotName) {
    struct Case {
        MenuCommand command;
        const char* printed;
        bool planKept, polygonKept;
    };
    const Case cases[] = {
        {MenuCommand::DeleteTrack, "Delete Plan\n", false, true},
        {MenuCommand::DeletePlan, "Delete Plan\n", false, false},
        {MenuCommand::DeletePolygon, "Delete Polygon\n", true, false},
    };
    for (const Case& c : cases) {
        MenuWorld w;
        w.addWaypoint(-140.0, 20.0);
        w.addWaypoint(-139.0, 20.0);
        w.addVertex(-141.0, 19.0);
        w.addVertex(-138.0, 19.0);
        w.addVertex(-138.0, 22.0);
        w.takeOutput();
        w.run(c.command);
        EXPECT_NE(w.takeOutput().find(c.printed), std::string::npos) << c.printed;
        EXPECT_EQ(w.planner.plan->waypointCount(), c.planKept ? 2 : 0);
        EXPECT_EQ(w.planner.polygon->vertexCount(), c.polygonKept ? 3 : 0);
    }
}

TEST(MainMenu, SavePlanWritesTheFilesUnderTheTypedName) {
    MenuWorld w;
    w.addWaypoint(-140.0, 20.0);
    w.addWaypoint(-139.0, 21.0);

    // Cancelled: nothing is written.
    w.run(MenuCommand::SavePlanAs);
    EXPECT_EQ(w.chooser.asked, std::vector<std::string>{"save *.csv"});
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(w.dir.path())) files.push_back(e.path().filename());
    EXPECT_TRUE(files.empty());

    // The suffixes go after the name as typed, even one ending in .csv.
    w.chooser.answers = {w.dir.file("trip"), w.dir.file("twice.csv")};
    w.run(MenuCommand::SavePlanAs);
    w.run(MenuCommand::SavePlanAs);
    for (const char* name : {"trip.csv", "LL_trip.csv", "trip.cvt", "twice.csv.csv", "LL_twice.csv.csv"}) {
        EXPECT_TRUE(std::filesystem::exists(w.dir.file(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(w.dir.file("twice.csv")));
}

TEST(MainMenu, LoadPlanRestoresWaypointsAndCentresTheView) {
    MenuWorld w;
    w.addWaypoint(-140.0, 20.0);
    w.addWaypoint(-138.0, 24.0);
    w.chooser.answers = {w.dir.file("trip")};
    w.run(MenuCommand::SavePlanAs);
    w.run(MenuCommand::DeletePlan);
    ASSERT_TRUE(w.planner.plan->empty());

    w.app.viewMode = Suspended;
    w.chooser.answers = {w.dir.file("trip.csv")};
    w.run(MenuCommand::LoadPlan);
    EXPECT_EQ(w.chooser.asked.back(), "open *.csv");
    EXPECT_EQ(w.planner.plan->waypointCount(), 2);
    EXPECT_NEAR(w.app.viewCentreLon, -139.0f, 1e-4);
    EXPECT_NEAR(w.app.viewCentreY, PlannerState::mapY(22.0), 1e-4);
    EXPECT_EQ(w.shell.busyScreens, 1);
    EXPECT_EQ(w.app.viewMode, Map);

    // A file that loads nothing leaves the view where it was.
    w.app.viewCentreLon = 10.0f;
    w.app.viewCentreY = 5.0f;
    w.chooser.answers = {w.dir.file("missing.csv")};
    w.run(MenuCommand::LoadPlan);
    EXPECT_EQ(w.app.viewCentreLon, 10.0f);
    EXPECT_EQ(w.app.viewCentreY, 5.0f);
    EXPECT_EQ(w.planner.plan->waypointCount(), 2);

    // Cancelled: no busy screen, nothing changes.
    w.app.viewMode = Suspended;
    w.run(MenuCommand::LoadPlan);
    EXPECT_EQ(w.shell.busyScreens, 2);
    EXPECT_EQ(w.app.viewMode, Suspended);
}

TEST(MainMenu, PolygonFiles) {
    MenuWorld w;
    w.addVertex(-141.0, 19.0);
    w.addVertex(-138.0, 19.0);
    w.addVertex(-138.0, 22.0);
    w.chooser.answers = {w.dir.file("area")};
    w.run(MenuCommand::SavePolygon);
    ASSERT_TRUE(std::filesystem::exists(w.dir.file("area.csv")));
    w.run(MenuCommand::DeletePolygon);

    w.chooser.answers = {w.dir.file("area.csv")};
    w.run(MenuCommand::LoadPolygon);
    EXPECT_EQ(w.planner.polygon->vertexCount(), 3);
    EXPECT_EQ(w.shell.busyScreens, 1);

    w.run(MenuCommand::LoadShapefile);
    EXPECT_EQ(w.chooser.asked, (std::vector<std::string>{"save *.csv", "open *.csv", "open *.shp"}));
    EXPECT_EQ(w.shell.busyScreens, 1);
}

TEST(MainMenu, SavesAskBeforeReplacingAnyFileTheyWouldWrite) {
    MenuWorld w;
    w.addWaypoint(-140.0, 20.0);
    w.addWaypoint(-139.0, 21.0);
    w.addVertex(-141.0, 19.0);
    // A plan saved as "trip", then a polygon saved as "trip": its file is
    // the plan file.
    w.chooser.answers = {w.dir.file("trip"), w.dir.file("trip")};
    w.run(MenuCommand::SavePlanAs);
    EXPECT_TRUE(w.chooser.questions.empty());
    const std::string planFile = w.dir.read("trip.csv");
    w.chooser.replace = false;
    w.run(MenuCommand::SavePolygon);
    ASSERT_EQ(w.chooser.questions.size(), 1u);
    EXPECT_EQ(w.chooser.questions[0], std::vector<std::string>{w.dir.file("trip.csv")});
    EXPECT_EQ(w.dir.read("trip.csv"), planFile);

    // Saving the plan again names all four files; replaced when confirmed.
    w.addWaypoint(-138.0, 22.0);
    w.chooser.answers = {w.dir.file("trip")};
    w.chooser.replace = true;
    w.run(MenuCommand::SavePlanAs);
    ASSERT_EQ(w.chooser.questions.size(), 2u);
    EXPECT_EQ(w.chooser.questions[1], planSaveTargets(w.dir.file("trip")));
    EXPECT_EQ(planSaveTargets("/d/trip"),
              (std::vector<std::string>{"/d/trip.csv", "/d/LL_trip.csv", "/d/trip.cvt", "/d/trip_Report.txt"}));
    EXPECT_NE(w.dir.read("trip.csv"), planFile);

    // Every dialog says what it is for.
    w.run(MenuCommand::LoadPlan);
    w.run(MenuCommand::LoadPolygon);
    w.run(MenuCommand::LoadShapefile);
    EXPECT_EQ(w.chooser.titles, (std::vector<std::string>{"Save plan as", "Save polygon", "Save plan as",
                                                          "Load plan", "Load polygon", "Load shapefile"}));
}

TEST(MainMenu, EditMenuUndoesRedoesAndRecovers) {
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < editMenu().count; ++i) labels.push_back(editMenu().items[i].label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Undo", "Redo", "Recover unsaved work"}));

    MenuWorld w;
    double x = -140.0, y = PlannerState::mapY(20.0), lat = 20.0;
    w.planner.editAction(AddWaypoint, x, y, lat, 5.0f);
    w.run(MenuCommand::DeletePlan);
    w.run(MenuCommand::Undo);
    EXPECT_EQ(w.planner.plan->waypointCount(), 1);
    w.run(MenuCommand::Redo);
    EXPECT_TRUE(w.planner.plan->empty());
}

TEST(MainMenu, StatsAndTransitEndPoints) {
    MenuWorld w;
    w.takeOutput();
    w.run(MenuCommand::Stats);
    EXPECT_TRUE(w.app.showStats);
    EXPECT_TRUE(w.app.statsDirty);
    EXPECT_EQ(w.takeOutput(), "STATS\n");

    w.run(MenuCommand::SetStartPoint);
    EXPECT_EQ(w.app.editMode, SetStartPoint);
    EXPECT_EQ(w.shell.pointers, std::vector<PointerShape>{PointerShape::Crosshair});
    w.run(MenuCommand::SetEndPoint);
    EXPECT_EQ(w.app.editMode, SetEndPoint);
    EXPECT_EQ(w.shell.pointers.size(), 1u);  // the pointer stays
}

}  // namespace
}  // namespace tessarin
