#pragma once
// The texts that present a plan's statistics: the lines of the "Plan Stats"
// window and the report file written beside a saved plan. Every value is
// narrowed to single precision before it is formatted.

#include <ostream>
#include <string>
#include <vector>

#include "coverage/PlanCost.hpp"
#include "coverage/PlanStatistics.hpp"

namespace tessarin {

// Shown under the time when a leg has no speed (its time is not counted).
inline constexpr const char* kLegWithoutSpeedLine = "The plan has a leg without speed: its time is not counted\n";

// Shown under the areas while they belong to the plan as it was before an edit.
inline constexpr const char* kAreasUpdatingLine = "areas updating\n";

// The window's text items in order, each as drawn (line ends included).
std::vector<std::string> planStatsWindowLines(const PlanStatistics& stats, const PlanTotals& totals, float dayRate,
                                              bool areasUpdating = false);

// The report file's text.
std::string planReportText(const PlanStatistics& stats, const PlanTotals& totals, float dayRate);

// Writes the report to path through a file that replaces path only once it
// is complete. False, with a line on out, when it cannot be written; an
// earlier report at path is then left as it was.
bool writeReport(const std::string& path, const PlanStatistics& stats, const PlanTotals& totals, float dayRate,
                 std::ostream& out);

}  // namespace tessarin
