// Time of one whole frame (GUI frame, map pass, GUI render, buffer swap) in a
// 1900 x 950 GLUT window with 24 resident tiles and a 50-leg plan, against an
// empty frame (clear and swap) in the same window and run. Each iteration is
// one frame finished with glFinish; the medians and their ratios are printed
// at the end. The coverage view, which draws each tile's dots from textures,
// is also set against the same view drawing the dots as points from kept
// arrays (the path the textures replaced, still there for contexts without
// GLSL) and against the plan view; its dots alone against the points and
// against the dots drawn by walking the coverage bytes; first with the
// scene's own coverage, then with dense coverage (a third of the bytes
// reference, swath passes and overlaps across every tile). A still coverage
// view lays the dots kept from the frame before; the "moving" rows move the
// view a pixel every frame, so that every frame draws the dots.
//
// Needs an X display: xvfb-run -a -s "-screen 0 1920x1080x24" bench_FrameBench

#include <benchmark/benchmark.h>

#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/BitmapText.hpp"
#include "render/GlTextureSink.hpp"
#include "render/MapView.hpp"
#include "render/SceneRenderer.hpp"
#include "support/CoverageDotWalk.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace {

using namespace tessarin;

constexpr int kFrames = 200;

struct Scene {
    test::TempDir dir;
    std::ostringstream out;
    GlTextureSink sink;
    std::unique_ptr<PlannerState> planner;
    AppState app;
    GlutTextPainter text;
    std::unique_ptr<FrameCycle> cycle;
};

Scene* scene = nullptr;
std::map<std::string, std::vector<double>> frameMs;

void onReshape(int w, int h) { scene->cycle->reshape(w, h); }
void onDisplay() {}

// 24 cells, 6 wide and 4 high, west edges -60..-20 and south edges 0..24,
// each with a flat 3000 m data tile and a picture; then a 50-leg zigzag plan
// across them.
void buildScene() {
    scene = new Scene;
    for (int lon0 = -60; lon0 <= -20; lon0 += 8) {
        for (int lat0 = 0; lat0 <= 24; lat0 += 8) {
            test::writeFlatDataTile(scene->dir.path(), lon0, lat0, -3000.0);
            test::writePictureTile(scene->dir.path(), lon0, lat0, 1920, 20, 70, static_cast<std::uint8_t>(100 + lat0));
        }
    }
    scene->planner = std::make_unique<PlannerState>(scene->out, scene->sink, scene->dir.path());
    PlannerState& p = *scene->planner;
    for (int lon0 = -60; lon0 <= -20; lon0 += 8) {
        for (int lat0 = 0; lat0 <= 24; lat0 += 8) {
            float e = 0.0f;
            p.getDepth(lon0 + 4.0, lat0 + 4.0, e);
        }
    }
    for (int i = 0; i <= 50; ++i) {
        double lon = -50.0 + 0.4 * i;
        double lat = (i % 2 == 0) ? 10.0 : 20.0;
        double y = mapY(lat);
        p.editAction(AddWaypoint, lon, y, lat, 5.0f);
    }
    p.pickLon = -40.0f;
    p.pickY = static_cast<float>(mapY(15.0));
    std::printf("resident tiles: %d, waypoints: %d\n", p.tiles.residentCount(), p.plan->waypointCount());
}

void recordFrames(benchmark::State& state, const char* name, void (*draw)()) {
    std::vector<double>& times = frameMs[name];
    times.clear();
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        draw();
        glFinish();
        const auto t1 = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(t1 - t0).count();
        times.push_back(s * 1000.0);
        state.SetIterationTime(s);
        glutMainLoopEvent();
    }
}

void emptyFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
}

void setView(float lon, float lat, float zoom, bool coverage) {
    AppState& a = scene->app;
    a.viewCentreLon = lon;
    a.viewCentreY = static_cast<float>(mapY(lat));
    a.zoom = zoom;
    a.showCoverage = coverage;
}

