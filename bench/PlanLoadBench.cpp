// Loading plan files of 10,000 and 100,000 lines into a cleared plan over an
// empty tile store. The load must stay one pass: the time per line of the
// large file against the small one, printed at the end, is about 1 for a
// linear load and grows with the file for a quadratic one.
//
//   BM_LoadPlan/10000    the small file
//   BM_LoadPlan/100000   the large file

#include <benchmark/benchmark.h>

#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "RatioReporter.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"

using namespace tessarin;

namespace {

struct World {
    test::TempDir dir;
    std::ostream quiet{nullptr};  // the load's console lines are dropped
    NullTextureSink sink;
    std::unique_ptr<TileStore> tiles;
    std::unique_ptr<SurveyPlan> plan;

    World() {
        tiles = std::make_unique<TileStore>(quiet, sink, dir.path());
        plan = std::make_unique<SurveyPlan>(*tiles, quiet, 4.0f, 4.42f, 9.0f, dir.file("none.txt"));
    }

    std::string planFile(int lines) {
        const std::string name = "plan_" + std::to_string(lines) + ".csv";
        std::ofstream file(dir.file(name));
        file << std::fixed << std::setprecision(6) << "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n";
        for (int i = 0; i < lines; ++i)
            file << -150.0 + i * 1e-4 << ", " << 10.0 + (i % 100) * 1e-3 << ", 10.05, 1.0, 0.1, 2.0\n";
        return dir.file(name);
    }
};

World& world() {
    static World w;
    return w;
}

void BM_LoadPlan(benchmark::State& state) {
    World& w = world();
    const int lines = static_cast<int>(state.range(0));
    const std::string path = w.planFile(lines);
    for (auto _ : state) {
        float meanLat = 0.0f, meanLon = 0.0f;
        benchmark::DoNotOptimize(loadPlan(*w.plan, path, meanLat, meanLon));
        state.PauseTiming();
        w.plan->clearPlan();
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_LoadPlan)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void printRatios(const tessarin::bench::RatioReporter::Times& times) {
    const auto small = times.find("BM_LoadPlan/10000");
    const auto large = times.find("BM_LoadPlan/100000");
    if (small != times.end() && large != times.end() && small->second > 0) {
        std::cout << "time per line, 100,000 lines / 10,000 lines: "
                  << (large->second / 100000.0) / (small->second / 10000.0) << "\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    tessarin::bench::RatioReporter reporter(printRatios);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
