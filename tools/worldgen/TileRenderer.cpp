#include "TileRenderer.hpp"

#include "ReliefColour.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::worldgen {

namespace {

constexpr int kCell = 1920;
constexpr double kPixelsPerDegree = 240.0;
constexpr double kMetresPerDegree = 111200.0;
constexpr double kPi = 3.14159265358979323846;

// Elevations at pixel centres of a grid with a one-pixel border all round
// (for the slopes of the shading). Index (r + 1) * (width + 2) + (c + 1).
void sampleGrid(const WorldModel& world, double west, double north, double degPerCol, double degPerRow, int width,
                int height, const Detail& detail, std::vector<float>& grid) {
    const int stride = width + 2;
    grid.resize(static_cast<std::size_t>(stride) * (height + 2));
    for (int r = -1; r <= height; ++r) {
        const double lat = north - (r + 0.5) * degPerRow;
        float* row = &grid[static_cast<std::size_t>(r + 1) * stride];
        for (int c = -1; c <= width; ++c) {
            const double lon = west + (c + 0.5) * degPerCol;
            row[c + 1] = static_cast<float>(world.elevationM(lon, lat, detail));
        }
    }
}

void shadeGrid(const std::vector<float>& grid, double north, double degPerCol, double degPerRow, int width,
               int height, int outWidth, std::vector<std::uint8_t>& rgb) {
    const int stride = width + 2;
    const int merge = width / outWidth;  // 2 when the picture is half as wide
    rgb.assign(static_cast<std::size_t>(outWidth) * height * 3, 0);
    const double dyM = degPerRow * kMetresPerDegree;
    for (int r = 0; r < height; ++r) {
        const double lat = north - (r + 0.5) * degPerRow;
        const double dxM = std::max(1.0, degPerCol * kMetresPerDegree * std::cos(lat * kPi / 180.0));
        const float* up = &grid[static_cast<std::size_t>(r) * stride + 1];
        const float* mid = up + stride;
        const float* down = mid + stride;
        for (int o = 0; o < outWidth; ++o) {
            int sum[3] = {0, 0, 0};
            for (int k = 0; k < merge; ++k) {
                const int c = o * merge + k;
                const double dzEast = (mid[c + 1] - mid[c - 1]) / (2.0 * dxM);
                const double dzNorth = (up[c] - down[c]) / (2.0 * dyM);
                const Rgb p = shadedRelief(mid[c], dzEast, dzNorth);
                sum[0] += p.r, sum[1] += p.g, sum[2] += p.b;
            }
            std::uint8_t* px = &rgb[(static_cast<std::size_t>(r) * outWidth + o) * 3];
            for (int k = 0; k < 3; ++k) px[k] = static_cast<std::uint8_t>(sum[k] / merge);
        }
    }
}

}  // namespace

std::uint16_t depthCodeOf(double elevationM) {
    const long code = std::lround((elevationM + 12000.0) * 3.0);
    return static_cast<std::uint16_t>(std::clamp(code, 0L, 65535L));
}

int pictureWidthFor(int lat0) { return (lat0 >= 56 || lat0 <= -64) ? 960 : 1920; }

void renderCell(const WorldModel& world, const ReferenceSurvey& survey, int lon0, int lat0, bool wantData,
                bool wantPicture, CellImages& out) {
    const double north = lat0 + 8.0;
    const double step = 1.0 / kPixelsPerDegree;
    std::vector<float> grid;
    sampleGrid(world, lon0, north, step, step, kCell, kCell, Detail{0.9, true, false}, grid);

    if (wantData) {
        std::vector<float> elevation(static_cast<std::size_t>(kCell) * kCell);
        for (int r = 0; r < kCell; ++r)
            for (int c = 0; c < kCell; ++c)
                elevation[static_cast<std::size_t>(r) * kCell + c] = grid[static_cast<std::size_t>(r + 1) * (kCell + 2) + c + 1];
        std::vector<std::uint8_t> mask;
        survey.markCell(lon0, lat0, elevation, mask);
        out.dataRgb.resize(static_cast<std::size_t>(kCell) * kCell * 3);
        out.referencePixels = 0;
        for (std::size_t i = 0; i < elevation.size(); ++i) {
            const std::uint16_t code = depthCodeOf(elevation[i]);
            out.dataRgb[i * 3] = static_cast<std::uint8_t>(code >> 8);
            out.dataRgb[i * 3 + 1] = static_cast<std::uint8_t>(code & 0xff);
            out.dataRgb[i * 3 + 2] = mask[i] ? 3 : 0;
            out.referencePixels += mask[i];
        }
    }
    if (wantPicture) {
        out.pictureWidth = pictureWidthFor(lat0);
        shadeGrid(grid, north, step, step, kCell, kCell, out.pictureWidth, out.pictureRgb);
    }
}

void renderPicture(const WorldModel& world, double lon0, double lat0, double lonSpan, double latSpan, int width,
                   int height, const Detail& detail, std::vector<std::uint8_t>& rgb) {
    const double north = lat0 + latSpan;
    const double degPerCol = lonSpan / width, degPerRow = latSpan / height;
    std::vector<float> grid;
    sampleGrid(world, lon0, north, degPerCol, degPerRow, width, height, detail, grid);
    shadeGrid(grid, north, degPerCol, degPerRow, width, height, width, rgb);
}

}  // namespace tessarin::worldgen
