// The dot image and ordinate tables a tile's coverage textures are made
// from, checked against the dots of the point drawing: every dot at its place
// with its colour and ordinates, nothing elsewhere, for tiles of each shape.

#include "render/CoverageDotTextures.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace tessarin {
namespace {

TEST(CoverageDotTextures, ImageHoldsEachDotAtItsPlace) {
    struct Case {
        const char* what;
        int width, height;
        unsigned seed;
    };
    const Case cases[] = {
        {"a full tile", 1920, 1920, 1},
        {"a narrow polar tile", 960, 1920, 2},
        {"a wide tile", 2048, 1920, 3},
        {"a short tile", 1920, 1000, 4},
    };
    float bandY[CoverageDotCache::kBandEdges];
    for (int k = 0; k < CoverageDotCache::kBandEdges; ++k) bandY[k] = 20.0f + 0.41f * static_cast<float>(k) + 0.001f * k * k;
    for (const Case& c : cases) {
        DepthTile tile(-36.0, 16.0, 8.0, 0);
        tile.allocate(c.width, c.height);
        std::mt19937 rng(c.seed);
        for (int r = 0; r < c.height; ++r) {
            std::uint8_t* bytes = tile.coverageRow(r);
            for (int col = 0; col < c.width; ++col) bytes[col] = static_cast<std::uint8_t>(rng() % 3 == 0 ? 0 : rng());
        }
        CoverageDotCache::Dots dots;
        CoverageDotCache::build(tile, -36.0f, bandY, dots);
        std::vector<std::uint8_t> rgba;
        std::vector<float> columnX, rowY;
        float lastRgb[3];
        CoverageDotTextures::buildImage(tile, -36.0f, bandY, rgba, columnX, rowY, lastRgb);

        const int columns = static_cast<int>(columnX.size());
        ASSERT_EQ(columns, (c.width + 3) / 4) << c.what;
        ASSERT_EQ(rgba.size(), static_cast<std::size_t>(columns) * CoverageDotTextures::kDotRows * 4) << c.what;
        EXPECT_EQ(std::memcmp(lastRgb, dots.lastRgb, sizeof lastRgb), 0) << c.what;
        // Each dot, found by its ordinates, at its place with its colour.
        std::vector<bool> seen(rgba.size() / 4, false);
        long misplaced = 0;
        for (int d = 0; d < dots.count(); ++d) {
            const float x = dots.xy[2 * d], y = dots.xy[2 * d + 1];
            // Both tables rise from west and from south.
            const auto ix = std::lower_bound(columnX.begin(), columnX.end(), x);
            const auto jy = std::lower_bound(rowY.begin(), rowY.end(), y);
            const int i = static_cast<int>(ix - columnX.begin());
            const int j = static_cast<int>(jy - rowY.begin());
            if (ix == columnX.end() || *ix != x || jy == rowY.end() || *jy != y) {
                ++misplaced;
                continue;
            }
            const std::size_t place = static_cast<std::size_t>(j) * columns + i;
            misplaced += std::memcmp(&rgba[place * 4], &dots.rgba[4 * d], 4) != 0 || seen[place];
            seen[place] = true;
        }
        EXPECT_EQ(misplaced, 0) << c.what;
        long strays = 0;
        for (std::size_t p = 0; p < seen.size(); ++p)
            if (!seen[p]) strays += (rgba[4 * p] | rgba[4 * p + 1] | rgba[4 * p + 2] | rgba[4 * p + 3]) != 0;
        EXPECT_EQ(strays, 0) << c.what;
    }
}

}  // namespace
}  // namespace tessarin
