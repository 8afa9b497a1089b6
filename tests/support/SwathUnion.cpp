#include "support/SwathUnion.hpp"

#include <algorithm>
#include <cmath>

#include "area/SurveyPolygon.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin::test {

bool insideRing(const std::vector<double>& xs, const std::vector<double>& ys, double x, double y) {
    bool inside = false;
    const std::size_t n = xs.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        if ((ys[i] > y) != (ys[j] > y)) {
            const double cx = xs[j] + (y - ys[j]) * (xs[i] - xs[j]) / (ys[i] - ys[j]);
            if (x < cx) inside = !inside;
        }
    }
    return inside;
}

// Distance from (x, y) to the ring's outline.
static double distanceToRing(const std::vector<double>& xs, const std::vector<double>& ys, double x, double y) {
    double best = 1e300;
    const std::size_t n = xs.size();
    for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
        const double ex = xs[i] - xs[j], ey = ys[i] - ys[j];
        const double l2 = ex * ex + ey * ey;
        double t = l2 > 0.0 ? ((x - xs[j]) * ex + (y - ys[j]) * ey) / l2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        best = std::min(best, std::hypot(x - xs[j] - t * ex, y - ys[j] - t * ey));
    }
    return best;
}

SwathUnionFigures measureSwathUnion(const SurveyPlan& plan, const SurveyPolygon& polygon, int gridSteps) {
    SwathUnionFigures f;
    std::vector<double> xs, ys;
    const PolygonVertex* first = polygon.first();
    if (!first) return f;
    const PolygonVertex* v = first;
    do {
        xs.push_back(v->x);
        ys.push_back(v->y);
        v = v->next;
    } while (v != first);
    if (xs.size() < 3) return f;
    const double x0 = *std::min_element(xs.begin(), xs.end()), x1 = *std::max_element(xs.begin(), xs.end());
    const double y0 = *std::min_element(ys.begin(), ys.end()), y1 = *std::max_element(ys.begin(), ys.end());
    const double cell = std::max(x1 - x0, y1 - y0) / gridSteps;
    const int nx = 1 + static_cast<int>((x1 - x0) / cell), ny = 1 + static_cast<int>((y1 - y0) / cell);
    auto px = [&](int i) { return x0 + (i + 0.5) * cell; };
    auto py = [&](int j) { return y0 + (j + 0.5) * cell; };
    std::vector<char> covered(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny), 0);

    plan.forEachSwathStrip([&](const SwathStrip& s) {
        for (int i = 0; i + 1 < s.count; ++i) {
            const std::vector<double> qx = {s.rightX[i], s.rightX[i + 1], s.leftX[i + 1], s.leftX[i]};
            const std::vector<double> qy = {s.rightY[i], s.rightY[i + 1], s.leftY[i + 1], s.leftY[i]};
            const double bx0 = *std::min_element(qx.begin(), qx.end()), bx1 = *std::max_element(qx.begin(), qx.end());
            const double by0 = *std::min_element(qy.begin(), qy.end()), by1 = *std::max_element(qy.begin(), qy.end());
            const int i0 = std::max(0, static_cast<int>(std::floor((bx0 - x0) / cell - 0.5)));
            const int i1 = std::min(nx - 1, static_cast<int>(std::ceil((bx1 - x0) / cell - 0.5)));
            const int j0 = std::max(0, static_cast<int>(std::floor((by0 - y0) / cell - 0.5)));
            const int j1 = std::min(ny - 1, static_cast<int>(std::ceil((by1 - y0) / cell - 0.5)));
            for (int jj = j0; jj <= j1; ++jj) {
                for (int ii = i0; ii <= i1; ++ii) {
                    char& c = covered[static_cast<std::size_t>(jj) * static_cast<std::size_t>(nx) +
                                      static_cast<std::size_t>(ii)];
                    if (!c && insideRing(qx, qy, px(ii), py(jj))) c = 1;
                }
            }
        }
    });
    int inside = 0, hit = 0;
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            if (!insideRing(xs, ys, px(i), py(j))) continue;
            ++inside;
            hit += covered[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i)];
        }
    }
    f.insidePoints = inside;
    f.coveredFraction = inside > 0 ? static_cast<double>(hit) / inside : 0.0;

    // A survey line lies outside where a point along it is off the polygon
    // by more than a hundred-thousandth of a map unit (the clip's rounding).
    int index = 0;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next, ++index) {
        if (index % 2 != 0) continue;
        ++f.surveyLines;
        for (int k = 1; k < 50; ++k) {
            const double t = k / 50.0;
            const double x = w->lon + t * (w->next->lon - w->lon), y = w->y + t * (w->next->y - w->y);
            if (!insideRing(xs, ys, x, y) && distanceToRing(xs, ys, x, y) > 1e-5) {
                ++f.linesOutside;
                break;
            }
        }
    }
    return f;
}

}  // namespace tessarin::test
