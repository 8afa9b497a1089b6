#pragma once
// "tessarin-plan lines PLAN --out FILE.csv": the plan's legs in sailing
// order, one CSV row each, as the "Lines" window lists them.

#include <ostream>
#include <string>
#include <vector>

namespace tessarin {

// args: everything after "lines". Exit status as runProfile's.
int runLines(const std::vector<std::string>& args, std::ostream& err);

extern const char* const kLinesUsage;

}  // namespace tessarin
