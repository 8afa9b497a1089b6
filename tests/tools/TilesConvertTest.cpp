// The bathymetry converter on small grids with known values: depth codes,
// multibeam flags and row order come out exactly, the planner's own tile
// reader reads them back, windows reaching past the grid or the poles are
// filled, and pictures of a flat sea floor have no seams.

#include "TileBuilder.hpp"
#include "ReliefRenderer.hpp"
#include "TilesGridWriters.hpp"
#include "earth/DepthTile.hpp"
#include "earth/PngDecoder.hpp"
#include "support/TempDir.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace tessarin::tiles {
namespace {

using test::GridShape;
using test::TempDir;

constexpr double kPx = 1.0 / 240.0;  // 15 arc-seconds
constexpr int kCell = 1920;
constexpr int kNoDataCode = 36000;  // sea level

// GEBCO-like grid: 15 arc-seconds from 180 W to 162 W (two and a quarter
// cells) and from the equator to 8 N. Every pixel has its own elevation, so
// a shift by a pixel, a flipped or transposed row shows.
int elevationAt(int r, int c) { return -1 - (r * 7 + c * 13) % 9000; }
int typeAt(int r, int c) {
    const int k = (r + 3 * c) % 7;
    return k == 0 ? 11 : (k == 1 ? 10 : (k == 2 ? 17 : 0));  // 11 = multibeam
}
GridShape gebcoLike(std::function<int(int, int)> value) { return {-180.0, 8.0, kPx, 4320, 1920, std::move(value)}; }

std::uint16_t codeOf(const DecodedImage& image, int r, int c) {
    const std::uint8_t* p = &image.rgba[(static_cast<std::size_t>(r) * image.width + c) * 4];
    return static_cast<std::uint16_t>(p[0] * 256 + p[1]);
}
const std::uint8_t* pixelOf(const DecodedImage& image, int r, int c) {
    return &image.rgba[(static_cast<std::size_t>(r) * image.width + c) * 4];
}

TileBuildOptions cellsOnly(const std::string& elevation, const std::string& types, const std::string& out) {
    TileBuildOptions o;
    o.elevation = elevation;
    o.types = types;
    o.outDir = out;
    o.pictures = false;
    return o;
}

class TilesFromGebcoGrid : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir();
        ASSERT_TRUE(test::writeNetcdf(dir_->file("gebco.nc"), "elevation", gebcoLike(elevationAt)));
        ASSERT_TRUE(test::writeNetcdf(dir_->file("gebco_tid.nc"), "tid", gebcoLike(typeAt), true));
        // Cells from 180 W to 156 W and from the equator to 16 N: two whole
        // cells, one the grid reaches a quarter into, three north of it.
        TileBuildOptions o = cellsOnly("NETCDF:\"" + dir_->file("gebco.nc") + "\":elevation",
                                       "NETCDF:\"" + dir_->file("gebco_tid.nc") + "\":tid", dir_->file("world"));
        o.haveWindow = true;
        o.west = -180, o.south = 0, o.east = -156, o.north = 16;
        NullProgress progress;
        std::string error;
        ok_ = buildTiles(o, progress, summary_, error);
        EXPECT_TRUE(ok_) << error;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(ok_); }
    static std::string world() { return dir_->file("world/"); }

    static TempDir* dir_;
    static bool ok_;
    static TileBuildSummary summary_;
};
TempDir* TilesFromGebcoGrid::dir_ = nullptr;
bool TilesFromGebcoGrid::ok_ = false;
TileBuildSummary TilesFromGebcoGrid::summary_;

TEST_F(TilesFromGebcoGrid, CodesFlagsAndRowOrderMatchTheGridPixelForPixel) {
    // The cell with west edge lon0 starts at grid column (lon0 + 180) * 240;
    // its row 0 is the grid's northernmost row.
    for (int lon0 : {-180, -172}) {
        const DecodedImage tile = decodePng(world() + "Tile_8png_d/BD_8_" + std::to_string(lon0) + "_0_1920.png");
        ASSERT_EQ(tile.width, kCell);
        ASSERT_EQ(tile.height, kCell);
        const int col0 = (lon0 + 180) * 240;
        long wrongCode = 0, wrongFlag = 0, wrongAlpha = 0, multibeam = 0;
        for (int r = 0; r < kCell; ++r) {
            for (int c = 0; c < kCell; ++c) {
                const std::uint8_t* p = pixelOf(tile, r, c);
                wrongCode += codeOf(tile, r, c) != (elevationAt(r, col0 + c) + 12000) * 3;
                const bool surveyed = typeAt(r, col0 + c) == 11;
                wrongFlag += p[2] != (surveyed ? 3 : 0);
                wrongAlpha += p[3] != 255;
                multibeam += surveyed;
            }
        }
        EXPECT_EQ(wrongCode, 0) << lon0;
        EXPECT_EQ(wrongFlag, 0) << lon0;
        EXPECT_EQ(wrongAlpha, 0) << lon0;
        EXPECT_GT(multibeam, 0);
    }
}

