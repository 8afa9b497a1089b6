// The marks of one tile without GL: the fine cell a spot rounds to and the
// spots refused near a square's edges, the coverage byte bits, and the fine
// sub-grids going with the tile.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "earth/DepthTile.hpp"

namespace tessarin {
namespace {

TEST(FineMarks, SpotsRoundToTheNearestCellAndEdgeSpotsAreRefused) {
    // Tile with south-west corner (-40, -16); square subCol 2, subRow 7 made.
    DepthTile tile(-40.0, -16.0, 8.0, 0);
    tile.allocate(1920, 1920);
    ASSERT_TRUE(tile.allocateFine(7, 2));
    struct Case {
        const char* name;
        double lon, lat;
        bool marked;
        int row, col;
    };
    const Case cases[] = {
        {"latitude -8.3 is sub-row 7", -37.5, -8.3, true, 959 - 672, 480},
        {"0.9994 east of the west edge", -40.0 + 2.9994, -8.5, true, 959 - 480, 959},
        {"0.9999 east of the west edge rounds to column 960", -40.0 + 2.9999, -8.5, false, 0, 0},
        {"longitude a turn east", -37.5 + 360.0, -8.3, true, 959 - 672, 480},
        {"square without a sub-grid", -36.5, -8.5, false, 0, 0},
        {"west of the tile", -40.5, -8.5, false, 0, 0},
        {"north of the tile", -37.5, -7.9, false, 0, 0},
        {"not a number", -37.5, std::nan(""), false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t* grid = tile.fine[2 + 8 * 7].get();
        std::fill_n(grid, DepthTile::kFineSize * DepthTile::kFineSize, std::uint8_t{0});
        EXPECT_EQ(tile.markFine(c.lon, c.lat), c.marked);
        int count = 0;
        for (int i = 0; i < DepthTile::kFineSize * DepthTile::kFineSize; ++i) count += grid[i] ? 1 : 0;
        EXPECT_EQ(count, c.marked ? 1 : 0);
        if (c.marked) {
            EXPECT_EQ(grid[c.row * DepthTile::kFineSize + c.col], 0x40);
        }
    }
    EXPECT_EQ(tile.fineAt(-36.5, -8.5), 0) << "no sub-grid reads 0";
}

TEST(CoarseMarks, PlanPassAndOverlapBits) {
    DepthTile tile(-40.0, 8.0, 8.0, 0);
    tile.allocate(1920, 1920);
    const double lon = -37.5, lat = 10.5;
    ASSERT_TRUE(tile.markCoarse(lon, lat));
    const int row = 1919 - static_cast<int>(2.5 * 240 + 0.5), col = static_cast<int>(2.5 * 240 + 0.5);
    std::uint8_t& b = tile.coverageRow(row)[col];
    EXPECT_EQ(b, 0x21);
    ASSERT_TRUE(tile.markCoarse(lon, lat));
    EXPECT_EQ(b, 0x21) << "same pass";
    b = 0x60;  // planned in an earlier pass, reference cell
    ASSERT_TRUE(tile.markCoarse(lon, lat));
    EXPECT_EQ(b, 0x71);
    EXPECT_FALSE(tile.markCoarse(lon, 16.01)) << "north of the rows";
    EXPECT_FALSE(tile.markCoarse(-31.9, lat)) << "east of the columns";
    DepthTile empty(-40.0, 8.0, 8.0, 1);
    EXPECT_FALSE(empty.markCoarse(lon, lat)) << "no rows";
}

TEST(CoarseMarks, PassClearsReachEveryWayAPassBitIsWritten) {
    // Pass clears visit only the rows written since the last clear; a pass
    // bit written any way a writer can must still be gone after one, with
    // every other bit kept.
    struct Case {
        const char* name;
        void (*write)(DepthTile& t, std::uint8_t*& kept);
    };
    const Case cases[] = {
        {"a coarse mark", [](DepthTile& t, std::uint8_t*&) { t.markCoarse(-37.5, 10.5); }},
        {"a writable row", [](DepthTile& t, std::uint8_t*&) { t.coverageRow(1919)[7] = 0x71; }},
        {"a row pointer kept from before the last clear, then announced",
         [](DepthTile& t, std::uint8_t*& kept) {
             kept[3] = 0x31;
             t.coverageChanged();
         }},
        {"marks in the first and last rows", [](DepthTile& t, std::uint8_t*&) {
             t.coverageRow(0)[0] = 0x21;
             t.markCoarse(-39.99, 8.0);
         }},
    };
    for (const bool everyRow : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (everyRow ? ", every row cleared" : ""));
            DepthTile tile(-40.0, 8.0, 8.0, 0);
            tile.allocate(1920, 1920);
            std::uint8_t* kept = tile.coverageRow(1000);
            tile.clearPassBits();
            c.write(tile, kept);
            std::vector<std::uint8_t> before;
            for (int r = 0; r < 1920; ++r) before.insert(before.end(), tile.coverageRow(r), tile.coverageRow(r) + 1920);
            ASSERT_TRUE(std::any_of(before.begin(), before.end(), [](std::uint8_t b) { return b & 0x01; }));
            // A clear with nothing written since must not undo the next one.
            tile.clearPassBits(everyRow);
            const std::uint64_t version = tile.coverageVersion();
            tile.clearPassBits();
            EXPECT_EQ(tile.coverageVersion(), version) << "a clear with nothing to clear changes nothing";
            int differing = 0;
            for (int r = 0; r < 1920; ++r) {
                const std::uint8_t* row = static_cast<const DepthTile&>(tile).coverageRow(r);
                for (int col = 0; col < 1920; ++col) {
                    differing += row[col] != (before[static_cast<std::size_t>(r) * 1920 + col] & 0xFE);
                }
            }
            EXPECT_EQ(differing, 0);
        }
    }
}

TEST(FineMarks, SubGridsGoWithTheTile) {
    DepthTile tile(-40.0, 8.0, 8.0, 0);
    tile.allocate(1920, 1920);
    ASSERT_TRUE(tile.allocateFine(0, 0));
    EXPECT_FALSE(tile.allocateFine(8, 0));
    ASSERT_TRUE(tile.markFine(-39.5, 8.5));
    tile.release();
    EXPECT_EQ(tile.fine[0], nullptr);
    EXPECT_FALSE(tile.markFine(-39.5, 8.5));
}

}  // namespace
}  // namespace tessarin
