#include "render/TextureStore.hpp"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "render/MapView.hpp"
#include "support/OffscreenGl.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::OffscreenGl;
using test::TempDir;

// ---- Meshes and tile choice: no GL needed ----------------------------------

TEST(TextureStoreMesh, MeshesAreUnitSpheresWithTheirOwnAxes) {
    std::ostringstream out;
    auto store = std::make_unique<TextureStore>(out);
    struct Point {
        const char* label;
        float x, y, z;
        float ex, ey, ez;
    } points[] = {
        // fine: ring 45 is the equator, ring 90 the pole at z = -1, y = -sin(lon)
        {"fine equator lon 0", store->fineX[45][0], store->fineY[45][0], store->fineZ[45][0], 1, 0, 0},
        {"fine equator lon 90", store->fineX[45][45], store->fineY[45][45], store->fineZ[45][45], 0, -1, 0},
        {"fine north pole", store->fineX[90][17], store->fineY[90][17], store->fineZ[90][17], 0, 0, -1},
        {"fine lat -30 lon 180", store->fineX[30][90], store->fineY[30][90], store->fineZ[30][90],
         -0.8660254f, 0, 0.5f},
        // medium: ring 30 the equator, y = +sin(lon), z = +sin(lat)
        {"medium equator lon 90", store->mediumX[30][30], store->mediumY[30][30], store->mediumZ[30][30], 0, 1, 0},
        {"medium north pole", store->mediumX[60][5], store->mediumY[60][5], store->mediumZ[60][5], 0, 0, 1},
        {"medium lat 30 lon 0", store->mediumX[40][0], store->mediumY[40][0], store->mediumZ[40][0],
         0.8660254f, 0, 0.5f},
        // coarse: 8-degree steps around ring 11
        {"coarse equator lon 0", store->coarseX[11][0], store->coarseY[11][0], store->coarseZ[11][0], 1, 0, 0},
        {"coarse lat 88", store->coarseX[22][0], store->coarseY[22][0], store->coarseZ[22][0],
         0.0348995f, 0, 0.9993908f},
        {"coarse lat -88 lon 360", store->coarseX[0][45], store->coarseY[0][45], store->coarseZ[0][45],
         0.0348995f, 0, -0.9993908f},
    };
    for (const Point& p : points) {
        EXPECT_NEAR(p.x, p.ex, 2e-6) << p.label;
        EXPECT_NEAR(p.y, p.ey, 2e-6) << p.label;
        EXPECT_NEAR(p.z, p.ez, 2e-6) << p.label;
    }
    for (int i = 0; i < TextureStore::kFineRings; ++i) {
        for (int j = 0; j < TextureStore::kFinePoints; ++j) {
            const double r2 = double(store->fineX[i][j]) * store->fineX[i][j] +
                              double(store->fineY[i][j]) * store->fineY[i][j] +
                              double(store->fineZ[i][j]) * store->fineZ[i][j];
            ASSERT_NEAR(r2, 1.0, 1e-6) << i << " " << j;
        }
    }
    EXPECT_EQ(out.str(), "");
}

TEST(TextureStoreGlobeTiles, BandsAndTileLongitudes) {
    struct Case {
        double lat, lon;
        int south, north;
        int southLons[3], northLons[3];
    } cases[] = {
        {15, -160, 8, 16, {-180, -165, -150}, {-180, -165, -150}},   // start-up view
        {60, -160, 56, 64, {150, -180, -150}, {150, -180, -150}},     // 30-degree tiles both
        {11.9, 0, 0, 8, {-15, 0, 15}, {-15, 0, 15}},                  // 3.9 into the band: one lower
        {-60, 10, -64, -56, {-30, 0, 30}, {-15, 0, 15}},              // 30 south of -56, 15 at -56
        {76, 170, 72, 80, {60, 120, -180}, {-60, 60, -180}},  // 60 and 120; 180 wraps
    };
    for (const Case& c : cases) {
        int s = 0, n = 0;
        TextureStore::globeBands(c.lat, s, n);
        EXPECT_EQ(s, c.south) << c.lat;
        EXPECT_EQ(n, c.north) << c.lat;
        int lons[3];
        TextureStore::globeTileLongitudes(s, c.lon, lons);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(lons[k], c.southLons[k]) << c.lat << " " << k;
        TextureStore::globeTileLongitudes(n, c.lon, lons);
        for (int k = 0; k < 3; ++k) EXPECT_EQ(lons[k], c.northLons[k]) << c.lat << " " << k;
    }
}

