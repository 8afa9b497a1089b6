#pragma once
// The frame (GLUT display and idle callback), the map pass and reshape, and
// the projections the frame leaves for others (the globe projection of the
// busy screen, the pixel projection of coverage captures).
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include "render/BitmapText.hpp"
#include "render/SceneRenderer.hpp"

namespace tessarin {

struct AppState;
struct Application;
class PlannerState;

// The GUI windows a frame builds between starting and rendering the GUI
// frame. Every call happens inside a GUI frame.
class FrameWindows {
public:
    virtual ~FrameWindows() = default;
    virtual void buildMainMenu() = 0;
    // Longitude already brought above -180; speed and multiplier are 5.0 for
    // a polygon vertex.
    virtual void buildPointEditor(double lat, double lon, float speed, float depthMultiplier) = 0;
    virtual void buildStatsWindow() = 0;
    // The design windows that are shown (profile, line list).
    virtual void buildDesignWindows() {}
    // Inside the map transform, after the plan: what the windows show on the
    // map (a design preview).
    virtual void drawMapOverlays() {}
    // After the frame has been shown, outside the GUI frame: work that may
    // block or run GUI frames of its own (file choosers).
    virtual void finishFrame() {}
};

class FrameCycle {
public:
    FrameCycle(AppState& app, PlannerState& planner, TextPainter& text);

    // One whole frame: GUI frame, windows, map pass, GUI render, swap.
    // Needs the GUI context and its two back-ends.
    void frame();
    // The map pass: clears the window and draws the map scene in the view of
    // the AppState, then leaves the globe projection, blending and depth test
    // on, and the modulate texture environment.
    void drawScene();
    void reshape(int width, int height);

    void setWindows(FrameWindows* windows) { windows_ = windows; }
    SceneRenderer& scene() { return scene_; }

private:
    // The point editor is shown while a waypoint or polygon vertex is picked.
    void buildPointEditor();

    AppState& app_;
    PlannerState& planner_;
    SceneRenderer scene_;
    FrameWindows* windows_ = nullptr;
};

// Perspective projection of the globe over the whole window; selects the
// model-view matrix without resetting it.
void setGlobeProjection(const AppState& app);
// Orthographic projection over the window in pixels (origin bottom-left);
// selects the model-view matrix without resetting it.
void setPixelProjection(const AppState& app);

// The planner parts the scene draws.
SceneSources sceneSourcesOf(const PlannerState& planner);

// The shell's GLUT callbacks.
void frame(Application& a);
void reshape(Application& a, int width, int height);

}  // namespace tessarin
