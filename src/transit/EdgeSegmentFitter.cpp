#include "transit/EdgeSegmentFitter.hpp"

#include "transit/TransitPlanner.hpp"

namespace tessarin {

EdgeSegmentFitter::EdgeSegmentFitter(TileStore& tiles, SurveyPlan& plan, const CoverageGrid& coverage,
                                     std::ostream& out, SearchPath path)
    : lookup_(tiles, coverage), edgeFit_(tiles, lookup_, plan, out), search_(tiles, lookup_, plan, out) {
    edgeFit_.setSearchPath(path);
    search_.setSearchPath(path);
}

float EdgeSegmentFitter::maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) {
    return search_.maxEdge(line, result, widthA, widthB, side);
}

float EdgeSegmentFitter::maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB) {
    return search_.maxEdgeLateral(line, result, widthA, widthB);
}

float EdgeSegmentFitter::refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent,
                                           float stepFraction, int& side) {
    // Transits fit against the coarse bytes: fine sub-grids exist only under
    // a polygon.
    return edgeFit_.refineEdgeOverlap(line, result, overlapPercent, stepFraction, side, false);
}

void EdgeSegmentFitter::extendEdgeOverlap(const FitLine& line, FitLine& result, int& side) {
    edgeFit_.extendEdgeOverlap(line, result, side, true, true);
}

std::unique_ptr<SegmentFitter> makeEdgeSegmentFitter(TileStore& tiles, SurveyPlan& plan, const CoverageGrid& coverage,
                                                     std::ostream& out, SearchPath path) {
    return std::make_unique<EdgeSegmentFitter>(tiles, plan, coverage, out, path);
}

}  // namespace tessarin
