#pragma once
// A current OpenGL compatibility context without any window or X server (EGL
// on Mesa's surfaceless platform), for tests that upload or draw. Tests call
// GTEST_SKIP() when ok() is false, e.g. on a machine without Mesa's EGL.

#include <string>

namespace tessarin::test {

class OffscreenGl {
public:
    // Makes a pbuffer-backed context of width x height and makes it current.
    explicit OffscreenGl(int width = 64, int height = 64);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;

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

}  // namespace tessarin::test
