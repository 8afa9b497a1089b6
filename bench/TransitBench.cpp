// "Gen Transit" on the sample world for the demo transit of key a: great
// circle, arc preload and an abutting three-segment plan, from a cold tile
// store (no resident tiles) and warm (the same tiles resident), against the
// load of one data tile of the same world. Each of the two rows runs twice:
// with the window searches as the planner runs them (shared over the cores,
// candidates stopped once they cannot win) and with the reference search
// that scores every candidate in turn, the baseline of the printed ratio.
// Each run also splits its wall time into the arc preload, the sideways
// searches (maxEdge / maxEdgeLateral), the edge refinements
// (refineEdgeOverlap), the extensions and the rest (waypoints and their
// swaths): the searches run on several threads, so this thread's CPU time
// would miss most of their work. A transit from Japan to Hawaii, across
// the 180-degree meridian, is measured cold against the demo transit. Needs the sample world: TESSARIN_WORLD names its folder
// (default "world/"; scripts/run makes it).

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <time.h>

#include "app/PlannerState.hpp"
#include "coverage/CoverageGrid.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/WaypointBits.hpp"
#include "transit/TransitPlanner.hpp"

namespace {

using namespace tessarin;

double wallNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string worldFolder() {
    const char* env = std::getenv("TESSARIN_WORLD");
    std::string dir = env && *env ? env : "world/";
    if (dir.back() != '/') dir += '/';
    return dir;
}

// The planner's console lines go nowhere.
class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
NullBuffer nullBuffer;
std::ostream quiet(&nullBuffer);

// Seconds spent in each kind of fit, accumulated over a run.
struct FitTimes {
    double search = 0.0;
    double refine = 0.0;
    double extend = 0.0;
};

double since(double t0) { return wallNow() - t0; }

class TimingFitter : public SegmentFitter {
public:
    TimingFitter(std::unique_ptr<SegmentFitter> inner, FitTimes& times) : inner_(std::move(inner)), times_(times) {}
    float maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) override {
        const double t0 = wallNow();
        const float s = inner_->maxEdge(line, result, widthA, widthB, side);
        times_.search += since(t0);
        return s;
    }
    float maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB) override {
        const double t0 = wallNow();
        const float s = inner_->maxEdgeLateral(line, result, widthA, widthB);
        times_.search += since(t0);
        return s;
    }
    float refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent, float stepFraction,
                            int& side) override {
        const double t0 = wallNow();
        const float s = inner_->refineEdgeOverlap(line, result, overlapPercent, stepFraction, side);
        times_.refine += since(t0);
        return s;
    }
    void extendEdgeOverlap(const FitLine& line, FitLine& result, int& side) override {
        const double t0 = wallNow();
        inner_->extendEdgeOverlap(line, result, side);
        times_.extend += since(t0);
    }

private:
    std::unique_ptr<SegmentFitter> inner_;
    FitTimes& times_;
};

// A planner over the sample world whose transit fits are timed.
struct TimedPlanner {
    NullTextureSink sink;
    PlannerState planner{quiet, sink, worldFolder()};
    FitTimes fits;

    explicit TimedPlanner(SearchPath path = SearchPath::Shared) {
        planner.setProgress(&silent);
        planner.transit = std::make_unique<TransitPlanner>(
            planner.tiles, *planner.plan, *planner.coverage, quiet, planner.config.boatSpeed,
            planner.config.depthMultiplier,
            std::make_unique<TimingFitter>(
                makeEdgeSegmentFitter(planner.tiles, *planner.plan, *planner.coverage, quiet, path), fits));
    }
    NullProgress silent;
};

// Shares of the last run of each benchmark, for the summary.
struct Split {
    double total = 0, preload = 0, search = 0, refine = 0, extend = 0;
    int tilesBefore = 0, tilesPreloaded = 0, tilesDuringPlan = 0, waypoints = 0;
};
std::map<std::string, Split> splits;

struct Route {
    float lat1, lon1, lat2, lon2;
};
// The demo transit of key a, and Japan to Hawaii across the 180-degree
// meridian, whose start lies outside the sample world.
constexpr Route kDemoRoute{32.03f, -122.786f, 23.42f, -155.65f};
constexpr Route kAcross180{35.0233f, 140.0f, 21.2666f, -157.8f};

