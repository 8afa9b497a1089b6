#include "TileRenderer.hpp"

#include "ReliefRenderer.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::worldgen {

namespace {

constexpr int kCell = tilekit::kCellPixels;
constexpr double kPixelsPerDegree = tilekit::kPixelsPerDegree;

// Elevations at the pixel centres of the area and its one-pixel margin.
void sampleGrid(const WorldModel& world, double west, double north, double degPerCol, double degPerRow, int width,
                int height, const Detail& detail, tilekit::ElevationGrid& grid) {
    grid.reset(width, height, north, degPerCol, degPerRow, 0.0f);
    for (int r = -1; r <= height; ++r) {
        const double lat = north - (r + 0.5) * degPerRow;
        for (int c = -1; c <= width; ++c) {
            const double lon = west + (c + 0.5) * degPerCol;
            grid.at(r, c) = static_cast<float>(world.elevationM(lon, lat, detail));
        }
    }
}

}  // namespace

void renderCell(const WorldModel& world, const ReferenceSurvey& survey, int lon0, int lat0, bool wantData,
                bool wantPicture, CellImages& out) {
    const double north = lat0 + 8.0;
    const double step = 1.0 / kPixelsPerDegree;
    tilekit::ElevationGrid grid;
    sampleGrid(world, lon0, north, step, step, kCell, kCell, Detail{0.9, true, false}, grid);

    if (wantData) {
        std::vector<float> elevation(static_cast<std::size_t>(kCell) * kCell);
        for (int r = 0; r < kCell; ++r)
            std::copy_n(&grid.values[grid.index(r, 0)], kCell, &elevation[static_cast<std::size_t>(r) * kCell]);
        std::vector<std::uint8_t> mask;
        survey.markCell(lon0, lat0, elevation, mask);
        out.referencePixels = tilekit::encodeDataTile(grid, mask.data(), out.dataRgba);
    }
    if (wantPicture) {
        out.pictureWidth = pictureWidthFor(lat0);
        tilekit::renderRelief(grid, out.pictureWidth, out.pictureRgb);
    }
}

void renderPicture(const WorldModel& world, double lon0, double lat0, double lonSpan, double latSpan, int width,
                   int height, const Detail& detail, std::vector<std::uint8_t>& rgb) {
    const double north = lat0 + latSpan;
    tilekit::ElevationGrid grid;
    sampleGrid(world, lon0, north, lonSpan / width, latSpan / height, width, height, detail, grid);
    tilekit::renderRelief(grid, width, rgb);
}

}  // namespace tessarin::worldgen
