#pragma once
// Seeded value noise for the generated world. Everything here is a pure
// function of its arguments and the seed, so two runs with the same seed give
// the same bytes whatever the thread layout. No library random generator is
// used: their sequences differ between standard libraries.

#include <cstdint>

namespace tessarin::worldgen {

// 32-bit avalanche hash of a lattice point and a seed.
std::uint32_t hashPoint(std::int64_t x, std::int64_t y, std::uint32_t seed);

// Uniform number in [0, 1) from a hash.
inline double unitFromHash(std::uint32_t h) { return static_cast<double>(h) * (1.0 / 4294967296.0); }

// Smooth gradient noise in [-1, 1], one lattice cell per unit of x and y.
double valueNoise(double x, double y, std::uint32_t seed);

// Fractal sum of value noise, result in [-1, 1]. The first octave has the
// wavelength baseWavelength (same units as x and y); each further octave halves
// it. Octaves shorter than minWavelength are left out (the last one kept fades
// in), so a coarse picture of the world sees the same large shapes as a fine
// tile, only smoother. The sum is normalised by the weight of all octaves, not
// only the kept ones, for the same reason.
double fractalNoise(double x, double y, std::uint32_t seed, double baseWavelength, int octaves,
                    double minWavelength);

// Ridged variant in [0, 1]: sharp crests where the noise crosses zero; used
// for mountain ranges.
double ridgedNoise(double x, double y, std::uint32_t seed, double baseWavelength, int octaves,
                   double minWavelength);

}  // namespace tessarin::worldgen
