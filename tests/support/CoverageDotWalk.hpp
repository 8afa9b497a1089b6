#pragma once
// The coverage dots drawn point by point, walking every resident tile's
// coverage bytes in each frame: how the coverage view drew them before its
// dots were kept between frames. Tests compare the kept dots' pixels with it
// and the frame benchmark measures against it.

namespace tessarin {
class PlannerState;
class SceneRenderer;
}  // namespace tessarin

namespace tessarin::test {

// Draws in the current map transform; renderer supplies the band ordinates
// (SceneRenderer::tableMapY).
void drawCoverageDotsByWalk(PlannerState& planner, const SceneRenderer& renderer, float viewCentreLon);

}  // namespace tessarin::test
