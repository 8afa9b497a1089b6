#include "earth/TileStore.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>

#include "RecordingSink.hpp"
#include "earth/MapProjection.hpp"
#include "support/TempDir.hpp"
#include "support/TextCount.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::countOf;
using test::DataPixel;
using test::RecordingSink;
using test::TempDir;

void writeNarrowFlat(const std::string& root, int lon0, int lat0, double elevationM) {
    const DataPixel p{test::codeOfElevation(elevationM), 0};
    test::writeDataTile(root, lon0, lat0, [p](int, int) { return p; }, 8);
}

std::string pictureName(const std::string& root, int lon0, int lat0) {
    return root + "Tile_8png_i/BI_8_" + std::to_string(lon0) + "_" + std::to_string(lat0) + "_1920.png";
}

// ---- Depth lookup -----------------------------------------------------------

TEST(DepthLookup, CellIndicesOfPositions) {
    struct Case {
        double lon, lat;
        bool inside;
        int latIdx, lonIdx;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {-180.0, 0.0, true, 12, 0},     // west edge of the first cell
        {180.0, 0.0, true, 12, 0},      // the same meridian
        {179.99, 0.0, true, 12, 44},
        {-200.0, 0.0, true, 12, 42},    // west edge 156
        {160.0, 0.0, true, 12, 42},
        {-180.001, 0.0, true, 12, 44},
        {0.0, -96.0, true, 0, 22},
        {0.0, -0.5, true, 11, 22},
        {0.0, 87.9, true, 22, 22},
        {0.0, 88.0, true, 23, 22},
        {-7.9, 0.0, true, 12, 21},
        {539.0, 0.0, true, 12, 44},
        {0.0, -96.1, false, 0, 0},
        {0.0, 96.0, false, 0, 0},
        {540.0, 0.0, false, 0, 0},
        {nan, 0.0, false, 0, 0},
        {0.0, nan, false, 0, 0},
        {1e300, 0.0, false, 0, 0},
    };
    for (const Case& c : cases) {
        int la = -1, lo = -1;
        EXPECT_EQ(TileStore::cellOf(c.lon, c.lat, la, lo), c.inside) << c.lon << " " << c.lat;
        if (c.inside) {
            EXPECT_EQ(la, c.latIdx) << c.lon << " " << c.lat;
            EXPECT_EQ(lo, c.lonIdx) << c.lon << " " << c.lat;
        }
    }
}

TEST(DepthLookup, NorthOf66AnswersFalseWithoutTouchingTheDisk) {
    TempDir dir;
    writeNarrowFlat(dir.path(), 4, 64, -100.0);
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    for (double lat : {66.0, 66.5, 71.9, 200.0}) {
        float e = 123.0f;
        EXPECT_FALSE(tiles.getDepth(6.0, lat, e)) << lat;
        EXPECT_EQ(e, 5.0f);
    }
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(tiles.loadCounter(), 0);
    EXPECT_EQ(sink.uploadCount, 0);

    // The same cell just south of 66 has data.
    float e = 0.0f;
    ASSERT_TRUE(tiles.getDepth(6.0, 65.99, e));
    EXPECT_EQ(e, -100.0f);
}

TEST(DepthLookup, LongitudesOnBothSidesOfTheDateLine) {
    TempDir dir;
    // Column c of the tile at west edge -180 reads -(c + 1) * 10 m; of the
    // tile at west edge 156, -1000 - (c + 1) * 10 m.
    for (int lon0 : {-180, 156}) {
        const double base = lon0 == 156 ? -1000.0 : 0.0;
        test::writeDataTile(dir.path(), lon0, 0, [base](int, int c) {
            return DataPixel{test::codeOfElevation(base - (c + 1) * 10.0), 0};
        }, 8);
    }
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    struct Case {
        double lon;
        float elevationM;
    };
    const Case cases[] = {
        {-180.0, -10.0f}, {180.0, -10.0f}, {-172.0001, -80.0f}, {-200.0, -1050.0f}, {160.0, -1050.0f}, {156.0, -1010.0f},
    };
    for (const Case& c : cases) {
        float e = 0.0f;
        ASSERT_TRUE(tiles.getDepth(c.lon, 1.0, e)) << c.lon;
        EXPECT_EQ(e, c.elevationM) << c.lon;
    }
    EXPECT_EQ(tiles.loadCounter(), 2);
}

