// Damaged, odd and unreadable tile files: each is named on the console, and
// the store keeps answering from everything it could read.

#include <gtest/gtest.h>
#include <lodepng.h>
#include <unistd.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "RecordingSink.hpp"
#include "earth/DepthTile.hpp"
#include "earth/PngDecoder.hpp"
#include "earth/TileStore.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::TempDir;

std::string pictureName(const std::string& root, int lon0, int lat0) {
    return root + "Tile_8png_i/BI_8_" + std::to_string(lon0) + "_" + std::to_string(lat0) + "_1920.png";
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A valid data tile (8 columns) cut to half its length: the stream ends
// inside the image data.
void writeTruncatedTile(const std::string& path) {
    test::writePng(path, 8, 1920, [](int r, int c, std::uint8_t* px) {
        px[0] = static_cast<std::uint8_t>(r);
        px[1] = static_cast<std::uint8_t>(c);
        px[2] = 0;
        px[3] = 255;
    });
    std::vector<unsigned char> bytes = readBytes(path);
    bytes.resize(bytes.size() / 2);
    writeBytes(path, bytes);
}

// Runs f with the file's read permission taken away; skipped when the tests
// run as root, for whom permissions do not stop a read.
bool unreadableForUs(const std::string& path) {
    std::filesystem::permissions(path, std::filesystem::perms::none);
    return ::geteuid() != 0;
}

struct DamagedFile {
    const char* what;
    std::function<void(const std::string& path)> make;
    const char* expected;  // the console line's text after the file name
};

const std::vector<DamagedFile>& damagedDataTiles() {
    static const std::vector<DamagedFile> cases = {
        {"truncated mid-stream", writeTruncatedTile, ": not a readable PNG image\n"},
        {"not a PNG", [](const std::string& p) { writeBytes(p, {'B', 'M', 0, 0, 7}); }, ": not a readable PNG image\n"},
        {"a folder", [](const std::string& p) { std::filesystem::create_directories(p); },
         ": not a readable PNG image\n"},
        {"another size",
         [](const std::string& p) {
             test::writePng(p, 2100, 1920, [](int, int, std::uint8_t* px) { px[0] = px[1] = px[2] = px[3] = 7; });
         },
         ": 2100 x 1920 pixels, expected 1920 rows and at most 2048 columns\n"},
    };
    return cases;
}

// A damaged data tile is named with the reason, leaves its cell without
// data, and costs no other resident tile its place.
TEST(HostileTiles, DamagedDataTileIsNamedAndTheOtherTilesStay) {
    for (const DamagedFile& c : damagedDataTiles()) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        // Cells of 8 degrees with west edges at 4 and 12 E.
        test::writeFlatDataTile(dir.path(), 4, 0, -1500.0);
        const std::string name = DepthTile::dataFileName(dir.path(), 12, 0);
        c.make(name);
        std::ostringstream out;
        test::RecordingSink sink;
        TileStore tiles(out, sink, dir.path());
        float elevation = 0.0f;
        ASSERT_TRUE(tiles.getDepth(8.0, 4.0, elevation));

        EXPECT_FALSE(tiles.getDepth(16.0, 4.0, elevation));
        EXPECT_FLOAT_EQ(elevation, 5.0f);
        EXPECT_NE(out.str().find("Unreadable data tile " + name + c.expected), std::string::npos) << out.str();
        EXPECT_EQ(out.str().find("READ DATA MAP FILE NAME " + name), std::string::npos);
        ASSERT_TRUE(tiles.getDepth(8.0, 4.0, elevation));
        EXPECT_FLOAT_EQ(elevation, -1500.0f);
        EXPECT_EQ(tiles.residentCount(), 1);
    }
}