TEST_F(TilesFromGebcoGrid, ThePlannersTileReaderReadsTheDepthsAndReferencePixelsBack) {
    struct Case {
        int lon0;
        int row, col;  // grid pixel
    } cases[] = {{-180, 0, 0}, {-180, 1919, 0}, {-180, 0, 1919}, {-180, 1919, 1919}, {-172, 0, 1920},
                 {-172, 1919, 3839}, {-172, 777, 2500}, {-180, 1000, 1001}};
    std::ostringstream out;
    for (const Case& k : cases) {
        DepthTile tile(k.lon0, 0.0, 8.0, 0);
        ASSERT_TRUE(tile.loadData(world(), out)) << k.lon0;
        // The pixel's centre, read the way every depth lookup reads it.
        const double lon = -180.0 + (k.col + 0.5) * kPx, lat = 8.0 - (k.row + 0.5) * kPx;
        EXPECT_FLOAT_EQ(tile.elevationAt(lon, lat), static_cast<float>(elevationAt(k.row, k.col)))
            << k.row << " " << k.col;
        EXPECT_EQ(tile.coverageAt(lon, lat), typeAt(k.row, k.col) == 11 ? 0x40 : 0) << k.row << " " << k.col;
    }
    EXPECT_NE(out.str().find("Multibeam pixels "), std::string::npos);
}

TEST_F(TilesFromGebcoGrid, ACellTheGridOnlyPartlyCoversIsFilledAndCellsBeyondItAreNotWritten) {
    // The grid ends at 162 W, 480 pixels into the cell at 164 W.
    const DecodedImage tile = decodePng(world() + "Tile_8png_d/BD_8_-164_0_1920.png");
    ASSERT_EQ(tile.width, kCell);
    long wrongInside = 0, wrongFill = 0;
    for (int r = 0; r < kCell; r += 7) {
        for (int c = 0; c < kCell; ++c) {
            if (c < 480) wrongInside += codeOf(tile, r, c) != (elevationAt(r, 3840 + c) + 12000) * 3;
            else wrongFill += codeOf(tile, r, c) != kNoDataCode || pixelOf(tile, r, c)[2] != 0;
        }
    }
    EXPECT_EQ(wrongInside, 0);
    EXPECT_EQ(wrongFill, 0);
    EXPECT_TRUE(std::filesystem::exists(world() + "Tile_8png_i/BI_8_-164_0_1920.png"));
    for (int lon0 : {-180, -172, -164})
        EXPECT_FALSE(std::filesystem::exists(world() + "Tile_8png_d/BD_8_" + std::to_string(lon0) + "_8_1920.png"));
    EXPECT_EQ(summary_.cells, 3);
    EXPECT_EQ(summary_.emptyCells, 3);
}

TEST_F(TilesFromGebcoGrid, NeighbouringPicturesMeetAsOnePictureDrawnWhole) {
    // Both cells drawn as one 3840-column picture: the two tiles, drawn
    // apart, must be its halves exactly, shading at their shared edge included.
    tilekit::ElevationGrid wide;
    wide.reset(2 * kCell, kCell, 8.0, kPx, kPx, std::numeric_limits<float>::quiet_NaN());
    for (int r = 0; r < kCell; ++r)
        for (int c = 0; c <= 2 * kCell; ++c) wide.at(r, c) = static_cast<float>(elevationAt(r, c));
    std::vector<std::uint8_t> whole;
    tilekit::renderRelief(wide, 2 * kCell, whole);
    for (int k = 0; k < 2; ++k) {
        const int lon0 = -180 + 8 * k;
        const DecodedImage tile = decodePng(world() + "Tile_8png_i/BI_8_" + std::to_string(lon0) + "_0_1920.png");
        ASSERT_EQ(tile.width, kCell);
        long differ = 0;
        for (int r = 0; r < kCell; ++r)
            for (int c = 0; c < kCell; ++c)
                differ += std::memcmp(pixelOf(tile, r, c), &whole[(static_cast<std::size_t>(r) * 2 * kCell + k * kCell + c) * 3], 3) != 0;
        EXPECT_EQ(differ, 0) << lon0;
    }
}

