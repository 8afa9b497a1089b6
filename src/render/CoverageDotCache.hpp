#pragma once
// The coverage dots of every resident tile, kept between frames so that a
// frame of the coverage view draws arrays instead of walking coverage bytes.
// A tile's dots are remade only when its coverage has changed (see
// DepthTile::coverageIdentity and coverageVersion), when another tile took
// its place, or when its band ordinates differ from those they were made with.
//
// Dots are in the map plane (x = longitude in degrees, y = mapY) before the
// tile's 360-degree shift near the 180-degree meridian, which the drawing
// applies. Making them needs no GL.

#include <cstdint>
#include <vector>

#include "earth/DepthTile.hpp"

namespace tessarin {

class CoverageDotCache {
public:
    // Map ordinates of the 21 edges of a tile's twenty 0.4-degree bands,
    // south edge first.
    static constexpr int kBandEdges = 21;

    struct Dots {
        std::vector<float> xy;            // x, y of each dot, in drawing order
        std::vector<std::uint8_t> rgba;   // the colour each dot is drawn in, opaque
        // The colour in force after the last dot (red when there is none):
        // the current colour a walk drawing point by point leaves behind.
        float lastRgb[3] = {1.0f, 0.0f, 0.0f};
        int count() const { return static_cast<int>(xy.size() / 2); }
    };

    // The dots of one tile: one coverage byte in eight (every 4th column,
    // every 2nd row of each band), skipping zero bytes, columns west to east
    // and within a column bands south to north. A dot takes yellow for the
    // reference bit, dark cyan for overlap, cyan for pass; a byte with none
    // of these keeps the colour of the dot before it, red for the first.
    static void build(const DepthTile& tile, float lon0, const float* bandY, Dots& dots);

    // The dots of the tile of record index cell (any number unique to the
    // grid cell), remade when stale.
    const Dots& dotsOf(int cell, const DepthTile& tile, float lon0, const float* bandY);
    // Frees the dots of a cell whose tile is no longer drawn.
    void forget(int cell);

    // How many times dots were made, for tests of the staleness rule.
    long builds() const { return builds_; }

private:
    struct Entry {
        bool made = false;
        const DepthTile* tile = nullptr;
        std::uint64_t identity = 0;
        std::uint64_t version = 0;
        int width = 0;
        int height = 0;
        float lon0 = 0.0f;
        float bandY[kBandEdges] = {};
        Dots dots;
    };
    std::vector<Entry> entries_;
    long builds_ = 0;
};

}  // namespace tessarin
