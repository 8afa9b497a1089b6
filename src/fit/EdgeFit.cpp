#include "fit/EdgeFit.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "earth/TileStore.hpp"
#include "fit/NearbyLatitudes.hpp"
#include "plan/SurveyPlan.hpp"

// Map plane: x = longitude (degrees), y = mapY(latitude); N is the unit
// starboard normal of the line from A to B, H a half-width in map units.
// The probe fractions, the secant's pi and the metres per map unit (111111)
// are the constants the fits were tuned with; do not tidy them.

namespace tessarin {
namespace {

constexpr double kMetresPerUnit = 111111.0;
constexpr double kFitPi = 3.141592;
constexpr std::uint16_t kCoveredAbove = 10;
constexpr float kProbeWeight = 50.0f;
constexpr int kRefineSteps = 21;
// Beyond this many stations a side score's sums may round: it is scored in
// full.
constexpr int kMaxStoppingStations = 80000;

float secantOf(double latDeg) { return static_cast<float>(1.0 / std::cos(latDeg * kFitPi / 180.0)); }

// Half swath width in map units for elevation d (metres) and multiplier m at
// latitude lat: positive at sea; on land it is negative and the probes fall
// on the other side of the line.
float halfWidthAt(float d, float m, float sec) {
    return static_cast<float>(-static_cast<double>(d) * 0.5 * m * sec / kMetresPerUnit);
}
float halfWidth(float d, float m, double lat) { return halfWidthAt(d, m, secantOf(lat)); }

// Stations along a scored line: 1 + trunc(12 * len), at least 15.
int stationCount(float len) {
    const float scaled = 12.0f * len;
    // A non-finite or absurd length (no caller passes one) must not reach an
    // int conversion.
    if (!(scaled >= 0.0f && scaled < 1.0e6f)) return 15;
    const int count = 1 + static_cast<int>(scaled);
    return count < 15 ? 15 : count;
}

// The stations P_i = A + i * (B - A) / (count - 1) of a scored line, and the
// probes at f half-widths h along sign * N from them.
struct Stations {
    StarboardNormal n;
    int count;
    double stepX;
    double stepY;
    explicit Stations(const FitLine& line)
        : n(line.lonB - line.lonA, line.yB - line.yA),
          count(stationCount(n.len)),
          stepX((line.lonB - line.lonA) / (count - 1)),
          stepY((line.yB - line.yA) / (count - 1)) {}
    void probe(double px, double py, float f, float h, float sign, double& qx, double& qy) const {
        qx = px + static_cast<double>(f * h * sign * n.x);
        qy = py + static_cast<double>(f * h * sign * n.y);
    }
};

}  // namespace

EdgeFit::EdgeFit(TileStore& tiles, const CoverageLookup& coverage, SurveyPlan& plan, std::ostream& out)
    : tiles_(tiles), coverage_(coverage), plan_(plan), out_(out) {}

float EdgeFit::elevationAt(double lon, double lat) {
    ++depthLookups_;
    float elevation = 5.0f;
    tiles_.getDepth(lon, lat, elevation);  // no data answers 5.0, used as is
    return elevation;
}

float EdgeFit::edgeOverlapScore(const FitLine& line, float overlapPercent, float& inside, float& outside, int& side,
                                bool useFine) {
    if (side != kSideUndecided) {
        struct Loading {
            EdgeFit& fit;
            float operator()(double lon, double lat) { return fit.elevationAt(lon, lat); }
            static constexpr bool stopped() { return false; }
        } depth{*this};
        bool cannotBeat = false;
        return sideScore<ExactLatitudes>(line, overlapPercent, inside, outside, side, useFine, depth,
                                         -std::numeric_limits<float>::infinity(), cannotBeat);
    }
    const Stations st(line);
    const int count = st.count;
    const double stepX = st.stepX, stepY = st.stepY;

    float d = elevationAt(line.lonA, latitudeFromMapY(line.yA));
    float m = plan_.swathMultiplierAt(d);

    auto probePoint = [&](double px, double py, float f, float h, float sign, double& qx, double& qy) {
        st.probe(px, py, f, h, sign, qx, qy);
    };
    auto coverageAt = [&](double qx, double qy) {
        return coverage_.valueAt(qx, static_cast<float>(latitudeFromMapY(qy)), useFine);
    };
    auto depthAt = [&](double qx, double qy) { return elevationAt(qx, static_cast<float>(latitudeFromMapY(qy))); };
    auto votes = [&](double qx, double qy) { return !voteArea_ || voteArea_(qx, qy); };

    {
        float portSum = 0.0f, stbdSum = 0.0f;
        for (int i = 0; i < count; ++i) {
            const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
            const float h = halfWidth(d, m, latitudeFromMapY(py));
            double qx = 0.0, qy = 0.0;
            probePoint(px, py, 0.9f, h, -1.0f, qx, qy);
            d = depthAt(qx, qy);
            if (votes(qx, qy) && coverageAt(qx, qy) > kCoveredAbove) portSum += kProbeWeight;
            probePoint(px, py, 0.9f, h, 1.0f, qx, qy);
            d = depthAt(qx, qy);
            // Both sides count a covered probe alike: adding the raw byte on
            // one side only made a reference cell weigh 114 to starboard.
            if (votes(qx, qy) && coverageAt(qx, qy) > kCoveredAbove) stbdSum += kProbeWeight;
        }
        out_ << "FIND LR SUM " << portSum << " " << stbdSum << "\n";
        if (stbdSum < portSum) {
            side = kSidePort;
            out_ << "LEFT \n";
        } else if (stbdSum > portSum) {
            side = kSideStarboard;
            out_ << "RIGHT \n";
        }
        return 0.0f;
    }
}

template <typename Latitudes, typename Depth>
float EdgeFit::sideScore(const FitLine& line, float overlapPercent, float& inside, float& outside, int side,
                         bool useFine, Depth& depthAt, float bar, bool& cannotBeat) const {
    const float lo = overlapPercent * 0.02f - 0.005f;
    const float hi = overlapPercent * 0.02f + 0.005f;
    const Stations st(line);
    const int count = st.count;
    const double stepX = st.stepX, stepY = st.stepY;

    float d = depthAt(line.lonA, latitudeFromMapY(line.yA));
    float m = plan_.swathMultiplierAt(d);

    auto probePoint = [&](double px, double py, float f, float h, float sign, double& qx, double& qy) {
        st.probe(px, py, f, h, sign, qx, qy);
    };
    const CoarseReader coarse(coverage_);
    auto covered = [&](double qx, float lat) {
        return (useFine ? coverage_.valueAt(qx, lat, true) : coarse.valueAt(qx, lat)) > kCoveredAbove;
    };

    float in = 0.0f, outSum = 0.0f;
    // Once even four covered inside probes and no covered outside probe at
    // every station left could not lift the score above bar, the coverage
    // probes are skipped; the depth probes go on to the end, so the lookups
    // counted and a probe that would load are the same as in a full score.
    // The sums are exact integers (below 2^24 with this many stations), and
    // the products and quotients round monotonically, so the score really
    // could not be above the bound.
    cannotBeat = false;
    const bool mayStop = count <= kMaxStoppingStations;
    const float perCount = static_cast<float>(count);
    auto hopeless = [&](int i) {
        if (cannotBeat || !mayStop) return cannotBeat;
        const float most = in + kProbeWeight * 4.0f * static_cast<float>(count - i) - outSum;
        cannotBeat = most * 100.0f / perCount <= bar;
        return cannotBeat;
    };
    if (side == kSidePort) {
        for (int i = 0; i < count; ++i) {
            const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
            const double lat = latitudeFromMapY(py);
            const Latitudes near(py, lat);
            const float sec = secantOf(lat);
            const float h = halfWidthAt(d, m, sec);
            double qx = 0.0, qy = 0.0;
            probePoint(px, py, 0.9f, h, -1.0f, qx, qy);
            d = depthAt(qx, near.at(qy));
            if (depthAt.stopped()) return 0.0f;
            m = plan_.swathMultiplierAt(d);
            if (hopeless(i)) continue;
            const float h2 = halfWidthAt(d, m, sec);
            for (int j = 0; j < 4; ++j) {
                probePoint(px, py, 1.0f - lo + 0.02f * static_cast<float>(j), h2, -1.0f, qx, qy);
                if (covered(qx, near.at(qy))) in += kProbeWeight;
                probePoint(px, py, 1.0f - hi - 0.1f * static_cast<float>(j), h2, -1.0f, qx, qy);
                if (covered(qx, near.at(qy))) outSum += kProbeWeight;
            }
        }
    } else if (side == kSideStarboard) {
        for (int i = 0; i < count; ++i) {
            const double px = line.lonA + i * stepX, py = line.yA + i * stepY;
            const double lat = latitudeFromMapY(py);
            const Latitudes near(py, lat);
            const float h = halfWidth(d, m, lat);
            double qx = 0.0, qy = 0.0;
            // The depth found here sizes the next station's probes, not these.
            probePoint(px, py, 0.9f, h, 1.0f, qx, qy);
            d = depthAt(qx, near.at(qy));
            if (depthAt.stopped()) return 0.0f;
            m = plan_.swathMultiplierAt(d);
            if (hopeless(i)) continue;
            for (int j = 0; j < 4; ++j) {
                probePoint(px, py, 1.0f - lo - 0.02f * static_cast<float>(j), h, 1.0f, qx, qy);
                if (covered(qx, near.at(qy))) in += kProbeWeight;
                probePoint(px, py, 1.0f - hi - 0.1f * static_cast<float>(j), h, 1.0f, qx, qy);
                if (covered(qx, near.at(qy))) outSum += kProbeWeight;
            }
        }
    }
    if (cannotBeat) return 0.0f;
    inside = in;
    outside = outSum;
    return (in - outSum) * 100.0f / static_cast<float>(count);
}

void EdgeFit::setRefineWindow(int towardsSide, int awayFromSide) {
    stepsTowards_ = std::clamp(towardsSide, 0, kRefineSteps);
    stepsAway_ = std::clamp(awayFromSide, 0, kRefineSteps);
}

float EdgeFit::refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent, float stepFraction,
                                 int& side, bool useFine) {
    const float sec = secantOf(line.latA);
    const float d = (elevationAt(line.lonA, line.latA) + elevationAt(line.lonA, line.latA)) * 0.5f;
    const float m = plan_.swathMultiplierAt(d);
    const float step = static_cast<float>(m * d * sec / -kMetresPerUnit) * stepFraction;
    const StarboardNormal n(line.lonB - line.lonA, line.yB - line.yA);

    float inside = 0.0f, outside = 0.0f;
    if (side == kSideUndecided) edgeOverlapScore(line, 10.0f, inside, outside, side, false);

    float best = -500.0f;
    FitLine bestLine = line;
    // Without a side every candidate scores 0, and the first one visited lies
    // 21 steps to port: the line would move with nothing to fit against.
    const bool decided = side == kSideStarboard || side == kSidePort;
    if (!decided) best = 0.0f;
    // Step counts along the starboard normal, in the order they are visited.
    std::vector<int> offsets;
    const bool windowed = decided && (stepsTowards_ != kRefineSteps || stepsAway_ != kRefineSteps);
    if (windowed) {
        // Towards the side is + for starboard and - for port.
        const int towards = side == kSideStarboard ? 1 : -1;
        offsets.push_back(0);
        for (int k = 1; k <= std::max(stepsTowards_, stepsAway_); ++k) {
            if (k <= stepsTowards_) offsets.push_back(towards * k);
            if (k <= stepsAway_) offsets.push_back(-towards * k);
        }
    } else if (decided) {
        for (int k = -kRefineSteps; k <= kRefineSteps; ++k) offsets.push_back(k);
    }
    const int nOff = static_cast<int>(offsets.size());
    // Candidate k moves A by offsets[k / nOff] steps and B by offsets[k % nOff].
    auto candidateAt = [&](int k) {
        const float offA = static_cast<float>(offsets[static_cast<std::size_t>(k / nOff)]) * step;
        const float offB = static_cast<float>(offsets[static_cast<std::size_t>(k % nOff)]) * step;
        FitLine candidate = line;
        candidate.lonA = line.lonA + static_cast<double>(offA * n.x);
        candidate.yA = line.yA + static_cast<double>(offA * n.y);
        candidate.lonB = line.lonB + static_cast<double>(offB * n.x);
        candidate.yB = line.yB + static_cast<double>(offB * n.y);
        return candidate;
    };
    const int count = nOff * nOff;
    if (path_ == SearchPath::Reference) {
        for (int k = 0; k < count; ++k) {
            const FitLine candidate = candidateAt(k);
            const float s = edgeOverlapScore(candidate, overlapPercent, inside, outside, side, useFine);
            if (s > best) {
                best = s;
                bestLine = candidate;
            }
        }
    } else {
        // Candidates are scored on resident tiles only, off this thread; one
        // whose probes would load a tile is scored here in its turn (it may
        // change what the later ones read), and the scan goes on after it.
        const int threads = coverage_.concurrentReads() ? threads_ : 1;
        int bestIndex = -1;
        for (int from = 0; from < count;) {
            const ScanResult r =
                scanFirstBest(from, count, best, threads, [&](int k, float bar, float& s, std::uint64_t& lookups) {
                    PeekingDepth depth{tiles_};
                    float in = 0.0f, out = 0.0f;
                    bool cannotBeat = false;
                    s = sideScore<NearbyLatitudes>(candidateAt(k), overlapPercent, in, out, side, useFine, depth,
                                                   bar, cannotBeat);
                    lookups = depth.lookups;
                    if (depth.needsLoad) return Scored::NeedsLoad;
                    return cannotBeat ? Scored::CannotBeat : Scored::Yes;
                }, Bars::EarlierCandidates);
            depthLookups_ += r.lookups;
            if (r.index >= 0) {
                best = r.score;
                bestIndex = r.index;
            }
            if (r.scannedTo >= count) break;
            const float s = edgeOverlapScore(candidateAt(r.scannedTo), overlapPercent, inside, outside, side, useFine);
            if (s > best) {
                best = s;
                bestIndex = r.scannedTo;
            }
            from = r.scannedTo + 1;
        }
        if (bestIndex >= 0) bestLine = candidateAt(bestIndex);
    }
    // A best score that is not above 0 finds no edge to abut: keep the line.
    if (!(best > 0.0f)) bestLine = line;
    result = FitLine::fromMapPlane(bestLine.lonA, bestLine.yA, bestLine.lonB, bestLine.yB);
    out_ << "REFINE EDGE OVERLAP " << best << " " << result.lonA << " " << result.latA << " " << result.lonB << " "
         << result.latB << "\n";
    return best;
}

