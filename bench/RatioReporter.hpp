#pragma once
// Console output of a benchmark program that also keeps each run's time per
// iteration, so the program can print its figures as ratios against a
// baseline measured in the same run.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tessarin::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    using Times = std::map<std::string, double>;  // benchmark name -> adjusted real time

    // Plain text: the figures usually end up in logs.
    explicit RatioReporter(std::function<void(const Times&)> printRatios)
        : ConsoleReporter(OO_Tabular), printRatios_(std::move(printRatios)) {}

    // With --benchmark_repetitions the fastest repetition is kept: on a
    // shared machine the slower ones measure the neighbours.
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration) continue;
            const auto [it, fresh] = times_.emplace(r.benchmark_name(), r.GetAdjustedRealTime());
            if (!fresh && r.GetAdjustedRealTime() < it->second) it->second = r.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        printRatios_(times_);
    }

private:
    std::function<void(const Times&)> printRatios_;
    Times times_;
};

}  // namespace tessarin::bench
