#include "coverage/PlanCost.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "plan/SurveyPlan.hpp"

namespace tessarin {

PlanTotals planTotals(const SurveyPlan& plan, float boatSpeedKnots) {
    PlanTotals t;
    t.speedKnots = boatSpeedKnots;
    float minSpeed = 0.0f, maxSpeed = 0.0f;
    bool anySpeed = false;
    float timedNm = 0.0f;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next) {
        t.distanceNm += w->lengthNm;
        // A leg without a speed would make the whole time infinite (or
        // negative); it is left out and reported instead.
        if (w->speed > 0.0f && std::isfinite(w->speed)) {
            t.hours += w->lengthNm / w->speed;
            timedNm += w->lengthNm;
            minSpeed = anySpeed ? std::min(minSpeed, w->speed) : w->speed;
            maxSpeed = anySpeed ? std::max(maxSpeed, w->speed) : w->speed;
            anySpeed = true;
        } else {
            t.legWithoutSpeed = true;
        }
    }
    if (anySpeed && minSpeed == maxSpeed) {
        t.speedKnots = minSpeed;
    } else if (anySpeed && t.hours > 0.0f) {
        t.speedKnots = timedNm / t.hours;
        t.speedIsMean = true;
    }
    return t;
}

MappingTime mappingTime(float hours, float dayRate) {
    MappingTime m;
    const float dayCount = hours / 24.0f;
    // Far-off times (a plan file can hold any length) are kept inside int.
    m.days = dayCount > 0.0f && dayCount < 1.0e9f ? static_cast<int>(dayCount) : 0;
    m.daysForm = !(hours < 48.1f);
    m.remainingHours = hours - static_cast<float>(m.days) * 24.0f;
    m.cost = static_cast<float>(m.days + 1) * dayRate;
    return m;
}

std::string formatCost(float cost) {
    const long long whole = cost > 0.0f && cost < 9.0e18f ? static_cast<long long>(cost) : 0;
    const long long k = whole / 1000;
    char text[64];
    if (k < 1000) {
        std::snprintf(text, sizeof text, "$%lld,000", k);
    } else {
        const long long m = k / 1000;
        std::snprintf(text, sizeof text, "$%lld,%03lld,000", m, k - m * 1000);
    }
    return text;
}

}  // namespace tessarin