TEST(DepthLookup, CornersOfACellReadItsCornerPixels) {
    TempDir dir;
    test::writeDataTile(dir.path(), -20, 8, [](int r, int c) {
        return DataPixel{static_cast<std::uint16_t>(r * 8 + c), 0};
    }, 8);
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    const auto elevationOfCode = [](int code) { return static_cast<float>(code) / 3.0f - 12000.0f; };
    float e = 0.0f;
    ASSERT_TRUE(tiles.getDepth(-20.0, 8.0, e));  // south-west: row 1919, column 0
    EXPECT_EQ(e, elevationOfCode(1919 * 8));
    // North-east, a hair inside: the single-precision products land on row -1
    // and column 8 (one past the last); both are kept on the tile.
    ASSERT_TRUE(tiles.getDepth(-12.0 - 1e-7, 16.0 - 1e-7, e));
    EXPECT_EQ(e, elevationOfCode(7));
    ASSERT_TRUE(tiles.getDepth(-16.0 + 0.5, 12.0 + 0.5 / 240.0, e));  // row 1919 - 960, column 4
    EXPECT_EQ(e, elevationOfCode((1919 - 960) * 8 + 4));
}

TEST(DepthLookup, PositionsOutsideTheGridAnswerFalseQuietly) {
    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (auto [lon, lat] : {std::pair{0.0, -96.5}, {nan, 0.0}, {0.0, nan}, {600.0, 0.0}, {-1e200, 0.0}}) {
        float e = 0.0f;
        EXPECT_FALSE(tiles.getDepth(lon, lat, e));
        EXPECT_EQ(e, 5.0f);
    }
    tiles.ensureTile(-1, 0);
    tiles.ensureTile(24, 0);
    tiles.ensureTile(0, 45);
    tiles.ensureTile(0, -1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(tiles.loadCounter(), 0);
}

// Mended: a tile of the wrong height is refused instead of being read past
// its rows, and it takes no ring slot.
TEST(DepthLookup, DataTileOfTheWrongHeightIsNoData) {
    TempDir dir;
    test::writePng(dir.path() + "Tile_8png_d/BD_8_4_0_1920.png", 8, 960, [](int, int, std::uint8_t* px) {
        px[0] = 120;
        px[1] = 0;
        px[2] = 3;
        px[3] = 255;
    });
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    float e = 0.0f;
    EXPECT_FALSE(tiles.getDepth(6.0, 1.0 / 240.0, e));  // row 1918 of a full tile
    EXPECT_EQ(e, 5.0f);
    EXPECT_EQ(tiles.loadCounter(), 0);
    EXPECT_EQ(tiles.residentCount(), 0);
    EXPECT_NE(out.str().find("Unreadable data tile"), std::string::npos);
}

// ---- Picture, coverage and overview textures ----------------------------------

TEST(TileTextures, ConstructionNamesFiftyTexturesAndUploadsNothing) {
    TempDir dir;
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    EXPECT_EQ(sink.namesGenerated, 50);
    EXPECT_TRUE(sink.uploads.empty());
    for (int s = 0; s < 24; ++s) {
        EXPECT_EQ(tiles.pictureTexture(s), static_cast<unsigned>(s + 1));
        EXPECT_EQ(tiles.coverageTexture(s), static_cast<unsigned>(24 + s + 1));
    }
}

// Picture tiles from 56 N (south edge) northwards and from 64 S southwards are
// half width, in a texture of half the width.
TEST(TileTextures, PictureShapeFollowsTheCellsLatitude) {
    TempDir dir;
    const std::uint8_t colour[3] = {12, 34, 56};
    const std::string first = pictureName(dir.path(), 4, 56);
    test::writePictureTile(dir.path(), 4, 56, 960, colour[0], colour[1], colour[2]);
    struct Case {
        int lat0;
        bool narrow;
    };
    const Case cases[] = {{48, false}, {56, true}, {64, true}, {-56, false}, {-64, true}, {-72, true}};
    for (const Case& c : cases)
        if (c.lat0 != 56) std::filesystem::copy_file(first, pictureName(dir.path(), 4, c.lat0));

    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    for (const Case& c : cases) {
        sink.uploads.clear();
        out.str("");
        const std::string name = pictureName(dir.path(), 4, c.lat0);
        const bool ok = tiles.loadTileImage(static_cast<float>(c.lat0), 4.0f, 5);
        EXPECT_EQ(ok, c.narrow) << c.lat0;
        if (!c.narrow) {
            // A 960-column file where 1920 columns are expected counts as
            // missing, with a line saying why.
            EXPECT_EQ(out.str(), "LOAD 8 deg Tile " + name + " 5\nFail to open " + name + "\nPicture tile " + name +
                                     " is 960 x 1920 pixels, expected at least 1920 x 1920\n");
            EXPECT_TRUE(sink.uploads.empty());
            continue;
        }
        EXPECT_EQ(out.str(), "LOAD 8 deg Tile " + name + " 5\n");
        ASSERT_EQ(sink.uploads.size(), 1u) << c.lat0;
        const auto& u = sink.uploads[0];
        EXPECT_EQ(u.name, tiles.pictureTexture(5));
        EXPECT_EQ(u.width, 1024);
        EXPECT_EQ(u.height, 2048);
        EXPECT_EQ(u.channels, 3);
        EXPECT_EQ(u.env, TextureEnv::Replace);
        for (auto [r, col] : {std::pair{0, 0}, {1919, 959}, {700, 300}})
            for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(u.texel(r, col)[ch], colour[ch]) << r << "," << col;
        for (int ch = 0; ch < 3; ++ch) {
            EXPECT_EQ(u.texel(0, 960)[ch], 255);      // white seam right of the picture
            EXPECT_EQ(u.texel(1919, 960)[ch], 255);
        }
        const std::uint8_t fill[3] = {255, 180, 180};
        for (auto [r, col] : {std::pair{0, 961}, {1920, 0}, {2047, 1023}})
            for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(u.texel(r, col)[ch], fill[ch]) << r << "," << col;
    }
}

TEST(TileTextures, FullWidthPictureFillsA2048Texture) {
    TempDir dir;
    test::writePng(pictureName(dir.path(), -12, -56), 1920, 1920, [](int r, int c, std::uint8_t* px) {
        px[0] = static_cast<std::uint8_t>(r);
        px[1] = static_cast<std::uint8_t>(c);
        px[2] = 7;
        px[3] = 0;  // alpha is not used
    });
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    ASSERT_TRUE(tiles.loadTileImage(-56.0f, -12.0f, 23));
    ASSERT_EQ(sink.uploads.size(), 1u);
    const auto& u = sink.uploads[0];
    EXPECT_EQ(u.name, tiles.pictureTexture(23));
    EXPECT_EQ(u.width, 2048);
    EXPECT_EQ(u.height, 2048);
    for (auto [r, col] : {std::pair{0, 0}, {1919, 1919}, {1000, 1500}}) {
        EXPECT_EQ(u.texel(r, col)[0], static_cast<std::uint8_t>(r));
        EXPECT_EQ(u.texel(r, col)[1], static_cast<std::uint8_t>(col));
        EXPECT_EQ(u.texel(r, col)[2], 7);
    }
    EXPECT_EQ(u.texel(5, 1920)[1], 255);
    EXPECT_EQ(u.texel(5, 1921)[1], 180);
    EXPECT_EQ(u.texel(1920, 5)[0], 255);
}

// Mended: a picture with fewer rows than expected is treated as missing
// instead of being copied from past the end of the decoded pixels.
TEST(TileTextures, ShortPictureCountsAsMissing) {
    TempDir dir;
    test::writePng(pictureName(dir.path(), 4, 64), 960, 1200, [](int, int, std::uint8_t* px) {
        px[0] = px[1] = px[2] = px[3] = 90;
    });
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    EXPECT_FALSE(tiles.loadTileImage(64.0f, 4.0f, 0));
    EXPECT_TRUE(sink.uploads.empty());
    EXPECT_NE(out.str().find("Fail to open " + pictureName(dir.path(), 4, 64) + "\n"), std::string::npos);
}

TEST(TileTextures, TileLoadUploadsPictureThenCoverage) {
    TempDir dir;
    test::writePictureTile(dir.path(), 4, 56, 960);
    test::writeDataTile(dir.path(), 4, 56, [](int r, int c) {
        return DataPixel{36000, static_cast<std::uint8_t>(c == 0 || r == 1919 ? 3 : 2)};
    }, 8);
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    tiles.setPictureLoad(PictureLoad::WithData);
    float e = 0.0f;
    ASSERT_TRUE(tiles.getDepth(5.0, 60.0, e));
    EXPECT_EQ(out.str(), "LOAD 8 deg Tile " + pictureName(dir.path(), 4, 56) + " 0\n"
                         "READ DATA MAP FILE NAME " + dir.path() + "Tile_8png_d/BD_8_4_56_1920.png\n"
                         "Multibeam pixels 1927\n");
    ASSERT_EQ(sink.uploads.size(), 2u);
    EXPECT_EQ(sink.uploads[0].name, tiles.pictureTexture(0));
    EXPECT_EQ(sink.uploads[0].channels, 3);

    const auto& cov = sink.uploads[1];
    EXPECT_EQ(cov.name, tiles.coverageTexture(0));
    EXPECT_EQ(cov.channels, 1);
    EXPECT_EQ(cov.width, 1024);
    EXPECT_EQ(cov.height, 2048);
    EXPECT_EQ(cov.env, TextureEnv::Replace);
    EXPECT_EQ(*cov.texel(0, 0), 64);
    EXPECT_EQ(*cov.texel(0, 1), 0);
    EXPECT_EQ(*cov.texel(1919, 7), 64);
    EXPECT_EQ(*cov.texel(0, 8), 180);
    EXPECT_EQ(*cov.texel(1920, 0), 180);

    // Rebuilding after marks were added shows the marks.
    tiles.residentTile(5.0, 60.0)->coverageRow(10)[3] = 0x20;
    ASSERT_TRUE(tiles.buildCoverageTexture(19, 23));
    ASSERT_EQ(sink.uploads.size(), 3u);
    EXPECT_EQ(*sink.uploads[2].texel(10, 3), 0x20);
    EXPECT_FALSE(tiles.buildCoverageTexture(19, 22));  // not resident
    EXPECT_FALSE(tiles.buildCoverageTexture(24, 0));
    EXPECT_EQ(sink.uploads.size(), 3u);
}

TEST(TileTextures, FullWidthDataTileGetsA2048CoverageTexture) {
    TempDir dir;
    test::writeFlatDataTile(dir.path(), 100, -8, -4000.0);
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    float e = 0.0f;
    ASSERT_TRUE(tiles.getDepth(107.99, -0.01, e));
    EXPECT_EQ(e, -4000.0f);
    ASSERT_EQ(sink.uploads.size(), 1u);  // no picture: coverage only
    EXPECT_EQ(sink.uploads[0].width, 2048);
    EXPECT_EQ(*sink.uploads[0].texel(1919, 1919), 0);
    EXPECT_EQ(*sink.uploads[0].texel(1919, 1920), 180);
}

// Mended: the picture is shown only when the data tile loads. A cell whose
// data tile is missing leaves the slot's textures to the tile still in it.
TEST(TileTextures, MissingDataTileUploadsNothing) {
    TempDir dir;
    test::writePictureTile(dir.path(), 4, 64, 960);
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    float e = 0.0f;
    EXPECT_FALSE(tiles.getDepth(5.0, 65.0, e));
    EXPECT_TRUE(sink.uploads.empty());
    EXPECT_EQ(out.str(), "LOAD 8 deg Tile " + pictureName(dir.path(), 4, 64) + " 0\n");
}

TEST(TileTextures, OverviewPicturesAreLoadedInBlockOrder) {
    TempDir dir;
    const std::string folder = dir.path() + "GlobeTiles/";
    test::writePng(folder + "BI72_-36_0_1920.png", 1920, 1920, [](int r, int c, std::uint8_t* px) {
        px[0] = static_cast<std::uint8_t>(r);
        px[1] = static_cast<std::uint8_t>(c);
        px[2] = 9;
        px[3] = 0;  // replaced by opaque
    });
    test::writePng(folder + "BI72_36_-72_1920.png", 100, 100, [](int, int, std::uint8_t* px) {
        px[0] = px[1] = px[2] = px[3] = 1;
    });
    std::ostringstream out;
    RecordingSink sink;
    TileStore tiles(out, sink, dir.path());
    tiles.loadOverviewTiles();
    EXPECT_EQ(sink.namesGenerated, 70);

    std::string expected;
    for (const char* block : {"-180_0", "-108_0", "-36_0", "36_0", "108_0", "-180_-72", "-108_-72", "-36_-72",
                              "36_-72", "108_-72"}) {
        expected += folder + "BI72_" + block + "_1920.png\n";
        if (std::string(block) == "-36_0") expected += "SIZE 1920 1920\n";
        if (std::string(block) == "36_-72") expected += "SIZE 100 100\n";  // too small: skipped
    }
    EXPECT_EQ(out.str(), expected);

    ASSERT_EQ(sink.uploads.size(), 1u);
    const auto& u = sink.uploads[0];
    EXPECT_EQ(u.name, tiles.overviewTexture(3));
    EXPECT_EQ(u.width, 2048);
    EXPECT_EQ(u.height, 2048);
    EXPECT_EQ(u.channels, 4);
    EXPECT_EQ(u.env, TextureEnv::Modulate);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(tiles.overviewLoaded(k), k == 3) << k;
    for (auto [r, c] : {std::pair{0, 0}, {1919, 1919}, {200, 1000}}) {
        const std::uint8_t expectedTexel[4] = {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(c), 9, 255};
        for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(u.texel(r, c)[ch], expectedTexel[ch]);
    }
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(u.texel(77, 1920)[ch], 255);
        EXPECT_EQ(u.texel(77, 1921)[ch], 180);
        EXPECT_EQ(u.texel(1920, 77)[ch], 180);
    }
}

