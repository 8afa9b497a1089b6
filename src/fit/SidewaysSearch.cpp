#include "fit/SidewaysSearch.hpp"

#include <algorithm>
#include <cmath>

#include "earth/TileStore.hpp"
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
    : tiles_(tiles), coverage_(coverage), plan_(plan), out_(out) {}

bool SidewaysSearch::covered(double lon, double y) const {
    if (lon < -180.0) lon += 360.0;
    return coverage_.valueAt(lon, static_cast<float>(latitudeFromMapY(y)), false) > kCoveredAbove;
}

float SidewaysSearch::sideByCoverage(const FitLine& line, int& side, float width) {
    const double dx = line.lonB - line.lonA, dy = line.yB - line.yA;
    const StarboardNormal n(dx, dy);
    const float offset = width * 0.25f;
    const int count = stationCount(n.len);
    // A line shorter than 1/8 map unit has one station, at A.
    const double stepX = count > 1 ? dx / (count - 1) : 0.0;
    const double stepY = count > 1 ? dy / (count - 1) : 0.0;
    const double ox = static_cast<double>(offset * n.x), oy = static_cast<double>(offset * n.y);
    float port = 0.0f, stbd = 0.0f;
    for (int i = 0; i < count; ++i) {
        const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
        if (covered(px - ox, py - oy)) port += 50.0f;
        if (covered(px + ox, py + oy)) stbd += 50.0f;
    }
    side = stbd > port ? kSideStarboard : kSidePort;
    return std::fabs(stbd - port);
}

float SidewaysSearch::unmappedScore(const FitLine& line, float width) {
    double dx = line.lonB - line.lonA;
    if (dx > 180.0) dx -= 360.0;
    if (dx < -180.0) dx += 360.0;
    const double dy = line.yB - line.yA;
    const StarboardNormal n(dx, dy);
    const int count = stationCount(n.len);
    const double stepX = count > 1 ? dx / (count - 1) : 0.0;
    const double stepY = count > 1 ? dy / (count - 1) : 0.0;
    float sum = 0.0f;
    for (int i = 0; i < count; ++i) {
        const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
        for (int k = 0; k < 7; ++k) {
            const float f = static_cast<float>(k - 3) * width / 6.0f;
            double qx = px + static_cast<double>(f * n.x);
            const double qy = py + static_cast<double>(f * n.y);
            if (qx < -180.0) qx += 360.0;
            if (coverage_.valueAt(qx, static_cast<float>(latitudeFromMapY(qy)), false) < kUnmappedBelow) sum += 5.0f;
        }
    }
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
    for (int a = -halfA; a <= halfA; ++a) {
        const float offA = static_cast<float>(a) * step;
        const float ra = static_cast<float>(a) / static_cast<float>(halfA);
        for (int b = -halfB; b <= halfB; ++b) {
            const float offB = static_cast<float>(b) * step;
            const float rb = static_cast<float>(b) / static_cast<float>(halfB);
            const double ax = line.lonA + static_cast<double>(offA * n.x), ay = yA + static_cast<double>(offA * n.y);
            const double bx = line.lonB + static_cast<double>(offB * n.x), by = yB + static_cast<double>(offB * n.y);
            const FitLine candidate{ax, bx, ay, by, 0.0, 0.0};
            const float score = measure(candidate, w) * (1.0f - ra * ra) * (1.0f - rb * rb);
            if (score > best) {
                best = score;
                result = FitLine::fromMapPlane(ax, ay, bx, by);
                measure.keep();
            }
        }
    }
    return best;
}

float SidewaysSearch::maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) {
    struct AbutMeasure {
        SidewaysSearch& search;
        int& side;
        int candidateSide = kSideUndecided;
        float operator()(const FitLine& l, float w) { return search.sideByCoverage(l, candidateSide, w); }
        void keep() { side = candidateSide; }
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
        void keep() {}
    } measure{*this};
    const float best = searchWindow(line, result, widthA, widthB, 0.125f, false, measure);
    out_ << "MAX EDGE  max  " << result.lonA << " " << result.latA << " " << result.lonB << " " << result.latB
         << "\n";
    return best;
}

}  // namespace tessarin
