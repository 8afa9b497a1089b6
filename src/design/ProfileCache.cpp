#include "design/ProfileCache.hpp"

#include "plan/PlanFingerprint.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

bool ProfileCache::refresh(const SurveyPlan& plan, TileStore& tiles) {
    const std::uint64_t now = planFingerprint(plan);
    if (valid_ && now == fingerprint_) return false;
    profile_ = planProfile(plan, tiles);
    lines_ = listLines(plan, profile_);
    fingerprint_ = now;
    valid_ = true;
    ++computations_;
    return true;
}

}  // namespace tessarin
