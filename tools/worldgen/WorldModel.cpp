#include "WorldModel.hpp"

#include "Noise.hpp"

#include <algorithm>
#include <cmath>

namespace tessarin::worldgen {

namespace {

constexpr double kKm = 111.2;  // km per degree for noise and local distances
constexpr double kPi = 3.14159265358979323846;

inline double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }
inline double smooth01(double v) {
    v = clamp01(v);
    return v * v * (3.0 - 2.0 * v);
}

// Sea-floor depth (m, positive) of a plate of the given age (million years):
// square-root cooling while young, flattening with age.
double depthOfAge(double ageMyr) {
    if (ageMyr < 20.0) return 2600.0 + 330.0 * std::sqrt(std::max(0.0, ageMyr));
    return 6400.0 - 3200.0 * std::exp(-ageMyr / 62.8);
}

// Distance (km) from a point to a polyline, the distance along it to the
// nearest point, the signed offset from the nearest segment's line (positive
// left of the direction of travel) and how far the point lies beyond either
// end of the line (0 alongside it).
struct LineDistance {
    double km;
    double alongKm;
    double offsetKm;
    double beyondKm;
};

LineDistance distanceToLine(const std::vector<GeoPoint>& line, double lon, double lat) {
    const double kx = std::cos(lat * kPi / 180.0) * kKm;
    LineDistance best{1e30, 0.0, 0.0, 0.0};
    double walked = 0.0;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const double ax = (line[i].lon - lon) * kx, ay = (line[i].lat - lat) * kKm;
        const double bx = (line[i + 1].lon - lon) * kx, by = (line[i + 1].lat - lat) * kKm;
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        const double len = std::sqrt(len2);
        if (len <= 0.0) continue;
        const double u = -(ax * dx + ay * dy) / len2;
        const double t = std::clamp(u, 0.0, 1.0);
        const double px = ax + t * dx, py = ay + t * dy;
        const double d = std::sqrt(px * px + py * py);
        if (d < best.km) {
            // The point is at (-ax, -ay) from the segment start.
            const double offset = (dx * (-ay) - dy * (-ax)) / len;
            double beyond = 0.0;
            if (i == 0 && u < 0.0) beyond = -u * len;
            if (i + 2 == line.size() && u > 1.0) beyond = (u - 1.0) * len;
            best = {d, walked + t * len, offset, beyond};
        }
        walked += len;
    }
    return best;
}

// Volcano profile over x = distance / base radius (0 at the summit, 0 at the
// base): concave lower flanks with a rounded shield on top.
inline double coneProfile(double x) {
    if (x >= 1.0) return 0.0;
    const double e3 = 0.049787068367863944;
    // (1 - x^2) takes the slope to zero at the base: no rim in the shading.
    const double concave = (std::exp(-3.0 * x) - e3) / (1.0 - e3) * (1.0 - x * x);
    const double shield = 1.0 - x * x * (3.0 - 2.0 * x);
    return 0.6 * concave + 0.4 * shield;
}

int cellIndex(int lonCell, int latCell) { return (latCell + 90) * 360 + (lonCell + 180); }

}  // namespace

WorldModel::WorldModel(std::uint32_t seed)
    : seed_(seed), coast_(landRings()), coneCells_(360 * 180) {}

void WorldModel::prepare(const GeoBox* fineBox, bool globalCoarse, int threads) {
    if (fineBox) {
        fine_ = coast_.sample(*fineBox, 30, threads);
        hasFine_ = true;
    }
    if (globalCoarse) {
        coarse_ = coast_.sample(GeoBox{-180.0, 180.0, -80.0, 84.0}, 10, threads);
        hasCoarse_ = true;
    }

    cones_.clear();
    for (auto& c : coneCells_) c.clear();
    for (const Volcano& v : namedVolcanoes())
        addCone(v.centre.lon, v.centre.lat, v.summitM, v.radiusKm, v.aspect, v.bearingDeg, v.flatTop, true);

    // A seeded scatter of seamounts, at most one per 1-degree cell. Their
    // summits stay well below the surface; none stand on the shelf or slope.
    for (int latCell = -70; latCell < 70; ++latCell) {
        for (int lonCell = -180; lonCell < 180; ++lonCell) {
            const std::uint32_t h = hashPoint(lonCell, latCell, seed_ ^ 0x5EA3u);
            if (unitFromHash(h) > 0.24) continue;
            auto u = [&](std::uint32_t k) { return unitFromHash(hashPoint(lonCell * 16 + k, latCell, seed_ ^ 0x5EA4u)); };
            const double lon = lonCell + 0.1 + 0.8 * u(1);
            const double lat = latCell + 0.1 + 0.8 * u(2);
            addCone(lon, lat, 600.0 + 2600.0 * u(3) * u(3), 5.0 + 16.0 * std::pow(u(4), 1.5),
                    1.0 + 0.7 * u(5), 360.0 * u(6), u(7) < 0.12, false);
        }
    }
}

