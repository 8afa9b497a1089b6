#include "plan/SurveyPlan.hpp"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <system_error>
#include <thread>

#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"

// Notation: x is longitude in degrees, y the map-plane ordinate mapY(lat),
// lat latitude in degrees. A "normal" is the unit starboard normal (dy, -dx)
// of a leg in the map plane. Elevations are metres, negative below sea level.

namespace tessarin {

namespace {

// Pi as the swath and turn arithmetic was calibrated with.
constexpr double kSwathPi = 3.141592;

// Metres per degree: nominal straight-leg width, and edge search / turns.
constexpr float kMetresPerDegreeNominal = 111120.0f;
constexpr float kMetresPerDegreeEdge = 111111.0f;
// Kilometres per degree for the area sum and for the leg length.
constexpr float kKmPerDegreeArea = 111.11f;
constexpr float kKmPerDegreeLength = 111.12f;
constexpr float kNmPerKm = 0.53996f;
// Bounds padding, single precision also where the result is double.
constexpr float kBoundsPad = 0.2f;

// One 5 degree step of the turn rotation.
constexpr double kCos5 = 0.9961947;
constexpr double kSin5 = 0.087155742;

float secantOf(double latDeg) { return static_cast<float>(1.0 / std::cos(latDeg * kSwathPi / 180.0)); }

// The bisection for one side's swath edge, from the track point (x, y map
// plane; lat degrees) towards (nx, ny) at the nominal width (map units):
// six depth probes between an inner and an outer point, each asking whether
// the floor there is deep enough for the half-swath to reach f * W.
struct EdgeSearch {
    static constexpr int kSteps = 6;
    double ox, oLat, ix, iLat;
    float nominalWidth;
    // The depth test uses the secant at the outer point, while the nominal
    // width was scaled by the secant at the leg's first waypoint: off the
    // equator the side towards the equator therefore reaches a little less.
    float k;
    float f = 1.0f;
    float s = 0.5f;
    float d = 0.0f;

    EdgeSearch(double x, double y, double lat, float nx, float ny, float width, float half)
        : ox(x + static_cast<double>(nx * width)),
          oLat(static_cast<float>(latitudeFromMapY(y + static_cast<double>(ny * width)))),
          ix(x),
          iLat(lat),
          nominalWidth(width),
          k(secantOf(oLat) * half) {}

