#pragma once
// The line fits a transit segment goes through, behind one seam so that the
// segment planner's choices (which fit runs, which threshold passes, which
// ends are kept) can be checked with scripted scores. The planner's own
// implementation forwards to the coverage fits; see EdgeSegmentFitter.
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include "fit/FitLine.hpp"

namespace tessarin {

class SegmentFitter {
public:
    virtual ~SegmentFitter() = default;
    // Sideways search for an edge of mapped floor; widths in map units at A
    // and at B. Decides side.
    virtual float maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side) = 0;
    // Sideways search for floor not yet mapped.
    virtual float maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB) = 0;
    // Fine sideways fit of both ends against the coarse coverage bytes.
    virtual float refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent, float stepFraction,
                                    int& side) = 0;
    // Moves both ends along the line to where the fit scores best.
    virtual void extendEdgeOverlap(const FitLine& line, FitLine& result, int& side) = 0;
};

}  // namespace tessarin
