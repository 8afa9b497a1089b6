#pragma once
// The coverage dots of every resident tile as textures, so that a frame of
// the coverage view costs the same at any coverage: one quad per tile instead
// of one point per dot.
//
// Each tile has a dot image (one texel per dot place: 480 columns of a
// 1920-column tile, 48 rows in each of its 20 bands) holding the colour the
// dot is drawn in and whether there is one, and a table of the dots' map
// ordinates (x of each column, y of each row) as the point drawing computed
// them. A fragment program finds, for each window pixel, the dot a
// point-by-point drawing would have left there (the last one drawn among
// those landing in the pixel) by taking the rasteriser's rule for a
// one-pixel point, and otherwise leaves the pixel alone. Both textures are
// remade only when the tile's coverage changed (CoverageStamp).
//
// Needs a GL context with GLSL 1.30; available() is false without one, and
// the caller then draws the dots as points.

#include <cstdint>
#include <vector>

#include "render/CoverageDotCache.hpp"

namespace tessarin {

class CoverageDotTextures {
public:
    CoverageDotTextures() = default;
    CoverageDotTextures(const CoverageDotTextures&) = delete;
    CoverageDotTextures& operator=(const CoverageDotTextures&) = delete;
    ~CoverageDotTextures();  // makes no GL call

    // Builds the program on the first call; false when the context cannot.
    bool available();

    // Draws the dots of the tile of cell (any number unique to the grid
    // cell) in the current map transform, remaking its textures when stale.
    // Returns the colour in force after the tile's last dot (red when it has
    // none). Leaves the program and texture bindings as it found them.
    const float* draw(int cell, const DepthTile& tile, float lon0, const float* bandY);
    // Frees the textures of a cell whose tile is no longer drawn.
    void forget(int cell);

    // How many times a tile's textures were made, for tests of the
    // staleness rule.
    long builds() const { return builds_; }

    // The dot image of a tile, RGBA rows of `columns` texels, 960 rows south
    // first: the dot's colour bytes, alpha 255 where there is a dot, else
    // all zero. Needs no GL.
    static void buildImage(const DepthTile& tile, float lon0, const float* bandY, std::vector<std::uint8_t>& rgba,
                           std::vector<float>& columnX, std::vector<float>& rowY, float lastRgb[3]);

    static constexpr int kDotRows = 960;

private:
    struct Entry {
        CoverageStamp stamp;
        unsigned image = 0;   // RGBA dot image
        unsigned places = 0;  // R32F, row 0 x of each column, row 1 y of each row
        int columns = 0;
        float lastRgb[3] = {1.0f, 0.0f, 0.0f};
    };
    void upload(Entry& e, const DepthTile& tile, float lon0, const float* bandY);
    void release(Entry& e);

    std::vector<Entry> entries_;
    long builds_ = 0;
    int state_ = 0;  // 0 not tried, 1 ready, -1 unavailable
    unsigned program_ = 0;
    int uImage_ = -1, uPlaces_ = -1, uColumns_ = -1, uBandY_ = -1, uLon0_ = -1, uColumnStep_ = -1;
    int uViewport_ = -1, uHalfPixel_ = -1;
    // Scratch of the last upload, kept to spare allocations.
    std::vector<std::uint8_t> rgba_;
    std::vector<float> columnX_, rowY_, places_;
};

}  // namespace tessarin
