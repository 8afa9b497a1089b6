#include "render/SceneRenderer.hpp"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/BitmapText.hpp"
#include "render/SwathDrawing.hpp"
#include "transit/TransitPlanner.hpp"

namespace tessarin {

namespace {

// Tile and overview pictures are 1920 texels of a 2048-texel texture.
constexpr float kPictureExtent = 0.9375f;

// Latitude rows of the tile grid that can hold resident tiles (-72..80).
constexpr int kFirstDrawnLatRow = 3;
constexpr int kLastDrawnLatRow = 21;

void filledSquare(double x, double y, double half) {
    glBegin(GL_TRIANGLE_STRIP);
    glVertex2d(x - half, y - half);
    glVertex2d(x + half, y - half);
    glVertex2d(x - half, y + half);
    glVertex2d(x + half, y + half);
    glEnd();
}

void squareOutline(double x, double y, double half) {
    glBegin(GL_LINE_STRIP);
    glVertex2d(x - half, y - half);
    glVertex2d(x + half, y - half);
    glVertex2d(x + half, y + half);
    glVertex2d(x - half, y + half);
    glVertex2d(x - half, y - half);
    glEnd();
}

void line(double x1, double y1, double x2, double y2) {
    glBegin(GL_LINES);
    glVertex2d(x1, y1);
    glVertex2d(x2, y2);
    glEnd();
}

// Tiles near the 180-degree meridian are drawn a turn further east or west
// so that the map continues across it on the side the view looks at.
void shiftAcrossDateLine(float viewCentreLon, int lonIdx) {
    if (viewCentreLon > 120.0f && lonIdx < 15) glTranslatef(360.0f, 0.0f, 0.0f);
    if (viewCentreLon < -120.0f && lonIdx > 30) glTranslatef(-360.0f, 0.0f, 0.0f);
}

// Whether the coverage view draws dots for the record in latitude row latIdx.
bool drawsCoverage(int latIdx, const TileRecord& rec) {
    const bool drawn = latIdx >= kFirstDrawnLatRow && latIdx <= kLastDrawnLatRow;
    return drawn && rec.loaded && rec.tile && rec.tile->hasRows() && rec.tile->width > 0;
}

bool highlighted(const MapPoint& p) { return p.state == MapPoint::kHighlighted; }

void markerOf(const Waypoint& w, double& x, double& y) {
    if (w.marker) {
        x = w.marker->x;
        y = w.marker->y;
    } else {
        x = w.lon;
        y = w.y;
    }
}

}  // namespace

SceneRenderer::SceneRenderer(const SceneSources& sources, TextPainter& text) : src_(sources), text_(text) {}

float SceneRenderer::tableMapY(float latDeg) const {
    const int j = static_cast<int>(latDeg * 10.0f + 720.5f);
    // The table ends at 72.9 degrees, but the northernmost tile row reaches
    // 80: beyond the table the ordinate is computed, not read past its end.
    if (j < 0 || j >= MapYTable::kSize) return static_cast<float>(mapY(latDeg));
    return src_.mapYTable[j];
}

void SceneRenderer::bandOrdinates(const TileRecord& rec, float* bandY) const {
    for (int k = 0; k < CoverageDotCache::kBandEdges; ++k) bandY[k] = tableMapY(rec.lat0 + 0.4f * static_cast<float>(k));
}

void SceneRenderer::drawGraticule() {
    const MapYTable& table = src_.mapYTable;
    glLineWidth(1.0f);
    glPushMatrix();
    glTranslatef(-180.0f, 0.0f, 0.0f);
    glColor3f(0.8f, 0.8f, 0.8f);
    glBegin(GL_LINES);
    for (int i = 1; i <= 17; ++i) {
        const float y = table[static_cast<int>(static_cast<float>(i) * 80.0f + 0.5f)];
        glVertex2f(-72.0f, y);
        glVertex2f(360.0f, y);
    }
    glEnd();
    glColor3f(0.5f, 0.7f, 0.5f);
    glBegin(GL_LINES);
    for (int i = -9; i <= 45; ++i) {
        const float x = 8.0f * static_cast<float>(i);
        glVertex2f(x, table[80]);
        glVertex2f(x, table[1360]);
    }
    glEnd();
    glPopMatrix();
}

void SceneRenderer::drawOverviewPictures() {
    const TileStore& tiles = src_.tiles;
    constexpr float kBandT = 0.027777778f * kPictureExtent;  // one 2-degree band of a 72-degree picture
    constexpr float kBandStep = 0.026041666f;
    glColor4f(1.0f, 1.0f, 1.0f, 0.8f);
    // A block whose picture did not load is left out: its empty texture
    // would paint the band light grey and hide the graticule and texts.
    for (int i = -1; i <= 4; ++i) {
        const int name = (i + 5) % 5 + 1;
        if (!tiles.overviewLoaded(name)) continue;
        const float d = 72.0f * static_cast<float>(i) - 180.0f;
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tiles.overviewTexture(name));
        // One strip per band: the bands list their upper edge first, so one
        // strip through all of them would add triangles across two bands.
        for (int k = 0; k <= 31; ++k) {
            const float t = static_cast<float>(35 - k) * kBandT;
            const float upper = tableMapY(static_cast<float>(2 * k + 2));
            const float lower = tableMapY(static_cast<float>(2 * k));
            glBegin(GL_TRIANGLE_STRIP);
            glTexCoord2f(0.0f, t);
            glVertex2f(d, upper);
            glTexCoord2f(kPictureExtent, t);
            glVertex2f(d + 72.0f, upper);
            glTexCoord2f(0.0f, t + kBandStep);
            glVertex2f(d, lower);
            glTexCoord2f(kPictureExtent, t + kBandStep);
            glVertex2f(d + 72.0f, lower);
            glEnd();
        }
        glDisable(GL_TEXTURE_2D);
    }
    for (int i = -1; i <= 4; ++i) {
        const int name = (i + 5) % 5 + 6;
        if (!tiles.overviewLoaded(name)) continue;
        const float d = 72.0f * static_cast<float>(i) - 180.0f;
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, tiles.overviewTexture(name));
        for (int k = 0; k >= -31; --k) {
            const float t = kPictureExtent - static_cast<float>(k + 35) * kBandT;
            const float upper = tableMapY(static_cast<float>(2 * k));
            const float lower = tableMapY(static_cast<float>(2 * k - 2));
            glBegin(GL_TRIANGLE_STRIP);
            glTexCoord2f(0.0f, t - kBandStep);
            glVertex2f(d, upper);
            glTexCoord2f(kPictureExtent, t - kBandStep);
            glVertex2f(d + 72.0f, upper);
            glTexCoord2f(0.0f, t);
            glVertex2f(d, lower);
            glTexCoord2f(kPictureExtent, t);
            glVertex2f(d + 72.0f, lower);
            glEnd();
        }
        glDisable(GL_TEXTURE_2D);
    }
}

