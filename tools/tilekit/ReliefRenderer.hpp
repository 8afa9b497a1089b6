#pragma once
// Shaded pictures of an elevation grid: the relief colour of each pixel's
// elevation in metres (one ramp for every picture, so neighbouring tiles and
// the overviews agree) times a hill shade from the slopes to the pixel's
// neighbours. The grid carries a one-pixel margin all round taken from the
// neighbouring area, so two pictures that share an edge shade it alike.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessarin::tilekit {

// Elevations (metres, NaN where there is no data) at the pixel centres of a
// width x height picture area plus a one-pixel margin all round. Rows run
// from north to south.
struct ElevationGrid {
    int width = 0;
    int height = 0;
    double north = 0.0;      // north edge of the area (without margin), degrees
    double degPerCol = 0.0;  // pixel size east-west, degrees of longitude
    double degPerRow = 0.0;  // pixel size north-south, degrees of latitude
    std::vector<float> values;  // (height + 2) rows of (width + 2)

    // Sizes values for the area and sets every value to fill.
    void reset(int widthIn, int heightIn, double northIn, double degPerColIn, double degPerRowIn, float fill);
    int stride() const { return width + 2; }
    // Row r and column c of the area; -1 and width / height reach the margin.
    float& at(int r, int c) { return values[index(r, c)]; }
    float at(int r, int c) const { return values[index(r, c)]; }
    std::size_t index(int r, int c) const {
        return static_cast<std::size_t>(r + 1) * static_cast<std::size_t>(stride()) + static_cast<std::size_t>(c + 1);
    }
};

// Colour shown where the grid has no data.
constexpr std::uint8_t kNoDataGrey = 180;

// Renders the grid's area into outWidth x height RGB pixels. outWidth is the
// grid's width or a whole fraction of it (neighbouring columns are then
// averaged: the half-width pictures near the poles). Slopes use the
// east-west pixel size shrunk by cos(latitude) of the row, so shading does
// not grow steeper towards the poles; a missing neighbour counts as flat.
void renderRelief(const ElevationGrid& grid, int outWidth, std::vector<std::uint8_t>& rgb);

}  // namespace tessarin::tilekit