void BM_EmptyFrame(benchmark::State& state) { recordFrames(state, "empty frame", emptyFrame); }

void BM_FrameWholeWorld(benchmark::State& state) {
    setView(-30.0f, 18.75f, 5.0f, false);
    recordFrames(state, "frame, default view", [] { scene->cycle->frame(); });
}

void BM_FramePlanView(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, false);
    recordFrames(state, "frame, plan view", [] { scene->cycle->frame(); });
}

void BM_FrameCoverageView(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    recordFrames(state, "frame, coverage view", [] { scene->cycle->frame(); });
}

void pointFrame() {
    scene->cycle->scene().setDotPath(SceneRenderer::DotPath::kPoints);
    scene->cycle->frame();
    scene->cycle->scene().setDotPath(SceneRenderer::DotPath::kChosen);
}

void BM_FrameCoverageViewPoints(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    recordFrames(state, "coverage view, points", pointFrame);
}

// Where a plan-view frame's time goes: each drawing routine alone in the map
// transform of the plan view, after a clear, without a swap.
void (*currentPart)(SceneRenderer&) = nullptr;

void partFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    applyMapTransform(scene->app);
    currentPart(scene->cycle->scene());
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}

void BM_PartClearOnly(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, false);
    currentPart = [](SceneRenderer&) {};
    recordFrames(state, "part: clear only", partFrame);
}
void BM_PartGraticule(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, false);
    currentPart = [](SceneRenderer& s) { s.drawGraticule(); };
    recordFrames(state, "part: graticule", partFrame);
}
void BM_PartOverview(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, false);
    currentPart = [](SceneRenderer& s) { s.drawOverviewPictures(); };
    recordFrames(state, "part: overview pictures", partFrame);
}
void BM_PartTiles(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, false);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     s.drawTilePictures(scene->app.viewCentreY, scene->app.viewCentreLon, false);
                 };
    recordFrames(state, "part: tile pictures", partFrame);
}
void BM_PartPlan(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, false);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     s.drawPlanAndPolygon(scene->app.zoom, true);
                 };
    recordFrames(state, "part: plan and polygon", partFrame);
}
void BM_PartCoverageDots(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     s.drawCoverageDots(scene->app.viewCentreY, scene->app.viewCentreLon);
                 };
    recordFrames(state, "part: coverage dots", partFrame);
}

void BM_PartCoverageDotsAsPoints(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     s.drawCoverageDotsAsPoints(scene->app.viewCentreY, scene->app.viewCentreLon);
                 };
    recordFrames(state, "part: dots as points", partFrame);
}

void BM_PartCoverageDotsByWalk(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     test::drawCoverageDotsByWalk(*scene->planner, s, scene->app.viewCentreLon);
                 };
    recordFrames(state, "part: dots by walk", partFrame);
}

// Reference pixels in blocks, swath passes in stripes, overlaps where the
// stripes cross: about two bytes in three carry a dot.
void makeCoverageDense() {
    TileStore& tiles = scene->planner->tiles;
    for (int la = 0; la < TileStore::kLatCells; ++la) {
        for (int lo = 0; lo < TileStore::kLonCells; ++lo) {
            TileRecord& rec = tiles.record(la, lo);
            if (!rec.loaded || !rec.tile) continue;
            DepthTile& t = *rec.tile;
            for (int r = 0; r < t.height; ++r) {
                std::uint8_t* b = t.coverageRow(r);
                for (int c = 0; c < t.width; ++c) {
                    const bool reference = (r / 64 + c / 64) % 3 == 0;
                    const bool pass = (r + c) % 300 < 150;
                    const bool cross = (r - c + 3000) % 400 < 100;
                    b[c] = static_cast<std::uint8_t>((reference ? 0x40 : 0) | (pass || cross ? 0x21 : 0) |
                                                     (pass && cross ? 0x10 : 0));
                }
            }
            tiles.buildCoverageTexture(la, lo);
        }
    }
    // The first frames remake the textures and points of every tile; keep
    // them out.
    setView(-40.0f, 15.0f, 60.0f, true);
    scene->cycle->frame();
    pointFrame();
    glFinish();
}

