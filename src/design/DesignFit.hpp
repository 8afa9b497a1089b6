#pragma once
// A design laid with fitting: its lines go into the plan one at a time, and
// each main line sailed straight after its neighbour is fitted against the
// coverage the lines before it left (pulled back towards them where the
// floor lets the swaths overlap more than they should, never pushed on),
// then captured, as the extra polygon fill fits its lines. Lines that follow
// a line that is not their neighbour (interleaved orders) and crosslines
// are laid as designed.

#include "design/SurveyDesign.hpp"

namespace tessarin {

class CoverageGrid;
class ProgressSink;
class SurveyPlan;
class SurveyPolygon;
class TileStore;

// Appends the layout after the plan's last waypoint; coverage needs a
// capture target for the fits to see anything. The caller generates swaths.
void fitDesignIntoPlan(const DesignLayout& layout, SurveyPlan& plan, const SurveyPolygon& area, TileStore& tiles,
                       CoverageGrid& coverage, float speedKnots, float depthMultiplier, float overlapPercent,
                       ProgressSink& progress);

}  // namespace tessarin
