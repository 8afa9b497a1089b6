#include "earth/DepthTile.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::DataPixel;
using test::TempDir;

// A full-size tile in memory, every code 36000 (0 m) unless set.
std::unique_ptr<DepthTile> fullTile(double lon0, double lat0) {
    auto tile = std::make_unique<DepthTile>(lon0, lat0, 8.0, 0);
    tile->allocate(1920, 1920);
    for (int r = 0; r < 1920; ++r)
        for (int c = 0; c < 1920; ++c) tile->codeRow(r)[c] = 36000;
    return tile;
}

TEST(DepthTileElevation, CodesConvertToThirdsOfAMetreAbove12000Below) {
    DepthTile tile(0.0, 0.0, 8.0, 0);
    tile.allocate(8, 1920);
    struct Case {
        std::uint16_t code;
        float elevationM;
    };
    // code / 3 - 12000 in single precision.
    const Case cases[] = {
        {0, -12000.0f}, {36000, 0.0f}, {1, 1.0f / 3.0f - 12000.0f}, {30000, -2000.0f}, {65535, 9845.0f},
    };
    for (const Case& c : cases) {
        tile.codeRow(1919)[0] = c.code;
        EXPECT_EQ(tile.elevationAt(0.0, 0.0), c.elevationM) << c.code;
    }
}

TEST(DepthTileElevation, SouthWestCornerReadsLastRowFirstColumn) {
    auto tilePtr = fullTile(-20.0, 8.0);
    DepthTile& tile = *tilePtr;
    tile.codeRow(1919)[0] = 0;
    tile.codeRow(1918)[0] = 3;
    tile.codeRow(1919)[1] = 6;
    tile.codeRow(0)[1919] = 9;
    EXPECT_EQ(tile.rowOf(8.0), 1919);
    EXPECT_EQ(tile.colOf(-20.0), 0);
    EXPECT_EQ(tile.elevationAt(-20.0, 8.0), -12000.0f);
    // One pixel (1/240 degree) north and east, each inside the next cell.
    EXPECT_EQ(tile.elevationAt(-20.0, 8.0 + 1.5 / 240), -11999.0f);
    EXPECT_EQ(tile.elevationAt(-20.0 + 1.5 / 240, 8.0), -11998.0f);
    // Just inside the north-east corner (the lookup sends this point to this
    // cell), 7.9999999 degrees rounds to 8.0f: the column comes out as 1920,
    // one past the last, and the row as -1. Both read the corner pixel.
    EXPECT_EQ(tile.colOf(-12.0 - 1e-7), 1919);
    EXPECT_EQ(tile.rowOf(16.0 - 1e-7), 0);
    EXPECT_EQ(tile.elevationAt(-12.0 - 1e-7, 16.0 - 1e-7), -11997.0f);
}

TEST(DepthTileElevation, RowAndColumnTakeTheProductInSinglePrecision) {
    const auto tilePtr = fullTile(0.0, 0.0);
    const DepthTile& tile = *tilePtr;
    // 0.499999999 degrees rounds to 0.5f: in single precision the point is
    // exactly 120 pixels (of 1/240 degree) from the edge, where a double
    // product (119.99999976) would truncate to 119. Rows count from the north.
    EXPECT_EQ(tile.rowOf(0.5 - 1e-9), 1919 - 120);
    EXPECT_EQ(tile.colOf(0.5 - 1e-9), 120);
    // Values exact in binary.
    EXPECT_EQ(tile.rowOf(0.25), 1919 - 60);
    EXPECT_EQ(tile.colOf(0.25), 60);
    EXPECT_EQ(tile.rowOf(7.75), 1919 - 1860);
    EXPECT_EQ(tile.colOf(7.75), 1860);
}

TEST(DepthTileElevation, LongitudeIsBroughtIntoTheCellsRange) {
    auto westPtr = fullTile(-180.0, 0.0);
    DepthTile& west = *westPtr;
    west.codeRow(1919)[0] = 0;
    // 180 is the west edge of this cell, not one past the east edge of the last.
    EXPECT_EQ(west.colOf(180.0), 0);
    EXPECT_EQ(west.elevationAt(180.0, 0.0), -12000.0f);
    EXPECT_EQ(west.colOf(-180.0), 0);
    EXPECT_EQ(west.colOf(180.0 + 4.0), 960);

    // -200 and 160 are the same meridian, half-way across the cell 156..164.
    const auto eastPtr = fullTile(156.0, 0.0);
    const DepthTile& east = *eastPtr;
    EXPECT_EQ(east.colOf(-200.0), 960);
    EXPECT_EQ(east.colOf(160.0), 960);
}

