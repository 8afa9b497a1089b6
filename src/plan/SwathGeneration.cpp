#include "plan/SurveyPlan.hpp"

// Swath generation and turns of the plan: every leg's swath edges, length
// and area, and the turn arcs between legs.

#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>

#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/SwathGeneration.hpp"

namespace tessarin {

using namespace swath;

void SurveyPlan::generateSwaths(bool withTurns) {
    lastWithTurns_ = withTurns;
    out_ << "genSwaths 1\n";
    if (!first_ || !first_->next) return;

    for (Waypoint* w = first_; w->next; w = w->next) {
        w->legStartX = w->marker->x;
        w->legStartY = w->marker->y;
    }

    // Straight legs do not depend on one another and go to worker threads
    // first; legs with turns do (each starts at the previous turn's exit).
    std::vector<double> early;
    const std::size_t doneEarly = withTurns ? 0 : straightLegsOnWorkers(early);

    double total = 0.0;
    int legs = 0;
    std::size_t k = 0;
    for (Waypoint* w = first_; w->next; w = w->next, ++k) {
        double average = 0.0;
        if (k < doneEarly) {
            average = early[k];
        } else {
            bool turned = false;
            if (withTurns && w->next->next) {
                out_ << "With Turns\n";
                // Parallel legs have no turn centre; such a waypoint is run
                // straight through, without a turn.
                if (computeTurnCentre(*w, turnRadius_)) {
                    computeLegSwath(*w, true, average);
                    appendTurnArc(*w);
                    turned = true;
                }
            }
            if (!turned) computeLegSwath(*w, false, average);
        }
        // A leg too short to be sampled has no mean elevation; it must not
        // turn the plan's mean into NaN.
        if (w->sampleCount > 0) {
            total += average;
            ++legs;
        }
    }
    out_ << "AVERAGE DEPTH " << (legs > 0 ? total / legs : 0.0);

    for (Waypoint* w = first_; w->next; w = w->next) w->marker->unhighlight();
}

struct SurveyPlan::PlanLookup {
    SurveyPlan& plan;
    float operator()(double lon, double lat) { return plan.depthAt(lon, lat); }
    static constexpr bool stopped() { return false; }
    // A probe may load a tile, so the order of probes is kept.
    static constexpr bool kBothSidesAtOnce = false;
};

struct SurveyPlan::WorkerLookup : PeekingDepth {
    // Probes never load here: their order changes nothing.
    static constexpr bool kBothSidesAtOnce = true;
};

std::size_t SurveyPlan::straightLegsOnWorkers(std::vector<double>& averages) {
    // Below a few hundred samples starting threads costs more than it saves.
    constexpr int kSamplesWorthThreads = 600;
    std::vector<Waypoint*> legs;
    double samples = 0.0;
    for (Waypoint* w = first_; w->next; w = w->next) {
        legs.push_back(w);
        const double dx = w->next->lon - w->lon, dy = w->next->y - w->y;
        samples += std::min(std::sqrt(dx * dx + dy * dy) * 240.0, static_cast<double>(kMaxStraightSamples));
    }
    const unsigned cores = swathWorkers_ > 0 ? swathWorkers_ : std::thread::hardware_concurrency();
    if (cores < 2 || legs.size() < 2 || !(samples >= kSamplesWorthThreads)) return 0;

    // A leg whose lookups would have loaded a tile is given up, and so is
    // every leg after it: loading on the calling thread, in plan order, is
    // what decides the console lines and which tile the ring lets go. The
    // legs before it made only the lookups the calling thread would have
    // made, on the same resident tiles, and keep their results.
    const std::size_t n = legs.size();
    averages.assign(n, 0.0);
    std::vector<std::uint64_t> lookups(n, 0);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> firstBlocked{n};
    auto work = [&] {
        for (std::size_t i = next++; i < n && i < firstBlocked.load(); i = next++) {
            WorkerLookup depth{{tiles_}};
            legSwath(*legs[i], false, averages[i], depth);
            lookups[i] = depth.lookups;
            if (depth.needsLoad) {
                std::size_t seen = firstBlocked.load();
                while (i < seen && !firstBlocked.compare_exchange_weak(seen, i)) {
                }
            }
        }
    };
    std::vector<std::thread> helpers;
    try {
        for (unsigned t = 1; t < std::min<std::size_t>(cores, n); ++t) helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started and this one share
        // the legs.
    }
    work();
    for (std::thread& t : helpers) t.join();

    const std::size_t done = std::min(firstBlocked.load(), n);
    for (std::size_t i = 0; i < done; ++i) depthLookups_ += lookups[i];
    return done;
}

float SurveyPlan::computeLegSwath(Waypoint& w, bool fromTurns, double& averageElevation) {
    PlanLookup depth{*this};
    return legSwath(w, fromTurns, averageElevation, depth);
}

float SurveyPlan::findEdgeReach(double x, double y, double lat, float nx, float ny, float nominalWidth,
                                float multiplier, float& edgeElevation) {
    PlanLookup depth{*this};
    return edgeReach(x, y, lat, nx, ny, nominalWidth, multiplier, edgeElevation, depth);
}

template <typename Lookup>
float SurveyPlan::legSwath(Waypoint& w, bool fromTurns, double& averageElevation, Lookup& depthAt) const {
    averageElevation = 0.0;
    if (!w.next) return static_cast<float>(kNoSamplesElevation);
    const Waypoint& b = *w.next;

    const float sec0 = secantOf(w.lat);
    const double x0 = fromTurns ? w.legStartX : w.lon;
    const float y0 = static_cast<float>(fromTurns ? w.legStartY : w.y);
    const double endX = fromTurns ? w.turnEntryX : b.lon;
    const double endY = fromTurns ? w.turnEntryY : b.y;
    const float dx = static_cast<float>(endX - x0);
    const float dy = static_cast<float>(endY - static_cast<double>(y0));

    const float len = std::sqrt(dx * dx + dy * dy);
    // trunc(len * 240) straight samples, capped; the test is written so that
    // a NaN length gives no samples instead of an undefined conversion.
    const float rawSamples = len * 240.0f;
    int samples = 0;
    if (rawSamples >= static_cast<float>(kMaxStraightSamples))
        samples = kMaxStraightSamples;
    else if (rawSamples >= 0.0f)
        samples = static_cast<int>(rawSamples);

    w.lengthKm = legLengthKm(w);
    w.lengthNm = w.lengthKm * kNmPerKm;

    // A zero-length leg has no direction; keep a zero normal rather than NaN.
    const float nx = len > 0.0f ? dy / len : 0.0f;
    const float ny = len > 0.0f ? -(dx / len) : 0.0f;
    w.normalX = nx;
    w.normalY = ny;

    w.sampleCount = samples;
    w.straightSamples = samples;
    const float step = samples > 0 ? 1.0f / static_cast<float>(samples) : 0.0f;

    double elevationSum = 0.0;
    float greatest = static_cast<float>(kNoSamplesElevation);
    float area = 0.0f;
    for (int i = 0; i < samples && !depthAt.stopped(); ++i) {
        const float t = static_cast<float>(i) * step;
        const float x = static_cast<float>(static_cast<double>(t * dx) + x0);
        const float y = t * dy + y0;
        const float lat = static_cast<float>(latitudeFromMapY(y));

        const float d = depthAt(x, lat);
        w.trackX[i] = x;
        w.trackY[i] = y;
        w.trackElevation[i] = d;
        elevationSum += d;
        greatest = std::max(greatest, d);

        const float m = swathMultiplierAt(d);
        const float nominalWidth = d * sec0 * m / -kMetresPerDegreeNominal;
        float edge = 0.0f;
        float reachR = 0.0f, reachL = 0.0f;
        if constexpr (Lookup::kBothSidesAtOnce) {
            // The two searches interleaved: each probe waits on the one
            // before it on its own side only, so the processor can work on
            // both at once.
            EdgeSearch right(x, y, lat, nx, ny, nominalWidth, m * 0.5f);
            EdgeSearch left(x, y, lat, -nx, -ny, nominalWidth, m * 0.5f);
            for (int k = 0; k < EdgeSearch::kSteps; ++k) {
                const float dr = depthAt(right.midLon(), right.midLat());
                const float dl = depthAt(left.midLon(), left.midLat());
                right.step(dr);
                left.step(dl);
            }
            reachR = right.f * nominalWidth;
            reachL = left.f * nominalWidth;
        } else {
            reachR = edgeReach(x, y, lat, nx, ny, nominalWidth, m, edge, depthAt);
            reachL = edgeReach(x, y, lat, -nx, -ny, nominalWidth, m, edge, depthAt);
        }

        w.rightX[i] = x + reachR * nx;
        w.rightY[i] = y + reachR * ny;
        w.leftX[i] = x - reachL * nx;
        w.leftY[i] = y - reachL * ny;
        w.rightReach[i] = reachR;
        w.leftReach[i] = reachL;

        const float wx = (reachL * nx + reachR * nx) * kKmPerDegreeArea / sec0;
        const float wy = (reachL * ny + reachR * ny) * kKmPerDegreeArea / sec0;
        const float width = std::sqrt(wx * wx + wy * wy);
        area += width * w.lengthKm * step;
    }
    w.areaKm2 = area;
    if (samples > 0) averageElevation = elevationSum / samples;
    return greatest;
}

template <typename Lookup>
float SurveyPlan::edgeReach(double x, double y, double lat, float nx, float ny, float nominalWidth, float multiplier,
                            float& edgeElevation, Lookup& depthAt) const {
    EdgeSearch side(x, y, lat, nx, ny, nominalWidth, multiplier * 0.5f);
    for (int i = 0; i < EdgeSearch::kSteps; ++i) side.step(depthAt(side.midLon(), side.midLat()));
    edgeElevation = side.d;
    return side.f * nominalWidth;
}

float SurveyPlan::legLengthKm(const Waypoint& w) {
    if (!w.next) return 0.0f;
    const double dx = w.next->lon - w.lon;
    const double dy = w.next->y - w.y;
    const double kmPerDegree = kKmPerDegreeLength;
    double sum = 0.0;
    for (int i = 0; i < 8; ++i) {
        const double latA = latitudeFromMapY(w.y + i * dy / 8.0);
        const double latB = latitudeFromMapY(w.y + (i + 1) * dy / 8.0);
        const double c = std::cos((latA + latB) * 0.5 * kSwathPi / 180.0);
        const double dlon = (w.lon + (i + 1) * dx / 8.0) - (w.lon + i * dx / 8.0);
        sum += std::sqrt((c * dlon) * (c * dlon) + (latB - latA) * (latB - latA)) * kmPerDegree;
    }
    return static_cast<float>(sum);
}

bool SurveyPlan::computeTurnCentre(Waypoint& w, double radiusMetres) {
    Waypoint* p1 = w.next;
    Waypoint* p2 = p1 ? p1->next : nullptr;
    if (!p1 || !p2) {
        out_ << "TURN CENTER FAIL 2 ";
        return false;
    }
    const MapPoint& a = *w.marker;
    const MapPoint& b = *p1->marker;
    const MapPoint& c = *p2->marker;

    double r = secantOf(p1->lat) * radiusMetres / kMetresPerDegreeEdge;
    const double d1x = b.x - a.x, d1y = b.y - a.y;
    const double d2x = c.x - b.x, d2y = c.y - b.y;
    const double l1 = std::sqrt(d1x * d1x + d1y * d1y);
    const double l2 = std::sqrt(d2x * d2x + d2y * d2y);
    const double cross = d1x * d2y - d1y * d2x;
    // Parallel legs (straight on, an exact reversal, or a leg of zero length)
    // have no circle tangent to both: no turn here. The slope substitution
    // below would otherwise turn a reversal along a meridian into a centre
    // tens of map units away.
    if (cross == 0.0 || l1 == 0.0 || l2 == 0.0) return false;

    double direction = -1.0;
    if (cross > 0.0) {  // a turn to port
        direction = 1.0;
        r = -r;
    }

    const double nwx = d1y / l1, nwy = -d1x / l1;
    const double nbx = d2y / l2, nby = -d2x / l2;
    const double m1 = d1y / (d1x * d1x < 1e-11 ? 1e-6 : d1x);
    const double m2 = d2y / (d2x * d2x < 1e-11 ? 1e-6 : d2x);
    if (m1 == m2) return false;
    const double b1 = (a.y + r * nwy) - m1 * (a.x + r * nwx);
    const double b2 = (b.y + r * nby) - m2 * (b.x + r * nbx);
    const double cx = (b2 - b1) / (m1 - m2);
    const double cy = cx * m1 + b1;
    if (!std::isfinite(cx) || !std::isfinite(cy)) return false;

    w.turnDirection = direction;
    w.turnRadius = r;
    w.normalX = nwx;
    w.normalY = nwy;
    p1->normalX = nbx;
    p1->normalY = nby;
    w.turnCentreX = cx;
    w.turnCentreY = cy;
    w.turnEntryX = cx - r * nwx;
    w.turnEntryY = cy - r * nwy;
    p1->legStartX = cx - r * nbx;
    p1->legStartY = cy - r * nby;
    return true;
}

int SurveyPlan::turnSampleCount(double angleRadians) {
    if (!(angleRadians >= 0.0)) return 1;
    const double degrees = std::min(angleRadians * 180.0 / kSwathPi, 180.0 + 4.0);
    return std::min(1 + static_cast<int>(degrees) / 5, kMaxTurnSamples);
}

void SurveyPlan::appendTurnArc(Waypoint& w) {
    if (!w.next) return;
    const Waypoint& p1 = *w.next;
    const double dot = std::clamp(w.normalX * p1.normalX + w.normalY * p1.normalY, -1.0, 1.0);
    const double angle = std::acos(dot);
    out_ << "TURN *** ANGLE " << angle * 180.0 / kSwathPi << "\n";

    const int base = std::clamp(w.sampleCount, 0, Waypoint::kMaxSamples);
    const int steps = std::min(turnSampleCount(angle), Waypoint::kMaxSamples - base);
    const float secW = secantOf(w.lat);
    const double dir = w.turnDirection;
    const double r = w.turnRadius;

    double nx = w.normalX;
    double ny = w.normalY;
    for (int j = 0; j < steps; ++j) {
        const double rx = nx * kCos5 - dir * ny * kSin5;
        const double ry = ny * kCos5 + dir * nx * kSin5;
        nx = rx;
        ny = ry;
        const double px = w.turnCentreX - r * nx;
        const double py = w.turnCentreY - r * ny;
        const double pLat = latitudeFromMapY(py);

        const float d = depthAt(px, pLat);
        const float m = swathMultiplierAt(d);
        const float width = 2.0f * static_cast<float>(d * secW * -0.5 * m / kMetresPerDegreeEdge);
        const float fnx = static_cast<float>(nx);
        const float fny = static_cast<float>(ny);
        float edge = 0.0f;
        const float reachR = findEdgeReach(px, py, pLat, fnx, fny, width, m, edge);
        const float reachL = findEdgeReach(px, py, pLat, -fnx, -fny, width, m, edge);

        const int k = base + j;
        w.rightX[k] = static_cast<float>(px + reachR * nx);
        w.rightY[k] = static_cast<float>(py + reachR * ny);
        w.leftX[k] = static_cast<float>(px - reachL * nx);
        w.leftY[k] = static_cast<float>(py - reachL * ny);
    }
    w.sampleCount = base + steps;
}

float SurveyPlan::recomputeCursorLeg() {
    if (!cursor_) return static_cast<float>(kNoSamplesElevation);
    if (!cursor_->next) {
        if (!cursor_->prev) return static_cast<float>(kNoSamplesElevation);
        cursor_ = cursor_->prev;
    }
    double average = 0.0;
    return computeLegSwath(*cursor_, false, average);
}

}  // namespace tessarin
