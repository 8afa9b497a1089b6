#include "app/PlanSnapshot.hpp"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "area/SurveyPolygon.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

std::atomic<std::size_t> recordBytes{0};

// A field added to Waypoint or PolygonVertex must be copied and compared
// below, or an undo would silently lose it.
static_assert(sizeof(Waypoint) == 14560, "copy and compare the new Waypoint field in PlanSnapshot.cpp");
static_assert(sizeof(PolygonVertex) == 112, "compare the new PolygonVertex field in PlanSnapshot.cpp");

template <std::size_t N>
bool sameArray(const float (&a)[N], const float (&b)[N]) {
    return std::memcmp(a, b, sizeof a) == 0;
}

template <std::size_t N>
void copyArray(const float (&from)[N], float (&to)[N]) {
    std::memcpy(to, from, sizeof to);
}

bool sameMarker(const MapPoint& a, const MapPoint& b) {
    return a.x == b.x && a.y == b.y && a.colour[0] == b.colour[0] && a.colour[1] == b.colour[1] &&
           a.colour[2] == b.colour[2];
}

bool sameVertex(const PolygonVertex& a, const PolygonVertex& b) {
    return a.lat == b.lat && a.x == b.x && a.y == b.y && sameMarker(a.marker, b.marker) && a.normalX == b.normalX &&
           a.normalY == b.normalY && a.directionX == b.directionX && a.directionY == b.directionY &&
           a.edgeLength == b.edgeLength;
}

std::uint64_t bitsOf(double v) {
    std::uint64_t b = 0;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

std::uint64_t positionKey(const Waypoint& w) { return bitsOf(w.lon) * 0x9E3779B97F4A7C15ull ^ bitsOf(w.y); }

int indexOf(const std::vector<const Waypoint*>& list, const Waypoint* item) {
    if (!item) return -1;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] == item) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace

WaypointRecord::WaypointRecord() { recordBytes += sizeof(WaypointRecord); }
WaypointRecord::~WaypointRecord() { recordBytes -= sizeof(WaypointRecord); }
std::size_t WaypointRecord::liveBytes() { return recordBytes.load(); }

void copyWaypointValues(const Waypoint& from, Waypoint& to) {
    to.lat = from.lat;
    to.lon = from.lon;
    to.y = from.y;
    to.normalX = from.normalX;
    to.normalY = from.normalY;
    copyArray(from.rightX, to.rightX);
    copyArray(from.rightY, to.rightY);
    copyArray(from.leftX, to.leftX);
    copyArray(from.leftY, to.leftY);
    copyArray(from.rightReach, to.rightReach);
    copyArray(from.leftReach, to.leftReach);
    to.lengthKm = from.lengthKm;
    to.lengthNm = from.lengthNm;
    to.areaKm2 = from.areaKm2;
    to.sampleCount = from.sampleCount;
    to.speed = from.speed;
    to.depthMultiplier = from.depthMultiplier;
    to.turnCentreX = from.turnCentreX;
    to.turnCentreY = from.turnCentreY;
    to.turnRadius = from.turnRadius;
    to.turnEntryX = from.turnEntryX;
    to.turnEntryY = from.turnEntryY;
    to.turnDirection = from.turnDirection;
    to.legStartX = from.legStartX;
    to.legStartY = from.legStartY;
    to.straightSamples = from.straightSamples;
    copyArray(from.trackX, to.trackX);
    copyArray(from.trackY, to.trackY);
    copyArray(from.trackElevation, to.trackElevation);
}

bool sameWaypointValues(const Waypoint& a, const Waypoint& b) {
    return a.lat == b.lat && a.lon == b.lon && a.y == b.y && a.normalX == b.normalX && a.normalY == b.normalY &&
           a.lengthKm == b.lengthKm && a.lengthNm == b.lengthNm && a.areaKm2 == b.areaKm2 &&
           a.sampleCount == b.sampleCount && a.speed == b.speed && a.depthMultiplier == b.depthMultiplier &&
           a.turnCentreX == b.turnCentreX && a.turnCentreY == b.turnCentreY && a.turnRadius == b.turnRadius &&
           a.turnEntryX == b.turnEntryX && a.turnEntryY == b.turnEntryY && a.turnDirection == b.turnDirection &&
           a.legStartX == b.legStartX && a.legStartY == b.legStartY && sameArray(a.rightX, b.rightX) &&
           sameArray(a.rightY, b.rightY) && sameArray(a.leftX, b.leftX) && sameArray(a.leftY, b.leftY) &&
           sameArray(a.rightReach, b.rightReach) && sameArray(a.leftReach, b.leftReach) &&
           a.straightSamples == b.straightSamples && sameArray(a.trackX, b.trackX) && sameArray(a.trackY, b.trackY) &&
           sameArray(a.trackElevation, b.trackElevation);
}

