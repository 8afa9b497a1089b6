// Survey design totals against the plain polygon fill of the same area,
// both measured in the same run, on the sample world's Area_1 and on a
// 3 x 3 degree square beside it (128 W to 125 W, 10 N to 13 N):
//
//   <area>, fill plain         fillPolygon(false): the baseline
//   <area>, design backforth   computeDesign: lines along the first edge,
//                              back and forth, swaths and totals (covered share)
//   <area>, design interleave  the same, interleaved for a turning circle of
//                              about 29 km (turn_rate 0.02), wider than two
//                              spacings, so the order search has work to do
//   <area>, design fastest     the same with "Fastest": 36 headings laid
//                              and timed, then the fastest one's totals
//
// Each is what the survey design window recomputes after an edit. The world
// is read from $TESSARIN_BENCH_WORLD (default build/bench-world, written by
// tessarin-worldgen --out build/bench-world; --region -132 -116 8 40 holds
// the sample areas). Ratios to the plain fill are printed at the end.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "RatioReporter.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "design/DesignWorker.hpp"
#include "earth/MapProjection.hpp"
#include "earth/ProgressSink.hpp"
#include "earth/TextureSink.hpp"
#include "plan/SurveyPlan.hpp"

namespace {

using namespace tessarin;

struct Area {
    const char* name;
    std::vector<double> lon, lat;
};

struct Scene {
    std::string root;
    std::ostringstream out;
    NullTextureSink sink;
    NullProgress quiet;
    std::unique_ptr<PlannerState> planner;
    std::vector<Area> areas;
};

Scene* scene = nullptr;

void setPolygon(PlannerState& p, const Area& a) {
    p.polygon->clearPolygon();
    for (std::size_t i = 0; i < a.lon.size(); ++i) p.polygon->addVertex(a.lon[i], mapY(a.lat[i]), a.lat[i]);
}

bool buildScene() {
    scene = new Scene;
    const char* env = std::getenv("TESSARIN_BENCH_WORLD");
    scene->root = std::string(env ? env : "build/bench-world") + "/";
    scene->planner = std::make_unique<PlannerState>(scene->out, scene->sink, scene->root);
    scene->planner->setProgress(&scene->quiet);
    PlannerState& p = *scene->planner;
    if (!p.loadPolygonFile(scene->root + "Area_1.csv") || p.polygon->vertexCount() < 3) {
        std::fprintf(stderr, "cannot read %sArea_1.csv: write the world first (see the top of DesignBench.cpp)\n",
                     scene->root.c_str());
        return false;
    }
    Area area1{"Area_1", {}, {}};
    const PolygonVertex* v = p.polygon->first();
    do {
        area1.lon.push_back(v->x);
        area1.lat.push_back(v->lat);
        v = v->next;
    } while (v != p.polygon->first());
    scene->areas.push_back(area1);
    scene->areas.push_back({"3x3", {-128.0, -125.0, -125.0, -128.0}, {10.0, 10.0, 13.0, 13.0}});
    return true;
}

void fillPlain(benchmark::State& state, int area) {
    PlannerState& p = *scene->planner;
    for (auto _ : state) {
        state.PauseTiming();
        p.plan->clearPlan();
        setPolygon(p, scene->areas[static_cast<std::size_t>(area)]);
        scene->out.str("");
        state.ResumeTiming();
        p.fillPolygon(false);
    }
    state.counters["waypoints"] = p.plan->waypointCount();
}

void design(benchmark::State& state, int area, LineOrderRule order, bool fastest) {
    PlannerState& p = *scene->planner;
    Configuration config = p.config;
    if (order == LineOrderRule::Interleave) config.turnRate = 0.02f;
    DesignRequest request;
    request.lon = scene->areas[static_cast<std::size_t>(area)].lon;
    request.lat = scene->areas[static_cast<std::size_t>(area)].lat;
    request.design.order = order;
    request.design.overlapPercent = config.fillOverlap;
    if (fastest) request.design.direction = DesignDirection::Fastest;
    DesignResult r;
    for (auto _ : state) {
        r = computeDesign(request, config, p.tiles, scene->root + config.extinctionTable);
        benchmark::DoNotOptimize(r.totals.totalKm);
    }
    state.counters["lines"] = r.totals.lines;
    state.counters["covered_percent"] = r.totals.coveredPercent;
    state.counters["narrow_turns"] = r.layout.narrowTurns;
}

// Processor time per run too: on a shared machine the wall time also
// measures the neighbours.
std::map<std::string, double> cpuMs;

class DesignReporter : public tessarin::bench::RatioReporter {
public:
    using RatioReporter::RatioReporter;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            const auto [it, fresh] = cpuMs.emplace(r.benchmark_name(), r.GetAdjustedCPUTime());
            if (!fresh && r.GetAdjustedCPUTime() < it->second) it->second = r.GetAdjustedCPUTime();
        }
        RatioReporter::ReportRuns(runs);
    }
};

const char* const kKinds[] = {"fill plain", "design backforth", "design interleave", "design fastest"};

void registerAll() {
    for (int a = 0; a < 2; ++a) {
        const std::string area = a == 0 ? "Area_1" : "3x3";
        benchmark::RegisterBenchmark((area + ", fill plain").c_str(), [a](benchmark::State& s) { fillPlain(s, a); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
        benchmark::RegisterBenchmark((area + ", design backforth").c_str(),
                                     [a](benchmark::State& s) { design(s, a, LineOrderRule::BackAndForth, false); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
        benchmark::RegisterBenchmark((area + ", design interleave").c_str(),
                                     [a](benchmark::State& s) { design(s, a, LineOrderRule::Interleave, false); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
        benchmark::RegisterBenchmark((area + ", design fastest").c_str(),
                                     [a](benchmark::State& s) { design(s, a, LineOrderRule::BackAndForth, true); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!buildScene()) return 1;
    registerAll();
    // The first runs load the tiles under both areas.
    for (std::size_t a = 0; a < scene->areas.size(); ++a) {
        setPolygon(*scene->planner, scene->areas[a]);
        scene->planner->fillPolygon(false);
        scene->planner->plan->clearPlan();
    }
    DesignReporter reporter([](const tessarin::bench::RatioReporter::Times& wall) {
        std::printf("\nDesign totals as a ratio to the plain fill of the same area (same run), wall and CPU:\n");
        // Names carry the run's options ("/min_time:1.000") after the label.
        auto in = [](const std::map<std::string, double>& t, const std::string& label) {
            for (const auto& [name, ms] : t)
                if (name.compare(0, label.size(), label) == 0) return ms;
            return 0.0;
        };
        for (const char* area : {"Area_1", "3x3"}) {
            const double base = in(wall, std::string(area) + ", fill plain");
            const double baseCpu = in(cpuMs, std::string(area) + ", fill plain");
            if (!(base > 0.0) || !(baseCpu > 0.0)) continue;
            for (const char* kind : kKinds) {
                const double ms = in(wall, std::string(area) + ", " + kind);
                const double cpu = in(cpuMs, std::string(area) + ", " + kind);
                if (ms > 0.0)
                    std::printf("  %-8s %-18s %9.1f ms  x%.2f   CPU %9.1f ms  x%.2f\n", area, kind, ms, ms / base, cpu,
                                cpu / baseCpu);
            }
        }
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
