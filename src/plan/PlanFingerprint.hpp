#pragma once
// A fingerprint of the plan as drawn and measured: the waypoints in order,
// their speeds and depth multipliers, and what the last swath pass gave each
// leg. Views that keep results derived from the plan (statistics, the depth
// profile) compare it to see a change without every editing path reporting
// one.

#include <cstdint>

namespace tessarin {

class SurveyPlan;

// Equal for plans with the same waypoints and swaths; differs (but for hash
// collisions) after any move, insertion, deletion, reordering, speed or
// multiplier change, or a swath pass that gives a leg other samples, length
// or area.
std::uint64_t planFingerprint(const SurveyPlan& plan);

}  // namespace tessarin
