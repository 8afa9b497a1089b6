#include "app/RecoveryWriter.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>

#include "app/EditHistory.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "plan/ReplacingFile.hpp"
#include "plan/SurveyPlan.hpp"

namespace fs = std::filesystem;

namespace tessarin {

namespace {

constexpr const char* kPlanFile = "/plan.csv";
constexpr const char* kPolygonFile = "/polygon.csv";
constexpr const char* kStateFile = "/state";
constexpr const char* kOffered = "/offered";

bool writeFile(const std::string& path, const std::string& text) {
    ReplacingFile file(path);
    if (!file.isOpen()) return false;
    std::fputs(text.c_str(), file.get());
    return file.commit();
}

// Numbers as written: enough digits that reading them back gives the same
// double.
std::string number(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

// A line of numbers separated by commas and blanks; false unless it holds
// at least `need` finite numbers.
bool readNumbers(const std::string& line, std::size_t need, std::vector<double>& values) {
    values.clear();
    std::string s = line;
    for (char& c : s) {
        if (c == ',') c = ' ';
    }
    std::istringstream in(s);
    double v = 0.0;
    while (in >> v) {
        if (!std::isfinite(v)) return false;
        values.push_back(v);
    }
    return values.size() >= need;
}

}  // namespace

RecoveryWriter::RecoveryWriter(PlannerState& planner, std::string folder)
    : planner_(planner), folder_(std::move(folder)) {}

bool RecoveryWriter::read(const std::string& folder, RecoveredWork& work) {
    work = RecoveredWork();
    std::ifstream state(folder + kStateFile);
    std::string word, status;
    while (state >> word >> status) {
        if (word == "plan") work.planUnsaved = status == "unsaved";
        if (word == "polygon") work.polygonUnsaved = status == "unsaved";
    }
    std::ifstream plan(folder + kPlanFile);
    std::string line;
    std::vector<double> v;
    while (std::getline(plan, line)) {
        if (line.rfind("turns ", 0) == 0) {
            work.withTurns = line.compare(6, 1, "1") == 0;
            continue;
        }
        // Positions the planner would refuse are not brought back.
        if (!readNumbers(line, 5, v) || v[1] >= 64.0 || v[1] <= -90.0) continue;
        work.waypoints.push_back({v[0], v[1], v[2], static_cast<float>(v[3]), static_cast<float>(v[4])});
    }
    std::ifstream polygon(folder + kPolygonFile);
    while (std::getline(polygon, line)) {
        if (!readNumbers(line, 2, v) || v[1] >= 64.0 || v[1] <= -90.0) continue;
        work.vertices.push_back({v[0], v[1], PlannerState::mapY(v[1]), 0.0f, 0.0f});
    }
    return !work.waypoints.empty() || !work.vertices.empty();
}

bool RecoveryWriter::offerLastSession() {
    std::error_code ec;
    RecoveredWork last;
    const bool found = read(folder_, last) && (last.planUnsaved || last.polygonUnsaved);
    const std::string offered = folder_ + kOffered;
    if (found) {
        // Newer unsaved work replaces an older offer.
        fs::remove_all(offered, ec);
        fs::create_directories(offered, ec);
        for (const char* name : {kPlanFile, kPolygonFile, kStateFile}) {
            fs::rename(folder_ + name, offered + name, ec);
        }
    }
    RecoveredWork work;
    offered_ = read(offered, work);
    if (offered_) {
        std::cerr << "Unsaved work of an earlier session was kept (" << work.waypoints.size() << " waypoints, "
                  << work.vertices.size() << " polygon points): Edit > Recover unsaved work brings it back\n";
    }
    return offered_;
}

bool RecoveryWriter::recover() {
    RecoveredWork work;
    if (!offered_ || !read(folder_ + kOffered, work)) return false;
    planner_.beginEdit("Recover unsaved work");
    SurveyPlan& plan = *planner_.plan;
    SurveyPolygon& polygon = *planner_.polygon;
    plan.clearPlan();
    for (const RecoveredWork::Point& p : work.waypoints) {
        plan.addWaypoint(p.lon, p.y, p.lat, p.speed, p.depthMultiplier);
    }
    plan.generateSwaths(work.withTurns);
    polygon.clearPolygon();
    for (const RecoveredWork::Point& p : work.vertices) polygon.addVertex(p.lon, p.y, p.lat);
    planner_.editHold = PlannerState::kHoldNone;
    std::error_code ec;
    fs::remove_all(folder_ + kOffered, ec);
    offered_ = false;
    std::cerr << "Recovered " << work.waypoints.size() << " waypoints and " << work.vertices.size()
              << " polygon points\n";
    return true;
}

bool RecoveryWriter::update() {
    const std::uint64_t revision = planner_.history().revision();
    if (revision == writtenRevision_) return true;
    const bool ok = write();
    writtenRevision_ = revision;
    if (!ok && !failureReported_) {
        std::cerr << "Cannot write the recovery files in " << folder_ << ": unsaved work is not kept\n";
        failureReported_ = true;
    }
    if (ok) failureReported_ = false;
    return ok;
}

bool RecoveryWriter::write() {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    const SurveyPlan& plan = *planner_.plan;
    std::string text = "Lon, Lat, M_Lat, Speed, Mult\n";
    for (const Waypoint* w = plan.first(); w; w = w->next) {
        text += number(w->lon) + ", " + number(w->lat) + ", " + number(w->y) + ", " + number(w->speed) + ", " +
                number(w->depthMultiplier) + "\n";
    }
    text += std::string("turns ") + (plan.swathsWithTurns() ? "1" : "0") + "\n";
    bool ok = writeFile(folder_ + kPlanFile, text);

    text = "Lon, Lat\n";
    if (const PolygonVertex* first = planner_.polygon->first()) {
        const PolygonVertex* v = first;
        do {
            text += number(v->x) + ", " + number(v->lat) + "\n";
            v = v->next;
        } while (v != first);
    }
    ok = writeFile(folder_ + kPolygonFile, text) && ok;

    const EditHistory& history = planner_.history();
    text = std::string("plan ") + (history.planUnsaved() ? "unsaved" : "saved") + "\npolygon " +
           (history.polygonUnsaved() ? "unsaved" : "saved") + "\n";
    return writeFile(folder_ + kStateFile, text) && ok;
}

}  // namespace tessarin
