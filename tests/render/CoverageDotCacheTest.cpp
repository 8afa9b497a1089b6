// The coverage dots kept between frames, as textures and as point arrays,
// checked pixel by pixel against the dots drawn by walking the coverage bytes
// in the same off-screen frame: over tiles of varied coverage and shape, at
// sparse and dense coverage, and after the coverage or the resident tile of a
// cell changes.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
#include "earth/MapProjection.hpp"
#include "render/BitmapText.hpp"
#include "render/GlTextureSink.hpp"
#include "render/MapView.hpp"
#include "render/SceneRenderer.hpp"
#include "support/CoverageDotWalk.hpp"
#include "support/OffscreenGl.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 380;

class SilentPainter : public TextPainter {
public:
    void drawText(float, float, const std::string&) override {}
};

using Pattern = std::function<std::uint8_t(int row, int col)>;

// The rasteriser writes the 0.7 of dark cyan (178.5 of 255 in exact
// arithmetic, a hair less as a float) as 178 or as 179 depending on how it
// batched the point-by-point drawing; the kept dots always give 178.
bool darkCyanRounding(unsigned char walk, unsigned char kept) { return kept == 178 && walk == 179; }

// A frame's pixels and the current colour the drawing left behind.
struct Frame {
    std::vector<unsigned char> pixels;
    float colour[4] = {};
};

class CoverageDotCacheTest : public ::testing::Test {
protected:
    CoverageDotCacheTest() : gl(kWidth, kHeight) {
        if (!gl.ok()) return;
        planner = std::make_unique<PlannerState>(out, sink, world->path());
        renderer = std::make_unique<SceneRenderer>(sceneSourcesOf(*planner), painter);
        applyWindowSize(app, kWidth, kHeight);
        glViewport(0, 0, kWidth, kHeight);
    }

