#pragma once
// How much of the survey polygon a plan's swaths cover, counted on a grid
// over the polygon without any graphics: each cell whose centre lies inside
// the ring counts with its ground area, and counts as covered when its
// centre lies under a triangle of some leg's swath strip (the strip the map
// and the capture draw). The grid is as fine as maxCells allows.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).
// Areas are square kilometres on a sphere on which a degree of arc is
// 111.112 km, as the plan statistics count them.

namespace tessarin {

class SurveyPlan;
class SurveyPolygon;

struct AreaCoverage {
    double polygonKm2 = 0.0;  // of the cells inside the ring
    double coveredKm2 = 0.0;  // of those under a swath

    double coveredPercent() const { return polygonKm2 > 0.0 ? coveredKm2 * 100.0 / polygonKm2 : 0.0; }
    double uncoveredKm2() const { return polygonKm2 - coveredKm2; }
};

AreaCoverage coverageOfArea(const SurveyPolygon& area, const SurveyPlan& plan, int maxCells = 250000);

// Ground area of the ring, its edges taken as straight in the map plane
// (rhumb lines), from the equal-area integral of longitude against the sine
// of latitude; 0 for fewer than three vertices.
double polygonAreaKm2(const SurveyPolygon& area);

}  // namespace tessarin
