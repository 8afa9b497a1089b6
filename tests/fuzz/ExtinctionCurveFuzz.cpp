// The extinction-curve table file.

#include <cmath>
#include <sstream>

#include "FuzzFiles.hpp"
#include "plan/ExtinctionCurve.hpp"

using namespace tessarin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::writeFile("EMdefault.txt", data, size);
    static ExtinctionCurve curve;
    std::ostringstream out;
    fuzz::require(loadExtinctionCurve(curve, path, 4.0f, out), "an existing curve file opens");
    // Every cell is a multiplier the swath code can use, and every depth
    // reads one without leaving the table.
    for (float v : curve.table) fuzz::require(std::isfinite(v), "every cell finite");
    for (float elevation : {-1.0e9f, -20000.0f, -10990.0f, -5.0f, 0.0f, 3999.0f, 4000.0f, 1.0e9f, NAN, INFINITY})
        fuzz::require(std::isfinite(curve.swathMultiplierAt(elevation)), "every lookup finite");
    return 0;
}
