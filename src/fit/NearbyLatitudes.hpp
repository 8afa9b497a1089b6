#pragma once
// The fits read coverage at (float)latitudeFromMapY(y) for many points close
// to one station. Near the station the latitude follows a short expansion
// whose error is known; where the whole error band rounds to one float, that
// float is the one latitudeFromMapY would give (rounding to float keeps
// order), and only the rare point whose band straddles two floats pays for
// latitudeFromMapY itself. The answer is always exactly the float of
// latitudeFromMapY.

#include <cmath>

#include "earth/MapProjection.hpp"

namespace tessarin {

class NearbyLatitudes {
public:
    // Around map-plane y, whose latitude is latAtY (latitudeFromMapY(y), or
    // any value within 1e-12 degrees of it).
    NearbyLatitudes(double y, double latAtY) : y_(y), lat_(latAtY) {
        // lat(y) = (atan(e) - pi/4) * 360 / pi with e = exp(y / 60):
        // lat' = 6 / pi * e / (1 + e^2), lat'' = 0.1 / pi * e (1 - e^2) / (1 + e^2)^2.
        const double e = std::exp(y / 60.0);
        const double q = 1.0 + e * e;
        d1_ = 6.0 / kPi * e / q;
        halfD2_ = 0.05 / kPi * e * (1.0 - e * e) / (q * q);
    }
    explicit NearbyLatitudes(double y) : NearbyLatitudes(y, latitudeFromMapY(y)) {}

    float at(double qy) const {
        const double dy = qy - y_;
        const double lat = lat_ + dy * (d1_ + dy * halfD2_);
        // |lat'''| <= (6 / pi) / 7200, so the remainder is at most
        // 4.5e-5 |dy|^3; the rest covers the rounding of both sides, far
        // below 1e-9 degrees.
        const double err = 4.5e-5 * std::fabs(dy * dy * dy) + 1e-9;
        const float lo = static_cast<float>(lat - err);
        if (lo == static_cast<float>(lat + err) && std::fabs(dy) < 2.0) return lo;
        return static_cast<float>(latitudeFromMapY(qy));
    }

private:
    double y_;
    double lat_;
    double d1_;
    double halfD2_;
};

// The same interface answering from latitudeFromMapY every time: the
// searches' reference path.
struct ExactLatitudes {
    ExactLatitudes(double, double) {}
    explicit ExactLatitudes(double) {}
    float at(double qy) const { return static_cast<float>(latitudeFromMapY(qy)); }
};

}  // namespace tessarin