void EdgeFit::extendEdgeOverlap(const FitLine& line, FitLine& result, int& side, bool extendStart, bool extendEnd) {
    elevationAt(line.lonA, line.latA);  // makes the start's tile resident
    const double yA = mapY(line.latA);
    const double yB = mapY(line.latB);
    const StarboardNormal n(line.lonB - line.lonA, yB - yA);
    const float len = n.len;
    const float ux = len > 0.0f ? static_cast<float>(line.lonB - line.lonA) / len : 0.0f;
    const float uy = len > 0.0f ? static_cast<float>(yB - yA) / len : 0.0f;
    const int nShort = static_cast<int>(len * 10.0f * 0.2f);
    const int nLong = static_cast<int>(len * 10.0f * 0.4f);

    out_ << "EXTEND 1 " << line.lonA << " " << line.latA << " " << yA << " " << line.lonB << " " << line.latB << " "
         << yB << "\n";

    float inside = 0.0f, outside = 0.0f;
    auto score = [&](double ax, double ay, double bx, double by, float overlap) {
        const FitLine candidate{ax, bx, ay, by, 0.0, 0.0};
        return edgeOverlapScore(candidate, overlap, inside, outside, side, false);
    };
    float best = score(line.lonA, yA, line.lonB, yB, 10.0f);
    double bestAx = line.lonA, bestAy = yA, bestBx = line.lonB, bestBy = yB;

    if (extendStart) {
        for (int k = 0; k < nShort; ++k) {
            const float t = 0.1f * static_cast<float>(k);
            const double ax = line.lonA + static_cast<double>(t * ux), ay = yA + static_cast<double>(t * uy);
            const float s = score(ax, ay, line.lonB, yB, 10.0f);
            if (s > best) {
                best = s;
                bestAx = ax;
                bestAy = ay;
            }
        }
        for (int k = 0; k < nLong; ++k) {
            const float t = 0.1f * static_cast<float>(k);
            const double ax = line.lonA - static_cast<double>(t * ux), ay = yA - static_cast<double>(t * uy);
            const float s = score(ax, ay, line.lonB, yB, 10.0f);
            if (s > best) {
                best = s;
                bestAx = ax;
                bestAy = ay;
            }
        }
        out_ << "EXTEND OVERLAP START " << nShort + nLong << " " << best << " " << bestAx << " "
             << latitudeFromMapY(bestAy) << "\n";
    }
    if (extendEnd) {
        for (int k = 0; k < nShort; ++k) {
            const float t = 0.1f * static_cast<float>(k);
            const double bx = line.lonB - static_cast<double>(t * ux), by = yB - static_cast<double>(t * uy);
            const float s = score(bestAx, bestAy, bx, by, 0.1f);
            if (s > best) {
                best = s;
                bestBx = bx;
                bestBy = by;
            }
        }
        for (int k = 0; k < nLong; ++k) {
            const float t = 0.1f * static_cast<float>(k);
            const double bx = line.lonB + static_cast<double>(t * ux), by = yB + static_cast<double>(t * uy);
            const float s = score(bestAx, bestAy, bx, by, 10.0f);
            if (s > best) {
                best = s;
                bestBx = bx;
                bestBy = by;
            }
        }
        out_ << "EXTEND OVERLAP END " << nShort + nLong << " " << best << " " << bestBx << " "
             << latitudeFromMapY(bestBy) << "\n";
    }
    result = FitLine::fromMapPlane(bestAx, bestAy, bestBx, bestBy);
    out_ << "EXTENDED  EDGE OVERLAP " << best << " " << result.lonA << " " << result.latA << " " << result.lonB << " "
         << result.latB << "\n";
}

