#pragma once
// How much of the survey polygon a plan's swaths cover: the union of every
// leg's swath polygon (the quads between consecutive edge-sample pairs, as
// the layer export writes them) measured on a grid of points inside the
// polygon. Map plane: x = longitude, y = mapY(latitude).

#include <vector>

namespace tessarin {
class SurveyPlan;
class SurveyPolygon;
}  // namespace tessarin

namespace tessarin::test {

struct SwathUnionFigures {
    double coveredFraction = 0.0;  // of the grid points inside the polygon
    int insidePoints = 0;
    int surveyLines = 0;           // legs 0, 2, 4 ...: the fill's lines
    int linesOutside = 0;          // survey lines with a stretch outside the polygon
};

// gridSteps points along the longer side of the polygon's box.
SwathUnionFigures measureSwathUnion(const SurveyPlan& plan, const SurveyPolygon& polygon, int gridSteps = 400);

// Even-odd test against a ring of map-plane points.
bool insideRing(const std::vector<double>& xs, const std::vector<double>& ys, double x, double y);

}  // namespace tessarin::test
