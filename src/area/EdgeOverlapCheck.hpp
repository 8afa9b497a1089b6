#pragma once
// The edge-overlap check: how the coverage already recorded lies along the
// two sides of the plan's first leg, and how much that leg's swath overlaps
// it, printed to the console. It changes nothing but the plan's current
// waypoint (the first) and walk cursor (the second, or the first when the
// plan has one waypoint).

#include <ostream>

namespace tessarin {

class EdgeFit;
class SidewaysSearch;
class SurveyPlan;

void checkEdgeOverlap(SurveyPlan& plan, EdgeFit& fit, SidewaysSearch& search, std::ostream& out);

}  // namespace tessarin