// ---- Preloading along arcs and corridors -----------------------------------------

TEST(TilePreload, ArcWithoutAGreatCircleLoadsNothing) {
    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    EXPECT_FALSE(tiles.loadTilesOnArc(nullptr, nullptr, 15, false));
    EXPECT_EQ(out.str(), "LOAD TILES ON ARC \n");
}

TEST(TilePreload, ArcLoadsTheCellsThreeDegreesAroundEachPoint) {
    TempDir dir;
    writeNarrowFlat(dir.path(), -4, 0, -10.0);
    writeNarrowFlat(dir.path(), 4, 0, -20.0);
    writeNarrowFlat(dir.path(), 12, 0, -30.0);  // beyond reach: 8 + 3 < 12
    double arcLon[15], arcY[15];
    for (int i = 0; i < 15; ++i) {
        arcLon[i] = i * 8.0 / 14.0;  // 0 .. 8
        arcY[i] = mapY(4.0);
    }
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    EXPECT_TRUE(tiles.loadTilesOnArc(arcLon, arcY, 15, true));
    EXPECT_EQ(tiles.residentCount(), 2);
    EXPECT_TRUE(tiles.record(12, 22).loaded);
    EXPECT_TRUE(tiles.record(12, 23).loaded);
    EXPECT_FALSE(tiles.record(12, 24).loaded);

    // A point whose surroundings lack data ends the preload with false.
    arcY[14] = mapY(9.5);  // + 3 degrees reaches the empty band 8..16
    EXPECT_FALSE(tiles.loadTilesOnArc(arcLon, arcY, 15, true));
}

