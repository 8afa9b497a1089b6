#pragma once
// Data tiles as the planner reads them: per pixel, the depth code
// (elevation + 12000) * 3 in red (high byte) and green (low byte), 3 in blue
// where the pixel was surveyed by multibeam, alpha 255.

#include "ReliefRenderer.hpp"

#include <cstdint>
#include <vector>

namespace tessarin::tilekit {

// Code of an elevation: code / 3 - 12000 = elevation, rounded to the nearest
// third of a metre and kept inside 16 bits.
std::uint16_t depthCodeOf(double elevationM);

// Where the grid has no data (beyond the poles, outside the source grid)
// the tile reads as sea level: a swath there has no width, so nothing is
// planned on made-up depths.
constexpr double kNoDataElevation = 0.0;
constexpr std::uint8_t kMultibeamBlue = 3;

// RGBA pixels of the grid's area (its margin is not part of the tile).
// multibeam, when not null, holds width x height bytes, non-zero where the
// pixel was surveyed by multibeam. Returns the number of multibeam pixels.
long encodeDataTile(const ElevationGrid& grid, const std::uint8_t* multibeam, std::vector<std::uint8_t>& rgba);

}  // namespace tessarin::tilekit
