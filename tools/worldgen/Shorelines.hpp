#pragma once
// Real shorelines of the sample region (GSHHG, cut once with GMT into
// data/shores/, built into the generator): the open mainland coast and the
// closed island rings, longitude and latitude in degrees.

#include <string>
#include <vector>

#include "Geography.hpp"

namespace tessarin::worldgen {

struct Shorelines {
    std::vector<GeoPoint> mainland;  // open: the coast between two edges of the cut region
    std::vector<Ring> islands;       // closed implicitly (no repeated end point)
};

// Reads GMT's multi-segment text ("> header" lines, then "lon lat" per
// line) and joins the pieces that meet end to start, as GMT cuts shorelines
// at its storage bins. Pieces that close on themselves become island rings;
// the longest open line is the mainland (other open lines are dropped).
Shorelines parseShorelines(const std::string& text);

// The region's shorelines, parsed once.
const Shorelines& sampleShorelines();

}  // namespace tessarin::worldgen