// ---- Uploads and drawing: an off-screen GL context --------------------------

std::string rawImage(int width, int height, const std::function<void(int, int, std::uint8_t*)>& pixel) {
    std::string bytes(std::size_t(width) * height * 3, '\0');
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            pixel(r, c, reinterpret_cast<std::uint8_t*>(&bytes[(std::size_t(r) * width + c) * 3]));
        }
    }
    return bytes;
}

struct TexImage {
    int width = 0;
    int height = 0;
    int channels = 4;
    std::vector<std::uint8_t> bytes;
    const std::uint8_t* at(int row, int col) const { return &bytes[(std::size_t(row) * width + col) * channels]; }
};

TexImage readTexture(unsigned name, int channels = 4) {
    TexImage t;
    t.channels = channels;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.height);
    t.bytes.resize(std::size_t(t.width) * t.height * channels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!t.bytes.empty()) {
        glGetTexImage(GL_TEXTURE_2D, 0, channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, t.bytes.data());
    }
    return t;
}

class TextureStoreGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << gl.error();
        store = std::make_unique<TextureStore>(out, dir.path());
    }

    OffscreenGl gl{64, 64};
    TempDir dir;
    std::ostringstream out;
    std::unique_ptr<TextureStore> store;
};

TEST_F(TextureStoreGl, NamesAreMadeOnceForEveryUsedSlot) {
    EXPECT_EQ(store->textureName(33), 0u);
    dir.write("Logos/a.raw", rawImage(2, 1, [](int, int, std::uint8_t* p) { p[0] = 100; }));
    ASSERT_TRUE(store->loadButtonImage("Logos/a.raw", 2, 1, 40));
    std::set<unsigned> names;
    for (int slot : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 25, 26, 27, 28, 29, 30, 33, 34, 39, 40, 52, 53}) {
        EXPECT_NE(store->textureName(slot), 0u) << slot;
        names.insert(store->textureName(slot));
    }
    EXPECT_EQ(names.size(), 23u);
    EXPECT_EQ(store->textureName(12), 0u);
    const unsigned before = store->textureName(40);
    ASSERT_TRUE(store->loadButtonImage("Logos/a.raw", 2, 1, 40));
    EXPECT_EQ(store->textureName(40), before);
    // A slot outside the table gets no upload and says so.
    out.str("");
    EXPECT_FALSE(store->loadButtonImage("Logos/a.raw", 2, 1, 12));
    EXPECT_EQ(out.str(), "LOAD Button image :: Logos/a.raw\nNo texture slot 12\n");
}

TEST_F(TextureStoreGl, ButtonImageColourKeyIsRedBelowThirty) {
    const std::uint8_t pixels[4][3] = {{29, 255, 255}, {30, 0, 0}, {0, 0, 0}, {255, 20, 10}};
    dir.write("Logos/b.raw", rawImage(2, 2, [&](int r, int c, std::uint8_t* p) {
                  for (int k = 0; k < 3; ++k) p[k] = pixels[r * 2 + c][k];
              }));
    ASSERT_TRUE(store->loadButtonImage("Logos/b.raw", 2, 2, 52));
    EXPECT_EQ(out.str(), "LOAD Button image :: Logos/b.raw\n");
    const TexImage t = readTexture(store->textureName(52));
    ASSERT_EQ(t.width, 2);
    ASSERT_EQ(t.height, 2);
    const int alpha[4] = {0, 255, 0, 255};
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* p = t.at(i / 2, i % 2);
        EXPECT_EQ(p[0], pixels[i][0]) << i;
        EXPECT_EQ(p[1], pixels[i][1]) << i;
        EXPECT_EQ(p[2], pixels[i][2]) << i;
        EXPECT_EQ(p[3], alpha[i]) << i;
    }
}

