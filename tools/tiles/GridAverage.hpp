#pragma once
// Coarse pictures of a grid (the overview pictures and globe tiles): each
// output pixel is the mean of the grid pixels whose centres lie in it, no-data
// pixels left out; a grid coarser than the picture gives the pixel under the
// output pixel's centre. The grid is read in strips of rows, so a 72-degree
// block of a 15 arc-second grid never sits in memory whole.

#include "GridSource.hpp"
#include "ReliefRenderer.hpp"

#include <string>

namespace tessarin::tiles {

// Fills grid with a width x height area (and its one-pixel margin) whose
// north-west corner is (west, north), pixels degPerCol x degPerRow degrees.
// Output pixels the grid does not reach have no value (NaN).
bool averagedGrid(GridSource& source, double west, double north, double degPerCol, double degPerRow, int width,
                  int height, tilekit::ElevationGrid& grid, std::string& error);

}  // namespace tessarin::tiles
