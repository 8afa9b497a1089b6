// Straight legs are shared out to worker threads. Whatever the threads do,
// the plan, the console and the tile ring must come out exactly as when the
// calling thread does every leg alone, in order, loading tiles on the way.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "earth/MapProjection.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

// Narrow data tiles (64 columns) keep thirty cells quick to read; the floor
// shoals and deepens across and along each of them so the edge search takes
// both branches.
void writeFloor(const std::string& root, int lon0, int lat0) {
    test::writeDataTile(
        root, lon0, lat0,
        [lon0, lat0](int row, int col) {
            test::DataPixel p;
            const double e = -300.0 - 70.0 * col - 1.5 * ((row * 7 + lon0 * 3 + lat0) % 1000);
            p.code = test::codeOfElevation(e);
            return p;
        },
        64);
}

struct Scenario {
    const char* name;
    std::function<void(const std::string& root)> writeTiles;
    // Waypoints (lon, lat) of the plan.
    std::vector<std::pair<double, double>> route;
    // Passes over a plan whose cells are already resident before the one
    // compared.
    bool warm;
};

std::vector<std::pair<double, double>> zigzag(double lon0, double lon1, double lat0, double latStep, int legs) {
    std::vector<std::pair<double, double>> r;
    for (int i = 0; i <= legs; ++i) r.push_back({(i / 2) % 2 == 0 ? lon0 : lon1, lat0 + latStep * i});
    return r;
}

struct Outcome {
    std::string console;
    std::uint64_t lookups = 0;
    std::vector<std::vector<float>> swaths;  // per leg: the arrays and totals
    std::vector<std::pair<int, int>> ring;
    int loadCounter = 0;
    int resident = 0;
};

Outcome run(const Scenario& s, unsigned workers) {
    test::PlanWorld world;
    s.writeTiles(world.dir.path());
    SurveyPlan& plan = world.build(4.0f, 1111.11f);
    plan.setSwathWorkers(workers);
    for (const auto& [lon, lat] : s.route) plan.addWaypoint(lon, mapY(lat), lat, 9.0f, 4.0f);
    if (s.warm) plan.generateSwaths(false);
    world.takeOutput();
    const std::uint64_t before = plan.depthLookupCount();
    plan.generateSwaths(false);

    Outcome o;
    // Each world has its own folder; the console is compared without it.
    o.console = world.takeOutput();
    const std::string root = world.dir.path();
    for (std::size_t at = o.console.find(root); at != std::string::npos; at = o.console.find(root, at))
        o.console.replace(at, root.size(), "<root>/");
    o.lookups = plan.depthLookupCount() - before;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next) {
        std::vector<float> v(w->rightX, w->rightX + w->sampleCount);
        for (const float* a : {w->rightY, w->leftX, w->leftY, w->rightReach, w->leftReach})
            v.insert(v.end(), a, a + w->sampleCount);
        v.insert(v.end(), {w->lengthKm, w->areaKm2, static_cast<float>(w->normalX), static_cast<float>(w->sampleCount)});
        o.swaths.push_back(v);
    }
    for (int slot = 0; slot < TileStore::kRingSize; ++slot)
        o.ring.push_back({world.tiles.ringEntry(slot).latIdx, world.tiles.ringEntry(slot).lonIdx});
    o.loadCounter = world.tiles.loadCounter();
    o.resident = world.tiles.residentCount();
    return o;
}

TEST(SwathWorkers, SameOutcomeAsTheCallingThreadAlone) {
    const auto block = [](int lonFrom, int lonTo, int latFrom, int latTo) {
        return [=](const std::string& root) {
            for (int lon = lonFrom; lon <= lonTo; lon += 8)
                for (int lat = latFrom; lat <= latTo; lat += 8) writeFloor(root, lon, lat);
        };
    };
    const Scenario scenarios[] = {
        // Every cell resident before the pass.
        {"resident", block(4, 12, 0, 8), zigzag(6.0, 18.0, 1.0, 0.3, 40), true},
        // The legs walk north into cells read for the first time halfway
        // through the pass.
        {"tiles read on the way", block(4, 12, 0, 16), zigzag(6.0, 18.0, 1.0, 0.45, 40), false},
        // Cells without a tile file answer no data from every thread.
        {"cells without tiles", block(4, 4, 0, 8), zigzag(6.0, 18.0, 1.0, 0.3, 40), true},
        // Long legs over thirty cells: the ring of 24 lets tiles go and
        // reads them again.
        {"ring overflows", block(-100, 132, 0, 0), zigzag(-99.0, 131.0, 2.0, 0.1, 12), false},
    };
    for (const Scenario& s : scenarios) {
        const Outcome alone = run(s, 1);
        ASSERT_GT(alone.swaths.size(), 5u) << s.name;
        for (unsigned workers : {2u, 3u, 8u}) {
            const Outcome shared = run(s, workers);
            const auto differ = std::mismatch(alone.console.begin(), alone.console.end(), shared.console.begin(),
                                              shared.console.end());
            EXPECT_TRUE(shared.console == alone.console)
                << s.name << ", " << workers << " threads: console differs at \""
                << alone.console.substr(static_cast<std::size_t>(differ.first - alone.console.begin()), 80) << "\"";
            EXPECT_EQ(shared.lookups, alone.lookups) << s.name << ", " << workers << " threads";
            ASSERT_EQ(shared.swaths.size(), alone.swaths.size()) << s.name;
            for (std::size_t leg = 0; leg < alone.swaths.size(); ++leg) {
                const auto& a = alone.swaths[leg];
                const auto& b = shared.swaths[leg];
                EXPECT_TRUE(a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0)
                    << s.name << ", " << workers << " threads, leg " << leg;
            }
            EXPECT_EQ(shared.ring, alone.ring) << s.name << ", " << workers << " threads";
            EXPECT_EQ(shared.loadCounter, alone.loadCounter) << s.name;
            EXPECT_EQ(shared.resident, alone.resident) << s.name;
        }
    }
}

}  // namespace
}  // namespace tessarin
