#include "app/PlannerState.hpp"

#include <iostream>

#include "app/EditHistory.hpp"
#include "app/PlanSnapshot.hpp"
#include "area/AreaImport.hpp"
#include "area/EdgeOverlapCheck.hpp"
#include "area/PolygonFile.hpp"
#include "area/PolygonFill.hpp"
#include "area/ShapefileImport.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "design/LineList.hpp"
#include "design/SurveyDesign.hpp"
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
    history_ = std::make_unique<EditHistory>(*plan, *polygon);
}

PlannerState::~PlannerState() = default;

void PlannerState::computePlanStatistics() { coverage->computePlanStatistics(progress()); }

bool PlannerState::writeReport(const std::string& path) {
    return coverage->writeReport(path, config.dayRate, config.boatSpeed, progress());
}

// ---- Plan editing ---------------------------------------------------------

void PlannerState::addWaypointAt(float x, float y) { transit->addWaypointAt(x, y); }

void PlannerState::addStartWaypointAt(bool atStart, float x, float y) { transit->addStartWaypointAt(atStart, x, y); }

bool PlannerState::setWaypoint(double lat, double lon, float speed, float depthMultiplier) {
    beginEdit("Enter");
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
            beginEdit("Add waypoint");
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
            beginMergedEdit("Move waypoint");
            plan->moveCurrent(x, y, lat);
            return true;
        case 4:
            if (editHold == kHoldPoint) {
                beginEdit("Delete waypoint");
                plan->deleteCurrent();
                plan->generateSwaths(true);
            }
            return false;
        case 5:
            beginEdit("Add polygon point");
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
            beginMergedEdit("Move polygon point");
            polygon->moveCurrentVertex(x, y, lat);
            return true;
        default:
            return false;
    }
}

void PlannerState::finishEdit(int action) {
    if (action == 3) plan->generateSwaths(false);
    history_->closeGroup();
}

// ---- Edit history -----------------------------------------------------------

void PlannerState::beginEdit(const char* label) { history_->record(label); }

void PlannerState::beginMergedEdit(const char* label) { history_->record(label, true); }

namespace {

// One undo or redo, told on standard error.
bool stepHistory(EditHistory& history, bool back, int& editHold) {
    const std::string label = back ? history.undoLabel() : history.redoLabel();
    if (!(back ? history.undo() : history.redo())) {
        std::cerr << (back ? "Nothing to undo\n" : "Nothing to redo\n");
        return false;
    }
    // The held point may be gone or another one: a move or delete needs a
    // new pick.
    editHold = PlannerState::kHoldNone;
    std::cerr << (back ? "Undone: " : "Redone: ") << label << "\n";
    return true;
}

}  // namespace

bool PlannerState::undo() { return stepHistory(*history_, true, editHold); }

bool PlannerState::redo() { return stepHistory(*history_, false, editHold); }

void PlannerState::deleteTrack() {
    beginEdit("Delete Track");
    plan->clearPlan();
}

void PlannerState::deletePlan() {
    beginEdit("Delete Plan");
    plan->clearPlan();
    coverage->clearPolygonCoverage();
}

void PlannerState::deletePolygon() {
    beginEdit("Delete Polygon");
    coverage->clearPolygonCoverage();
}

void PlannerState::rotatePolygon() {
    beginEdit("Rotate polygon");
    polygon->rotateFirstVertex();
}

bool PlannerState::deletePolygonVertex() {
    beginEdit("Delete polygon point");
    return polygon->deleteCurrentVertex();
}

bool PlannerState::deleteCurrentWaypoint() {
    if (plan->empty()) return false;
    beginEdit("Delete waypoint");
    plan->deleteCurrent();
    plan->generateSwaths(true);
    return true;
}

// ---- The line list's edits ------------------------------------------------------
// One user change each; the swaths follow with turns, as after a delete.

bool PlannerState::reverseLeg(int leg) {
    beginEdit("Reverse line");
    if (!tessarin::reverseLeg(*plan, leg)) return false;
    regenerateAfterListEdit();
    return true;
}

bool PlannerState::moveLeg(int leg, int to) {
    beginEdit("Move line");
    if (!tessarin::moveLeg(*plan, leg, to)) return false;
    regenerateAfterListEdit();
    return true;
}

