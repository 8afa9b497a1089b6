#pragma once
// One waypoint of the survey plan and the leg that starts at it.
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).

#include <memory>

#include "plan/MapPoint.hpp"

namespace tessarin {

struct Waypoint {
    static constexpr int kMaxSamples = 400;

    Waypoint* next = nullptr;
    Waypoint* prev = nullptr;
    double lat = 0.0;   // degrees
    double lon = 0.0;   // degrees, also map-plane x
    double y = 0.0;     // map-plane y of lat
    std::unique_ptr<MapPoint> marker;
    // Unit starboard normal of the leg in the map plane.
    double normalX = 0.0;
    double normalY = 0.0;
    // Swath edges and reaches per sample, map units.
    float rightX[kMaxSamples] = {};
    float rightY[kMaxSamples] = {};
    float leftX[kMaxSamples] = {};
    float leftY[kMaxSamples] = {};
    float rightReach[kMaxSamples] = {};
    float leftReach[kMaxSamples] = {};
    float lengthKm = 0.0f;
    float lengthNm = 0.0f;
    float areaKm2 = 0.0f;
    int sampleCount = 0;
    float speed = 0.0f;            // knots
    float depthMultiplier = 0.0f;
    double turnCentreX = 0.0;
    double turnCentreY = 0.0;
    double turnRadius = 0.0;       // signed, map units
    double turnEntryX = 0.0;
    double turnEntryY = 0.0;
    double turnDirection = 0.0;    // +1 port (anticlockwise), -1 starboard
    double legStartX = 0.0;
    double legStartY = 0.0;
    // The straight part as the last swath pass sampled it: sample i (below
    // straightSamples) was taken at (trackX[i], trackY[i]) over a floor at
    // trackElevation[i] metres; the samples after those belong to the turn.
    int straightSamples = 0;
    float trackX[kMaxSamples] = {};
    float trackY[kMaxSamples] = {};
    float trackElevation[kMaxSamples] = {};
};

}  // namespace tessarin
