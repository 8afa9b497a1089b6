#include "support/CoverageDotWalk.hpp"

#include <GL/gl.h>

#include <cstdint>

#include "app/PlannerState.hpp"
#include "render/SceneRenderer.hpp"

namespace tessarin::test {

void drawCoverageDotsByWalk(PlannerState& planner, const SceneRenderer& renderer, float viewCentreLon) {
    TileStore& tiles = planner.tiles;
    glColor3f(1.0f, 1.0f, 1.0f);
    for (int latIdx = 3; latIdx <= 21; ++latIdx) {
        for (int lonIdx = 0; lonIdx < TileStore::kLonCells; ++lonIdx) {
            const TileRecord& rec = tiles.record(latIdx, lonIdx);
            if (!rec.loaded || !rec.tile || !rec.tile->hasRows() || rec.tile->width <= 0) continue;
            const DepthTile& tile = *rec.tile;
            glPushMatrix();
            if (viewCentreLon > 120.0f && lonIdx < 15) glTranslatef(360.0f, 0.0f, 0.0f);
            if (viewCentreLon < -120.0f && lonIdx > 30) glTranslatef(-360.0f, 0.0f, 0.0f);
            float bandY[21];
            for (int k = 0; k <= 20; ++k) bandY[k] = renderer.tableMapY(rec.lat0 + 0.4f * static_cast<float>(k));
            const float columnStep = 8.0f / static_cast<float>(tile.width);
            glColor3f(1.0f, 0.0f, 0.0f);
            glBegin(GL_POINTS);
            for (int c = 0; c < tile.width; c += 4) {
                const float x = rec.lon0 + static_cast<float>(c) * columnStep;
                for (int k = 0; k < 20; ++k) {
                    const float rowStep = (bandY[k + 1] - bandY[k]) / 96.0f;
                    for (int r = 0; r <= 94; r += 2) {
                        const int row = DepthTile::kRows - 1 - 96 * k - r;
                        if (row < 0 || row >= tile.height) continue;
                        const std::uint8_t v = tile.coverageRow(row)[c];
                        if (v == 0) continue;
                        if (v & 0x40) {
                            glColor3f(1.0f, 1.0f, 0.0f);
                        } else if (v & 0x10) {
                            glColor3f(0.0f, 0.7f, 0.7f);
                        } else if (v & 0x20) {
                            glColor3f(0.0f, 1.0f, 1.0f);
                        }
                        glVertex2f(x, bandY[k] + static_cast<float>(r) * rowStep);
                    }
                }
            }
            glEnd();
            glPopMatrix();
        }
    }
}

}  // namespace tessarin::test