void WorldModel::addCone(double lon, double lat, double summitM, double radiusKm, double aspect,
                         double bearingDeg, bool flatTop, bool named) {
    // The floor under the centre, from the exact coast distance so that the
    // cone is the same whichever grids this run built.
    const Detail coarse{8.0, false};
    const double seaKm = coast_.exactKm(lon, lat);
    // A named volcano whose centre is on land is the island the coastline
    // draws; it stands on the abyssal floor. Unnamed ones never stand on land.
    const bool island = named && seaKm <= 0.0;
    if (seaKm <= 0.0 && !island) return;
    const double floor = baseSeaFloorM(lon, lat, island ? CoastField::kMaxKm : seaKm, coarse);
    double relief;
    if (named) {
        // Where the coastline has no island, a named summit above the sea
        // becomes a shallow bank: land comes from the coastline alone.
        relief = (island ? summitM : std::min(summitM, -30.0)) - floor;
    } else {
        // summitM is the height above the floor for the scatter.
        if (seaKm < 150.0 || floor > -2500.0) return;
        const double top = std::min(floor + summitM, -350.0 - 300.0 * unitFromHash(hashPoint(static_cast<std::int64_t>(lon * 1000), static_cast<std::int64_t>(lat * 1000), seed_)));
        relief = top - floor;
    }
    if (relief <= 0.0) return;
    const double b = bearingDeg * kPi / 180.0;
    Cone c{lon, lat, radiusKm, std::cos(b), std::sin(b), aspect, relief, flatTop, island, floor};
    const int index = static_cast<int>(cones_.size());
    cones_.push_back(c);
    const double reachLat = radiusKm * aspect / kKm;
    const double reachLon = reachLat / std::cos(std::min(85.0, std::fabs(lat) + reachLat) * kPi / 180.0);
    const int lon0 = static_cast<int>(std::floor(lon - reachLon)), lon1 = static_cast<int>(std::floor(lon + reachLon));
    const int lat0 = static_cast<int>(std::floor(lat - reachLat)), lat1 = static_cast<int>(std::floor(lat + reachLat));
    for (int la = std::max(-90, lat0); la <= std::min(89, lat1); ++la)
        for (int lo = std::max(-180, lon0); lo <= std::min(179, lon1); ++lo)
            coneCells_[static_cast<std::size_t>(cellIndex(lo, la))].push_back(index);
}

double WorldModel::coastKm(double lon, double lat, bool fine) const {
    if (fine && hasFine_ && fine_.covers(lon, lat)) return fine_.at(lon, lat);
    if (hasCoarse_ && coarse_.covers(lon, lat)) return coarse_.at(lon, lat);
    if (hasFine_ && fine_.covers(lon, lat)) return fine_.at(lon, lat);
    return coast_.exactKm(lon, lat);
}

double WorldModel::plateDepthM(double lon, double lat) const {
    const std::vector<GeoPoint>& ridge = ridgeAxis();
    double ridgeLon = ridge.front().lon;
    if (lat >= ridge.back().lat) {
        ridgeLon = ridge.back().lon;
    } else if (lat > ridge.front().lat) {
        for (std::size_t i = 0; i + 1 < ridge.size(); ++i) {
            if (lat <= ridge[i + 1].lat) {
                const double t = (lat - ridge[i].lat) / (ridge[i + 1].lat - ridge[i].lat);
                ridgeLon = ridge[i].lon + t * (ridge[i + 1].lon - ridge[i].lon);
                break;
            }
        }
    }
    double dLon = ridgeLon - lon;  // positive west of the ridge (Pacific plate)
    if (dLon < -70.0) dLon += 360.0;
    const double km = std::fabs(dLon) * std::cos(lat * kPi / 180.0) * kKm;
    // The Pacific plate spreads at about 55 km per million years here, the
    // plates east of the ridge faster.
    double age = dLon >= 0.0 ? km / 55.0 : km / 75.0;
    // North of the ridge's end the floor off the continent is old Farallon
    // crust rather than fresh ridge crust.
    age += 8.0 * smooth01((lat - 21.0) / 4.0);
    return depthOfAge(std::min(age, 170.0));
}

