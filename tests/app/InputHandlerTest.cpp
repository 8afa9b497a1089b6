// Input handlers called directly: view arithmetic, the mode transition
// tables, the start guard, picking and dragging, the GUI's first refusal and
// the bounded console read.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/InputHandler.hpp"
#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "transit/TransitPlanner.hpp"
#include "support/TextCount.hpp"

namespace tessarin {
namespace {

using test::countOf;

ClockReading fakeNow;
ClockReading fakeClock() { return fakeNow; }

class FakeShell : public ShellActions {
public:
    void exitProgram(int status) override { exitStatus = status; }
    bool guiTakesKey(unsigned char, int, int) override { return guiWantsKeyboard; }
    bool guiTakesSpecialKey(int, int, int) override { return guiWantsKeyboard; }
    bool guiTakesMouseButton(int, int, int, int) override { return guiWantsMouse; }
    bool guiTakesMotion(int, int) override { return guiWantsMouse; }
    void setPointer(PointerShape shape) override { pointers.push_back(shape); }
    void setPixelProjection() override { ++pixelProjections; }
    std::istream& consoleInput() override { return console; }
    bool readConsoleAvailable(std::string& text) override {
        if (!typedSoFar) return ShellActions::readConsoleAvailable(text);
        text += *typedSoFar;
        typedSoFar->clear();
        return true;
    }
    bool shiftHeld() override { return shift; }

    int exitStatus = -1;
    bool shift = false;
    std::string* typedSoFar = nullptr;  // a console that has delivered only this much
    bool guiWantsKeyboard = false;
    bool guiWantsMouse = false;
    std::vector<PointerShape> pointers;
    int pixelProjections = 0;
    std::istringstream console;
};

class InputHandlerTest : public ::testing::Test {
protected:
    InputHandlerTest()
        : planner(out, sink, dir.path()), stopwatch(fakeClock), input(app, planner, stopwatch, shell) {
        fakeNow = {1000, 0};
        stopwatch.start();
        fakeNow = {1001, 0};  // well past the start guard
        out.str("");
    }

