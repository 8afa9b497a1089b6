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

// Each dot colour as the current colour a drawing leaves behind, and as the
// bytes of a colour array or texture. 0.7 of 255 is 178.5 in exact
// arithmetic and 0.7f a hair less, so 178. Points drawn one by one with 0.7
// came out as 178 or as 179 depending on how the rasteriser batched them, so
// no byte matches every old frame; the bytes give the same colour in every
// frame.
struct DotColour {
    float rgb[3];
    std::uint8_t rgba[4];
};

// What a tile's dots were made from. They are stale when the coverage has
// changed (see DepthTile::coverageIdentity and coverageVersion), when another
// tile took the cell, or when the band ordinates differ. The object's address
// alone is not enough (a freed tile's memory is reused by the next one);
// identity and version are, and the rest keeps the dots honest should a tile
// be resized or the band table change.
struct CoverageStamp {
    bool made = false;
    const DepthTile* tile = nullptr;
    std::uint64_t identity = 0;
    std::uint64_t version = 0;
    int width = 0;
    int height = 0;
    float lon0 = 0.0f;
    float bandY[21] = {};

    bool matches(const DepthTile& t, float tileLon0, const float* tileBandY) const;
    void take(const DepthTile& t, float tileLon0, const float* tileBandY);
};

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

    // Walks the dots of a tile in drawing order, as build does, calling
    // visit(column / 4, 48 * band + row / 2, x, y, colour) for each; returns
    // the colour in force after the last (red when there is none).
    template <typename Visit>
    static const DotColour& walk(const DepthTile& tile, float lon0, const float* bandY, Visit visit);

    // The dots of the tile of record index cell (any number unique to the
    // grid cell), remade when stale.
    const Dots& dotsOf(int cell, const DepthTile& tile, float lon0, const float* bandY);
    // Frees the dots of a cell whose tile is no longer drawn.
    void forget(int cell);

    // How many times dots were made, for tests of the staleness rule.
    long builds() const { return builds_; }

private:
    struct Entry {
        CoverageStamp stamp;
        Dots dots;
    };
    std::vector<Entry> entries_;
    long builds_ = 0;
};

inline constexpr DotColour kDotRed{{1.0f, 0.0f, 0.0f}, {255, 0, 0, 255}};
inline constexpr DotColour kDotYellow{{1.0f, 1.0f, 0.0f}, {255, 255, 0, 255}};
inline constexpr DotColour kDotDarkCyan{{0.0f, 0.7f, 0.7f}, {0, 178, 178, 255}};
inline constexpr DotColour kDotCyan{{0.0f, 1.0f, 1.0f}, {0, 255, 255, 255}};

template <typename Visit>
const DotColour& CoverageDotCache::walk(const DepthTile& tile, float lon0, const float* bandY, Visit visit) {
    const DotColour* colour = &kDotRed;
    if (!tile.hasRows() || tile.width <= 0) return *colour;
    // The products and sums are the ones the point-by-point drawing made, in
    // single precision and in the same order, so every dot lands on the same
    // pixel as before.
    const float columnStep = 8.0f / static_cast<float>(tile.width);
    for (int c = 0; c < tile.width; c += 4) {
        const float x = lon0 + static_cast<float>(c) * columnStep;
        for (int k = 0; k < 20; ++k) {
            const float rowStep = (bandY[k + 1] - bandY[k]) / 96.0f;
            for (int r = 0; r <= 94; r += 2) {
                const int row = DepthTile::kRows - 1 - 96 * k - r;
                // A tile shorter than the full 1920 rows has no bytes for
                // the rows it lacks.
                if (row < 0 || row >= tile.height) continue;
                const std::uint8_t v = tile.coverageRow(row)[c];
                if (v == 0) continue;
                if (v & 0x40) {          // reference
                    colour = &kDotYellow;
                } else if (v & 0x10) {   // overlap
                    colour = &kDotDarkCyan;
                } else if (v & 0x20) {   // pass
                    colour = &kDotCyan;
                }
                visit(c / 4, 48 * k + r / 2, x, bandY[k] + static_cast<float>(r) * rowStep, *colour);
            }
        }
    }
    return *colour;
}

}  // namespace tessarin
