#pragma once
// A candidate survey line for the coverage fits, and the side codes the fits
// share. Map plane: lon is longitude in degrees (also map-plane x), y is
// mapY(latitude) (not degrees), lat is latitude in degrees.

#include <cmath>

#include "earth/MapProjection.hpp"

namespace tessarin {

// Side of a line, relative to running from A to B. The fits take it by
// reference so that a decision made by one call holds for the next.
inline constexpr int kSideUndecided = 0;
inline constexpr int kSideStarboard = 1;
inline constexpr int kSidePort = 2;

struct FitLine {
    double lonA = 0.0;
    double lonB = 0.0;
    double yA = 0.0;
    double yB = 0.0;
    double latA = 0.0;
    double latB = 0.0;

    // The line through two map-plane points, latitudes from their y.
    static FitLine fromMapPlane(double lonA, double yA, double lonB, double yB) {
        return FitLine{lonA, lonB, yA, yB, latitudeFromMapY(yA), latitudeFromMapY(yB)};
    }
    // The line between two positions in degrees, y from the latitudes.
    static FitLine fromDegrees(double lonA, double latA, double lonB, double latB) {
        return FitLine{lonA, lonB, mapY(latA), mapY(latB), latA, latB};
    }
};

// Unit starboard normal (dy, -dx) / len of a map-plane direction, in single
// precision as the fits were tuned with. A zero-length line has no direction:
// its normal is (0, 0), so probes fall on the line itself instead of at NaN.
struct StarboardNormal {
    float x = 0.0f;
    float y = 0.0f;
    float len = 0.0f;

    StarboardNormal(double dx, double dy) {
        const float fdx = static_cast<float>(dx);
        const float fdy = static_cast<float>(dy);
        len = std::sqrt(fdx * fdx + fdy * fdy);
        if (len > 0.0f) {
            x = fdy / len;
            y = -fdx / len;
        }
    }
};

}  // namespace tessarin