void SceneRenderer::drawTilePictures(float /*viewCentreY*/, float viewCentreLon, bool showCoverage) {
    const TileStore& tiles = src_.tiles;
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int latIdx = kFirstDrawnLatRow; latIdx <= kLastDrawnLatRow; ++latIdx) {
        for (int lonIdx = 0; lonIdx < TileStore::kLonCells; ++lonIdx) {
            const TileRecord& rec = tiles.record(latIdx, lonIdx);
            if (!rec.loaded) continue;
            // A cell with data but no picture file is left out rather than
            // shown with whatever picture its ring slot held before.
            if (!showCoverage && !tiles.pictureLoaded(rec.slot)) continue;
            glPushMatrix();
            shiftAcrossDateLine(viewCentreLon, lonIdx);
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, showCoverage ? tiles.coverageTexture(rec.slot) : tiles.pictureTexture(rec.slot));
            const float lon0 = rec.lon0;
            const float lon1 = rec.lon0 + 8.0f;
            // 0.4-degree bands let the equirectangular picture follow the
            // Mercator ordinate; consecutive bands share their edge, so one
            // strip carries all twenty.
            glBegin(GL_TRIANGLE_STRIP);
            for (int k = 0; k <= 20; ++k) {
                const float y = tableMapY(rec.lat0 + 0.4f * static_cast<float>(k));
                const float t = kPictureExtent - static_cast<float>(k) * 0.05f * kPictureExtent;
                glTexCoord2f(0.0f, t);
                glVertex2f(lon0, y);
                glTexCoord2f(kPictureExtent, t);
                glVertex2f(lon1, y);
            }
            glEnd();
            glDisable(GL_TEXTURE_2D);
            glPopMatrix();
        }
    }
}

