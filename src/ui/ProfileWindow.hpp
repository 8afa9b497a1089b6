#pragma once
// The "Profile" window: the sea floor under the current leg or the whole
// plan against distance along the track, with the swath's port and
// starboard half-widths and the slope across the track below it. Hovering
// shows the values there and marks the point on the map; a click centres
// the map on it.

namespace tessarin {

struct AppState;
class PlannerState;
class ProfileCache;

class ProfileWindow {
public:
    // Draws the window while app.showProfile; the cache must be up to date.
    void draw(AppState& app, PlannerState& planner, const ProfileCache& cache);

private:
    bool wholePlan_ = false;
    int unit_ = 0;  // 0 km, 1 nautical miles
    bool firstShow_ = true;
};

}  // namespace tessarin
