#include "design/LineOrder.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>

namespace tessarin {
namespace {

// Offsets a hair closer than the diameter (rounding of equal spacings) still
// count as wide enough.
constexpr double kSlackM = 1e-6;

struct Scorer {
    const std::vector<double>& t;
    double minTurn;
    double dist(int a, int b) const { return std::fabs(t[static_cast<std::size_t>(a)] - t[static_cast<std::size_t>(b)]); }
    int narrow(int a, int b) const { return dist(a, b) < minTurn - kSlackM ? 1 : 0; }
};

// A sweep across the lines with a stride of the diameter: from each line the
// nearest unsailed line at least a diameter further on in the sweep's
// direction, turning the sweep round when there is none; a narrow turn only
// when no line anywhere is far enough.
std::vector<int> sweep(const Scorer& s, int n) {
    std::vector<bool> sailed(static_cast<std::size_t>(n), false);
    std::vector<int> order{0};
    sailed[0] = true;
    double direction = 1.0;
    for (int step = 1; step < n; ++step) {
        const int at = order.back();
        int pick = -1;
        for (int pass = 0; pass < 3 && pick < 0; ++pass) {
            if (pass == 1) direction = -direction;
            double best = 0.0;
            for (int j = 0; j < n; ++j) {
                if (sailed[static_cast<std::size_t>(j)]) continue;
                const double ahead = (s.t[static_cast<std::size_t>(j)] - s.t[static_cast<std::size_t>(at)]) * direction;
                if (pass < 2 && ahead < s.minTurn - kSlackM) continue;
                const double d = s.dist(at, j);
                if (pick < 0 || d < best) pick = j, best = d;
            }
        }
        sailed[static_cast<std::size_t>(pick)] = true;
        order.push_back(pick);
    }
    return order;
}

// Moves runs of up to three lines (either way round) to wherever the order
// gets fewer narrow turns, or as many and less distance, until no such move
// is left or the budget of moves is spent. The first line stays first.
void mend(const Scorer& s, std::vector<int>& o) {
    const int n = static_cast<int>(o.size());
    auto link = [&](int a, int b) { return std::make_pair(s.narrow(a, b), s.dist(a, b)); };
    int budget = 4 * n + 16;
    bool moved = true;
    while (moved && budget-- > 0) {
        moved = false;
        for (int i = 1; i < n && !moved; ++i) {
            for (int len = 1; len <= 3 && i + len <= n && !moved; ++len) {
                const int head = o[static_cast<std::size_t>(i)], tail = o[static_cast<std::size_t>(i + len - 1)];
                const int before = o[static_cast<std::size_t>(i - 1)];
                const int after = i + len < n ? o[static_cast<std::size_t>(i + len)] : -1;
                // What taking the run out saves.
                int narrowOut = s.narrow(before, head) + (after >= 0 ? s.narrow(tail, after) : 0);
                double distOut = s.dist(before, head) + (after >= 0 ? s.dist(tail, after) : 0.0);
                if (after >= 0) narrowOut -= s.narrow(before, after), distOut -= s.dist(before, after);
                // Put back between positions k-1 and k of the order without
                // the run (k counted in the original order, outside the run).
                for (int k = 1; k <= n && !moved; ++k) {
                    if (k >= i && k <= i + len) continue;
                    const int p = o[static_cast<std::size_t>(k - 1)];
                    const int q = k < n ? o[static_cast<std::size_t>(k)] : -1;
                    for (int flip = 0; flip < 2 && !moved; ++flip) {
                        const int first = flip ? tail : head, last = flip ? head : tail;
                        auto [n1, d1] = link(p, first);
                        int narrowIn = n1;
                        double distIn = d1;
                        if (q >= 0) {
                            auto [n2, d2] = link(last, q);
                            narrowIn += n2 - s.narrow(p, q);
                            distIn += d2 - s.dist(p, q);
                        }
                        const bool better = narrowIn < narrowOut ||
                                            (narrowIn == narrowOut && distIn < distOut - 1e-9);
                        if (!better) continue;
                        std::vector<int> run(o.begin() + i, o.begin() + i + len);
                        if (flip) std::reverse(run.begin(), run.end());
                        std::vector<int> rest;
                        rest.reserve(static_cast<std::size_t>(n));
                        for (int m = 0; m < n; ++m) {
                            if (m == k) rest.insert(rest.end(), run.begin(), run.end());
                            if (m < i || m >= i + len) rest.push_back(o[static_cast<std::size_t>(m)]);
                        }
                        if (k == n) rest.insert(rest.end(), run.begin(), run.end());
                        o.swap(rest);
                        moved = true;
                    }
                }
            }
        }
    }
}

}  // namespace

std::vector<int> backAndForthOrder(int count) {
    std::vector<int> order(static_cast<std::size_t>(count > 0 ? count : 0));
    std::iota(order.begin(), order.end(), 0);
    return order;
}

double turnDistanceM(const std::vector<double>& offsetsM, const std::vector<int>& order) {
    double sum = 0.0;
    for (std::size_t i = 1; i < order.size(); ++i)
        sum += std::fabs(offsetsM[static_cast<std::size_t>(order[i])] - offsetsM[static_cast<std::size_t>(order[i - 1])]);
    return sum;
}

LineOrderResult interleavedOrder(const std::vector<double>& offsetsM, double minTurnM) {
    LineOrderResult r;
    const int n = static_cast<int>(offsetsM.size());
    if (n == 0) return r;
    const Scorer s{offsetsM, minTurnM > 0.0 ? minTurnM : 0.0};
    r.order = sweep(s, n);
    mend(s, r.order);
    for (std::size_t i = 1; i < r.order.size(); ++i) r.narrowTurns += s.narrow(r.order[i - 1], r.order[i]);
    return r;
}

}  // namespace tessarin
