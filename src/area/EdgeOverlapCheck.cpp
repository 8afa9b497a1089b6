#include "area/EdgeOverlapCheck.hpp"

#include "fit/EdgeFit.hpp"
#include "fit/SidewaysSearch.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

void checkEdgeOverlap(SurveyPlan& plan, EdgeFit& fit, SidewaysSearch& search, std::ostream& out) {
    // Map-plane positions of the walk cursor: zeros when the plan is empty.
    double lat1 = 0.0, y1 = 0.0, lon1 = 0.0, lat2 = 0.0, y2 = 0.0, lon2 = 0.0;
    const bool any = plan.walkFromFirst();
    plan.getCursorPoint(lat1, y1, lon1);
    out << " LL 1 " << lon1 << " " << lat1 << " " << y1 << "\n";
    plan.walkNext();
    plan.getCursorPoint(lat2, y2, lon2);
    out << " LL 2 " << lon2 << " " << lat2 << " " << y2 << "\n";
    if (!any) return;

    const FitLine line{lon1, lon2, y1, y2, lat1, lat2};
    int side = kSideUndecided;
    const float value = search.sideByCoverage(line, side, 1.0f);
    out << "Edge VAL " << value << "\n";
    out << " LR " << side << "\n";
    float inside = 0.0f, outside = 0.0f;
    const float score = fit.edgeOverlapScore(line, 10.0f, inside, outside, side, false);
    out << "Edge OVERLAP " << score << "  " << inside << " " << outside << "\n";
}

}  // namespace tessarin
