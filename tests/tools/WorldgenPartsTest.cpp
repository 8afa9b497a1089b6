// Pieces of the sample world generator that need no generated tile: cell
// grid, depth codes, noise, coast distances, artwork and sample inputs.

#include "Artwork.hpp"
#include "CoastField.hpp"
#include "Geography.hpp"
#include "Noise.hpp"
#include "SampleInputs.hpp"
#include "TileRenderer.hpp"
#include "WorldGenerator.hpp"
#include "WorldModel.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace tessarin::worldgen {
namespace {

// The planner's cell of a point, by its own arithmetic (west edge 8j - 180).
CellId plannerCell(double lon, double lat) {
    int lonIdx = static_cast<int>(std::trunc(lon + 180.0 + 360.0)) / 8;
    if (lonIdx >= 45) lonIdx -= 45;
    const int latIdx = static_cast<int>(std::trunc(lat + 96.0)) / 8;
    return {8 * lonIdx - 180, 8 * latIdx - 96};
}

bool contains(const std::vector<CellId>& cells, const CellId& c) {
    return std::find(cells.begin(), cells.end(), c) != cells.end();
}

TEST(WorldgenCells, RegionsFollowThePlannerGrid) {
    std::vector<CellId> cells;
    std::string error;
    EXPECT_TRUE(regionCells(-172, -108, 0, 40, cells, error)) << error;
    EXPECT_EQ(cells.size(), 8u * 5u);
    // -168 is not a west edge of the planner's grid; neither is a latitude of 4.
    EXPECT_FALSE(regionCells(-168, -112, 0, 40, cells, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(regionCells(-172, -108, 4, 40, cells, error));
    EXPECT_FALSE(regionCells(-108, -172, 0, 40, cells, error));
    EXPECT_FALSE(regionCells(-172, -108, 0, 96, cells, error));
}

TEST(WorldgenCells, DefaultWorldHoldsTheDemoTransitAndItsPreload) {
    const std::vector<CellId> cells = defaultCells();
    // Both ends of the demo transit and the 3-degree margin the arc preload
    // looks at, plus the area files' corners.
    for (double lat : {22.2 - 3.0, 22.2, 22.2 + 3.0})
        for (double lon : {-159.5 - 3.0, -159.5, -159.5 + 3.0})
            EXPECT_TRUE(contains(cells, plannerCell(lon, lat))) << lon << " " << lat;
    for (double lat : {33.754 - 3.0, 33.754, 33.754 + 3.0})
        for (double lon : {-118.225 - 3.0, -118.225, -118.225 + 3.0})
            EXPECT_TRUE(contains(cells, plannerCell(lon, lat))) << lon << " " << lat;
    // The region asked for in the issue: 168 W to 112 W, 0 to 40 N.
    for (double lat = 0.5; lat < 40.0; lat += 1.0)
        for (double lon = -167.5; lon < -112.0; lon += 1.0)
            EXPECT_TRUE(contains(cells, plannerCell(lon, lat))) << lon << " " << lat;
}

TEST(WorldgenCells, PictureWidthNarrowsTowardsThePoles) {
    EXPECT_EQ(pictureWidthFor(0), 1920);
    EXPECT_EQ(pictureWidthFor(48), 1920);
    EXPECT_EQ(pictureWidthFor(56), 960);
    EXPECT_EQ(pictureWidthFor(64), 960);
    EXPECT_EQ(pictureWidthFor(-56), 1920);
    EXPECT_EQ(pictureWidthFor(-64), 960);
}

TEST(WorldgenCodes, DepthCodesDecodeToTheElevation) {
    // The planner reads elevation = code / 3 - 12000.
    struct Case {
        double elevation;
        int code;
    } cases[] = {{0.0, 36000}, {-12000.0, 0}, {-4000.0, 24000}, {-4000.2, 23999}, {100.0 / 3.0, 36100},
                 {-20000.0, 0}, {20000.0, 65535}};
    for (const Case& c : cases) EXPECT_EQ(depthCodeOf(c.elevation), c.code) << c.elevation;
    for (double e = -7000.0; e < 5000.0; e += 123.457) {
        const double back = depthCodeOf(e) / 3.0 - 12000.0;
        EXPECT_LE(std::fabs(back - e), 1.0 / 6.0 + 1e-9) << e;
    }
}

TEST(WorldgenNoise, DeterministicBoundedAndSeeded) {
    double differ = 0.0;
    for (int i = 0; i < 2000; ++i) {
        const double x = i * 3.37 - 2000.0, y = i * 1.91 + 50.0;
        const double a = fractalNoise(x, y, 7u, 40.0, 6, 0.1);
        EXPECT_EQ(a, fractalNoise(x, y, 7u, 40.0, 6, 0.1));
        EXPECT_GE(a, -1.0);
        EXPECT_LE(a, 1.0);
        const double r = ridgedNoise(x, y, 7u, 40.0, 6, 0.1);
        EXPECT_GE(r, 0.0);
        EXPECT_LE(r, 1.0);
        differ = std::max(differ, std::fabs(a - fractalNoise(x, y, 8u, 40.0, 6, 0.1)));
    }
    EXPECT_GT(differ, 0.2);
    // Dropping detail smooths but keeps the large shapes.
    double gap = 0.0;
    for (int i = 0; i < 500; ++i) {
        const double x = i * 0.7;
        gap = std::max(gap, std::fabs(fractalNoise(x, 3.0, 1u, 400.0, 8, 0.5) - fractalNoise(x, 3.0, 1u, 400.0, 8, 20.0)));
    }
    EXPECT_LT(gap, 0.25);
    EXPECT_GT(gap, 0.0);
}

TEST(WorldgenCoast, SignedDistanceOnGridsMatchesTheExactOne) {
    const CoastField coast(landRings());
    EXPECT_GT(coast.exactKm(-140.0, 20.0), 300.0);        // open Pacific
    EXPECT_LT(coast.exactKm(-100.0, 40.0), -300.0);       // inland North America
    EXPECT_GT(coast.exactKm(-118.225, 33.754), 0.2);      // Long Beach harbour: at sea,
    EXPECT_LT(coast.exactKm(-118.225, 33.754), 5.0);      // a few km off the shore
    EXPECT_LT(coast.exactKm(-118.0, 34.0), 0.0);          // Los Angeles is land
    EXPECT_GT(coast.exactKm(-112.0, 27.5), 0.0);          // Gulf of California is sea

    // A small grid and a larger one share node values, so a cell written
    // alone matches the same cell written with the whole world.
    const CoastField::Grid small = coast.sample(GeoBox{-119.0, -117.0, 33.0, 34.5}, 30, 2);
    const CoastField::Grid large = coast.sample(GeoBox{-121.0, -116.0, 32.0, 35.0}, 30, 1);
    for (double lat = 33.1; lat < 34.4; lat += 0.137) {
        for (double lon = -118.9; lon < -117.1; lon += 0.161) {
            ASSERT_TRUE(small.covers(lon, lat));
            EXPECT_DOUBLE_EQ(small.at(lon, lat), large.at(lon, lat));
            // Interpolation stays within a couple of km of the exact distance.
            EXPECT_NEAR(small.at(lon, lat), coast.exactKm(lon, lat), 2.5) << lon << " " << lat;
        }
    }
    const double nodeLon = -118.0, nodeLat = 34.0;
    EXPECT_NEAR(small.at(nodeLon, nodeLat), coast.exactKm(nodeLon, nodeLat), 1e-3);
}

TEST(WorldgenModel, CoastShelfAndIslandsWhereTheyBelong) {
    WorldModel world(1);
    const GeoBox box{-120.5, -116.5, 31.5, 35.0};
    world.prepare(&box, false, 2);
    const Detail detail;
    // Long Beach harbour: shallow water right at the shore, land just inland.
    const double harbour = world.elevationM(-118.225, 33.754, detail);
    EXPECT_LT(harbour, 0.0);
    EXPECT_GT(harbour, -60.0);
    EXPECT_GT(world.elevationM(-118.20, 33.85, detail), 0.0);
    EXPECT_GT(world.elevationM(-117.5, 34.5, detail), 0.0);
    // Off San Diego: shelf, then slope.
    EXPECT_GT(world.elevationM(-117.35, 32.7, detail), -250.0);
    EXPECT_LT(world.elevationM(-118.3, 32.0, detail), -2000.0);
    // Different seeds give different texture but the same geography.
    WorldModel other(2);
    other.prepare(&box, false, 1);
    EXPECT_NE(world.elevationM(-119.3, 32.2, detail), other.elevationM(-119.3, 32.2, detail));
    EXPECT_GT(other.elevationM(-117.5, 34.5, detail), 0.0);
}

TEST(WorldgenArtwork, SizesAndColourKey) {
    const std::vector<RawImage> images = makeArtwork();
    ASSERT_EQ(images.size(), 6u);
    struct Want {
        const char* name;
        int width, height;
    } want[] = {{"Ostra_Logo.raw", 450, 450},          {"Kelvex_Logo_bg.raw", 450, 450}, {"GEBCO_3.raw", 450, 450},
                {"Menu_Planner_Zoom_2.raw", 512, 256}, {"Scale512x128.raw", 512, 128},   {"DataLoading.raw", 512, 256}};
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].name, want[i].name);
        EXPECT_EQ(images[i].width, want[i].width);
        EXPECT_EQ(images[i].height, want[i].height);
        EXPECT_EQ(images[i].rgb.size(), static_cast<std::size_t>(want[i].width) * want[i].height * 3);
    }
    // Buttons: transparent corners (red below 30), visible content in the middle.
    for (std::size_t i = 3; i < 6; ++i) {
        const RawImage& b = images[i];
        EXPECT_LT(b.rgb[0], 30) << b.name;
        long visible = 0;
        for (std::size_t p = 0; p < b.rgb.size(); p += 3) visible += b.rgb[p] >= 30;
        EXPECT_GT(visible, static_cast<long>(b.rgb.size() / 3 / 5)) << b.name;
    }
}

