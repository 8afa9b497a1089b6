// A transit planned with the shared window searches is the transit the
// reference searches plan, to the last bit, on a test world and on the
// sample world's demo transit (key a).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TileWriter.hpp"
#include "transit/TransitPlanner.hpp"
#include "transit/TransitWorld.hpp"

namespace tessarin {
namespace {

struct Outcome {
    std::vector<double> waypoints;  // lon, lat, y of each
    std::string console;
};

void addWaypoints(Outcome& o, const SurveyPlan& plan) {
    for (const Waypoint* w = plan.first(); w; w = w->next) o.waypoints.insert(o.waypoints.end(), {w->lon, w->lat, w->y});
}

void expectSame(const Outcome& got, const Outcome& reference) {
    ASSERT_EQ(got.waypoints.size(), reference.waypoints.size());
    for (std::size_t i = 0; i < got.waypoints.size(); ++i)
        EXPECT_EQ(got.waypoints[i], reference.waypoints[i]) << "value " << i;
    EXPECT_EQ(got.console, reference.console);
}

// 3000 m of water in the cell 4..12 E, 0..8 N, mapped south of 4 N and in a
// band from 4.4 to 4.5 N; the transit runs along 4.3 N.
Outcome onTestWorld(SearchPath path, int mode) {
    test::TransitWorld w(false);
    test::writeDataTile(w.dir.path(), 4, 0, [](int row, int col) {
        test::DataPixel p;
        p.code = test::codeOfElevation(-3000.0 - col / 4);
        p.blue = row >= 4 * 240 || (row > 840 && row < 864) ? 3 : 0;
        return p;
    });
    TransitPlanner transit(w.tiles, w.plan, w.coverage, w.out, w.boatSpeed, w.depthMultiplier,
                           makeEdgeSegmentFitter(w.tiles, w.plan, w.coverage, w.out, path));
    transit.planTransitSegments(false, 5.0, 11.0, 4.3, 4.3, 0, mode, w.progress);
    Outcome o;
    addWaypoints(o, w.plan);
    o.console = w.takeOutput();
    const std::string root = w.dir.path();
    for (std::size_t at = o.console.find(root); at != std::string::npos; at = o.console.find(root, at))
        o.console.replace(at, root.size(), "<root>/");
    return o;
}

// Key a's sequence on the sample world, from a cold tile store.
Outcome onSampleWorld(SearchPath path, bool abut) {
    std::ostringstream out;
    NullTextureSink sink;
    NullProgress silent;
    PlannerState planner(out, sink, TESSARIN_WORLD_DIR);
    planner.setProgress(&silent);
    planner.transit = std::make_unique<TransitPlanner>(
        planner.tiles, *planner.plan, *planner.coverage, out, planner.config.boatSpeed, planner.config.depthMultiplier,
        makeEdgeSegmentFitter(planner.tiles, *planner.plan, *planner.coverage, out, path));
    out.str("");
    planner.setDemoTransit(32.03f, -122.786f, 23.42f, -155.65f);
    planner.computeGreatCircle();
    planner.loadTilesOnArc();
    planner.planTransit(false, abut);
    Outcome o;
    addWaypoints(o, *planner.plan);
    o.console = out.str();
    return o;
}

TEST(TransitSearchPath, SharedSearchesPlanTheReferenceTransit) {
    struct Case {
        const char* name;
        bool sampleWorld;
        int mode;  // 2 abut, 1 unmapped
    };
    const Case cases[] = {
        {"test world, abut", false, 2},
        {"test world, unmapped", false, 1},
        {"sample world, key a", true, 2},
        {"sample world, unmapped", true, 1},
    };
    const bool haveSample = std::filesystem::exists(std::string(TESSARIN_WORLD_DIR) + "config.txt");
    bool skipped = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.sampleWorld && !haveSample) {
            skipped = true;
            continue;
        }
        auto plan = [&](SearchPath path) {
            return c.sampleWorld ? onSampleWorld(path, c.mode == 2) : onTestWorld(path, c.mode);
        };
        const Outcome reference = plan(SearchPath::Reference);
        ASSERT_EQ(reference.waypoints.size(), 8u * 3u);
        expectSame(plan(SearchPath::Shared), reference);
    }
    if (skipped) GTEST_SKIP() << "the sample world cases need " << TESSARIN_WORLD_DIR << " (scripts/run makes it)";
}

}  // namespace
}  // namespace tessarin
