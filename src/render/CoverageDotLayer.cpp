#include "render/CoverageDotLayer.hpp"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include "render/ShaderProgram.hpp"

namespace tessarin {
namespace {

constexpr const char* kVertexSource = R"(#version 130
void main() { gl_Position = gl_Vertex; }
)";

// Texel for window pixel: the patch's pictures start at origin. A dot
// replaces the pixel; elsewhere the pixel is what lay under the patch, or is
// left alone.
constexpr const char* kFragmentSource = R"(#version 130
uniform sampler2D dots;
uniform sampler2D background;
uniform bool withBackground;
uniform ivec2 origin;
void main() {
    ivec2 t = ivec2(gl_FragCoord.xy) - origin;
    vec4 dot = texelFetch(dots, t, 0);
    if (dot.r != 0.0 || dot.g != 0.0 || dot.b != 0.0) {
        gl_FragColor = vec4(dot.rgb, 1.0);
    } else if (withBackground) {
        gl_FragColor = texelFetch(background, t, 0);
    } else {
        discard;
    }
}
)";

void makeTexture(GLuint& name, int w, int h) {
    if (name == 0) glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

}  // namespace

// As with the dot textures, the context frees the layer's objects when it
// goes; a GL call after that may never return.
CoverageDotLayer::~CoverageDotLayer() = default;

bool CoverageDotLayer::available() {
    if (state_ != 0) return state_ > 0;
    state_ = -1;
    program_ = buildShaderProgram(kVertexSource, kFragmentSource, "layer", "drawing dots every frame");
    if (program_ == 0) return false;
    uDots_ = glGetUniformLocation(program_, "dots");
    uBackground_ = glGetUniformLocation(program_, "background");
    uWithBackground_ = glGetUniformLocation(program_, "withBackground");
    uOrigin_ = glGetUniformLocation(program_, "origin");
    state_ = 1;
    return true;
}

void CoverageDotLayer::sizeTextures(int w, int h) {
    if (w <= texW_ && h <= texH_ && dots_ != 0) return;
    texW_ = w > texW_ ? w : texW_;
    texH_ = h > texH_ ? h : texH_;
    makeTexture(dots_, texW_, texH_);
    makeTexture(background_, texW_, texH_);
}

// One quad over the patch in the current viewport, the program reading the
// pictures texel for pixel; the transform is left as found.
void CoverageDotLayer::compose(bool withBackground, int x, int y, int w, int h) {
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    const auto ndcX = [&](int px) { return 2.0f * static_cast<float>(px - vp[0]) / static_cast<float>(vp[2]) - 1.0f; };
    const auto ndcY = [&](int py) { return 2.0f * static_cast<float>(py - vp[1]) / static_cast<float>(vp[3]) - 1.0f; };
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_SCISSOR_TEST);
    glUseProgram(program_);
    glUniform1i(uDots_, 0);
    glUniform1i(uBackground_, 1);
    glUniform1i(uWithBackground_, withBackground ? 1 : 0);
    glUniform2i(uOrigin_, x, y);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, background_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, dots_);
    glBegin(GL_TRIANGLE_STRIP);
    glVertex2f(ndcX(x), ndcY(y));
    glVertex2f(ndcX(x + w), ndcY(y));
    glVertex2f(ndcX(x), ndcY(y + h));
    glVertex2f(ndcX(x + w), ndcY(y + h));
    glEnd();
    glUseProgram(0);
    glPopAttrib();
}

bool CoverageDotLayer::lay(const Key& key, int x, int y, int w, int h, const std::function<void()>& draw) {
    if (w <= 0 || h <= 0) {
        draw();
        return false;
    }
    glPushAttrib(GL_TEXTURE_BIT | GL_PIXEL_MODE_BIT);
    const bool kept = !key_.empty() && key == key_ && x == x_ && y == y_ && w == w_ && h == h_;
    if (kept) {
        compose(false, x, y, w, h);
        glPopAttrib();
        return true;
    }
    // The copies read the buffer the frame draws into.
    GLint drawBuffer = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glReadBuffer(static_cast<GLenum>(drawBuffer));
    glActiveTexture(GL_TEXTURE0);
    sizeTextures(w, h);
    glBindTexture(GL_TEXTURE_2D, background_);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, w, h);
    glPopAttrib();

    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT | GL_ENABLE_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
    draw();

    glPushAttrib(GL_TEXTURE_BIT | GL_PIXEL_MODE_BIT);
    glReadBuffer(static_cast<GLenum>(drawBuffer));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, dots_);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, y, w, h);
    compose(true, x, y, w, h);
    glPopAttrib();
    key_ = key;
    x_ = x;
    y_ = y;
    w_ = w;
    h_ = h;
    ++captures_;
    return false;
}

}  // namespace tessarin