// Key a's sequence on a route; returns its split.
Split genTransit(TimedPlanner& p, const Route& route = kDemoRoute) {
    Split s;
    p.fits = FitTimes{};
    s.tilesBefore = p.planner.tiles.residentCount();
    const int loads0 = p.planner.tiles.loadCounter();
    const double t0 = wallNow();
    p.planner.setDemoTransit(route.lat1, route.lon1, route.lat2, route.lon2);
    p.planner.computeGreatCircle();
    p.planner.loadTilesOnArc();
    s.preload = since(t0);
    const int loads1 = p.planner.tiles.loadCounter();
    p.planner.planTransit(false, true);
    s.total = since(t0);
    s.search = p.fits.search;
    s.refine = p.fits.refine;
    s.extend = p.fits.extend;
    s.tilesPreloaded = loads1 - loads0;
    s.tilesDuringPlan = p.planner.tiles.loadCounter() - loads1;
    s.waypoints = p.planner.plan->waypointCount();
    return s;
}

bool worldPresent(benchmark::State& state) {
    if (std::filesystem::exists(worldFolder() + "config.txt")) return true;
    state.SkipWithError(("no sample world in " + worldFolder() + " (scripts/run makes it)").c_str());
    return false;
}

void BM_LoadOneDataTile(benchmark::State& state) {
    if (!worldPresent(state)) return;
    NullTextureSink sink;
    for (auto _ : state) {
        state.PauseTiming();
        auto tiles = std::make_unique<TileStore>(quiet, sink, worldFolder());
        state.ResumeTiming();
        float elevation = 0.0f;
        benchmark::DoNotOptimize(tiles->getDepth(-122.786, 32.03, elevation));
        state.PauseTiming();
        tiles.reset();
        state.ResumeTiming();
    }
}

void genTransitCold(benchmark::State& state, SearchPath path, const char* name) {
    if (!worldPresent(state)) return;
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<TimedPlanner>(path);
        state.ResumeTiming();
        splits[name] = genTransit(*p);
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
}

void genTransitWarm(benchmark::State& state, SearchPath path, const char* name) {
    if (!worldPresent(state)) return;
    TimedPlanner p(path);
    genTransit(p);  // makes the tiles resident
    for (auto _ : state) {
        state.PauseTiming();
        p.planner.plan->clearPlan();
        state.ResumeTiming();
        splits[name] = genTransit(p);
    }
}

void BM_GenTransitCold(benchmark::State& state) { genTransitCold(state, SearchPath::Shared, "BM_GenTransitCold"); }
void BM_GenTransitColdReference(benchmark::State& state) {
    genTransitCold(state, SearchPath::Reference, "BM_GenTransitColdReference");
}
void BM_GenTransitWarm(benchmark::State& state) { genTransitWarm(state, SearchPath::Shared, "BM_GenTransitWarm"); }
void BM_GenTransitWarmReference(benchmark::State& state) {
    genTransitWarm(state, SearchPath::Reference, "BM_GenTransitWarmReference");
}

void BM_GenTransitAcross180Cold(benchmark::State& state) {
    if (!worldPresent(state)) return;
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<TimedPlanner>();
        state.ResumeTiming();
        splits["BM_GenTransitAcross180Cold"] = genTransit(*p, kAcross180);
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_LoadOneDataTile)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_GenTransitColdReference)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_GenTransitCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_GenTransitWarmReference)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_GenTransitWarm)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime()->MeasureProcessCPUTime();
BENCHMARK(BM_GenTransitAcross180Cold)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.iterations > 0 && !run.error_occurred) {
                seconds[run.run_name.function_name] = run.GetAdjustedRealTime() * toSeconds(run.time_unit);
                cpuSeconds[run.run_name.function_name] = run.GetAdjustedCPUTime() * toSeconds(run.time_unit);
            }
    }
    std::map<std::string, double> seconds;
    // The process's CPU time, all threads: the work done, which a busy
    // machine does not inflate the way it does the wall time.
    std::map<std::string, double> cpuSeconds;

