#pragma once
// When the areas of a shown statistics window are recomputed after the plan
// changes: not at every edit (a capture of a large plan takes a while and a
// drag edits the plan every frame) but once the plan has stayed unchanged
// for a moment. The plan is compared by a fingerprint of what the areas
// depend on: the waypoints' positions and depth multipliers and the swaths.

#include <cstdint>

#include "plan/PlanFingerprint.hpp"

namespace tessarin {

class StatsFreshness {
public:
    static constexpr double kSettleSeconds = 0.5;

    // Called every frame the areas are shown, with the plan's fingerprint
    // now, the one the areas were computed for and a clock in seconds.
    // True when the areas should be recomputed now: the plan differs from
    // theirs and has not changed for kSettleSeconds.
    bool due(std::uint64_t planNow, std::uint64_t computedFor, double nowSeconds);
    // The areas shown belong to another plan than the one on the map.
    static bool updating(std::uint64_t planNow, std::uint64_t computedFor) { return planNow != computedFor; }

private:
    std::uint64_t seen_ = 0;
    bool seenAny_ = false;
    double changedAt_ = 0.0;
};

}  // namespace tessarin
