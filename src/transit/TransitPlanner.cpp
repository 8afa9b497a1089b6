#include "transit/TransitPlanner.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "coverage/CoverageGrid.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"
#include "transit/GreatCircle.hpp"
#include "transit/SegmentFitter.hpp"

namespace tessarin {

namespace {

// Fit settings of the segments: overlap percent, then the coarse and the
// fine refinement steps as fractions of the nominal swath width.
constexpr float kOverlapPercent = 10.0f;
constexpr float kCoarseStep = 0.05f;
constexpr float kFineStep = 0.01f;

// Fixed route of the transit benchmark: Hawaii to Los Angeles.
constexpr float kBenchStartLat = 22.2f;
constexpr float kBenchStartLon = -159.5f;
constexpr float kBenchEndLat = 33.754204f;
constexpr float kBenchEndLon = -118.225212f;
constexpr int kBenchRuns = 3;

// "%f" without the process locale, so a GUI that changes the decimal
// separator cannot change the file.
std::string fixedSix(double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return std::string(text, result.ptr);
}

}  // namespace

TransitPlanner::TransitPlanner(TileStore& tiles, SurveyPlan& plan, CoverageGrid& coverage, std::ostream& out,
                               const float& boatSpeed, const float& depthMultiplier,
                               std::unique_ptr<SegmentFitter> fitter)
    : tiles_(tiles),
      plan_(plan),
      coverage_(coverage),
      out_(out),
      boatSpeed_(boatSpeed),
      depthMultiplier_(depthMultiplier),
      fitter_(fitter ? std::move(fitter) : makeEdgeSegmentFitter(tiles, plan, coverage, out)) {}

TransitPlanner::~TransitPlanner() = default;

// ---- End points ---------------------------------------------------------------

void TransitPlanner::setTransitStart(float pickLat, float pickLon) {
    transitStartLat = pickLat;
    transitStartLon = pickLon;
    transitStartY = static_cast<float>(mapY(pickLat));
    out_ << "SET START " << transitStartY << "\n";
    startSet = true;
}

void TransitPlanner::setTransitEnd(float pickLat, float pickLon) {
    transitEndLat = pickLat;
    transitEndLon = pickLon;
    transitEndY = static_cast<float>(mapY(pickLat));
    out_ << "SET END " << transitEndY << "\n";
    endSet = true;
}

void TransitPlanner::setDemoTransit(float lat1, float lon1, float lat2, float lon2) {
    transitStartLat = lat1;
    transitStartLon = lon1;
    transitStartY = static_cast<float>(mapY(lat1));
    transitEndLat = lat2;
    transitEndLon = lon2;
    transitEndY = static_cast<float>(mapY(lat2));
    startSet = true;
    endSet = true;
}

// ---- Great circle ---------------------------------------------------------------

void TransitPlanner::computeGreatCircle() {
    if (!startSet || !endSet) return;
    out_ << "GREAT CIRCLE rangeLonDefs " << transitStartLon << " " << transitEndLon << "\n";
    double lon = 0.0, lat = 0.0;
    const float angle = gcInterpolate(transitStartLon, transitEndLon, transitStartLat, transitEndLat, 0.5, lon, lat);
    if (angle == 0.0f) {
        out_ << "GREAT CIRCLE start and end points coincide: no great circle\n";
        return;
    }
    arcLon[0] = transitStartLon;
    arcY[0] = static_cast<float>(mapY(transitStartLat));
    for (int i = 1; i < kArcPoints - 1; ++i) {
        const float f = static_cast<float>(i) / static_cast<float>(kArcPoints - 1);
        gcInterpolate(transitStartLon, transitEndLon, transitStartLat, transitEndLat, f, lon, lat);
        arcLon[i] = static_cast<float>(unwrapNear(lon, arcLon[i - 1]));
        arcY[i] = static_cast<float>(mapY(lat));
    }
    arcLon[kArcPoints - 1] = static_cast<float>(unwrapNear(transitEndLon, arcLon[kArcPoints - 2]));
    arcY[kArcPoints - 1] = static_cast<float>(mapY(transitEndLat));
    greatCircleReady = true;
    greatCircleKm = angle * 111.1f;
    out_ << "GREAT CIRCLE DISTANCE " << greatCircleKm << " km \n";
    for (int i = 0; i < kArcPoints; ++i) out_ << "PT " << arcLon[i] << " " << arcY[i] << "\n";
}

bool TransitPlanner::loadTilesOnArc(ProgressSink& progress) {
    double lon[kArcPoints], y[kArcPoints];
    for (int i = 0; i < kArcPoints; ++i) {
        lon[i] = arcLon[i];
        y[i] = arcY[i];
    }
    return tiles_.loadTilesOnArc(lon, y, kArcPoints, greatCircleReady, &progress);
}

// ---- Waypoints ------------------------------------------------------------------

void TransitPlanner::addWaypointAt(float x, float y) {
    const double lat = latitudeFromMapY(y);
    plan_.addWaypoint(x, y, lat, boatSpeed_, depthMultiplier_);
    out_ << "ADD  WAYPOINT " << x << " " << lat << "\n";
    plan_.generateSwaths(false);
}

void TransitPlanner::addStartWaypointAt(bool atStart, float x, float y) {
    const double lat = latitudeFromMapY(y);
    plan_.addStartWaypoint(atStart, x, y, lat, boatSpeed_, depthMultiplier_);
    out_ << "ADD  START WAYPOINT " << x << " " << lat << "\n";
    plan_.generateSwaths(false);
}

// ---- Planning -------------------------------------------------------------------

void TransitPlanner::planTransit(bool legMode, bool abut, ProgressSink& progress) {
    out_ << "\n************************ PLAN TRANSIT********************* \n";
    if (legMode) plan_.walkFromLastLeg();
    double lat1 = 0.0, y1 = 0.0, lon1 = 0.0, lat2 = 0.0, y2 = 0.0, lon2 = 0.0;
    if (plan_.getCurrentLeg(false, lat1, y1, lon1, lat2, y2, lon2)) {
        transitStartLat = static_cast<float>(lat1);
        transitStartLon = static_cast<float>(lon1);
        transitEndLat = static_cast<float>(lat2);
        transitEndLon = static_cast<float>(lon2);
        // The markers are drawn at the y values: they follow the points.
        transitStartY = static_cast<float>(y1);
        transitEndY = static_cast<float>(y2);
        startSet = true;
        endSet = true;
    }
    if (legMode) computeGreatCircle();
    out_ << "LAT LON 1 " << transitStartLat << " " << transitStartLon << "\n";
    out_ << "LAT LON 2 " << transitEndLat << " " << transitEndLon << "\n";
    planTransitSegments(legMode, transitStartLon, transitEndLon, transitStartLat, transitEndLat, 0, abut ? 2 : 1,
                        progress);
}

TransitPlanner::Segment TransitPlanner::fitMiddleSegment(const Segment& arc, float angle, int& side, int mode,
                                                        ProgressSink& progress) {
    ProgressStage stage(progress, "Transit segment 1", mode == 2 ? 5 : 1);
    const FitLine line = FitLine::fromDegrees(arc.a.lon, arc.a.lat, arc.b.lon, arc.b.lat);
    const float wide = angle * 0.25f;
    FitLine l1, l2, l3;
    if (mode == 2) {
        const float score = fitter_->maxEdge(line, l1, wide, wide, side);
        stage.step(1);
        if (score <= kAcceptScore) return arc;
        fitter_->refineEdgeOverlap(l1, l3, kOverlapPercent, kCoarseStep, side);
        stage.step(2);
        const float refined = fitter_->refineEdgeOverlap(l3, l3, kOverlapPercent, kFineStep, side);
        stage.step(3);
        Segment chosen;
        if (refined > kAcceptScore) {
            fitter_->extendEdgeOverlap(l3, l2, side);
            stage.step(4);
            fitter_->refineEdgeOverlap(l2, l2, kOverlapPercent, kFineStep, side);
            stage.step(5);
            chosen = Segment{{l2.lonA, l2.yA, l2.latA}, {l2.lonB, l2.yB, l2.latB}};
        } else {
            out_ << "PLAN ELSE REFINE 1 " << l1.lonA << " " << l1.lonB << " " << l1.latA << " " << l1.latB << "\n";
            chosen = Segment{{l1.lonA, l1.yA, latitudeFromMapY(l1.yA)}, {l1.lonB, l1.yB, latitudeFromMapY(l1.yB)}};
        }
        out_ << "REFINE VALUE " << refined << "\n";
        return chosen;
    }
    const float score = fitter_->maxEdgeLateral(line, l1, angle / 3.0f, wide);
    stage.step(1);
    if (score <= kAcceptScore) return arc;
    return Segment{{l1.lonA, l1.yA, latitudeFromMapY(l1.yA)}, {l1.lonB, l1.yB, latitudeFromMapY(l1.yB)}};
}

TransitPlanner::Segment TransitPlanner::fitOuterSegment(const Segment& arc, float step, int& side, int mode,
                                                       float secondRefineScore, bool printExtend, const char* stageName,
                                                       ProgressSink& progress) {
    ProgressStage stage(progress, stageName, mode == 2 ? 4 : 1);
    const FitLine line = FitLine::fromDegrees(arc.a.lon, arc.a.lat, arc.b.lon, arc.b.lat);
    FitLine l1, l2, l3;
    if (mode == 2) {
        const float score = fitter_->maxEdge(line, l1, step, step, side);
        stage.step(1);
        if (score <= kAcceptScore) return arc;
        const float refined = fitter_->refineEdgeOverlap(l1, l3, kOverlapPercent, kFineStep, side);
        stage.step(2);
        if (refined <= secondRefineScore) return Segment{{l1.lonA, l1.yA, l1.latA}, {l1.lonB, l1.yB, l1.latB}};
        fitter_->extendEdgeOverlap(l3, l2, side);
        stage.step(3);
        fitter_->refineEdgeOverlap(l2, l2, kOverlapPercent, kFineStep, side);
        stage.step(4);
        // The last figure is the refined line's end latitude, before the
        // extension: the line has always read so.
        if (printExtend)
            out_ << "PLAN EXTEND  " << l2.lonA << " " << l2.lonB << " " << l2.latA << " " << l3.latB << "\n";
        return Segment{{l2.lonA, l2.yA, l2.latA}, {l2.lonB, l2.yB, l2.latB}};
    }
    const float score = fitter_->maxEdgeLateral(line, l1, step, step);
    stage.step(1);
    if (score <= kAcceptScore) return arc;
    return Segment{{l1.lonA, l1.yA, arc.a.lat}, {l1.lonB, l1.yB, arc.b.lat}};
}

namespace {

// The stretch from 1/3 to 2/3 of the great circle between two points, as
// segment ends (y from the latitudes). Returns the angle between the points;
// 0 when they coincide, and then both ends are the start.
float middleThird(double lon1, double lat1, double lon2, double lat2, double& lonA, double& latA, double& lonB,
                  double& latB) {
    const float angle = gcInterpolate(lon1, lon2, lat1, lat2, 0.333, lonA, latA);
    gcInterpolate(lon1, lon2, lat1, lat2, 0.666, lonB, latB);
    return angle;
}

}  // namespace

double unwrapNear(double lon, double previous) {
    if (!std::isfinite(lon) || !std::isfinite(previous)) return lon;
    return previous + std::remainder(lon - previous, 360.0);
}

TransitPlanner::End TransitPlanner::placed(const End& e) {
    // As addWaypointAt places it: single precision, latitude from y.
    const float x = static_cast<float>(e.lon), y = static_cast<float>(e.y);
    return End{x, y, latitudeFromMapY(y)};
}

TransitPlanner::Segment TransitPlanner::arcStretch(const End& from, double lon2, double lat2, float& angle) {
    double lonA = 0.0, latA = 0.0, lonB = 0.0, latB = 0.0;
    angle = middleThird(from.lon, from.lat, lon2, lat2, lonA, latA, lonB, latB);
    // The interpolation answers within -180..180; the route runs on from
    // where it is, across the 180-degree meridian if it must.
    lonA = unwrapNear(lonA, from.lon);
    lonB = unwrapNear(lonB, lonA);
    return Segment{{lonA, mapY(latA), latA}, {lonB, mapY(latB), latB}};
}

void TransitPlanner::planTransitSegments(bool legMode, double lon1, double lon2, double lat1, double lat2, int side,
                                         int mode, ProgressSink& progress) {
    int edge = side;
    float angle = 0.0f;
    const End start{lon1, mapY(lat1), lat1};
    const Segment arc1 = arcStretch(start, lon2, lat2, angle);
    out_ << "GREAT CIRCLE ANGLE DIST = " << angle << " " << angle * 111.11f << "\n";
    if (angle == 0.0f) {
        // Every search width below is a fraction of the angle: with none
        // there is no corridor to search and no segment to lay.
        out_ << "TRANSIT start and end points coincide: no transit planned\n";
        return;
    }
    // The searches and the swaths of the transit use the transit's
    // multiplier; the user's comes back once the transit is in the plan.
    const float userMultiplier = plan_.depthMultiplier();
    plan_.setDepthMultiplier(kTransitDepthMultiplier);

    // Segment 1: the middle third. The next segments start from where its
    // waypoints will lie.
    const Segment s1 = fitMiddleSegment(arc1, angle, edge, mode, progress);
    const End s1a = placed(s1.a), s1b = placed(s1.b);
    out_ << "\nSEG 1  " << s1.a.lon << " " << s1.a.lat << " " << s1.b.lon << " " << s1.b.lat << "\n";

    // Segment 2: from segment 1 to the end point.
    const float step = angle / 5.0f;
    float angle2 = 0.0f;
    const Segment arc2 = arcStretch(s1b, lon2, lat2, angle2);
    out_ << "\nPLAN SEG 2 PTS  A  B   " << arc2.a.lon << " " << arc2.a.lat << " " << arc2.b.lon << " " << arc2.b.lat
         << "\n";
    // A segment of no length has no sides to search: it stays on the arc.
    const Segment s2 = angle2 == 0.0f ? arc2
                                      : fitOuterSegment(arc2, step, edge, mode, kAcceptSecondRefine, false,
                                                        "Transit segment 2", progress);
    out_ << "\nSEG 2  " << s2.a.lon << " " << s2.a.lat << " " << s2.b.lon << " " << s2.b.lat << "\n\n";

    // Segment 3: from the start point to segment 1.
    float angle3 = 0.0f;
    const Segment arc3 = arcStretch(start, s1a.lon, s1a.lat, angle3);
    out_ << "\nPLAN SEG 3 PTS  A  B   " << arc3.a.lon << " " << arc3.a.lat << " " << arc3.b.lon << " " << arc3.b.lat
         << "\n";
    const Segment s3 = angle3 == 0.0f ? arc3
                                      : fitOuterSegment(arc3, step, edge, mode, kAcceptScore, true,
                                                        "Transit segment 3", progress);
    out_ << "SEG 3 done \n";

    // The whole transit goes in after the current waypoint in the order it
    // is sailed, each point's longitude within 180 degrees of the one before.
    std::vector<End> route;
    if (!legMode) route.push_back(start);
    for (const End& e : {s3.a, s3.b, s1.a, s1.b, s2.a, s2.b}) route.push_back(e);
    if (!legMode) route.push_back(End{lon2, mapY(lat2), lat2});
    double previous = lon1;
    const Waypoint* before = plan_.current();
    const Waypoint* after = before ? before->next : nullptr;
    for (std::size_t i = 0; i < route.size(); ++i) {
        End e = route[i];
        e.lon = unwrapNear(e.lon, previous);
        previous = e.lon;
        // A free transit between two waypoints of the plan starts and ends on
        // them: it does not repeat them.
        const bool first = i == 0, last = i + 1 == route.size();
        if (!legMode && ((first && before && samePlace(*before, e)) || (last && after && samePlace(*after, e)))) {
            continue;
        }
        addWaypointAt(static_cast<float>(e.lon), static_cast<float>(e.y));
    }
    plan_.setDepthMultiplier(userMultiplier);
}

bool TransitPlanner::samePlace(const Waypoint& w, const End& e) {
    const End p = placed(e);
    return std::fabs(std::remainder(w.lon - p.lon, 360.0)) < 1e-6 && std::fabs(w.y - p.y) < 1e-6;
}

// ---- Benchmark ------------------------------------------------------------------

void TransitPlanner::writeTransitBenchmark(const std::string& path, ProgressSink& progress) {
    setDemoTransit(kBenchStartLat, kBenchStartLon, kBenchEndLat, kBenchEndLon);
    // Written beside its destination and moved over it at the end, so an
    // interrupted run leaves the previous results whole.
    ReplacingFile file(path);
    if (!file.isOpen()) out_ << "Cannot create " << path << ": the transit runs are not recorded\n";
    computeGreatCircle();
    loadTilesOnArc(progress);
    for (int i = 0; i < kBenchRuns; ++i) {
        out_ << "\n ************************ TRANSIT " << i + 1 << " **********************************\n";
        planTransitSegments(false, transitStartLon, transitEndLon, transitStartLat, transitEndLat, 0, 2, progress);
        float nm = 0.0f, hours = 0.0f;
        const float km = plan_.planLegTotals(nm, hours);
        if (file.isOpen()) {
            const std::string row =
                std::to_string(i) + " ," + fixedSix(km) + " ," + fixedSix(km / greatCircleKm) + " \n";
            std::fputs(row.c_str(), file.get());
        }
        // Each run's swaths become mapped floor that the next run can abut.
        coverage_.capturePlanCoarse();
        coverage_.clearPassMarks();
        if (i < kBenchRuns - 1) plan_.clearPlan();
    }
    out_ << "GREAT CIRCLE DISTANCE " << greatCircleKm << " km \n";
    if (file.isOpen() && !file.commit()) out_ << "Cannot write " << path << "\n";
}

}  // namespace tessarin
