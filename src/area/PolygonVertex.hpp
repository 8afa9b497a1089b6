#pragma once
// One vertex of the survey polygon's closed ring.
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include "plan/MapPoint.hpp"

namespace tessarin {

struct PolygonVertex {
    PolygonVertex* next = this;
    PolygonVertex* prev = this;
    double lat = 0.0;
    double x = 0.0;
    double y = 0.0;
    MapPoint marker;
    double normalX = 0.0;
    double normalY = 0.0;
    double directionX = 0.0;
    double directionY = 0.0;
    float edgeLength = 1.0f;  // map units
};

}  // namespace tessarin
