#pragma once
// How much sea floor a plan maps: a capture of the plan's swaths on the map
// plane in 2-unit blocks of 240 pixels a unit, each pixel weighted by its
// ground area on the sphere. A pixel's green byte is 127 or 128 under one
// swath drawn at alpha 0.5 over black and about 191 under two; the coverage
// byte under the pixel's centre (reference bit 0x40, plan bit 0x20) is read
// from the tile that holds it, so the figures do not depend on which tiles
// were resident before or on where the view stands. The tiles under the
// swaths are made resident group by group, a group never larger than the
// ring, so a plan over more cells than the ring holds is counted whole.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees).
// Areas are square kilometres.

#include <cstdint>
#include <ostream>

#include "coverage/CaptureTarget.hpp"
#include "earth/ProgressSink.hpp"

namespace tessarin {

class SurveyPlan;
class TileStore;

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

// Ground area in km2 of one capture pixel 1/240 degree of longitude wide
// between map-plane y values yBottom and yTop, on a sphere on which a degree
// of arc is 111.112 km.
double pixelAreaKm2(double yBottom, double yTop);

// Capture box of the whole plan in whole map units (left/right in x,
// bottom/top in y), all zero without waypoints; prints the "Deg 2 Bounds"
// line when there is a box.
void statsCaptureBox(const SurveyPlan& plan, std::ostream& out, int& left, int& right, int& bottom, int& top);

// Captures the plan's swaths block by block through target (blocks no swath
// reaches are neither drawn nor counted), reads the coverage bytes under
// them from tiles (loading the cells as needed, at most groupCells at once,
// one progress step a group), prints the capture lines and areas, and
// returns the areas.
PlanStatistics computePlanStatistics(CaptureTarget* target, const SurveyPlan& plan, TileStore& tiles,
                                     ProgressSink& progress, std::ostream& out, int groupCells = 16);

}  // namespace tessarin