private:
    static double toSeconds(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kSecond: return 1.0;
            case benchmark::kMillisecond: return 1e-3;
            case benchmark::kMicrosecond: return 1e-6;
            default: return 1e-9;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto ratioIn = [](const std::map<std::string, double>& t, const char* a, const char* b) {
        const auto ia = t.find(a), ib = t.find(b);
        if (ia == t.end() || ib == t.end() || ib->second <= 0.0) return;
        std::printf("  %-20s / %-20s = %7.2f  (%.3f s vs %.3f s)\n", a, b, ia->second / ib->second, ia->second,
                    ib->second);
    };
    const auto ratio = [&](const char* a, const char* b) { ratioIn(reporter.seconds, a, b); };
    const auto cpuRatio = [&](const char* a, const char* b) { ratioIn(reporter.cpuSeconds, a, b); };
    std::printf("\nKey a, wall time against the reference search (same run, same world; goals 0.3 s warm, 1.0 s cold):\n");
    ratio("BM_GenTransitWarm", "BM_GenTransitWarmReference");
    ratio("BM_GenTransitCold", "BM_GenTransitColdReference");
    std::printf("The same rows in CPU time of all threads:\n");
    cpuRatio("BM_GenTransitWarm", "BM_GenTransitWarmReference");
    cpuRatio("BM_GenTransitCold", "BM_GenTransitColdReference");
    std::printf("\nOther ratios of wall time:\n");
    ratio("BM_GenTransitCold", "BM_GenTransitWarm");
    ratio("BM_GenTransitCold", "BM_LoadOneDataTile");
    ratio("BM_GenTransitWarm", "BM_LoadOneDataTile");
    ratio("BM_GenTransitAcross180Cold", "BM_GenTransitCold");

    std::printf("\nWhere a run's time goes (last iteration):\n");
    for (const auto& [name, s] : splits) {
        const double other = s.total - s.preload - s.search - s.refine - s.extend;
        const auto pct = [&](double v) { return s.total > 0 ? 100.0 * v / s.total : 0.0; };
        std::printf("  %s: %.3f s; arc preload %.1f%% (%d tiles read, %d resident before), maxEdge %.1f%%, "
                    "refineEdgeOverlap %.1f%%, extendEdgeOverlap %.1f%%, rest %.1f%%; %d tiles read while "
                    "planning; %d waypoints\n",
                    name.c_str(), s.total, pct(s.preload), s.tilesPreloaded, s.tilesBefore, pct(s.search),
                    pct(s.refine), pct(s.extend), pct(other), s.tilesDuringPlan, s.waypoints);
    }
    benchmark::Shutdown();
    return 0;
}

// ---- Cold key a: cells installed once their data tile is read --------------
// The same cold transit with the tile store decoding each cell's picture
// after its data (the pictures decoded and uploaded afterwards, as the frame
// loop does, timed apart) and with each cell waiting for its picture, the
// baseline, alternating in one run. Wall and process CPU time (all threads).

namespace {

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

struct ColdPictureTimes {
    double wall = 0, cpu = 0, picturesWall = 0;
    int runs = 0;
    std::string waypoints;
};

void coldTransitWithPictures(PictureLoad mode, ColdPictureTimes& t) {
    auto p = std::make_unique<TimedPlanner>();
    p->planner.tiles.setPictureLoad(mode);
    const double w0 = wallNow(), c0 = cpuNow();
    genTransit(*p);
    t.wall += wallNow() - w0;
    t.cpu += cpuNow() - c0;
    const double u0 = wallNow();
    p->planner.tiles.uploadAllPictures();
    t.picturesWall += wallNow() - u0;
    ++t.runs;
    t.waypoints = test::waypointBits(*p->planner.plan);
}

void BM_GenTransitColdPicturesAfterData(benchmark::State& state) {
    if (!worldPresent(state)) return;
    ColdPictureTimes after, with;
    for (auto _ : state) {
        coldTransitWithPictures(PictureLoad::WithData, with);
        coldTransitWithPictures(PictureLoad::AfterData, after);
    }
    if (after.runs == 0) return;
    const double n = after.runs;
    state.counters["after_wall_s"] = after.wall / n;
    state.counters["with_wall_s"] = with.wall / n;
    std::printf("\nCold key a, pictures after the data / with the data (%d runs each, same run):\n"
                "  wall %.3f s / %.3f s = %.2f; CPU %.3f s / %.3f s = %.2f; then the pictures: %.3f s wall; "
                "plans %s\n",
                after.runs, after.wall / n, with.wall / n, after.wall / with.wall, after.cpu / n, with.cpu / n,
                after.cpu / with.cpu, after.picturesWall / n,
                after.waypoints == with.waypoints ? "identical" : "DIFFER");
}

}  // namespace

BENCHMARK(BM_GenTransitColdPicturesAfterData)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
