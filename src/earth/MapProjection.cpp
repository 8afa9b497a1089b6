#include "earth/MapProjection.hpp"

#include <cmath>

namespace tessarin {

double mapY(double latDeg) {
    return 60.0 * std::log(std::tan(latDeg * kPi / 360.0 + kQuarterPi));
}

double latitudeFromMapY(double mapYUnits) {
    return (std::atan(std::exp(mapYUnits / 60.0)) - kQuarterPi) * 360.0 / kPi;
}

MapYTable::MapYTable() {
    for (int j = 0; j < kSize; ++j) {
        values[j] = static_cast<float>(mapY(j * 0.1 - 72.0));
    }
}

}  // namespace tessarin
