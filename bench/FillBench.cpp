// The polygon fill end to end, with real captures through the framebuffer
// target in an off-screen context, each against a baseline measured in the
// same run:
//
//   fill, extra        fillPolygon(true) on Area_1.csv: fits and captures every line
//   fill, extra, base  the same with the captures' baseline costs (whole blocks,
//                      pass clears of every resident tile, a texture after
//                      every capture) as the captures had them before
//   fill, extra, bare  fillPolygon(true) on Area_1 with the reference coverage
//                      wiped: the whole pattern fitted against its own captures
//   fill, bare, base   the same with the baseline capture costs
//   fill, plain        fillPolygon(false) of the same polygon (baseline)
//   shoal, extra       fillPolygon(true) on a 1 x 1 degree square whose floor
//                      shoals from 4000 m at its south side to 50 m at its north
//   shoal, plain       fillPolygon(false) of the same square (baseline)
//   refine             refineEdgeOverlap of a 1-unit line beside a captured swath
//   score              one edgeOverlapScore of the same line (baseline; the
//                      refine scores 43 x 43 candidates)
//   depth lookup       getDepth on a resident tile, to price the fill's lookups
//
// After the timings it prints, for both fills of Area_1, Area_2, Area_3 (those
// the world holds), an L-shaped area and a square with a notch, the share of
// the area under the union of the plan's swath polygons, the count of survey
// lines with a stretch outside the area, and the fill's wall and CPU time;
// for the fill with fitting also its wall time with the baseline capture
// costs and whether both gave the same waypoints, bit for bit.
//
// bench_FillBench --profile AREA.csv N [bare] [baseline] runs only N fills
// with fitting of that area (for a profiler) and prints their times.
//
// The world is read from $TESSARIN_BENCH_WORLD (default build/bench-world,
// written by: tessarin-worldgen --out build/bench-world --region -132 -124 8 16;
// --region -132 -116 8 40 holds all three sample areas). The shoaling square
// lies in a tile the benchmark writes itself.
// Medians, ratios and the fill's shares of time are printed at the end.

#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
#include "area/PolygonFill.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/GlCaptureTarget.hpp"
#include "earth/MapProjection.hpp"
#include "fit/CoverageLookup.hpp"
#include "fit/EdgeFit.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/BitmapText.hpp"
#include "render/GlTextureSink.hpp"
#include "render/SceneRenderer.hpp"
#include "support/OffscreenGl.hpp"
#include "support/SwathUnion.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace {

using namespace tessarin;

// One planner over one world, with its own capture target.
struct World {
    std::string root;
    std::ostringstream out;
    SilentTextPainter text;
    NullProgress quiet;
    std::unique_ptr<PlannerState> planner;
    std::unique_ptr<SceneRenderer> scene;
    std::unique_ptr<GlCaptureTarget> target;

    World(const std::string& folder, TextureSink& sink) : root(folder) {
        planner = std::make_unique<PlannerState>(out, sink, root);
        planner->setProgress(&quiet);
        scene = std::make_unique<SceneRenderer>(sceneSourcesOf(*planner), text);
        target = std::make_unique<GlCaptureTarget>(scene.get());
        planner->coverage->setCaptureTarget(target.get());
    }
};

struct Scene {
    test::OffscreenGl gl{960, 960};
    GlTextureSink sink;
    std::string root;
    std::ostringstream& out() { return sample->out; }
    std::unique_ptr<World> sample;
    // The shoaling square: 5..6 E, 1..2 N over a floor that rises from 4000 m
    // at 1 N to 50 m at 2 N, flat swath multiplier 4, fill overlap 10.
    test::TempDir shoalDir;
    std::unique_ptr<World> shoal;
    PlannerState* planner = nullptr;  // the sample world's
};

Scene* scene = nullptr;

void writeShoalWorld(const test::TempDir& dir) {
    test::writeDataTile(dir.path(), 4, 0, [](int row, int) {
        const double lat = 8.0 - (row + 0.5) / 240.0;
        const double t = std::clamp(lat - 1.0, 0.0, 1.0);
        test::DataPixel p;
        p.code = test::codeOfElevation(-4000.0 + t * (4000.0 - 50.0));
        return p;
    });
    dir.write("config.txt", "depth_multiplier 4.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");
}

