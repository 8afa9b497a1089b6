#pragma once
// Distance, time at sea and cost of a plan. Distances in nautical miles,
// times in hours, speeds in knots, costs in the configured day rate's money.

#include <string>

namespace tessarin {

class SurveyPlan;

struct PlanTotals {
    float distanceNm = 0.0f;
    float hours = 0.0f;             // legs without a speed add nothing
    // The legs' speed when they share one; where they differ, the mean over
    // distance (distance / hours of the legs with a speed); the configured
    // boat speed when no leg has a speed.
    float speedKnots = 0.0f;
    bool speedIsMean = false;       // the legs' speeds differ
    bool legWithoutSpeed = false;   // some leg has a zero, negative or unset speed
};

// Sums over the legs: length, and length / speed for every leg with a speed.
PlanTotals planTotals(const SurveyPlan& plan, float boatSpeedKnots);

// How a time is shown and charged: below 48.1 hours as hours, otherwise as
// whole days and the remaining hours. Every started day is charged and a
// whole number of days one more (exactly 48.0 hours costs 3 days).
struct MappingTime {
    bool daysForm = false;
    int days = 0;
    float remainingHours = 0.0f;  // hours - days * 24
    float cost = 0.0f;            // (days + 1) * day rate
};
MappingTime mappingTime(float hours, float dayRate);

// "$k,000" below a million (thousands truncated), else "$m,kkk,000".
std::string formatCost(float cost);

}  // namespace tessarin
