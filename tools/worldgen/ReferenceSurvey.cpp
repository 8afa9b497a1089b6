#include "ReferenceSurvey.hpp"

#include "Noise.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace tessarin::worldgen {

namespace {

constexpr double kKm = 111.2;
constexpr double kPi = 3.14159265358979323846;
constexpr int kCellPixels = 1920;
constexpr double kPixelsPerDegree = 240.0;

struct Vec3 {
    double x, y, z;
};

Vec3 toVec(const GeoPoint& p) {
    const double lo = p.lon * kPi / 180.0, la = p.lat * kPi / 180.0;
    return {std::cos(la) * std::cos(lo), std::cos(la) * std::sin(lo), std::sin(la)};
}
GeoPoint toGeo(const Vec3& v) {
    return {std::atan2(v.y, v.x) * 180.0 / kPi, std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y)) * 180.0 / kPi};
}

// A track between two places: the great circle, or through a waypoint.
struct Route {
    std::vector<GeoPoint> via;
};

const char* const kRoutes[][3] = {
    {"Honolulu", "Long Beach", nullptr},   {"Honolulu", "San Francisco", nullptr},
    {"Honolulu", "San Diego", nullptr},    {"Hilo", "Ensenada", nullptr},
    {"Honolulu", "Manzanillo", nullptr},   {"Kahului", "Cabo San Lucas", nullptr},
    {"Nawiliwili", "Monterey", nullptr},   {"Honolulu", "Nawiliwili", nullptr},
    {"Honolulu", "Hilo", nullptr},         {"San Diego", "Acapulco", nullptr},
    {"Long Beach", "San Francisco", nullptr}, {"Mazatlan", "Cabo San Lucas", nullptr},
};

GeoPoint portAt(const char* name) {
    for (const Port& p : ports())
        if (std::strcmp(p.name, name) == 0) return p.at;
    return {0.0, 0.0};
}

std::vector<Route> routes() {
    std::vector<Route> out;
    for (const auto& r : kRoutes) out.push_back({{portAt(r[0]), portAt(r[1])}});
    // Tracks that leave the region: towards Tahiti, Japan, Panama and the
    // Line Islands, cut at the region's edge by the tiles themselves.
    out.push_back({{portAt("Honolulu"), {-149.6, -17.5}}});
    out.push_back({{portAt("Long Beach"), {-149.6, -17.5}}});
    out.push_back({{portAt("San Francisco"), {-170.0, 45.0}}});
    out.push_back({{portAt("Honolulu"), {-177.4, 28.2}}});
    out.push_back({{portAt("San Diego"), {-100.0, -2.0}}});
    out.push_back({{portAt("Hilo"), {-157.4, 1.9}}});
    // Research cruises zig-zagging across the nodule province.
    out.push_back({{portAt("Manzanillo"), {-118.0, 12.0}, {-126.0, 15.5}, {-134.0, 9.5}, {-142.0, 13.0}, portAt("Honolulu")}});
    out.push_back({{portAt("San Diego"), {-121.0, 20.0}, {-128.5, 10.5}, {-137.0, 16.0}, {-150.0, 11.0}, portAt("Hilo")}});
    return out;
}

}  // namespace

