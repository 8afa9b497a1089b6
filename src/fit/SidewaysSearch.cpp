#include "fit/SidewaysSearch.hpp"

#include <algorithm>
#include <cmath>

#include "earth/TileStore.hpp"
#include "fit/NearbyLatitudes.hpp"
#include "plan/SurveyPlan.hpp"

// Map plane: x = longitude (degrees), y = mapY(latitude); N is the unit
// starboard normal of the line from A to B. W, the nominal full swath width
// at A, comes from the plan-wide depth multiplier, not the extinction curve.

namespace tessarin {
namespace {

constexpr double kMetresPerUnit = 111111.0;
constexpr double kFitPi = 3.141592;
constexpr std::uint16_t kCoveredAbove = 10;
constexpr std::uint16_t kUnmappedBelow = 10;
// The window's step never falls below its value over this depth: the
// positions tried grow as 1 / depth^2, so shallow water would otherwise try
// tens of thousands of times as many as the deep ocean (hours instead of
// seconds). Over deeper water the step, and so the search, are untouched.
constexpr double kStepFloorDepthM = 2000.0;
// More window positions than this on one end cannot be searched in any
// useful time; the bound only keeps the int conversions defined.
constexpr double kMaxHalfWindow = 100000.0;

// Stations along a probed line: 1 + trunc(8 * len).
int stationCount(float len) {
    const float scaled = 8.0f * len;
    if (!(scaled >= 0.0f && scaled < 1.0e6f)) return 1;
    return 1 + static_cast<int>(scaled);
}

// The odd count 1 + 2 * trunc(width * 0.5 / step) of window positions. A
// step of 0 (a floor at sea level) would make it infinite; the quotient is
// bounded so the conversion stays defined, and such a step searches nothing.
int windowCount(float width, float step) {
    double q = static_cast<double>(width) * 0.5 / static_cast<double>(step);
    if (std::isnan(q)) q = 0.0;
    if (q > kMaxHalfWindow) q = kMaxHalfWindow;
    if (q < -kMaxHalfWindow) q = -kMaxHalfWindow;
    return 1 + 2 * static_cast<int>(q);
}

}  // namespace

SidewaysSearch::SidewaysSearch(TileStore& tiles, const CoverageLookup& coverage, const SurveyPlan& plan,
                               std::ostream& out)
    : tiles_(tiles), coverage_(coverage), coarse_(coverage), plan_(plan), out_(out) {}

bool SidewaysSearch::covered(double lon, float lat) const {
    if (lon < -180.0) lon += 360.0;
    return coarse_.valueAt(lon, lat) > kCoveredAbove;
}

template <typename Latitudes, typename Stop>
bool SidewaysSearch::sideSums(const FitLine& line, float width, float& port, float& stbd, Stop&& stop) const {
    const double dx = line.lonB - line.lonA, dy = line.yB - line.yA;
    const StarboardNormal n(dx, dy);
    const float offset = width * 0.25f;
    const int count = stationCount(n.len);
    // A line shorter than 1/8 map unit has one station, at A.
    const double stepX = count > 1 ? dx / (count - 1) : 0.0;
    const double stepY = count > 1 ? dy / (count - 1) : 0.0;
    const double ox = static_cast<double>(offset * n.x), oy = static_cast<double>(offset * n.y);
    port = 0.0f;
    stbd = 0.0f;
    for (int i = 0; i < count; ++i) {
        if (stop(i, count, port, stbd)) return false;
        const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
        const Latitudes near(py);
        if (covered(px - ox, near.at(py - oy))) port += 50.0f;
        if (covered(px + ox, near.at(py + oy))) stbd += 50.0f;
    }
    return true;
}

float SidewaysSearch::sideByCoverage(const FitLine& line, int& side, float width) {
    float port = 0.0f, stbd = 0.0f;
    sideSums<ExactLatitudes>(line, width, port, stbd, [](int, int, float, float) { return false; });
    side = stbd > port ? kSideStarboard : kSidePort;
    return std::fabs(stbd - port);
}

template <typename Latitudes, typename Stop>
bool SidewaysSearch::unmappedSum(const FitLine& line, float width, float& sum, Stop&& stop) const {
    double dx = line.lonB - line.lonA;
    if (dx > 180.0) dx -= 360.0;
    if (dx < -180.0) dx += 360.0;
    const double dy = line.yB - line.yA;
    const StarboardNormal n(dx, dy);
    const int count = stationCount(n.len);
    const double stepX = count > 1 ? dx / (count - 1) : 0.0;
    const double stepY = count > 1 ? dy / (count - 1) : 0.0;
    sum = 0.0f;
    for (int i = 0; i < count; ++i) {
        if (stop(i, count, sum)) return false;
        const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
        const Latitudes near(py);
        for (int k = 0; k < 7; ++k) {
            const float f = static_cast<float>(k - 3) * width / 6.0f;
            double qx = px + static_cast<double>(f * n.x);
            const double qy = py + static_cast<double>(f * n.y);
            if (qx < -180.0) qx += 360.0;
            if (coarse_.valueAt(qx, near.at(qy)) < kUnmappedBelow) sum += 5.0f;
        }
    }
    return true;
}

float SidewaysSearch::unmappedScore(const FitLine& line, float width) {
    float sum = 0.0f;
    unmappedSum<ExactLatitudes>(line, width, sum, [](int, int, float) { return false; });
    return sum;
}

template <typename Measure>
float SidewaysSearch::searchWindow(const FitLine& line, FitLine& result, float widthA, float widthB,
                                   float stepOfWidth, bool printCount, Measure&& measure) {
    const float sec = static_cast<float>(1.0 / std::cos(line.latA * kFitPi / 180.0));
    float d = 5.0f;
    tiles_.getDepth(line.lonA, line.latA, d);
    const float w = static_cast<float>(plan_.depthMultiplier() * d * sec / -kMetresPerUnit);
    float step = w * stepOfWidth;
    if (step > 0.0f) {
        const float floorW = static_cast<float>(plan_.depthMultiplier() * kStepFloorDepthM * sec / kMetresPerUnit);
        step = std::max(step, floorW * stepOfWidth);
    }
    const int countA = windowCount(widthA, step);
    const int halfA = countA / 2;
    const int halfB = windowCount(widthB, step) / 2;
    if (printCount) out_ << "MAX EDGE COUNT WID " << countA << " " << w << "\n";

    const double yA = mapY(line.latA), yB = mapY(line.latB);
    const StarboardNormal n(line.lonB - line.lonA, yB - yA);
    float best = 0.0f;
    result = FitLine{line.lonA, line.lonB, yA, yB, line.latA, line.latB};
    out_ << "MAX Edge Lateral Step " << static_cast<float>(halfA) * step << "\n";

    // With a half-window of 0 the weight is 0 / 0, and a step that is not
    // positive (no data at A, or land) gives no window: no candidate is taken.
    if (!(step > 0.0f) || halfA <= 0 || halfB <= 0) return best;

    // Candidate (a, b) moves A by a steps and B by b steps along N; its
    // window weights are 1 - (a / halfA)^2 and 1 - (b / halfB)^2.
    auto candidate = [&](int a, int b) {
        const float offA = static_cast<float>(a) * step;
        const float offB = static_cast<float>(b) * step;
        const double ax = line.lonA + static_cast<double>(offA * n.x), ay = yA + static_cast<double>(offA * n.y);
        const double bx = line.lonB + static_cast<double>(offB * n.x), by = yB + static_cast<double>(offB * n.y);
        return FitLine{ax, bx, ay, by, 0.0, 0.0};
    };
    auto weight = [](int k, int half) {
        const float r = static_cast<float>(k) / static_cast<float>(half);
        return 1.0f - r * r;
    };

    if (path_ == SearchPath::Reference) {
        for (int a = -halfA; a <= halfA; ++a) {
            for (int b = -halfB; b <= halfB; ++b) {
                const FitLine c = candidate(a, b);
                const float score = measure(c, w) * weight(a, halfA) * weight(b, halfB);
                if (score > best) {
                    best = score;
                    result = FitLine::fromMapPlane(c.lonA, c.yA, c.lonB, c.yB);
                    measure.keep(c, w);
                }
            }
        }
        return best;
    }

    // The same candidates in the same order, b running fastest. A candidate
    // stops once even all its remaining stations could not lift it past the
    // bar; the coverage lookups never load a tile, so no candidate waits.
    const int countB = 2 * halfB + 1;
    const int threads = coverage_.concurrentReads() ? threads_ : 1;
    const ScanResult r = scanFirstBest(
        0, countA * countB, best, threads, [&](int i, float bar, float& s, std::uint64_t&) {
            const int a = i / countB - halfA, b = i % countB - halfB;
            const float wa = weight(a, halfA), wb = weight(b, halfB);
            float v = 0.0f;
            if (!measure.bounded(candidate(a, b), w, wa, wb, bar, v)) return Scored::CannotBeat;
            s = v * wa * wb;
            return Scored::Yes;
        });
    if (r.index >= 0) {
        const FitLine c = candidate(r.index / countB - halfA, r.index % countB - halfB);
        best = r.score;
        result = FitLine::fromMapPlane(c.lonA, c.yA, c.lonB, c.yB);
        measure.keep(c, w);
    }
    return best;
}

float SidewaysSearch::maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) {
    struct AbutMeasure {
        SidewaysSearch& search;
        int& side;
        float operator()(const FitLine& l, float w) {
            int s = kSideUndecided;
            return search.sideByCoverage(l, s, w);
        }
        // v = |starboard - port|; false once its greatest possible value,
        // weighted as the window weighs it, could not beat bar.
        bool bounded(const FitLine& l, float w, float wa, float wb, float bar, float& v) const {
            float port = 0.0f, stbd = 0.0f;
            const bool done = search.sideSums<NearbyLatitudes>(l, w, port, stbd, [&](int i, int count, float p, float s) {
                return (std::fabs(s - p) + 50.0f * static_cast<float>(count - i)) * wa * wb <= bar;
            });
            v = std::fabs(stbd - port);
            return done;
        }
        void keep(const FitLine& l, float w) { search.sideByCoverage(l, side, w); }
    } measure{*this, side};
    side = kSideUndecided;
    const float best = searchWindow(line, result, widthA, widthB, 0.25f, true, measure);
    out_ << "MAX EDGE  max LR  " << side << " " << result.lonA << " " << result.latA << " " << result.lonB << " "
         << result.latB << "\n";
    return best;
}

float SidewaysSearch::maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB) {
    struct UnmappedMeasure {
        SidewaysSearch& search;
        float operator()(const FitLine& l, float w) { return search.unmappedScore(l, w); }
        bool bounded(const FitLine& l, float w, float wa, float wb, float bar, float& v) const {
            return search.unmappedSum<NearbyLatitudes>(l, w, v, [&](int i, int count, float sum) {
                return (sum + 35.0f * static_cast<float>(count - i)) * wa * wb <= bar;
            });
        }
        void keep(const FitLine&, float) {}
    } measure{*this};
    const float best = searchWindow(line, result, widthA, widthB, 0.125f, false, measure);
    out_ << "MAX EDGE  max  " << result.lonA << " " << result.latA << " " << result.lonB << " " << result.latB
         << "\n";
    return best;
}

}  // namespace tessarin