bool PlannerState::deleteLeg(int leg) {
    beginEdit("Delete line");
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

void PlannerState::planTransit(bool legMode, bool abut) {
    beginEdit("Transit");
    transit->planTransit(legMode, abut, progress()); }

void PlannerState::writeTransitBenchmark() {
    beginEdit("Benchmark");
    // The runs replace the plan run after run; the user's plan comes back
    // afterwards (their coverage stays, as after any capture).
    const PlanSnapshot before = capturePlan(*plan, *polygon);
    transit->writeTransitBenchmark(root_ + "Transits.csv", progress());
    restorePlan(before, *plan, *polygon);
}

void PlannerState::reportPathOverlap() { tessarin::reportPathOverlap(*plan, tiles, out_); }

float PlannerState::legAbutFraction(const Waypoint& leg) { return tessarin::legAbutFraction(leg, tiles, out_); }

// ---- Plan files -------------------------------------------------------------

bool PlannerState::savePlanFiles(const std::string& path) {
    // Both files are attempted even when the first fails: each is whole or
    // left as it was.
    const bool planWritten = savePlan(*plan, path + ".csv", config.boatSpeed);
    const bool routeWritten = writeRouteFile(*plan, path + ".cvt");
    if (planWritten) history_->markPlanClean();
    return planWritten && routeWritten;
}

bool PlannerState::loadPlanFile(const std::string& path, float& meanLat, float& meanLon) {
    // Only a file that cannot be opened skips the recompute: a file that
    // opens but holds no waypoint still leaves the plan with its turns.
    // Nothing added: the means stay as they were, so the caller does not
    // centre the view on 0 / 0.
    beginEdit("Load plan");
    const int added = loadPlan(*plan, path, meanLat, meanLon);
    if (added < 0) return false;
    plan->generateSwaths(true);
    history_->markPlanClean();
    return added > 0;
}

// ---- Polygon files ------------------------------------------------------------

bool PlannerState::loadPolygonFile(const std::string& path) {
    beginEdit("Load polygon");
    const bool loaded = tessarin::loadPolygonFile(path, *polygon, out_);
    if (loaded) history_->markPolygonClean();
    return loaded;
}

bool PlannerState::savePolygonFile(const std::string& path) {
    const bool saved = tessarin::savePolygonFile(path, *polygon, out_);
    if (saved) history_->markPolygonClean();
    return saved;
}

void PlannerState::updatePolygonVertex(double lat, double lon) {
    beginEdit("Enter");
    out_ << "UPDATE POLY " << lat;
    polygon->moveCurrentVertex(lon, mapY(lat), lat);
}

bool PlannerState::importArea(const std::string& path, int number, std::ostream& report) {
    const ImportedArea area = readArea(path, number);
    if (!area.ok) {
        report << area.error << "; the polygon is unchanged\n";
        return false;
    }
    beginEdit("Import area");
    coverage->clearPolygonCoverage();
    replacePolygon(*polygon, area);
    history_->markPolygonClean();
    report << "Imported " << area.choice.label << " from " << path << ": " << area.lon.size() << " vertices\n";
    for (const std::string& note : area.notes) report << note << "\n";
    return true;
}

bool PlannerState::importShapefile(const std::string& path) {
    beginEdit("Load shapefile");
    const bool loaded = tessarin::importShapefile(path, *polygon, out_);
    if (loaded) history_->markPolygonClean();
    return loaded;
}

// ---- Coverage fits --------------------------------------------------------------

void PlannerState::fitCurrentLine() {
    beginEdit("Line overlap");
    const GridCoverageLookup lookup(tiles, *coverage);
    EdgeFit(tiles, lookup, *plan, out_).fitCurrentLine(config.edgeOverlap);
}

void PlannerState::fillPolygon(bool extra) {
    beginEdit("Fill");
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

bool PlannerState::applyDesign(const DesignLayout& layout) {
    if (layout.lines.empty()) return false;
    beginEdit("Survey design");
    appendDesignToPlan(layout, *plan, config.boatSpeed, config.depthMultiplier);
    plan->generateSwaths(false);
    return true;
}

}  // namespace tessarin