TEST(HostileTiles, UnreadableDataTileIsNamed) {
    TempDir dir;
    const std::string name = DepthTile::dataFileName(dir.path(), 8, 0);
    test::writeFlatDataTile(dir.path(), 8, 0, -1500.0);
    if (!unreadableForUs(name)) GTEST_SKIP() << "running as root: permissions do not stop a read";
    std::ostringstream out;
    DepthTile tile(8.0, 0.0, 8.0, 0);
    EXPECT_FALSE(tile.loadData(dir.path(), out));
    EXPECT_EQ(out.str(), "Unreadable data tile " + name + ": not a readable PNG image\n");
}

// Writes a one-colour data tile of 4 x 1920 pixels in a PNG layout the tile
// writer never makes.
void writeOddTile(const std::string& path, LodePNGColorType type, unsigned bitDepth,
                  const std::vector<unsigned char>& pixel, const std::vector<unsigned char>& palette) {
    lodepng::State state;
    state.info_raw.colortype = type;
    state.info_raw.bitdepth = bitDepth;
    state.info_png.color.colortype = type;
    state.info_png.color.bitdepth = bitDepth;
    state.encoder.auto_convert = 0;
    for (std::size_t i = 0; i + 3 < palette.size(); i += 4) {
        lodepng_palette_add(&state.info_raw, palette[i], palette[i + 1], palette[i + 2], palette[i + 3]);
        lodepng_palette_add(&state.info_png.color, palette[i], palette[i + 1], palette[i + 2], palette[i + 3]);
    }
    std::vector<unsigned char> image;
    for (int i = 0; i < 4 * 1920; ++i) image.insert(image.end(), pixel.begin(), pixel.end());
    std::vector<unsigned char> png;
    ASSERT_EQ(lodepng::encode(png, image, 4, 1920, state), 0u);
    writeBytes(path, png);
}

