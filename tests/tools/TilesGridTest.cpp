// Reading grids: which grid pixel holds a point (grids running -180..180 or
// 0..360, global grids wrapping at the date line, poles) and the averages
// the overview pictures are drawn from.

#include "GridAverage.hpp"
#include "GridSource.hpp"
#include "TilesGridWriters.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace tessarin::tiles {
namespace {

TEST(TilesGrid, PointsFindTheirPixelWhateverTheGridsLongitudeConvention) {
    test::TempDir dir;
    auto zero = [](int, int) { return 0; };
    ASSERT_TRUE(test::writeGeoTiff(dir.file("global360.tif"), {0.0, 90.0, 1.0, 360, 180, zero}));
    ASSERT_TRUE(test::writeGeoTiff(dir.file("dateline.tif"), {170.0, 10.0, 1.0, 20, 20, zero}));
    std::string error;
    auto global = GridSource::open(dir.file("global360.tif"), error);
    auto dateline = GridSource::open(dir.file("dateline.tif"), error);
    ASSERT_TRUE(global && dateline) << error;
    EXPECT_TRUE(global->global());
    EXPECT_FALSE(dateline->global());
    struct Case {
        const GridSource* grid;
        double lon;
        int col;
    } columns[] = {{global.get(), 0.5, 0},      {global.get(), -0.5, 359},  {global.get(), -179.5, 180},
                   {global.get(), 179.5, 179},  {global.get(), -180.0, 180}, {dateline.get(), 175.5, 5},
                   {dateline.get(), -175.5, 14}, {dateline.get(), 0.0, -1},  {dateline.get(), -169.5, -1}};
    for (const Case& c : columns) EXPECT_EQ(c.grid->columnOf(c.lon), c.col) << c.lon;
    struct Row {
        double lat;
        int row;
    } rows[] = {{89.5, 0}, {90.0, 0}, {90.5, -1}, {-89.5, 179}, {-90.5, -1}, {0.5, 89}, {-0.5, 90}};
    for (const Row& r : rows) EXPECT_EQ(global->rowOf(r.lat), r.row) << r.lat;
}

TEST(TilesGrid, OverviewPixelsAverageTheGridPixelsInsideThem) {
    test::TempDir dir;
    // 3 x 3 grid pixels of 1/80 degree under each output pixel of 0.0375.
    auto ramp = [](int r, int c) { return r * 100 + c; };
    ASSERT_TRUE(test::writeGeoTiff(dir.file("fine.tif"), {-180.0, 8.0, 1.0 / 80.0, 240, 240, ramp}));
    // Whole degrees, wrapping at the date line: coarser than the picture.
    auto coarse = [](int r, int c) { return -(r * 100 + c); };
    ASSERT_TRUE(test::writeGeoTiff(dir.file("coarse.tif"), {-180.0, 90.0, 1.0, 360, 180, coarse}));
    std::string error;
    auto fine = GridSource::open(dir.file("fine.tif"), error);
    auto world = GridSource::open(dir.file("coarse.tif"), error);
    ASSERT_TRUE(fine && world) << error;

    tilekit::ElevationGrid grid;
    ASSERT_TRUE(averagedGrid(*fine, -180.0, 8.0, 0.0375, 0.0375, 80, 80, grid, error)) << error;
    long wrong = 0;
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 80; ++c) wrong += grid.at(r, c) != static_cast<float>(ramp(3 * r + 1, 3 * c + 1));
    EXPECT_EQ(wrong, 0);
    // The margin lies outside this small grid.
    EXPECT_TRUE(std::isnan(grid.at(-1, 10)));
    EXPECT_TRUE(std::isnan(grid.at(10, -1)));
    EXPECT_TRUE(std::isnan(grid.at(80, 10)));
    EXPECT_TRUE(std::isnan(grid.at(10, 80)));

    // An overview block at 180 W: each output pixel takes the degree under
    // its centre, and the western margin comes from the grid's east end.
    ASSERT_TRUE(averagedGrid(*world, -180.0, 72.0, 0.0375, 0.0375, 1920, 1920, grid, error)) << error;
    struct Probe {
        int r, c;
        int gridRow, gridCol;
    } probes[] = {{0, 0, 18, 0}, {1919, 1919, 89, 71}, {960, 500, 54, 18}, {5, -1, 18, 359}, {-1, 5, 17, 0}};
    for (const Probe& p : probes)
        EXPECT_EQ(grid.at(p.r, p.c), static_cast<float>(coarse(p.gridRow, p.gridCol))) << p.r << " " << p.c;
}

}  // namespace
}  // namespace tessarin::tiles
