#include "coverage/StatsFreshness.hpp"

namespace tessarin {

bool StatsFreshness::due(std::uint64_t planNow, std::uint64_t computedFor, double nowSeconds) {
    if (!seenAny_ || planNow != seen_) {
        seen_ = planNow;
        seenAny_ = true;
        changedAt_ = nowSeconds;
        return false;
    }
    if (planNow == computedFor) return false;
    return nowSeconds - changedAt_ >= kSettleSeconds;
}

}  // namespace tessarin