// Mended: the lookup used to trust its callers to stay inside the tile; any
// point now reads an edge pixel of the tile instead of memory past it.
TEST(DepthTileElevation, OutOfRangeRowsAndColumnsAreClamped) {
    DepthTile tile(0.0, 0.0, 8.0, 0);
    tile.allocate(8, 1920);
    tile.codeRow(0)[7] = 3;
    tile.codeRow(1919)[0] = 6;
    EXPECT_EQ(tile.rowOf(8.0), 0);     // north edge gives -1
    EXPECT_EQ(tile.rowOf(30.0), 0);
    EXPECT_EQ(tile.rowOf(-1.0), 1919);  // south of the tile
    EXPECT_EQ(tile.colOf(8.0), 7);
    EXPECT_EQ(tile.colOf(-3.0), 0);
    EXPECT_EQ(tile.elevationAt(50.0, 50.0), -11999.0f);
    EXPECT_EQ(tile.elevationAt(-50.0, -50.0), -11998.0f);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(tile.colOf(nan), 0);
    EXPECT_GE(tile.rowOf(nan), 0);
    EXPECT_LE(tile.rowOf(1e300), 1919);
}

TEST(DepthTileElevation, TileWithoutRowsReadsZero) {
    DepthTile tile(0.0, 0.0, 8.0, 0);
    EXPECT_FALSE(tile.hasRows());
    EXPECT_EQ(tile.elevationAt(1.0, 1.0), 0.0f);
    EXPECT_EQ(tile.coverageAt(1.0, 1.0), 0);

    tile.allocate(8, 1920);
    tile.codeRow(0)[0] = 1;
    tile.fine[5].reset(new std::uint8_t[DepthTile::kFineSize * DepthTile::kFineSize]());
    tile.release();
    EXPECT_FALSE(tile.hasRows());
    EXPECT_EQ(tile.fine[5], nullptr);
    EXPECT_EQ(tile.elevationAt(0.5, 7.99), 0.0f);
}

TEST(DepthTileLoad, ReadsCodesAndMarksReferencePixels) {
    TempDir dir;
    // Blue 3 marks a multibeam pixel; 2, 4, 0, 131 and 255 do not.
    const std::uint8_t blueByColumn[8] = {3, 2, 4, 0, 3, 131, 255, 3};
    test::writeDataTile(dir.path(), -180, 0, [&](int r, int c) {
        return DataPixel{static_cast<std::uint16_t>(r * 8 + c), blueByColumn[c]};
    }, 8);

    std::ostringstream out;
    DepthTile tile(-180.0, 0.0, 8.0, 3);
    ASSERT_TRUE(tile.loadData(dir.path(), out));
    EXPECT_EQ(out.str(), "READ DATA MAP FILE NAME " + dir.path() + "Tile_8png_d/BD_8_-180_0_1920.png\n"
                         "Multibeam pixels 5760\n");
    EXPECT_EQ(tile.width, 8);
    EXPECT_EQ(tile.height, 1920);
    EXPECT_EQ(tile.referencePixels, 3 * 1920);
    EXPECT_EQ(tile.codeRow(1234)[5], 1234 * 8 + 5);
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(tile.coverageRow(0)[c], blueByColumn[c] == 3 ? 0x40 : 0) << c;
        EXPECT_EQ(tile.coverageRow(1919)[c], blueByColumn[c] == 3 ? 0x40 : 0) << c;
    }
    for (const auto& grid : tile.fine) EXPECT_EQ(grid, nullptr);
}

TEST(DepthTileLoad, MissingTileIsFalseWithoutAMessage) {
    TempDir dir;
    std::ostringstream out;
    DepthTile tile(0.0, 0.0, 8.0, 0);
    EXPECT_FALSE(tile.loadData(dir.path(), out));
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(tile.hasRows());

    // A file that is there but not a tile is damage, and is named.
    dir.write("Tile_8png_d/BD_8_0_0_1920.png", "not a png");
    EXPECT_FALSE(tile.loadData(dir.path(), out));
    EXPECT_EQ(out.str(), "Unreadable data tile " + DepthTile::dataFileName(dir.path(), 0, 0) +
                             ": not a readable PNG image\n");
}

// Mended: rows are located with the fixed 1919 of a full tile; a file of any
// other height would be read past its end (or at the wrong rows), so it is
// refused with a message.
TEST(DepthTileLoad, TileWithOtherThan1920RowsIsUnreadable) {
    TempDir dir;
    const std::string name = DepthTile::dataFileName(dir.path(), 8, -16);
    for (int rows : {1000, 1919, 1921}) {
        test::writePng(name, 8, rows, [](int, int, std::uint8_t* px) {
            px[0] = 100;
            px[1] = 0;
            px[2] = 3;
            px[3] = 255;
        });
        std::ostringstream out;
        DepthTile tile(8.0, -16.0, 8.0, 0);
        EXPECT_FALSE(tile.loadData(dir.path(), out)) << rows;
        EXPECT_FALSE(tile.hasRows());
        EXPECT_NE(out.str().find("Unreadable data tile " + name), std::string::npos) << out.str();
        EXPECT_EQ(out.str().find("READ DATA MAP FILE NAME"), std::string::npos);
    }
}

}  // namespace
}  // namespace tessarin