void setShoalSquare(PlannerState& p) {
    p.polygon->clearPolygon();
    for (const auto& v : {std::pair{5.0, 1.0}, {6.0, 1.0}, {6.0, 2.0}, {5.0, 2.0}}) {
        p.polygon->addVertex(v.first, mapY(v.second), v.second);
    }
}
std::map<std::string, std::vector<double>> timesMs;
FillProfile extraProfile;
int extraRuns = 0;

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool buildScene() {
    scene = new Scene;
    if (!scene->gl.ok()) {
        std::fprintf(stderr, "no off-screen GL context: %s\n", scene->gl.error().c_str());
        return false;
    }
    const char* env = std::getenv("TESSARIN_BENCH_WORLD");
    scene->root = std::string(env ? env : "build/bench-world") + "/";
    scene->sample = std::make_unique<World>(scene->root, scene->sink);
    scene->planner = scene->sample->planner.get();
    writeShoalWorld(scene->shoalDir);
    scene->shoal = std::make_unique<World>(scene->shoalDir.path(), scene->sink);
    if (!scene->planner->loadPolygonFile(scene->root + "Area_1.csv") || scene->planner->polygon->empty()) {
        std::fprintf(stderr, "cannot read %sArea_1.csv: write the world first (see the top of FillBench.cpp)\n",
                     scene->root.c_str());
        return false;
    }
    return true;
}

// A fresh plan, no plan marks, and Area_1 again (the polygon clear deletes it).
void resetArea() {
    PlannerState& p = *scene->planner;
    p.plan->clearPlan();
    p.coverage->clearPolygonCoverage();
    p.loadPolygonFile(scene->root + "Area_1.csv");
    scene->out().str("");
}

void resetShoal() {
    PlannerState& p = *scene->shoal->planner;
    p.plan->clearPlan();
    p.coverage->clearPolygonCoverage();
    setShoalSquare(p);
    scene->shoal->out.str("");
}

using Costs = CoverageGrid::CaptureCosts;

double runFill(bool extra, FillProfile* profile, PlannerState* planner = nullptr, Costs costs = Costs::Lean) {
    PlannerState& p = planner ? *planner : *scene->planner;
    p.coverage->setCaptureCosts(costs);
    const GridCoverageLookup lookup(p.tiles, *p.coverage);
    PolygonFill fill(*p.polygon, *p.plan, p.tiles, *p.coverage, lookup, p.progress(), p.out());
    fill.profile = profile;
    const auto t0 = std::chrono::steady_clock::now();
    fill.run(extra, FillSettings{p.config.boatSpeed, p.config.depthMultiplier, p.config.fillOverlap});
    glFinish();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    p.coverage->setCaptureCosts(Costs::Lean);
    return seconds;
}