TEST_F(TilesFromGebcoGrid, AGeoTiffOfTheSameGridGivesTheSameDataTiles) {
    TempDir dir;
    ASSERT_TRUE(test::writeGeoTiff(dir.file("gebco.tif"), gebcoLike(elevationAt)));
    ASSERT_TRUE(test::writeGeoTiff(dir.file("tid.tif"), gebcoLike(typeAt), true));
    TileBuildOptions o = cellsOnly(dir.file("gebco.tif"), dir.file("tid.tif"), dir.file("world"));
    o.haveWindow = true;
    o.west = -172, o.south = 0, o.east = -164, o.north = 8;
    NullProgress progress;
    TileBuildSummary summary;
    std::string error;
    ASSERT_TRUE(buildTiles(o, progress, summary, error)) << error;
    const DecodedImage fromTiff = decodePng(dir.file("world/Tile_8png_d/BD_8_-172_0_1920.png"));
    const DecodedImage fromNetcdf = decodePng(world() + "Tile_8png_d/BD_8_-172_0_1920.png");
    ASSERT_FALSE(fromTiff.empty());
    EXPECT_TRUE(fromTiff.rgba == fromNetcdf.rgba);
}

TEST(TilesBeyondThePoles, RowsNorthOf90AndSouthOfMinus90AreFilled) {
    // A coarse grid of whole degrees from pole to pole: each tile pixel takes
    // the grid pixel holding its centre.
    TempDir dir;
    auto value = [](int r, int c) { return -(100 + r * 10 + c); };
    ASSERT_TRUE(test::writeGeoTiff(dir.file("poles.tif"), {-180.0, 90.0, 1.0, 8, 180, value}));
    struct Case {
        int south;
        int fillRows;  // rows beyond the pole, counted from the pole side
        bool fillNorth;
    } cases[] = {{88, 1440, true}, {-96, 1440, false}};  // 6 of the 8 degrees
    for (const Case& k : cases) {
        TileBuildOptions o = cellsOnly(dir.file("poles.tif"), "", dir.file("world"));
        o.haveWindow = true;
        o.west = -180, o.east = -172, o.south = k.south, o.north = k.south + 8;
        NullProgress progress;
        TileBuildSummary summary;
        std::string error;
        ASSERT_TRUE(buildTiles(o, progress, summary, error)) << error;
        const DecodedImage tile = decodePng(dir.file("world/Tile_8png_d/BD_8_-180_" + std::to_string(k.south) + "_1920.png"));
        ASSERT_EQ(tile.height, kCell) << k.south;
        long wrong = 0;
        for (int r = 0; r < kCell; ++r) {
            const double lat = k.south + 8.0 - (r + 0.5) * kPx;
            for (int c = 0; c < kCell; c += 11) {
                const bool beyond = k.fillNorth ? r < k.fillRows : r >= kCell - k.fillRows;
                const int gridRow = static_cast<int>(std::floor(90.0 - lat));
                const int expected = beyond ? kNoDataCode : (value(gridRow, c / 240) + 12000) * 3;
                wrong += codeOf(tile, r, c) != expected;
            }
        }
        EXPECT_EQ(wrong, 0) << k.south;
    }
}

