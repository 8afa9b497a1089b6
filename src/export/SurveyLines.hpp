#pragma once
// The plan as survey lines for the formats of ECDIS and acquisition software:
// every leg, in plan order, is one straight line from its waypoint to the
// next. The plan does not mark which legs are run-ins or cross-lines, so the
// receiving system gets them all and the operator drops what is not logged.

#include <string>
#include <vector>

#include "export/AntimeridianSplit.hpp"

namespace tessarin {

class SurveyPlan;
class SurveyPolygon;

struct SurveyLine {
    int number = 0;       // 1-based, in plan order
    std::string name;     // "L001": no blanks, as the record formats need
    PlanePoint from;      // map plane, longitude unwrapped
    PlanePoint to;
    double startLat = 0.0, startLon = 0.0;  // degrees, -180 <= lon < 180
    double endLat = 0.0, endLon = 0.0;
};

std::vector<SurveyLine> surveyLines(const SurveyPlan& plan);

// The polygon's vertices in map-plane ring order from its first vertex,
// without the closing repeat; empty for an empty polygon.
std::vector<PlanePoint> polygonRing(const SurveyPolygon& polygon);

// "L001" for 1.
std::string surveyLineName(int number);

// Longitude rounded to `decimals` and then wrapped, so that 179.999999999 is
// never printed as 180.00000000.
double printableLongitude(double lon, int decimals);

}  // namespace tessarin