bool EdgeFit::refineCurrentOverlap(int& side, float stepFraction, bool useFine, float overlapPercent) {
    out_ << "REFINE \n";
    Waypoint* w = plan_.current();
    if (!w) return false;
    if (!w->next && w->prev) {
        w = w->prev;
        plan_.setCurrentWaypoint(w);
    }
    if (!w->next) return false;

    const FitLine line{w->lon, w->next->lon, w->y, w->next->y, w->lat, w->next->lat};
    // A side the caller decided stands: the fill's second, finer fit runs
    // on the side its first one used.
    if (side != kSideStarboard && side != kSidePort) side = kSideUndecided;
    FitLine result;
    refineEdgeOverlap(line, result, overlapPercent, stepFraction, side, useFine);
    out_ << "refineCurrentOverlap LR " << side << "\n";
    out_ << "REFINE Current 1A " << result.lonA << " " << result.latA << "\n";
    out_ << "REFINE Current1B " << result.lonB << " " << result.latB << "\n";

    plan_.moveCurrent(result.lonA, result.yA, result.latA);
    plan_.setCurrentWaypoint(w->next);
    plan_.moveCurrent(result.lonB, result.yB, result.latB);
    return true;
}

void EdgeFit::fitCurrentLine(float edgeOverlapPercent) {
    plan_.walkFromCurrentLeg();
    out_ << "LINE OVERLAP " << edgeOverlapPercent << "\n";
    int side = kSideUndecided;
    refineCurrentOverlap(side, 0.01f, false, edgeOverlapPercent);
    plan_.generateSwaths(true);
}

}  // namespace tessarin
