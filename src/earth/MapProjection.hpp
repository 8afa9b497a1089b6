#pragma once
// Map plane: x is longitude in degrees; y is mapY(latitude), a Mercator ordinate
// scaled by 60 (not 180/pi), so y is NOT in degrees: near the equator one
// degree of latitude is about 1.047 units of y.
//
// The decimal constants are written as the stored files and the swath
// computations were calibrated with; do not replace them with M_PI.

namespace tessarin {

inline constexpr double kPi = 3.1415926536;
inline constexpr double kQuarterPi = 0.7853981634;

// Map-plane y of a latitude in degrees.
double mapY(double latDeg);

// Latitude in degrees of a map-plane y.
double latitudeFromMapY(double mapYUnits);

// mapY of latitudes -72.0, -71.9, ... 72.9 degrees (1450 entries), single
// precision, for the graticule.
struct MapYTable {
    static constexpr int kSize = 1450;
    float values[kSize];
    MapYTable();
    float operator[](int j) const { return values[j]; }
};

}  // namespace tessarin
