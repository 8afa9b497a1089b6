#pragma once
// The arithmetic that swath generation and turns share: the geodesy
// constants the swath was calibrated with and the bisection that finds one
// side's swath edge against the floor.
// Notation: x is longitude in degrees, y the map-plane ordinate mapY(lat),
// lat latitude in degrees. A "normal" is the unit starboard normal (dy, -dx)
// of a leg in the map plane. Elevations are metres, negative below sea level.

#include <cmath>

#include "earth/MapProjection.hpp"

namespace tessarin::swath {

// Pi as the swath and turn arithmetic was calibrated with.
inline constexpr double kSwathPi = 3.141592;

// Metres per degree: nominal straight-leg width, and edge search / turns.
inline constexpr float kMetresPerDegreeNominal = 111120.0f;
inline constexpr float kMetresPerDegreeEdge = 111111.0f;
// Kilometres per degree for the area sum and for the leg length.
inline constexpr float kKmPerDegreeArea = 111.11f;
inline constexpr float kKmPerDegreeLength = 111.12f;
inline constexpr float kNmPerKm = 0.53996f;

// One 5 degree step of the turn rotation.
inline constexpr double kCos5 = 0.9961947;
inline constexpr double kSin5 = 0.087155742;

inline float secantOf(double latDeg) { return static_cast<float>(1.0 / std::cos(latDeg * kSwathPi / 180.0)); }

// The bisection for one side's swath edge, from the track point (x, y map
// plane; lat degrees) towards (nx, ny) at the nominal width (map units):
// six depth probes between an inner and an outer point, each asking whether
// the floor there is deep enough for the half-swath to reach f * W.
struct EdgeSearch {
    static constexpr int kSteps = 6;
    double ox, oLat, ix, iLat;
    float nominalWidth;
    // The depth test uses the secant at the outer point, while the nominal
    // width was scaled by the secant at the leg's first waypoint: off the
    // equator the side towards the equator therefore reaches a little less.
    float k;
    float f = 1.0f;
    float s = 0.5f;
    float d = 0.0f;

    EdgeSearch(double x, double y, double lat, float nx, float ny, float width, float half)
        : ox(x + static_cast<double>(nx * width)),
          oLat(static_cast<float>(latitudeFromMapY(y + static_cast<double>(ny * width)))),
          ix(x),
          iLat(lat),
          nominalWidth(width),
          k(secantOf(oLat) * half) {}

    double midLon() const { return (ox + ix) * 0.5; }
    double midLat() const { return (oLat + iLat) * 0.5; }  // latitudes averaged, not map y
    void step(float depth) {
        const double mx = midLon();
        const double mLat = midLat();
        d = depth;
        if (f * nominalWidth * kMetresPerDegreeEdge / k > -d) {
            ox = mx;  // too shallow for the half-swath to reach f * W
            oLat = mLat;
            f -= s;
        } else {
            ix = mx;
            iLat = mLat;
            f += s;
        }
        s *= 0.5f;
    }
};

}  // namespace tessarin::swath
