#pragma once
// Fixed geography of the generated world: coastlines, volcanic islands and
// named seamounts, fracture zones, the trench, the spreading ridge and the
// ports that ship tracks join. Positions are longitude and latitude in
// degrees (west and south negative). The north-east Pacific has the real
// coastlines and is drawn with some care (it is what the sample world is
// used for); the rest of the globe is only rough enough for the overview
// pictures.

#include <vector>

namespace tessarin::worldgen {

struct GeoPoint {
    double lon;
    double lat;
};

using Ring = std::vector<GeoPoint>;

// Land outlines, closed implicitly (last point joins the first): drawn by
// hand, but in the sample region (180 W to 100 W, 0 to 45 N) the real
// shorelines (Shorelines.hpp), the mainland coast spliced into the Americas.
const std::vector<Ring>& landRings();

// A volcano placed by hand. summitM is the elevation of its top (positive for
// islands); radiusKm the base radius; aspect stretches it along bearingDeg
// (degrees clockwise from north). flatTop makes a guyot or an atoll bank.
struct Volcano {
    GeoPoint centre;
    double summitM;
    double radiusKm;
    double aspect;
    double bearingDeg;
    bool flatTop;
};
const std::vector<Volcano>& namedVolcanoes();

// A fracture zone: a straight trough from west to east end.
struct FractureZone {
    GeoPoint west;
    GeoPoint east;
    double stepM;  // depth offset across it (positive: the north side is deeper)
};
const std::vector<FractureZone>& fractureZones();

// Trench axis, north-west to south-east.
const std::vector<GeoPoint>& trenchAxis();

// Axis of the spreading ridge by latitude (south to north), where the sea
// floor is youngest.
const std::vector<GeoPoint>& ridgeAxis();

// Axis of the island chain swell, from the young end to the old end.
const std::vector<GeoPoint>& chainAxis();

// Harbours that the reference ship tracks start and end at.
struct Port {
    const char* name;
    GeoPoint at;
};
const std::vector<Port>& ports();

}  // namespace tessarin::worldgen
