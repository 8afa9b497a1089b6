#pragma once
// How well each leg's swath abuts sea floor that is already mapped: across
// every second swath sample the strip from the starboard edge to the port
// edge is walked in 100 steps, and the sample is good on a side when mapped
// floor reaches in from that edge by less than a fifth of the swath.
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include <ostream>
#include <vector>

namespace tessarin {

class SurveyPlan;
class TileStore;
struct Waypoint;

// Per processed sample, the deepest mapped step counted from the starboard
// edge (right) and from the port edge (left), 0..100; -1 when nothing across
// the swath is mapped.
struct AbutProfile {
    std::vector<int> right;
    std::vector<int> left;
};

// The share of the leg's processed samples that abut mapped floor, on
// whichever side has more; prints the two percentages. A leg without swath
// samples abuts nothing and gives 0. Reads only resident coverage bytes.
float legAbutFraction(const Waypoint& leg, const TileStore& tiles, std::ostream& out, AbutProfile* profile = nullptr);

// One line per leg with its length and fraction, then the plan's total
// length, the length-weighted sum and their ratio.
void reportPathOverlap(const SurveyPlan& plan, const TileStore& tiles, std::ostream& out);

}  // namespace tessarin
