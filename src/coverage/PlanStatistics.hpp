#pragma once
// How much sea floor a plan maps: a capture of the whole plan on the map
// plane in 2-unit blocks of 240 pixels a unit, each pixel weighted by
// cos^2(latitude) for the shrinking of the map plane towards the poles.
// A pixel's red byte is the coverage byte under it (reference bit 0x40, plan
// bit 0x20); its green byte is 127 or 128 under one swath drawn at alpha 0.5
// over black and about 191 under two.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).
// Areas are square kilometres.

#include <cstdint>
#include <ostream>

#include "coverage/CaptureTarget.hpp"

namespace tessarin {

class SurveyPlan;

struct PlanStatistics {
    double totalMappedArea = 0.0;       // under at least one swath
    double referenceOverlapArea = 0.0;  // part of it with the reference bit
    double selfOverlapArea = 0.0;       // under two or more swaths

    double newMapping() const { return totalMappedArea - referenceOverlapArea; }
    // Percent of the mapped area covered twice; 0 when nothing is mapped
    // (the quotient would be 0 / 0).
    double selfOverlapPercent() const {
        return totalMappedArea > 0.0 ? selfOverlapArea * 100.0 / totalMappedArea : 0.0;
    }
};

// Ground area of one capture pixel (1/240 degree square) at the equator:
// (111.112 / 240)^2 km2.
constexpr double kPixelAreaKm2 = (111.112 / 240.0) * (111.112 / 240.0);

// Weighted pixel sums of the statistics blocks.
struct StatsTally {
    double total = 0.0;      // green > 10
    double reference = 0.0;  // green > 10 and reference bit
    double self = 0.0;       // green > 150
    double refSim = 0.0;     // reference bit, swath or not
    double newSim = 0.0;     // plan bit without reference bit, swath or not
    long long greenPixels = 0;

    // Adds a size x size RGB block (row 0 at the bottom) whose lower-left
    // corner is map-plane y, at pixelsPerUnit pixels a map unit.
    void addBlock(const std::uint8_t* rgb, int size, int pixelsPerUnit, double y);
};

// Capture box of the whole plan in whole map units (left/right in x,
// bottom/top in y), all zero without waypoints; prints the "Deg 2 Bounds"
// line when there is a box.
void statsCaptureBox(const SurveyPlan& plan, std::ostream& out, int& left, int& right, int& bottom, int& top);

// Captures the plan block by block through target (blocks it cannot draw
// count nothing), prints the capture lines and areas, and returns the areas.
PlanStatistics computePlanStatistics(CaptureTarget* target, const SurveyPlan& plan, const StatsView& view,
                                     std::ostream& out);

}  // namespace tessarin
