#pragma once
// The window searches keep the first candidate, in their visiting order,
// whose score is the greatest and above a floor: a loop that takes a
// candidate when its score beats the best so far. scanFirstBest finds that
// same candidate with the candidates shared out over a few threads in blocks
// of neighbours, each block scanned in order from its own best, the blocks'
// bests then taken in block order with ties going to the earlier block.
//
// A scorer may stop early where it can tell that a candidate cannot beat the
// bar it is given (the best of its block, or a score another block has
// reached, which an equal score could not beat either; see Bars), and it
// may give up a candidate whose probes would load a tile: loading happens on
// the calling thread, in visiting order, so the scan reports where it
// stopped and the caller scores that candidate the loading way before
// scanning on. A scorer
// that can give up may skip only probes that never load (coverage), and
// answers CannotBeat only after making every probe that could (depth): a
// skipped probe could be one that loads.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <thread>
#include <vector>

namespace tessarin {

// How a window search visits its candidates: Reference scores every one in
// turn on the calling thread (the search as first built, kept to check the
// other against and to measure it by); Shared scans them with scanFirstBest
// and keeps the same candidate.
enum class SearchPath { Reference, Shared };

enum class Scored { Yes, CannotBeat, NeedsLoad };

struct ScanResult {
    int index = -1;            // the first best candidate; -1 when none beat the floor
    float score = 0.0f;        // its score, else the floor
    int scannedTo = 0;         // every candidate before this one was scored
    std::uint64_t lookups = 0; // depth lookups the scorer counted for those
};

// Threads the searches use: one per core, at most four.
inline int searchThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

// Where a candidate's bar may come from. A scorer that never gives up may
// be held to a score any block has reached. One that can give up may not:
// a candidate scored past a load read tiles the load may evict, so its
// score can be one the scan in order never sees; only the candidates before
// this one (its own block's, the earlier blocks') set its bar.
enum class Bars { AnyBlock, EarlierCandidates };

// score(i, bar, s, lookups) for candidates i = begin .. end - 1: Yes with
// s set; CannotBeat when s could not be above bar; NeedsLoad when the
// candidate would load a tile (it and every later candidate stay unscored).
// lookups is added to for each candidate scored Yes or CannotBeat.
template <typename Score>
ScanResult scanFirstBest(int begin, int end, float floor, int threads, Score&& score, Bars bars = Bars::AnyBlock) {
    ScanResult total;
    total.score = floor;
    total.scannedTo = std::max(begin, end);
    const int n = end - begin;
    if (n <= 0) return total;

    const int blocks = threads > 1 ? std::min(n, 16 * threads) : 1;
    struct Block {
        int hi = 0;
        ScanResult best;
    };
    std::vector<Block> part(static_cast<std::size_t>(blocks));
    std::atomic<int> next{0};
    std::atomic<int> firstBlocked{end};
    std::atomic<float> reached{floor};
    // Each block's best so far, for the bars of the blocks after it.
    std::vector<std::atomic<float>> blockBest(static_cast<std::size_t>(blocks));
    for (std::atomic<float>& b : blockBest) b.store(floor);
    const float lowest = -std::numeric_limits<float>::infinity();

    auto work = [&] {
        for (int b = next++; b < blocks; b = next++) {
            const int lo = begin + static_cast<int>(static_cast<long long>(n) * b / blocks);
            const int hi = begin + static_cast<int>(static_cast<long long>(n) * (b + 1) / blocks);
            part[static_cast<std::size_t>(b)].hi = hi;
            ScanResult& r = part[static_cast<std::size_t>(b)].best;
            r.score = floor;
            r.scannedTo = hi;
            for (int i = lo; i < hi; ++i) {
                if (i >= firstBlocked.load()) {  // past a load: wasted work
                    r.scannedTo = i;
                    break;
                }
                // A later block's score is a bar only when strictly above
                // it: an equal score here comes first and would win. An
                // earlier block's equal score wins over this one.
                float bar = r.score;
                if (bars == Bars::AnyBlock) {
                    bar = std::max(bar, std::nextafter(reached.load(), lowest));
                } else {
                    for (int e = 0; e < b; ++e)
                        bar = std::max(bar, blockBest[static_cast<std::size_t>(e)].load());
                }
                float s = floor;
                std::uint64_t lookups = 0;
                const Scored verdict = score(i, bar, s, lookups);
                if (verdict == Scored::NeedsLoad) {
                    r.scannedTo = i;
                    int seen = firstBlocked.load();
                    while (i < seen && !firstBlocked.compare_exchange_weak(seen, i)) {
                    }
                    break;
                }
                r.lookups += lookups;
                if (verdict == Scored::Yes && s > r.score) {
                    r.score = s;
                    r.index = i;
                    blockBest[static_cast<std::size_t>(b)].store(s);
                    float seen = reached.load();
                    while (s > seen && !reached.compare_exchange_weak(seen, s)) {
                    }
                }
            }
        }
    };
    std::vector<std::thread> helpers;
    if (blocks > 1) {
        try {
            for (int t = 1; t < threads; ++t) helpers.emplace_back(work);
        } catch (const std::system_error&) {
            // No more threads to be had: the ones started and this one
            // share the blocks.
        }
    }
    work();
    for (std::thread& t : helpers) t.join();

    for (const Block& b : part) {
        total.lookups += b.best.lookups;
        if (b.best.score > total.score) {
            total.score = b.best.score;
            total.index = b.best.index;
        }
        if (b.best.scannedTo < b.hi) {
            // The block that met a load ends the scan; later blocks, scanned
            // or not, saw tiles the scan in order would not have seen.
            total.scannedTo = b.best.scannedTo;
            break;
        }
    }
    return total;
}

}  // namespace tessarin
