#include "render/GlTextureSink.hpp"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "earth/TileStore.hpp"
#include "support/OffscreenGl.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::OffscreenGl;
using test::TempDir;

struct TextureShape {
    GLint width = 0;
    GLint height = 0;
    GLint internalFormat = 0;
};

TextureShape shapeOf(unsigned name) {
    TextureShape s;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &s.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &s.height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &s.internalFormat);
    return s;
}

std::vector<std::uint8_t> readBack(unsigned name, GLenum format, int width, int height, int channels) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * channels);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

class GlTextureSinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << "no off-screen GL context: " << gl.error();
    }
    OffscreenGl gl;
    GlTextureSink sink;
};

TEST_F(GlTextureSinkTest, UploadsTightlyPackedRowsInEachFormat) {
    unsigned names[3] = {};
    sink.generateNames(names, 3);
    EXPECT_NE(names[0], 0u);
    EXPECT_NE(names[0], names[1]);
    EXPECT_NE(names[1], names[2]);

    // Odd widths: rows of 5, 15 and 20 bytes are not all multiples of 4.
    const int w = 5, h = 3;
    struct Case {
        int channels;
        GLenum format;
        TextureEnv env;
    };
    const Case cases[] = {{1, GL_RED, TextureEnv::Replace}, {3, GL_RGB, TextureEnv::Replace},
                          {4, GL_RGBA, TextureEnv::Modulate}};
    for (int i = 0; i < 3; ++i) {
        const Case& c = cases[i];
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * c.channels);
        for (std::size_t k = 0; k < pixels.size(); ++k) pixels[k] = static_cast<std::uint8_t>(k * 11 + 1);
        sink.upload(names[i], w, h, c.channels, pixels.data(), c.env);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << c.channels;

        const TextureShape s = shapeOf(names[i]);
        EXPECT_EQ(s.width, w);
        EXPECT_EQ(s.height, h);
        EXPECT_EQ(readBack(names[i], c.format, w, h, c.channels), pixels) << c.channels;

        GLint param = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &param);
        EXPECT_EQ(param, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &param);
        EXPECT_EQ(param, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &param);
        EXPECT_EQ(param, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &param);
        EXPECT_EQ(param, GL_LINEAR);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &param);
        EXPECT_EQ(param, c.env == TextureEnv::Modulate ? GL_MODULATE : GL_REPLACE);
    }
}

// A polar cell: the picture (960 columns) and the coverage grid both go into
// 1024 x 2048 textures of the cell's slot; a cell further south gets 2048.
TEST_F(GlTextureSinkTest, TileLoadMakesPictureAndCoverageTexturesOfTheSlot) {
    TempDir dir;
    test::writePictureTile(dir.path(), -100, 56, 960, 200, 100, 50);
    test::writeDataTile(dir.path(), -100, 56, [](int, int c) {
        return test::DataPixel{36000, static_cast<std::uint8_t>(c == 1 ? 3 : 0)};
    }, 8);
    test::writePictureTile(dir.path(), -100, 48, 1920, 1, 2, 3);
    test::writeDataTile(dir.path(), -100, 48, [](int, int) { return test::DataPixel{36000, 0}; }, 8);

    std::ostringstream out;
    TileStore tiles(out, sink, dir.path());
    float e = 0.0f;
    ASSERT_TRUE(tiles.getDepth(-99.0, 60.0, e));
    ASSERT_TRUE(tiles.getDepth(-99.0, 50.0, e));
    tiles.uploadAllPictures();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    const TextureShape polar = shapeOf(tiles.pictureTexture(0));
    EXPECT_EQ(polar.width, 1024);
    EXPECT_EQ(polar.height, 2048);
    EXPECT_EQ(polar.internalFormat, GL_RGB);
    const auto picture = readBack(tiles.pictureTexture(0), GL_RGB, 1024, 2048, 3);
    EXPECT_EQ(picture[0], 200);
    EXPECT_EQ(picture[1], 100);
    EXPECT_EQ(picture[2], 50);
    EXPECT_EQ(picture[960 * 3 + 1], 255);  // white seam
    EXPECT_EQ(picture[961 * 3 + 1], 180);

    const TextureShape coverage = shapeOf(tiles.coverageTexture(0));
    EXPECT_EQ(coverage.width, 1024);
    EXPECT_EQ(coverage.height, 2048);
    EXPECT_TRUE(coverage.internalFormat == GL_RED || coverage.internalFormat == 0x8229 /* GL_R8 */)
        << coverage.internalFormat;
    const auto grid = readBack(tiles.coverageTexture(0), GL_RED, 1024, 2048, 1);
    EXPECT_EQ(grid[0], 0);
    EXPECT_EQ(grid[1], 64);
    EXPECT_EQ(grid[1024 * 1919 + 1], 64);
    EXPECT_EQ(grid[8], 180);

    const TextureShape south = shapeOf(tiles.pictureTexture(1));
    EXPECT_EQ(south.width, 2048);
    EXPECT_EQ(south.height, 2048);
}

}  // namespace
}  // namespace tessarin
