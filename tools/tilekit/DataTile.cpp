#include "DataTile.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::tilekit {

std::uint16_t depthCodeOf(double elevationM) {
    if (std::isnan(elevationM)) elevationM = kNoDataElevation;
    const double scaled = std::clamp((elevationM + 12000.0) * 3.0, 0.0, 65535.0);
    return static_cast<std::uint16_t>(std::lround(scaled));
}

long encodeDataTile(const ElevationGrid& grid, const std::uint8_t* multibeam, std::vector<std::uint8_t>& rgba) {
    const std::size_t w = static_cast<std::size_t>(std::max(grid.width, 0));
    const std::size_t h = static_cast<std::size_t>(std::max(grid.height, 0));
    rgba.resize(w * h * 4);
    long reference = 0;
    for (std::size_t r = 0; r < h; ++r) {
        const float* row = &grid.values[grid.index(static_cast<int>(r), 0)];
        std::uint8_t* out = &rgba[r * w * 4];
        for (std::size_t c = 0; c < w; ++c) {
            const std::uint16_t code = depthCodeOf(row[c]);
            const bool surveyed = multibeam && multibeam[r * w + c];
            out[c * 4] = static_cast<std::uint8_t>(code >> 8);
            out[c * 4 + 1] = static_cast<std::uint8_t>(code & 0xff);
            out[c * 4 + 2] = surveyed ? kMultibeamBlue : 0;
            out[c * 4 + 3] = 255;
            reference += surveyed;
        }
    }
    return reference;
}

}  // namespace tessarin::tilekit
