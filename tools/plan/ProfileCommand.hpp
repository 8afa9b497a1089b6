#pragma once
// "tessarin-plan profile PLAN --out FILE.csv [--step METRES]": the depth
// profile along a plan, one CSV row per sample, written without the window.
// PLAN is a plan file or its "LL_" file, read as the planner's "Load plan"
// reads it, over the tiles and config.txt of the working folder.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tessarin {

class SurveyPlan;

// A plan loaded over the working folder's tiles with its swaths generated
// as after "Load plan". The planner's console lines go nowhere.
class CommandPlan {
public:
    CommandPlan();
    ~CommandPlan();
    // False with a one-line reason when the file cannot be read or holds no
    // waypoint.
    bool load(const std::string& path, std::string& error);
    SurveyPlan& plan();
    class TileStore& tiles();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

// args: everything after "profile". Returns the exit status: 0 written,
// 2 bad arguments or an unreadable plan, 1 the output could not be written.
// Messages go to err.
int runProfile(const std::vector<std::string>& args, std::ostream& err);

extern const char* const kProfileUsage;

}  // namespace tessarin