double WorldModel::swellM(double lon, double lat) const {
    if (lon > -148.0 || lat < 8.0 || lat > 36.0) return 0.0;
    const LineDistance d = distanceToLine(chainAxis(), lon, lat);
    const double swell = 1150.0 * std::exp(-(d.km / 330.0) * (d.km / 330.0)) *
                         (d.alongKm < 1200.0 ? 1.0 : std::exp(-(d.alongKm - 1200.0) / 1800.0));
    const double moat = 550.0 * std::exp(-((d.km - 115.0) / 45.0) * ((d.km - 115.0) / 45.0)) *
                        std::exp(-d.alongKm / 800.0);
    return swell - moat;
}

double WorldModel::baseSeaFloorM(double lon, double lat, double seaKm, const Detail& d) const {
    const double x = lon * kKm, y = lat * kKm;
    const double abyss = plateDepthM(lon, lat) + 280.0 * fractalNoise(x, y, seed_ + 2u, 700.0, 2, d.minWavelengthKm) -
                         swellM(lon, lat);
    // Beyond kMarginKm the margin has reached the abyssal depth whatever its
    // widths, so they need no noise there.
    constexpr double kMarginKm = 52.0 + 2.5 * 100.0;
    const bool margin = seaKm < kMarginKm;
    const double shelfKm = margin ? 12.0 + 40.0 * (0.5 + 0.5 * fractalNoise(x, y, seed_ + 3u, 500.0, 2, d.minWavelengthKm)) : 52.0;
    const double slopeKm = margin ? 50.0 + 50.0 * (0.5 + 0.5 * fractalNoise(x, y, seed_ + 4u, 400.0, 2, d.minWavelengthKm)) : 100.0;
    double depth;
    if (seaKm < shelfKm) {
        depth = 150.0 * seaKm / shelfKm;
    } else {
        const double u = clamp01((seaKm - shelfKm) / (2.5 * slopeKm));
        const double g = 1.0 - (1.0 - u) * (1.0 - u) * (1.0 - u);
        depth = 150.0 + (abyss - 150.0) * g;
        // Canyons cut the upper slope.
        const double band = std::sin(kPi * clamp01((seaKm - shelfKm) / (1.6 * slopeKm)));
        if (band > 0.0) {
            const double r = ridgedNoise(x, y, seed_ + 5u, 45.0, 3, d.minWavelengthKm);
            depth += 420.0 * band * r * r * r;
        }
    }
    double elevation = -depth;

    // Fracture zones: a trough with a ridge beside it and a step across.
    const double coastFade = clamp01((seaKm - 120.0) / 120.0);
    if (coastFade > 0.0) {
        for (const FractureZone& f : fractureZones()) {
            if (lon < f.west.lon - 3.0 || lon > f.east.lon + 1.0) continue;
            const double t = (lon - f.west.lon) / (f.east.lon - f.west.lon);
            const double axisLat = f.west.lat + t * (f.east.lat - f.west.lat);
            const double across = (lat - axisLat) * kKm;  // north positive
            if (std::fabs(across) > 80.0) continue;
            const double ends = smooth01((lon - (f.west.lon - 3.0)) / 3.0) * smooth01((f.east.lon + 1.0 - lon) / 1.0);
            const double relief = -650.0 * std::exp(-(across / 7.0) * (across / 7.0)) +
                                  300.0 * std::exp(-((across + 15.0) / 9.0) * ((across + 15.0) / 9.0)) -
                                  0.5 * f.stepM * std::tanh(across / 14.0);
            elevation += relief * ends * coastFade;
        }
    }

    // The trench along the subduction margin, with its outer rise.
    if (lon > -110.0 && lon < -80.0 && lat > 4.0 && lat < 25.0) {
        const LineDistance t = distanceToLine(trenchAxis(), lon, lat);
        const double across = t.offsetKm;  // positive on the landward (north-east) side
        // The trench dies out past the ends of its axis instead of ending in a pit.
        const double ends = std::exp(-(t.beyondKm / 40.0) * (t.beyondKm / 40.0));
        elevation -= ends * 2600.0 * std::exp(-(across / 24.0) * (across / 24.0));
        elevation += ends * 280.0 * std::exp(-((across + 75.0) / 35.0) * ((across + 75.0) / 35.0));
    }
    return elevation;
}

