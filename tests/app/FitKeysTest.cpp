// The command keys of the coverage fits, the fill and the edge check, on a
// flat 4000 m floor (4..12 E, 0..8 N) with a flat extinction curve of 4.

#include <gtest/gtest.h>

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
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

class KeyShell : public ShellActions {
public:
    void exitProgram(int) override {}
    bool guiTakesKey(unsigned char, int, int) override { return false; }
    bool guiTakesSpecialKey(int, int, int) override { return false; }
    bool guiTakesMouseButton(int, int, int, int) override { return false; }
    bool guiTakesMotion(int, int) override { return false; }
    void setPointer(PointerShape shape) override { pointers.push_back(shape); }
    void setPixelProjection() override {}
    std::istream& consoleInput() override { return console; }

    std::vector<PointerShape> pointers;
    std::istringstream console;
};

class FitKeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        test::writeFlatDataTile(dir_->path(), 4, 0, -4000.0);
        dir_->write("config.txt", "edge_overlap 10.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    FitKeysTest() : planner(out, sink, dir_->path()), input(app, planner, stopwatch, shell) { out.str(""); }

    void addWaypoint(double lon, double lat) { planner.plan->addWaypoint(lon, mapY(lat), lat, 9.0f, 4.0f); }
    std::string takeOutput() {
        const std::string s = out.str();
        out.str("");
        return s;
    }

    static test::TempDir* dir_;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner;
    AppState app;
    Stopwatch stopwatch;
    KeyShell shell;
    InputHandler input;
};

test::TempDir* FitKeysTest::dir_ = nullptr;

TEST_F(FitKeysTest, EdgeCheckPrintsTheSideWhereCoverageLies) {
    // A leg east along 4 N: port is north, starboard south.
    addWaypoint(6.0, 4.0);
    addWaypoint(8.0, 4.0);
    const double y0 = mapY(4.0);
    struct Case {
        const char* name;
        bool north;
        const char* side;
    };
    const Case cases[] = {{"starboard", false, " LR 1\n"}, {"port", true, " LR 2\n"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Coverage from 0.2 to 0.3 map units off the line on one side: where
        // the check's side probes (a quarter unit off) and the edge band of
        // the 0.0722-unit half swath are not.
        DepthTile* t = planner.tiles.residentTile(7.0, 4.0);
        ASSERT_NE(t, nullptr);
        for (int row = 0; row < t->height; ++row) {
            const double off = mapY(8.0 - (row + 0.5) / 240.0) - y0;
            const bool band = (c.north ? off : -off) > 0.2 && (c.north ? off : -off) < 0.3;
            for (int col = 0; col < t->width; ++col) t->coverageRow(row)[col] = band ? 0x40 : 0;
        }
        takeOutput();
        input.keyboard('e', 0, 0);
        const std::string text = takeOutput();
        EXPECT_EQ(text.rfind(" LL 1 6 4 ", 0), 0u) << text;
        EXPECT_NE(text.find("\n LL 2 8 4 "), std::string::npos);
        // 1 + trunc(8 * 2) = 17 stations at 50.
        EXPECT_NE(text.find("Edge VAL 850\n" + std::string(c.side) + "Edge OVERLAP 0  0 0\n"), std::string::npos)
            << text;
        EXPECT_EQ(app.editMode, PickWaypoint);
        EXPECT_EQ(shell.pointers.back(), PointerShape::Cycle);
        EXPECT_EQ(planner.plan->current(), planner.plan->first());
    }
}

TEST_F(FitKeysTest, EdgeCheckWithoutWaypointsPrintsZeros) {
    input.keyboard('e', 0, 0);
    EXPECT_EQ(takeOutput(), " LL 1 0 0 0\n LL 2 0 0 0\n");
}

TEST_F(FitKeysTest, LineOverlapKeyRefitsTheCurrentLeg) {
    addWaypoint(6.0, 4.0);
    addWaypoint(8.0, 4.0);
    takeOutput();
    input.keyboard('o', 0, 0);
    EXPECT_EQ(takeOutput().rfind("LINE OVERLAP 10\nREFINE \n", 0), 0u);
    // Nothing covered: nothing to fit against, so the leg stays where it is;
    // the swaths are recomputed.
    EXPECT_NEAR(planner.plan->first()->y, mapY(4.0), 1e-9);
    EXPECT_NEAR(planner.plan->first()->next->y, mapY(4.0), 1e-9);
    EXPECT_GT(planner.plan->first()->sampleCount, 0);
}

TEST_F(FitKeysTest, FillKeyFillsAndTabTurnsTheFirstEdge) {
    for (const auto& p : {std::pair{5.0, 1.0}, {6.0, 1.0}, {6.0, 2.0}, {5.0, 2.0}}) {
        planner.polygon->addVertex(p.first, mapY(p.second), p.second);
    }
    app.editMode = AddWaypoint;
    app.viewMode = Suspended;
    input.keyboard(input::kTab, 0, 0);
    EXPECT_EQ(takeOutput(), "TAB \n");
    EXPECT_DOUBLE_EQ(planner.polygon->first()->x, 6.0);
    input.keyboard('f', 0, 0);
    EXPECT_NE(takeOutput().find("\n\n POLYFILL 2\n"), std::string::npos);
    // The first line runs up the east side.
    ASSERT_GE(planner.plan->waypointCount(), 2);
    EXPECT_DOUBLE_EQ(planner.plan->first()->lon, 6.0);
    EXPECT_DOUBLE_EQ(planner.plan->first()->next->lon, 6.0);
    EXPECT_EQ(app.editMode, Idle);
    EXPECT_EQ(app.viewMode, Map);
    EXPECT_EQ(shell.pointers.back(), PointerShape::LeftArrow);
}

}  // namespace
}  // namespace tessarin