ReferenceSurvey::ReferenceSurvey(const WorldModel& world, int threads) : seed_(world.seed()) {
    const std::vector<Route> all = routes();
    std::vector<std::vector<Quad>> perRoute(all.size());
    const Detail probe{8.0, false, true};

    auto layRoute = [&](std::size_t index) {
        const Route& route = all[index];
        std::vector<GeoPoint> centre;
        std::vector<double> alongKm;
        double walkedKm = 0.0;
        const std::uint32_t trackSeed = seed_ * 31u + static_cast<std::uint32_t>(index) * 977u + 11u;
        for (std::size_t leg = 0; leg + 1 < route.via.size(); ++leg) {
            const Vec3 a = toVec(route.via[leg]), b = toVec(route.via[leg + 1]);
            const double dot = std::clamp(a.x * b.x + a.y * b.y + a.z * b.z, -1.0, 1.0);
            const double angle = std::acos(dot);
            const double legKm = angle * 6371.0;
            const int steps = std::max(2, static_cast<int>(legKm / 2.0));
            for (int i = (leg == 0 ? 0 : 1); i <= steps; ++i) {
                const double t = static_cast<double>(i) / steps;
                const double sa = std::sin((1.0 - t) * angle), sb = std::sin(t * angle), s = std::sin(angle);
                const Vec3 v = s > 1e-12 ? Vec3{(sa * a.x + sb * b.x) / s, (sa * a.y + sb * b.y) / s, (sa * a.z + sb * b.z) / s} : a;
                centre.push_back(toGeo(v));
                walkedKm = (leg == 0 && i == 0) ? 0.0 : walkedKm + legKm / steps;
                alongKm.push_back(walkedKm);
            }
        }
        // Ships wander a few kilometres off the great circle; near the ends
        // (harbour approaches) they keep to it.
        const std::size_t n = centre.size();
        const double totalKm = alongKm.empty() ? 0.0 : alongKm.back();
        std::vector<GeoPoint> path(n);
        std::vector<double> hw(n, 0.0);
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t i0 = i == 0 ? 0 : i - 1, i1 = std::min(n - 1, i + 1);
            const double kx = std::cos(centre[i].lat * kPi / 180.0) * kKm;
            double tx = (centre[i1].lon - centre[i0].lon) * kx, ty = (centre[i1].lat - centre[i0].lat) * kKm;
            const double tl = std::sqrt(tx * tx + ty * ty);
            if (tl > 0.0) tx /= tl, ty /= tl;
            const double along = alongKm[i];
            const double endFade = std::min(1.0, std::min(along, totalKm - along) / 60.0);
            const double offsetKm = 9.0 * endFade * fractalNoise(along, 0.0, trackSeed, 400.0, 3, 20.0);
            path[i] = {centre[i].lon - ty * offsetKm / kx, centre[i].lat + tx * offsetKm / kKm};
            const double depthM = -world.elevationM(path[i].lon, path[i].lat, probe);
            // Logging gaps: long stretches where no data were kept.
            const bool logging = fractalNoise(along, 5.0, trackSeed + 1u, 700.0, 2, 50.0) > -0.33;
            if (!logging || depthM < 20.0) continue;
            const double multiple = 4.0 + 1.0 * fractalNoise(along, 9.0, trackSeed + 2u, 250.0, 2, 20.0) * 1.6;
            const double ragged = 1.0 + 0.07 * valueNoise(along / 3.0, 1.5, trackSeed + 3u);
            hw[i] = 0.5 * std::clamp(multiple, 3.0, 5.0) * ragged * depthM / 1000.0;
        }
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (hw[i] <= 0.0 || hw[i + 1] <= 0.0) continue;
            Quad q{};
            for (int k = 0; k < 2; ++k) {
                const std::size_t j = i + static_cast<std::size_t>(k);
                const std::size_t j0 = j == 0 ? 0 : j - 1, j1 = std::min(n - 1, j + 1);
                const double kx = std::cos(path[j].lat * kPi / 180.0) * kKm;
                double tx = (path[j1].lon - path[j0].lon) * kx, ty = (path[j1].lat - path[j0].lat) * kKm;
                const double tl = std::sqrt(tx * tx + ty * ty);
                if (tl > 0.0) tx /= tl, ty /= tl;
                // Starboard and port edges, perpendicular to the track.
                const GeoPoint right{path[j].lon + ty * hw[j] / kx, path[j].lat - tx * hw[j] / kKm};
                const GeoPoint left{path[j].lon - ty * hw[j] / kx, path[j].lat + tx * hw[j] / kKm};
                if (k == 0) q.corner[0] = right, q.corner[1] = left;
                else q.corner[2] = left, q.corner[3] = right;
            }
            q.west = q.east = q.corner[0].lon;
            q.south = q.north = q.corner[0].lat;
            for (const GeoPoint& c : q.corner) {
                q.west = std::min(q.west, c.lon), q.east = std::max(q.east, c.lon);
                q.south = std::min(q.south, c.lat), q.north = std::max(q.north, c.lat);
            }
            perRoute[index].push_back(q);
        }
    };
    threads = std::max(1, threads);
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            for (std::size_t r = static_cast<std::size_t>(t); r < all.size(); r += static_cast<std::size_t>(threads)) layRoute(r);
        });
    }
    for (auto& t : pool) t.join();
    for (auto& q : perRoute) quads_.insert(quads_.end(), q.begin(), q.end());

    // Surveyed blocks: the nodule province, the borderland off southern
    // California, the Hawaiian islands, named seamounts.
    addBlock(-124.6, 12.1, 110.0, 80.0, 90.0);
    addBlock(-116.5, 14.0, 150.0, 90.0, 75.0);
    addBlock(-133.0, 11.0, 130.0, 70.0, 80.0);
    addBlock(-140.5, 13.6, 90.0, 60.0, 100.0);
    addBlock(-118.8, 32.9, 140.0, 70.0, 135.0);
    addBlock(-122.3, 36.4, 60.0, 35.0, 150.0);
    addBlock(-127.7, 32.5, 32.0, 30.0, 30.0);
    addBlock(-156.9, 20.9, 260.0, 90.0, 120.0);
    addBlock(-159.7, 22.0, 90.0, 70.0, 120.0);
    // And a few seeded ones in open water.
    for (int i = 0; i < 8; ++i) {
        auto u = [&](int k) { return unitFromHash(hashPoint(i, k, seed_ ^ 0xB10Cu)); };
        const double lon = -164.0 + 50.0 * u(1), lat = 3.0 + 33.0 * u(2);
        if (world.coast().exactKm(lon, lat) < 100.0) continue;
        addBlock(lon, lat, 25.0 + 80.0 * u(3), 20.0 + 50.0 * u(4), 180.0 * u(5));
    }
}

