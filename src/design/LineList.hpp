#pragma once
// The plan's legs as a list in sailing order, and the edits the list offers:
// reversing a leg, moving it in the order, deleting it. Each edit rebuilds
// the waypoint list with every waypoint's position, speed and depth
// multiplier kept; the caller regenerates the swaths once afterwards.
//
// Positions are degrees; elevations metres, negative below sea level.

#include <vector>

#include "design/DepthProfile.hpp"

namespace tessarin {

class SurveyPlan;

struct LineRow {
    int number = 0;  // 1-based
    double startLat = 0.0, startLon = 0.0;
    double endLat = 0.0, endLon = 0.0;
    double headingDeg = 0.0;  // initial true course, 0 up to 360
    float lengthKm = 0.0f;
    float lengthNm = 0.0f;
    float speedKnots = 0.0f;
    float hours = 0.0f;  // lengthNm at the leg's own speed
    // Over the leg's profile samples; 0 when it has none.
    float shallowestM = 0.0f;
    float deepestM = 0.0f;
    float minSwathM = 0.0f;  // narrowest port plus starboard width
};

// Initial great-circle course from the first point to the second, degrees
// clockwise from north in [0, 360).
double initialCourseDeg(double lat1, double lon1, double lat2, double lon2);

// One row per leg; depths and widths from profile (the plan's whole-plan
// profile), which must be of the same plan state.
std::vector<LineRow> listLines(const SurveyPlan& plan, const DepthProfile& profile);

int legCount(const SurveyPlan& plan);

// Swaps the two waypoints of leg (0-based): the leg is sailed the other way
// and its neighbours join its new ends. False when there is no such leg.
bool reverseLeg(SurveyPlan& plan, int leg);
// Takes the two waypoints of leg out of the list and puts them back so that
// the leg becomes leg `to` (0-based, 0 .. legCount - 1). False when either
// index is out of range or they are equal.
bool moveLeg(SurveyPlan& plan, int leg, int to);
// Removes both waypoints of leg. False when there is no such leg.
bool deleteLeg(SurveyPlan& plan, int leg);

// The leg that starts at the current waypoint, or for the last waypoint the
// leg that ends there; -1 when the plan has no leg.
int currentLeg(const SurveyPlan& plan);

// Makes the first waypoint of leg current with its marker the only one
// highlighted. False when there is no such leg.
bool selectLeg(SurveyPlan& plan, int leg);

}  // namespace tessarin
