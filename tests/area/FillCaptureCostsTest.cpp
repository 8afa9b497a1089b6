// The fill with fitting gives the same plan, console text and coverage marks
// whether its captures take the lean path (parts of blocks, pass clears of
// the marked rows only, textures once at the end) or the baseline path that
// captures whole blocks and clears every row of every resident tile.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/GlCaptureTarget.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/BitmapText.hpp"
#include "render/GlTextureSink.hpp"
#include "render/SceneRenderer.hpp"
#include "support/OffscreenGl.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

// One tile, 44..36 W, 0..8 N: 4000 m deep south of 1 N, shoaling to 300 m at
// 3 N and flat north of it. Reference coverage (a neighbouring survey) in a
// band of longitudes 40.6..40.5 W north of 0.5 N, and in a band of latitudes
// 0.9..1.0 N west of 40 W.
const test::TempDir& world() {
    static test::TempDir dir;
    static const bool written = [] {
        test::writeDataTile(dir.path(), -44, 0, [](int row, int col) {
            const double lat = 8.0 - (row + 0.5) / 240.0;
            const double lon = -44.0 + (col + 0.5) / 240.0;
            const double t = std::clamp((lat - 1.0) / 2.0, 0.0, 1.0);
            test::DataPixel p;
            p.code = test::codeOfElevation(-4000.0 + t * 3700.0);
            const bool band = lon > -40.6 && lon < -40.5 && lat > 0.5;
            const bool south = lat > 0.9 && lat < 1.0 && lon < -40.0;
            p.blue = band || south ? 3 : 0;
            return p;
        });
        dir.write("config.txt", "depth_multiplier 4.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");
        return true;
    }();
    (void)written;
    return dir;
}

struct Planner {
    std::ostringstream out;
    SilentTextPainter text;
    std::unique_ptr<PlannerState> state;
    std::unique_ptr<SceneRenderer> scene;
    std::unique_ptr<GlCaptureTarget> target;

    explicit Planner(TextureSink& sink) {
        state = std::make_unique<PlannerState>(out, sink, world().path());
        scene = std::make_unique<SceneRenderer>(sceneSourcesOf(*state), text);
        target = std::make_unique<GlCaptureTarget>(scene.get());
        state->coverage->setCaptureTarget(target.get());
    }
};

// What a fill leaves: waypoints, console text, coverage bytes and fine cells.
struct FillResult {
    std::vector<double> waypoints;  // lon, lat, y of each waypoint
    std::string console;
    std::vector<std::uint8_t> coverage;
    std::vector<std::uint8_t> fine;
    int fineCells = 0;
    int planCells = 0;
};

FillResult fill(Planner& p, const std::vector<std::pair<double, double>>& ring, CoverageGrid::CaptureCosts costs) {
    p.state->coverage->setCaptureCosts(costs);
    // Resident before the fill, so that the fill makes its fine sub-grids.
    float elevation = 0.0f;
    p.state->getDepth(-40.0, 4.0, elevation);
    for (const auto& v : ring) p.state->polygon->addVertex(v.first, mapY(v.second), v.second);
    p.out.str("");
    p.state->fillPolygon(true);
    FillResult r;
    for (const Waypoint* w = p.state->plan->first(); w; w = w->next) r.waypoints.insert(r.waypoints.end(), {w->lon, w->lat, w->y});
    r.console = p.out.str();
    DepthTile* tile = p.state->tiles.residentTile(-40.0, 4.0);
    if (!tile) return r;
    for (int row = 0; row < tile->height; ++row) {
        const std::uint8_t* b = static_cast<const DepthTile*>(tile)->coverageRow(row);
        r.coverage.insert(r.coverage.end(), b, b + tile->width);
        for (int c = 0; c < tile->width; ++c) r.planCells += (b[c] & 0x20) != 0;
    }
    for (const auto& grid : tile->fine) {
        if (!grid) continue;
        r.fine.insert(r.fine.end(), grid.get(), grid.get() + DepthTile::kFineSize * DepthTile::kFineSize);
    }
    for (std::uint8_t v : r.fine) r.fineCells += v != 0;
    return r;
}

// The first line where two texts differ, with its number; empty when equal.
std::string firstDifference(const std::string& a, const std::string& b) {
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    for (int n = 1;; ++n) {
        const bool ga = static_cast<bool>(std::getline(sa, la));
        const bool gb = static_cast<bool>(std::getline(sb, lb));
        if (!ga && !gb) return "";
        if (ga != gb || la != lb) return "line " + std::to_string(n) + ": \"" + la + "\" against \"" + lb + "\"";
    }
}

TEST(FillCaptureCosts, LeanPathGivesTheBaselinePlanBitForBit) {
    test::OffscreenGl gl(64, 64);
    if (!gl.ok()) GTEST_SKIP() << gl.error();
    GlTextureSink sink;
    const struct {
        const char* name;
        std::vector<std::pair<double, double>> ring;
        bool fine;  // the floor rises above 1100 m: some lines are captured finely
    } areas[] = {
        {"deep square, no reference coverage", {{-43.5, 0.2}, {-42.7, 0.2}, {-42.7, 0.9}, {-43.5, 0.9}}, false},
        {"square against and across reference coverage",
         {{-41.0, 1.0}, {-40.2, 1.0}, {-40.2, 1.6}, {-41.0, 1.6}},
         false},
        {"shoaling square, coarse then fine", {{-43.0, 2.4}, {-42.6, 2.4}, {-42.6, 2.7}, {-43.0, 2.7}}, true},
        {"slanted quadrilateral over the slope", {{-42.2, 1.8}, {-41.7, 2.2}, {-41.9, 2.6}, {-42.4, 2.2}}, true},
    };
    for (const auto& a : areas) {
        SCOPED_TRACE(a.name);
        // Separate planners: each reads its tile afresh and starts unmarked.
        Planner baselinePlanner(sink), leanPlanner(sink);
        const FillResult baseline = fill(baselinePlanner, a.ring, CoverageGrid::CaptureCosts::Baseline);
        const FillResult lean = fill(leanPlanner, a.ring, CoverageGrid::CaptureCosts::Lean);
        ASSERT_GE(baseline.waypoints.size(), 3u * 2 * 4) << "the fill laid fewer than 4 lines";
        ASSERT_GT(baseline.planCells, 0) << "the captures marked nothing";
        EXPECT_EQ(baseline.fineCells > 0, a.fine);
        ASSERT_EQ(lean.waypoints.size(), baseline.waypoints.size());
        EXPECT_EQ(std::memcmp(lean.waypoints.data(), baseline.waypoints.data(), lean.waypoints.size() * sizeof(double)),
                  0)
            << "waypoints differ";
        EXPECT_EQ(firstDifference(lean.console, baseline.console), "") << "console text differs";
        EXPECT_TRUE(lean.coverage == baseline.coverage) << "coverage bytes differ";
        EXPECT_TRUE(lean.fine == baseline.fine) << "fine cells differ";
    }
}

}  // namespace
}  // namespace tessarin
