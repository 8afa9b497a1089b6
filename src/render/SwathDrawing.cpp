#include "render/SwathDrawing.hpp"

#include <GL/gl.h>

namespace tessarin {

void drawSwathStrip(const SwathStrip& strip) {
    if (strip.count <= 0) return;
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < strip.count; ++i) {
        glVertex2f(strip.rightX[i], strip.rightY[i]);
        glVertex2f(strip.leftX[i], strip.leftY[i]);
    }
    glEnd();
}

void drawCursorSwath(const SurveyPlan& plan) {
    SwathStrip strip;
    if (!plan.cursorSwathStrip(strip)) return;
    glColor3f(0.0f, 1.0f, 0.0f);
    drawSwathStrip(strip);
}

}  // namespace tessarin
