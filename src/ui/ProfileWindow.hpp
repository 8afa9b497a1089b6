#pragma once
// The "Profile" window: the sea floor under the current leg or the whole
// plan against distance along the track, with the swath's port and
// starboard half-widths and the slope across the track below it. Hovering
// shows the values there and marks the point on the map; a click centres
// the map on it.

#include <cstddef>
#include <vector>

#include "design/DepthProfile.hpp"

namespace tessarin {

// At most about maxSamples samples standing for `samples`, for drawing: the
// GUI's draw lists hold 65,536 vertices, and a whole plan has hundreds of
// samples a leg. Neighbours of one leg are merged, each merged sample at the
// first one's distance with the shallowest floor, the narrowest port and
// starboard widths and the steepest slope of those it stands for, so what a
// planner must see is not thinned away. Each leg keeps its first and last
// sample while there is room.
std::vector<ProfileSample> thinnedSamples(const std::vector<ProfileSample>& samples, std::size_t maxSamples);

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
