#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TextureSink.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

using test::TempDir;

// The polygon as the mouse, keys and point editor reach it through the planner.
class PolygonEditTest : public ::testing::Test {
protected:
    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner{out, sink, dir.path()};

    bool act(int action, double lon, double lat, float scale = 1.0f) {
        double x = lon, y = mapY(lat), l = lat;
        const bool result = planner.editAction(action, x, y, l, scale);
        EXPECT_EQ(x, lon);  // polygon actions never replace the point
        EXPECT_EQ(l, lat);
        return result;
    }
};

TEST_F(PolygonEditTest, AddPickAndMoveThroughEditActions) {
    out.str("");
    EXPECT_TRUE(act(5, 1.5, 10));
    EXPECT_EQ(out.str(), "Polygon\n1.5 10\n");
    EXPECT_EQ(planner.pickLon, 1.5f);
    EXPECT_TRUE(act(5, 2.5, 11));
    EXPECT_TRUE(act(5, 3.5, 12));
    EXPECT_EQ(planner.polygon->vertexCount(), 3);

    // Positions at 64 degrees or more are refused before anything happens.
    EXPECT_FALSE(act(5, 4, 64.0));
    EXPECT_EQ(planner.polygon->vertexCount(), 3);

    out.str("");
    EXPECT_FALSE(act(6, 40, 40));
    EXPECT_EQ(out.str(), "Poly Pick Mode\n");
    EXPECT_EQ(planner.editHold, PlannerState::kHoldNone);
    EXPECT_FALSE(act(7, 9, 9));  // nothing held: no move
    double lat = 0, lon = 0;
    ASSERT_TRUE(planner.polygon->currentVertex(lat, lon));
    EXPECT_EQ(lon, 3.5);

    EXPECT_TRUE(act(6, 2.5, 11, 10.0f));  // 0.7 map units: only the second vertex
    EXPECT_EQ(planner.editHold, PlannerState::kHoldPoint);
    EXPECT_TRUE(act(7, 2.75, 11.25));
    ASSERT_TRUE(planner.polygon->currentVertex(lat, lon));
    EXPECT_EQ(lon, 2.75);
    EXPECT_EQ(lat, 11.25);
    EXPECT_EQ(planner.polygon->current(), planner.polygon->first()->next);
}

TEST_F(PolygonEditTest, PointEditorUpdateMovesTheCurrentVertex) {
    planner.polygon->addVertex(1, mapY(2), 2);
    out.str("");
    planner.updatePolygonVertex(-33.5, 151.25);
    EXPECT_EQ(out.str(), "UPDATE POLY -33.5");
    const PolygonVertex* v = planner.polygon->current();
    EXPECT_EQ(v->x, 151.25);
    EXPECT_EQ(v->lat, -33.5);
    EXPECT_DOUBLE_EQ(v->y, 60 * std::log(std::tan(-33.5 * 3.1415926536 / 360 + 0.7853981634)));
    EXPECT_EQ(v->marker.y, v->y);
}

TEST_F(PolygonEditTest, RotatedRingSavesAndReloadsThroughThePlanner) {
    for (int k = 1; k <= 3; ++k) planner.polygon->addVertex(k, mapY(10.0 * k), 10.0 * k);
    planner.polygon->rotateFirstVertex();
    ASSERT_TRUE(planner.savePolygonFile(dir.file("ring.csv")));
    EXPECT_EQ(dir.read("ring.csv"),
              "Lon, Lat  \n2.000000, 20.000000 \n3.000000, 30.000000 \n1.000000, 10.000000 \n");
    planner.polygon->clearPolygon();
    ASSERT_TRUE(planner.loadPolygonFile(dir.file("ring.csv")));
    double lat = 0, lon = 0;
    ASSERT_TRUE(planner.polygon->firstVertex(lat, lon));
    EXPECT_EQ(lon, 2);
    EXPECT_EQ(planner.polygon->vertexCount(), 3);
    // The importer is reachable on its own as well.
    EXPECT_FALSE(planner.importShapefile(dir.file("none.shp")));
    EXPECT_EQ(planner.polygon->vertexCount(), 3);
}

}  // namespace
}  // namespace tessarin