void BM_FillExtra(benchmark::State& state) {
    for (auto _ : state) {
        resetArea();
        const double s = runFill(true, &extraProfile);
        ++extraRuns;
        timesMs["fill, extra"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

// The same fill with the reference coverage wiped from the tile: on the
// sample world the first fitted line abuts a reference survey south of the
// first edge and its clip ends the fill after two lines; without it the
// fill lays its whole pattern against its own captures.
FillProfile bareProfile;
int bareRuns = 0;

void wipeReference() {
    DepthTile* t = scene->planner->tiles.residentTile(-125.5, 12.0);
    if (!t) return;
    for (int row = 0; row < t->height; ++row) std::fill_n(t->coverageRow(row), t->width, std::uint8_t{0});
}

void BM_FillExtraWithoutReference(benchmark::State& state) {
    for (auto _ : state) {
        resetArea();
        wipeReference();
        const double s = runFill(true, &bareProfile);
        ++bareRuns;
        timesMs["fill, extra, bare"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

FillProfile bareBaseProfile;
int bareBaseRuns = 0;

void BM_FillExtraWithoutReferenceBaseline(benchmark::State& state) {
    for (auto _ : state) {
        resetArea();
        wipeReference();
        const double s = runFill(true, &bareBaseProfile, nullptr, Costs::Baseline);
        ++bareBaseRuns;
        timesMs["fill, bare, base"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

void BM_FillExtraBaseline(benchmark::State& state) {
    for (auto _ : state) {
        resetArea();
        const double s = runFill(true, nullptr, nullptr, Costs::Baseline);
        timesMs["fill, extra, base"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

void BM_FillPlain(benchmark::State& state) {
    for (auto _ : state) {
        resetArea();
        const double s = runFill(false, nullptr);
        timesMs["fill, plain"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

FillProfile shoalProfile;
int shoalRuns = 0;

void BM_FillShoalExtra(benchmark::State& state) {
    for (auto _ : state) {
        resetShoal();
        const double s = runFill(true, &shoalProfile, scene->shoal->planner.get());
        ++shoalRuns;
        timesMs["shoal, extra"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

void BM_FillShoalPlain(benchmark::State& state) {
    for (auto _ : state) {
        resetShoal();
        const double s = runFill(false, nullptr, scene->shoal->planner.get());
        timesMs["shoal, plain"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

// A line 1 unit long running north inside Area_1 beside the captured swath of
// a parallel leg 0.14 units to the west (one swath width at about 4000 m).
struct RefineCase {
    FitLine line = FitLine::fromDegrees(-125.5, 11.6, -125.5, 12.2);
    void prepare() {
        PlannerState& p = *scene->planner;
        p.plan->clearPlan();
        p.addWaypointAt(-125.64f, static_cast<float>(mapY(11.6)));
        p.addWaypointAt(-125.64f, static_cast<float>(mapY(12.2)));
        p.plan->walkFromFirst();
        p.coverage->captureSwathCoarse();
        scene->out().str("");
    }
};

void BM_RefineEdgeOverlap(benchmark::State& state) {
    RefineCase c;
    c.prepare();
    PlannerState& p = *scene->planner;
    const GridCoverageLookup lookup(p.tiles, *p.coverage);
    EdgeFit fit(p.tiles, lookup, *p.plan, scene->out());
    for (auto _ : state) {
        int side = kSideUndecided;
        FitLine result;
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(fit.refineEdgeOverlap(c.line, result, 10.0f, 0.01f, side, false));
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        timesMs["refine"].push_back(s * 1000.0);
        state.SetIterationTime(s);
        scene->out().str("");
    }
}

void BM_EdgeOverlapScore(benchmark::State& state) {
    RefineCase c;
    PlannerState& p = *scene->planner;
    const GridCoverageLookup lookup(p.tiles, *p.coverage);
    EdgeFit fit(p.tiles, lookup, *p.plan, scene->out());
    for (auto _ : state) {
        int side = kSideStarboard;
        float inside = 0.0f, outside = 0.0f;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 100; ++i) {
            benchmark::DoNotOptimize(fit.edgeOverlapScore(c.line, 10.0f, inside, outside, side, false));
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / 100.0;
        timesMs["score"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

void BM_DepthLookup(benchmark::State& state) {
    TileStore& tiles = scene->planner->tiles;
    for (auto _ : state) {
        float e = 0.0f;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 100000; ++i) {
            tiles.getDepth(-126.0 + 1e-5 * i, 11.5 + 0.7e-5 * i, e);
            benchmark::DoNotOptimize(e);
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / 100000.0;
        timesMs["depth lookup"].push_back(s * 1000.0);
        state.SetIterationTime(s);
    }
}

BENCHMARK(BM_FillExtra)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillExtraBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillExtraWithoutReference)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillExtraWithoutReferenceBaseline)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillPlain)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillShoalExtra)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillShoalPlain)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefineEdgeOverlap)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdgeOverlapScore)->Iterations(5)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DepthLookup)->Iterations(5)->UseManualTime()->Unit(benchmark::kNanosecond);

// An area for the coverage table: a sample polygon file or a ring of
// (lon, lat) vertices.
struct CoverageArea {
    const char* name;
    const char* file;
    std::vector<std::pair<double, double>> ring;
};

// Both fills of each area on the sample world: the share of the area under
// the union of the swath polygons, and the survey lines that leave it.
void printCoverageTable() {
    const CoverageArea areas[] = {
        {"Area_1", "Area_1.csv", {}},
        {"Area_2", "Area_2.csv", {}},
        {"Area_3", "Area_3.csv", {}},
        // An L in deep water west of Area_1: a 1 x 1 degree square less its
        // north-east quarter, first edge along the south side.
        {"L-shaped",
         nullptr,
         {{-128.0, 11.0}, {-127.0, 11.0}, {-127.0, 11.5}, {-127.5, 11.5}, {-127.5, 12.0}, {-128.0, 12.0}}},
        // A square with a V notch cut into its north side.
        {"notched",
         nullptr,
         {{-126.6, 13.0}, {-125.8, 13.0}, {-125.8, 13.8}, {-126.1, 13.8}, {-126.2, 13.3}, {-126.3, 13.8},
          {-126.6, 13.8}}},
    };
    PlannerState& p = *scene->planner;
    // A fresh plan without marks and the area's polygon; false when there is
    // no such area or no data under its first vertex.
    auto prepare = [&](const CoverageArea& a) {
        p.plan->clearPlan();
        p.coverage->clearPolygonCoverage();
        if (a.file) {
            if (!p.loadPolygonFile(scene->root + a.file) || p.polygon->empty()) return false;
        } else {
            p.polygon->clearPolygon();
            for (const auto& v : a.ring) p.polygon->addVertex(v.first, mapY(v.second), v.second);
        }
        float e = 0.0f;
        return p.tiles.getDepth(p.polygon->first()->x, p.polygon->first()->lat, e);
    };
    auto waypoints = [&] {
        std::vector<double> v;
        for (const Waypoint* w = p.plan->first(); w; w = w->next) v.insert(v.end(), {w->lon, w->lat, w->y});
        return v;
    };
    std::printf("\nCoverage of the area by the union of the swath polygons:\n");
    std::printf("  %-10s %-6s %6s %9s %8s %9s %9s %9s %6s %s\n", "area", "fill", "lines", "covered", "outside", "ms",
                "cpu ms", "base ms", "ratio", "same plan");
    for (const CoverageArea& a : areas) {
        for (const bool extra : {false, true}) {
            if (!prepare(a)) continue;
            const std::clock_t cpu0 = std::clock();
            const double seconds = runFill(extra, nullptr);
            const double cpuSeconds = static_cast<double>(std::clock() - cpu0) / CLOCKS_PER_SEC;
            const test::SwathUnionFigures f = test::measureSwathUnion(*p.plan, *p.polygon);
            std::printf("  %-10s %-6s %6d %8.1f%% %8d %9.0f %9.0f", a.name, extra ? "key f" : "plain", f.surveyLines,
                        100.0 * f.coveredFraction, f.linesOutside, seconds * 1000.0, cpuSeconds * 1000.0);
            if (extra) {
                const std::vector<double> lean = waypoints();
                prepare(a);
                const double baseSeconds = runFill(true, nullptr, nullptr, Costs::Baseline);
                const std::vector<double> base = waypoints();
                const bool same = lean.size() == base.size() &&
                                  std::memcmp(lean.data(), base.data(), lean.size() * sizeof(double)) == 0;
                std::printf(" %9.0f %6.2f %s", baseSeconds * 1000.0, baseSeconds > 0.0 ? seconds / baseSeconds : 0.0,
                            same ? "yes" : "NO");
            }
            std::printf("\n");
            scene->out().str("");
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!buildScene()) return 1;
    // The first fill loads the tile and compiles the rasteriser's shaders.
    resetArea();
    runFill(true, nullptr);
    if (argc > 3 && std::string(argv[1]) == "--profile") {
        PlannerState& p = *scene->planner;
        FillProfile prof;
        for (int n = std::atoi(argv[3]); n > 0; --n) {
            p.plan->clearPlan();
            p.coverage->clearPolygonCoverage();
            p.loadPolygonFile(scene->root + argv[2]);
            bool baseline = false;
            for (int k = 4; k < argc; ++k) {
                if (std::string(argv[k]) == "bare") wipeReference();
                if (std::string(argv[k]) == "baseline") baseline = true;
            }
            scene->out().str("");
            const double s = runFill(true, &prof, nullptr, baseline ? Costs::Baseline : Costs::Lean);
            std::printf("%.1f ms\n", s * 1000.0);
        }
        std::printf("lines %d capture %.1f fit %.1f swath %.1f total %.1f ms\n", prof.lines, prof.captureSeconds * 1e3,
                    prof.fitSeconds * 1e3, prof.swathSeconds * 1e3, prof.totalSeconds * 1e3);
        std::printf("blocks drawn %ld skipped %ld\n", scene->sample->target->drawnBlocks(), scene->sample->target->skippedBlocks());
        delete scene;
        return 0;
    }

    benchmark::RunSpecifiedBenchmarks();

    const double extra = median(timesMs["fill, extra"]);
    const double plain = median(timesMs["fill, plain"]);
    const double refine = median(timesMs["refine"]);
    const double score = median(timesMs["score"]);
    const double lookupMs = median(timesMs["depth lookup"]);
    std::printf("\nMedian milliseconds (Area_1, %d lines a fill):\n", extraRuns ? extraProfile.lines / extraRuns : 0);
    std::printf("  %-22s %10.2f ms\n  %-22s %10.2f ms   extra / plain %6.2f\n", "fill, extra", extra, "fill, plain",
                plain, plain > 0.0 ? extra / plain : 0.0);
    std::printf("  %-22s %10.2f ms\n  %-22s %10.4f ms   refine / score %6.0f (1849 candidates)\n", "refine", refine,
                "score", score, score > 0.0 ? refine / score : 0.0);
    const double extraBase = median(timesMs["fill, extra, base"]);
    std::printf("  %-22s %10.2f ms   extra / extra, base %6.2f\n", "fill, extra, base", extraBase,
                extraBase > 0.0 ? extra / extraBase : 0.0);
    const double bare = median(timesMs["fill, extra, bare"]);
    const double bareBase = median(timesMs["fill, bare, base"]);
    std::printf("  %-22s %10.2f ms   (%d lines)   bare / plain %6.2f   bare / bare, base %6.2f\n",
                "fill, extra, bare", bare, bareRuns ? bareProfile.lines / bareRuns : 0,
                plain > 0.0 ? bare / plain : 0.0, bareBase > 0.0 ? bare / bareBase : 0.0);
    std::printf("  %-22s %10.2f ms   (%d lines)   bare, base / plain %6.2f\n", "fill, bare, base", bareBase,
                bareBaseRuns ? bareBaseProfile.lines / bareBaseRuns : 0, plain > 0.0 ? bareBase / plain : 0.0);
    const struct {
        const char* name;
        const FillProfile& profile;
        int runs;
    } shares[] = {{"extra", extraProfile, extraRuns},
                  {"extra, bare", bareProfile, bareRuns},
                  {"bare, base", bareBaseProfile, bareBaseRuns},
                  {"shoal, extra", shoalProfile, shoalRuns}};
    for (const auto& sh : shares) {
        if (sh.runs == 0 || sh.profile.totalSeconds <= 0.0) continue;
        const double total = sh.profile.totalSeconds;
        const double lookups = static_cast<double>(sh.profile.depthLookups) / sh.runs;
        const double lookupShare = lookups * lookupMs / 1000.0 / (total / sh.runs);
        std::printf("  fill, %s: captures %.1f %%, fitting %.1f %%, swaths %.1f %%; %.0f depth lookups at %.1f ns"
                    " = %.1f %% (mostly inside fitting)\n",
                    sh.name, 100.0 * sh.profile.captureSeconds / total, 100.0 * sh.profile.fitSeconds / total,
                    100.0 * sh.profile.swathSeconds / total, lookups, lookupMs * 1e6, 100.0 * lookupShare);
    }
    const double shoalExtra = median(timesMs["shoal, extra"]);
    const double shoalPlain = median(timesMs["shoal, plain"]);
    std::printf("  %-22s %10.2f ms   (%d lines)\n  %-22s %10.2f ms   shoal extra / plain %6.2f\n", "shoal, extra",
                shoalExtra, shoalRuns ? shoalProfile.lines / shoalRuns : 0, "shoal, plain", shoalPlain,
                shoalPlain > 0.0 ? shoalExtra / shoalPlain : 0.0);
    printCoverageTable();
    benchmark::Shutdown();
    delete scene;
    return 0;
}