    // One data tile with a block of reference pixels, for reloads from file.
    static void SetUpTestSuite() {
        world = new test::TempDir;
        test::writeDataTile(world->path(), -36, 16, [](int row, int col) {
            return test::DataPixel{30000, static_cast<std::uint8_t>(row > 1200 && col < 700 ? 3 : 0)};
        });
    }
    static void TearDownTestSuite() {
        delete world;
        world = nullptr;
    }
    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << gl.error();
    }

    // Puts a tile of width x height in cell (latIdx, lonIdx), as a load does.
    DepthTile& place(int latIdx, int lonIdx, int width, int height, const Pattern& pattern) {
        TileRecord& rec = planner->tiles.record(latIdx, lonIdx);
        rec.tile = std::make_unique<DepthTile>(rec.lon0, rec.lat0, 8.0, lonIdx % TileStore::kRingSize);
        rec.tile->allocate(width, height);
        rec.loaded = true;
        for (int r = 0; r < height; ++r) {
            std::uint8_t* bytes = rec.tile->coverageRow(r);
            for (int c = 0; c < width; ++c) bytes[c] = pattern(r, c);
        }
        return *rec.tile;
    }

    void view(float lon, float lat, float zoom) {
        app.viewCentreLon = lon;
        app.viewCentreY = static_cast<float>(mapY(lat));
        app.zoom = zoom;
    }

    enum Path { kWalk, kPoints, kTextures, kChosen };

    // One frame with the map transform and blending of the coverage view,
    // on a background of grey level `background`.
    Frame drawn(Path path, float background = 0.0f) {
        glClearColor(background, background * 0.5f, background * 0.25f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor3f(0.3f, 0.2f, 0.1f);
        applyMapTransform(app);
        if (path == kTextures) {
            renderer->setDotPath(SceneRenderer::DotPath::kTextures);
            renderer->drawCoverageDots(app.viewCentreY, app.viewCentreLon);
            renderer->setDotPath(SceneRenderer::DotPath::kChosen);
        } else if (path == kChosen) {
            renderer->drawCoverageDots(app.viewCentreY, app.viewCentreLon);
        } else if (path == kPoints) {
            renderer->drawCoverageDotsAsPoints(app.viewCentreY, app.viewCentreLon);
        } else {
            test::drawCoverageDotsByWalk(*planner, *renderer, app.viewCentreLon);
        }
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        Frame f;
        glGetFloatv(GL_CURRENT_COLOR, f.colour);
        f.pixels.assign(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, f.pixels.data());
        return f;
    }

    // The kept dots, as points, as textures and each tile drawn the way
    // chosen for it, against the walk: the same pixels and the same colour
    // left current. Returns the textures' frame.
    Frame expectSameAsWalk(const std::string& what) {
        const Frame walk = drawn(kWalk);
        Frame textures;
        for (Path path : {kPoints, kTextures, kChosen}) {
            const Frame kept = drawn(path);
            const std::string name = what + (path == kPoints ? " (points)" : path == kTextures ? " (textures)" : " (chosen)");
            long differing = 0;
            for (std::size_t i = 0; i < walk.pixels.size(); ++i)
                differing += walk.pixels[i] != kept.pixels[i] && !darkCyanRounding(walk.pixels[i], kept.pixels[i]);
            EXPECT_EQ(differing, 0) << name;
            for (int i = 0; i < 4; ++i) EXPECT_EQ(walk.colour[i], kept.colour[i]) << name << ": current colour " << i;
            if (path == kTextures) textures = kept;
        }
        // The same frame again on another background comes from the kept
        // picture of the dots (every tile drawn from textures keeps one),
        // with the new background under them.
        const Frame walkAgain = drawn(kWalk, 0.6f);
        drawn(kTextures, 0.3f);
        const long captures = renderer->coverageLayer().captures();
        const Frame again = drawn(kTextures, 0.6f);
        EXPECT_EQ(renderer->coverageLayer().captures(), captures) << what << ": the same frame drew the dots again";
        long differing = 0;
        for (std::size_t i = 0; i < walkAgain.pixels.size(); ++i)
            differing += walkAgain.pixels[i] != again.pixels[i] && !darkCyanRounding(walkAgain.pixels[i], again.pixels[i]);
        EXPECT_EQ(differing, 0) << what << " (kept picture)";
        for (int i = 0; i < 4; ++i) EXPECT_EQ(walkAgain.colour[i], again.colour[i]) << what << ": kept picture, current colour " << i;
        return textures;
    }

    static test::TempDir* world;
    test::OffscreenGl gl;
    std::ostringstream out;
    GlTextureSink sink;
    std::unique_ptr<PlannerState> planner;
    SilentPainter painter;
    std::unique_ptr<SceneRenderer> renderer;
    AppState app;
};

test::TempDir* CoverageDotCacheTest::world = nullptr;

// Reference, overlap, pass and plain plan bytes in quadrants, with a
// coverage-free strip between them.
std::uint8_t quadrants(int row, int col) {
    if (col > 900 && col < 1000) return 0;
    if (row < 960) return col < 960 ? 0x40 : 0x31;
    return col < 960 ? 0x21 : 0x01;
}

// A third of the bytes zero; of the others, one in colourOneIn may have any
// bits, the rest none of the colour bits (they keep the colour in force).
Pattern randomBytes(unsigned seed, unsigned colourOneIn = 1) {
    auto bytes = std::make_shared<std::vector<std::uint8_t>>(static_cast<std::size_t>(2048) * 1920);
    std::mt19937 rng(seed);
    for (auto& b : *bytes)
        b = static_cast<std::uint8_t>(rng() % 3 == 0 ? 0 : rng() % colourOneIn == 0 ? rng() : rng() & 0x8f);
    return [bytes](int row, int col) { return (*bytes)[static_cast<std::size_t>(row) * 2048 + col]; };
}