TEST(TilePreload, CorridorLoadsCellsAlongTheLineAndOffsetInLatitude) {
    TempDir dir;
    writeNarrowFlat(dir.path(), -4, 0, -10.0);
    writeNarrowFlat(dir.path(), 4, 8, -20.0);
    writeNarrowFlat(dir.path(), 12, 0, -30.0);  // east of the end point
    writeNarrowFlat(dir.path(), -4, 16, -40.0);  // north of the widest offset
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    // From (1 N, 1 E) to (1 N, 5 E): dlon 4, length 4, 9 points per offset;
    // offsets of 8 and 4 degrees north and south reach the bands 8..16 and
    // -8..0.
    tiles.loadTilesAlongLine(1.0f, 1.0f, 1.0f, 5.0f);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("LOAD TILES DLON  **********  4\nRANGE LON 1 1 5\nRANGE LON 2 1 5\n", 0), 0u) << text;
    EXPECT_EQ(tiles.residentCount(), 2);
    EXPECT_TRUE(tiles.record(12, 22).loaded);  // 0 N, 4 W
    EXPECT_TRUE(tiles.record(13, 23).loaded);  // 8 N, 4 E
    // Every cell of the corridor was looked for once: 3 bands x 2 columns.
    EXPECT_EQ(countOf(text, "LOAD 8 deg Tile "), 6);
    for (int latIdx : {11, 12, 13})
        for (int lonIdx : {22, 23})
            EXPECT_TRUE(tiles.record(latIdx, lonIdx).loaded || tiles.record(latIdx, lonIdx).missing);
    EXPECT_FALSE(tiles.record(12, 24).loaded);
    EXPECT_FALSE(tiles.record(14, 22).loaded);
}

