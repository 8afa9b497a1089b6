#pragma once
// How far apart two neighbouring survey lines may lie for their swaths to
// overlap by a set share. Map plane: x = longitude in degrees, y =
// mapY(latitude) (not degrees); spacings are map units, 111111 metres a unit
// times the secant of the latitude where they are measured. Elevations are
// metres, negative below sea level.

#include <cstdint>

namespace tessarin {

struct ExtinctionCurve;
class SurveyPolygon;
class TileStore;

struct SpacingContext {
    const SurveyPolygon& area;    // only the parts of a line inside it count
    TileStore& tiles;             // depths (loads tiles on demand)
    const ExtinctionCurve& curve; // swath multiplier by elevation
    float overlapPercent;         // share of a swath neighbours share
    std::uint64_t* depthLookups = nullptr;  // counts lookups when set
};

// Spacing that the narrowest swath along the line (ax, ay)-(bx, by) allows:
// (1 - overlap) * m * depth * sec / 111111 at every depth sample of the
// line's parts inside the area (the whole line where none lies inside), each
// at its own latitude, and the least of them. Not above 0 where a sample is
// land, or where no sample has data (5 m is used then).
float spacingAlongLine(const SpacingContext& c, double ax, double ay, double bx, double by);

// Spacing from the line (ax, ay)-(bx, by) to the next line, the same line
// moved by the spacing along the unit map-plane direction (ux, uy): the
// shallowest water along the next line inside the area, at that line's own
// latitudes, decides, and so does this line's own (its swath has to reach
// too). On a flat floor this is (1 - overlap) * m * depth * sec / 111111 at
// this line's latitude. Not above 0 where the water gives no spacing (land
// or no depth data).
float spacingToNextLine(const SpacingContext& c, double ax, double ay, double bx, double by, double ux, double uy);

}  // namespace tessarin
