#include "app/PlannerState.hpp"

#include "area/EdgeOverlapCheck.hpp"
#include "area/PolygonFile.hpp"
#include "area/PolygonFill.hpp"
#include "area/ShapefileImport.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "design/LineList.hpp"
#include "fit/CoverageLookup.hpp"
#include "fit/EdgeFit.hpp"
#include "fit/SidewaysSearch.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/SurveyPlan.hpp"
#include "transit/PathOverlap.hpp"
#include "transit/TransitPlanner.hpp"

namespace tessarin {

PlannerState::PlannerState(std::ostream& out, TextureSink& sink, std::string root)
    : out_(out), root_(std::move(root)), tiles(out, sink, root_) {
    loadConfiguration(root_ + "config.txt", out_, config);
    plan = std::make_unique<SurveyPlan>(tiles, out_, config.depthMultiplier, config.turnRadiusMetres(),
                                        config.boatSpeed, root_ + config.extinctionTable);
    polygon = std::make_unique<SurveyPolygon>(out_, config.depthMultiplier);
    coverage = std::make_unique<CoverageGrid>(tiles, *plan, *polygon, out_);
    transit = std::make_unique<TransitPlanner>(tiles, *plan, *coverage, out_, config.boatSpeed,
                                               config.depthMultiplier);
}

PlannerState::~PlannerState() = default;

void PlannerState::computePlanStatistics(const StatsView& view) { coverage->computePlanStatistics(view); }

bool PlannerState::writeReport(const std::string& path) {
    return coverage->writeReport(path, config.dayRate, config.boatSpeed);
}

// ---- Plan editing ---------------------------------------------------------

void PlannerState::addWaypointAt(float x, float y) { transit->addWaypointAt(x, y); }

void PlannerState::addStartWaypointAt(bool atStart, float x, float y) { transit->addStartWaypointAt(atStart, x, y); }

bool PlannerState::setWaypoint(double lat, double lon, float speed, float depthMultiplier) {
    const double y = mapY(lat);
    const bool ok = plan->setCurrent(lon, y, lat, speed, depthMultiplier);
    if (ok) plan->generateSwaths(false);
    return ok;
}

bool PlannerState::editAction(int action, double& x, double& y, double& lat, float scale) {
    if (lat >= 64.0) return false;
    pickLon = static_cast<float>(x);
    pickLat = static_cast<float>(lat);
    pickY = static_cast<float>(y);
    switch (action) {
        case 1:
            plan->addWaypoint(x, y, lat, config.boatSpeed, config.depthMultiplier);
            editHold = kHoldPoint;
            plan->generateSwaths(false);
            return true;
        case 2: {
            float pLat = 0.0f, pY = 0.0f, pLon = 0.0f;
            if (plan->pickWaypoint(static_cast<float>(x), static_cast<float>(y), scale, pLat, pY, pLon)) {
                x = pLon;
                y = pY;
                lat = pLat;
                pickLon = pLon;
                pickLat = pLat;
                editHold = kHoldPoint;
                return true;
            }
            editHold = kHoldNone;
            return false;
        }
        case 3:
            if (editHold != kHoldPoint) return false;
            plan->moveCurrent(x, y, lat);
            return true;
        case 4:
            if (editHold == kHoldPoint) {
                plan->deleteCurrent();
                plan->generateSwaths(true);
            }
            return false;
        case 5:
            polygon->addVertex(x, y, lat);
            polygon->printPolygon();
            return true;
        case 6:
            out_ << "Poly Pick Mode\n";
            if (polygon->pickVertex(static_cast<float>(x), static_cast<float>(y), scale)) {
                editHold = kHoldPoint;
                return true;
            }
            editHold = kHoldNone;
            return false;
        case 7:
            if (editHold != kHoldPoint) return false;
            polygon->moveCurrentVertex(x, y, lat);
            return true;
        default:
            return false;
    }
}

void PlannerState::finishEdit(int action) {
    if (action == 3) plan->generateSwaths(false);
}

// ---- The line list's edits ------------------------------------------------------
// One user change each; the swaths follow with turns, as after a delete.

bool PlannerState::reverseLeg(int leg) {
    if (!tessarin::reverseLeg(*plan, leg)) return false;
    regenerateAfterListEdit();
    return true;
}

bool PlannerState::moveLeg(int leg, int to) {
    if (!tessarin::moveLeg(*plan, leg, to)) return false;
    regenerateAfterListEdit();
    return true;
}

bool PlannerState::deleteLeg(int leg) {
    if (!tessarin::deleteLeg(*plan, leg)) return false;
    regenerateAfterListEdit();
    return true;
}

bool PlannerState::selectLeg(int leg) { return tessarin::selectLeg(*plan, leg); }

void PlannerState::regenerateAfterListEdit() {
    Waypoint* current = plan->current();
    plan->generateSwaths(true);
    // The swath pass unhighlights the markers; the edited leg stays selected.
    if (current) current->marker->highlight();
}

// ---- Transits -------------------------------------------------------------------

void PlannerState::setTransitStart() { transit->setTransitStart(pickLat, pickLon); }

void PlannerState::setTransitEnd() { transit->setTransitEnd(pickLat, pickLon); }

void PlannerState::setDemoTransit(float lat1, float lon1, float lat2, float lon2) {
    transit->setDemoTransit(lat1, lon1, lat2, lon2);
}

void PlannerState::computeGreatCircle() { transit->computeGreatCircle(); }

bool PlannerState::loadTilesOnArc() { return transit->loadTilesOnArc(progress()); }

void PlannerState::loadTilesAlongLine() {
    tiles.loadTilesAlongLine(transit->transitStartLat, transit->transitStartLon, transit->transitEndLat,
                             transit->transitEndLon);
}

void PlannerState::planTransit(bool legMode, bool abut) { transit->planTransit(legMode, abut, progress()); }

void PlannerState::writeTransitBenchmark() { transit->writeTransitBenchmark(root_ + "Transits.csv", progress()); }

void PlannerState::reportPathOverlap() { tessarin::reportPathOverlap(*plan, tiles, out_); }

float PlannerState::legAbutFraction(const Waypoint& leg) { return tessarin::legAbutFraction(leg, tiles, out_); }

// ---- Plan files -------------------------------------------------------------

bool PlannerState::savePlanFiles(const std::string& path) {
    // Both files are attempted even when the first fails: each is whole or
    // left as it was.
    const bool planWritten = savePlan(*plan, path + ".csv", config.boatSpeed);
    const bool routeWritten = writeRouteFile(*plan, path + ".cvt");
    return planWritten && routeWritten;
}

bool PlannerState::loadPlanFile(const std::string& path, float& meanLat, float& meanLon) {
    // Only a file that cannot be opened skips the recompute: a file that
    // opens but holds no waypoint still leaves the plan with its turns.
    // Nothing added: the means stay as they were, so the caller does not
    // centre the view on 0 / 0.
    const int added = loadPlan(*plan, path, meanLat, meanLon);
    if (added < 0) return false;
    plan->generateSwaths(true);
    return added > 0;
}

// ---- Polygon files ------------------------------------------------------------

bool PlannerState::loadPolygonFile(const std::string& path) {
    return tessarin::loadPolygonFile(path, *polygon, out_);
}

bool PlannerState::savePolygonFile(const std::string& path) {
    return tessarin::savePolygonFile(path, *polygon, out_);
}

void PlannerState::updatePolygonVertex(double lat, double lon) {
    out_ << "UPDATE POLY " << lat;
    polygon->moveCurrentVertex(lon, mapY(lat), lat);
}

bool PlannerState::importShapefile(const std::string& path) {
    return tessarin::importShapefile(path, *polygon, out_);
}

// ---- Coverage fits --------------------------------------------------------------

void PlannerState::fitCurrentLine() {
    const GridCoverageLookup lookup(tiles, *coverage);
    EdgeFit(tiles, lookup, *plan, out_).fitCurrentLine(config.edgeOverlap);
}

void PlannerState::fillPolygon(bool extra) {
    const GridCoverageLookup lookup(tiles, *coverage);
    PolygonFill(*polygon, *plan, tiles, *coverage, lookup, progress(), out_)
        .run(extra, FillSettings{config.boatSpeed, config.depthMultiplier, config.fillOverlap});
}

void PlannerState::checkEdgeOverlap() {
    const GridCoverageLookup lookup(tiles, *coverage);
    EdgeFit fit(tiles, lookup, *plan, out_);
    SidewaysSearch search(tiles, lookup, *plan, out_);
    tessarin::checkEdgeOverlap(*plan, fit, search, out_);
}

}  // namespace tessarin
