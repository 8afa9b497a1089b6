#include "render/CoverageDotTextures.hpp"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/ShaderProgram.hpp"

namespace tessarin {
namespace {

constexpr const char* kVertexSource = R"(#version 130
out vec2 mapPos;
void main() {
    mapPos = gl_Vertex.xy;
    gl_Position = ftransform();
}
)";

// The rasteriser puts a one-pixel point at window position w on the pixel
// floor(w) after snapping w to 1/256 of a pixel; the program repeats the
// transform the point drawing made (the same matrix, the same viewport
// arithmetic) on the same single-precision ordinates, so it lands every dot
// on the same pixel. The candidates are the dot places within the pixel,
// widened a little; the last one drawn that lands in the pixel wins, as it
// did when each dot was a point.
constexpr const char* kFragmentSource = R"(#version 130
uniform sampler2D image;
uniform sampler2D places;
uniform int columns;
uniform float bandY[21];
uniform float lon0;
uniform float columnStep;
uniform vec4 viewport;   // x scale, x offset, y scale, y offset
uniform vec2 halfPixel;  // half a window pixel in map units
in vec2 mapPos;

// The continuous row index of map ordinate y; the band is guessed from
// the mean band height and then set right (near the poles the bands differ
// much in height).
float latticeRow(float y) {
    int k = clamp(int((y - bandY[0]) * 20.0 / (bandY[20] - bandY[0])), 0, 19);
    while (k > 0 && y < bandY[k]) --k;
    while (k < 19 && y >= bandY[k + 1]) ++k;
    return 48.0 * float(k) + (y - bandY[k]) * 48.0 / (bandY[k + 1] - bandY[k]);
}

vec2 pixelOf(float x, float y) {
    vec4 clip = gl_ModelViewProjectionMatrix * vec4(x, y, 0.0, 1.0);
    vec2 ndc = clip.xy / clip.w;
    vec2 w = vec2(ndc.x * viewport.x + viewport.y, ndc.y * viewport.z + viewport.w);
    return floor(floor(w * 256.0 + 0.5) / 256.0);
}

void main() {
    vec2 own = floor(gl_FragCoord.xy);
    // A hundredth of a pixel and of a place more than the pixel on each side
    // is far more than rounding and snapping move a dot.
    vec2 lo = mapPos - halfPixel * 1.02;
    vec2 hi = mapPos + halfPixel * 1.02;
    int i0 = max(0, int(ceil((lo.x - lon0) / columnStep - 0.01)));
    int i1 = min(columns - 1, int(floor((hi.x - lon0) / columnStep + 0.01)));
    int j0 = max(0, int(ceil(latticeRow(lo.y) - 0.01)));
    int j1 = min(959, int(floor(latticeRow(hi.y) + 0.01)));
    for (int i = i1; i >= i0; --i) {
        for (int j = j1; j >= j0; --j) {
            vec4 texel = texelFetch(image, ivec2(i, j), 0);
            if (texel.a == 0.0) continue;
            float x = texelFetch(places, ivec2(i, 0), 0).r;
            float y = texelFetch(places, ivec2(j, 1), 0).r;
            if (pixelOf(x, y) == own) {
                gl_FragColor = texel;
                return;
            }
        }
    }
    discard;
}
)";

}  // namespace

// The textures and the program are left to the context, which frees them
// when it goes: at program end the renderer outlives the context, and a GL
// call then may never return.
CoverageDotTextures::~CoverageDotTextures() = default;

bool CoverageDotTextures::available() {
    if (state_ != 0) return state_ > 0;
    state_ = -1;
    program_ = buildShaderProgram(kVertexSource, kFragmentSource, "dot", "drawing dots as points");
    if (program_ == 0) return false;
    uImage_ = glGetUniformLocation(program_, "image");
    uPlaces_ = glGetUniformLocation(program_, "places");
    uColumns_ = glGetUniformLocation(program_, "columns");
    uBandY_ = glGetUniformLocation(program_, "bandY");
    uLon0_ = glGetUniformLocation(program_, "lon0");
    uColumnStep_ = glGetUniformLocation(program_, "columnStep");
    uViewport_ = glGetUniformLocation(program_, "viewport");
    uHalfPixel_ = glGetUniformLocation(program_, "halfPixel");
    state_ = 1;
    return true;
}

void CoverageDotTextures::buildImage(const DepthTile& tile, float lon0, const float* bandY,
                                     std::vector<std::uint8_t>& rgba, std::vector<float>& columnX,
                                     std::vector<float>& rowY, float lastRgb[3]) {
    const int columns = tile.width > 0 ? (tile.width + 3) / 4 : 0;
    rgba.assign(static_cast<std::size_t>(columns) * kDotRows * 4, 0);
    columnX.assign(static_cast<std::size_t>(columns), 0.0f);
    rowY.assign(kDotRows, 0.0f);
    // Every place gets its ordinate, with or without a dot, so that the
    // fragment program reads the same numbers the points were drawn at.
    const float columnStep = tile.width > 0 ? 8.0f / static_cast<float>(tile.width) : 0.0f;
    for (int i = 0; i < columns; ++i) columnX[static_cast<std::size_t>(i)] = lon0 + static_cast<float>(4 * i) * columnStep;
    for (int k = 0; k < 20; ++k) {
        const float rowStep = (bandY[k + 1] - bandY[k]) / 96.0f;
        for (int q = 0; q < 48; ++q)
            rowY[static_cast<std::size_t>(48 * k + q)] = bandY[k] + static_cast<float>(2 * q) * rowStep;
    }
    const DotColour& last = CoverageDotCache::walk(tile, lon0, bandY, [&](int i, int j, float, float, const DotColour& c) {
        std::memcpy(&rgba[(static_cast<std::size_t>(j) * columns + i) * 4], c.rgba, 4);
    });
    std::copy(last.rgb, last.rgb + 3, lastRgb);
}

