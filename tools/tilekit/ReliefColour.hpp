#pragma once
// Hill-shaded colour relief: sea in blues that darken with depth, land in
// greens, browns and white, lit from the north-west. The ramp is in absolute
// metres, the same for every picture, so tiles drawn apart match where they
// meet.

#include <cstdint>

namespace tessarin::tilekit {

struct Rgb {
    std::uint8_t r, g, b;
};

// Colour of an elevation (m) lit by the slopes dzEast and dzNorth (metres of
// rise per metre of ground towards east and north).
Rgb shadedRelief(double elevationM, double dzEast, double dzNorth);

}  // namespace tessarin::tilekit
