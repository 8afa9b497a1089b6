#include "render/CoverageDotCache.hpp"

#include <algorithm>
#include <cstring>

namespace tessarin {

bool CoverageStamp::matches(const DepthTile& t, float tileLon0, const float* tileBandY) const {
    return made && tile == &t && identity == t.coverageIdentity() && version == t.coverageVersion() &&
           width == t.width && height == t.height && lon0 == tileLon0 &&
           std::memcmp(bandY, tileBandY, sizeof bandY) == 0;
}

void CoverageStamp::take(const DepthTile& t, float tileLon0, const float* tileBandY) {
    made = true;
    tile = &t;
    identity = t.coverageIdentity();
    version = t.coverageVersion();
    width = t.width;
    height = t.height;
    lon0 = tileLon0;
    std::memcpy(bandY, tileBandY, sizeof bandY);
}

void CoverageDotCache::build(const DepthTile& tile, float lon0, const float* bandY, Dots& dots) {
    dots.xy.clear();
    dots.rgba.clear();
    const DotColour& last = walk(tile, lon0, bandY, [&](int, int, float x, float y, const DotColour& colour) {
        dots.xy.push_back(x);
        dots.xy.push_back(y);
        dots.rgba.insert(dots.rgba.end(), colour.rgba, colour.rgba + 4);
    });
    std::copy(last.rgb, last.rgb + 3, dots.lastRgb);
}

const CoverageDotCache::Dots& CoverageDotCache::dotsOf(int cell, const DepthTile& tile, float lon0,
                                                       const float* bandY) {
    if (cell >= static_cast<int>(entries_.size())) entries_.resize(static_cast<std::size_t>(cell) + 1);
    Entry& e = entries_[static_cast<std::size_t>(cell)];
    if (!e.stamp.matches(tile, lon0, bandY)) {
        build(tile, lon0, bandY, e.dots);
        e.stamp.take(tile, lon0, bandY);
        ++builds_;
    }
    return e.dots;
}

void CoverageDotCache::forget(int cell) {
    if (cell < 0 || cell >= static_cast<int>(entries_.size())) return;
    Entry& e = entries_[static_cast<std::size_t>(cell)];
    if (!e.stamp.made) return;
    e = Entry{};
}

}  // namespace tessarin
