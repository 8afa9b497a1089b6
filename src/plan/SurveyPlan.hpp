#pragma once
// The ship's route: a doubly linked list of waypoints, each carrying the leg
// to its successor with the leg's swath, length and area.
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).
// "Map units" are map-plane units; elevations are metres, negative below sea
// level; the turn radius is given in metres.

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "plan/ExtinctionCurve.hpp"
#include "plan/Waypoint.hpp"

namespace tessarin {

class TileStore;

// One leg's swath as a triangle strip: for i in 0..count-1 the vertex pair
// (rightX[i], rightY[i]), (leftX[i], leftY[i]), map-plane coordinates.
// The pointers refer into the leg's waypoint and stay valid until the plan
// changes.
struct SwathStrip {
    const float* rightX = nullptr;
    const float* rightY = nullptr;
    const float* leftX = nullptr;
    const float* leftY = nullptr;
    int count = 0;
};

class SurveyPlan {
public:
    // Widest straight-leg sampling and the turn rotation step.
    static constexpr int kMaxStraightSamples = 320;
    static constexpr int kMaxTurnSamples = 37;
    static constexpr double kNoSamplesElevation = -100000.0;

    // Loads the extinction curve from extinctionFile (flat at depthMultiplier
    // when it cannot be opened) and prints the three probe lines.
    SurveyPlan(TileStore& tiles, std::ostream& out, float depthMultiplier, float turnRadiusMetres,
               float boatSpeed, const std::string& extinctionFile);
    ~SurveyPlan();
    SurveyPlan(const SurveyPlan&) = delete;
    SurveyPlan& operator=(const SurveyPlan&) = delete;

    // ---- List editing ----
    // Links a new waypoint after the current one; it becomes current and the
    // walk cursor. Looks up the depth there so the tile becomes resident.
    void addWaypoint(double lon, double y, double lat, float speed, float depthMultiplier);
    // A new waypoint at the head (atStart) or before the insertion anchor,
    // which then moves to the new waypoint. Does nothing on an empty plan.
    void addStartWaypoint(bool atStart, double lon, double y, double lat, float speed, float depthMultiplier);
    // Selects the first waypoint (from the head) whose marker box of
    // half-width 7 / scale map units holds (x, y).
    bool pickWaypoint(float x, float y, float scale, float& latOut, float& yOut, float& lonOut);
    void deleteCurrent();
    // Unlinks and frees the last waypoint without a console line; its
    // predecessor becomes current and the walk cursor. False on an empty plan.
    bool removeLastWaypoint();
    Waypoint* last() const;
    void clearPlan();
    bool moveCurrent(double lon, double y, double lat);
    bool setCurrent(double lon, double y, double lat, float speed, float depthMultiplier);
    // Lays the leg ending at the current waypoint: predecessor to (lon1, y1),
    // current waypoint to (lon2, y2); latitudes follow from y.
    bool setCurrentLeg(double lon1, double y1, double lon2, double y2);
    // Replaces the whole list by `list` (heap waypoints in plan order, links
    // unset), which the plan takes over. current, cursor and anchor are
    // indices into it, -1 for none. Swaths are taken as they are.
    void adoptWaypoints(const std::vector<Waypoint*>& list, int current, int cursor, int anchor);

    // ---- Queries ----
    bool getCurrent(double& lat, double& lon, float& speed, float& depthMultiplier) const;
    // The leg starting at the current waypoint; on the last waypoint only
    // with allowLast, and then the leg ending at it.
    bool getCurrentLeg(bool allowLast, double& lat1, double& y1, double& lon1, double& lat2, double& y2,
                       double& lon2) const;
    bool getCursorPoint(double& lat, double& y, double& lon) const;
    // Bounds of all markers, padded by 0.2 map units.
    bool planBounds(double& xmin, double& xmax, double& ymin, double& ymax) const;
    // Bounds of the walk cursor's leg, single precision, padded by 0.2.
    bool cursorLegBounds(float& xmin, float& xmax, float& ymin, float& ymax) const;
    // Sums over the legs: nautical miles, hours at each leg's speed; returns km.
    float planLegTotals(float& nm, float& hours) const;

    // ---- Walks ----
    bool walkFromFirst();
    bool walkFromCurrentLeg();
    bool walkFromLastLeg();
    bool walkNext();

    // Recomputes every leg's direction (unit starboard normal) and straight
    // sample count without touching the swath arrays.
    void refreshLegDirections();

    // ---- Swaths (the GL drawing code emits the strips) ----
    // The walk cursor's leg; false when the cursor is none or is the last
    // waypoint.
    bool cursorSwathStrip(SwathStrip& strip) const;
    // Calls visit(const SwathStrip&) for every leg in plan order.
    template <typename Visitor>
    void forEachSwathStrip(Visitor&& visit) const {
        for (const Waypoint* w = first_; w && w->next; w = w->next) visit(stripOf(*w));
    }
    static SwathStrip stripOf(const Waypoint& w);

