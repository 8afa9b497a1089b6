#pragma once
// A current OpenGL compatibility context without any window or X server (EGL
// on Mesa's surfaceless platform), for the command-line tools' captures and
// for tests that upload or draw. ok() is false, with the reason in error(),
// on a machine without Mesa's EGL.

#include <string>

namespace tessarin {

class GlOffscreenContext {
public:
    // Makes a pbuffer-backed context of width x height and makes it current.
    explicit GlOffscreenContext(int width = 64, int height = 64);
    ~GlOffscreenContext();
    GlOffscreenContext(const GlOffscreenContext&) = delete;
    GlOffscreenContext& operator=(const GlOffscreenContext&) = delete;

    bool ok() const { return ok_; }
    // Why the context could not be made (empty when ok()).
    const std::string& error() const { return error_; }

private:
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    bool ok_ = false;
    std::string error_;
};

}  // namespace tessarin
