#pragma once
// The coverage dots drawn point by point from the coverage bytes in every
// frame, as the coverage view drew them before its dots were kept: the
// reference for pixel comparisons and the benchmark's baseline.

namespace tessarin {
class PlannerState;
class SceneRenderer;
}  // namespace tessarin

namespace tessarin::test {

// Draws in the current map transform; renderer supplies the band ordinates
// (SceneRenderer::tableMapY).
void drawCoverageDotsByWalk(PlannerState& planner, const SceneRenderer& renderer, float viewCentreLon);

}  // namespace tessarin::test
