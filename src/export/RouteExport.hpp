#pragma once
// The plan as a route for the bridge and for acquisition software: an RTZ
// route exchange file (version 1.0) with a calculated schedule, and a GPX 1.1
// route. Positions are degrees, longitudes brought into -180..180; speeds are
// knots; times are hours from departure, or UTC instants.
//
// Both files are written beside their destination and moved over it only
// when complete, so a failed export leaves any earlier file as it was.

#include <ctime>
#include <string>
#include <vector>

#include "export/ExportResult.hpp"

namespace tessarin {

class SurveyPlan;

// One waypoint of the route, in plan order.
struct RouteStop {
    int number = 0;             // 1-based
    std::string name;           // "WP 001", as the route listing names it
    double lat = 0.0;           // degrees
    double lon = 0.0;           // degrees, -180 <= lon < 180
    float legSpeedKnots = 0.0f; // the leg leaving this waypoint; 0 on the last
    double legNm = 0.0;         // length of that leg
    double etaHours = 0.0;      // arrival here, hours after departure
};

// "WP 001" for 1: the waypoint names of the route listing.
std::string routeWaypointName(int number);

// The file name of path without its folder and its last extension.
std::string routeNameOf(const std::string& path);

// The waypoints with their legs and arrival times (lengthNm / speed summed
// in plan order). A leg without a positive speed makes every later arrival
// infinite.
std::vector<RouteStop> routeStops(const SurveyPlan& plan);

// RTZ 1.0: routeInfo named after the file, one waypoint per plan waypoint
// (the leg element of a waypoint describes the leg arriving at it, as RTZ
// defines), and one calculated schedule starting at departUtc. Needs at least
// two waypoints and a positive speed on every leg.
ExportResult exportRouteRtz(const SurveyPlan& plan, const std::string& path, std::time_t departUtc);

// GPX 1.1: one rte with a rtept per waypoint. Needs at least two waypoints.
ExportResult exportRouteGpx(const SurveyPlan& plan, const std::string& path);

}  // namespace tessarin