void BM_DenseFrameCoverageView(benchmark::State& state) {
    static bool made = false;
    if (!made) makeCoverageDense();
    made = true;
    setView(-40.0f, 15.0f, 60.0f, true);
    recordFrames(state, "dense: coverage view", [] { scene->cycle->frame(); });
}
// The view moved by a pixel every frame, as while dragging the map: the
// kept picture of the dots never serves and every frame draws them.
void movingFrame() {
    static int n = 0;
    scene->app.viewCentreLon = -40.0f + static_cast<float>(++n % 2) / scene->app.zoom;
    scene->cycle->frame();
}
void BM_DenseFrameCoverageViewMoving(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    recordFrames(state, "dense: view, moving", movingFrame);
}
void movingPointFrame() {
    scene->cycle->scene().setDotPath(SceneRenderer::DotPath::kPoints);
    movingFrame();
    scene->cycle->scene().setDotPath(SceneRenderer::DotPath::kChosen);
}
void BM_DenseFrameCoverageViewMovingPoints(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    recordFrames(state, "dense: moving, points", movingPointFrame);
}
// All 24 tiles in a third of the window, a hundred dot places to a pixel.
void BM_DenseFrameZoomedOutMoving(benchmark::State& state) {
    setView(-40.0f, 15.0f, 5.0f, true);
    recordFrames(state, "dense: zoom 5, moving", movingFrame);
}
void BM_DenseFrameZoomedOutMovingPoints(benchmark::State& state) {
    setView(-40.0f, 15.0f, 5.0f, true);
    recordFrames(state, "dense: zoom 5, points", movingPointFrame);
}
void BM_DenseFrameCoverageViewPoints(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    recordFrames(state, "dense: view, points", pointFrame);
}
void BM_DensePartCoverageDotsAsPoints(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     s.drawCoverageDotsAsPoints(scene->app.viewCentreY, scene->app.viewCentreLon);
                 };
    recordFrames(state, "dense: dots as points", partFrame);
}
void BM_DensePartCoverageDots(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     s.drawCoverageDots(scene->app.viewCentreY, scene->app.viewCentreLon);
                 };
    recordFrames(state, "dense: coverage dots", partFrame);
}
void BM_DensePartCoverageDotsByWalk(benchmark::State& state) {
    setView(-40.0f, 15.0f, 60.0f, true);
    currentPart = [](SceneRenderer& s) {
                     glDisable(GL_DEPTH_TEST);
                     test::drawCoverageDotsByWalk(*scene->planner, s, scene->app.viewCentreLon);
                 };
    recordFrames(state, "dense: dots by walk", partFrame);
}

// The same tile pictures with mipmaps (the picture textures are uploaded
// without them): how much of the tile cost is sampling 2048-texel textures
// shrunk four to eight times. Runs last, as it changes the textures.
void BM_PartTilesMipmapped(benchmark::State& state) {
    TileStore& tiles = scene->planner->tiles;
    for (int slot = 0; slot < TileStore::kRingSize; ++slot) {
        glBindTexture(GL_TEXTURE_2D, tiles.pictureTexture(slot));
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    }
    setView(-40.0f, 15.0f, 60.0f, false);
    currentPart = [](SceneRenderer& s) {
        glDisable(GL_DEPTH_TEST);
        s.drawTilePictures(scene->app.viewCentreY, scene->app.viewCentreLon, false);
    };
    recordFrames(state, "part: tiles, mipmapped", partFrame);
}

