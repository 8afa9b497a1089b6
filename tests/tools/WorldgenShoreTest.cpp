// The sample world's real shores: GMT's binned shoreline pieces join into
// the mainland coast and the island rings, and the generated world's coast
// lies on GSHHG's at San Diego, Cabo San Lucas and Hilo.

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "Shorelines.hpp"
#include "WorldModel.hpp"

namespace tessarin::worldgen {
namespace {

TEST(WorldgenShores, BinnedPiecesJoinIntoLinesAndRings) {
    struct Case {
        const char* what;
        const char* text;
        std::size_t mainland;
        std::vector<std::size_t> islands;
    };
    const std::vector<Case> cases = {
        {"island cut by two bins", "> Bin 1\n0 0\n1 0\n1 1\n> Bin 2\n1 1\n0 1\n0 0\n", 0, {4}},
        {"line in three pieces, out of order", "> a\n2 0\n3 0\n> b\n0 0\n1 0\n2 0\n> c\n3 0\n4 1\n", 5, {}},
        {"piece joined in front", "> a\n5 5\n6 5\n> b\n4 4\n5 5\n", 3, {}},
        {"longest open line wins", "> a\n0 0\n1 0\n> b\n9 9\n8 8\n7 7\n", 3, {}},
        {"blank and odd lines skipped", "> a\n\nnot numbers\n0 0\n1 0\n", 2, {}},
        {"nothing", "", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Shorelines s = parseShorelines(c.text);
        EXPECT_EQ(s.mainland.size(), c.mainland);
        std::vector<std::size_t> sizes;
        for (const Ring& r : s.islands) sizes.push_back(r.size());
        EXPECT_EQ(sizes, c.islands);
    }
    const Shorelines& sample = sampleShorelines();
    ASSERT_GT(sample.mainland.size(), 1000u);
    EXPECT_GT(sample.islands.size(), 100u);
    // The mainland coast runs between the cut region's north and east edges.
    const GeoPoint a = sample.mainland.front(), b = sample.mainland.back();
    EXPECT_NEAR(std::max(a.lat, b.lat), 45.0, 1e-6);
    EXPECT_NEAR(std::max(a.lon, b.lon), -100.0, 1e-6);
}

// Where a transect from sea to land first meets a polyline of the shore.
std::optional<double> firstCrossing(const GeoPoint& sea, const GeoPoint& land, const std::vector<GeoPoint>& line,
                                    bool closed) {
    std::optional<double> best;
    const std::size_t n = line.size();
    for (std::size_t i = 0; i + (closed ? 0 : 1) < n; ++i) {
        const GeoPoint& p = line[i];
        const GeoPoint& q = line[(i + 1) % n];
        const double rx = land.lon - sea.lon, ry = land.lat - sea.lat;
        const double sx = q.lon - p.lon, sy = q.lat - p.lat;
        const double den = rx * sy - ry * sx;
        if (den == 0.0) continue;
        const double t = ((p.lon - sea.lon) * sy - (p.lat - sea.lat) * sx) / den;
        const double u = ((p.lon - sea.lon) * ry - (p.lat - sea.lat) * rx) / den;
        if (t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0 && (!best || t < *best)) best = t;
    }
    return best;
}

TEST(WorldgenShores, CoastLiesOnTheRealShore) {
    struct Case {
        const char* place;
        GeoPoint sea;
        GeoPoint land;
        GeoPoint realShore;  // where maps put the shore on the transect
    };
    const std::vector<Case> cases = {
        {"San Diego, Ocean Beach", {-117.40, 32.75}, {-117.10, 32.75}, {-117.252, 32.75}},
        {"Cabo San Lucas", {-109.92, 22.78}, {-109.92, 23.00}, {-109.92, 22.885}},
        {"Hilo, Keaukaha shore east of the harbour", {-154.95, 19.73}, {-155.20, 19.73}, {-155.0, 19.73}},
    };
    WorldModel world(1);
    world.prepare(nullptr, false, 1);
    const Detail pixel{0.46, false, true};
    const Shorelines& shores = sampleShorelines();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place);
        const double kx = std::cos(c.sea.lat * M_PI / 180.0) * 111.2;
        const double lengthKm = std::hypot((c.land.lon - c.sea.lon) * kx, (c.land.lat - c.sea.lat) * 111.2);

        std::optional<double> gshhg = firstCrossing(c.sea, c.land, shores.mainland, false);
        for (const Ring& r : shores.islands) {
            const std::optional<double> t = firstCrossing(c.sea, c.land, r, true);
            if (t && (!gshhg || *t < *gshhg)) gshhg = t;
        }
        ASSERT_TRUE(gshhg);

        // The generated shore: the first sample at or above sea level, every 100 m.
        const int steps = static_cast<int>(lengthKm / 0.1);
        std::optional<double> generated;
        for (int i = 0; i <= steps && !generated; ++i) {
            const double t = static_cast<double>(i) / steps;
            const double e = world.elevationM(c.sea.lon + t * (c.land.lon - c.sea.lon),
                                              c.sea.lat + t * (c.land.lat - c.sea.lat), pixel);
            if (i == 0) {
                EXPECT_LT(e, -10.0);
            }
            if (e >= 0.0) generated = t;
        }
        ASSERT_TRUE(generated);
        EXPECT_LT(std::fabs(*generated - *gshhg) * lengthKm, 3.0) << "generated at " << *generated * lengthKm
                                                                   << " km, GSHHG at " << *gshhg * lengthKm;
        const double realT = std::hypot((c.realShore.lon - c.sea.lon) * kx, (c.realShore.lat - c.sea.lat) * 111.2) / lengthKm;
        EXPECT_LT(std::fabs(*generated - realT) * lengthKm, 3.0)
            << "GSHHG at " << c.sea.lon + *gshhg * (c.land.lon - c.sea.lon) << " " << c.sea.lat + *gshhg * (c.land.lat - c.sea.lat);
        // Land stands inland, the sea floor drops offshore.
        EXPECT_GT(world.elevationM(c.land.lon, c.land.lat, pixel), 0.0);
    }
}

}  // namespace
}  // namespace tessarin::worldgen
