#include <gtest/gtest.h>

#include <sstream>

#include "earth/TileStore.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::DataPixel;
using test::TempDir;

// Blue 3 is the reference data set's multibeam source flag; every other value
// (including ones sharing bits with 3) is some other source.
constexpr std::uint8_t kBlueByColumn[8] = {3, 2, 4, 0, 3, 131, 255, 3};

class ReferenceCoverage : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeDataTile(dir.path(), 28, -40, [](int r, int c) {
            // Row 0 (north edge) carries no reference anywhere.
            return DataPixel{test::codeOfElevation(-3000.0), r == 0 ? std::uint8_t{0} : kBlueByColumn[c]};
        }, 8);
    }

    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles{out, sink, dir.path()};
};

TEST_F(ReferenceCoverage, OnlyBlue3SetsTheReferenceBit) {
    float e = 0.0f;
    ASSERT_TRUE(tiles.getDepth(30.0, -35.0, e));
    EXPECT_NE(out.str().find("Multibeam pixels 5757\n"), std::string::npos) << out.str();  // 3 columns x 1919 rows
    for (int c = 0; c < 8; ++c) {
        std::uint16_t value = 999;
        ASSERT_TRUE(tiles.getCoverage(28.0 + c + 0.5, -35.0, value));
        EXPECT_EQ(value, kBlueByColumn[c] == 3 ? 0x40 : 0) << "column " << c << " blue " << int(kBlueByColumn[c]);
    }
    std::uint16_t value = 999;
    ASSERT_TRUE(tiles.getCoverage(28.5, -32.0 - 0.5 / 240.0, value));  // row 0
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(tiles.getCoverage(28.5, -32.0 - 1.5 / 240.0, value));  // row 1
    EXPECT_EQ(value, 0x40);
}

TEST_F(ReferenceCoverage, NeverLoadedCellAnswersFalseAndLoadsNothing) {
    std::uint16_t value = 777;
    EXPECT_FALSE(tiles.getCoverage(30.0, -35.0, value));  // the tile is on disk
    EXPECT_EQ(value, 777);
    EXPECT_FALSE(tiles.getCoverage(30.0, -97.0, value));  // outside the grid
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(tiles.loadCounter(), 0);
    EXPECT_EQ(tiles.residentCount(), 0);
}

TEST_F(ReferenceCoverage, QueriesHaveNoLatitudeLimit) {
    test::writeDataTile(dir.path(), 28, 64, [](int, int) { return DataPixel{36000, 3}; }, 8);
    tiles.ensureTile(20, 26);
    ASSERT_TRUE(tiles.record(20, 26).loaded);
    std::uint16_t value = 0;
    ASSERT_TRUE(tiles.getCoverage(30.0, 70.0, value));  // north of the depth lookup's 66
    EXPECT_EQ(value, 0x40);
    float e = 0.0f;
    EXPECT_FALSE(tiles.getDepth(30.0, 70.0, e));
}

}  // namespace
}  // namespace tessarin