void CoverageDotTextures::upload(Entry& e, const DepthTile& tile, float lon0, const float* bandY) {
    buildImage(tile, lon0, bandY, rgba_, columnX_, rowY_, e.lastRgb);
    e.columns = static_cast<int>(columnX_.size());
    const int placeWidth = std::max(e.columns, kDotRows);
    places_.assign(static_cast<std::size_t>(placeWidth) * 2, 0.0f);
    std::copy(columnX_.begin(), columnX_.end(), places_.begin());
    std::copy(rowY_.begin(), rowY_.end(), places_.begin() + placeWidth);
    if (e.image == 0) glGenTextures(1, &e.image);
    if (e.places == 0) glGenTextures(1, &e.places);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, e.image);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, e.columns, kDotRows, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba_.data());
    glBindTexture(GL_TEXTURE_2D, e.places);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, placeWidth, 2, 0, GL_RED, GL_FLOAT, places_.data());
}

void CoverageDotTextures::release(Entry& e) {
    if (e.image != 0) glDeleteTextures(1, &e.image);
    if (e.places != 0) glDeleteTextures(1, &e.places);
    e = Entry{};
}

const float* CoverageDotTextures::draw(int cell, const DepthTile& tile, float lon0, const float* bandY) {
    if (cell >= static_cast<int>(entries_.size())) entries_.resize(static_cast<std::size_t>(cell) + 1);
    Entry& e = entries_[static_cast<std::size_t>(cell)];
    glPushAttrib(GL_TEXTURE_BIT | GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    if (!e.stamp.matches(tile, lon0, bandY)) {
        glActiveTexture(GL_TEXTURE0);
        upload(e, tile, lon0, bandY);
        e.stamp.take(tile, lon0, bandY);
        ++builds_;
    }
    if (e.columns > 0) {
        GLfloat mv[16], pr[16];
        GLint vp[4];
        glGetFloatv(GL_MODELVIEW_MATRIX, mv);
        glGetFloatv(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
        // The x and y scales of the whole transform (the map transform has no
        // rotation): window pixels per map unit.
        const double sx = 0.5 * vp[2] * (static_cast<double>(pr[0]) * mv[0] + static_cast<double>(pr[4]) * mv[1]);
        const double sy = 0.5 * vp[3] * (static_cast<double>(pr[1]) * mv[4] + static_cast<double>(pr[5]) * mv[5]);
        const float halfX = static_cast<float>(0.5 / std::fabs(sx));
        const float halfY = static_cast<float>(0.5 / std::fabs(sy));
        // The viewport transform as the rasteriser applies it.
        const float hw = 0.5f * static_cast<float>(vp[2]);
        const float hh = 0.5f * static_cast<float>(vp[3]);

        glUseProgram(program_);
        glUniform1i(uImage_, 0);
        glUniform1i(uPlaces_, 1);
        glUniform1i(uColumns_, e.columns);
        glUniform1fv(uBandY_, CoverageDotCache::kBandEdges, bandY);
        glUniform1f(uLon0_, lon0);
        glUniform1f(uColumnStep_, 32.0f / static_cast<float>(tile.width));
        glUniform4f(uViewport_, hw, hw + static_cast<float>(vp[0]), hh, hh + static_cast<float>(vp[1]));
        glUniform2f(uHalfPixel_, halfX, halfY);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, e.places);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, e.image);
        // The dots reach past the tile's edges by up to half a pixel.
        const float x0 = lon0 - 4.0f * halfX, x1 = lon0 + 8.0f + 4.0f * halfX;
        const float y0 = bandY[0] - 4.0f * halfY, y1 = bandY[CoverageDotCache::kBandEdges - 1] + 4.0f * halfY;
        glBegin(GL_TRIANGLE_STRIP);
        glVertex2f(x0, y0);
        glVertex2f(x1, y0);
        glVertex2f(x0, y1);
        glVertex2f(x1, y1);
        glEnd();
        glUseProgram(0);
    }
    glPopClientAttrib();
    glPopAttrib();
    return e.lastRgb;
}

void CoverageDotTextures::forget(int cell) {
    if (cell < 0 || cell >= static_cast<int>(entries_.size())) return;
    Entry& e = entries_[static_cast<std::size_t>(cell)];
    if (e.stamp.made) release(e);
}

}  // namespace tessarin
