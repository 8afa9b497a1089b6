// Coverage captures and plan statistics through the framebuffer target,
// against the back-buffer method measured in the same run: every block of
// every leg drawn 2 (coarse capture) or 20 (statistics) times with a swap
// after each draw, then read. The off-screen context stands in for the
// window; its swap is a glFinish (the least a real swap waits for), so the
// baseline is if anything too fast. Medians and ratios are printed at the end.
//
// Scene: a flat 3000 m tile with reference columns, a 20-leg lawnmower plan
// spanning 4 x 4 degrees (21 waypoints, legs 4 degrees long, 0.2 apart).
//
// Statistics over many cells: a world of 6 x 5 flat tiles with reference
// columns, a zigzag plan through all 30 cells (more than the ring of 24
// holds, so the count loads its cells group by group), against a zigzag
// through 4 of them. Cold: the ring emptied before each count; warm: the
// count repeated at once (the wide plan still reloads what its own loads
// evicted).

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
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

namespace {

using namespace tessarin;

struct Scene {
    test::OffscreenGl gl{960, 960};
    test::TempDir dir;
    std::ostringstream out;
    GlTextureSink sink;
    SilentTextPainter text;
    std::unique_ptr<PlannerState> planner;
    std::unique_ptr<SceneRenderer> scene;
    std::unique_ptr<GlCaptureTarget> framebuffer;
    std::unique_ptr<GlCaptureTarget> backBuffer;
};

Scene* scene = nullptr;
std::map<std::string, std::vector<double>> timesMs;

// The 30-cell world: tiles with west edges -44 .. -4 and south edges
// -16 .. 16. It draws in the scene's context, with its console and sinks.
struct WideWorld {
    test::TempDir dir;
    std::unique_ptr<PlannerState> planner;
    std::unique_ptr<SceneRenderer> renderer;
    std::unique_ptr<GlCaptureTarget> target;
};
WideWorld* wide = nullptr;
constexpr int kWideLonCells = 6, kWideLatCells = 5;

// A zigzag of east-west legs through the middle of every cell row of a
// block of lonCells x latCells cells from (-44, -16).
void zigzag(PlannerState& p, int lonCells, int latCells) {
    p.plan->clearPlan();
    const double west = -43.5, east = -44.0 + 8.0 * lonCells - 0.5;
    for (int row = 0; row < latCells; ++row) {
        const double lat = -12.0 + 8.0 * row;
        for (double lon : row % 2 == 0 ? std::vector<double>{west, east} : std::vector<double>{east, west})
            p.addWaypointAt(static_cast<float>(lon), static_cast<float>(mapY(lat)));
    }
}

void buildWideWorld() {
    wide = new WideWorld;
    const std::uint16_t deep = test::codeOfElevation(-3000.0);
    for (int i = 0; i < kWideLonCells; ++i) {
        for (int j = 0; j < kWideLatCells; ++j) {
            test::writeDataTile(wide->dir.path(), -44 + 8 * i, -16 + 8 * j, [deep](int, int col) {
                test::DataPixel p;
                p.code = deep;
                p.blue = col % 480 < 120 ? 3 : 0;
                return p;
            });
        }
    }
    wide->planner = std::make_unique<PlannerState>(scene->out, scene->sink, wide->dir.path());
    wide->renderer = std::make_unique<SceneRenderer>(sceneSourcesOf(*wide->planner), scene->text);
    wide->target = std::make_unique<GlCaptureTarget>(wide->renderer.get());
    wide->planner->coverage->setCaptureTarget(wide->target.get());
}

PlanStatistics wideStats[2];  // 4 cells, 30 cells

void wideStatistics(benchmark::State& state, const char* name, int lonCells, int latCells, bool cold) {
    PlannerState& p = *wide->planner;
    zigzag(p, lonCells, latCells);
    p.computePlanStatistics();  // the swaths' own tiles loaded, shaders warm
    for (auto _ : state) {
        if (cold) p.tiles.releaseAllTiles();
        const auto t0 = std::chrono::steady_clock::now();
        p.computePlanStatistics();
        glFinish();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        timesMs[name].push_back(seconds * 1000.0);
        state.SetIterationTime(seconds);
    }
    wideStats[lonCells * latCells > 4 ? 1 : 0] = p.coverage->statistics;
}

void BM_Statistics4CellsCold(benchmark::State& state) { wideStatistics(state, "statistics 4 cells, cold", 2, 2, true); }
void BM_Statistics4CellsWarm(benchmark::State& state) { wideStatistics(state, "statistics 4 cells, warm", 2, 2, false); }
void BM_Statistics30CellsCold(benchmark::State& state) {
    wideStatistics(state, "statistics 30 cells, cold", kWideLonCells, kWideLatCells, true);
}
void BM_Statistics30CellsWarm(benchmark::State& state) {
    wideStatistics(state, "statistics 30 cells, warm", kWideLonCells, kWideLatCells, false);
}

bool buildScene() {
    scene = new Scene;
    if (!scene->gl.ok()) {
        std::fprintf(stderr, "no off-screen GL context: %s\n", scene->gl.error().c_str());
        return false;
    }
    const std::uint16_t deep = test::codeOfElevation(-3000.0);
    test::writeDataTile(scene->dir.path(), -44, 0, [deep](int, int col) {
        test::DataPixel p;
        p.code = deep;
        p.blue = col >= 600 && col < 900 ? 3 : 0;
        return p;
    });
    scene->planner = std::make_unique<PlannerState>(scene->out, scene->sink, scene->dir.path());
    PlannerState& p = *scene->planner;
    float e = 0.0f;
    p.getDepth(-41.0, 4.0, e);
    for (int i = 0; i <= 20; ++i) {
        const double lon = i % 2 == 0 ? -43.5 : -39.5;
        const double lat = 2.0 + 0.2 * i;
        p.addWaypointAt(static_cast<float>(lon), static_cast<float>(mapY(lat)));
    }
    scene->scene = std::make_unique<SceneRenderer>(sceneSourcesOf(p), scene->text);
    scene->framebuffer = std::make_unique<GlCaptureTarget>(scene->scene.get());
    scene->backBuffer = std::make_unique<GlCaptureTarget>(scene->scene.get(), [] { glFinish(); });
    return true;
}

template <typename Run>
void timed(benchmark::State& state, const char* name, Run run) {
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        glFinish();
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        timesMs[name].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

void BM_PlanCaptureFramebuffer(benchmark::State& state) {
    CoverageGrid& grid = *scene->planner->coverage;
    grid.setCaptureTarget(scene->framebuffer.get());
    timed(state, "plan capture, framebuffer", [&] { grid.capturePlanCoarse(); });
}

// The method as it was: each leg captured on its own, every block of its
// box drawn twice with a swap after each draw.
void BM_PlanCaptureBackBuffer(benchmark::State& state) {
    CoverageGrid& grid = *scene->planner->coverage;
    SurveyPlan& plan = *scene->planner->plan;
    grid.setCaptureTarget(scene->backBuffer.get());
    timed(state, "plan capture, back buffer", [&] {
        plan.walkFromFirst();
        do {
            grid.captureSwathCoarse();
        } while (plan.walkNext());
    });
}


void BM_StatisticsFramebuffer(benchmark::State& state) {
    scene->planner->coverage->setCaptureTarget(scene->framebuffer.get());
    timed(state, "statistics, framebuffer", [&] { scene->planner->computePlanStatistics(); });
}

void BM_StatisticsBackBuffer(benchmark::State& state) {
    scene->planner->coverage->setCaptureTarget(scene->backBuffer.get());
    timed(state, "statistics, back buffer", [&] { scene->planner->computePlanStatistics(); });
}

BENCHMARK(BM_PlanCaptureFramebuffer)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanCaptureBackBuffer)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsFramebuffer)->Iterations(7)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatisticsBackBuffer)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics4CellsCold)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics4CellsWarm)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics30CellsCold)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Statistics30CellsWarm)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!buildScene()) return 1;
    buildWideWorld();
    // The first draws compile the rasteriser's shaders; keep them out.
    scene->planner->coverage->setCaptureTarget(scene->framebuffer.get());
    scene->planner->coverage->capturePlanCoarse();
    scene->planner->computePlanStatistics();
    glFinish();

    benchmark::RunSpecifiedBenchmarks();

    std::printf("\nMedian milliseconds (20 legs over 4 x 4 degrees; %ld blocks drawn, %ld skipped by the framebuffer target):\n",
                scene->framebuffer->drawnBlocks(), scene->framebuffer->skippedBlocks());
    const struct {
        const char* fast;
        const char* slow;
    } pairs[] = {{"plan capture, framebuffer", "plan capture, back buffer"},
                 {"statistics, framebuffer", "statistics, back buffer"}};
    for (const auto& p : pairs) {
        const double fast = median(timesMs[p.fast]);
        const double slow = median(timesMs[p.slow]);
        std::printf("  %-28s %8.2f ms\n  %-28s %8.2f ms   ratio %6.2f\n", p.fast, fast, p.slow, slow,
                    fast > 0.0 ? slow / fast : 0.0);
    }
    // Statistics of the plan, so a broken capture shows in the figures.
    const PlanStatistics& s = scene->planner->coverage->statistics;
    std::printf("  plan: %.1f km2 mapped, %.1f km2 over reference cells, %.1f km2 twice\n", s.totalMappedArea,
                s.referenceOverlapArea, s.selfOverlapArea);
    std::printf("\nStatistics over many cells, median milliseconds, ratio to the 4-cell plan in the same state:\n");
    for (const char* state : {"cold", "warm"}) {
        const double small = median(timesMs[std::string("statistics 4 cells, ") + state]);
        const double large = median(timesMs[std::string("statistics 30 cells, ") + state]);
        std::printf("  %s: 4 cells %8.1f ms, 30 cells %8.1f ms   ratio %6.2f\n", state, small, large,
                    small > 0.0 ? large / small : 0.0);
    }
    for (int i = 0; i < 2; ++i) {
        std::printf("  %s plan: %.1f km2 mapped, %.1f km2 over reference cells\n", i == 0 ? "4-cell" : "30-cell",
                    wideStats[i].totalMappedArea, wideStats[i].referenceOverlapArea);
    }
    benchmark::Shutdown();
    wide->target.reset();
    delete wide;
    delete scene;
    return 0;
}