TEST(WorldgenArtwork, FontDrawsGlyphsAndSkipsUnknownCharacters) {
    RawImage image{"t", 40, 10, std::vector<std::uint8_t>(40 * 10 * 3, 0)};
    EXPECT_EQ(textWidth("I", 1), 5);
    EXPECT_EQ(textWidth("II", 2), 22);
    drawText(image, "I", 0, 0, 1, 200, 0, 0);
    // The I glyph: a bar across the top row from column 1 to 3, a stem in column 2.
    auto red = [&](int x, int y) { return image.rgb[(static_cast<std::size_t>(y) * 40 + x) * 3]; };
    EXPECT_EQ(red(0, 0), 0);
    EXPECT_EQ(red(1, 0), 200);
    EXPECT_EQ(red(2, 3), 200);
    EXPECT_EQ(red(1, 3), 0);
    const std::vector<std::uint8_t> before = image.rgb;
    drawText(image, "#", 20, 0, 1, 200, 0, 0);
    EXPECT_EQ(image.rgb, before);
    drawText(image, "W", 38, 8, 3, 200, 0, 0);  // clipped at the border, no overrun
}

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(WorldgenSamples, ConfigurationNamesEveryKey) {
    const std::string config = readText(std::string(TESSARIN_WORLDGEN_DATA_DIR) + "/config.txt");
    std::istringstream words(config);
    std::vector<std::string> seen;
    std::string w;
    while (words >> w) seen.push_back(w);
    for (const char* key : {"boat_speed", "depth_multiplier", "turn_rate", "fill_overlap", "edge_overlap",
                            "extinction_table", "day_rate"}) {
        auto it = std::find(seen.begin(), seen.end(), key);
        ASSERT_NE(it, seen.end()) << key;
        ASSERT_NE(it + 1, seen.end());
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), "end");
    auto table = std::find(seen.begin(), seen.end(), "extinction_table");
    EXPECT_EQ(*(table + 1), "EMdefault.txt");
}

