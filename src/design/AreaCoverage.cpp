#include "design/AreaCoverage.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

constexpr double kKmPerDegree = 111.112;
constexpr double kDegreesPerRadian = 57.29577951308232;
// Edge subdivisions of the area integral: an edge is straight in the map
// plane, not in longitude and sine of latitude.
constexpr int kEdgeSteps = 16;

double sinLat(double y) { return std::sin(latitudeFromMapY(y) / kDegreesPerRadian); }

struct Grid {
    double x0 = 0.0, y0 = 0.0, cell = 1.0;
    int nx = 0, ny = 0;
    std::vector<std::uint8_t> state;  // 1 inside, 2 inside and covered

    double cx(int i) const { return x0 + (i + 0.5) * cell; }
    double cy(int j) const { return y0 + (j + 0.5) * cell; }
    std::uint8_t& at(int i, int j) { return state[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i)]; }

    // Cells of row j whose centres lie in [xa, xb].
    template <typename Mark>
    void span(int j, double xa, double xb, Mark mark) {
        const int a = std::max(0, static_cast<int>(std::ceil((xa - x0) / cell - 0.5)));
        const int b = std::min(nx - 1, static_cast<int>(std::floor((xb - x0) / cell - 0.5)));
        for (int i = a; i <= b; ++i) mark(at(i, j));
    }
};

// The swath strip's triangles (starboard i, port i, starboard i+1) and
// (port i, starboard i+1, port i+1): row by row, the span between the
// crossings of the row centre with the triangle's edges.
void markTriangle(Grid& g, double ax, double ay, double bx, double by, double cx, double cy) {
    if (!std::isfinite(ax + ay + bx + by + cx + cy)) return;
    const double lo = std::min({ay, by, cy}), hi = std::max({ay, by, cy});
    const int j0 = std::max(0, static_cast<int>(std::ceil((lo - g.y0) / g.cell - 0.5)));
    const int j1 = std::min(g.ny - 1, static_cast<int>(std::floor((hi - g.y0) / g.cell - 0.5)));
    const double px[3] = {ax, bx, cx}, py[3] = {ay, by, cy};
    for (int j = j0; j <= j1; ++j) {
        const double y = g.cy(j);
        double xa = 1e300, xb = -1e300;
        for (int e = 0; e < 3; ++e) {
            const double x1 = px[e], y1 = py[e], x2 = px[(e + 1) % 3], y2 = py[(e + 1) % 3];
            if (y1 == y2) {
                if (y == y1) xa = std::min({xa, x1, x2}), xb = std::max({xb, x1, x2});
            } else if ((y1 <= y && y <= y2) || (y2 <= y && y <= y1)) {
                const double x = x1 + (y - y1) * (x2 - x1) / (y2 - y1);
                xa = std::min(xa, x), xb = std::max(xb, x);
            }
        }
        if (xa <= xb) g.span(j, xa, xb, [](std::uint8_t& s) {
            if (s == 1) s = 2;
        });
    }
}

}  // namespace

AreaCoverage coverageOfArea(const SurveyPolygon& area, const SurveyPlan& plan, int maxCells) {
    AreaCoverage result;
    const PolygonVertex* first = area.first();
    if (!first || first->next == first || first->next->next == first) return result;
    double minX = first->x, maxX = first->x, minY = first->y, maxY = first->y;
    std::vector<const PolygonVertex*> ring;
    const PolygonVertex* v = first;
    do {
        ring.push_back(v);
        minX = std::min(minX, v->x), maxX = std::max(maxX, v->x);
        minY = std::min(minY, v->y), maxY = std::max(maxY, v->y);
        v = v->next;
    } while (v != first);
    const double w = maxX - minX, h = maxY - minY;
    if (!(w > 0.0) || !(h > 0.0)) return result;

    Grid g;
    g.cell = std::sqrt(w * h / std::max(maxCells, 16));
    g.x0 = minX, g.y0 = minY;
    g.nx = std::max(1, static_cast<int>(std::ceil(w / g.cell)));
    g.ny = std::max(1, static_cast<int>(std::ceil(h / g.cell)));
    g.state.assign(static_cast<std::size_t>(g.nx) * static_cast<std::size_t>(g.ny), 0);

    // Inside cells by the even-odd rule, row by row.
    std::vector<double> crossings;
    for (int j = 0; j < g.ny; ++j) {
        const double y = g.cy(j);
        crossings.clear();
        for (const PolygonVertex* a : ring) {
            const PolygonVertex* b = a->next;
            if ((a->y <= y) != (b->y <= y)) crossings.push_back(a->x + (y - a->y) * (b->x - a->x) / (b->y - a->y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2)
            g.span(j, crossings[k], crossings[k + 1], [](std::uint8_t& s) { s = 1; });
    }

    plan.forEachSwathStrip([&](const SwathStrip& s) {
        for (int i = 0; i + 1 < s.count; ++i) {
            markTriangle(g, s.rightX[i], s.rightY[i], s.leftX[i], s.leftY[i], s.rightX[i + 1], s.rightY[i + 1]);
            markTriangle(g, s.leftX[i], s.leftY[i], s.rightX[i + 1], s.rightY[i + 1], s.leftX[i + 1], s.leftY[i + 1]);
        }
    });

    const double radiusKm = kKmPerDegree * kDegreesPerRadian;
    const double widthRadians = g.cell / kDegreesPerRadian;
    for (int j = 0; j < g.ny; ++j) {
        const double cellKm2 = radiusKm * radiusKm * widthRadians *
                               (sinLat(g.y0 + (j + 1) * g.cell) - sinLat(g.y0 + j * g.cell));
        for (int i = 0; i < g.nx; ++i) {
            const std::uint8_t s = g.at(i, j);
            if (s >= 1) result.polygonKm2 += cellKm2;
            if (s == 2) result.coveredKm2 += cellKm2;
        }
    }
    return result;
}

double polygonAreaKm2(const SurveyPolygon& area) {
    const PolygonVertex* first = area.first();
    if (!first || first->next == first || first->next->next == first) return 0.0;
    double sum = 0.0;  // of d(longitude, radians) * sin(latitude)
    const PolygonVertex* a = first;
    do {
        const PolygonVertex* b = a->next;
        for (int k = 0; k < kEdgeSteps; ++k) {
            const double t0 = static_cast<double>(k) / kEdgeSteps, t1 = static_cast<double>(k + 1) / kEdgeSteps;
            const double x0 = a->x + t0 * (b->x - a->x), x1 = a->x + t1 * (b->x - a->x);
            const double y0 = a->y + t0 * (b->y - a->y), y1 = a->y + t1 * (b->y - a->y);
            sum += (x1 - x0) / kDegreesPerRadian * 0.5 * (sinLat(y0) + sinLat(y1));
        }
        a = b;
    } while (a != first);
    const double radiusKm = kKmPerDegree * kDegreesPerRadian;
    return std::fabs(sum) * radiusKm * radiusKm;
}

}  // namespace tessarin
