#pragma once
// A planner over a small tile world, in an off-screen GL context with the GL
// capture target installed, for capture and statistics tests.
// Tiles (flat floor at 3000 m): west edge -44, south edges -16, -8, 0, 8 and
// 56; west edge -36, south edges -16, -8, 0 and 8. The tile at west edge -44,
// south edge 8 has reference pixels in the columns of longitudes -40 to -39. Map plane: x = longitude, y = mapY(latitude).

#include <memory>
#include <sstream>

#include "app/FrameCycle.hpp"
#include "app/PlannerState.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/GlCaptureTarget.hpp"
#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/BitmapText.hpp"
#include "render/GlTextureSink.hpp"
#include "render/SceneRenderer.hpp"
#include "support/OffscreenGl.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin::test {

// Written once per test program: PNG tiles take a while to encode.
inline TempDir& coverageWorldDir() {
    static TempDir dir;
    static bool written = [] {
        TempDir* d = &dir;
        for (int lat0 : {-16, -8, 0, 56}) writeFlatDataTile(d->path(), -44, lat0, -3000.0);
        for (int lat0 : {-16, -8, 0, 8}) writeFlatDataTile(d->path(), -36, lat0, -3000.0);
        const std::uint16_t deep = codeOfElevation(-3000.0);
        // Columns 960..1199 are longitudes -40..-39.
        writeDataTile(d->path(), -44, 8, [deep](int, int col) {
            DataPixel p;
            p.code = deep;
            p.blue = col >= 960 && col < 1200 ? 3 : 0;
            return p;
        });
        return true;
    }();
    (void)written;
    return dir;
}

struct CoverageWorld {
    // A window-sized surface of glSize pixels square (the back-buffer method
    // needs one at least as large as its blocks).
    explicit CoverageWorld(int glSize = 64) : gl(glSize, glSize) { setUp(); }

    OffscreenGl gl;
    std::ostringstream out;
    GlTextureSink sink;
    SilentTextPainter text;
    std::unique_ptr<PlannerState> planner;
    std::unique_ptr<SceneRenderer> scene;
    std::unique_ptr<GlCaptureTarget> target;

    void setUp() {
        if (!gl.ok()) return;
        planner = std::make_unique<PlannerState>(out, sink, coverageWorldDir().path());
        scene = std::make_unique<SceneRenderer>(sceneSourcesOf(*planner), text);
        target = std::make_unique<GlCaptureTarget>(scene.get());
        planner->coverage->setCaptureTarget(target.get());
    }
    ~CoverageWorld() {
        // The framebuffers go while the context is still current.
        target.reset();
    }

    CoverageGrid& grid() { return *planner->coverage; }
    SurveyPlan& plan() { return *planner->plan; }
    // Makes the tile under (lon, lat) resident.
    DepthTile* load(double lon, double lat) {
        float e = 0.0f;
        planner->getDepth(lon, lat, e);
        return planner->tiles.residentTile(lon, lat);
    }
    void addWaypoint(double lon, double lat) {
        planner->addWaypointAt(static_cast<float>(lon), static_cast<float>(mapY(lat)));
    }
    std::string takeOutput() {
        std::string s = out.str();
        out.str("");
        return s;
    }
};

}  // namespace tessarin::test
