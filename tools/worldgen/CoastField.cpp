#include "CoastField.hpp"

#include <algorithm>
#include <cmath>
#include <thread>

namespace tessarin::worldgen {

namespace {

constexpr double kKmPerDegree = 111.2;
constexpr double kPi = 3.14159265358979323846;
constexpr int kBucketDeg = 2;
constexpr int kBucketCols = 360 / kBucketDeg;
constexpr int kBucketRows = 180 / kBucketDeg;

int bucketCol(double lon) {
    int c = static_cast<int>(std::floor((lon + 180.0) / kBucketDeg));
    return std::clamp(c, 0, kBucketCols - 1);
}
int bucketRow(double lat) {
    int r = static_cast<int>(std::floor((lat + 90.0) / kBucketDeg));
    return std::clamp(r, 0, kBucketRows - 1);
}

}  // namespace

CoastField::CoastField(const std::vector<Ring>& rings) : buckets_(kBucketCols * kBucketRows) {
    for (const Ring& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const GeoPoint& a = ring[i];
            const GeoPoint& b = ring[(i + 1) % ring.size()];
            segments_.push_back({a.lon, a.lat, b.lon, b.lat});
        }
    }
    const double marginLat = kMaxKm / kKmPerDegree + 0.1;
    for (std::size_t s = 0; s < segments_.size(); ++s) {
        const Segment& g = segments_[s];
        const double south = std::min(g.lat0, g.lat1) - marginLat;
        const double north = std::max(g.lat0, g.lat1) + marginLat;
        const double widest = std::min(85.0, std::max(std::fabs(south), std::fabs(north)));
        const double marginLon = marginLat / std::cos(widest * kPi / 180.0);
        const double west = std::min(g.lon0, g.lon1) - marginLon;
        const double east = std::max(g.lon0, g.lon1) + marginLon;
        for (int r = bucketRow(south); r <= bucketRow(north); ++r)
            for (int c = bucketCol(west); c <= bucketCol(east); ++c)
                buckets_[static_cast<std::size_t>(r) * kBucketCols + c].push_back(static_cast<int>(s));
    }
}

const std::vector<int>& CoastField::bucketAt(double lon, double lat) const {
    return buckets_[static_cast<std::size_t>(bucketRow(lat)) * kBucketCols + bucketCol(lon)];
}

double CoastField::unsignedKm(double lon, double lat, const std::vector<int>& near) const {
    // Local flat projection around the point: good to a few per cent within
    // the few hundred kilometres that matter.
    const double kx = std::cos(lat * kPi / 180.0) * kKmPerDegree;
    const double ky = kKmPerDegree;
    double best2 = kMaxKm * kMaxKm;
    for (int s : near) {
        const Segment& g = segments_[static_cast<std::size_t>(s)];
        const double ax = (g.lon0 - lon) * kx, ay = (g.lat0 - lat) * ky;
        const double bx = (g.lon1 - lon) * kx, by = (g.lat1 - lat) * ky;
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0.0 ? -(ax * dx + ay * dy) / len2 : 0.0;
        t = std::clamp(t, 0.0, 1.0);
        const double px = ax + t * dx, py = ay + t * dy;
        best2 = std::min(best2, px * px + py * py);
    }
    return std::sqrt(best2);
}

void CoastField::landCrossings(double lat, std::vector<double>& out) const {
    out.clear();
    for (const Segment& g : segments_) {
        if ((g.lat0 > lat) != (g.lat1 > lat)) {
            out.push_back(g.lon0 + (lat - g.lat0) * (g.lon1 - g.lon0) / (g.lat1 - g.lat0));
        }
    }
    std::sort(out.begin(), out.end());
}

bool CoastField::insideLand(double lon, double lat) const {
    std::vector<double> xs;
    landCrossings(lat, xs);
    const auto below = std::lower_bound(xs.begin(), xs.end(), lon) - xs.begin();
    return (below % 2) == 1;
}

double CoastField::exactKm(double lon, double lat) const {
    const double d = unsignedKm(lon, lat, bucketAt(lon, lat));
    return insideLand(lon, lat) ? -d : d;
}

CoastField::Grid CoastField::sample(const GeoBox& box, int nodesPerDegree, int threads) const {
    Grid g;
    g.nodesPerDegree = nodesPerDegree;
    g.westNode = static_cast<long>(std::floor(box.west * nodesPerDegree));
    g.southNode = static_cast<long>(std::floor(box.south * nodesPerDegree));
    const long eastNode = static_cast<long>(std::ceil(box.east * nodesPerDegree));
    const long northNode = static_cast<long>(std::ceil(box.north * nodesPerDegree));
    g.cols = static_cast<int>(eastNode - g.westNode + 1);
    g.rows = static_cast<int>(northNode - g.southNode + 1);
    g.km.assign(static_cast<std::size_t>(g.cols) * g.rows, static_cast<float>(kMaxKm));

    auto work = [&](int firstRow, int step) {
        std::vector<double> xs;
        for (int r = firstRow; r < g.rows; r += step) {
            const double lat = static_cast<double>(g.southNode + r) / nodesPerDegree;
            landCrossings(lat, xs);
            for (int c = 0; c < g.cols; ++c) {
                const double lon = static_cast<double>(g.westNode + c) / nodesPerDegree;
                const auto below = std::lower_bound(xs.begin(), xs.end(), lon) - xs.begin();
                const bool land = (below % 2) == 1;
                const std::vector<int>& near = bucketAt(lon, lat);
                const double d = near.empty() ? kMaxKm : unsignedKm(lon, lat, near);
                g.km[static_cast<std::size_t>(r) * g.cols + c] = static_cast<float>(land ? -d : d);
            }
        }
    };
    threads = std::max(1, threads);
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) pool.emplace_back(work, t, threads);
    work(0, threads);
    for (auto& t : pool) t.join();
    return g;
}

bool CoastField::Grid::covers(double lon, double lat) const {
    const double x = lon * nodesPerDegree - static_cast<double>(westNode);
    const double y = lat * nodesPerDegree - static_cast<double>(southNode);
    return x >= 0.0 && y >= 0.0 && x < cols - 1 && y < rows - 1;
}

double CoastField::Grid::at(double lon, double lat) const {
    const double x = lon * nodesPerDegree - static_cast<double>(westNode);
    const double y = lat * nodesPerDegree - static_cast<double>(southNode);
    const int c = std::clamp(static_cast<int>(x), 0, cols - 2);
    const int r = std::clamp(static_cast<int>(y), 0, rows - 2);
    const double fx = x - c, fy = y - r;
    const float* p = &km[static_cast<std::size_t>(r) * cols + c];
    const double bottom = p[0] + (p[1] - p[0]) * fx;
    const double top = p[cols] + (p[cols + 1] - p[cols]) * fx;
    return bottom + (top - bottom) * fy;
}

}  // namespace tessarin::worldgen