TEST_F(TextureStoreGl, LogoSitsTopLeftInA512Texture) {
    dir.write("Logos/l.raw", rawImage(450, 450, [](int r, int c, std::uint8_t* p) {
                  p[0] = static_cast<std::uint8_t>(c);
                  p[1] = static_cast<std::uint8_t>(r);
                  p[2] = static_cast<std::uint8_t>(1 + (r + c) % 200);
              }));
    ASSERT_TRUE(store->loadLogo("Logos/l.raw", 33));
    EXPECT_EQ(out.str(), "LOAD Logo 512x512 :: Logos/l.raw\n");
    const TexImage t = readTexture(store->textureName(33));
    ASSERT_EQ(t.width, 512);
    ASSERT_EQ(t.height, 512);
    for (auto [r, c] : {std::pair{0, 0}, {0, 449}, {449, 0}, {449, 449}, {123, 321}}) {
        const std::uint8_t* p = t.at(r, c);
        EXPECT_EQ(p[0], c % 256) << r << "," << c;
        EXPECT_EQ(p[1], r % 256) << r << "," << c;
        EXPECT_EQ(p[2], 1 + (r + c) % 200) << r << "," << c;
        EXPECT_EQ(p[3], 255) << r << "," << c;
    }
    for (auto [r, c] : {std::pair{0, 450}, {450, 0}, {511, 511}}) {
        EXPECT_EQ(t.at(r, c)[2], 0) << r << "," << c;
        EXPECT_EQ(t.at(r, c)[3], 0) << r << "," << c;
    }
}

TEST_F(TextureStoreGl, MissingAndShortFiles) {
    EXPECT_FALSE(store->loadLogo("Logos/none.raw", 33));
    EXPECT_EQ(out.str(), "");  // a missing logo is skipped silently
    EXPECT_FALSE(store->loadButtonImage("Logos/none.raw", 512, 256, 53));
    EXPECT_EQ(out.str(), "FAIL to open Logos/none.raw\n");

    // A short logo read after a full one must not show the full one's pixels.
    dir.write("Logos/full.raw", rawImage(450, 450, [](int, int, std::uint8_t* p) { p[0] = p[1] = p[2] = 200; }));
    dir.write("Logos/short.raw", std::string(450 * 3 * 10, char(90)));
    ASSERT_TRUE(store->loadLogo("Logos/full.raw", 34));
    out.str("");
    ASSERT_TRUE(store->loadLogo("Logos/short.raw", 39));
    EXPECT_EQ(out.str(), "LOAD Logo 512x512 :: Logos/short.raw\nShort image file Logos/short.raw: 13500 of 607500 bytes\n");
    const TexImage t = readTexture(store->textureName(39));
    EXPECT_EQ(t.at(9, 100)[0], 90);
    EXPECT_EQ(t.at(10, 100)[0], 0);
    EXPECT_EQ(t.at(449, 449)[0], 0);

    // A size beyond the staging buffer is refused before anything is read.
    out.str("");
    EXPECT_FALSE(store->loadButtonImage("Logos/full.raw", 4096, 2048, 40));
    EXPECT_EQ(out.str(), "Bad button image size 4096 x 2048 for Logos/full.raw\n");
    EXPECT_FALSE(store->loadButtonImage("Logos/full.raw", 0, 10, 40));
}

