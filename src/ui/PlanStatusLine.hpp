#pragma once
// A line over the bottom right of the map with the plan's running totals
// (distance, time at sea, cost) and the polygon's area, redrawn from the
// plan every frame, so every edit shows at once.

#include <cstdint>
#include <string>

namespace tessarin {

class PlannerState;
class SurveyPolygon;

class PlanStatusLine {
public:
    void draw(PlannerState& planner);
    // The text of the line for the plan and polygon as they are.
    std::string text(PlannerState& planner);

private:
    // The polygon's area is recomputed only when its vertices change.
    std::uint64_t polygonKey_ = 0;
    double polygonKm2_ = 0.0;
};

}  // namespace tessarin
