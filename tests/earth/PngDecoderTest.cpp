#include "earth/PngDecoder.hpp"

#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstdint>
#include <fstream>
#include <new>
#include <vector>

#include "support/TempDir.hpp"

namespace tessarin {
namespace {

using test::TempDir;

// Writes a small PNG of the given stored colour type from raw samples in the
// same colour type, so that every decoding path (palette, grey, 16-bit,
// interlace, gamma chunk) is exercised on a file lodepng also reads.
struct PngCase {
    const char* label;
    LodePNGColorType type;
    unsigned bitDepth;
    bool interlaced = false;
    unsigned gamma = 0;  // gAMA chunk value times 100000; 0 = no chunk
};

void writeSample(const std::string& path, const PngCase& pngCase, unsigned w, unsigned h) {
    lodepng::State state;
    state.encoder.auto_convert = 0;
    state.info_raw.colortype = pngCase.type;
    state.info_raw.bitdepth = pngCase.bitDepth;
    state.info_png.color.colortype = pngCase.type;
    state.info_png.color.bitdepth = pngCase.bitDepth;
    state.info_png.interlace_method = pngCase.interlaced ? 1 : 0;
    if (pngCase.gamma != 0) {
        state.info_png.gama_defined = 1;
        state.info_png.gama_gamma = pngCase.gamma;
    }
    if (pngCase.type == LCT_PALETTE) {
        for (unsigned i = 0; i < 16; ++i) {
            const auto v = static_cast<unsigned char>(i * 16);
            const auto a = static_cast<unsigned char>(i == 3 ? 0 : 255 - i);
            lodepng_palette_add(&state.info_raw, v, static_cast<unsigned char>(255 - v), 3, a);
            lodepng_palette_add(&state.info_png.color, v, static_cast<unsigned char>(255 - v), 3, a);
        }
    }
    const std::size_t bits = static_cast<std::size_t>(lodepng_get_bpp(&state.info_raw));
    std::vector<unsigned char> raw((w * h * bits + 7) / 8 + 16);
    // Varied bytes; a palette index stays inside the 16 entries.
    for (std::size_t i = 0; i < raw.size(); ++i) {
        raw[i] = static_cast<unsigned char>((i * 37 + 11) & 0xff);
        if (pngCase.type == LCT_PALETTE) raw[i] = static_cast<unsigned char>(raw[i] & (pngCase.bitDepth == 8 ? 0x0f : 0xff));
    }
    std::vector<unsigned char> png;
    ASSERT_EQ(lodepng::encode(png, raw, w, h, state), 0u) << pngCase.label;
    ASSERT_EQ(lodepng::save_file(png, path), 0u);
}

TEST(PngDecoder, MatchesLodepngOnEveryColourType) {
    TempDir dir;
    const PngCase cases[] = {
        {"rgba8", LCT_RGBA, 8},
        {"rgb8", LCT_RGB, 8},
        {"grey1", LCT_GREY, 1},
        {"grey4", LCT_GREY, 4},
        {"grey8", LCT_GREY, 8},
        {"greyalpha8", LCT_GREY_ALPHA, 8},
        {"palette4", LCT_PALETTE, 4},
        {"palette8", LCT_PALETTE, 8},
        {"rgba16", LCT_RGBA, 16},
        {"rgb16", LCT_RGB, 16},
        {"rgba8_interlaced", LCT_RGBA, 8, true},
        // A data tile's red and green are a depth code: a gamma chunk must not
        // change them (libpng's simplified reader would).
        {"rgba8_gamma1", LCT_RGBA, 8, false, 100000},
        {"rgb8_gamma02", LCT_RGB, 8, false, 20000},
    };
    for (const PngCase& pngCase : cases) {
        const std::string path = dir.file(std::string(pngCase.label) + ".png");
        writeSample(path, pngCase, 13, 7);
        std::vector<unsigned char> expected;
        unsigned w = 0, h = 0;
        ASSERT_EQ(lodepng::decode(expected, w, h, path), 0u) << pngCase.label;

        const DecodedImage image = decodePng(path);
        EXPECT_EQ(image.width, 13) << pngCase.label;
        EXPECT_EQ(image.height, 7) << pngCase.label;
        EXPECT_EQ(image.rgba, std::vector<std::uint8_t>(expected.begin(), expected.end())) << pngCase.label;

        // The same pixels a row at a time, streamed or (interlaced) whole.
        DecodedImage header;
        std::vector<std::uint8_t> streamed;
        int nextRow = 0;
        EXPECT_TRUE(decodePngRows(
            path, [&](const DecodedImage& h) { header = h; },
            [&](int row, const std::uint8_t* rgba) {
                EXPECT_EQ(row, nextRow++) << pngCase.label;
                streamed.insert(streamed.end(), rgba, rgba + static_cast<std::size_t>(header.width) * 4);
            }))
            << pngCase.label;
        EXPECT_EQ(header.width, image.width) << pngCase.label;
        EXPECT_EQ(header.height, image.height) << pngCase.label;
        EXPECT_EQ(header.sourceBitDepth, image.sourceBitDepth) << pngCase.label;
        EXPECT_EQ(header.sourcePalette, image.sourcePalette) << pngCase.label;
        EXPECT_TRUE(header.rgba.empty()) << pngCase.label;
        EXPECT_EQ(streamed, image.rgba) << pngCase.label;
    }
}

// The row reader fails wherever the whole-image reader does.
bool readsByRows(const std::string& path) {
    return decodePngRows(path, [](const DecodedImage&) {}, [](int, const std::uint8_t*) {});
}

TEST(PngDecoder, AnyFailureGivesAnEmptyImage) {
    TempDir dir;
    EXPECT_TRUE(decodePng(dir.file("absent.png")).empty());
    EXPECT_TRUE(decodePng(dir.path()).empty());  // a folder
    EXPECT_FALSE(readsByRows(dir.file("absent.png")));
    EXPECT_FALSE(readsByRows(dir.path()));

    dir.write("text.png", "this is not a picture\n");
    EXPECT_TRUE(decodePng(dir.file("text.png")).empty());
    EXPECT_FALSE(readsByRows(dir.file("text.png")));

    const std::string good = dir.file("good.png");
    writeSample(good, {"rgba8", LCT_RGBA, 8}, 40, 40);
    ASSERT_FALSE(decodePng(good).empty());
    ASSERT_TRUE(readsByRows(good));
    // A reader that cannot take the pixels (out of memory) fails the decode
    // without the exception going further.
    EXPECT_FALSE(decodePngRows(good, [](const DecodedImage&) { throw std::bad_alloc(); }, [](int, const std::uint8_t*) {}));
    EXPECT_FALSE(decodePngRows(good, [](const DecodedImage&) {}, [](int row, const std::uint8_t*) {
        if (row == 20) throw std::bad_alloc();
    }));

    // Cut in the middle of the image data, and with a damaged data byte
    // (the chunk checksum then fails).
    std::string bytes = dir.read("good.png");
    dir.write("cut.png", bytes.substr(0, bytes.size() / 2));
    const DecodedImage cut = decodePng(dir.file("cut.png"));
    EXPECT_TRUE(cut.empty());
    EXPECT_EQ(cut.width, 0);
    EXPECT_EQ(cut.height, 0);
    EXPECT_FALSE(readsByRows(dir.file("cut.png")));

    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x5a);
    dir.write("damaged.png", bytes);
    EXPECT_TRUE(decodePng(dir.file("damaged.png")).empty());
    EXPECT_FALSE(readsByRows(dir.file("damaged.png")));
}

}  // namespace
}  // namespace tessarin