double WorldModel::landM(double lon, double lat, double inlandKm, const Detail& d) const {
    const double x = lon * kKm, y = lat * kKm;
    const double plain = 350.0 * (1.0 - std::exp(-inlandKm / 25.0)) *
                         (0.7 + 0.3 * fractalNoise(x, y, seed_ + 22u, 60.0, 4, d.minWavelengthKm));
    const double ranges = 0.35 + 0.65 * (0.5 + 0.5 * fractalNoise(x, y, seed_ + 20u, 800.0, 2, d.minWavelengthKm));
    const double mountains = 2600.0 * ranges * ridgedNoise(x, y, seed_ + 21u, 160.0, 8, d.minWavelengthKm) *
                             clamp01(inlandKm / 35.0);
    return plain + mountains;
}

WorldModel::ConeHeights WorldModel::conesM(double lon, double lat, const Detail& d) const {
    ConeHeights heights;
    const int lonCell = static_cast<int>(std::floor(lon));
    const int latCell = static_cast<int>(std::floor(lat));
    if (lonCell < -180 || lonCell > 179 || latCell < -90 || latCell > 89) return heights;
    const std::vector<int>& list = coneCells_[static_cast<std::size_t>(cellIndex(lonCell, latCell))];
    if (list.empty()) return heights;
    const double kx = std::cos(lat * kPi / 180.0) * kKm;
    for (int i : list) {
        const Cone& c = cones_[static_cast<std::size_t>(i)];
        const double ex = (lon - c.lon) * kx, ny = (lat - c.lat) * kKm;
        // Along the long axis (bearing from north) and across it.
        const double along = ex * c.sinB + ny * c.cosB;
        const double across = ex * c.cosB - ny * c.sinB;
        const double r = std::sqrt((along / c.aspect) * (along / c.aspect) + across * across);
        if (r >= c.radiusKm * 1.15) continue;
        const double wobble = 1.0 + 0.1 * fractalNoise(lon * kKm, lat * kKm, seed_ + 30u, 24.0, 3, d.minWavelengthKm);
        const double f = coneProfile(r / (c.radiusKm * wobble));
        const double h = c.reliefM * (c.flatTop ? std::min(1.0, 1.7 * f) : f);
        if (c.island) {
            heights.island = std::max(heights.island, h);
            heights.islandTopM = std::max(heights.islandTopM, c.floorM + h);
        } else {
            heights.other = std::max(heights.other, h);
        }
    }
    return heights;
}

double WorldModel::elevationM(double lon, double lat, const Detail& d) const {
    const double x = lon * kKm, y = lat * kKm;
    double seaKm = d.exactCoast ? coast_.exactKm(lon, lat) : coastKm(lon, lat, d.fineCoast);
    // A ragged shore: the distance is shifted by up to 2.5 km near the coast,
    // but never by more than half of itself, so the shore stays on the
    // coastline.
    const double nearCoast = clamp01((90.0 - std::fabs(seaKm)) / 40.0);
    if (nearCoast > 0.0) {
        const double shift = nearCoast * 2.5 * fractalNoise(x, y, seed_ + 1u, 24.0, 6, d.minWavelengthKm);
        seaKm += std::clamp(shift, -0.5 * std::fabs(seaKm), 0.5 * std::fabs(seaKm));
    }
    if (seaKm <= 0.0) {
        // On an island the volcano rises above the generic relief.
        const double land = landM(lon, lat, -seaKm, d);
        const ConeHeights cones = conesM(lon, lat, d);
        return cones.island > 0.0 ? std::max(land, cones.islandTopM) : land;
    }

    double elevation = baseSeaFloorM(lon, lat, seaKm, d);
    // Abyssal hills, stretched north-south along the old ridge, buried by
    // sediment near the continent.
    const double hillWeight = clamp01((seaKm - 110.0) / 180.0);
    if (hillWeight > 0.0) {
        const double amplitude = 420.0 * (0.6 + 0.4 * fractalNoise(x, y, seed_ + 7u, 300.0, 1, d.minWavelengthKm));
        elevation += hillWeight * amplitude * fractalNoise(x * 3.0, y, seed_ + 6u, 60.0, 5, d.minWavelengthKm * 3.0);
    }
    const ConeHeights cones = conesM(lon, lat, d);
    const double floor = elevation;
    // A volcano makes the floor shallower, never deeper.
    elevation += std::max(cones.island, cones.other);
    if (cones.island > 0.0) {
        // An island's flanks go under at its coast and steepen away from it
        // (60 m a kilometre), but no deeper than the floor around.
        elevation = std::min(elevation, std::max(floor, -(2.0 + 60.0 * seaKm)));
    }
    return elevation;
}

}  // namespace tessarin::worldgen