    void click(int x, int y) {
        input.mouse(input::kLeftButton, input::kButtonDown, x, y);
        input.mouse(input::kLeftButton, input::kButtonUp, x, y);
    }
    std::string takeOutput() {
        const std::string s = out.str();
        out.str("");
        return s;
    }
    int waypointCount() const { return planner.plan->waypointCount(); }

    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner;
    AppState app;
    Stopwatch stopwatch;
    FakeShell shell;
    InputHandler input;
};

// ---- View arithmetic ---------------------------------------------------------

TEST_F(InputHandlerTest, ZoomKeysAndWheelScaleTheZoom) {
    for (int i = 0; i < 3; ++i) input.keyboard('.', 0, 0);
    EXPECT_NEAR(app.zoom, 5.0 * 1.728, 1e-5);
    for (int i = 0; i < 3; ++i) input.keyboard(',', 0, 0);
    EXPECT_NEAR(app.zoom, 5.0, 1e-5);

    input.wheel(0, +1, 0, 0);  // away: zoom out
    EXPECT_NEAR(app.zoom, 5.0 / 1.1, 1e-5);
    input.wheel(0, -1, 0, 0);  // towards: zoom in, back where it was
    EXPECT_NEAR(app.zoom, 5.0, 1e-5);
    input.wheel(0, 0, 0, 0);
    EXPECT_NEAR(app.zoom, 5.0, 1e-5);
}

TEST_F(InputHandlerTest, ArrowKeysPanByTwelveAndAHalfOverZoom) {
    app.zoom = 2.5f;
    input.special(input::kKeyLeft, 0, 0);
    EXPECT_FLOAT_EQ(app.viewCentreLon, -35.0f);
    input.special(input::kKeyRight, 0, 0);
    input.special(input::kKeyRight, 0, 0);
    EXPECT_FLOAT_EQ(app.viewCentreLon, -25.0f);
    input.special(input::kKeyUp, 0, 0);
    EXPECT_FLOAT_EQ(app.viewCentreY, 25.0f);
    input.special(input::kKeyDown, 0, 0);
    input.special(input::kKeyDown, 0, 0);
    EXPECT_FLOAT_EQ(app.viewCentreY, 15.0f);
    input.special(104, 0, 0);  // page up: nothing
    EXPECT_FLOAT_EQ(app.viewCentreLon, -25.0f);
    EXPECT_FLOAT_EQ(app.viewCentreY, 15.0f);
}

TEST_F(InputHandlerTest, DragPansTheViewAgainstThePointer) {
    // Idle press on the map misses, so it starts a pan.
    input.mouse(input::kLeftButton, input::kButtonDown, 900, 400);
    EXPECT_EQ(app.viewMode, Pan);
    // (The depth lookup before it may report a missing tile.)
    const std::string said = takeOutput();
    EXPECT_EQ(said.substr(said.rfind('\n', said.size() - 2) + 1), "NOT PICKED VS ES 3 9\n");
    // 100 px right and 50 px down: the view moves west by 100 * 0.05 * 20 / 5
    // and north by 50 * 0.1 * 10 / 5 map units.
    input.motion(1000, 450);
    EXPECT_FLOAT_EQ(app.viewCentreLon, -50.0f);
    EXPECT_FLOAT_EQ(app.viewCentreY, 30.0f);
    input.motion(950, 400);
    EXPECT_FLOAT_EQ(app.viewCentreLon, -40.0f);
    EXPECT_FLOAT_EQ(app.viewCentreY, 20.0f);
    input.mouse(input::kLeftButton, input::kButtonUp, 950, 400);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_EQ(app.editMode, Idle);
    // A new press pans from the new centre.
    input.mouse(input::kLeftButton, input::kButtonDown, 500, 500);
    EXPECT_FLOAT_EQ(app.panStartLon, -40.0f);
}

// ---- Mode transitions ----------------------------------------------------------

TEST_F(InputHandlerTest, CommandKeysSetModesAndPointers) {
    struct Row {
        unsigned char key;
        EditMode mode;
        PointerShape pointer;
    };
    const Row rows[] = {
        {'i', AddWaypoint, PointerShape::Crosshair},
        {input::kEscape, Idle, PointerShape::LeftArrow},
        {'e', PickWaypoint, PointerShape::Cycle},
        {'f', Idle, PointerShape::LeftArrow},
    };
    for (const Row& r : rows) {
        app.editMode = MovePolygonPoint;
        shell.pointers.clear();
        input.keyboard(r.key, 0, 0);
        EXPECT_EQ(app.editMode, r.mode) << "key " << static_cast<int>(r.key);
        ASSERT_EQ(shell.pointers.size(), 1u) << "key " << static_cast<int>(r.key);
        EXPECT_EQ(shell.pointers[0], r.pointer) << "key " << static_cast<int>(r.key);
    }
    app.viewMode = Suspended;
    input.keyboard('f', 0, 0);
    EXPECT_EQ(app.viewMode, Map);

    input.keyboard('m', 0, 0);
    EXPECT_TRUE(app.showCoverage);
    input.keyboard('m', 0, 0);
    EXPECT_FALSE(app.showCoverage);

    input.keyboard('c', 0, 0);
    EXPECT_EQ(shell.pixelProjections, 1);

    input.keyboard('q', 0, 0);
    EXPECT_EQ(shell.exitStatus, 1);

    // Keys without a command change nothing (the edge check above printed).
    takeOutput();
    const AppState before = app;
    input.keyboard('z', 0, 0);
    input.keyboard('Q', 0, 0);
    EXPECT_EQ(app.editMode, before.editMode);
    EXPECT_EQ(app.viewMode, before.viewMode);
    EXPECT_EQ(app.zoom, before.zoom);
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(InputHandlerTest, ReleaseInTheTopLeftCornerSuspendsTheMapUntilKeyF) {
    click(150, 150);
    EXPECT_EQ(app.viewMode, Suspended);
    takeOutput();
    // Presses and drags are ignored while suspended; keys still work.
    app.editMode = AddWaypoint;
    click(950, 475);
    input.motion(990, 475);
    EXPECT_EQ(waypointCount(), 0);
    EXPECT_EQ(takeOutput(), "");
    EXPECT_FLOAT_EQ(app.viewCentreLon, -30.0f);
    input.keyboard('.', 0, 0);
    EXPECT_NEAR(app.zoom, 6.0, 1e-5);
    input.keyboard('f', 0, 0);
    EXPECT_EQ(app.viewMode, Map);
    app.editMode = AddWaypoint;
    click(950, 475);
    EXPECT_EQ(waypointCount(), 1);
}

TEST_F(InputHandlerTest, TheSuspendingCornerFollowsTheWindowSize) {
    // A 950 x 950 window: the corner is 100 x 200 pixels.
    app.windowWidth = 950;
    app.scaleX = 0.5f;
    app.aspect = 0.5f;
    click(150, 150);
    EXPECT_EQ(app.viewMode, Map);
    click(90, 150);
    EXPECT_EQ(app.viewMode, Suspended);
}

TEST_F(InputHandlerTest, TransitPointModesPanAndReturnToIdleOnRelease) {
    for (EditMode m : {SetStartPoint, SetEndPoint}) {
        app.editMode = m;
        input.mouse(input::kLeftButton, input::kButtonDown, 950, 475);
        EXPECT_EQ(app.viewMode, Pan);
        input.mouse(input::kLeftButton, input::kButtonUp, 950, 475);
        EXPECT_EQ(app.viewMode, Map);
        EXPECT_EQ(app.editMode, Idle);
    }
    // Each release copied the pressed position into its transit point.
    EXPECT_FLOAT_EQ(planner.pickLon, -30.0f);
    EXPECT_NEAR(planner.pickY, 20.0, 1e-5);
    EXPECT_TRUE(planner.transit->startSet && planner.transit->endSet);
    EXPECT_FLOAT_EQ(planner.transit->transitStartLon, -30.0f);
    EXPECT_FLOAT_EQ(planner.transit->transitEndY, planner.pickY);
}

// ---- Presses, picks and drags ----------------------------------------------------

TEST_F(InputHandlerTest, ClicksInTheFirstTenthOfASecondAreIgnored) {
    fakeNow = {1000, 50};
    app.editMode = AddWaypoint;
    click(950, 475);
    EXPECT_EQ(waypointCount(), 0);
    EXPECT_EQ(app.pressX, 0.0f);
    EXPECT_EQ(takeOutput(), "");
    fakeNow = {1000, 150};
    click(950, 475);
    EXPECT_EQ(waypointCount(), 1);
}

TEST_F(InputHandlerTest, AddWaypointClicksAddWaypointsAndNeverPan) {
    input.keyboard('i', 0, 0);
    click(950, 475);
    const double lat = latitudeFromMapY(20.0);
    ASSERT_EQ(waypointCount(), 1);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_DOUBLE_EQ(app.pickedLon, -30.0);
    EXPECT_NEAR(app.pickedLat, lat, 1e-9);
    EXPECT_NEAR(planner.plan->first()->lon, -30.0, 1e-9);
    std::ostringstream expected;
    expected << "SHOW LAT " << app.pickedLat << "\n";
    EXPECT_NE(takeOutput().find(expected.str()), std::string::npos);
    // No tile answers here: the readout shows the no-data elevation.
    EXPECT_FLOAT_EQ(app.cursorElevation, 5.0f);

    click(1050, 400);
    click(1150, 475);
    EXPECT_EQ(waypointCount(), 3);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_EQ(app.editMode, AddWaypoint);
}

TEST_F(InputHandlerTest, PositionsAtSixtyFourNorthAreRefusedAndPan) {
    input.keyboard('i', 0, 0);
    app.viewCentreY = 80.0f;  // the window's top rows lie beyond 64 degrees
    input.mouse(input::kLeftButton, input::kButtonDown, 950, 10);
    EXPECT_GE(app.pickedLat, 64.0);
    EXPECT_EQ(waypointCount(), 0);
    EXPECT_EQ(app.viewMode, Pan);
    EXPECT_EQ(takeOutput(), "NOT PICKED VS ES 3 1\n");
}

TEST_F(InputHandlerTest, CursorLongitudeIsWrappedButTheEditGetsTheRawOne) {
    app.viewCentreLon = 0.0f;
    app.viewCentreY = 0.0f;
    input.mouse(input::kLeftButton, input::kButtonDown, 1900, 475);
    EXPECT_DOUBLE_EQ(app.pickedLon, 190.0);
    EXPECT_FLOAT_EQ(app.cursorLon, -170.0f);
    EXPECT_FLOAT_EQ(planner.pickLon, 190.0f);
    EXPECT_NEAR(app.cursorLat, 0.0f, 1e-6);
}

TEST_F(InputHandlerTest, DraggingAPickedWaypointMovesItAndRegeneratesOnce) {
    input.keyboard('i', 0, 0);
    click(900, 475);
    click(1100, 475);
    ASSERT_EQ(waypointCount(), 2);
    input.keyboard('e', 0, 0);
    takeOutput();

    // Press on the first waypoint: picked, so no pan.
    input.mouse(input::kLeftButton, input::kButtonDown, 901, 476);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_DOUBLE_EQ(app.pickedLon, -40.0);  // the waypoint's own position
    input.motion(920, 500);
    EXPECT_EQ(app.editMode, MoveWaypoint);
    input.motion(940, 520);
    const Waypoint* w = planner.plan->first();
    EXPECT_NEAR(w->lon, -30.0 + (940.0 - 950.0) / 5.0, 1e-5);
    EXPECT_NEAR(w->y, 20.0 - (520.0 - 475.0) / 5.0, 1e-5);
    std::string moved = takeOutput();
    EXPECT_EQ(countOf(moved, "SHOW LAT "), 3);  // the pick and both moves
    EXPECT_EQ(countOf(moved, "genSwaths"), 0);  // dragging does not regenerate
    EXPECT_FLOAT_EQ(app.viewCentreLon, -30.0f);   // nor pan

    input.mouse(input::kLeftButton, input::kButtonUp, 940, 520);
    EXPECT_EQ(app.editMode, PickWaypoint);
    EXPECT_EQ(countOf(takeOutput(), "genSwaths"), 1);
}

TEST_F(InputHandlerTest, DraggingAPickedPolygonVertexMovesIt) {
    app.editMode = AddPolygonPoint;
    click(900, 475);
    click(1000, 400);
    click(1000, 550);
    ASSERT_EQ(planner.polygon->vertexCount(), 3);
    app.editMode = PickPolygonPoint;
    input.mouse(input::kLeftButton, input::kButtonDown, 1000, 401);
    EXPECT_EQ(app.viewMode, Map);
    input.motion(1010, 420);
    EXPECT_EQ(app.editMode, MovePolygonPoint);
    double lat = 0.0, lon = 0.0;
    ASSERT_TRUE(planner.polygon->currentVertex(lat, lon));
    EXPECT_NEAR(lon, -30.0 + 60.0 / 5.0, 1e-5);
    input.mouse(input::kLeftButton, input::kButtonUp, 1010, 420);
    EXPECT_EQ(app.editMode, PickPolygonPoint);
}

TEST_F(InputHandlerTest, DeleteAlwaysPrintsButDeletesOnlyAHeldWaypoint) {
    input.keyboard('i', 0, 0);
    click(900, 475);
    click(1100, 475);
    input.keyboard('e', 0, 0);
    app.editorVisible = false;  // with the editor showing, Delete takes the waypoint it shows
    click(300, 300);  // misses: nothing held
    takeOutput();
    input.keyboard(input::kDelete, 0, 0);
    EXPECT_EQ(takeOutput().rfind("DELETE \n", 0), 0u);
    EXPECT_EQ(waypointCount(), 2);

    click(1100, 475);  // picks the second waypoint
    takeOutput();
    input.keyboard(input::kDelete, 0, 0);
    EXPECT_EQ(takeOutput().rfind("DELETE \n", 0), 0u);
    EXPECT_EQ(waypointCount(), 1);
}

TEST_F(InputHandlerTest, OtherButtonsDoNotPickOrPan) {
    input.keyboard('i', 0, 0);
    input.mouse(input::kRightButton, input::kButtonDown, 950, 475);
    input.mouse(input::kMiddleButton, input::kButtonDown, 950, 475);
    EXPECT_EQ(waypointCount(), 0);
    EXPECT_EQ(app.pressX, 0.0f);
}

// ---- The GUI's first refusal -----------------------------------------------------

TEST_F(InputHandlerTest, EventsTheGuiWantsNeverReachTheMap) {
    shell.guiWantsKeyboard = true;
    input.keyboard('.', 0, 0);
    input.keyboard('i', 0, 0);
    input.keyboard('q', 0, 0);
    input.special(input::kKeyLeft, 0, 0);
    EXPECT_EQ(app.zoom, 5.0f);
    EXPECT_EQ(app.editMode, Idle);
    EXPECT_EQ(shell.exitStatus, -1);
    EXPECT_EQ(app.viewCentreLon, -30.0f);

    shell.guiWantsMouse = true;
    input.mouse(input::kLeftButton, input::kButtonDown, 950, 475);
    input.motion(1000, 475);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_EQ(app.pressX, 0.0f);
    EXPECT_EQ(app.viewCentreLon, -30.0f);
    EXPECT_EQ(takeOutput(), "");
}

// ---- Menu and console ----------------------------------------------------------

TEST_F(InputHandlerTest, MenuEntriesSetTheTransitPointsAndPlan) {
    planner.pickLat = 20.0f;
    planner.pickLon = -150.0f;
    input.menu(MenuSetStart);
    planner.pickLat = 24.0f;
    planner.pickLon = -140.0f;
    input.menu(MenuSetEnd);
    std::ostringstream expected;
    expected << "Set Start\nSET START " << static_cast<float>(mapY(20.0)) << "\nSet End Pt\nSET END "
             << static_cast<float>(mapY(24.0)) << "\n";
    EXPECT_EQ(takeOutput(), expected.str());
    EXPECT_FLOAT_EQ(planner.transit->transitStartLon, -150.0f);
    EXPECT_FLOAT_EQ(planner.transit->transitEndLat, 24.0f);

    // "load Area" plans between the points without a great circle or preload.
    input.menu(MenuLoadArea);
    EXPECT_EQ(planner.plan->waypointCount(), 8);
    EXPECT_FALSE(planner.transit->greatCircleReady);
    const std::string text = takeOutput();
    EXPECT_EQ(text.rfind("loadBathy\n\n************************ PLAN TRANSIT", 0), 0u) << text;
    EXPECT_EQ(text.find("LOAD TILES ON ARC"), std::string::npos);
    input.menu(7);
    EXPECT_EQ(takeOutput(), "");
}

TEST_F(InputHandlerTest, TransitKeys) {
    // a: the demo transit, its great circle, the preload and an abutting plan.
    input.keyboard('a', 0, 0);
    EXPECT_FLOAT_EQ(planner.transit->transitStartLat, 32.03f);
    EXPECT_FLOAT_EQ(planner.transit->transitEndLon, -155.65f);
    EXPECT_TRUE(planner.transit->greatCircleReady);
    EXPECT_EQ(planner.plan->waypointCount(), 8);
    std::string text = takeOutput();
    EXPECT_LT(text.find("GREAT CIRCLE DISTANCE"), text.find("LOAD TILES ON ARC"));
    EXPECT_LT(text.find("LOAD TILES ON ARC"), text.find("PLAN TRANSIT"));

    // x: the path-overlap report of the plan's seven legs.
    input.keyboard('x', 0, 0);
    text = takeOutput();
    EXPECT_EQ(countOf(text, "Len p "), 7);
    const std::string lastLine = text.substr(text.rfind('\n', text.size() - 2) + 1);
    EXPECT_EQ(lastLine.rfind("PATH OVERLAP ", 0), 0u) << text;

    // l: the straight corridor between the points.
    input.keyboard('l', 0, 0);
    EXPECT_NE(takeOutput().find("RANGE LON 1 -122.786 -155.65\n"), std::string::npos);

    // t: the benchmark, in a pixel projection, into the planner's folder.
    input.keyboard('t', 0, 0);
    EXPECT_EQ(shell.pixelProjections, 1);
    EXPECT_EQ(countOf(dir.read("Transits.csv"), "\n"), 3);
}

TEST_F(InputHandlerTest, KeySReadsOneBoundedWordAndNeverWaitsPastTheEnd) {
    shell.console.str("   survey_north\n" + std::string(100, 'x') + "tail next\n");
    input.keyboard('s', 0, 0);
    EXPECT_EQ(takeOutput(), "Enter file Name: ");
    EXPECT_EQ(input.lastFileName(), "survey_north");
    // An over-long word is cut, and its rest is not taken for the next word.
    input.keyboard('s', 0, 0);
    EXPECT_EQ(input.lastFileName(), std::string(InputHandler::kFileNameChars, 'x'));
    input.keyboard('s', 0, 0);
    EXPECT_EQ(input.lastFileName(), "next");
    // End of input: returns at once with no word.
    input.keyboard('s', 0, 0);
    EXPECT_EQ(input.lastFileName(), "");
    input.keyboard('s', 0, 0);
    EXPECT_EQ(input.lastFileName(), "");
}

TEST_F(InputHandlerTest, KeySWaitsForItsWordWithoutStoppingTheWindow) {
    std::string typed = "  surv";
    shell.typedSoFar = &typed;
    input.keyboard('s', 0, 0);
    EXPECT_EQ(takeOutput(), "Enter file Name: ");
    EXPECT_TRUE(input.awaitingWord());
    // The frames go on while the word is typed; the map keys still work.
    input.keyboard('.', 0, 0);
    EXPECT_FLOAT_EQ(app.zoom, 6.0f);
    input.pollConsole();
    EXPECT_TRUE(input.awaitingWord());
    typed = "ey_north\nnext";
    input.pollConsole();
    EXPECT_FALSE(input.awaitingWord());
    EXPECT_EQ(input.lastFileName(), "survey_north");
}

TEST_F(InputHandlerTest, EditKeys) {
    // Ctrl+Z undoes, Ctrl+Y and Ctrl+Shift+Z redo.
    input.keyboard('i', 0, 0);
    click(900, 475);
    click(1000, 475);
    input.keyboard(input::kCtrlZ, 0, 0);
    EXPECT_EQ(waypointCount(), 1);
    input.keyboard(input::kCtrlY, 0, 0);
    EXPECT_EQ(waypointCount(), 2);
    input.keyboard(input::kCtrlZ, 0, 0);
    shell.shift = true;
    input.keyboard(input::kCtrlZ, 0, 0);
    shell.shift = false;
    EXPECT_EQ(waypointCount(), 2);

    // Tab's rotation is a change like any other.
    planner.polygon->addVertex(1.0, 1.0, 1.0);
    planner.polygon->addVertex(2.0, 1.0, 1.0);
    input.keyboard(input::kTab, 0, 0);
    EXPECT_EQ(planner.polygon->first()->x, 2.0);
    input.keyboard(input::kCtrlZ, 0, 0);
    EXPECT_EQ(planner.polygon->first()->x, 1.0);

    // Esc ends a suspended map.
    app.viewMode = Suspended;
    input.keyboard(input::kEscape, 0, 0);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_EQ(app.editMode, Idle);
}

TEST_F(InputHandlerTest, DeleteTakesWhatTheUserIsWorkingOn) {
    struct Case {
        EditMode mode;
        bool editorVisible;
        int waypointsLeft;
        int verticesLeft;
    };
    // Two waypoints (the second current, nothing held), two vertices.
    const Case cases[] = {
        {AddPolygonPoint, true, 2, 1},  {PickPolygonPoint, true, 2, 1}, {MovePolygonPoint, false, 2, 1},
        {PickWaypoint, true, 1, 2},     // the editor shows the current waypoint
        {PickWaypoint, false, 2, 2},    // hidden editor, nothing held: nothing
        {Idle, true, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        planner.deletePlan();
        planner.plan->addWaypoint(-30.0, 20.0, 18.75, 9.0f, 4.0f);
        planner.plan->addWaypoint(-29.0, 20.0, 18.75, 9.0f, 4.0f);
        planner.polygon->addVertex(-31.0, 19.0, 17.8);
        planner.polygon->addVertex(-28.0, 19.0, 17.8);
        planner.editHold = PlannerState::kHoldNone;
        app.editMode = c.mode;
        app.editorVisible = c.editorVisible;
        takeOutput();
        input.keyboard(input::kDelete, 0, 0);
        EXPECT_EQ(takeOutput().rfind("DELETE \n", 0), 0u);
        EXPECT_EQ(waypointCount(), c.waypointsLeft);
        EXPECT_EQ(planner.polygon->vertexCount(), c.verticesLeft);
    }
}

TEST(InputHandlerReadWord, StopsAtWhitespaceAndAtTheEnd) {
    std::istringstream in("alpha\tbeta");
    std::string w;
    EXPECT_TRUE(InputHandler::readWord(in, w, 39));
    EXPECT_EQ(w, "alpha");
    EXPECT_TRUE(InputHandler::readWord(in, w, 3));
    EXPECT_EQ(w, "bet");
    EXPECT_FALSE(InputHandler::readWord(in, w, 39));
    EXPECT_EQ(w, "");
    std::istringstream blanks(" \n\t ");
    EXPECT_FALSE(InputHandler::readWord(blanks, w, 39));
}

}  // namespace
}  // namespace tessarin
