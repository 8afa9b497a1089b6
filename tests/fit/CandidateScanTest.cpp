#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "fit/CandidateScan.hpp"

namespace tessarin {
namespace {

// A window whose candidate `load` would load a tile that evicts another:
// the candidates after it score differently once it has been scored (the
// caller loads on its own thread, as the refinement does). The scan, with
// its candidates stopped at their bars, must keep the candidate a plain
// loop in order keeps.
struct Window {
    std::vector<float> before;  // scores while the tile is not loaded
    std::vector<float> after;   // scores of the candidates after load, once loaded
    int load;
};

struct Choice {
    int index = -1;
    float score = 0.0f;
};

Choice inOrder(const Window& w, float floor) {
    Choice c{-1, floor};
    for (int i = 0; i < static_cast<int>(w.before.size()); ++i) {
        const float s = i > w.load ? w.after[i] : w.before[i];
        if (s > c.score) c = {i, s};
    }
    return c;
}

// The refinement's loop: scan, score the candidate that loads, scan on.
// On several threads, candidates `held` and `load` hold their threads until
// the pre-load score of `early` has been reached elsewhere (or 0.3 s has
// passed), so a bar from past the load is offered to the candidate after
// `held` before the load is found.
Choice scanned(const Window& w, float floor, int threads, int early, int held) {
    const int n = static_cast<int>(w.before.size());
    std::atomic<bool> loaded{false}, earlyScored{false};
    Choice c{-1, floor};
    for (int from = 0; from < n;) {
        const ScanResult r = scanFirstBest(
            from, n, c.score, threads,
            [&](int i, float bar, float& s, std::uint64_t&) {
                if (threads > 1 && !loaded && (i == held || i == w.load)) {
                    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
                    while (!earlyScored && std::chrono::steady_clock::now() < until) std::this_thread::yield();
                }
                if (!loaded && i == w.load) return Scored::NeedsLoad;
                s = loaded && i > w.load ? w.after[i] : w.before[i];
                if (i == early) earlyScored = true;
                return s <= bar ? Scored::CannotBeat : Scored::Yes;
            },
            Bars::EarlierCandidates);
        if (r.index >= 0) c = {r.index, r.score};
        if (r.scannedTo >= n) break;
        loaded = true;
        const float s = w.before[r.scannedTo];
        if (s > c.score) c = {r.scannedTo, s};
        from = r.scannedTo + 1;
    }
    return c;
}

TEST(CandidateScan, BarsNeverComeFromPastALoad) {
    struct Case {
        const char* name;
        int best, early, load;
    };
    // best: the winner in order; early: a candidate past the load scoring
    // above it until the load, far below it after.
    const Case cases[] = {
        {"winner in the first block", 5, 400, 100},
        {"winner just before the load", 99, 400, 100},
        {"winner after the load", 300, 200, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Window w;
        w.load = c.load;
        for (int i = 0; i < 640; ++i) {
            w.before.push_back(static_cast<float>(i % 7));
            w.after.push_back(static_cast<float>(i % 5));
        }
        w.before[static_cast<std::size_t>(c.best)] = w.after[static_cast<std::size_t>(c.best)] = 8000.0f;
        w.before[static_cast<std::size_t>(c.early)] = 9000.0f;
        w.after[static_cast<std::size_t>(c.early)] = 1.0f;
        const Choice expected = inOrder(w, -500.0f);
        ASSERT_EQ(expected.index, c.best);
        for (int threads : {1, 3, 4}) {
            SCOPED_TRACE(threads);
            const Choice got = scanned(w, -500.0f, threads, c.early, c.best - 1);
            EXPECT_EQ(got.index, expected.index);
            EXPECT_EQ(got.score, expected.score);
        }
    }
}

}  // namespace
}  // namespace tessarin
