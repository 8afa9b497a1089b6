#include "app/FrameCycle.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include "app/AppState.hpp"
#include "app/Application.hpp"
#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "plan/SurveyPlan.hpp"
#include "render/DesignOverlay.hpp"
#include "render/MapView.hpp"

namespace tessarin {

FrameCycle::FrameCycle(AppState& app, PlannerState& planner, TextPainter& text)
    : app_(app), planner_(planner), scene_(sceneSourcesOf(planner), text) {}

SceneSources sceneSourcesOf(const PlannerState& planner) {
    return SceneSources{planner.tiles,   planner.mapYTable, planner.plan, planner.polygon,
                        planner.transit, planner.pickLon,   planner.pickY};
}

void FrameCycle::frame() {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();  // also starts the GUI library's frame

    if (windows_ != nullptr) windows_->buildMainMenu();
    buildPointEditor();
    if (app_.showStats && windows_ != nullptr) windows_->buildStatsWindow();
    if (windows_ != nullptr) windows_->buildDesignWindows();

    // Pictures of cells loaded without waiting for them, on this (the GL)
    // thread, before the map is drawn.
    planner_.tiles.uploadReadyPictures();
    drawScene();

    ImGui::Render();
    const ImGuiIO& io = ImGui::GetIO();
    glViewport(0, 0, static_cast<GLsizei>(io.DisplaySize.x), static_cast<GLsizei>(io.DisplaySize.y));
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();

    if (windows_ != nullptr) windows_->finishFrame();
}

void FrameCycle::buildPointEditor() {
    if (windows_ == nullptr) return;
    double lat = 0.0, lon = 0.0;
    float speed = 5.0f, multiplier = 5.0f;
    bool shown = false;
    if (app_.editMode == PickWaypoint) {
        shown = planner_.plan->getCurrent(lat, lon, speed, multiplier);
    } else if (app_.editMode == PickPolygonPoint) {
        shown = planner_.polygon->currentVertex(lat, lon);
    }
    if (!shown) return;
    if (lon < -180.0) lon += 360.0;
    windows_->buildPointEditor(lat, lon, speed, multiplier);
}

void FrameCycle::drawScene() {
    if (app_.statsDirty) {
        planner_.computePlanStatistics();
        app_.statsDirty = false;
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    // The GUI pass restores the blend function it found; setting it here
    // makes the first frame blend like every later one.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    applyMapTransform(app_);

    // The graticule is drawn first with the depth test on, so the pictures
    // at the same depth leave its lines visible.
    scene_.drawGraticule();
    scene_.drawOverviewPictures();

    glDisable(GL_DEPTH_TEST);
    scene_.drawTilePictures(app_.viewCentreY, app_.viewCentreLon, app_.showCoverage);
    if (app_.showCoverage) scene_.drawCoverageDots(app_.viewCentreY, app_.viewCentreLon);
    scene_.drawPlanAndPolygon(app_.zoom, true);
    if (app_.showLines && app_.selectedLeg >= 0) drawLegHighlight(*planner_.plan, app_.selectedLeg);
    if (windows_ != nullptr) windows_->drawMapOverlays();
    if (app_.profileMarkShown) drawProfileMark(app_.profileMarkLon, app_.profileMarkY, app_.zoom / 40.0f);
    scene_.drawPickMarker(app_.zoom / 40.0f);
    scene_.drawTransitOverlay(app_.zoom / 40.0f);
    scene_.drawCursorReadout(app_.cursorLat, app_.cursorLon, app_.cursorElevation);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();

    glEnable(GL_BLEND);
    setGlobeProjection(app_);
    glEnable(GL_DEPTH_TEST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void FrameCycle::reshape(int width, int height) {
    ImGui_ImplGLUT_ReshapeFunc(width, height);
    applyWindowSize(app_, width, height);
    glViewport(0, 0, width, height);
    planner_.windowWidth = width;
    planner_.windowHeight = height;
}

void setGlobeProjection(const AppState& app) {
    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, app.windowWidth, app.windowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-9.2, 26.8, -9.0, 9.0, 100.0, 2000.0);
    glTranslatef(0.0f, 0.0f, -113.0f);
    glMatrixMode(GL_MODELVIEW);
}

void setPixelProjection(const AppState& app) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, app.windowWidth, 0.0, app.windowHeight, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
}

void frame(Application& a) { a.frames->frame(); }

void reshape(Application& a, int width, int height) { a.frames->reshape(width, height); }

}  // namespace tessarin
