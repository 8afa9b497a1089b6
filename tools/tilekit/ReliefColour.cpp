#include "ReliefColour.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::tilekit {

namespace {

struct Stop {
    double elevation;
    double r, g, b;
};

const Stop kSea[] = {
    {-7000.0, 10, 22, 70},  {-6000.0, 16, 34, 96},   {-5000.0, 24, 52, 132}, {-4000.0, 32, 72, 160},
    {-3000.0, 42, 96, 184}, {-2000.0, 58, 122, 204}, {-1000.0, 80, 150, 220}, {-200.0, 118, 186, 232},
    {0.0, 170, 222, 244},
};
const Stop kLand[] = {
    {0.0, 70, 140, 70},     {300.0, 120, 165, 85},   {900.0, 175, 175, 105}, {1800.0, 160, 125, 85},
    {2800.0, 140, 110, 95}, {3800.0, 235, 235, 235}, {9000.0, 255, 255, 255},
};

template <std::size_t N>
void ramp(const Stop (&stops)[N], double e, double& r, double& g, double& b) {
    if (e <= stops[0].elevation) {
        r = stops[0].r, g = stops[0].g, b = stops[0].b;
        return;
    }
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (e <= stops[i + 1].elevation) {
            const double t = (e - stops[i].elevation) / (stops[i + 1].elevation - stops[i].elevation);
            r = stops[i].r + t * (stops[i + 1].r - stops[i].r);
            g = stops[i].g + t * (stops[i + 1].g - stops[i].g);
            b = stops[i].b + t * (stops[i + 1].b - stops[i].b);
            return;
        }
    }
    r = stops[N - 1].r, g = stops[N - 1].g, b = stops[N - 1].b;
}

inline std::uint8_t byteOf(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

Rgb shadedRelief(double elevationM, double dzEast, double dzNorth) {
    double r, g, b;
    const bool land = elevationM > 0.0;
    if (land) ramp(kLand, elevationM, r, g, b);
    else ramp(kSea, elevationM, r, g, b);
    // Sea floor slopes are gentle: exaggerate them more than the land's.
    const double exaggeration = land ? 2.0 : 8.0;
    const double nx = -dzEast * exaggeration, ny = -dzNorth * exaggeration, nz = 1.0;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    // Light from the north-west, 45 degrees up.
    const double lx = -0.5, ly = 0.5, lz = 0.70710678;
    const double lit = (nx * lx + ny * ly + nz * lz) / len;
    const double factor = std::clamp(0.3 + 0.7 * lit / 0.70710678, 0.25, 1.35);
    return {byteOf(r * factor), byteOf(g * factor), byteOf(b * factor)};
}

}  // namespace tessarin::tilekit