    double midLon() const { return (ox + ix) * 0.5; }
    double midLat() const { return (oLat + iLat) * 0.5; }  // latitudes averaged, not map y
    void step(float depth) {
        const double mx = midLon();
        const double mLat = midLat();
        d = depth;
        if (f * nominalWidth * kMetresPerDegreeEdge / k > -d) {
            ox = mx;  // too shallow for the half-swath to reach f * W
            oLat = mLat;
            f -= s;
        } else {
            ix = mx;
            iLat = mLat;
            f += s;
        }
        s *= 0.5f;
    }
};

}  // namespace

SurveyPlan::SurveyPlan(TileStore& tiles, std::ostream& out, float depthMultiplier, float turnRadiusMetres,
                       float boatSpeed, const std::string& extinctionFile)
    : tiles_(tiles),
      out_(out),
      boatSpeed_(boatSpeed),
      depthMultiplier_(depthMultiplier),
      halfMultiplier_(depthMultiplier * 0.5f),
      turnRadius_(turnRadiusMetres) {
    loadExtinctionCurve(curve_, extinctionFile, depthMultiplier, out_);
    out_ << "TEST 1200 " << swathMultiplierAt(-1200.0f) << "\n";
    out_ << "TEST 3000 " << swathMultiplierAt(-3000.0f) << "\n";
    out_ << "TEST 2100 " << swathMultiplierAt(-2100.0f) << "\n";
}

SurveyPlan::~SurveyPlan() { clearPlan(); }

float SurveyPlan::depthAt(double lon, double lat) {
    ++depthLookups_;
    float elevation = 5.0f;
    tiles_.getDepth(lon, lat, elevation);  // no data answers 5.0, used as is
    return elevation;
}

// ---- List editing -------------------------------------------------------

Waypoint* SurveyPlan::makeWaypoint(double lon, double y, double lat, float speed, float depthMultiplier) {
    auto* w = new Waypoint;
    w->lat = lat;
    w->lon = lon;
    w->y = y;
    w->speed = speed;
    w->depthMultiplier = depthMultiplier;
    w->marker = std::make_unique<MapPoint>(lon, y);
    depthAt(lon, lat);  // only to make the tile resident
    return w;
}

void SurveyPlan::addWaypoint(double lon, double y, double lat, float speed, float depthMultiplier) {
    Waypoint* w = makeWaypoint(lon, y, lat, speed, depthMultiplier);
    if (!first_) {
        first_ = current_ = cursor_ = w;
        return;
    }
    current_->marker->unhighlight();
    w->next = current_->next;
    current_->next = w;
    w->prev = current_;
    if (w->next) w->next->prev = w;
    current_ = cursor_ = w;
    w->marker->highlight();
}

void SurveyPlan::addStartWaypoint(bool atStart, double lon, double y, double lat, float speed,
                                  float depthMultiplier) {
    if (!first_) return;
    out_ << "START ADD " << lon << " " << lat << "\n";
    Waypoint* w = makeWaypoint(lon, y, lat, speed, depthMultiplier);
    if (current_) current_->marker->unhighlight();
    // Without an anchor there is nothing to insert before; the head is the
    // only place that keeps the list whole.
    Waypoint* anchor = atStart ? first_ : (anchor_ ? anchor_ : first_);
    w->next = anchor;
    w->prev = anchor->prev;
    if (anchor->prev)
        anchor->prev->next = w;
    else
        first_ = w;
    anchor->prev = w;
    current_ = w;
    if (!atStart) anchor_ = w;
    cursor_ = current_;
    w->marker->highlight();
}

bool SurveyPlan::pickWaypoint(float x, float y, float scale, float& latOut, float& yOut, float& lonOut) {
    const float tol = 7.0f / scale;
    if (current_) current_->marker->unhighlight();
    Waypoint* hit = nullptr;
    for (Waypoint* w = first_; w; w = w->next) {
        if (w->marker->hitTest(x, y, tol)) {
            hit = w;
            break;
        }
    }
    if (!hit) return false;
    current_ = hit;
    latOut = static_cast<float>(hit->lat);
    yOut = static_cast<float>(hit->y);
    lonOut = static_cast<float>(hit->lon);
    out_ << "Pick2D Lat " << latOut << " " << hit->lat << "\n";
    return true;
}

void SurveyPlan::deleteCurrent() {
    out_ << "DELETE \n";
    Waypoint* gone = current_;
    if (!gone) return;
    if (gone == first_) {
        first_ = gone->next;
        current_ = first_;
        if (first_) first_->prev = nullptr;
    } else {
        Waypoint* p = first_;
        while (p && p->next != gone) p = p->next;
        if (!p) return;  // not in the list: nothing to unlink
        p->next = gone->next;
        if (gone->next) gone->next->prev = p;
        current_ = p;
    }
    // A walk cursor or insertion anchor on the deleted waypoint would dangle;
    // drop them so a later walkNext or insertion cannot touch freed memory.
    if (cursor_ == gone) cursor_ = nullptr;
    if (anchor_ == gone) anchor_ = nullptr;
    delete gone;
}

Waypoint* SurveyPlan::last() const {
    Waypoint* w = first_;
    while (w && w->next) w = w->next;
    return w;
}

bool SurveyPlan::removeLastWaypoint() {
    Waypoint* gone = last();
    if (!gone) return false;
    Waypoint* p = first_ == gone ? nullptr : first_;
    while (p && p->next != gone) p = p->next;
    if (p) {
        p->next = nullptr;
    } else {
        first_ = nullptr;
    }
    current_ = cursor_ = p;
    if (anchor_ == gone) anchor_ = nullptr;
    delete gone;
    return true;
}

void SurveyPlan::clearPlan() {
    Waypoint* w = first_;
    while (w) {
        Waypoint* next = w->next;
        delete w;
        w = next;
    }
    first_ = current_ = anchor_ = nullptr;
    cursor_ = nullptr;  // it pointed into the freed list
}

void SurveyPlan::adoptWaypoints(const std::vector<Waypoint*>& list, int current, int cursor, int anchor) {
    clearPlan();
    auto at = [&list](int i) -> Waypoint* {
        return i >= 0 && static_cast<std::size_t>(i) < list.size() ? list[static_cast<std::size_t>(i)] : nullptr;
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        list[i]->prev = i > 0 ? list[i - 1] : nullptr;
        list[i]->next = i + 1 < list.size() ? list[i + 1] : nullptr;
    }
    first_ = at(0);
    current_ = at(current);
    if (!current_) current_ = first_;
    cursor_ = at(cursor);
    anchor_ = at(anchor);
}

bool SurveyPlan::moveCurrent(double lon, double y, double lat) {
    if (!current_) return false;
    current_->marker->setPosition(lon, y);
    current_->lon = lon;
    current_->lat = lat;
    current_->y = y;
    return true;
}

bool SurveyPlan::setCurrent(double lon, double y, double lat, float speed, float depthMultiplier) {
    if (!moveCurrent(lon, y, lat)) return false;
    current_->speed = speed;
    current_->depthMultiplier = depthMultiplier;
    out_ << "LEG Spd  " << speed << "\n";
    return true;
}

bool SurveyPlan::setCurrentLeg(double lon1, double y1, double lon2, double y2) {
    if (!current_ || !current_->prev) return false;
    Waypoint* a = current_->prev;
    a->marker->setPosition(lon1, y1);
    a->lon = lon1;
    a->y = y1;
    a->lat = latitudeFromMapY(y1);
    current_->marker->setPosition(lon2, y2);
    current_->lon = lon2;
    current_->y = y2;
    current_->lat = latitudeFromMapY(y2);
    return true;
}

// ---- Queries ------------------------------------------------------------

bool SurveyPlan::getCurrent(double& lat, double& lon, float& speed, float& depthMultiplier) const {
    if (!current_) return false;
    lat = current_->lat;
    lon = current_->lon;
    speed = current_->speed;
    depthMultiplier = current_->depthMultiplier;
    return true;
}

bool SurveyPlan::getCurrentLeg(bool allowLast, double& lat1, double& y1, double& lon1, double& lat2, double& y2,
                               double& lon2) const {
    if (!current_) return false;
    const Waypoint* a = current_;
    const Waypoint* b = current_->next;
    if (!b) {
        if (!allowLast || !current_->prev) return false;
        a = current_->prev;
        b = current_;
    }
    lat1 = a->lat;
    y1 = a->y;
    lon1 = a->lon;
    lat2 = b->lat;
    y2 = b->y;
    lon2 = b->lon;
    return true;
}

bool SurveyPlan::getCursorPoint(double& lat, double& y, double& lon) const {
    if (!cursor_) return false;
    lat = cursor_->lat;
    y = cursor_->y;
    lon = cursor_->lon;
    return true;
}

bool SurveyPlan::planBounds(double& xmin, double& xmax, double& ymin, double& ymax) const {
    if (!first_) return false;
    xmin = ymin = 1000.0;
    xmax = ymax = -1000.0;
    for (const Waypoint* w = first_; w; w = w->next) {
        xmin = std::min(xmin, w->marker->x);
        xmax = std::max(xmax, w->marker->x);
        ymin = std::min(ymin, w->marker->y);
        ymax = std::max(ymax, w->marker->y);
    }
    xmin -= kBoundsPad;
    xmax += kBoundsPad;
    ymin -= kBoundsPad;
    ymax += kBoundsPad;
    return true;
}

bool SurveyPlan::cursorLegBounds(float& xmin, float& xmax, float& ymin, float& ymax) const {
    if (!cursor_ || !cursor_->next) return false;
    xmin = ymin = 1000.0f;
    xmax = ymax = -1000.0f;
    for (const Waypoint* w : {cursor_, cursor_->next}) {
        const float x = static_cast<float>(w->marker->x);
        const float y = static_cast<float>(w->marker->y);
        xmin = std::min(xmin, x);
        xmax = std::max(xmax, x);
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
    }
    xmin -= kBoundsPad;
    xmax += kBoundsPad;
    ymin -= kBoundsPad;
    ymax += kBoundsPad;
    return true;
}

float SurveyPlan::planLegTotals(float& nm, float& hours) const {
    nm = 0.0f;
    hours = 0.0f;
    float km = 0.0f;
    for (const Waypoint* w = first_; w && w->next; w = w->next) {
        nm += w->lengthNm;
        hours += w->lengthNm / w->speed;
        km += w->lengthKm;
    }
    return km;
}

int SurveyPlan::waypointCount() const {
    int n = 0;
    for (const Waypoint* w = first_; w; w = w->next) ++n;
    return n;
}

// ---- Walks --------------------------------------------------------------

bool SurveyPlan::walkFromFirst() {
    current_ = cursor_ = first_;
    return first_ != nullptr;
}

bool SurveyPlan::walkFromCurrentLeg() {
    if (current_ && current_->next) {
        cursor_ = current_;
        return true;
    }
    cursor_ = nullptr;
    return false;
}

bool SurveyPlan::walkFromLastLeg() {
    if (!first_) return false;
    if (current_ && !current_->next && current_->prev) current_ = current_->prev;
    cursor_ = current_;
    return true;
}

bool SurveyPlan::walkNext() {
    if (!cursor_ || !cursor_->next) return false;
    cursor_ = cursor_->next;
    return true;
}

void SurveyPlan::refreshLegDirections() {
    for (Waypoint* w = first_; w && w->next; w = w->next) {
        const double dx = w->next->lon - w->lon;
        const double dy = w->next->y - w->y;
        const double length = std::sqrt(dx * dx + dy * dy);
        // Capped like every swath recompute: drawing reads sampleCount
        // entries of the 400-entry arrays.
        const double samples = length * 240.0;
        w->sampleCount = samples >= kMaxStraightSamples ? kMaxStraightSamples
                         : samples >= 0.0                ? static_cast<int>(samples)
                                                         : 0;
        // A zero-length leg has no direction: a zero normal, as the swath
        // recompute gives it, not the one of the leg's previous position.
        w->normalX = length > 0.0 ? dy / length : 0.0;
        w->normalY = length > 0.0 ? -dx / length : 0.0;
    }
}

// ---- Swath strips ---------------------------------------------------------

SwathStrip SurveyPlan::stripOf(const Waypoint& w) {
    SwathStrip s;
    s.rightX = w.rightX;
    s.rightY = w.rightY;
    s.leftX = w.leftX;
    s.leftY = w.leftY;
    s.count = std::clamp(w.sampleCount, 0, Waypoint::kMaxSamples);
    return s;
}

bool SurveyPlan::cursorSwathStrip(SwathStrip& strip) const {
    if (!cursor_ || !cursor_->next) return false;
    strip = stripOf(*cursor_);
    return true;
}

// ---- Swath generation -------------------------------------------------------

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

struct SurveyPlan::WorkerLookup {
    const TileStore& tiles;
    std::uint64_t lookups = 0;
    bool needsLoad = false;
    float operator()(double lon, double lat) {
        ++lookups;
        float elevation = 5.0f;
        if (tiles.peekDepth(lon, lat, elevation) == TileStore::Peek::NeedsLoad) needsLoad = true;
        return elevation;
    }
    bool stopped() const { return needsLoad; }
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
            WorkerLookup depth{tiles_};
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
