#include "Noise.hpp"

#include <cmath>

namespace tessarin::worldgen {

std::uint32_t hashPoint(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full + 0x165667B19E3779F9ull;
    h ^= static_cast<std::uint64_t>(seed) * 0x85EBCA77C2B2AE63ull;
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 27;
    h *= 0x94D049BB133111EBull;
    h ^= h >> 33;
    return static_cast<std::uint32_t>(h);
}

namespace {

// Sixteen gradient directions, evenly spread; a hashed lattice point picks one.
const double kGradX[16] = {1.0, 0.92388, 0.70711, 0.38268, 0.0, -0.38268, -0.70711, -0.92388,
                           -1.0, -0.92388, -0.70711, -0.38268, 0.0, 0.38268, 0.70711, 0.92388};
const double kGradY[16] = {0.0, 0.38268, 0.70711, 0.92388, 1.0, 0.92388, 0.70711, 0.38268,
                           0.0, -0.38268, -0.70711, -0.92388, -1.0, -0.92388, -0.70711, -0.38268};

inline double corner(std::int64_t ix, std::int64_t iy, double dx, double dy, std::uint32_t seed) {
    const std::uint32_t g = hashPoint(ix, iy, seed) & 15u;
    return kGradX[g] * dx + kGradY[g] * dy;
}

inline double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

}  // namespace

// Gradient noise: unlike plain value noise it shows no square lattice in
// ridged sums or hill shading.
double valueNoise(double x, double y, std::uint32_t seed) {
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const auto ix = static_cast<std::int64_t>(fx);
    const auto iy = static_cast<std::int64_t>(fy);
    const double dx = x - fx, dy = y - fy;
    const double tx = fade(dx);
    const double ty = fade(dy);
    const double a = corner(ix, iy, dx, dy, seed);
    const double b = corner(ix + 1, iy, dx - 1.0, dy, seed);
    const double c = corner(ix, iy + 1, dx, dy - 1.0, seed);
    const double d = corner(ix + 1, iy + 1, dx - 1.0, dy - 1.0, seed);
    const double top = a + (b - a) * tx;
    const double bottom = c + (d - c) * tx;
    const double v = (top + (bottom - top) * ty) * 1.41421356;
    return v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
}

namespace {

// Octave rotations (cosine and sine of 0, 37, 74, ... degrees).
const double kRotC[8] = {1.0, 0.79864, 0.27564, -0.35837, -0.85717, -0.99863, -0.74314, -0.19081};
const double kRotS[8] = {0.0, 0.60182, 0.96126, 0.93358, 0.51504, -0.05234, -0.66913, -0.98163};

// Weight of an octave of wavelength w when details below minWavelength are
// dropped: full from twice the limit, fading to nothing at the limit.
inline double octaveKeep(double w, double minWavelength) {
    const double k = w / minWavelength - 1.0;
    return k >= 1.0 ? 1.0 : (k <= 0.0 ? 0.0 : k);
}

// Sums octaves of halving wavelength and amplitude; octave(o, u, v) gives one
// octave's value at lattice coordinates (u, v). Each octave is turned against
// the last so lattice directions do not add up.
template <typename Octave>
double sumOctaves(double x, double y, double baseWavelength, int octaves, double minWavelength, Octave octave) {
    double sum = 0.0;
    double norm = 0.0;
    double amplitude = 1.0;
    double wavelength = baseWavelength;
    for (int o = 0; o < octaves; ++o) {
        norm += amplitude;
        const double keep = octaveKeep(wavelength, minWavelength);
        if (keep > 0.0) {
            const double u = (kRotC[o & 7] * x - kRotS[o & 7] * y) / wavelength;
            const double v = (kRotS[o & 7] * x + kRotC[o & 7] * y) / wavelength;
            sum += keep * amplitude * octave(o, u, v);
        }
        amplitude *= 0.5;
        wavelength *= 0.5;
    }
    return norm > 0.0 ? sum / norm : 0.0;
}

}  // namespace

double fractalNoise(double x, double y, std::uint32_t seed, double baseWavelength, int octaves,
                    double minWavelength) {
    return sumOctaves(x, y, baseWavelength, octaves, minWavelength, [seed](int o, double u, double v) {
        return valueNoise(u, v, seed + 7919u * static_cast<std::uint32_t>(o));
    });
}

double ridgedNoise(double x, double y, std::uint32_t seed, double baseWavelength, int octaves,
                   double minWavelength) {
    return sumOctaves(x, y, baseWavelength, octaves, minWavelength, [seed](int o, double u, double v) {
        const double n = 1.0 - std::fabs(valueNoise(u, v, seed + 104729u * static_cast<std::uint32_t>(o)));
        return n * n;
    });
}

}  // namespace tessarin::worldgen