void SceneRenderer::drawCoverageDots(float /*viewCentreY*/, float viewCentreLon) {
    drawCoverageDotsBy(dotTextures_.available() ? dotPath_ : DotPath::kPoints, viewCentreLon);
}

void SceneRenderer::drawCoverageDotsBy(DotPath path, float viewCentreLon) {
    const TileStore& tiles = src_.tiles;
    glColor3f(1.0f, 1.0f, 1.0f);
    std::vector<DrawnTile>& drawn = drawnScratch_;
    drawn.clear();
    GLfloat mv[16], pr[16];
    GLint vp[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    glGetFloatv(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    CoverageDotLayer::Key& key = keyScratch_;
    key.clear();
    const auto word = [&](const void* p, std::size_t n) {
        for (std::size_t i = 0; i < n; i += 4) {
            std::uint32_t w = 0;
            std::memcpy(&w, static_cast<const char*>(p) + i, 4);
            key.push_back(w);
        }
    };
    word(mv, sizeof mv);
    word(pr, sizeof pr);
    word(vp, sizeof vp);
    key.push_back(static_cast<std::uint64_t>(path));
    // The window patch the dots fall in: the tiles' extents and a pixel more.
    double wx0 = vp[0] + vp[2], wy0 = vp[1] + vp[3], wx1 = vp[0], wy1 = vp[1];
    float lastRgb[3] = {1.0f, 1.0f, 1.0f};
    for (int latIdx = 0; latIdx < TileStore::kLatCells; ++latIdx) {
        for (int lonIdx = 0; lonIdx < TileStore::kLonCells; ++lonIdx) {
            const int cell = latIdx * TileStore::kLonCells + lonIdx;
            const TileRecord& rec = tiles.record(latIdx, lonIdx);
            if (!drawsCoverage(latIdx, rec)) {
                dotTextures_.forget(cell);
                dots_.forget(cell);
                continue;
            }
            DrawnTile d{cell, lonIdx, rec.tile.get(), rec.lon0, {}, false};
            bandOrdinates(rec, d.bandY);
            const float south = d.bandY[0], north = d.bandY[CoverageDotCache::kBandEdges - 1];
            glPushMatrix();
            shiftAcrossDateLine(viewCentreLon, lonIdx);
            const CoverageDotCache::Dots& dots = dots_.dotsOf(cell, *rec.tile, rec.lon0, d.bandY);
            d.textures = path == DotPath::kTextures ||
                         (path == DotPath::kChosen && dots.count() > 0 &&
                          texturesCheaper(dots.count(), rec.lon0, south, north));
            double ax, ay, bx, by;
            windowOf(rec.lon0, south, ax, ay);
            windowOf(rec.lon0 + 8.0, north, bx, by);
            glPopMatrix();
            wx0 = std::min({wx0, ax, bx});
            wx1 = std::max({wx1, ax, bx});
            wy0 = std::min({wy0, ay, by});
            wy1 = std::max({wy1, ay, by});
            std::copy(dots.lastRgb, dots.lastRgb + 3, lastRgb);
            key.push_back((static_cast<std::uint64_t>(cell) << 8) |
                          (static_cast<std::uint64_t>(dots.count() > 0) << 2) | (d.textures ? 1u : 0u));
            drawn.push_back(d);
        }
    }
    if (drawn.empty()) return;
    key.push_back(static_cast<std::uint64_t>(dots_.builds()));

    const auto drawAll = [&] {
        for (const DrawnTile& d : drawn) {
            glPushMatrix();
            shiftAcrossDateLine(viewCentreLon, d.lonIdx);
            if (d.textures) {
                dotTextures_.draw(d.cell, *d.tile, d.lon0, d.bandY);
            } else {
                const CoverageDotCache::Dots& dots = dots_.dotsOf(d.cell, *d.tile, d.lon0, d.bandY);
                if (dots.count() > 0) drawDotArrays(dots);
            }
            glPopMatrix();
        }
    };
    // Laying the kept picture costs a pass over the tiles' part of the
    // window: worth it when some tile is drawn from textures, not when every
    // tile has so few dots in view that its points cost less.
    const bool anyTextures = std::any_of(drawn.begin(), drawn.end(), [](const DrawnTile& d) { return d.textures; });
    const bool layered = anyTextures && layer_.available();
    if (layered) {
        const int x0 = std::max(vp[0], static_cast<int>(std::floor(wx0)) - 2);
        const int y0 = std::max(vp[1], static_cast<int>(std::floor(wy0)) - 2);
        const int x1 = std::min(vp[0] + vp[2], static_cast<int>(std::ceil(wx1)) + 2);
        const int y1 = std::min(vp[1] + vp[3], static_cast<int>(std::ceil(wy1)) + 2);
        if (x1 > x0 && y1 > y0) layer_.lay(key, x0, y0, x1 - x0, y1 - y0, drawAll);
    } else {
        drawAll();
    }
    // Drawing with a colour array or a program leaves the current colour
    // undefined; the rest of the frame expects the one the last dot was drawn
    // in.
    glColor3fv(lastRgb);
}

void SceneRenderer::windowOf(double x, double y, double& wx, double& wy) const {
    GLfloat mv[16], pr[16];
    GLint vp[4];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    glGetFloatv(GL_PROJECTION_MATRIX, pr);
    glGetIntegerv(GL_VIEWPORT, vp);
    // The map transform has no rotation.
    const double cx = pr[0] * (mv[0] * x + mv[12]) + pr[12];
    const double cy = pr[5] * (mv[5] * y + mv[13]) + pr[13];
    wx = vp[0] + (cx + 1.0) * 0.5 * vp[2];
    wy = vp[1] + (cy + 1.0) * 0.5 * vp[3];
}

namespace {

// Points cost the rasteriser about twice what a fragment of the textured
// dots does (both measured with llvmpipe in the frame benchmark); a tile's
// dots outside the window cost little.
constexpr double kPointCostPerFragment = 2.0;

}  // namespace

bool SceneRenderer::texturesCheaper(int dotCount, float lon0, float south, float north) const {
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    double x0, y0, x1, y1;
    windowOf(lon0, south, x0, y0);
    windowOf(lon0 + 8.0, north, x1, y1);
    const double fullArea = std::fabs((x1 - x0) * (y1 - y0));
    const double w = std::min(std::max(x0, x1), static_cast<double>(vp[0] + vp[2])) -
                     std::max(std::min(x0, x1), static_cast<double>(vp[0]));
    const double h = std::min(std::max(y0, y1), static_cast<double>(vp[1] + vp[3])) -
                     std::max(std::min(y0, y1), static_cast<double>(vp[1]));
    if (w <= 0.0 || h <= 0.0 || fullArea <= 0.0) return false;
    const double shownArea = w * h;
    return dotCount * (shownArea / fullArea) * kPointCostPerFragment > shownArea;
}

void SceneRenderer::drawDotArrays(const CoverageDotCache::Dots& dots) {
    // Only the vertex and colour arrays may be read by the draw, whatever
    // arrays the rest of the frame leaves enabled.
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_INDEX_ARRAY);
    glDisableClientState(GL_EDGE_FLAG_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, dots.xy.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, dots.rgba.data());
    glDrawArrays(GL_POINTS, 0, dots.count());
    glPopClientAttrib();
}

void SceneRenderer::drawCoverageDotsAsPoints(float /*viewCentreY*/, float viewCentreLon) {
    drawCoverageDotsBy(DotPath::kPoints, viewCentreLon);
}

void SceneRenderer::drawPlanAndPolygon(float zoom, bool showMarkers) {
    drawPlan(zoom, showMarkers);
    drawPolygon(zoom, showMarkers);
}

void SceneRenderer::drawAllSwaths() {
    if (!src_.plan) return;
    src_.plan->forEachSwathStrip([](const SwathStrip& strip) { drawSwathStrip(strip); });
}

namespace {

// Plan and polygon both start translucent: white, or green when the markers
// are hidden.
void beginHalfTransparent(bool showMarkers) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (showMarkers) {
        glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    } else {
        glColor4f(0.0f, 1.0f, 0.0f, 0.5f);
    }
}

}  // namespace

