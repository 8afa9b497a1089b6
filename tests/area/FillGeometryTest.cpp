#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

#include "area/SurveyPolygon.hpp"

// Fill geometry of the polygon in plain map units (y given directly).

namespace tessarin {
namespace {

class FillGeometryTest : public ::testing::Test {
protected:
    std::ostringstream out;
    SurveyPolygon polygon{out, 4.0f};

    void ring(const std::vector<std::pair<double, double>>& xy) {
        polygon.clearPolygon();
        for (const auto& p : xy) polygon.addVertex(p.first, p.second, p.second);
    }
};

TEST_F(FillGeometryTest, ClipFindsBothSidesOfEveryOutline) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> ring;
        double x1, y1, x2, y2;  // the line
        bool found;
        double px, py, qx, qy;  // p on the first vertex's side, q on the second's
    };
    const Case cases[] = {
        // Level line across a rectangle's vertical sides: the mended case (the
        // sides were never found, so a loaded rectangle filled one line).
        {"level line, vertical sides", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 2, 0.4, 0, 0.4, true, 0, 0.4, 2, 0.4},
        // The line's own ends lie inside the ring: the sides still bound it.
        {"short level line", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 0.9, 0.4, 1.1, 0.4, true, 0, 0.4, 2, 0.4},
        // Vertical line across horizontal edges (first edge is the east side).
        {"vertical line, level sides", {{2, 0}, {2, 1}, {0, 1}, {0, 0}}, 1.5, 0.0, 1.5, 1.0, true, 1.5, 0, 1.5, 1},
        // Slanted sides: the general case, bounded by the edges' y range.
        {"trapezoid", {{0, 0}, {2, 0}, {1.5, 1}, {0.5, 1}}, 0, 0.5, 2, 0.5, true, 0.25, 0.5, 1.75, 0.5},
        {"sloping line", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}, 0, 0.5, 2, 1.5, true, 0, 0.5, 2, 1.5},
        // A level line along the top edge: that edge is parallel and is never
        // crossed; the sides meet it at their ends.
        {"along the top edge", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 0, 1, 2, 1, true, 0, 1, 2, 1},
        // A fitted line that crosses the first edge: that edge bounds it too
        // (found from both ends of the search it gave a zero-length line).
        {"across the first edge", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 0, -0.5, 2, 0.5, true, 1, 0, 2, 0.5},
        // A notch in the top side: the outermost crossings of the line.
        {"notched",
         {{0, 0}, {2, 0}, {2, 1}, {1.2, 1}, {1, 0.2}, {0.8, 1}, {0, 1}}, 0, 0.6, 2, 0.6, true, 0, 0.6, 2, 0.6},
        // Above the ring: no side reaches it.
        {"beyond the far side", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, 0, 1.2, 2, 1.2, false, 0, 0, 0, 0},
        {"beyond a slanted far side", {{0, 0}, {2, 0}, {1.5, 1}, {0.5, 1}}, 0, 1.3, 2, 1.3, false, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ring(c.ring);
        double px = -9, qx = -9, py = -9, qy = -9;
        ASSERT_EQ(polygon.clipLineToPolygon(c.x1, c.x2, c.y1, c.y2, px, qx, py, qy), c.found);
        if (!c.found) continue;
        EXPECT_NEAR(px, c.px, 1e-12);
        EXPECT_NEAR(py, c.py, 1e-12);
        EXPECT_NEAR(qx, c.qx, 1e-12);
        EXPECT_NEAR(qy, c.qy, 1e-12);
    }
}