TEST(TilePreload, CorridorAcrossTheDateLine) {
    TempDir dir;
    writeNarrowFlat(dir.path(), 172, 0, -10.0);
    writeNarrowFlat(dir.path(), -180, 0, -20.0);
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    tiles.loadTilesAlongLine(0.5f, 178.0f, 0.5f, -178.0f);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("LOAD TILES DLON  **********  4\nRANGE LON 1 178 -178\nRANGE LON 2 178 182\n", 0), 0u)
        << text;
    EXPECT_TRUE(tiles.record(12, 44).loaded);
    EXPECT_TRUE(tiles.record(12, 0).loaded);
    EXPECT_EQ(countOf(text, "LOAD 8 deg Tile "), 6);
}

TEST(TilePreload, CorridorOfZeroLengthLoadsNothing) {
    TempDir dir;
    writeNarrowFlat(dir.path(), -4, 0, -10.0);
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles(out, sink, dir.path());
    tiles.loadTilesAlongLine(2.0f, 3.0f, 2.0f, 3.0f);
    EXPECT_EQ(out.str(), "LOAD TILES DLON  **********  0\nRANGE LON 1 3 3\nRANGE LON 2 3 3\n");
    EXPECT_EQ(tiles.residentCount(), 0);
}

}  // namespace
}  // namespace tessarin
