// Swath generation for a 100-leg plan on resident tiles, against the bare
// cost of the same number of depth lookups made in the same run.
//
//   BM_GenerateSwaths   one generateSwaths(false) over the plan
//   BM_DepthLookups     as many getDepth calls as one generateSwaths makes,
//                       at positions along the same tracks and across them
// The ratio of the two is printed at the end.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "RatioReporter.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

using namespace tessarin;

namespace {

// A floor sloping from 200 m deep at the west edge to 5000 m at the east
// edge of the tile 4..12 E, 0..8 N, so the edge search meets both shoaling
// and deepening sides.
struct World {
    test::TempDir dir;
    std::ostream quiet{nullptr};  // the plan's console lines are dropped
    NullTextureSink sink;
    std::unique_ptr<TileStore> tiles;
    std::unique_ptr<SurveyPlan> plan;
    std::uint64_t lookupsPerPass = 0;
    std::vector<std::pair<double, double>> probePositions;  // lon, lat

    World() {
        test::writeDataTile(dir.path(), 4, 0, [](int, int col) {
            test::DataPixel p;
            p.code = test::codeOfElevation(-200.0 - 4800.0 * col / 1919.0);
            return p;
        });
        tiles = std::make_unique<TileStore>(quiet, sink, dir.path());
        plan = std::make_unique<SurveyPlan>(*tiles, quiet, 4.0f, 4.42f, 9.0f, dir.file("none.txt"));
        // A lawn-mower pattern of 101 waypoints between 6 and 10.5 E, 1 to
        // 7 N: 100 legs, alternately 4.25 map units long (capped at 320
        // samples) and short cross-overs of about 0.26 map units.
        for (int i = 0; i <= 100; ++i) {
            const double lat = 1.0 + 0.06 * i;
            const double lon = (i % 4 < 2) ? 6.0 + 0.25 * (i % 2) : 10.5 - 0.25 * (i % 2);
            plan->addWaypoint(lon, mapY(lat), lat, 9.0f, 4.0f);
        }
        plan->generateSwaths(false);  // makes the tile resident
        const std::uint64_t before = plan->depthLookupCount();
        plan->generateSwaths(false);
        lookupsPerPass = plan->depthLookupCount() - before;

        // The same number of positions: each track sample and six points on
        // either side of it, as the edge search probes them.
        for (const Waypoint* w = plan->first(); w && w->next; w = w->next) {
            for (int i = 0; i < w->sampleCount && probePositions.size() < lookupsPerPass; ++i) {
                const double x = 0.5 * (w->rightX[i] + w->leftX[i]);
                const double y = 0.5 * (w->rightY[i] + w->leftY[i]);
                probePositions.emplace_back(x, latitudeFromMapY(y));
                for (int k = 1; k <= 12 && probePositions.size() < lookupsPerPass; ++k) {
                    const double f = (k <= 6 ? k : -(k - 6)) / 6.0;
                    probePositions.emplace_back(x + f * (w->rightX[i] - x), latitudeFromMapY(y + f * (w->rightY[i] - y)));
                }
            }
        }
        while (probePositions.size() < lookupsPerPass) probePositions.push_back(probePositions.back());
    }
};

World& world() {
    static World w;
    return w;
}

void BM_GenerateSwaths(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) {
        w.plan->generateSwaths(false);
        benchmark::DoNotOptimize(w.plan->first()->areaKm2);
    }
    state.counters["lookups"] = static_cast<double>(w.lookupsPerPass);
    state.counters["legs"] = 100;
}
BENCHMARK(BM_GenerateSwaths)->Unit(benchmark::kMillisecond);

// The same on the calling thread alone, as on a one-core machine.
void BM_GenerateSwathsOneThread(benchmark::State& state) {
    World& w = world();
    w.plan->setSwathWorkers(1);
    for (auto _ : state) {
        w.plan->generateSwaths(false);
        benchmark::DoNotOptimize(w.plan->first()->areaKm2);
    }
    w.plan->setSwathWorkers(0);
}
BENCHMARK(BM_GenerateSwathsOneThread)->Unit(benchmark::kMillisecond);

void BM_DepthLookups(benchmark::State& state) {
    World& w = world();
    for (auto _ : state) {
        float sum = 0.0f;
        for (const auto& p : w.probePositions) {
            float e = 0.0f;
            w.tiles->getDepth(p.first, p.second, e);
            sum += e;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["lookups"] = static_cast<double>(w.probePositions.size());
}
BENCHMARK(BM_DepthLookups)->Unit(benchmark::kMillisecond);

void printRatios(const tessarin::bench::RatioReporter::Times& times) {
    const auto lookups = times.find("BM_DepthLookups");
    if (lookups == times.end() || !(lookups->second > 0)) return;
    for (const char* name : {"BM_GenerateSwaths", "BM_GenerateSwathsOneThread"}) {
        const auto swaths = times.find(name);
        if (swaths != times.end())
            std::cout << name << " / bare lookups: " << swaths->second / lookups->second << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessarin::bench::RatioReporter reporter(printRatios);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