bool PlanSnapshot::samePlan(const PlanSnapshot& o) const {
    if (waypoints.size() != o.waypoints.size()) return false;
    for (std::size_t i = 0; i < waypoints.size(); ++i) {
        const WaypointRecord& a = *waypoints[i];
        const WaypointRecord& b = *o.waypoints[i];
        if (&a == &b) continue;
        if (!sameMarker(a.marker, b.marker) || !sameWaypointValues(a.values, b.values)) return false;
    }
    return true;
}

bool PlanSnapshot::samePolygon(const PlanSnapshot& o) const {
    if (vertices.size() != o.vertices.size()) return false;
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (!sameVertex(vertices[i], o.vertices[i])) return false;
    }
    return true;
}

bool PlanSnapshot::sameContent(const PlanSnapshot& o) const { return samePlan(o) && samePolygon(o); }

PlanSnapshot capturePlan(const SurveyPlan& plan, const SurveyPolygon& polygon, const PlanSnapshot* share) {
    std::unordered_multimap<std::uint64_t, const std::shared_ptr<const WaypointRecord>*> shared;
    if (share) {
        shared.reserve(share->waypoints.size());
        for (const auto& r : share->waypoints) shared.emplace(positionKey(r->values), &r);
    }
    PlanSnapshot s;
    std::vector<const Waypoint*> order;
    for (const Waypoint* w = plan.first(); w; w = w->next) order.push_back(w);
    s.waypoints.reserve(order.size());
    s.markerStates.reserve(order.size());
    for (const Waypoint* w : order) {
        std::shared_ptr<const WaypointRecord> record;
        const auto range = shared.equal_range(positionKey(*w));
        for (auto it = range.first; it != range.second && !record; ++it) {
            const WaypointRecord& candidate = **it->second;
            if (sameMarker(candidate.marker, *w->marker) && sameWaypointValues(candidate.values, *w)) {
                record = *it->second;
            }
        }
        if (!record) {
            auto made = std::make_shared<WaypointRecord>();
            copyWaypointValues(*w, made->values);
            made->marker = *w->marker;
            record = std::move(made);
        }
        s.waypoints.push_back(std::move(record));
        s.markerStates.push_back(w->marker->state);
    }
    s.current = indexOf(order, plan.current());
    s.cursor = indexOf(order, plan.cursor());
    s.anchor = indexOf(order, plan.insertionAnchor());

    if (const PolygonVertex* first = polygon.first()) {
        const PolygonVertex* v = first;
        do {
            if (v == polygon.current()) s.currentVertex = static_cast<int>(s.vertices.size());
            s.vertices.push_back(*v);
            v = v->next;
        } while (v != first);
    }
    s.lineCount = polygon.lineCount;
    s.fillSign = polygon.fillSign;
    s.farReach = polygon.farReach;
    s.editState = polygon.editState;
    s.edgeCount = polygon.edgeCount;
    s.fillAx = polygon.fillAx;
    s.fillAy = polygon.fillAy;
    s.fillBx = polygon.fillBx;
    s.fillBy = polygon.fillBy;
    return s;
}

void restorePlan(const PlanSnapshot& s, SurveyPlan& plan, SurveyPolygon& polygon) {
    std::vector<Waypoint*> list;
    list.reserve(s.waypoints.size());
    for (std::size_t i = 0; i < s.waypoints.size(); ++i) {
        auto* w = new Waypoint;
        copyWaypointValues(s.waypoints[i]->values, *w);
        w->marker = std::make_unique<MapPoint>(s.waypoints[i]->marker);
        w->marker->state = s.markerStates[i];
        list.push_back(w);
    }
    plan.adoptWaypoints(list, s.current, s.cursor, s.anchor);

    std::vector<PolygonVertex*> ring;
    ring.reserve(s.vertices.size());
    for (const PolygonVertex& v : s.vertices) ring.push_back(new PolygonVertex(v));
    polygon.adoptVertices(ring, s.currentVertex);
    polygon.lineCount = s.lineCount;
    polygon.fillSign = s.fillSign;
    polygon.farReach = s.farReach;
    polygon.editState = s.editState;
    polygon.edgeCount = s.edgeCount;
    polygon.fillAx = s.fillAx;
    polygon.fillAy = s.fillAy;
    polygon.fillBx = s.fillBx;
    polygon.fillBy = s.fillBy;
}

}  // namespace tessarin