BENCHMARK(BM_EmptyFrame)->Iterations(kFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameWholeWorld)->Iterations(kFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePlanView)->Iterations(kFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCoverageView)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCoverageViewPoints)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartClearOnly)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartGraticule)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartOverview)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartTiles)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartPlan)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartCoverageDots)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartCoverageDotsAsPoints)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartCoverageDotsByWalk)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFrameCoverageView)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFrameCoverageViewPoints)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFrameCoverageViewMoving)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFrameCoverageViewMovingPoints)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFrameZoomedOutMoving)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DenseFrameZoomedOutMovingPoints)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensePartCoverageDotsAsPoints)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensePartCoverageDots)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensePartCoverageDotsByWalk)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PartTilesMipmapped)->Iterations(50)->UseManualTime()->Unit(benchmark::kMillisecond);

double median(std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "bench_FrameBench needs an X display, e.g. xvfb-run -a -s \"-screen 0 1920x1080x24\"\n");
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(1900, 950);
    glutCreateWindow("frame bench");
    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);

    buildScene();
    scene->cycle = std::make_unique<FrameCycle>(scene->app, *scene->planner, scene->text);
    scene->planner->tiles.loadOverviewTiles();
    scene->cycle->scene().setDotPath(SceneRenderer::DotPath::kChosen);

    ImGui::CreateContext();
    ImGui::StyleColorsClassic();
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();
    glutReshapeFunc(onReshape);
    glutDisplayFunc(onDisplay);
    scene->cycle->reshape(1900, 950);
    for (int i = 0; i < 20; ++i) glutMainLoopEvent();
    // The first draws compile the rasteriser's shaders; keep them out.
    for (int i = 0; i < 5; ++i) scene->cycle->frame();
    glFinish();

    benchmark::RunSpecifiedBenchmarks();

    const double empty = median(frameMs["empty frame"]);
    std::printf("\nMedian milliseconds per frame (1900 x 950, 24 resident tiles, 50 legs):\n");
    for (const char* name : {"empty frame", "frame, default view", "frame, plan view", "frame, coverage view",
                             "coverage view, points", "part: clear only", "part: graticule",
                             "part: overview pictures", "part: tile pictures", "part: plan and polygon",
                             "part: coverage dots", "part: dots as points", "part: dots by walk",
                             "dense: coverage view", "dense: view, points", "dense: view, moving",
                             "dense: moving, points", "dense: zoom 5, moving", "dense: zoom 5, points",
                             "dense: coverage dots",
                             "dense: dots as points", "dense: dots by walk", "part: tiles, mipmapped"}) {
        const auto it = frameMs.find(name);
        if (it == frameMs.end() || it->second.empty()) continue;
        const double m = median(it->second);
        std::printf("  %-22s %8.2f ms  %6.1f frames/s  ratio to empty frame %6.2f\n", name, m, 1000.0 / m,
                    empty > 0.0 ? m / empty : 0.0);
    }
    const auto ratio = [](const char* name, const char* baseline) {
        const double m = median(frameMs[name]);
        const double b = median(frameMs[baseline]);
        if (m <= 0.0 || b <= 0.0) return;  // left out by a filter
        std::printf("  %-22s %8.2f ms  %6.1f frames/s  %6.1f frames/s for %-22s  time ratio %6.3f  speed-up %6.2f\n",
                    name, m, 1000.0 / m, 1000.0 / b, baseline, m / b, b / m);
    };
    std::printf("\nCoverage view against baselines of the same run:\n");
    ratio("frame, coverage view", "coverage view, points");
    ratio("frame, coverage view", "frame, plan view");
    ratio("part: coverage dots", "part: dots as points");
    ratio("part: coverage dots", "part: dots by walk");
    ratio("dense: coverage view", "dense: view, points");
    ratio("dense: coverage view", "frame, plan view");
    ratio("dense: view, moving", "dense: moving, points");
    ratio("dense: zoom 5, moving", "dense: zoom 5, points");
    ratio("dense: coverage dots", "dense: dots as points");
    ratio("dense: coverage dots", "dense: dots by walk");
    benchmark::Shutdown();
    return 0;
}