std::vector<double> SceneRenderer::wrapShifts(double minX, double maxX) {
    std::vector<double> shifts{0.0};
    if (maxX > 180.0) shifts.push_back(-360.0);
    if (minX < -180.0) shifts.push_back(360.0);
    return shifts;
}

void SceneRenderer::drawPlan(float zoom, bool showMarkers) {
    if (!src_.plan || src_.plan->empty()) return;
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    src_.plan->planBounds(minX, maxX, minY, maxY);
    for (double shift : wrapShifts(minX, maxX)) {
        glPushMatrix();
        glTranslated(shift, 0.0, 0.0);
        drawPlanOnce(zoom, showMarkers);
        glPopMatrix();
    }
}

void SceneRenderer::drawPlanOnce(float zoom, bool showMarkers) {
    const SurveyPlan& plan = *src_.plan;
    beginHalfTransparent(showMarkers);
    drawAllSwaths();

    const double s = 5.0 / zoom;
    if (showMarkers) {
        for (const Waypoint* w = plan.first(); w != nullptr; w = w->next) {
            const bool hi = w->marker && highlighted(*w->marker);
            if (hi) {
                glColor3f(1.0f, 0.1f, 0.1f);
            } else {
                glColor3f(0.0f, 1.0f, 1.0f);
            }
            double x, y;
            markerOf(*w, x, y);
            filledSquare(x, y, s);
        }
        glColor3f(1.0f, 1.0f, 1.0f);
        glLineWidth(2.0f);
        for (const Waypoint* w = plan.first(); w != nullptr && w->next != nullptr; w = w->next) {
            const bool hi = w->marker && highlighted(*w->marker);
            if (hi) {
                glColor3f(1.0f, 0.1f, 0.1f);
            } else {
                glColor3f(0.3f, 0.8f, 0.8f);
            }
            double x1, y1, x2, y2;
            markerOf(*w, x1, y1);
            markerOf(*w->next, x2, y2);
            line(x1, y1, x2, y2);
            // Arrowhead 55 percent along the leg; (-normalY, normalX) is the
            // leg's direction since the normal points to starboard.
            glColor3f(0.3f, 0.95f, 0.95f);
            const double mx = 0.55 * x2 + 0.45 * x1;
            const double my = 0.55 * y2 + 0.45 * y1;
            const double u = s + 0.02;
            glBegin(GL_TRIANGLES);
            glVertex2d(mx - u * w->normalY, my + u * w->normalX);
            glVertex2d(mx + u * w->normalX, my + u * w->normalY);
            glVertex2d(mx - u * w->normalX, my - u * w->normalY);
            glEnd();
        }
    }
    glDisable(GL_BLEND);
}

