#include "render/DesignOverlay.hpp"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>

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

void drawDesignPreview(const DesignPreview& preview) {
    glLineWidth(1.0f);
    glColor4f(0.4f, 0.9f, 1.0f, 0.8f);
    for (const std::vector<float>& o : preview.outlines) {
        if (o.size() < 6) continue;
        glBegin(GL_LINE_LOOP);
        for (std::size_t i = 0; i + 1 < o.size(); i += 2) glVertex2f(o[i], o[i + 1]);
        glEnd();
    }
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0x0F0F);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    for (const DesignPreview::Line& l : preview.lines) {
        if (l.crossline) {
            glColor3f(1.0f, 0.6f, 0.1f);
        } else {
            glColor3f(1.0f, 0.2f, 0.9f);
        }
        glVertex2f(l.ax, l.ay);
        glVertex2f(l.bx, l.by);
    }
    glEnd();
    glDisable(GL_LINE_STIPPLE);
    glLineWidth(1.0f);
}

}  // namespace tessarin
