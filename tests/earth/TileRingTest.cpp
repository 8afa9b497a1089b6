// The ring of 24 resident data tiles: load order, eviction order, and the two
// mended behaviours (a resident lookup evicts nothing; a missing cell takes no
// slot and is looked for once).

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "earth/TileStore.hpp"
#include "support/TempDir.hpp"
#include "support/TextCount.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::countOf;
using test::DataPixel;
using test::TempDir;

// 25 narrow data tiles along the band 0..8 N (latIdx 12), cell k at west edge
// -180 + 8k; tile k is flat at -(k + 1) * 100 m, and its first column (lon0 to
// lon0 + 1) is reference coverage. No picture tiles.
class TileRing : public ::testing::Test {
protected:
    static constexpr int kBand = 12;
    static constexpr double kLat = 4.0;

    static void SetUpTestSuite() {
        world_ = std::make_unique<TempDir>();
        for (int k = 0; k < 25; ++k) {
            const DataPixel flat{test::codeOfElevation(elevationOf(k)), 0};
            test::writeDataTile(world_->path(), -180 + 8 * k, 0, [flat](int, int c) {
                DataPixel p = flat;
                if (c == 0) p.blue = 3;
                return p;
            }, 8);
        }
    }
    static void TearDownTestSuite() { world_.reset(); }

    static double elevationOf(int k) { return -(k + 1) * 100.0; }
    static double lonOf(int k) { return -180.0 + 8.0 * k + 4.5; }

    bool lookUp(int k) {
        float e = 0.0f;
        const bool ok = tiles.getDepth(lonOf(k), kLat, e);
        if (ok) {
            EXPECT_EQ(e, static_cast<float>(elevationOf(k))) << "cell " << k;
        }
        return ok;
    }
    void loadFirst(int n) {
        for (int k = 0; k < n; ++k) ASSERT_TRUE(lookUp(k)) << k;
    }
    bool resident(int k) const { return tiles.record(kBand, k).loaded; }

    static std::unique_ptr<TempDir> world_;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles{out, sink, world_->path()};
};

std::unique_ptr<TempDir> TileRing::world_;

TEST_F(TileRing, FirstTwentyFourLoadsFillTheSlotsInOrder) {
    loadFirst(24);
    EXPECT_EQ(tiles.loadCounter(), 24);
    EXPECT_EQ(tiles.residentCount(), 24);
    for (int k = 0; k < 24; ++k) {
        EXPECT_EQ(tiles.ringEntry(k).latIdx, kBand);
        EXPECT_EQ(tiles.ringEntry(k).lonIdx, k);
        EXPECT_EQ(tiles.record(kBand, k).slot, k);
        ASSERT_NE(tiles.record(kBand, k).tile, nullptr);
        EXPECT_EQ(tiles.record(kBand, k).tile->slot, k);
    }
    const std::string text = out.str();
    EXPECT_EQ(countOf(text, "READ DATA MAP FILE NAME "), 24);
    EXPECT_EQ(countOf(text, "Multibeam pixels 1920\n"), 24);
    EXPECT_NE(text.find("LOAD 8 deg Tile " + world_->path() + "Tile_8png_i/BI_8_-180_0_1920.png 0\n"
                        "Fail to open " + world_->path() + "Tile_8png_i/BI_8_-180_0_1920.png\n"
                        "READ DATA MAP FILE NAME " + world_->path() + "Tile_8png_d/BD_8_-180_0_1920.png\n"),
              std::string::npos);
    EXPECT_NE(text.find("Tile_8png_i/BI_8_4_0_1920.png 23\n"), std::string::npos);
}

TEST_F(TileRing, NewLoadsEvictTheOldestTileInLoadOrder) {
    loadFirst(24);
    ASSERT_TRUE(lookUp(24));
    EXPECT_FALSE(resident(0));
    EXPECT_EQ(tiles.record(kBand, 0).tile, nullptr);
    EXPECT_EQ(tiles.ringEntry(0).lonIdx, 24);
    EXPECT_EQ(tiles.record(kBand, 24).slot, 0);
    EXPECT_EQ(tiles.loadCounter(), 25);
    EXPECT_EQ(tiles.residentCount(), 24);

    // Reloading the evicted tile takes the next slot and evicts its tile,
    // and so on round the ring, whatever was looked up in between.
    ASSERT_TRUE(lookUp(0));
    EXPECT_FALSE(resident(1));
    EXPECT_EQ(tiles.record(kBand, 0).tile->slot, 1);
    ASSERT_TRUE(lookUp(20));
    ASSERT_TRUE(lookUp(1));
    EXPECT_FALSE(resident(2));
    for (int k = 3; k <= 24; ++k) EXPECT_TRUE(resident(k)) << k;
    EXPECT_EQ(tiles.residentCount(), 24);
    EXPECT_EQ(tiles.loadCounter(), 27);
}

// Mended: a lookup that finds its tile resident used to evict the tile of the
// next slot anyway, so two cells looked up in turn reloaded tiles endlessly.
TEST_F(TileRing, LookupsOfResidentTilesEvictNothing) {
    loadFirst(24);
    out.str("");
    for (int k : {0, 23, 5, 0, 0, 12}) ASSERT_TRUE(lookUp(k));
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(tiles.loadCounter(), 24);
    EXPECT_EQ(tiles.residentCount(), 24);

    // The ring order is untouched: the next load evicts the first tile loaded.
    ASSERT_TRUE(lookUp(24));
    EXPECT_FALSE(resident(0));
    for (int k = 1; k <= 24; ++k) EXPECT_TRUE(resident(k)) << k;
}

