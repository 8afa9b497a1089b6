#pragma once
// The plan and the polygon as values: every waypoint with its leg, swath,
// speed, multiplier and turn, every polygon vertex, the selections and the
// polygon's fill state. Restoring one gives back exactly the plan that was
// captured, swaths included, without recomputing anything.
//
// A waypoint's record is immutable once made and shared between snapshots,
// so a history of snapshots stores each distinct waypoint once: capturing a
// plan of which one waypoint changed costs one new record, not a copy of the
// whole plan.

#include <cstddef>
#include <memory>
#include <vector>

#include "area/PolygonVertex.hpp"
#include "plan/Waypoint.hpp"

namespace tessarin {

class SurveyPlan;
class SurveyPolygon;

// One waypoint's values: the Waypoint without its links, and its marker.
struct WaypointRecord {
    WaypointRecord();
    ~WaypointRecord();
    WaypointRecord(const WaypointRecord&) = delete;
    WaypointRecord& operator=(const WaypointRecord&) = delete;

    Waypoint values;  // next, prev and marker stay empty
    MapPoint marker;  // its highlight state is kept by the snapshot

    // Bytes held by all records alive in the process (for the history's
    // memory budget).
    static std::size_t liveBytes();
};

// Copies every value field of a waypoint (not the links, not the marker).
void copyWaypointValues(const Waypoint& from, Waypoint& to);
// True when every value field is equal (links and marker not compared).
bool sameWaypointValues(const Waypoint& a, const Waypoint& b);

struct PlanSnapshot {
    std::vector<std::shared_ptr<const WaypointRecord>> waypoints;  // plan order
    std::vector<int> markerStates;                                  // per waypoint
    int current = -1;  // indices into waypoints, -1 for none
    int cursor = -1;
    int anchor = -1;

    // Polygon vertices in ring order from first; links are not used.
    std::vector<PolygonVertex> vertices;
    int currentVertex = -1;
    int lineCount = 0;
    double fillSign = -1.0;
    float farReach = 0.0f;
    int editState = 0;
    int edgeCount = 0;
    double fillAx = 0.0, fillAy = 0.0, fillBx = 0.0, fillBy = 0.0;

    // Same waypoints and vertices; selections, highlights and the fill's
    // progress counters are not compared, as they change with every pick.
    bool sameContent(const PlanSnapshot& other) const;
    bool samePlan(const PlanSnapshot& other) const;
    bool samePolygon(const PlanSnapshot& other) const;
};

// Captures plan and polygon. Records equal to one in `share` (usually the
// last snapshot taken) are shared with it instead of copied.
PlanSnapshot capturePlan(const SurveyPlan& plan, const SurveyPolygon& polygon, const PlanSnapshot* share = nullptr);
// Replaces plan and polygon by the snapshot's.
void restorePlan(const PlanSnapshot& snapshot, SurveyPlan& plan, SurveyPolygon& polygon);

}  // namespace tessarin