TEST(WorldgenSamples, ExtinctionCurveIsAPlausibleDeepWaterCurve) {
    std::ifstream in(std::string(TESSARIN_WORLDGEN_DATA_DIR) + "/EMdefault.txt");
    std::vector<std::pair<double, double>> rows;
    double depth, multiple;
    while (in >> depth >> multiple) rows.push_back({depth, multiple});
    ASSERT_GE(rows.size(), 5u);
    EXPECT_LE(rows.size(), 30u);
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_GT(rows[i].first, rows[i - 1].first);
        EXPECT_LE(rows[i].second, rows[i - 1].second);  // swaths narrow (relative to depth) with depth
    }
    // Rows at 100 and 7000 m: about 5.5 and about 2 times the depth.
    auto at = [&](double d) {
        for (const auto& r : rows) if (r.first == d) return r.second;
        return -1.0;
    };
    EXPECT_NEAR(at(100.0), 5.5, 0.3);
    EXPECT_NEAR(at(7000.0), 2.0, 0.3);
    // The planner's table ends at 10990 m; nothing may lie beyond it.
    EXPECT_LE(rows.back().first, 10990.0);
}

TEST(WorldgenSamples, AreaFilesAreConvexPolygonsInThePlannerFormat) {
    for (const char* name : {"Area_1.csv", "Area_2.csv", "Area_3.csv"}) {
        std::ifstream in(std::string(TESSARIN_WORLDGEN_DATA_DIR) + "/" + name);
        std::string line;
        ASSERT_TRUE(std::getline(in, line)) << name;
        EXPECT_EQ(line, "Lon, Lat  ");
        std::vector<std::pair<double, double>> pts;
        while (std::getline(in, line)) {
            double lon, lat;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf, %lf", &lon, &lat), 2) << line;
            char again[64];
            std::snprintf(again, sizeof again, "%8.6f, %8.6f ", lon, lat);
            EXPECT_EQ(line, again);
            pts.push_back({lon, lat});
        }
        ASSERT_GE(pts.size(), 3u) << name;
        int sign = 0;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const auto& a = pts[i];
            const auto& b = pts[(i + 1) % pts.size()];
            const auto& c = pts[(i + 2) % pts.size()];
            const double cross = (b.first - a.first) * (c.second - b.second) - (b.second - a.second) * (c.first - b.first);
            const int s = cross > 0 ? 1 : -1;
            if (sign == 0) sign = s;
            EXPECT_EQ(s, sign) << name << " turns the other way at vertex " << i + 1;
        }
    }
}

