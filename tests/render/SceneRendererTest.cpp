// Scene drawing into an off-screen GL context, checked by reading pixels
// back: tile pictures and their 360-degree repeat, coverage dot colours,
// swaths and legs, polygon edges, markers, the transit overlay and the texts.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/BitmapText.hpp"
#include "render/GlTextureSink.hpp"
#include "render/MapView.hpp"
#include "render/SceneRenderer.hpp"
#include "support/OffscreenGl.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"
#include "transit/TransitPlanner.hpp"

namespace tessarin {
namespace {

constexpr int kWidth = 760;   // 0.4 of the reference frame
constexpr int kHeight = 380;

struct Rgb {
    int r, g, b;
};

::testing::AssertionResult near(const Rgb& got, const Rgb& want, int tol = 3) {
    if (std::abs(got.r - want.r) <= tol && std::abs(got.g - want.g) <= tol && std::abs(got.b - want.b) <= tol) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "got (" << got.r << ", " << got.g << ", " << got.b << "), want ("
                                         << want.r << ", " << want.g << ", " << want.b << ")";
}

class RecordingPainter : public TextPainter {
public:
    struct Call {
        float x, y;
        std::string text;
    };
    void drawText(float x, float y, const std::string& text) override { calls.push_back({x, y, text}); }
    std::vector<Call> calls;
};

class SceneRendererTest : public ::testing::Test {
protected:
    SceneRendererTest() : gl(kWidth, kHeight) {
        if (!gl.ok()) return;
        planner = std::make_unique<PlannerState>(out, sink, world->path());
        applyWindowSize(app, kWidth, kHeight);
        glViewport(0, 0, kWidth, kHeight);
        cycle = std::make_unique<FrameCycle>(app, *planner, painter);
    }

    // Two flat-floor tiles, written once: one in the Atlantic and one at the
    // western end of the grid (for the repeat across the 180-degree meridian).
    static void SetUpTestSuite() {
        world = new test::TempDir;
        test::writeFlatDataTile(world->path(), -36, 16, -3000.0);
        test::writePictureTile(world->path(), -36, 16, 1920, 10, 60, 140);
        test::writeFlatDataTile(world->path(), -180, 0, -3000.0);
        test::writePictureTile(world->path(), -180, 0, 1920, 200, 40, 40);
    }
    static void TearDownTestSuite() {
        delete world;
        world = nullptr;
    }

    void SetUp() override {
        if (!gl.ok()) GTEST_SKIP() << gl.error();
    }

    void view(float lon, float lat, float zoom) {
        app.viewCentreLon = lon;
        app.viewCentreY = static_cast<float>(mapY(lat));
        app.zoom = zoom;
    }
    void load(double lon, double lat) {
        float elevation = 0.0f;
        ASSERT_TRUE(planner->getDepth(lon, lat, elevation));
        planner->tiles.uploadAllPictures();  // as the frame loop does
    }
    void readBack() {
        pixels.assign(static_cast<std::size_t>(kWidth) * kHeight * 4, 0);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    // Colour at a map-plane point (x = longitude, y = mapY).
    Rgb atMap(double x, double y) const {
        double rx, ry, wx, wy;
        mapToReference(app, x, y, rx, ry);
        referenceToWindow(app, rx, ry, wx, wy);
        const int col = static_cast<int>(std::floor(wx));
        const int row = kHeight - 1 - static_cast<int>(std::floor(wy));
        EXPECT_TRUE(col >= 0 && col < kWidth && row >= 0 && row < kHeight) << "outside the window";
        if (!(col >= 0 && col < kWidth && row >= 0 && row < kHeight)) return {-1, -1, -1};
        const unsigned char* p = &pixels[(static_cast<std::size_t>(row) * kWidth + col) * 4];
        return {p[0], p[1], p[2]};
    }
    Rgb at(double lon, double lat) const { return atMap(lon, mapY(lat)); }
    // Runs draw inside the map transform on a black window and reads back.
    template <typename Draw>
    void drawAlone(Draw draw) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        applyMapTransform(app);
        draw(cycle->scene());
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        readBack();
    }

