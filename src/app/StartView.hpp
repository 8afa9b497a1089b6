#pragma once
// The view the planner opens with, from the command line:
//   --view LON LAT ZOOM   centre longitude and latitude (degrees) and zoom.
// Without it the view starts at the AppState defaults.

#include <string>

namespace tessarin {

struct AppState;

struct StartView {
    bool given = false;
    float lon = 0.0f;   // degrees
    float lat = 0.0f;   // degrees
    float zoom = 0.0f;  // map magnification
};

// Finds "--view LON LAT ZOOM" in argv and removes it, so the window system
// sees only its own options. False, with a message in error, when the
// option's values are missing, not numbers, or out of range.
bool takeStartView(int& argc, char** argv, StartView& view, std::string& error);

// Centres the view (and the pan start) on the start view, if one was given.
void applyStartView(const StartView& view, AppState& app);

}  // namespace tessarin