    // ---- Swath generation ----
    // Recomputes every leg's swath, length and area; with turns the inner
    // waypoints get turn arcs of the plan's turn radius.
    void generateSwaths(bool withTurns);
    // Whether the last generateSwaths modelled turns (what a plan rebuilt
    // from its positions must use to get the same swaths).
    bool swathsWithTurns() const { return lastWithTurns_; }
    // One leg (w to its successor, or from the previous turn's exit to this
    // turn's entry when fromTurns). Returns the greatest elevation sampled on
    // the track (-100000 without samples); averageElevation gets the mean.
    float computeLegSwath(Waypoint& w, bool fromTurns, double& averageElevation);
    // Distance in map units from the track point (x, y map plane; lat
    // degrees) to the swath edge on the side of (nx, ny), by bisection
    // against the floor. nominalWidth is the full swath width in map units.
    float findEdgeReach(double x, double y, double lat, float nx, float ny, float nominalWidth, float multiplier,
                        float& edgeElevation);
    // Length of the leg from w to its successor, km, waypoint to waypoint.
    static float legLengthKm(const Waypoint& w);
    // Centre, entry and exit of the turn at w's successor. False when a
    // waypoint is missing or when the two legs are parallel (no centre).
    bool computeTurnCentre(Waypoint& w, double radiusMetres);
    // Samples the turn at w's end and appends it to w's swath arrays.
    void appendTurnArc(Waypoint& w);
    // Number of turn samples for a turn of angleRadians: one per started
    // 5 degrees, at least 1, at most 37.
    static int turnSampleCount(double angleRadians);
    // Recomputes the walk cursor's leg (stepping back from the last waypoint);
    // returns its greatest elevation, -100000 when there is no leg.
    float recomputeCursorLeg();

    float swathMultiplierAt(float elevationM) const { return curve_.swathMultiplierAt(elevationM); }
    const ExtinctionCurve& extinctionCurve() const { return curve_; }

    Waypoint* first() const { return first_; }
    Waypoint* current() const { return current_; }
    Waypoint* cursor() const { return cursor_; }
    Waypoint* insertionAnchor() const { return anchor_; }
    // Transit planning sets where addStartWaypoint(false, ...) inserts.
    void setInsertionAnchor(Waypoint* w) { anchor_ = w; }
    // Makes w (a waypoint of this plan) the current waypoint; markers untouched.
    void setCurrentWaypoint(Waypoint* w) { current_ = w; }
    bool empty() const { return first_ == nullptr; }
    int waypointCount() const;
    float boatSpeed() const { return boatSpeed_; }
    float depthMultiplier() const { return depthMultiplier_; }
    float halfMultiplier() const { return halfMultiplier_; }
    void setDepthMultiplier(float m) {
        depthMultiplier_ = m;
        halfMultiplier_ = m * 0.5f;
    }
    float turnRadiusMetres() const { return turnRadius_; }
    std::ostream& out() { return out_; }
    // Threads that share the straight legs of generateSwaths: 0 (the
    // default) for one per core, 1 for the calling thread alone.
    void setSwathWorkers(unsigned threads) { swathWorkers_ = threads; }
    // Depth lookups made by the plan since it was built (for measurements).
    std::uint64_t depthLookupCount() const { return depthLookups_; }

private:
    float depthAt(double lon, double lat);
    // The depth lookups of one leg: the plan's own, which loads tiles as
    // they are needed, or a worker thread's, which never loads and notes a
    // cell that would have needed it.
    struct PlanLookup;
    struct WorkerLookup;
    template <typename Lookup>
    float legSwath(Waypoint& w, bool fromTurns, double& averageElevation, Lookup& depth) const;
    template <typename Lookup>
    float edgeReach(double x, double y, double lat, float nx, float ny, float nominalWidth, float multiplier,
                    float& edgeElevation, Lookup& depth) const;
    // Computes the straight legs on worker threads where the machine has the
    // cores and the plan the work. Returns how many legs, from the first,
    // hold their final swaths with their mean elevations in averages; the
    // rest are left to the caller.
    std::size_t straightLegsOnWorkers(std::vector<double>& averages);
    Waypoint* makeWaypoint(double lon, double y, double lat, float speed, float depthMultiplier);

    TileStore& tiles_;
    std::ostream& out_;
    ExtinctionCurve curve_;
    Waypoint* first_ = nullptr;
    Waypoint* current_ = nullptr;
    Waypoint* cursor_ = nullptr;
    Waypoint* anchor_ = nullptr;
    float boatSpeed_;
    float depthMultiplier_;
    float halfMultiplier_;
    float turnRadius_;
    std::uint64_t depthLookups_ = 0;
    unsigned swathWorkers_ = 0;
    bool lastWithTurns_ = false;
};

}  // namespace tessarin
