#include "coverage/GlOffscreenContext.hpp"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace tessarin {

GlOffscreenContext::GlOffscreenContext(int width, int height) {
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        error_ = "eglGetPlatformDisplayEXT is not available";
        return;
    }
    EGLDisplay display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        error_ = "no surfaceless EGL display";
        return;
    }
    display_ = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error_ = "desktop OpenGL is not available through EGL";
        return;
    }
    const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                    EGL_RED_SIZE,      8,               EGL_GREEN_SIZE,      8,
                                    EGL_BLUE_SIZE,     8,               EGL_ALPHA_SIZE,      8,
                                    EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &configs) || configs < 1) {
        error_ = "no EGL configuration with a pbuffer and desktop OpenGL";
        return;
    }
    const EGLint surfaceAttribs[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttribs);
    if (surface == EGL_NO_SURFACE) {
        error_ = "cannot make a pbuffer surface";
        return;
    }
    surface_ = surface;
    // Fixed-function drawing needs the compatibility profile.
    const EGLint contextAttribs[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                     EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT) {
        error_ = "cannot make a compatibility-profile context";
        return;
    }
    context_ = context;
    if (!eglMakeCurrent(display, surface, surface, context)) {
        error_ = "cannot make the context current";
        return;
    }
    ok_ = true;
}

GlOffscreenContext::~GlOffscreenContext() {
    if (!display_) return;
    EGLDisplay display = display_;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context_) eglDestroyContext(display, context_);
    if (surface_) eglDestroySurface(display, surface_);
    // The display is not terminated: Mesa shares it between every context
    // made in the process, and other contexts of the same process may still use it.
}

}  // namespace tessarin
