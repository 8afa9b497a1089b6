// The fill's extra variant with real captures (framebuffer target in an
// off-screen context): each line is fitted against the coverage the line
// before it left, and captured for the next.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageWorld.hpp"

namespace tessarin {
namespace {

constexpr std::uint8_t kPlanBit = 0x20;

struct Line {
    double xStart, xEnd, y;
};

// Square 42..41 W, 1..2 N over the flat 3000 m floor; first edge the south side.
std::vector<Line> fillSquare(test::CoverageWorld& w, bool extra) {
    for (const auto& p : {std::pair{-42.0, 1.0}, {-41.0, 1.0}, {-41.0, 2.0}, {-42.0, 2.0}}) {
        w.planner->polygon->addVertex(p.first, mapY(p.second), p.second);
    }
    w.planner->fillPolygon(extra);
    std::vector<Line> lines;
    for (const Waypoint* a = w.plan().first(); a && a->next; a = a->next->next) {
        lines.push_back({a->lon, a->next->lon, a->y});
        // The fit may tilt a line by up to a coverage cell (1/240 degree,
        // 0.0044 map units here), where the captured edge steps.
        EXPECT_NEAR(a->y, a->next->y, 5e-3) << "line " << lines.size() - 1 << " is not level";
    }
    return lines;
}

TEST(PolygonFillCapture, ExtraFitsEachLineAgainstThePreviousSwath) {
    test::CoverageWorld w;
    if (!w.gl.ok()) GTEST_SKIP() << w.gl.error();
    const std::vector<Line> lines = fillSquare(w, true);
    // Nominal spacing 0.9 * 4 * 3000 / 111111 * sec(1 N) = 0.0972; fitted to
    // the captured edge of the line before, each step stays close to it
    // (a failed fit would jump 21 steps of 5 % of the swath at once).
    ASSERT_GE(lines.size(), 10u);
    const double y0 = mapY(1.0), far = mapY(2.0) - y0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        SCOPED_TRACE(i);
        // The last line is laid where its swath reaches the far side.
        if (i + 1 < lines.size()) {
            EXPECT_NEAR(lines[i].y - lines[i - 1].y, 0.0972, 0.008);
        }
        // Alternating directions, clipped to the sides.
        EXPECT_NEAR(i % 2 == 0 ? lines[i].xStart : lines[i].xEnd, -42.0, 1e-6);
        EXPECT_NEAR(i % 2 == 0 ? lines[i].xEnd : lines[i].xStart, -41.0, 1e-6);
    }
    EXPECT_NEAR(lines.back().y - y0, far - 0.5 * 0.0972, 0.003);  // half a spacing inside the far side
    // The captures left the plan bit under the lines.
    std::uint16_t v = 0;
    ASSERT_TRUE(w.planner->getCoverage(-41.5, latitudeFromMapY(lines[3].y), v));
    EXPECT_TRUE(v & kPlanBit);
}

TEST(PolygonFillCapture, PlainFillCapturesNothing) {
    test::CoverageWorld w;
    if (!w.gl.ok()) GTEST_SKIP() << w.gl.error();
    const std::vector<Line> lines = fillSquare(w, false);
    // 10 * 0.0972 < 1.047 < 11 * 0.0972, and the eleventh swath ends short
    // of the far side: a twelfth line half a spacing inside it.
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_NEAR(lines.back().y - mapY(1.0), mapY(2.0) - mapY(1.0) - 0.5 * 0.0972, 1e-3);
    std::uint16_t v = 0xffff;
    ASSERT_TRUE(w.planner->getCoverage(-41.5, latitudeFromMapY(lines[3].y), v));
    EXPECT_EQ(v & kPlanBit, 0);
}

}  // namespace
}  // namespace tessarin
