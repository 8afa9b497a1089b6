#pragma once
// Swath strips in GL: one triangle strip of the vertex pairs (starboard edge
// i, port edge i), map-plane coordinates (x = longitude in degrees,
// y = mapY(latitude)).

#include "plan/SurveyPlan.hpp"

namespace tessarin {

// Emits one strip in the current colour; nothing for a strip without samples.
void drawSwathStrip(const SwathStrip& strip);

// The walk cursor's leg in colour (0, 1, 0), as coverage captures draw it;
// nothing when the cursor has no leg.
void drawCursorSwath(const SurveyPlan& plan);

}  // namespace tessarin
