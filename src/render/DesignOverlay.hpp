#pragma once
// Map marks of the design windows, drawn after the plan inside the map
// transform (map-plane coordinates): the point under the pointer in the
// depth profile, the leg selected in the line list, and the preview of a
// survey design that is not part of the plan yet.

#include <vector>

namespace tessarin {

// A survey design as the map shows it before it is applied: plain line data,
// map plane.
struct DesignPreview {
    struct Line {
        float ax = 0.0f, ay = 0.0f, bx = 0.0f, by = 0.0f;
        bool crossline = false;
    };
    std::vector<Line> lines;
    // Each leg's swath outline as x, y pairs (starboard edge out, port edge back).
    std::vector<std::vector<float>> outlines;
};

// Swath outlines in light cyan, main lines dashed in magenta, crosslines
// dashed in orange: nothing like the plan's green swaths and solid legs.
void drawDesignPreview(const DesignPreview& preview);

class SurveyPlan;

// A yellow diamond with an open centre at (x, y); scale = zoom / 40.
void drawProfileMark(float x, float y, float scale);

// The outline of leg's swath (0-based) and its track, in yellow; nothing
// when the plan has no such leg.
void drawLegHighlight(const SurveyPlan& plan, int leg);

}  // namespace tessarin