// Mended: a cell without a data tile used to be tried on every lookup, each
// try taking a ring slot and evicting a resident tile.
TEST_F(TileRing, MissingCellTakesNoSlotAndIsLookedForOnce) {
    const double missingLon = -180.0 + 8.0 * 30 + 1.0;  // no tile at west edge 60
    float e = 0.0f;
    EXPECT_FALSE(tiles.getDepth(missingLon, kLat, e));
    EXPECT_EQ(e, 5.0f);
    EXPECT_EQ(tiles.loadCounter(), 0);
    EXPECT_TRUE(tiles.record(kBand, 30).missing);
    EXPECT_FALSE(tiles.record(kBand, 30).loaded);

    loadFirst(24);
    EXPECT_EQ(tiles.record(kBand, 0).slot, 0);  // the failed try took no slot
    out.str("");
    for (int i = 0; i < 3; ++i) {
        e = 0.0f;
        EXPECT_FALSE(tiles.getDepth(missingLon, kLat, e));
        EXPECT_EQ(e, 5.0f);
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(tiles.loadCounter(), 24);
    EXPECT_EQ(tiles.residentCount(), 24);

    ASSERT_TRUE(lookUp(24));
    EXPECT_FALSE(resident(0));
    EXPECT_TRUE(resident(1));
}

TEST_F(TileRing, EvictionAndReloadDropPlanMarks) {
    ASSERT_TRUE(lookUp(0));
    const double refLon = -180.0 + 0.5;  // column 0: reference
    const double plainLon = -180.0 + 4.5;
    DepthTile* tile = tiles.residentTile(refLon, kLat);
    ASSERT_NE(tile, nullptr);
    const int row = tile->rowOf(kLat);
    tile->coverageRow(row)[0] |= 0x20 | 0x01;
    tile->coverageRow(row)[4] |= 0x20 | 0x10;
    tile->fine[9].reset(new std::uint8_t[DepthTile::kFineSize * DepthTile::kFineSize]());

    std::uint16_t value = 0;
    ASSERT_TRUE(tiles.getCoverage(refLon, kLat, value));
    EXPECT_EQ(value, 0x61);
    ASSERT_TRUE(tiles.getCoverage(plainLon, kLat, value));
    EXPECT_EQ(value, 0x30);

    for (int k = 1; k <= 24; ++k) ASSERT_TRUE(lookUp(k));
    ASSERT_FALSE(resident(0));
    value = 999;
    EXPECT_FALSE(tiles.getCoverage(refLon, kLat, value));
    EXPECT_EQ(value, 999);

    ASSERT_TRUE(lookUp(0));
    ASSERT_TRUE(tiles.getCoverage(refLon, kLat, value));
    EXPECT_EQ(value, 0x40);
    ASSERT_TRUE(tiles.getCoverage(plainLon, kLat, value));
    EXPECT_EQ(value, 0);
    EXPECT_EQ(tiles.residentTile(refLon, kLat)->fine[9], nullptr);
}

TEST_F(TileRing, ReleaseAllTilesEmptiesTheGridAndRestartsTheRing) {
    loadFirst(3);
    float e = 0.0f;
    EXPECT_FALSE(tiles.getDepth(-180.0 + 8.0 * 30 + 1.0, kLat, e));
    ASSERT_TRUE(tiles.record(kBand, 30).missing);
    out.str("");

    tiles.releaseAllTiles();
    EXPECT_EQ(out.str(), "GRID CLEARED \n");
    EXPECT_EQ(tiles.residentCount(), 0);
    EXPECT_EQ(tiles.loadCounter(), 0);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FALSE(resident(k));
        EXPECT_EQ(tiles.record(kBand, k).tile, nullptr);
    }
    EXPECT_FALSE(tiles.record(kBand, 30).missing);

    // The ring starts over at slot 0 and evicts nothing for 24 loads.
    ASSERT_TRUE(lookUp(2));
    EXPECT_EQ(tiles.record(kBand, 2).slot, 0);
    EXPECT_EQ(tiles.ringEntry(0).lonIdx, 2);
    for (int k = 3; k <= 24; ++k) ASSERT_TRUE(lookUp(k));
    ASSERT_TRUE(lookUp(0));
    EXPECT_EQ(tiles.residentCount(), 24);
    ASSERT_TRUE(lookUp(1));
    EXPECT_FALSE(resident(2));
}

// The "release tiles" command is how a user makes the planner see tiles copied
// in while it runs, so it forgets which cells were missing.
TEST(TileStoreMissingCells, TilesCopiedInAreFoundAfterRelease) {
    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    float e = 0.0f;
    EXPECT_FALSE(tiles.getDepth(3.0, 3.0, e));

    test::writeDataTile(dir.path(), -4, 0, [](int, int) { return DataPixel{test::codeOfElevation(-50.0), 0}; }, 8);
    EXPECT_FALSE(tiles.getDepth(3.0, 3.0, e));
    EXPECT_EQ(e, 5.0f);

    tiles.releaseAllTiles();
    ASSERT_TRUE(tiles.getDepth(3.0, 3.0, e));
    EXPECT_EQ(e, -50.0f);
}

}  // namespace
}  // namespace tessarin
