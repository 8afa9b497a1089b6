// Swath captures through the framebuffer target into the fine sub-grids and
// the coverage bytes of a small tile world: which squares and cells are
// marked, the plan, pass and overlap bits over passes, the plan capture
// against leg-by-leg captures, the polygon clear and the fine lookup.

#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageWorld.hpp"

namespace tessarin {
namespace {

constexpr std::uint8_t kFine = 0x40;

class CoverageCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!w.gl.ok()) GTEST_SKIP() << w.gl.error();
    }
    std::uint8_t byteAt(double lon, double lat) {
        std::uint16_t v = 0xffff;
        EXPECT_TRUE(w.planner->getCoverage(lon, lat, v)) << lon << " " << lat;
        return static_cast<std::uint8_t>(v);
    }
    // Every coverage byte of every resident tile, in record order.
    std::vector<std::uint8_t> allBytes() {
        std::vector<std::uint8_t> bytes;
        for (int la = 0; la < TileStore::kLatCells; ++la) {
            for (int lo = 0; lo < TileStore::kLonCells; ++lo) {
                const TileRecord& rec = w.planner->tiles.record(la, lo);
                if (!rec.loaded) continue;
                for (int r = 0; r < rec.tile->height; ++r) {
                    const std::uint8_t* row = rec.tile->coverageRow(r);
                    bytes.insert(bytes.end(), row, row + rec.tile->width);
                }
            }
        }
        return bytes;
    }
    test::CoverageWorld w;
};

int markedCells(const std::uint8_t* grid) {
    int n = 0;
    for (int i = 0; i < DepthTile::kFineSize * DepthTile::kFineSize; ++i) n += grid[i] == kFine ? 1 : 0;
    return n;
}

