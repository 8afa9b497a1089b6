#include "coverage/GlCaptureTarget.hpp"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/SwathDrawing.hpp"

namespace tessarin {
namespace {

// Map-plane rectangle of the strips' vertices.
struct Extent {
    float minX = 0.0f, maxX = 0.0f, minY = 0.0f, maxY = 0.0f;
    bool any = false;
};

Extent extentOf(const SwathStrip& strip) {
    Extent e;
    for (int i = 0; i < strip.count; ++i) {
        for (int side = 0; side < 2; ++side) {
            const float vx = side == 0 ? strip.rightX[i] : strip.leftX[i];
            const float vy = side == 0 ? strip.rightY[i] : strip.leftY[i];
            if (!e.any) {
                e.minX = e.maxX = vx;
                e.minY = e.maxY = vy;
                e.any = true;
            }
            e.minX = std::min(e.minX, vx);
            e.maxX = std::max(e.maxX, vx);
            e.minY = std::min(e.minY, vy);
            e.maxY = std::max(e.maxY, vy);
        }
    }
    return e;
}

// Whether a strip can light a pixel of the block. Two pixels of margin keep
// the test on the safe side of the rasteriser's pixel-centre rule; NaN
// vertices fail every comparison and leave the strip to the rasteriser.
bool reaches(const SwathStrip& strip, double x, double y, double blockUnits, double margin) {
    const Extent e = extentOf(strip);
    if (!e.any) return false;
    const bool outside = e.maxX < x - margin || e.minX > x + blockUnits + margin || e.maxY < y - margin ||
                         e.minY > y + blockUnits + margin;
    return !outside;
}

// The pixels of a size x size block at (x, y) that the strips can light: the
// extent of their vertices in pixels, widened by two pixels for the
// rasteriser's pixel-centre rule and its single-precision transform, inside
// the block. A vertex that is not finite leaves the whole block to the
// rasteriser.
PixelRect litPixels(const SwathStrip* strips, int stripCount, double x, double y, int pixelsPerUnit, int size) {
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    bool any = false;
    for (int s = 0; s < stripCount; ++s) {
        const SwathStrip& strip = strips[s];
        for (int i = 0; i < strip.count; ++i) {
            for (int side = 0; side < 2; ++side) {
                const double vx = side == 0 ? strip.rightX[i] : strip.leftX[i];
                const double vy = side == 0 ? strip.rightY[i] : strip.leftY[i];
                if (!std::isfinite(vx) || !std::isfinite(vy)) return PixelRect{0, 0, size, size};
                minX = any ? std::min(minX, vx) : vx;
                maxX = any ? std::max(maxX, vx) : vx;
                minY = any ? std::min(minY, vy) : vy;
                maxY = any ? std::max(maxY, vy) : vy;
                any = true;
            }
        }
    }
    if (!any) return PixelRect{};
    // Pixel index of a map-plane value, kept in a range where the
    // conversion to int is defined before it is put inside the block.
    auto pixel = [&](double v, double origin) {
        return std::clamp((v - origin) * pixelsPerUnit, -4.0 * size, 4.0 * size);
    };
    auto inBlock = [&](double p) { return std::clamp(static_cast<int>(p), 0, size); };
    return PixelRect{inBlock(std::floor(pixel(minX, x)) - 2.0), inBlock(std::floor(pixel(minY, y)) - 2.0),
                     inBlock(std::ceil(pixel(maxX, x)) + 3.0), inBlock(std::ceil(pixel(maxY, y)) + 3.0)};
}

}  // namespace

GlCaptureTarget::GlCaptureTarget(SceneRenderer* scene) : scene_(scene) {}

GlCaptureTarget::GlCaptureTarget(SceneRenderer* scene, std::function<void()> swap)
    : scene_(scene), swap_(std::move(swap)), backBuffer_(true) {}

GlCaptureTarget::~GlCaptureTarget() {
    for (Framebuffer& f : framebuffers_) {
        if (f.fbo) glDeleteFramebuffers(1, &f.fbo);
        if (f.colour) glDeleteRenderbuffers(1, &f.colour);
    }
}

bool GlCaptureTarget::bindFramebuffer(int size) {
    Framebuffer* f = nullptr;
    for (Framebuffer& candidate : framebuffers_) {
        if (candidate.size == size) f = &candidate;
    }
    if (!f) {
        // Captures use two block sizes; a third replaces the first slot.
        f = framebuffers_[1].size == 0 ? &framebuffers_[1] : &framebuffers_[0];
        if (framebuffers_[0].size == 0) f = &framebuffers_[0];
        if (f->fbo) glDeleteFramebuffers(1, &f->fbo);
        if (f->colour) glDeleteRenderbuffers(1, &f->colour);
        *f = Framebuffer{};
        glGenFramebuffers(1, &f->fbo);
        glGenRenderbuffers(1, &f->colour);
        glBindRenderbuffer(GL_RENDERBUFFER, f->colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, f->fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, f->colour);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glDeleteFramebuffers(1, &f->fbo);
            glDeleteRenderbuffers(1, &f->colour);
            *f = Framebuffer{};
            return false;
        }
        f->size = size;
        return true;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, f->fbo);
    return true;
}

