#include "transit/GreatCircle.hpp"

#include <cmath>

namespace tessarin {

float gcInterpolate(double lon1, double lon2, double lat1, double lat2, double f, double& lon, double& lat) {
    const double k = kGcRadiansPerDegree;
    const double sinHalfLon = std::sin((lon2 - lon1) * k / 2.0);
    const double sinHalfLat = std::sin((lat2 - lat1) * k / 2.0);
    const double a =
        std::cos(lat1 * k) * std::cos(lat2 * k) * sinHalfLon * sinHalfLon + sinHalfLat * sinHalfLat;
    const double d = 2.0 * std::atan2(std::sqrt(a), std::sqrt(1.0 - a));
    const double sinD = std::sin(d);
    if (d == 0.0 || sinD == 0.0) {
        lon = lon1;
        lat = lat1;
        return 0.0f;
    }
    const double weightStart = std::sin((1.0 - f) * d) / sinD;
    const double weightEnd = std::sin(f * d) / sinD;
    const double x = weightStart * std::cos(lat1 * k) * std::cos(lon1 * k) +
                     weightEnd * std::cos(lat2 * k) * std::cos(lon2 * k);
    const double y = weightStart * std::cos(lat1 * k) * std::sin(lon1 * k) +
                     weightEnd * std::cos(lat2 * k) * std::sin(lon2 * k);
    const double z = weightStart * std::sin(lat1 * k) + weightEnd * std::sin(lat2 * k);
    lat = std::atan2(z, std::sqrt(x * x + y * y)) / k;
    lon = std::atan2(y, x) / k;
    return static_cast<float>(d / k);
}

}  // namespace tessarin
