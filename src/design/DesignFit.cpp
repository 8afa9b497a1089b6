#include "design/DesignFit.hpp"

#include <cstdlib>

#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "earth/MapProjection.hpp"
#include "earth/ProgressSink.hpp"
#include "fit/CoverageLookup.hpp"
#include "fit/EdgeFit.hpp"
#include "fit/FitLine.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

// As the fill: fine captures once a line's highest sample is shallower than
// 1100 m, coarse again once it is deeper than 1500 m (elevations).
constexpr float kFineAbove = -1100.0f;
constexpr float kCoarseBelow = -1500.0f;

}  // namespace

void fitDesignIntoPlan(const DesignLayout& layout, SurveyPlan& plan, const SurveyPolygon& area, TileStore& tiles,
                       CoverageGrid& coverage, float speedKnots, float depthMultiplier, float overlapPercent,
                       ProgressSink& progress) {
    GridCoverageLookup lookup(tiles, coverage);
    EdgeFit fit(tiles, lookup, plan, plan.out());
    // Coverage outside the area (a neighbouring survey) must not pull a line out of it.
    fit.setVoteArea([&area](double lon, double y) { return area.contains(lon, y); });
    coverage.allocateFineGrids();
    plan.setCurrentWaypoint(plan.last());
    bool fine = false;
    ProgressStage stage(progress, "Fit", static_cast<long>(layout.lines.size()));
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        const DesignLine& l = layout.lines[i];
        plan.addWaypoint(l.ax, l.ay, latitudeFromMapY(l.ay), speedKnots, depthMultiplier);
        plan.addWaypoint(l.bx, l.by, latitudeFromMapY(l.by), speedKnots, depthMultiplier);
        plan.refreshLegDirections();
        const DesignLine* before = i > 0 ? &layout.lines[i - 1] : nullptr;
        if (before && !l.crossline && !before->crossline && std::abs(l.offsetIndex - before->offsetIndex) == 1) {
            // The side of this line on which the line before it lies holds
            // the coverage to fit against.
            const StarboardNormal n(l.bx - l.ax, l.by - l.ay);
            const double towards = n.x * (0.5 * (before->ax + before->bx) - l.ax) +
                                   n.y * (0.5 * (before->ay + before->by) - l.ay);
            int side = towards > 0.0 ? kSideStarboard : kSidePort;
            fit.setRefineWindow(10, 0);
            fit.refineCurrentOverlap(side, 0.05f, fine, overlapPercent);
            fit.setRefineWindow(5, 5);
            fit.refineCurrentOverlap(side, 0.01f, fine, overlapPercent);
        }
        const float highest = plan.recomputeCursorLeg();
        if (highest < kCoarseBelow) fine = false;
        if (highest > kFineAbove) fine = true;
        if (fine) {
            coverage.captureSwathFine();
        } else {
            coverage.captureSwathCoarse();
        }
        coverage.clearPassMarks();
        stage.step(static_cast<long>(i + 1));
    }
}

}  // namespace tessarin