template <typename Draw>
bool GlCaptureTarget::renderBlock(double x, double y, int pixelsPerUnit, int size, int repeats, std::uint8_t* rgb,
                                  const PixelRect& part, Draw draw) {
    if (size <= 0 || pixelsPerUnit <= 0 || !rgb) return false;
    const bool whole = part.x0 == 0 && part.y0 == 0 && part.x1 == size && part.y1 == size;
    GLint previousDraw = 0, previousRead = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead);
    // Everything the block changes (viewport, clear colour, depth test,
    // blending, colour mask, current colour, texture state) is put back, so
    // a capture in the middle of a frame leaves the frame's drawing as it was.
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    bool ok = true;
    if (!backBuffer_) ok = bindFramebuffer(size);
    if (ok) {
        glViewport(0, 0, size, size);
        if (whole) {
            glDisable(GL_SCISSOR_TEST);
        } else {
            glEnable(GL_SCISSOR_TEST);
            glScissor(part.x0, part.y0, part.x1 - part.x0, part.y1 - part.y0);
        }
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(0.0, size, 0.0, size, -100.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        const int draws = backBuffer_ ? std::max(repeats, 1) : 1;
        for (int i = 0; i < draws; ++i) {
            glClear(GL_COLOR_BUFFER_BIT);
            glPushMatrix();
            glScalef(static_cast<float>(pixelsPerUnit), static_cast<float>(pixelsPerUnit), 1.0f);
            glTranslated(-x, -y, 0.0);
            draw();
            glPopMatrix();
            if (backBuffer_ && swap_) swap_();
        }
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (whole) {
            glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        } else {
            glPixelStorei(GL_PACK_ROW_LENGTH, size);
            const std::size_t at = (static_cast<std::size_t>(part.y0) * static_cast<std::size_t>(size) +
                                    static_cast<std::size_t>(part.x0)) * 3;
            glReadPixels(part.x0, part.y0, part.x1 - part.x0, part.y1 - part.y0, GL_RGB, GL_UNSIGNED_BYTE, rgb + at);
        }
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        ++drawnBlocks_;
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previousDraw));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previousRead));
    glPopClientAttrib();
    glPopAttrib();
    return ok;
}

bool GlCaptureTarget::anyStripReaches(const SwathStrip* strips, int stripCount, double x, double y,
                                      int pixelsPerUnit, int size) {
    const double blockUnits = static_cast<double>(size) / pixelsPerUnit;
    const double margin = 2.0 / pixelsPerUnit;
    for (int s = 0; s < stripCount; ++s)
        if (reaches(strips[s], x, y, blockUnits, margin)) return true;
    ++skippedBlocks_;
    return false;
}

bool GlCaptureTarget::captureSwathBlock(const SwathStrip* strips, int stripCount, double x, double y,
                                        int pixelsPerUnit, int size, int repeats, std::uint8_t* rgb) {
    if (!strips || stripCount <= 0 || pixelsPerUnit <= 0) return false;
    // A block that no strip reaches would read back black; the off-screen
    // target skips its draw and read. The back-buffer method draws every
    // block, as it always did.
    if (!backBuffer_ && !anyStripReaches(strips, stripCount, x, y, pixelsPerUnit, size)) return false;
    return renderBlock(x, y, pixelsPerUnit, size, repeats, rgb, PixelRect{0, 0, size, size}, [&] {
        glColor3f(0.0f, 1.0f, 0.0f);
        for (int s = 0; s < stripCount; ++s) drawSwathStrip(strips[s]);
    });
}

bool GlCaptureTarget::captureSwathPart(const SwathStrip* strips, int stripCount, double x, double y,
                                       int pixelsPerUnit, int size, int repeats, std::uint8_t* rgb, PixelRect& lit) {
    lit = PixelRect{0, 0, size, size};
    if (backBuffer_) return captureSwathBlock(strips, stripCount, x, y, pixelsPerUnit, size, repeats, rgb);
    if (!strips || stripCount <= 0 || pixelsPerUnit <= 0 || size <= 0) return false;
    if (!anyStripReaches(strips, stripCount, x, y, pixelsPerUnit, size)) return false;
    lit = litPixels(strips, stripCount, x, y, pixelsPerUnit, size);
    if (lit.x0 >= lit.x1 || lit.y0 >= lit.y1) return true;  // nothing to draw or read
    return renderBlock(x, y, pixelsPerUnit, size, repeats, rgb, lit, [&] {
        glColor3f(0.0f, 1.0f, 0.0f);
        for (int s = 0; s < stripCount; ++s) drawSwathStrip(strips[s]);
    });
}

bool GlCaptureTarget::captureStatsBlock(const SwathStrip* strips, int stripCount, double x, double y,
                                        int pixelsPerUnit, int size, int repeats, std::uint8_t* rgb) {
    if (!strips || stripCount <= 0 || pixelsPerUnit <= 0) return false;
    if (!backBuffer_ && !anyStripReaches(strips, stripCount, x, y, pixelsPerUnit, size)) return false;
    return renderBlock(x, y, pixelsPerUnit, size, repeats, rgb, PixelRect{0, 0, size, size}, [&] {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glColor4f(0.0f, 1.0f, 0.0f, 0.5f);
        for (int s = 0; s < stripCount; ++s) drawSwathStrip(strips[s]);
        glDisable(GL_BLEND);
    });
}

}  // namespace tessarin