TEST_F(FillGeometryTest, InsidePiecesSplitAtEveryCrossing) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> ring;
        double x1, y1, x2, y2;
        std::vector<double> ends;  // x of the piece ends, in running order
    };
    const std::vector<std::pair<double, double>> notch = {{0, 0}, {2, 0}, {2, 1}, {1.2, 1}, {1, 0.2}, {0.8, 1}, {0, 1}};
    const Case cases[] = {
        {"notch, eastward", notch, 0, 0.6, 2, 0.6, {0, 0.9, 1.1, 2}},
        {"notch, westward", notch, 2, 0.6, 0, 0.6, {2, 1.1, 0.9, 0}},
        {"below the notch", notch, 0, 0.1, 2, 0.1, {0, 2}},
        // Through the notch's tip: the ring only touches the line there.
        {"through the tip", notch, 0, 0.2, 2, 0.2, {0, 2}},
        {"outside", notch, 0, 1.5, 2, 1.5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ring(c.ring);
        std::vector<double> ends;
        for (const InsidePiece& p : polygon.insidePieces(c.x1, c.y1, c.x2, c.y2)) {
            ends.push_back(p.ax);
            ends.push_back(p.bx);
            EXPECT_NEAR(p.ay, c.y1, 1e-12);
        }
        ASSERT_EQ(ends.size(), c.ends.size());
        for (std::size_t i = 0; i < ends.size(); ++i) EXPECT_NEAR(ends[i], c.ends[i], 1e-12);
        // The stretches' midpoints lie inside, the gaps' outside.
        for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
            EXPECT_EQ(polygon.contains(0.5 * (ends[i] + ends[i + 1]), c.y1), i % 2 == 0);
        }
    }
}

TEST_F(FillGeometryTest, PrepareFillAdvancesIntoThePolygon) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> ring;
        double fillSign;
        float farReach;
    };
    const Case cases[] = {
        {"anticlockwise", {{0, 0}, {2, 0}, {2, 1}, {0, 1}}, -1.0, 1.0f},
        {"clockwise", {{0, 0}, {0, 1}, {2, 1}, {2, 0}}, 1.0, 2.0f},
        {"triangle", {{0, 0}, {3, 0}, {1, 2.5}}, -1.0, 2.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ring(c.ring);
        polygon.prepareFill();
        EXPECT_EQ(polygon.fillSign, c.fillSign);
        EXPECT_FLOAT_EQ(polygon.farReach, c.farReach);
        // The first line moved by the spacing lies on the polygon's side.
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        polygon.lineCount = 0;
        ASSERT_TRUE(polygon.nextFillLine(0.0f, x1, y1, x2, y2));
        ASSERT_TRUE(polygon.nextFillLine(0.25f, x1, y1, x2, y2));
        const double mx = 0.5 * (x1 + x2), my = 0.5 * (y1 + y2);
        EXPECT_NEAR(polygon.distanceFromFirstEdge(mx, my), 0.25, 1e-6);
        double px = 0, qx = 0, py = 0, qy = 0;
        EXPECT_TRUE(polygon.clipLineToPolygon(x1, x2, y1, y2, px, qx, py, qy));
    }
}

TEST_F(FillGeometryTest, FillLineAlternatesAndStopsBeyondTheFarthestVertex) {
    ring({{0, 0}, {2, 0}, {2, 1}, {0, 1}});
    polygon.prepareFill();
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ASSERT_TRUE(polygon.nextFillLine(0.0f, x1, y1, x2, y2));
    EXPECT_EQ(x1, 0.0);  // A to B
    EXPECT_EQ(x2, 2.0);
    ASSERT_TRUE(polygon.nextFillLine(0.5f, x1, y1, x2, y2));
    EXPECT_EQ(x1, 2.0);  // B to A, moved in
    EXPECT_DOUBLE_EQ(y1, 0.5);
    bool stop = false;
    EXPECT_FALSE(polygon.setFillLine(0.0, 2.0, 0.5, 0.5, stop));
    EXPECT_FALSE(stop);
    EXPECT_TRUE(polygon.setFillLine(0.0, 2.0, 1.5, 1.5, stop));
    EXPECT_TRUE(stop);
    EXPECT_FALSE(polygon.nextFillLine(0.0f, x1, y1, x2, y2));  // stored line is beyond
    EXPECT_EQ(polygon.lineCount, 2);
}

}  // namespace
}  // namespace tessarin
