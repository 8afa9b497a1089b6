#pragma once
// The stored latitude and longitude of every waypoint of a plan, as raw
// bytes in plan order: two plans compare equal only when they are the same
// to the last bit.

#include <string>

#include "plan/SurveyPlan.hpp"

namespace tessarin::test {

inline std::string waypointBits(const SurveyPlan& plan) {
    std::string bits;
    for (const Waypoint* w = plan.first(); w; w = w->next) {
        bits.append(reinterpret_cast<const char*>(&w->lat), sizeof w->lat);
        bits.append(reinterpret_cast<const char*>(&w->lon), sizeof w->lon);
    }
    return bits;
}

}  // namespace tessarin::test
