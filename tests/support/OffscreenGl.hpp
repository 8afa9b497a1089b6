#pragma once
// The off-screen context of the tools, for tests: they call GTEST_SKIP()
// when ok() is false, e.g. on a machine without Mesa's EGL.

#include "coverage/GlOffscreenContext.hpp"

namespace tessarin::test {

using OffscreenGl = GlOffscreenContext;

}  // namespace tessarin::test
