#pragma once
// One survey plan over an empty tile store for the plan-file targets: every
// input is loaded into a cleared plan.

#include <cmath>
#include <sstream>

#include "FuzzFiles.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin::fuzz {

inline void loadPlanInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    static std::ostringstream out;
    static NullTextureSink sink;
    static TileStore tiles(out, sink, scratchFolder());
    static SurveyPlan plan(tiles, out, 4.0f, 4.42f, 9.0f, scratchFolder() + "none.txt");
    out.str("");
    plan.clearPlan();
    const std::string path = writeFile(name, data, size);
    float meanLat = 0.0f, meanLon = 0.0f;
    const int added = loadPlan(plan, path, meanLat, meanLon);
    int listed = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++listed) {
        require(std::isfinite(w->lat) && std::isfinite(w->lon) && std::isfinite(w->y), "waypoint finite");
        require(!w->next || w->next->prev == w, "list linked both ways");
    }
    require(added <= 0 || listed == added, "every waypoint counted is in the plan");
    if (added > 0) require(std::isfinite(meanLat) && std::isfinite(meanLon), "means finite");
}

}  // namespace tessarin::fuzz
