// The lat/lon file a plan save writes beside the plan file.

#include "PlanFuzzWorld.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessarin::fuzz::loadPlanInput("LL_plan.csv", data, size);
    return 0;
}