void SceneRenderer::drawPolygon(float zoom, bool showMarkers) {
    beginHalfTransparent(showMarkers);
    if (!src_.polygon) return;
    const PolygonVertex* first = src_.polygon->first();
    if (first == nullptr || first->next == nullptr || first->next == first) return;

    if (showMarkers) {
        const double s = 5.0 / zoom;
        const PolygonVertex* last = first;
        for (const PolygonVertex* v = first->next; v != first; v = v->next) {
            if (highlighted(v->marker)) {
                glColor3f(0.7f, 0.5f, 0.1f);
            } else {
                glColor3f(0.2f, 0.2f, 0.8f);
            }
            filledSquare(v->marker.x, v->marker.y, s);
            last = v;
        }
        if (highlighted(first->marker)) {
            glColor3f(0.7f, 0.5f, 0.1f);
        } else {
            glColor3f(0.2f, 0.2f, 1.0f);
        }
        filledSquare(first->marker.x, first->marker.y, s);
        glColor3f(0.3f, 1.0f, 0.3f);
        squareOutline(first->marker.x, first->marker.y, 1.5 * s);

        glLineWidth(2.0f);
        glColor3f(0.3f, 1.0f, 0.3f);
        for (const PolygonVertex* v = first; v != last; v = v->next) {
            if (highlighted(v->marker)) glColor3f(0.7f, 0.5f, 0.1f);
            line(v->marker.x, v->marker.y, v->next->marker.x, v->next->marker.y);
            glColor3f(0.3f, 0.4f, 0.9f);
        }
        if (highlighted(last->marker)) {
            glColor3f(0.7f, 0.5f, 0.1f);
        } else {
            glColor3f(0.2f, 0.2f, 1.0f);
        }
        line(last->marker.x, last->marker.y, first->marker.x, first->marker.y);
    }
    glDisable(GL_BLEND);
}

