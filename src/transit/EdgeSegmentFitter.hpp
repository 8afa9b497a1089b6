#pragma once
// The segment fits as the planner runs them: the sideways searches and the
// edge-overlap refinement over the coverage bytes of the resident tiles.

#include <ostream>

#include "fit/CoverageLookup.hpp"
#include "fit/EdgeFit.hpp"
#include "fit/SidewaysSearch.hpp"
#include "transit/SegmentFitter.hpp"

namespace tessarin {

class CoverageGrid;
class SurveyPlan;
class TileStore;

class EdgeSegmentFitter : public SegmentFitter {
public:
    EdgeSegmentFitter(TileStore& tiles, SurveyPlan& plan, const CoverageGrid& coverage, std::ostream& out,
                      SearchPath path = SearchPath::Shared);

    float maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) override;
    float maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB) override;
    float refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent, float stepFraction,
                            int& side) override;
    void extendEdgeOverlap(const FitLine& line, FitLine& result, int& side) override;

private:
    GridCoverageLookup lookup_;
    EdgeFit edgeFit_;
    SidewaysSearch search_;
};

}  // namespace tessarin
