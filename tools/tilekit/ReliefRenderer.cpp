#include "ReliefRenderer.hpp"

#include "ReliefColour.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::tilekit {

namespace {

constexpr double kMetresPerDegree = 111200.0;
constexpr double kPi = 3.14159265358979323846;

}  // namespace

void ElevationGrid::reset(int widthIn, int heightIn, double northIn, double degPerColIn, double degPerRowIn,
                          float fill) {
    width = widthIn;
    height = heightIn;
    north = northIn;
    degPerCol = degPerColIn;
    degPerRow = degPerRowIn;
    values.assign(static_cast<std::size_t>(width + 2) * static_cast<std::size_t>(height + 2), fill);
}

void renderRelief(const ElevationGrid& grid, int outWidth, std::vector<std::uint8_t>& rgb) {
    const int width = grid.width, height = grid.height;
    const int merge = std::max(1, outWidth > 0 ? width / outWidth : 1);
    rgb.assign(static_cast<std::size_t>(std::max(outWidth, 0)) * static_cast<std::size_t>(height) * 3, 0);
    if (outWidth <= 0 || height <= 0) return;
    const double dyM = grid.degPerRow * kMetresPerDegree;
    for (int r = 0; r < height; ++r) {
        const double lat = grid.north - (r + 0.5) * grid.degPerRow;
        const double dxM = std::max(1.0, grid.degPerCol * kMetresPerDegree * std::cos(lat * kPi / 180.0));
        for (int o = 0; o < outWidth; ++o) {
            int sum[3] = {0, 0, 0};
            for (int k = 0; k < merge; ++k) {
                const int c = std::min(o * merge + k, width - 1);
                const float mid = grid.at(r, c);
                if (std::isnan(mid)) {
                    for (int& s : sum) s += kNoDataGrey;
                    continue;
                }
                auto around = [&](int rr, int cc) {
                    const float v = grid.at(rr, cc);
                    return std::isnan(v) ? mid : v;
                };
                const double dzEast = (around(r, c + 1) - around(r, c - 1)) / (2.0 * dxM);
                const double dzNorth = (around(r - 1, c) - around(r + 1, c)) / (2.0 * dyM);
                const Rgb p = shadedRelief(mid, dzEast, dzNorth);
                sum[0] += p.r, sum[1] += p.g, sum[2] += p.b;
            }
            std::uint8_t* px = &rgb[(static_cast<std::size_t>(r) * static_cast<std::size_t>(outWidth) + static_cast<std::size_t>(o)) * 3];
            for (int k = 0; k < 3; ++k) px[k] = static_cast<std::uint8_t>(sum[k] / merge);
        }
    }
}

}  // namespace tessarin::tilekit
