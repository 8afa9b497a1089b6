#include "export/AntimeridianSplit.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin {

namespace {

// Index k of the window 360k - 180 <= x < 360k + 180.
long windowOf(double x) { return static_cast<long>(std::floor((x + 180.0) / 360.0)); }

PlanePoint crossingAt(const PlanePoint& a, const PlanePoint& b, double x) {
    const double t = (x - a.x) / (b.x - a.x);
    return {x, a.y + t * (b.y - a.y)};
}

PlanePoint shifted(const PlanePoint& p, long window) { return {p.x - 360.0 * static_cast<double>(window), p.y}; }

// One Sutherland-Hodgman pass: the part of ring on the side of x = edge
// where keepBelow says (x <= edge, or x >= edge).
std::vector<PlanePoint> clipRing(const std::vector<PlanePoint>& ring, double edge, bool keepBelow) {
    std::vector<PlanePoint> out;
    const auto inside = [&](const PlanePoint& p) { return keepBelow ? p.x <= edge : p.x >= edge; };
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanePoint& a = ring[i];
        const PlanePoint& b = ring[(i + 1) % ring.size()];
        const bool ina = inside(a);
        const bool inb = inside(b);
        if (ina) out.push_back(a);
        if (ina != inb) out.push_back(crossingAt(a, b, edge));
    }
    return out;
}

}  // namespace

double wrapLongitude(double x) {
    if (!std::isfinite(x)) return x;
    double w = std::fmod(x + 180.0, 360.0);
    if (w < 0.0) w += 360.0;
    return w - 180.0;
}

std::vector<std::vector<PlanePoint>> splitLine(const std::vector<PlanePoint>& line) {
    std::vector<std::vector<PlanePoint>> pieces;
    if (line.empty()) return pieces;
    long window = windowOf(line.front().x);
    pieces.push_back({shifted(line.front(), window)});
    for (std::size_t i = 1; i < line.size(); ++i) {
        const PlanePoint& a = line[i - 1];
        const PlanePoint& b = line[i];
        const long target = windowOf(b.x);
        // Walk the crossed window edges one at a time: a leg may span several
        // turns of longitude when drawn across the whole map.
        while (window != target) {
            const bool east = target > window;
            const double edge = 360.0 * static_cast<double>(window) + (east ? 180.0 : -180.0);
            const PlanePoint cut = crossingAt(a, b, edge);
            pieces.back().push_back(shifted(cut, window));
            window += east ? 1 : -1;
            pieces.push_back({shifted(cut, window)});
        }
        pieces.back().push_back(shifted(b, window));
    }
    // A piece that is only a crossing point (a line ending exactly on 180)
    // has no extent.
    const auto degenerate = [](const std::vector<PlanePoint>& piece) {
        for (const PlanePoint& p : piece)
            if (p.x != piece.front().x || p.y != piece.front().y) return false;
        return true;
    };
    pieces.erase(std::remove_if(pieces.begin(), pieces.end(), degenerate), pieces.end());
    return pieces;
}

std::vector<std::vector<PlanePoint>> splitRing(const std::vector<PlanePoint>& ring) {
    std::vector<std::vector<PlanePoint>> parts;
    if (ring.size() < 3) return parts;
    double xmin = ring.front().x, xmax = ring.front().x;
    for (const PlanePoint& p : ring) {
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
    }
    const long first = windowOf(xmin);
    const long last = windowOf(xmax);
    if (first == last) {
        std::vector<PlanePoint> part;
        for (const PlanePoint& p : ring) part.push_back(shifted(p, first));
        parts.push_back(std::move(part));
        return parts;
    }
    for (long k = first; k <= last; ++k) {
        const double west = 360.0 * static_cast<double>(k) - 180.0;
        std::vector<PlanePoint> part = clipRing(clipRing(ring, west, false), west + 360.0, true);
        if (part.size() < 3) continue;
        for (PlanePoint& p : part) p = shifted(p, k);
        parts.push_back(std::move(part));
    }
    return parts;
}

double ringSignedArea(const std::vector<PlanePoint>& ring) {
    double sum = 0.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
        const PlanePoint& a = ring[i];
        const PlanePoint& b = ring[(i + 1) % ring.size()];
        sum += a.x * b.y - b.x * a.y;
    }
    return sum * 0.5;
}

std::vector<PlanePoint> counterClockwise(std::vector<PlanePoint> ring) {
    if (ringSignedArea(ring) < 0.0) std::reverse(ring.begin(), ring.end());
    return ring;
}

}  // namespace tessarin
