#include "area/LineSpacing.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/ExtinctionCurve.hpp"

namespace tessarin {
namespace {

constexpr double kMetresPerUnit = 111111.0;
constexpr double kSpacingPi = 3.141592;
// Depth samples a map unit: one a data-tile pixel (1/240 degree).
constexpr double kSamplesPerUnit = 240.0;
constexpr int kMaxSamples = 4000;
// A line moved closer is measured again; the spacing only shrinks, and a few
// rounds settle it on any floor a fill meets.
constexpr int kMaxRounds = 8;

float spacingAt(const SpacingContext& c, float elevation, double lat) {
    const float m = c.curve.swathMultiplierAt(elevation);
    const float sec = static_cast<float>(1.0 / std::cos(lat * kSpacingPi / 180.0));
    return static_cast<float>((1.0f - c.overlapPercent * 0.01f) * -(m * elevation) * sec / kMetresPerUnit);
}

}  // namespace

float spacingAlongLine(const SpacingContext& c, double ax, double ay, double bx, double by) {
    std::vector<InsidePiece> pieces = c.area.insidePieces(ax, ay, bx, by);
    if (pieces.empty()) pieces.push_back({ax, ay, bx, by});
    double total = 0.0;
    for (const InsidePiece& p : pieces) total += std::hypot(p.bx - p.ax, p.by - p.ay);
    const double perUnit = total * kSamplesPerUnit > kMaxSamples ? kMaxSamples / total : kSamplesPerUnit;

    bool any = false;
    float least = 0.0f;
    for (const InsidePiece& p : pieces) {
        const double len = std::hypot(p.bx - p.ax, p.by - p.ay);
        const int n = 2 + static_cast<int>(len * perUnit);
        for (int k = 0; k < n; ++k) {
            const double t = static_cast<double>(k) / (n - 1);
            const double x = p.ax + t * (p.bx - p.ax), y = p.ay + t * (p.by - p.ay);
            const double lat = latitudeFromMapY(y);
            float e = 5.0f;
            if (c.depthLookups) ++*c.depthLookups;
            if (!c.tiles.getDepth(x, lat, e)) continue;  // no data here: other samples decide
            const float s = spacingAt(c, e, lat);
            least = any ? std::min(least, s) : s;
            any = true;
        }
    }
    if (any) return least;
    // No sample has data: the 5 m that the lookup answers gives a spacing
    // below 0, which callers take as "no spacing".
    return spacingAt(c, 5.0f, latitudeFromMapY(0.5 * (ay + by)));
}

float spacingToNextLine(const SpacingContext& c, double ax, double ay, double bx, double by, double ux, double uy) {
    float spacing = spacingAlongLine(c, ax, ay, bx, by);
    for (int round = 0; round < kMaxRounds && spacing > 0.0f; ++round) {
        const double sx = spacing * ux, sy = spacing * uy;
        // Past the area the next line has no water of its own to measure.
        if (c.area.insidePieces(ax + sx, ay + sy, bx + sx, by + sy).empty()) break;
        const float next = spacingAlongLine(c, ax + sx, ay + sy, bx + sx, by + sy);
        if (next >= spacing) break;
        spacing = next;
    }
    return spacing;
}

}  // namespace tessarin
