// The plan file (header line, then lon, lat, map-plane y and leg columns).

#include "PlanFuzzWorld.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessarin::fuzz::loadPlanInput("plan.csv", data, size);
    return 0;
}
