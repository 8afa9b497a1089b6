#pragma once
// Cutting map-plane lines and rings where they cross the 180-degree meridian,
// so that each piece lies within -180..180 degrees of longitude as GeoJSON
// wants. Map plane: x = longitude in degrees, unwrapped (a leg may run from
// 179 to 181); y = mapY(latitude), not degrees. Plan geometry is straight in
// the map plane, so crossing points are interpolated there.

#include <vector>

namespace tessarin {

struct PlanePoint {
    double x = 0.0;  // longitude, degrees, unwrapped
    double y = 0.0;  // map-plane y
};

// x brought into -180 <= x < 180.
double wrapLongitude(double x);

// The pieces of an open line between successive crossings of x = 180 + 360k,
// each shifted by whole turns into -180..180. A line that crosses nothing
// comes back as one piece.
std::vector<std::vector<PlanePoint>> splitLine(const std::vector<PlanePoint>& line);

// The parts of a ring (given without the closing repeat) inside each
// 360-degree window it reaches, each shifted into -180..180 and returned
// without the closing repeat. Parts with fewer than three vertices are
// dropped.
std::vector<std::vector<PlanePoint>> splitRing(const std::vector<PlanePoint>& ring);

// The signed area of a ring given without the closing repeat,
// positive when it runs counter-clockwise (latitude grows with map-plane y,
// so the orientation is the same in degrees).
double ringSignedArea(const std::vector<PlanePoint>& ring);

// The ring counter-clockwise: reversed when it runs the other way.
std::vector<PlanePoint> counterClockwise(std::vector<PlanePoint> ring);

}  // namespace tessarin
