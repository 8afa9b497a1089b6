// config.txt: the word reader on the bytes as a stream, then the same bytes
// through the file path the planner opens.

#include <cmath>
#include <sstream>

#include "FuzzFiles.hpp"
#include "plan/Configuration.hpp"

using namespace tessarin;

namespace {

void checkValues(const Configuration& c) {
    fuzz::require(std::isfinite(c.boatSpeed) && c.boatSpeed > 0.0f, "boat speed finite and positive");
    fuzz::require(std::isfinite(c.turnRate) && c.turnRate > 0.0f, "turn rate finite and positive");
    fuzz::require(std::isfinite(c.depthMultiplier) && std::isfinite(c.fillOverlap) &&
                      std::isfinite(c.edgeOverlap) && std::isfinite(c.dayRate),
                  "numeric values finite");
    fuzz::require(c.extinctionTable.size() <= Configuration::kMaxFileName, "extinction file name within 99");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::istringstream in(text);
        std::ostringstream out;
        Configuration config;
        readConfiguration(in, out, config);
        checkValues(config);
    }
    {
        const std::string path = fuzz::writeFile("config.txt", text);
        std::ostringstream out;
        Configuration config;
        // A refused file (not text) leaves every default.
        if (!loadConfiguration(path, out, config)) {
            const Configuration defaults;
            fuzz::require(config.boatSpeed == defaults.boatSpeed && config.turnRate == defaults.turnRate &&
                              config.extinctionTable == defaults.extinctionTable,
                          "a refused config.txt keeps the defaults");
        }
        checkValues(config);
    }
    return 0;
}
