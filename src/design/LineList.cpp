#include "design/LineList.hpp"

#include <algorithm>
#include <cmath>

#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

constexpr double kRadians = 3.14159265358979 / 180.0;

struct Stop {
    double lon, y, lat;
    float speed, depthMultiplier;
};

std::vector<Stop> stopsOf(const SurveyPlan& plan) {
    std::vector<Stop> stops;
    for (const Waypoint* w = plan.first(); w; w = w->next) stops.push_back({w->lon, w->y, w->lat, w->speed, w->depthMultiplier});
    return stops;
}

// Lays the plan anew from stops; the waypoint at index current becomes the
// current one with its marker highlighted.
void relay(SurveyPlan& plan, const std::vector<Stop>& stops, int current) {
    plan.clearPlan();
    for (const Stop& s : stops) plan.addWaypoint(s.lon, s.y, s.lat, s.speed, s.depthMultiplier);
    selectLeg(plan, std::clamp(current, 0, static_cast<int>(stops.size()) - 1));
}

Waypoint* waypointAt(const SurveyPlan& plan, int index) {
    Waypoint* w = plan.first();
    for (int i = 0; w && i < index; ++i) w = w->next;
    return index >= 0 ? w : nullptr;
}

}  // namespace

double initialCourseDeg(double lat1, double lon1, double lat2, double lon2) {
    const double p1 = lat1 * kRadians, p2 = lat2 * kRadians, dl = (lon2 - lon1) * kRadians;
    const double course = std::atan2(std::sin(dl) * std::cos(p2),
                                     std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl));
    const double deg = std::fmod(course / kRadians + 360.0, 360.0);
    return deg >= 360.0 ? 0.0 : deg;
}

int legCount(const SurveyPlan& plan) {
    const int n = plan.waypointCount();
    return n > 1 ? n - 1 : 0;
}

std::vector<LineRow> listLines(const SurveyPlan& plan, const DepthProfile& profile) {
    std::vector<LineRow> rows;
    int leg = 0;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next, ++leg) {
        LineRow r;
        r.number = leg + 1;
        r.startLat = w->lat;
        r.startLon = w->lon;
        r.endLat = w->next->lat;
        r.endLon = w->next->lon;
        r.headingDeg = initialCourseDeg(w->lat, w->lon, w->next->lat, w->next->lon);
        r.lengthKm = w->lengthKm;
        r.lengthNm = w->lengthNm;
        r.speedKnots = w->speed;
        r.hours = w->speed > 0.0f ? w->lengthNm / w->speed : 0.0f;
        bool any = false;
        for (const ProfileSample& s : profile.samples) {
            if (s.leg != leg) continue;
            const float width = s.portM + s.starboardM;
            if (!any) {
                r.shallowestM = r.deepestM = s.elevationM;
                r.minSwathM = width;
                any = true;
            }
            r.shallowestM = std::max(r.shallowestM, s.elevationM);
            r.deepestM = std::min(r.deepestM, s.elevationM);
            r.minSwathM = std::min(r.minSwathM, width);
        }
        rows.push_back(r);
    }
    return rows;
}

bool reverseLeg(SurveyPlan& plan, int leg) {
    if (leg < 0 || leg >= legCount(plan)) return false;
    std::vector<Stop> stops = stopsOf(plan);
    std::swap(stops[static_cast<std::size_t>(leg)], stops[static_cast<std::size_t>(leg) + 1]);
    relay(plan, stops, leg);
    return true;
}

bool moveLeg(SurveyPlan& plan, int leg, int to) {
    const int legs = legCount(plan);
    if (leg < 0 || leg >= legs || to < 0 || to >= legs || to == leg) return false;
    std::vector<Stop> stops = stopsOf(plan);
    const auto at = stops.begin() + leg;
    const std::vector<Stop> pair(at, at + 2);
    stops.erase(at, at + 2);
    stops.insert(stops.begin() + to, pair.begin(), pair.end());
    relay(plan, stops, to);
    return true;
}

bool deleteLeg(SurveyPlan& plan, int leg) {
    if (leg < 0 || leg >= legCount(plan)) return false;
    std::vector<Stop> stops = stopsOf(plan);
    stops.erase(stops.begin() + leg, stops.begin() + leg + 2);
    if (stops.empty()) {
        plan.clearPlan();
        return true;
    }
    relay(plan, stops, leg - 1);
    return true;
}

int currentLeg(const SurveyPlan& plan) {
    const int legs = legCount(plan);
    if (legs == 0) return -1;
    int index = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++index) {
        if (w == plan.current()) return std::min(index, legs - 1);
    }
    return -1;
}

bool selectLeg(SurveyPlan& plan, int leg) {
    Waypoint* target = waypointAt(plan, leg);
    if (!target) return false;
    for (Waypoint* w = plan.first(); w; w = w->next) w->marker->unhighlight();
    target->marker->highlight();
    plan.setCurrentWaypoint(target);
    return true;
}

}  // namespace tessarin