TEST_F(CoverageCaptureTest, FineCaptureMarksOnlyTheSquareUnderTheSwath) {
    struct Case {
        const char* name;
        double lon1, lat1, lon2, lat2;
        double tileLat0;        // south edge of the tile that must hold the marks
        double neighbourLat0;   // a resident neighbour that must stay unmarked
        int square;             // subCol + 8 * subRow
        const char* boxLine;
        int drawnBlocks;        // of the four 1-degree blocks of the box
    };
    const Case cases[] = {
        {"inside one square", -41.7, 10.45, -41.3, 10.55, 8.0, 0.0, 2 + 8 * 2, "CAPTURE Hi RES BOUNDING BOX -42 -40 10 12\n", 2},
        // Rows just south of -8 belong to the tile whose south edge is -16.
        {"south of a tile edge", -41.7, -8.3, -41.3, -8.3, -16.0, -8.0, 2 + 8 * 7, "CAPTURE Hi RES BOUNDING BOX -42 -40 -10 -8\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::CoverageWorld world;
        ASSERT_TRUE(world.gl.ok());
        // The tile under the leg and a neighbour, all squares allocated.
        std::vector<DepthTile*> tiles = {world.load(-41.5, c.tileLat0 + 1.0), world.load(-41.5, c.neighbourLat0 + 1.0)};
        for (DepthTile* t : tiles) {
            ASSERT_NE(t, nullptr);
            for (int r = 0; r < 8; ++r)
                for (int col = 0; col < 8; ++col) t->allocateFine(r, col);
        }
        world.addWaypoint(c.lon1, c.lat1);
        world.addWaypoint(c.lon2, c.lat2);
        world.plan().walkFromFirst();
        world.takeOutput();
        world.grid().captureSwathFine();
        EXPECT_NE(world.takeOutput().find(c.boxLine), std::string::npos);

        for (DepthTile* t : tiles) {
            for (int k = 0; k < DepthTile::kFineGrids; ++k) {
                const int n = markedCells(t->fine[k].get());
                if (t->lat0 == c.tileLat0 && k == c.square) {
                    // About the leg's length times the swath width (12 km on
                    // a 3000 m floor at multiplier 4), in cells of 1/960 degree.
                    const double expected = std::abs(c.lon2 - c.lon1) * 960.0 * (12.0 / 111.12) * 960.0;
                    EXPECT_GT(n, 0.6 * expected) << "square " << k;
                    EXPECT_LT(n, 1.6 * expected) << "square " << k;
                } else {
                    EXPECT_EQ(n, 0) << "tile " << t->lat0 << " square " << k;
                }
            }
        }
        const double midLat = 0.5 * (c.lat1 + c.lat2);
        std::uint16_t v = 0;
        ASSERT_TRUE(world.grid().fineCoverageAt(-41.5, midLat, v));
        EXPECT_EQ(v, kFine);
        ASSERT_TRUE(world.grid().fineCoverageAt(-41.5, midLat + 0.3, v));
        EXPECT_EQ(v, 0);
        // The framebuffer target drew only the blocks the swath reaches.
        EXPECT_EQ(world.target->drawnBlocks(), c.drawnBlocks);
        EXPECT_EQ(world.target->skippedBlocks(), 4 - c.drawnBlocks);
    }
}

TEST_F(CoverageCaptureTest, PlanPassAndOverlapBitsFollowThePasses) {
    w.load(-42.5, 10.5);
    // A leg west of the reference columns and one across them (-36..-35),
    // joined at (-41, 10.5), so both legs mark the cells around the joint.
    w.addWaypoint(-42.8, 10.5);
    w.addWaypoint(-41.0, 10.5);
    w.addWaypoint(-38.6, 10.6);

    w.grid().capturePlanCoarse();
    EXPECT_EQ(byteAt(-42.5, 10.5), 0x21) << "plan and pass bits";
    EXPECT_EQ(byteAt(-41.0, 10.5), 0x21) << "two legs in one pass set no overlap";
    EXPECT_EQ(byteAt(-39.5, 10.56), 0x61) << "reference bit kept";
    EXPECT_EQ(byteAt(-42.5, 11.5), 0x00) << "off the swath";
    EXPECT_EQ(byteAt(-39.5, 11.5), 0x40);
    EXPECT_EQ(w.plan().current(), w.plan().first());
    EXPECT_EQ(w.plan().cursor()->next, nullptr) << "the walk cursor ends on the last waypoint";
    EXPECT_EQ(w.grid().touchedTiles[(8 + 96) / 8][(-44 + 180) / 8], 1);

    w.grid().capturePlanCoarse();
    EXPECT_EQ(byteAt(-42.5, 10.5), 0x21) << "captured twice in one pass";

    w.grid().clearPassMarks();
    EXPECT_EQ(byteAt(-42.5, 10.5), 0x20);
    EXPECT_EQ(byteAt(-39.5, 10.56), 0x60);
    w.grid().capturePlanCoarse();
    EXPECT_EQ(byteAt(-42.5, 10.5), 0x31) << "a later pass overlaps";
    EXPECT_EQ(byteAt(-39.5, 10.56), 0x71);
}

TEST_F(CoverageCaptureTest, PlanCaptureMarksWhatLegByLegCapturesMark) {
    // A zigzag over several 2-degree blocks and across a tile edge (lat 8).
    for (double lat : {5.0, 9.0, 13.0}) w.load(-41.0, lat);
    const double route[][2] = {{-43.5, 7.5}, {-40.5, 9.6}, {-42.2, 10.1}, {-38.8, 7.7}, {-37.2, 10.9}};
    for (const auto& p : route) w.addWaypoint(p[0], p[1]);

    // Leg by leg, all in one pass.
    w.plan().walkFromFirst();
    do {
        w.grid().captureSwathCoarse();
    } while (w.plan().walkNext());
    const std::vector<std::uint8_t> legByLeg = allBytes();
    ASSERT_NE(std::count(legByLeg.begin(), legByLeg.end(), 0x21), 0);

    // Back to reference bits only, then the whole plan at once.
    for (double lat : {5.0, 9.0, 13.0}) {
        DepthTile* t = w.planner->tiles.residentTile(-41.0, lat);
        for (int r = 0; r < t->height; ++r)
            for (int c = 0; c < t->width; ++c) t->coverageRow(r)[c] &= 0x40;
    }
    w.grid().capturePlanCoarse();
    EXPECT_TRUE(allBytes() == legByLeg);
    EXPECT_EQ(w.grid().touchedTiles[(0 + 96) / 8][(-44 + 180) / 8], 1);
    EXPECT_EQ(w.grid().touchedTiles[(8 + 96) / 8][(-44 + 180) / 8], 1);
}

TEST(CoverageCaptureMethods, FramebufferAndBackBufferMarkTheSameCells) {
    // A window of one coarse block, as the back-buffer method needs.
    test::CoverageWorld world(480);
    if (!world.gl.ok()) GTEST_SKIP() << world.gl.error();
    DepthTile* tile = world.load(-41.0, 10.5);
    ASSERT_NE(tile, nullptr);
    world.addWaypoint(-43.2, 10.2);
    world.addWaypoint(-39.4, 11.3);
    auto bytes = [&] {
        std::vector<std::uint8_t> v;
        for (int r = 0; r < tile->height; ++r) v.insert(v.end(), tile->coverageRow(r), tile->coverageRow(r) + tile->width);
        for (int r = 0; r < tile->height; ++r)
            for (int c = 0; c < tile->width; ++c) tile->coverageRow(r)[c] &= 0x40;
        return v;
    };
    int swaps = 0;
    GlCaptureTarget backBuffer(nullptr, [&swaps] { ++swaps; });
    world.grid().setCaptureTarget(&backBuffer);
    world.grid().capturePlanCoarse();
    const std::vector<std::uint8_t> onScreen = bytes();
    // Box -44..-38 by 10..14 (the leg's y runs to 11.9, padded 12.1): six
    // blocks, each drawn twice.
    EXPECT_EQ(swaps, 12);
    world.grid().setCaptureTarget(world.target.get());
    world.grid().capturePlanCoarse();
    const std::vector<std::uint8_t> offScreen = bytes();
    EXPECT_NE(std::count(offScreen.begin(), offScreen.end(), 0x21), 0);
    EXPECT_TRUE(onScreen == offScreen);
}

TEST_F(CoverageCaptureTest, CaptureLeavesTheFramesDrawingStateAsItWas) {
    w.load(-42.5, 10.5);
    w.addWaypoint(-42.8, 10.5);
    w.addWaypoint(-42.2, 10.5);
    glViewport(0, 0, 64, 64);
    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-950.0, 950.0, -475.0, 475.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);

    w.grid().capturePlanCoarse();
    w.planner->computePlanStatistics();
    ASSERT_GT(w.target->drawnBlocks(), 0);

    GLint framebuffer = -1, viewport[4] = {}, matrixMode = 0;
    GLfloat clear[4] = {}, projection[16] = {};
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_EQ(framebuffer, 0) << "the window's drawing buffer is bound again";
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 64);
    EXPECT_FLOAT_EQ(clear[2], 0.2f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(matrixMode, GL_MODELVIEW);
    EXPECT_FLOAT_EQ(projection[0], 2.0f / 1900.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CoverageCaptureTest, PlanCaptureOfOneWaypointCapturesNothing) {
    w.load(-42.5, 10.5);
    w.addWaypoint(-42.5, 10.5);
    const std::vector<std::uint8_t> before = allBytes();
    w.grid().capturePlanCoarse();
    EXPECT_TRUE(allBytes() == before);
    EXPECT_EQ(w.plan().cursor(), w.plan().first());
    EXPECT_EQ(w.target->drawnBlocks(), 0);
}

TEST_F(CoverageCaptureTest, PolygonClearKeepsOnlyReferenceBits) {
    DepthTile* inside = w.load(-41.5, 10.5);
    DepthTile* outside = w.load(-41.5, -10.0);
    ASSERT_TRUE(inside && outside);
    inside->coverageRow(900)[500] = 0x71;
    outside->coverageRow(900)[500] = 0x71;
    inside->allocateFine(2, 2);
    ASSERT_TRUE(inside->markFine(-41.5, 10.5));

    for (const auto& p : {std::pair{-42.0, 10.0}, {-41.0, 10.0}, {-41.0, 11.0}}) {
        w.planner->polygon->addVertex(p.first, mapY(p.second), p.second);
    }
    w.takeOutput();
    w.grid().clearPolygonCoverage();
    EXPECT_EQ(w.takeOutput().rfind("POLY BOUNDS ", 0), 0u);
    EXPECT_EQ(inside->coverageRow(900)[500], 0x40);
    EXPECT_EQ(outside->coverageRow(900)[500], 0x71) << "tiles outside the polygon's range keep their marks";
    ASSERT_NE(inside->fine[2 + 8 * 2], nullptr) << "zero-filled, not freed";
    EXPECT_EQ(markedCells(inside->fine[2 + 8 * 2].get()), 0);
    double lat = 0, lon = 0;
    EXPECT_FALSE(w.planner->polygon->firstVertex(lat, lon));
}

TEST_F(CoverageCaptureTest, FineLookupNeverLoadsATile) {
    const int resident = w.planner->tiles.residentCount();
    std::uint16_t v = 7;
    EXPECT_FALSE(w.grid().fineCoverageAt(-41.5, 4.0, v));
    EXPECT_EQ(v, 7);
    EXPECT_EQ(w.planner->tiles.residentCount(), resident);
    EXPECT_FALSE(w.planner->tiles.record((0 + 96) / 8, (-44 + 180) / 8).loaded);

    DepthTile* t = w.load(-41.5, 4.0);
    ASSERT_NE(t, nullptr) << w.out.str();
    EXPECT_TRUE(w.grid().fineCoverageAt(-41.5, 4.0, v));
    EXPECT_EQ(v, 0) << "no sub-grid reads 0";
    t->allocateFine(4, 2);
    ASSERT_TRUE(t->markFine(-41.5, 4.5));
    // East of 180 the same square is read a turn further west.
    EXPECT_TRUE(w.grid().fineCoverageAt(-41.5 + 360.0, 4.5, v));
    EXPECT_EQ(v, kFine);
}

}  // namespace
}  // namespace tessarin