TEST_F(TextureStoreGl, GlobeTilesGoToTheirSlotsInA2048By1024Texture) {
    // Band 8 at -165 (slot 26) is a real tile; band 8 at -180 is too small;
    // the others are missing.
    test::writePng(dir.file("GlobeTiles/BG15_-165_8_1800.png"), 1800, 960, [](int r, int c, std::uint8_t* p) {
        p[0] = static_cast<std::uint8_t>(c % 251);
        p[1] = static_cast<std::uint8_t>(r % 241);
        p[2] = 7;
        p[3] = 255;
    });
    test::writePng(dir.file("GlobeTiles/BG15_-180_8_1800.png"), 1799, 960,
                   [](int, int, std::uint8_t* p) { p[0] = p[1] = p[2] = p[3] = 255; });
    EXPECT_EQ(store->loadGlobeTiles(15, -160), 1);
    EXPECT_EQ(out.str(), "");

    const TexImage t = readTexture(store->textureName(26), 3);
    ASSERT_EQ(t.width, 2048);
    ASSERT_EQ(t.height, 1024);
    for (auto [r, c] : {std::pair{0, 0}, {959, 1799}, {500, 1000}}) {
        EXPECT_EQ(t.at(r, c)[0], c % 251) << r << "," << c;
        EXPECT_EQ(t.at(r, c)[1], r % 241) << r << "," << c;
        EXPECT_EQ(t.at(r, c)[2], 7) << r << "," << c;
    }
    for (int r : {0, 959}) {
        EXPECT_EQ(t.at(r, 1800)[0], 255);
        EXPECT_EQ(t.at(r, 1800)[2], 255);
        EXPECT_EQ(t.at(r, 1801)[0], 180);
        EXPECT_EQ(t.at(r, 2047)[1], 180);
    }
    EXPECT_EQ(t.at(960, 0)[0], 180);
    EXPECT_EQ(t.at(1023, 2047)[2], 180);
    // The skipped slots keep no image.
    EXPECT_EQ(readTexture(store->textureName(25)).width, 0);
    EXPECT_EQ(readTexture(store->textureName(28)).width, 0);
}

void globeProjection() {
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-9.2, 26.8, -9.0, 9.0, 100.0, 2000.0);
    glTranslatef(0.0f, 0.0f, -113.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

std::vector<std::uint8_t> readFrame() {
    std::vector<std::uint8_t> pixels(64 * 64 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 64, 64, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

TEST_F(TextureStoreGl, DrawImagePutsTheFileTopRowAtTheTop) {
    // Top half orange, bottom half colour-keyed (transparent) except one
    // opaque blue-green column on the left.
    dir.write("Logos/d.raw", rawImage(64, 64, [](int r, int c, std::uint8_t* p) {
                  if (r < 32) {
                      p[0] = 250, p[1] = 120, p[2] = 10;
                  } else if (c < 8) {
                      p[0] = 40, p[1] = 200, p[2] = 220;
                  } else {
                      p[0] = 0, p[1] = 255, p[2] = 0;
                  }
              }));
    ASSERT_TRUE(store->loadButtonImage("Logos/d.raw", 64, 64, 53));
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ViewRecord app;
    applyWindowSize(app, 64, 64);
    applyPixelTransform(app);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    store->drawImage(0, 0, 64, 64, 53);
    const std::vector<std::uint8_t> f = readFrame();
    auto px = [&](int glRow, int col) { return &f[(std::size_t(glRow) * 64 + col) * 4]; };
    EXPECT_EQ(px(60, 30)[0], 250);  // GL row 60 is near the window's top
    EXPECT_EQ(px(60, 30)[1], 120);
    EXPECT_EQ(px(5, 30)[1], 0);     // keyed out: the black background shows
    EXPECT_EQ(px(5, 2)[1], 200);
    EXPECT_EQ(px(5, 2)[2], 220);
}

TEST_F(TextureStoreGl, GlobeIsDrawnLitWhereTheProjectionPutsIt) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_BLEND);
    globeProjection();
    glColor3f(1.0f, 1.0f, 1.0f);
    store->drawGlobe(180.0f, 0.0f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    const std::vector<std::uint8_t> f = readFrame();
    // The globe's centre projects to x = 9.2 / 36 of the width, mid height;
    // its radius to about 10 * 100 / 113 units: 15.7 pixels across, 31.5 up.
    auto lit = [&](int row, int col) { return f[(std::size_t(row) * 64 + col) * 4 + 1] > 20; };
    EXPECT_TRUE(lit(32, 16));
    EXPECT_TRUE(lit(32, 4));
    EXPECT_TRUE(lit(32, 28));
    EXPECT_FALSE(lit(32, 36));
    EXPECT_TRUE(lit(5, 16));
    EXPECT_FALSE(lit(32, 60));
}

TEST_F(TextureStoreGl, BusyScreenClearsDrawsAndEndsTheFrameOnce) {
    int ends = 0;
    store->setBusyFrameEnd([&] { ++ends; });
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    globeProjection();
    ViewRecord app;
    applyWindowSize(app, 64, 64);
    store->drawBusyScreen(app);
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
}  // namespace tessarin