    static test::TempDir* world;
    test::OffscreenGl gl;
    std::ostringstream out;
    GlTextureSink sink;
    std::unique_ptr<PlannerState> planner;
    AppState app;
    RecordingPainter painter;
    std::unique_ptr<FrameCycle> cycle;
    std::vector<unsigned char> pixels;
};

test::TempDir* SceneRendererTest::world = nullptr;

const Rgb kAtlantic{10, 60, 140};
const Rgb kDateLineTile{200, 40, 40};

TEST_F(SceneRendererTest, ResidentTilePictureIsDrawnWhereItLies) {
    load(-32.0, 20.0);
    view(-32.0f, 20.0f, 60.0f);
    cycle->drawScene();
    readBack();
    EXPECT_TRUE(near(at(-32.0, 20.0), kAtlantic));
    EXPECT_TRUE(near(at(-35.5, 16.5), kAtlantic));
    EXPECT_TRUE(near(at(-28.5, 23.5), kAtlantic));
    EXPECT_FALSE(near(at(-27.5, 20.0), kAtlantic, 20));  // east of the tile
    EXPECT_FALSE(near(at(-32.0, 24.5), kAtlantic, 20));  // north of the tile
}

TEST_F(SceneRendererTest, TilesRepeatAcrossTheDateLineOnTheSideInView) {
    load(-176.0, 4.0);
    // Looking east of 180: the westernmost tile continues the map there.
    view(184.0f, 4.0f, 60.0f);
    cycle->drawScene();
    readBack();
    EXPECT_TRUE(near(at(184.0, 4.0), kDateLineTile));
    EXPECT_FALSE(near(at(178.0, 4.0), kDateLineTile, 20));
    // Looking west of it the tile is in its own place.
    view(-176.0f, 4.0f, 60.0f);
    cycle->drawScene();
    readBack();
    EXPECT_TRUE(near(at(-176.0, 4.0), kDateLineTile));
    // At a view centre of 100 the tile is not repeated east of 180.
    view(100.0f, 4.0f, 60.0f);
    drawAlone([&](SceneRenderer& s) { s.drawTilePictures(app.viewCentreY, app.viewCentreLon, false); });
    app.viewCentreLon = 184.0f;
    EXPECT_TRUE(near(at(184.0, 4.0), Rgb{0, 0, 0}));
}

TEST_F(SceneRendererTest, CoverageDotsTakeTheirColourFromTheFirstMatchingBit) {
    load(-32.0, 20.0);
    DepthTile& tile = *planner->tiles.record(14, 18).tile;
    ASSERT_EQ(tile.width, 1920);
    // North half: reference+plan+pass (west), overlap+plan+pass (east);
    // south half: plan+pass (west), nothing (east).
    for (int row = 0; row < DepthTile::kRows; ++row) {
        std::uint8_t* bytes = tile.coverageRow(row);
        for (int c = 0; c < tile.width; ++c) {
            const bool west = c < tile.width / 2;
            if (row < DepthTile::kRows / 2) {
                bytes[c] = west ? 0x61 : 0x31;
            } else {
                bytes[c] = west ? 0x21 : 0x00;
            }
        }
    }
    view(-32.0f, 20.0f, 60.0f);
    drawAlone([&](SceneRenderer& s) { s.drawCoverageDots(app.viewCentreY, app.viewCentreLon); });
    EXPECT_TRUE(near(at(-34.0, 22.0), Rgb{255, 255, 0}));
    EXPECT_TRUE(near(at(-30.0, 22.0), Rgb{0, 178, 178}));
    EXPECT_TRUE(near(at(-34.0, 18.0), Rgb{0, 255, 255}));
    EXPECT_TRUE(near(at(-30.0, 18.0), Rgb{0, 0, 0}));

    // Bytes without a colour bit keep the colour in force: red, the first.
    for (int row = 0; row < DepthTile::kRows; ++row) {
        std::uint8_t* bytes = tile.coverageRow(row);
        for (int c = 0; c < tile.width; ++c) bytes[c] = 0x01;
    }
    drawAlone([&](SceneRenderer& s) { s.drawCoverageDots(app.viewCentreY, app.viewCentreLon); });
    EXPECT_TRUE(near(at(-34.0, 22.0), Rgb{255, 0, 0}));
    EXPECT_TRUE(near(at(-30.0, 18.0), Rgb{255, 0, 0}));
}

// Overview blocks whose picture did not load are not drawn: the map behind
// them stays as it was instead of turning grey.
TEST_F(SceneRendererTest, OnlyLoadedOverviewPicturesAreDrawn) {
    test::TempDir own;
    // The northern block from -36 to 36 degrees; the other nine are missing.
    test::writePng(own.file("GlobeTiles/BI72_-36_0_1920.png"), 1920, 1920, [](int, int, std::uint8_t* rgba) {
        rgba[0] = 40;
        rgba[1] = 200;
        rgba[2] = 40;
        rgba[3] = 255;
    });
    PlannerState other(out, sink, own.path());
    other.tiles.loadOverviewTiles();
    ASSERT_TRUE(other.tiles.overviewLoaded(3));
    ASSERT_FALSE(other.tiles.overviewLoaded(2));
    SceneRenderer renderer(sceneSourcesOf(other), painter);
    view(0.0f, 0.0f, 10.0f);
    drawAlone([&](SceneRenderer&) { renderer.drawOverviewPictures(); });
    EXPECT_TRUE(near(at(0.0, 20.0), Rgb{40, 200, 40}));
    for (const double lon : {-60.0, 60.0}) EXPECT_TRUE(near(at(lon, 20.0), Rgb{0, 0, 0})) << lon;
    for (const double lon : {-60.0, 0.0, 60.0}) EXPECT_TRUE(near(at(lon, -20.0), Rgb{0, 0, 0})) << lon;
}

// A resident cell without a picture file is not drawn, neither blank nor
// with the picture its ring slot held for an earlier tile.
TEST_F(SceneRendererTest, CellWithoutPictureLeavesTheBackgroundShowing) {
    test::TempDir own;
    test::writeFlatDataTile(own.path(), -36, 16, -3000.0);
    test::writePictureTile(own.path(), -36, 16, 1920, 10, 60, 140);
    test::writeFlatDataTile(own.path(), -28, 16, -3000.0);  // no picture
    PlannerState other(out, sink, own.path());
    SceneRenderer renderer(sceneSourcesOf(other), painter);
    float elevation = 0.0f;
    const auto drawn = [&](double lon) {
        other.tiles.uploadAllPictures();
        view(-28.0f, 20.0f, 40.0f);
        drawAlone([&](SceneRenderer&) { renderer.drawTilePictures(app.viewCentreY, app.viewCentreLon, false); });
        return at(lon, 20.0);
    };

    // Alone in a fresh slot.
    ASSERT_TRUE(other.getDepth(-24.0, 20.0, elevation));
    EXPECT_TRUE(near(drawn(-24.0), Rgb{0, 0, 0}));

    // In the slot that held the picture of the other tile.
    other.tiles.releaseAllTiles();
    ASSERT_TRUE(other.getDepth(-32.0, 20.0, elevation));
    EXPECT_TRUE(near(drawn(-32.0), kAtlantic));
    other.tiles.releaseAllTiles();
    ASSERT_TRUE(other.getDepth(-24.0, 20.0, elevation));
    ASSERT_EQ(other.tiles.record(14, 19).slot, 0);
    EXPECT_TRUE(near(drawn(-24.0), Rgb{0, 0, 0}));

    // Next to a tile with a picture, in the next slot.
    ASSERT_TRUE(other.getDepth(-32.0, 20.0, elevation));
    EXPECT_TRUE(near(drawn(-32.0), kAtlantic));
    EXPECT_TRUE(near(drawn(-24.0), Rgb{0, 0, 0}));
}

TEST_F(SceneRendererTest, SwathIsHalfWhiteOverTheTileAndTheLegIsDrawnOnTrack) {
    const double y = mapY(20.0);
    for (double lon : {-32.5, -31.5}) {
        double x = lon, yy = y, lat = 20.0;
        ASSERT_TRUE(planner->editAction(1, x, yy, lat, 800.0f));
    }
    const Waypoint* first = planner->plan->first();
    ASSERT_NE(first, nullptr);
    ASSERT_GT(first->sampleCount, 0);
    const double halfWidth = std::fabs(first->leftY[first->sampleCount / 2] - y);
    ASSERT_GT(halfWidth, 0.02);  // 3000 m of water gives a swath of a few km
    view(-32.0f, 20.0f, 800.0f);
    planner->tiles.uploadAllPictures();
    cycle->drawScene();
    readBack();
    // Half-way between the track and the edge: white at 50 percent over the
    // picture. Beyond the edge: the picture alone.
    const Rgb swath{(255 + 10) / 2, (255 + 60) / 2, (255 + 140) / 2};
    EXPECT_TRUE(near(atMap(-32.2, y + halfWidth * 0.5), swath, 4));
    EXPECT_TRUE(near(atMap(-32.2, y - halfWidth * 0.5), swath, 4));
    EXPECT_TRUE(near(atMap(-32.2, y + halfWidth * 2.0), kAtlantic));
    // The leg from the first (not highlighted) waypoint.
    EXPECT_TRUE(near(atMap(-32.2, y), Rgb{77, 204, 204}, 4));
}

TEST_F(SceneRendererTest, PolygonEdgesFollowTheHighlightRules) {
    SurveyPolygon& poly = *planner->polygon;
    // A triangle, first vertex west.
    const double ys = mapY(19.0), yn = mapY(21.0);
    poly.addVertex(-34.0, ys, 19.0);
    poly.addVertex(-30.0, ys, 19.0);
    poly.addVertex(-32.0, yn, 21.0);
    for (PolygonVertex* v = poly.first();;) {
        v->marker.unhighlight();
        v = v->next;
        if (v == poly.first()) break;
    }
    view(-32.0f, 20.0f, 60.0f);
    drawAlone([&](SceneRenderer& s) { s.drawPolygon(app.zoom, true); });
    const auto mid = [](double a, double b) { return (a + b) / 2.0; };
    EXPECT_TRUE(near(atMap(mid(-34.0, -30.0), ys), Rgb{77, 255, 77}, 4));                // first edge
    EXPECT_TRUE(near(atMap(mid(-30.0, -32.0), mid(ys, yn)), Rgb{77, 102, 230}, 4));     // later edges
    EXPECT_TRUE(near(atMap(mid(-32.0, -34.0), mid(yn, ys)), Rgb{51, 51, 255}, 4));      // closing edge

    // A highlighted vertex colours the edge that starts at it.
    ASSERT_TRUE(poly.pickVertex(-30.0f, static_cast<float>(ys), app.zoom));
    drawAlone([&](SceneRenderer& s) { s.drawPolygon(app.zoom, true); });
    EXPECT_TRUE(near(atMap(mid(-30.0, -32.0), mid(ys, yn)), Rgb{178, 127, 25}, 4));
    EXPECT_TRUE(near(atMap(mid(-34.0, -30.0), ys), Rgb{77, 255, 77}, 4));

    // Without markers nothing of the polygon is drawn.
    drawAlone([&](SceneRenderer& s) { s.drawPolygon(app.zoom, false); });
    EXPECT_TRUE(near(atMap(mid(-34.0, -30.0), ys), Rgb{0, 0, 0}));
}

TEST_F(SceneRendererTest, SingleVertexPolygonDrawsNothing) {
    planner->polygon->addVertex(-32.0, mapY(20.0), 20.0);
    view(-32.0f, 20.0f, 60.0f);
    drawAlone([&](SceneRenderer& s) { s.drawPolygon(app.zoom, true); });
    EXPECT_TRUE(near(at(-32.0, 20.0), Rgb{0, 0, 0}));
}

TEST_F(SceneRendererTest, PickMarkerIsAPlusWithAnOpenCentre) {
    view(-32.0f, 20.0f, 60.0f);
    // Half a pixel off the window centre, so the one-pixel arms do not lie
    // on a pixel border.
    const float halfPixel = 0.5f / (0.4f * app.zoom);
    planner->pickLon = -32.0f + halfPixel;
    planner->pickY = app.viewCentreY + halfPixel;
    drawAlone([&](SceneRenderer& s) { s.drawPickMarker(app.zoom / 40.0f); });
    // Arms run from 0.5 / scale to 1.5 / scale map units: 20 to 60 reference
    // units whatever the zoom.
    const double unit = 1.0 / app.zoom;  // one reference unit in map units
    const double x = planner->pickLon, y = planner->pickY;
    EXPECT_TRUE(near(atMap(x, y), Rgb{0, 0, 0}));
    EXPECT_TRUE(near(atMap(x + 10 * unit, y), Rgb{0, 0, 0}));
    for (double d : {25.0, 40.0, 55.0}) {
        EXPECT_TRUE(near(atMap(x + d * unit, y), Rgb{255, 255, 255})) << d;
        EXPECT_TRUE(near(atMap(x - d * unit, y), Rgb{255, 255, 255})) << d;
        EXPECT_TRUE(near(atMap(x, y + d * unit), Rgb{255, 255, 255})) << d;
        EXPECT_TRUE(near(atMap(x, y - d * unit), Rgb{255, 255, 255})) << d;
    }
    EXPECT_TRUE(near(atMap(x + 70 * unit, y), Rgb{0, 0, 0}));
    EXPECT_TRUE(near(atMap(x + 40 * unit, y + 40 * unit), Rgb{0, 0, 0}));
}

TEST_F(SceneRendererTest, TransitEndMarkersShowWithoutAGreatCircle) {
    view(-32.0f, 20.0f, 60.0f);
    planner->transit->startSet = true;
    planner->transit->transitStartLon = -32.0f;
    planner->transit->transitStartY = static_cast<float>(mapY(20.0));
    drawAlone([&](SceneRenderer& s) { s.drawTransitOverlay(app.zoom / 40.0f); });
    const double unit = 1.0 / app.zoom;
    const double x = planner->transit->transitStartLon, y = planner->transit->transitStartY;
    // Diagonal arms from 8 to 20 reference units along each axis.
    EXPECT_TRUE(near(atMap(x + 14 * unit, y + 14 * unit), Rgb{255, 255, 255}));
    EXPECT_TRUE(near(atMap(x - 14 * unit, y + 14 * unit), Rgb{255, 255, 255}));
    EXPECT_TRUE(near(atMap(x, y), Rgb{0, 0, 0}));
    EXPECT_TRUE(near(atMap(x + 14 * unit, y), Rgb{0, 0, 0}));
    EXPECT_TRUE(painter.calls.empty());
}

TEST_F(SceneRendererTest, GreatCircleLineAndDistanceText) {
    view(-32.0f, 20.0f, 60.0f);
    const float y0 = static_cast<float>(mapY(20.0));
    for (int i = 0; i < TransitPlanner::kArcPoints; ++i) {
        planner->transit->arcLon[i] = -35.0f + 0.5f * static_cast<float>(i);
        planner->transit->arcY[i] = y0;
    }
    planner->transit->greatCircleKm = 1852.0f;
    planner->transit->greatCircleReady = true;
    drawAlone([&](SceneRenderer& s) {
        glEnable(GL_BLEND);  // as the frame leaves it after an empty polygon
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        s.drawTransitOverlay(app.zoom / 40.0f);
    });
    EXPECT_TRUE(near(atMap(-33.25, y0), Rgb{217, 217, 217}, 4));  // white at 85 percent
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_EQ(painter.calls[0].text, "DISTANCE 1852.000 km     1000.000 nm");
    EXPECT_FLOAT_EQ(painter.calls[0].x, planner->transit->arcLon[7] + 0.25f);
    EXPECT_FLOAT_EQ(painter.calls[0].y, y0 + 0.25f);
}

TEST_F(SceneRendererTest, CursorReadoutSitsBesideThePickMarker) {
    planner->pickLon = 190.0f;
    planner->pickY = 3.0f;
    drawAlone([&](SceneRenderer& s) { s.drawCursorReadout(12.3456f, -190.0f, -3000.0f); });
    ASSERT_EQ(painter.calls.size(), 1u);
    EXPECT_FLOAT_EQ(painter.calls[0].x, 190.5f);
    EXPECT_FLOAT_EQ(painter.calls[0].y, 3.5f);
    EXPECT_EQ(painter.calls[0].text, "LAT  12.346  LON 170.000  DEP -3000.");
}

TEST_F(SceneRendererTest, DrawSceneLeavesTheStateForTheGuiAndTheNextFrame) {
    view(-32.0f, 20.0f, 5.0f);
    GLint depthBefore = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    cycle->drawScene();
    GLint depthAfter = 0, env = 0, mode = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &env);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(depthAfter, depthBefore);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_EQ(env, GL_MODULATE);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---- Texts -------------------------------------------------------------------

TEST(BitmapText, TextsAreCutToThirtySixCharacters) {
    EXPECT_EQ(clipBitmapText("short"), "short");
    EXPECT_EQ(clipBitmapText(std::string(50, 'a').c_str()), std::string(36, 'a'));
    const char withZero[] = "abc\0def";
    EXPECT_EQ(clipBitmapText(withZero), "abc");
    EXPECT_EQ(clipBitmapText(nullptr), "");
}

TEST(BitmapText, ReadoutAndDistanceTexts) {
    // No data: 5.0 m; the 39 formatted characters are cut to 36.
    EXPECT_EQ(SceneRenderer::cursorReadoutText(0.0f, 0.0f, 5.0f), "LAT   0.000  LON   0.000  DEP   5.0 ");
    EXPECT_EQ(SceneRenderer::cursorReadoutText(-45.5f, 179.25f, -12.34f), "LAT -45.500  LON 179.250  DEP -12.3 ");
    // The cut at 36 characters stays where it falls at or after the depth's
    // decimal point; a longitude of -100 or below would put it inside the
    // whole metres, and the text then ends right after them.
    const struct {
        float lon, elevation;
        const char* text;
    } cases[] = {
        {170.0f, -4000.0f, "LAT  12.346  LON 170.000  DEP -4000."},
        {170.0f, -10800.0f, "LAT  12.346  LON 170.000  DEP -10800"},
        {-175.0f, -4000.0f, "LAT  12.346  LON -175.000  DEP -4000"},
        {-175.0f, -10800.0f, "LAT  12.346  LON -175.000  DEP -10800"},
        {-100.0f, -12.34f, "LAT  12.346  LON -100.000  DEP -12.3"},
        {-175.0f, 5.0f, "LAT  12.346  LON -175.000  DEP   5.0"},
        {-185.0f, -10800.0f, "LAT  12.346  LON 175.000  DEP -10800"},  // wrapped first
    };
    for (const auto& c : cases) EXPECT_EQ(SceneRenderer::cursorReadoutText(12.3456f, c.lon, c.elevation), c.text);
    EXPECT_EQ(SceneRenderer::distanceText(100.0f), "DISTANCE 100.000 km      53.996 nm ");
}

}  // namespace
}  // namespace tessarin