TEST(TilesPictures, AFlatSeaFloorShowsNoSeamsAndTheOverviewsAgreeWithTheTiles) {
    // One arc-minute flat grid from 172 W to 148 W and 1 S to 9 N: the
    // cells' margins all lie in the grid, so every pixel of both pictures
    // must have one colour, edges included.
    TempDir dir;
    ASSERT_TRUE(test::writeGeoTiff(dir.file("flat.tif"), {-172.0, 9.0, 1.0 / 60.0, 1440, 600, [](int, int) { return -3000; }}));
    TileBuildOptions o = cellsOnly(dir.file("flat.tif"), "", dir.file("world"));
    o.haveWindow = true;
    o.west = -172, o.south = 0, o.east = -156, o.north = 8;
    o.pictures = true;
    NullProgress progress;
    TileBuildSummary summary;
    std::string error;
    ASSERT_TRUE(buildTiles(o, progress, summary, error)) << error;
    EXPECT_EQ(summary.overviews, 10);
    EXPECT_EQ(summary.globeTiles, 6);

    const DecodedImage west = decodePng(dir.file("world/Tile_8png_i/BI_8_-172_0_1920.png"));
    const DecodedImage east = decodePng(dir.file("world/Tile_8png_i/BI_8_-164_0_1920.png"));
    ASSERT_EQ(west.width, kCell);
    ASSERT_EQ(east.width, kCell);
    const std::uint8_t* flat = pixelOf(west, 960, 960);
    auto differs = [&](const DecodedImage& image) {
        long n = 0;
        for (int r = 0; r < image.height; ++r)
            for (int c = 0; c < image.width; ++c) n += std::memcmp(pixelOf(image, r, c), flat, 3) != 0;
        return n;
    };
    EXPECT_EQ(differs(west), 0);
    EXPECT_EQ(differs(east), 0);

    // Overview block 180 W .. 108 W, 0 .. 72 N at 26.7 pixels a degree, and
    // the globe tile 165 W .. 150 W, 8 .. 16 N at 120 pixels a degree:
    // inside the grid the averages are as flat as the tiles; outside it the
    // pictures show the no-data grey.
    struct Probe {
        std::string file;
        int width, height;
        int row, col;
        bool inGrid;
    } probes[] = {
        {"GlobeTiles/BI72_-180_0_1920.png", 1920, 1920, 1813, 533, true},   // 160 W, 4 N
        {"GlobeTiles/BI72_-180_0_1920.png", 1920, 1920, 853, 533, false},   // 160 W, 40 N
        {"GlobeTiles/BI72_36_-72_1920.png", 1920, 1920, 100, 100, false},
        {"GlobeTiles/BG15_-165_8_1800.png", 1800, 960, 900, 900, true},     // 157.5 W, 8.5 N
        {"GlobeTiles/BG15_-165_8_1800.png", 1800, 960, 480, 900, false},    // 157.5 W, 12 N
    };
    for (const Probe& p : probes) {
        const DecodedImage image = decodePng(dir.file("world/" + p.file));
        ASSERT_EQ(image.width, p.width) << p.file;
        ASSERT_EQ(image.height, p.height) << p.file;
        const std::uint8_t* px = pixelOf(image, p.row, p.col);
        if (p.inGrid) {
            EXPECT_EQ(std::memcmp(px, flat, 3), 0) << p.file << " " << p.row << " " << p.col;
        } else {
            EXPECT_EQ(px[0], 180) << p.file;
            EXPECT_EQ(px[1], 180) << p.file;
            EXPECT_EQ(px[2], 180) << p.file;
        }
    }
}

TEST(TilesBadInput, ProblemsAreReportedAndNothingIsHalfWritten) {
    TempDir dir;
    auto small = [](int, int) { return -10; };
    ASSERT_TRUE(test::writeGeoTiff(dir.file("ok.tif"), {-180.0, 8.0, 0.5, 16, 16, small}));
    ASSERT_TRUE(test::writeGeoTiff(dir.file("mercator.tif"), {0.0, 1000.0, 100.0, 16, 16, small}, false, 3857));
    dir.write("blocker", "a file where a folder should be\n");
    struct Case {
        std::string elevation, types, out;
        std::string expect;  // part of the message
    } cases[] = {
        {dir.file("missing.tif"), "", dir.file("w1"), "cannot open"},
        {dir.file("ok.tif"), dir.file("missing_tid.tif"), dir.file("w2"), "missing_tid.tif"},
        {dir.file("mercator.tif"), "", dir.file("w3"), "projected"},
        {dir.file("ok.tif"), "", dir.file("blocker/world"), "cannot create folder"},
    };
    for (const Case& k : cases) {
        TileBuildOptions o = cellsOnly(k.elevation, k.types, k.out);
        NullProgress progress;
        TileBuildSummary summary;
        std::string error;
        EXPECT_FALSE(buildTiles(o, progress, summary, error)) << k.expect;
        EXPECT_NE(error.find(k.expect), std::string::npos) << error;
    }

    struct Window {
        int west, south, east, north;
        bool ok;
    } windows[] = {{-180, 0, -172, 8, true},  {-172, -96, 180, 96, true}, {-176, 0, -168, 8, false},
                   {-180, 4, -172, 12, false}, {-172, 0, -180, 8, false}, {-180, 0, -172, 104, false},
                   {-180, 8, -172, 8, false}};
    for (const Window& w : windows) {
        std::vector<CellId> cells;
        std::string error;
        EXPECT_EQ(windowCells(w.west, w.south, w.east, w.north, cells, error), w.ok)
            << w.west << " " << w.south << " " << w.east << " " << w.north;
        if (w.ok) EXPECT_EQ(cells.size(), static_cast<std::size_t>((w.east - w.west) / 8 * (w.north - w.south) / 8));
        else EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace tessarin::tiles