TEST(WorldgenSamples, AreasLieWhereTheirPurposeNeedsThem) {
    WorldModel world(1);
    const GeoBox box{-128.5, -116.5, 11.0, 33.0};
    world.prepare(&box, false, 2);
    const Detail detail;
    auto vertices = [](const char* name) {
        std::ifstream in(std::string(TESSARIN_WORLDGEN_DATA_DIR) + "/" + name);
        std::string line;
        std::getline(in, line);
        std::vector<std::pair<double, double>> pts;
        double lon, lat;
        while (std::getline(in, line) && std::sscanf(line.c_str(), "%lf, %lf", &lon, &lat) == 2) pts.push_back({lon, lat});
        return pts;
    };
    // Area 1: deep water throughout.
    for (const auto& p : vertices("Area_1.csv")) EXPECT_LT(world.elevationM(p.first, p.second, detail), -4000.0);
    // Area 2: from deep water onto the shelf.
    double shallowest = -1e9, deepest = 0.0;
    for (const auto& p : vertices("Area_2.csv")) {
        const double e = world.elevationM(p.first, p.second, detail);
        EXPECT_LT(e, 0.0);
        shallowest = std::max(shallowest, e);
        deepest = std::min(deepest, e);
    }
    EXPECT_GT(shallowest, -200.0);
    EXPECT_LT(deepest, -2000.0);
    // Area 3: a seamount rises more than 2 km above its corners.
    const auto three = vertices("Area_3.csv");
    double cornerMax = -1e9, lonSum = 0.0, latSum = 0.0;
    for (const auto& p : three) {
        cornerMax = std::max(cornerMax, world.elevationM(p.first, p.second, detail));
        lonSum += p.first, latSum += p.second;
    }
    const double centre = world.elevationM(lonSum / three.size(), latSum / three.size(), detail);
    EXPECT_GT(centre - cornerMax, 2000.0);
    EXPECT_LT(centre, -200.0);
}

}  // namespace
}  // namespace tessarin::worldgen
