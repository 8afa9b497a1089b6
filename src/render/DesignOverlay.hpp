#pragma once
// Map marks of the design windows, drawn after the plan inside the map
// transform (map-plane coordinates): the point under the pointer in the
// depth profile, and the leg selected in the line list.

namespace tessarin {

class SurveyPlan;

// A yellow diamond with an open centre at (x, y); scale = zoom / 40.
void drawProfileMark(float x, float y, float scale);

// The outline of leg's swath (0-based) and its track, in yellow; nothing
// when the plan has no such leg.
void drawLegHighlight(const SurveyPlan& plan, int leg);

}  // namespace tessarin