// Reference pixels in blocks, swath passes in stripes, overlaps where the
// stripes cross: about two bytes in three carry a dot (the benchmark's dense
// scene).
std::uint8_t dense(int row, int col) {
    const bool reference = (row / 64 + col / 64) % 3 == 0;
    const bool pass = (row + col) % 300 < 150;
    const bool cross = (row - col + 3000) % 400 < 100;
    return static_cast<std::uint8_t>((reference ? 0x40 : 0) | (pass || cross ? 0x21 : 0) | (pass && cross ? 0x10 : 0));
}

// Three narrow swath passes and a few reference pixels.
std::uint8_t sparse(int row, int col) {
    if ((row * 7 + col * 13) % 997 == 0) return 0x40;
    const int d = (row - 2 * col + 4000) % 640;
    return static_cast<std::uint8_t>(d < 12 ? (d < 3 ? 0x31 : 0x21) : 0);
}

TEST_F(CoverageDotCacheTest, KeptDotsDrawTheWalksPixels) {
    struct TileSetup {
        int latIdx, lonIdx, width, height;
        Pattern pattern;
    };
    struct Case {
        const char* what;
        std::vector<TileSetup> tiles;
        float lon, lat, zoom;
        bool anyDots;
    };
    const Case cases[] = {
        {"reference, overlap, pass and plan bytes", {{14, 18, 1920, 1920, quadrants}}, -32.0f, 20.0f, 150.0f, true},
        {"bytes mostly without colour bits", {{14, 18, 1920, 1920, randomBytes(9, 50)}}, -32.0f, 20.0f, 150.0f, true},
        {"random bytes", {{14, 18, 1920, 1920, randomBytes(1)}}, -33.0f, 19.0f, 200.0f, true},
        {"a short tile", {{14, 18, 1920, 1000, randomBytes(2)}}, -32.0f, 20.0f, 100.0f, true},
        {"a narrow polar tile", {{21, 20, 960, 1920, randomBytes(3)}}, -16.0f, 76.0f, 80.0f, true},
        {"a wide tile", {{14, 18, 2048, 1920, randomBytes(4)}}, -32.0f, 20.0f, 100.0f, true},
        {"west end repeated east of 180", {{12, 0, 1920, 1920, randomBytes(5)}, {12, 44, 1920, 1920, quadrants}},
         182.0f, 4.0f, 60.0f, true},
        {"east end repeated west of -180", {{12, 0, 1920, 1920, quadrants}, {12, 44, 1920, 1920, randomBytes(6)}},
         -182.0f, 4.0f, 60.0f, true},
        {"four tiles, the later ones over the earlier",
         {{13, 17, 1920, 1920, randomBytes(7)}, {13, 18, 1920, 1920, randomBytes(10, 20)}, {14, 17, 1920, 1920, quadrants},
          {14, 18, 1920, 1920, randomBytes(8)}},
         -36.0f, 16.0f, 12.0f, true},
        {"sparse coverage over four tiles, several dots to a pixel",
         {{13, 17, 1920, 1920, sparse}, {13, 18, 1920, 1920, sparse}, {14, 17, 1920, 1920, sparse},
          {14, 18, 1920, 1920, sparse}},
         -36.0f, 16.0f, 60.0f, true},
        {"dense coverage over four tiles, several dots to a pixel",
         {{13, 17, 1920, 1920, dense}, {13, 18, 1920, 1920, dense}, {14, 17, 1920, 1920, dense},
          {14, 18, 1920, 1920, dense}},
         -36.0f, 16.0f, 60.0f, true},
        {"dense coverage zoomed out, a hundred dots to a pixel",
         {{13, 17, 1920, 1920, dense}, {14, 18, 1920, 1920, randomBytes(11)}}, -36.0f, 16.0f, 5.0f, true},
        {"dense coverage zoomed in, pixels between the dots", {{14, 18, 1920, 1920, dense}}, -32.4f, 20.3f, 700.0f,
         true},
        {"a tile without dots (red stays current)", {{14, 18, 1920, 1920, [](int, int) { return std::uint8_t{0}; }}},
         -32.0f, 20.0f, 60.0f, false},
        {"no resident tile (white stays current)", {}, -32.0f, 20.0f, 60.0f, false},
    };
    for (const Case& c : cases) {
        planner->tiles.releaseAllTiles();
        for (const TileSetup& t : c.tiles) place(t.latIdx, t.lonIdx, t.width, t.height, t.pattern);
        view(c.lon, c.lat, c.zoom);
        const Frame kept = expectSameAsWalk(c.what);
        bool anyDots = false;
        for (std::size_t i = 0; i < kept.pixels.size(); i += 4)
            anyDots |= (kept.pixels[i] | kept.pixels[i + 1] | kept.pixels[i + 2]) != 0;
        EXPECT_EQ(anyDots, c.anyDots) << c.what;
    }
}

