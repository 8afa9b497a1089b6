#pragma once
// A flat 4000 m floor (tile 4..12 E, 0..8 N) with a flat extinction curve of
// 4, and coverage lookups for the fit tests: the planner's grids over that
// tile, or a scripted one that answers from a rule and records every probe.

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "earth/MapProjection.hpp"
#include "fit/CoverageLookup.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TileWriter.hpp"

namespace tessarin::test {

constexpr float kFloorM = -4000.0f;
constexpr float kMultiplier = 4.0f;

// Half swath width in map units on the flat floor at latitude lat, as the
// fits compute it.
inline float flatHalfWidth(double lat) {
    const float sec = static_cast<float>(1.0 / std::cos(lat * 3.141592 / 180.0));
    return static_cast<float>(4000.0 * 0.5 * kMultiplier * sec / 111111.0);
}

struct Probe {
    double lon;
    double lat;
    bool fine;
};

// Answers value(lon, mapY(lat)) where readable(lon, lat) holds; elsewhere
// reports the cell unreadable after scribbling 255 into the value, which a
// caller must not use.
class ScriptedCoverage : public CoverageLookup {
public:
    std::function<std::uint16_t(double lon, double y)> value = [](double, double) { return std::uint16_t{0}; };
    std::function<bool(double lon, double lat)> readable = [](double, double) { return true; };
    mutable std::vector<Probe> probes;

    bool coarse(double lon, double lat, std::uint16_t& v) const override { return answer(lon, lat, false, v); }
    bool fine(double lon, double lat, std::uint16_t& v) const override { return answer(lon, lat, true, v); }

private:
    bool answer(double lon, double lat, bool isFine, std::uint16_t& v) const {
        probes.push_back({lon, lat, isFine});
        if (!readable(lon, lat)) {
            v = 255;
            return false;
        }
        v = value(lon, mapY(lat));
        return true;
    }
};

struct FitWorld {
    PlanWorld world;
    std::unique_ptr<SurveyPolygon> polygon;
    std::unique_ptr<CoverageGrid> grid;
    std::unique_ptr<GridCoverageLookup> gridLookup;

    FitWorld() {
        writeFlatDataTile(world.dir.path(), 4, 0, kFloorM);
        world.build(kMultiplier);
        polygon = std::make_unique<SurveyPolygon>(world.out, kMultiplier);
        grid = std::make_unique<CoverageGrid>(world.tiles, *world.plan, *polygon, world.out);
        gridLookup = std::make_unique<GridCoverageLookup>(world.tiles, *grid);
        float e = 0.0f;
        world.tiles.getDepth(8.0, 4.0, e);  // resident from the start
    }

    // Sets the coverage byte of every pixel of the tile for which
    // covered(lon, y) holds (pixel centres), clears the others.
    void paintCoverage(const std::function<bool(double lon, double y)>& covered, std::uint8_t value = 0x40) {
        DepthTile* t = world.tiles.residentTile(8.0, 4.0);
        for (int row = 0; row < t->height; ++row) {
            const double lat = 8.0 - (row + 0.5) / 240.0;
            const double y = mapY(lat);
            std::uint8_t* b = t->coverageRow(row);
            for (int col = 0; col < t->width; ++col) b[col] = covered(4.0 + (col + 0.5) / 240.0, y) ? value : 0;
        }
    }
};

}  // namespace tessarin::test
