#pragma once
// The drawing routines of the map scene. They run inside the map transform
// (applyMapTransform), so coordinates are map-plane: x = longitude in
// degrees, y = mapY(latitude) (not degrees). They read what SceneSources
// names (tile records, plan, polygon, pick and transit fields) and change
// only GL state.
//
// Order in a frame: drawGraticule, drawOverviewPictures (depth test on), then
// with the depth test off drawTilePictures, drawCoverageDots (coverage view
// only), drawPlanAndPolygon, drawPickMarker, drawTransitOverlay,
// drawCursorReadout.

#include <memory>
#include <string>
#include <vector>

#include "render/CoverageDotCache.hpp"
#include "render/CoverageDotLayer.hpp"
#include "render/CoverageDotTextures.hpp"

namespace tessarin {

struct MapYTable;
class SurveyPlan;
class SurveyPolygon;
class TextPainter;
class TileStore;
struct TileRecord;
class TransitPlanner;

// The parts of the planner the scene draws, owned by the planner. The plan,
// polygon and transit are reached through their owners' pointers because
// loading a file replaces them; pickLon and pickY are read at each draw.
struct SceneSources {
    const TileStore& tiles;
    const MapYTable& mapYTable;
    const std::unique_ptr<SurveyPlan>& plan;
    const std::unique_ptr<SurveyPolygon>& polygon;
    const std::unique_ptr<TransitPlanner>& transit;
    const float& pickLon;  // map plane
    const float& pickY;
};

class SceneRenderer {
public:
    SceneRenderer(const SceneSources& sources, TextPainter& text);

    // Parallels every 8 degrees from -64 to 64 and meridians every 8 degrees,
    // from longitude -252 to 180 so that the map continues west of -180.
    void drawGraticule();
    // The ten 72-degree overview pictures at 80 percent opacity, with the
    // easternmost column repeated west of -180.
    void drawOverviewPictures();
    // Every resident tile's picture (or coverage texture when showCoverage),
    // shifted by 360 degrees near the 180-degree meridian.
    void drawTilePictures(float viewCentreY, float viewCentreLon, bool showCoverage);
    // One coverage byte in eight of every resident tile as coloured dots.
    // A tile with few dots in view is drawn as points from arrays kept per
    // tile; one with many from textures kept per tile, whose cost follows the
    // tile's size on screen and not its coverage. Both are remade only when
    // the tile's coverage changed, and both give the same pixels. When some
    // tile is drawn from textures, the frame's dots are kept as a picture of
    // the window, laid again over the next frames of the same view and
    // coverage (CoverageDotLayer). Leaves the
    // current colour at that of the last dot drawn (red for a tile without
    // dots; white when no tile has rows). Without GLSL it draws the points.
    void drawCoverageDots(float viewCentreY, float viewCentreLon);
    // The same dots drawn as points from arrays kept per tile: the same
    // pixels at a cost that grows with the coverage.
    void drawCoverageDotsAsPoints(float viewCentreY, float viewCentreLon);
    // How drawCoverageDots draws each tile: chosen by the dots in view, or
    // always one way (for tests and the benchmark's baseline).
    enum class DotPath { kChosen, kPoints, kTextures };
    void setDotPath(DotPath path) { dotPath_ = path; }
    const CoverageDotCache& coverageDots() const { return dots_; }
    const CoverageDotTextures& coverageTextures() const { return dotTextures_; }
    const CoverageDotLayer& coverageLayer() const { return layer_; }

    void drawPlanAndPolygon(float zoom, bool showMarkers);
    // Swaths, then (with markers) waypoint squares, legs and arrowheads.
    // A plan that runs on past the 180-degree meridian (a transit across it)
    // is drawn a second time 360 degrees over, where that sea floor lies on
    // the map.
    void drawPlan(float zoom, bool showMarkers);
    // The polygon ring with its vertex squares; nothing without markers.
    void drawPolygon(float zoom, bool showMarkers);
    // Every leg's swath strip in the current colour.
    void drawAllSwaths();

    // Open plus sign at the last picked point; scale = zoom / 40.
    void drawPickMarker(float scale);
    // Transit end markers, great-circle line and its distance text.
    void drawTransitOverlay(float scale);
    // Open diagonal cross at (x, y).
    void drawEndMarker(float x, float y, float scale);
    // Latitude, longitude and elevation text beside the pick marker.
    void drawCursorReadout(float lat, float lon, float elevationM);

    // The texts as drawn (already cut to 36 characters).
    static std::string cursorReadoutText(float lat, float lon, float elevationM);
    static std::string distanceText(float greatCircleKm);

    // mapY of a latitude on the 0.1-degree grid, from the planner's table.
    float tableMapY(float latDeg) const;

    // The shifts (0 first, then -360 and/or +360) at which something spanning
    // longitudes minX..maxX is drawn.
    static std::vector<double> wrapShifts(double minX, double maxX);

private:
    // Map ordinates of the edges of the record's twenty 0.4-degree bands.
    void bandOrdinates(const TileRecord& rec, float* bandY) const;
    // Whether a tile's dotCount dots, in the current transform, cost less
    // drawn from textures than as points.
    bool texturesCheaper(int dotCount, float lon0, float south, float north) const;
    // Window position of map point (x, y) in the current transform.
    void windowOf(double x, double y, double& wx, double& wy) const;
    static void drawDotArrays(const CoverageDotCache::Dots& dots);
    void drawCoverageDotsBy(DotPath path, float viewCentreLon);
    void drawPlanOnce(float zoom, bool showMarkers);

    SceneSources src_;
    TextPainter& text_;
    CoverageDotCache dots_;
    CoverageDotTextures dotTextures_;
    CoverageDotLayer layer_;
    // A tile whose dots a frame draws, and how.
    struct DrawnTile {
        int cell, lonIdx;
        const DepthTile* tile;
        float lon0;
        float bandY[CoverageDotCache::kBandEdges];
        bool textures;
    };
    // Scratch of drawCoverageDotsBy, kept to spare allocations.
    std::vector<DrawnTile> drawnScratch_;
    CoverageDotLayer::Key keyScratch_;
    DotPath dotPath_ = DotPath::kChosen;
};

}  // namespace tessarin
