#include "render/MapView.hpp"

#include <GL/gl.h>

namespace tessarin {

void applyMapTransform(const ViewRecord& s) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-950.0, 950.0, -475.0, 475.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glScalef(1.0f, s.aspect, 1.0f);
    glScalef(s.zoom, s.zoom, 1.0f);
    glTranslatef(-s.viewCentreLon, -s.viewCentreY, 0.0f);
}

void applyPixelTransform(const ViewRecord& s) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, s.windowWidth, 0.0, s.windowHeight, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace tessarin
