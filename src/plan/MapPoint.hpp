#pragma once
// The marker every waypoint and polygon vertex owns: a map-plane position
// (x = longitude in degrees, y = mapY(latitude)), a highlight state and a
// colour.

namespace tessarin {

struct MapPoint {
    static constexpr int kNormal = 1;
    static constexpr int kHighlighted = 2;

    double x = 0.0;
    double y = 0.0;
    int state = kNormal;
    float colour[3] = {1.0f, 0.1f, 0.2f};

    MapPoint() = default;
    MapPoint(double px, double py) : x(px), y(py) {}

    void highlight() { state = kHighlighted; }
    void unhighlight() { state = kNormal; }
    void setPosition(double px, double py) {
        x = px;
        y = py;
    }

    // True when (px, py) lies in the box of half-width tol around the point,
    // border included. The bounds are rounded to single precision, as the
    // pick tolerance was calibrated that way. A hit highlights, a miss
    // unhighlights.
    bool hitTest(float px, float py, float tol) {
        const bool hit = static_cast<float>(x - tol) <= px && px <= static_cast<float>(x + tol) &&
                         static_cast<float>(y - tol) <= py && py <= static_cast<float>(y + tol);
        state = hit ? kHighlighted : kNormal;
        return hit;
    }
};

}  // namespace tessarin