void ReferenceSurvey::addBlock(double lon, double lat, double halfAlongKm, double halfAcrossKm, double bearingDeg) {
    const double b = bearingDeg * kPi / 180.0;
    Block k{{lon, lat}, halfAlongKm, halfAcrossKm, std::cos(b), std::sin(b), 0, 0, 0, 0};
    const double reach = std::sqrt(halfAlongKm * halfAlongKm + halfAcrossKm * halfAcrossKm) + 10.0;
    const double kx = std::cos(lat * kPi / 180.0) * kKm;
    k.west = lon - reach / kx, k.east = lon + reach / kx;
    k.south = lat - reach / kKm, k.north = lat + reach / kKm;
    blocks_.push_back(k);
}

bool ReferenceSurvey::insideBlock(const Block& b, double lon, double lat) const {
    const double kx = std::cos(lat * kPi / 180.0) * kKm;
    const double ex = (lon - b.centre.lon) * kx, ny = (lat - b.centre.lat) * kKm;
    const double along = ex * b.sinB + ny * b.cosB;
    const double across = ex * b.cosB - ny * b.sinB;
    // Ragged edges: a survey's outer lines follow the ship, not a ruler.
    const double ragged = 6.0 * fractalNoise(lon * kKm, lat * kKm, seed_ + 41u, 40.0, 3, 1.0);
    return std::fabs(along) < b.halfAlongKm + ragged && std::fabs(across) < b.halfAcrossKm + ragged;
}

void ReferenceSurvey::markCell(int lon0, int lat0, const std::vector<float>& elevation,
                               std::vector<std::uint8_t>& mask) const {
    mask.assign(static_cast<std::size_t>(kCellPixels) * kCellPixels, 0);
    const double west = lon0, east = lon0 + 8.0, south = lat0, north = lat0 + 8.0;

    for (const Quad& q : quads_) {
        if (q.east < west || q.west > east || q.north < south || q.south > north) continue;
        // Pixel coordinates: x grows east from the west edge, y grows south
        // from the north edge; pixel centres sit at half-integers.
        double px[4], py[4];
        for (int k = 0; k < 4; ++k) {
            px[k] = (q.corner[k].lon - west) * kPixelsPerDegree;
            py[k] = (north - q.corner[k].lat) * kPixelsPerDegree;
        }
        const double yMin = std::min({py[0], py[1], py[2], py[3]}), yMax = std::max({py[0], py[1], py[2], py[3]});
        const int r0 = std::max(0, static_cast<int>(std::ceil(yMin - 0.5)));
        const int r1 = std::min(kCellPixels - 1, static_cast<int>(std::floor(yMax - 0.5)));
        for (int r = r0; r <= r1; ++r) {
            const double yc = r + 0.5;
            double xLo = 1e30, xHi = -1e30;
            for (int k = 0; k < 4; ++k) {
                const int m = (k + 1) % 4;
                if ((py[k] <= yc) != (py[m] <= yc)) {
                    const double x = px[k] + (yc - py[k]) * (px[m] - px[k]) / (py[m] - py[k]);
                    xLo = std::min(xLo, x), xHi = std::max(xHi, x);
                }
            }
            if (xLo > xHi) continue;
            const int c0 = std::max(0, static_cast<int>(std::ceil(xLo - 0.5)));
            const int c1 = std::min(kCellPixels - 1, static_cast<int>(std::floor(xHi - 0.5)));
            if (c0 <= c1) std::memset(&mask[static_cast<std::size_t>(r) * kCellPixels + c0], 1, static_cast<std::size_t>(c1 - c0 + 1));
        }
    }

    for (const Block& b : blocks_) {
        if (b.east < west || b.west > east || b.north < south || b.south > north) continue;
        const int c0 = std::max(0, static_cast<int>((b.west - west) * kPixelsPerDegree));
        const int c1 = std::min(kCellPixels - 1, static_cast<int>((b.east - west) * kPixelsPerDegree));
        const int r0 = std::max(0, static_cast<int>((north - b.north) * kPixelsPerDegree));
        const int r1 = std::min(kCellPixels - 1, static_cast<int>((north - b.south) * kPixelsPerDegree));
        for (int r = r0; r <= r1; ++r) {
            const double lat = north - (r + 0.5) / kPixelsPerDegree;
            for (int c = c0; c <= c1; ++c) {
                const double lon = west + (c + 0.5) / kPixelsPerDegree;
                if (insideBlock(b, lon, lat)) mask[static_cast<std::size_t>(r) * kCellPixels + c] = 1;
            }
        }
    }

    // Multibeam maps only water, and little of the very shallow water.
    for (std::size_t i = 0; i < mask.size(); ++i)
        if (mask[i] && elevation[i] > -25.0f) mask[i] = 0;
}

}  // namespace tessarin::worldgen
