#pragma once
// The whole-plan depth profile and line list, recomputed only when the plan
// has changed since they were last asked for. A change is seen through a
// fingerprint of the waypoints and their swaths, so no editing path has to
// report it, and asking every frame costs one pass over the waypoints.

#include <cstdint>
#include <vector>

#include "design/DepthProfile.hpp"
#include "design/LineList.hpp"
#include "plan/PlanFingerprint.hpp"

namespace tessarin {

class SurveyPlan;
class TileStore;

class ProfileCache {
public:
    // Brings the profile and lines up to date with plan; true when they were
    // recomputed.
    bool refresh(const SurveyPlan& plan, TileStore& tiles);

    const DepthProfile& profile() const { return profile_; }
    const std::vector<LineRow>& lines() const { return lines_; }
    // How many times the profile has been computed.
    int computations() const { return computations_; }

private:
    bool valid_ = false;
    std::uint64_t fingerprint_ = 0;
    DepthProfile profile_;
    std::vector<LineRow> lines_;
    int computations_ = 0;
};

}  // namespace tessarin
