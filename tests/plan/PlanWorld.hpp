#pragma once
// A survey plan over a tile store rooted in a fresh temporary folder, with
// the console captured. Tiles written into dir before the first lookup are
// read from there; cells without a tile answer the no-data elevation 5 m.

#include <memory>
#include <sstream>
#include <string>

#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"

namespace tessarin::test {

struct PlanWorld {
    TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    TileStore tiles{out, sink, dir.path()};
    std::unique_ptr<SurveyPlan> plan;

    // Builds the plan; the extinction file is looked up inside dir (a missing
    // one gives the flat curve at depthMultiplier).
    SurveyPlan& build(float depthMultiplier = 4.0f, float turnRadiusMetres = 4.42f, float boatSpeed = 9.0f,
                      const std::string& extinctionFile = "none.txt") {
        plan = std::make_unique<SurveyPlan>(tiles, out, depthMultiplier, turnRadiusMetres, boatSpeed,
                                            dir.file(extinctionFile));
        return *plan;
    }

    std::string takeOutput() {
        std::string s = out.str();
        out.str("");
        return s;
    }
};

}  // namespace tessarin::test