void SceneRenderer::drawPickMarker(float scale) {
    const float x = src_.pickLon;
    const float y = src_.pickY;
    const float a = 0.5f / scale;
    const float b = 1.5f / scale;
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex2f(x - a, y);
    glVertex2f(x - b, y);
    glVertex2f(x + b, y);
    glVertex2f(x + a, y);
    glVertex2f(x, y - b);
    glVertex2f(x, y - a);
    glVertex2f(x, y + b);
    glVertex2f(x, y + a);
    glEnd();
}

void SceneRenderer::drawEndMarker(float x, float y, float scale) {
    const float d = 0.2f / scale;
    const float e = 0.5f / scale;
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_LINES);
    glVertex2f(x - d, y - d);
    glVertex2f(x - e, y - e);
    glVertex2f(x + e, y + e);
    glVertex2f(x + d, y + d);
    glVertex2f(x + e, y - e);
    glVertex2f(x + d, y - d);
    glVertex2f(x - e, y + e);
    glVertex2f(x - d, y + d);
    glEnd();
}

void SceneRenderer::drawTransitOverlay(float scale) {
    const TransitPlanner& p = *src_.transit;
    glLineWidth(3.0f);
    if (p.startSet) drawEndMarker(p.transitStartLon, p.transitStartY, scale);
    if (p.endSet) drawEndMarker(p.transitEndLon, p.transitEndY, scale);
    if (!p.greatCircleReady) return;
    glLineWidth(2.0f);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 0.85f);
    const auto arcEnds = std::minmax_element(p.arcLon, p.arcLon + TransitPlanner::kArcPoints);
    for (double shift : wrapShifts(*arcEnds.first, *arcEnds.second)) {
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i < TransitPlanner::kArcPoints; ++i) glVertex2d(p.arcLon[i] + shift, p.arcY[i]);
        glEnd();
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    text_.drawText(p.arcLon[7] + 0.25f, p.arcY[7] + 0.25f, distanceText(p.greatCircleKm));
}

void SceneRenderer::drawCursorReadout(float lat, float lon, float elevationM) {
    glColor3f(1.0f, 1.0f, 1.0f);
    text_.drawText(src_.pickLon + 0.5f, src_.pickY + 0.5f, cursorReadoutText(lat, lon, elevationM));
}

std::string SceneRenderer::cursorReadoutText(float lat, float lon, float elevationM) {
    if (lon < -180.0f) lon += 360.0f;
    char buf[128];
    const int length = std::snprintf(buf, sizeof buf, "LAT %7.3f  LON %7.3f  DEP %5.1f    ",
                                     static_cast<double>(lat), static_cast<double>(lon),
                                     static_cast<double>(elevationM));
    std::string text = clipBitmapText(buf);
    // A longitude of -100 or below takes one more character; the cut must
    // then not drop whole metres of the depth (-10800 m read as "-1080").
    if (length > 0 && static_cast<std::size_t>(length) < sizeof buf) {
        const std::string full(buf, static_cast<std::size_t>(length));
        const std::size_t depth = full.rfind("DEP ");
        const std::size_t point = depth == std::string::npos ? std::string::npos : full.find('.', depth);
        if (point != std::string::npos && point > text.size()) text = full.substr(0, point);
    }
    return text;
}

std::string SceneRenderer::distanceText(float greatCircleKm) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "DISTANCE %7.3f km     %7.3f nm ", static_cast<double>(greatCircleKm),
                  static_cast<double>(greatCircleKm) / 1.852);
    return clipBitmapText(buf);
}

}  // namespace tessarin
