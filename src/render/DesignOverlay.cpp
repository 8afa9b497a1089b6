#include "render/DesignOverlay.hpp"

#include <GL/gl.h>

#include <algorithm>

#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

void diamond(float x, float y, float r) {
    glBegin(GL_LINE_LOOP);
    glVertex2f(x - r, y);
    glVertex2f(x, y + r);
    glVertex2f(x + r, y);
    glVertex2f(x, y - r);
    glEnd();
}

}  // namespace

void drawProfileMark(float x, float y, float scale) {
    glLineWidth(2.0f);
    glColor3f(1.0f, 0.9f, 0.1f);
    diamond(x, y, 1.4f / scale);
    diamond(x, y, 0.4f / scale);
}

void drawLegHighlight(const SurveyPlan& plan, int leg) {
    const Waypoint* w = plan.first();
    for (int i = 0; w && i < leg; ++i) w = w->next;
    if (leg < 0 || !w || !w->next) return;
    const int n = std::clamp(w->sampleCount, 0, Waypoint::kMaxSamples);
    glLineWidth(3.0f);
    glColor3f(1.0f, 0.9f, 0.1f);
    if (n > 0) {
        // Starboard edge out, port edge back: one closed outline.
        glBegin(GL_LINE_LOOP);
        for (int i = 0; i < n; ++i) glVertex2f(w->rightX[i], w->rightY[i]);
        for (int i = n - 1; i >= 0; --i) glVertex2f(w->leftX[i], w->leftY[i]);
        glEnd();
    }
    glBegin(GL_LINES);
    glVertex2d(w->lon, w->y);
    glVertex2d(w->next->lon, w->next->y);
    glEnd();
    glLineWidth(1.0f);
}

}  // namespace tessarin