// Every change of a cell's coverage or of its tile shows in the next frame,
// and a frame without changes remakes nothing. Each step draws once before
// its change, so the dots a stale cache would keep are made.
TEST_F(CoverageDotCacheTest, KeptDotsFollowCoverageChanges) {
    float elevation = 0.0f;
    TileRecord& rec = planner->tiles.record(14, 18);
    view(-32.0f, 20.0f, 60.0f);
    std::uint8_t* keptRow = nullptr;
    struct Step {
        const char* what;
        std::function<void()> prepare;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"the tile read from its file", [] {},
         [&] { ASSERT_TRUE(planner->getDepth(-32.0, 20.0, elevation)); }},
        {"marks made by the swath marking", [] {},
         [&] {
             for (double lon = -35.0; lon < -29.0; lon += 0.002) rec.tile->markCoarse(lon, 21.0 + 0.3 * (lon + 35.0));
         }},
        {"a row pointer kept, written after a frame, then announced", [&] { keptRow = rec.tile->coverageRow(1501); },
         [&] {
             std::fill_n(keptRow, 1920, std::uint8_t{0x21});
             rec.tile->coverageChanged();
         }},
        {"a coverage texture rebuilt after writes through a kept row", [] {},
         [&] {
             std::fill_n(keptRow, 1920, std::uint8_t{0x40});
             planner->tiles.buildCoverageTexture(14, 18);
         }},
        {"plan marks cleared, reference kept", [] {},
         [&] {
             for (int r = 0; r < rec.tile->height; ++r)
                 for (int c = 0; c < rec.tile->width; ++c) rec.tile->coverageRow(r)[c] &= 0x40;
         }},
        {"the same cell released and read again from its file",
         [&] {
             for (int r = 0; r < 1920; ++r) std::fill_n(rec.tile->coverageRow(r), 1920, std::uint8_t{0x21});
         },
         [&] {
             planner->tiles.releaseAllTiles();
             ASSERT_TRUE(planner->getDepth(-32.0, 20.0, elevation));
         }},
        {"another tile object of the same shape in the cell", [] {},
         [&] {
             rec.tile.reset();
             place(14, 18, 1920, 1920, [](int, int) { return std::uint8_t{0}; });
             std::fill_n(rec.tile->coverageRow(701), 1920, std::uint8_t{0x40});
         }},
        {"the cell no longer resident", [&] { place(14, 18, 1920, 1920, quadrants); },
         [&] { rec.loaded = false; }},
    };
    for (const Step& s : steps) {
        s.prepare();
        const Frame stale = drawn(kTextures);
        s.change();
        const Frame kept = expectSameAsWalk(s.what);
        EXPECT_TRUE(kept.pixels != stale.pixels) << s.what << ": the step changes nothing on screen";
        const long builds = renderer->coverageTextures().builds();
        const long pointBuilds = renderer->coverageDots().builds();
        drawn(kTextures);
        drawn(kPoints);
        EXPECT_EQ(renderer->coverageTextures().builds(), builds) << s.what << ": a frame without changes remade textures";
        EXPECT_EQ(renderer->coverageDots().builds(), pointBuilds) << s.what << ": a frame without changes remade dots";
    }
}

}  // namespace
}  // namespace tessarin
