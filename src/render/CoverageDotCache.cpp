#include "render/CoverageDotCache.hpp"

#include <algorithm>
#include <cstring>

namespace tessarin {
namespace {

constexpr std::uint8_t kReferenceBit = 0x40;
constexpr std::uint8_t kOverlapBit = 0x10;
constexpr std::uint8_t kPassBit = 0x20;

// Each colour as the current colour a drawing leaves behind, and as the bytes
// of the colour array. 0.7 of 255 is 178.5 in exact arithmetic and 0.7f a
// hair less, so 178. Points drawn one by one with 0.7 came out as 178 or as
// 179 depending on how the rasteriser batched them, so no byte matches every
// old frame; the bytes give the same colour in every frame.
struct Colour {
    float rgb[3];
    std::uint8_t rgba[4];
};
constexpr Colour kRed{{1.0f, 0.0f, 0.0f}, {255, 0, 0, 255}};
constexpr Colour kYellow{{1.0f, 1.0f, 0.0f}, {255, 255, 0, 255}};
constexpr Colour kDarkCyan{{0.0f, 0.7f, 0.7f}, {0, 178, 178, 255}};
constexpr Colour kCyan{{0.0f, 1.0f, 1.0f}, {0, 255, 255, 255}};

}  // namespace

void CoverageDotCache::build(const DepthTile& tile, float lon0, const float* bandY, Dots& dots) {
    dots.xy.clear();
    dots.rgba.clear();
    std::copy(kRed.rgb, kRed.rgb + 3, dots.lastRgb);
    if (!tile.hasRows() || tile.width <= 0) return;
    // The products and sums are the ones the point-by-point drawing made, in
    // single precision and in the same order, so every dot lands on the same
    // pixel as before.
    const float columnStep = 8.0f / static_cast<float>(tile.width);
    const Colour* colour = &kRed;
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
                if (v & kReferenceBit) {
                    colour = &kYellow;
                } else if (v & kOverlapBit) {
                    colour = &kDarkCyan;
                } else if (v & kPassBit) {
                    colour = &kCyan;
                }
                dots.xy.push_back(x);
                dots.xy.push_back(bandY[k] + static_cast<float>(r) * rowStep);
                dots.rgba.insert(dots.rgba.end(), colour->rgba, colour->rgba + 4);
            }
        }
    }
    std::copy(colour->rgb, colour->rgb + 3, dots.lastRgb);
}

const CoverageDotCache::Dots& CoverageDotCache::dotsOf(int cell, const DepthTile& tile, float lon0,
                                                       const float* bandY) {
    if (cell >= static_cast<int>(entries_.size())) entries_.resize(static_cast<std::size_t>(cell) + 1);
    Entry& e = entries_[static_cast<std::size_t>(cell)];
    // The object's address alone is not enough (a freed tile's memory is
    // reused by the next one); identity and version are, and the rest keeps
    // the dots honest should a tile be resized or the band table change.
    const bool fresh = e.made && e.tile == &tile && e.identity == tile.coverageIdentity() &&
                       e.version == tile.coverageVersion() && e.width == tile.width && e.height == tile.height &&
                       e.lon0 == lon0 && std::memcmp(e.bandY, bandY, sizeof e.bandY) == 0;
    if (!fresh) {
        build(tile, lon0, bandY, e.dots);
        e.made = true;
        e.tile = &tile;
        e.identity = tile.coverageIdentity();
        e.version = tile.coverageVersion();
        e.width = tile.width;
        e.height = tile.height;
        e.lon0 = lon0;
        std::memcpy(e.bandY, bandY, sizeof e.bandY);
        ++builds_;
    }
    return e.dots;
}

void CoverageDotCache::forget(int cell) {
    if (cell < 0 || cell >= static_cast<int>(entries_.size())) return;
    Entry& e = entries_[static_cast<std::size_t>(cell)];
    if (!e.made) return;
    e = Entry{};
}

}  // namespace tessarin