// 16-bit and palette tiles decode to the codes their bytes spell, with a line
// saying how they were read.
TEST(HostileTiles, SixteenBitAndPaletteDataTilesReadTheirCodes) {
    struct Case {
        const char* what;
        LodePNGColorType type;
        unsigned bitDepth;
        std::vector<unsigned char> pixel;
        std::vector<unsigned char> palette;
        float elevationM;
        int referencePixels;
        const char* note;
    };
    // Code 0x8C40 = 35904: 35904 / 3 - 12000 = -32 m. Code 0x8CA0 = 36000: 0 m.
    const std::vector<Case> cases = {
        {"16-bit RGBA", LCT_RGBA, 16, {0x8C, 0x11, 0x40, 0xFF, 0x00, 0x03, 0xFF, 0xFF}, {}, -32.0f, 0,
         " has 16-bit samples; the depth code is read from their high bytes\n"},
        {"16-bit RGB", LCT_RGB, 16, {0x8C, 0x00, 0x40, 0x00, 0x03, 0x00}, {}, -32.0f, 4 * 1920,
         " has 16-bit samples; the depth code is read from their high bytes\n"},
        {"palette", LCT_PALETTE, 8, {1}, {0, 0, 0, 255, 0x8C, 0xA0, 3, 255}, 0.0f, 4 * 1920,
         " is a palette image; the depth code is read from its colours\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string name = DepthTile::dataFileName(dir.path(), 8, 0);
        writeOddTile(name, c.type, c.bitDepth, c.pixel, c.palette);
        std::ostringstream out;
        DepthTile tile(8.0, 0.0, 8.0, 0);
        ASSERT_TRUE(tile.loadData(dir.path(), out));
        EXPECT_EQ(out.str(), "READ DATA MAP FILE NAME " + name + "\nData tile " + name + c.note +
                                 "Multibeam pixels " + std::to_string(c.referencePixels) + "\n");
        EXPECT_FLOAT_EQ(tile.elevationAt(9.0, 1.0), c.elevationM);
        EXPECT_EQ(tile.referencePixels, c.referencePixels);
    }
}

// A picture that is missing, damaged or of the wrong size is reported and
// not shown; the cell's data tile still loads, and the slot's texture keeps
// what it showed.
TEST(HostileTiles, BadPictureIsReportedAndTheDataStillLoads) {
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> make;
        const char* detail;  // the line after "Fail to open", "" for none
    };
    const std::vector<Case> cases = {
        {"missing", [](const std::string&) {}, ""},
        {"truncated", writeTruncatedTile, " is not a readable PNG image\n"},
        {"a folder", [](const std::string& p) { std::filesystem::create_directories(p); },
         " is not a readable PNG image\n"},
        {"too narrow",
         [](const std::string& p) {
             test::writePng(p, 960, 1920, [](int, int, std::uint8_t* px) { px[0] = px[1] = px[2] = px[3] = 9; });
         },
         " is 960 x 1920 pixels, expected at least 1920 x 1920\n"},
        {"too short",
         [](const std::string& p) {
             test::writePng(p, 1920, 100, [](int, int, std::uint8_t* px) { px[0] = px[1] = px[2] = px[3] = 9; });
         },
         " is 1920 x 100 pixels, expected at least 1920 x 1920\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        test::writeFlatDataTile(dir.path(), 12, 0, -700.0);
        const std::string name = pictureName(dir.path(), 12, 0);
        c.make(name);
        std::ostringstream out;
        test::RecordingSink sink;
        TileStore tiles(out, sink, dir.path());
        float elevation = 0.0f;
        ASSERT_TRUE(tiles.getDepth(16.0, 4.0, elevation));
        EXPECT_FLOAT_EQ(elevation, -700.0f);
        EXPECT_NE(out.str().find("Fail to open " + name + "\n" + (*c.detail ? "Picture tile " + name + c.detail : "") +
                                 "READ DATA MAP FILE NAME "),
                  std::string::npos)
            << out.str();
        // Only the coverage texture was uploaded, never a picture.
        ASSERT_EQ(sink.uploads.size(), 1u);
        EXPECT_EQ(sink.uploads[0].channels, 1);
    }
}

// Mended (found by fuzzing): the decoder allocated the pixels of whatever
// size a header claimed before reading a row; a 200-byte file claiming
// 65028 x 1920 pixels cost half a gigabyte and seconds. Sides beyond 4096
// pixels are refused; real images up to that size still decode.
TEST(HostileTiles, ImagesLargerThanAnyTextureAreRefused) {
    struct Case {
        const char* what;
        std::uint32_t width;
        std::uint32_t height;
        bool claimOnly;  // header patched, image data of a 4 x 1920 tile
        bool decodes;
    };
    const std::vector<Case> cases = {
        {"header claiming 65028 x 1920", 65028, 1920, true, false},
        {"header claiming 1000000 x 1000000", 1000000, 1000000, true, false},
        {"4097 x 1", 4097, 1, false, false},
        {"1 x 4097", 1, 4097, false, false},
        {"4096 x 2", 4096, 2, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.file("odd.png");
        if (c.claimOnly) {
            test::writePng(path, 4, 1920, [](int, int, std::uint8_t* px) { px[0] = px[1] = px[2] = px[3] = 1; });
            std::vector<unsigned char> bytes = readBytes(path);
            for (int i = 0; i < 4; ++i) {
                bytes[16 + i] = static_cast<unsigned char>(c.width >> (24 - 8 * i));
                bytes[20 + i] = static_cast<unsigned char>(c.height >> (24 - 8 * i));
            }
            const uLong crc = crc32(0L, bytes.data() + 12, 17);  // IHDR type and data
            for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
            writeBytes(path, bytes);
        } else {
            test::writePng(path, static_cast<int>(c.width), static_cast<int>(c.height),
                           [](int, int, std::uint8_t* px) { px[0] = px[1] = px[2] = px[3] = 1; });
        }
        const DecodedImage image = decodePng(path);
        EXPECT_EQ(image.empty(), !c.decodes);
        if (c.decodes) {
            EXPECT_EQ(image.width, static_cast<int>(c.width));
        }
    }
}

}  // namespace
}  // namespace tessarin
