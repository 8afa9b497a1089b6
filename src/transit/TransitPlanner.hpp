#pragma once
// Transit end points, the great circle between them, and the planning of a
// transit as three fitted segments whose swath either abuts sea floor that is
// already mapped or runs over floor that is not.
//
// Notation: lat and lon are degrees; y is map-plane y = mapY(lat) (not
// degrees); an "angle" is the great-circle angle between two points in
// degrees of arc; km along the arc are angle * 111.1.

#include <memory>
#include <ostream>
#include <string>

#include "earth/ProgressSink.hpp"
#include "fit/CandidateScan.hpp"
#include "transit/SegmentFitter.hpp"

namespace tessarin {

class CoverageGrid;
class SurveyPlan;
class TileStore;
struct Waypoint;

// lon moved by whole turns to within 180 degrees of previous (degrees).
double unwrapNear(double lon, double previous);

class TransitPlanner {
public:
    static constexpr int kArcPoints = 15;
    // Sideways-search and refinement scores above these keep the fitted line.
    static constexpr float kAcceptScore = 500.0f;
    static constexpr float kAcceptSecondRefine = 300.0f;
    // Plan-wide depth multiplier a transit's swaths and searches use.
    static constexpr float kTransitDepthMultiplier = 4.0f;

    // boatSpeed (knots) and depthMultiplier are the configuration's values
    // that new waypoints take; they are read at each addition. fitter does the
    // segment fits; null uses the coverage fits on tiles.
    TransitPlanner(TileStore& tiles, SurveyPlan& plan, CoverageGrid& coverage, std::ostream& out,
                   const float& boatSpeed, const float& depthMultiplier,
                   std::unique_ptr<SegmentFitter> fitter = nullptr);
    ~TransitPlanner();
    TransitPlanner(const TransitPlanner&) = delete;
    TransitPlanner& operator=(const TransitPlanner&) = delete;

    // ---- End points ----
    // Copies a picked point (degrees) into the start or the end.
    void setTransitStart(float pickLat, float pickLon);
    void setTransitEnd(float pickLat, float pickLon);
    // Sets both points and both flags, silently.
    void setDemoTransit(float lat1, float lon1, float lat2, float lon2);

    // ---- Great circle ----
    // Fills arcLon/arcY with 15 points from start to end, each longitude
    // within 180 degrees of the one before, the end's included, so an arc
    // across the 180-degree meridian runs on past it.
    // Nothing without both points; coincident points are reported and leave
    // the arc as it was.
    void computeGreatCircle();
    // Makes the tiles around the arc resident (3 degrees each way); false
    // without a great circle or where a lookup finds no data.
    bool loadTilesOnArc(ProgressSink& progress);

    // ---- Planning ----
    // Plans a transit between the plan's current leg (when it has one) or the
    // set end points: legMode replaces the current leg, abut fits along mapped
    // edges instead of over unmapped floor.
    void planTransit(bool legMode, bool abut, ProgressSink& progress);
    // Adds six waypoints between (lat1, lon1) and (lat2, lon2), and the two
    // end points too unless legMode, all after the current waypoint in route
    // order, each longitude within 180 degrees of the one before (a transit
    // across the 180-degree meridian runs on past it). A free transit does
    // not repeat a start or end that is the current waypoint or its
    // successor. side is the side code carried through the fits; mode 2
    // abuts mapped floor, 1 seeks unmapped floor. The plan's depth
    // multiplier is the transit's while it is planned and the user's after.
    void planTransitSegments(bool legMode, double lon1, double lon2, double lat1, double lat2, int side, int mode,
                             ProgressSink& progress);

    // Three abutting transits on a fixed route; one line per run in path
    // ("%d ,%f ,%f " with the run, plan km and km / great-circle km). The runs
    // still print when the file cannot be created.
    void writeTransitBenchmark(const std::string& path, ProgressSink& progress);

    // ---- Waypoints at map-plane points (x longitude, y map units) ----
    // Appends after the current waypoint, which it becomes; swaths follow.
    void addWaypointAt(float x, float y);
    // Prepends (atStart) or inserts before the plan's insertion anchor.
    void addStartWaypointAt(bool atStart, float x, float y);

    // ---- State, read by the scene drawing ----
    float transitStartLat = 0.0f;
    float transitStartLon = 0.0f;
    float transitEndLat = 0.0f;
    float transitEndLon = 0.0f;
    float transitStartY = 0.0f;
    float transitEndY = 0.0f;
    bool startSet = false;
    bool endSet = false;
    bool greatCircleReady = false;
    float arcLon[kArcPoints] = {};
    float arcY[kArcPoints] = {};
    float greatCircleKm = 0.0f;

private:
    struct End {
        double lon = 0.0;
        double y = 0.0;
        double lat = 0.0;
    };
    struct Segment {
        End a;
        End b;
    };

    // Where addWaypointAt puts an end: single precision, latitude from y.
    static End placed(const End& e);
    // Whether a waypoint already stands where e would be placed.
    static bool samePlace(const Waypoint& w, const End& e);
    // The middle third of the great circle from `from` to (lat2, lon2),
    // longitudes continuing from `from`'s; angle gets the circle's angle.
    static Segment arcStretch(const End& from, double lon2, double lat2, float& angle);

    // The three segments; each returns the chosen ends.
    Segment fitMiddleSegment(const Segment& arc, float angle, int& side, int mode, ProgressSink& progress);
    Segment fitOuterSegment(const Segment& arc, float step, int& side, int mode, float secondRefineScore,
                            bool printExtend, const char* stage, ProgressSink& progress);

    TileStore& tiles_;
    SurveyPlan& plan_;
    CoverageGrid& coverage_;
    std::ostream& out_;
    const float& boatSpeed_;
    const float& depthMultiplier_;
    std::unique_ptr<SegmentFitter> fitter_;
};

// Builds the fitter that runs the coverage fits on the planner's tiles; path
// chooses how the window searches visit their candidates (same lines).
std::unique_ptr<SegmentFitter> makeEdgeSegmentFitter(TileStore& tiles, SurveyPlan& plan, const CoverageGrid& coverage,
                                                     std::ostream& out, SearchPath path = SearchPath::Shared);

}  // namespace tessarin
