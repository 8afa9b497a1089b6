// The bathymetry converter on a GEBCO-like NetCDF grid of 4 x 4 cells at
// 15 arc-seconds: tiles written per second with one worker thread (the
// baseline) and with two, and the peak resident memory of the process.

#include "TileBuilder.hpp"
#include "support/TempDir.hpp"
#include "tools/TilesGridWriters.hpp"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>

namespace {

using namespace tessarin;

constexpr int kCells = 4;                   // per side
constexpr int kTilesPerRun = kCells * kCells * 2;  // data and picture tile of each cell

test::TempDir& folder() {
    static test::TempDir dir;
    static const bool written = [] {
        // 180 W .. 148 W, 0 .. 32 N; a sea floor with some relief.
        test::GridShape grid{-180.0, 32.0, 1.0 / 240.0, kCells * 1920, kCells * 1920,
                             [](int r, int c) { return -4000 + (r * 3 + c * 5) % 3000 - (r / 97 + c / 89) % 500; }};
        return test::writeNetcdf(dir.file("gebco.nc"), "elevation", grid);
    }();
    if (!written) std::fprintf(stderr, "could not write the benchmark grid\n");
    return dir;
}

void BM_BuildWindow(benchmark::State& state) {
    tiles::TileBuildOptions options;
    options.elevation = "NETCDF:\"" + folder().file("gebco.nc") + "\":elevation";
    options.outDir = folder().file("world");
    options.haveWindow = true;
    options.west = -180, options.south = 0, options.east = -180 + 8 * kCells, options.north = 8 * kCells;
    options.threads = static_cast<int>(state.range(0));
    options.pictures = false;
    NullProgress progress;
    // Work done, whatever else the machine runs: tiles per second of the
    // process's CPU time (all threads).
    timespec cpu0{}, cpu1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
    for (auto _ : state) {
        tiles::TileBuildSummary summary;
        std::string error;
        if (!tiles::buildTiles(options, progress, summary, error)) state.SkipWithError(error.c_str());
    }
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
    const double cpuS = static_cast<double>(cpu1.tv_sec - cpu0.tv_sec) + 1e-9 * static_cast<double>(cpu1.tv_nsec - cpu0.tv_nsec);
    if (cpuS > 0.0)
        state.counters["tiles_per_cpu_s"] = static_cast<double>(kTilesPerRun) * static_cast<double>(state.iterations()) / cpuS;
    state.counters["tiles_per_s"] =
        benchmark::Counter(static_cast<double>(kTilesPerRun) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BuildWindow)->Arg(1)->Arg(2)->Iterations(2)->UseRealTime()->Unit(benchmark::kSecond);

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto it = run.counters.find("tiles_per_s");
            if (run.iterations > 0 && it != run.counters.end()) tilesPerSecond[run.benchmark_name()] = it->second;
        }
    }
    std::map<std::string, double> tilesPerSecond;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    folder();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto& t = reporter.tilesPerSecond;
    const auto one = t.find("BM_BuildWindow/1/iterations:2/real_time");
    const auto two = t.find("BM_BuildWindow/2/iterations:2/real_time");
    if (one != t.end() && two != t.end() && one->second > 0.0)
        std::printf("\n4 x 4 cells, 32 tiles a run: %.2f tiles/s on 2 threads, %.2f on 1; ratio %.2f\n", two->second,
                    one->second, two->second / one->second);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident memory of the whole run: %.0f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    benchmark::Shutdown();
    return 0;
}
