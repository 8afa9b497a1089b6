#include "coverage/PlanStatistics.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

constexpr std::uint8_t kReferenceBit = 0x40;
constexpr std::uint8_t kPlanBit = 0x20;
constexpr std::uint8_t kUnderOneSwath = 10;
constexpr std::uint8_t kUnderTwoSwaths = 150;
constexpr int kPixelsPerUnit = 240;
constexpr int kBlock = 480;
// The on-screen method drew each block this many times before its read.
constexpr int kRepeats = 20;

// 2 * trunc((v + offset) / 2) - offset, with bounds far off the map (a plan
// file can hold any number) clamped so the conversion is defined and the
// block loops stay bounded.
int evenBelow(double v, double offset) {
    if (!(v == v)) v = 0.0;
    v = std::clamp(v, -1000.0, 1000.0);
    return 2 * static_cast<int>((v + offset) / 2.0) - static_cast<int>(offset);
}

}  // namespace

void StatsTally::addBlock(const std::uint8_t* rgb, int size, int pixelsPerUnit, double y) {
    for (int m = 0; m < size; ++m) {
        const double lat = latitudeFromMapY(static_cast<double>(m) / pixelsPerUnit + y);
        // The constant as the area rule was set: 3.141592.
        const double c = std::cos(lat * 3.141592 / 180.0);
        const double w = c * c;
        const std::uint8_t* px = rgb + static_cast<std::size_t>(m) * size * 3;
        for (int k = 0; k < size; ++k, px += 3) {
            const std::uint8_t r = px[0], g = px[1];
            if (r & kReferenceBit) {
                refSim += w;
            } else if (r & kPlanBit) {
                newSim += w;
            }
            if (g > kUnderOneSwath) {
                ++greenPixels;
                total += w;
                if (r & kReferenceBit) reference += w;
            }
            if (g > kUnderTwoSwaths) self += w;
        }
    }
}

void statsCaptureBox(const SurveyPlan& plan, std::ostream& out, int& left, int& right, int& bottom, int& top) {
    left = right = bottom = top = 0;
    double minX = 0.0, maxX = 0.0, minY = 0.0, maxY = 0.0;
    if (!plan.planBounds(minX, maxX, minY, maxY)) return;
    if (minX < 0.0) minX -= 2.0;
    left = evenBelow(minX, 180.0);
    right = evenBelow(maxX, 180.0) + 2;
    bottom = evenBelow(minY, 88.0);
    top = evenBelow(maxY, 88.0) + 2;
    out << "Deg 2 Bounds Left Right " << left << " " << right << " " << " Bottom Top " << bottom << " " << top
        << "\n";
}

PlanStatistics computePlanStatistics(CaptureTarget* target, const SurveyPlan& plan, const StatsView& view,
                                     std::ostream& out) {
    int left = 0, right = 0, bottom = 0, top = 0;
    statsCaptureBox(plan, out, left, right, bottom, top);
    out << "Capture L R " << left << " " << right << "   " << "B T " << bottom << " " << top << "\n";

    StatsTally tally;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kBlock) * kBlock * 3);
    for (int y = bottom; y < top; y += 2) {
        for (int x = left; x < right; x += 2) {
            if (!target || !target->captureStatsBlock(x, y, kPixelsPerUnit, kBlock, kRepeats, view, rgb.data())) {
                continue;
            }
            tally.addBlock(rgb.data(), kBlock, kPixelsPerUnit, y);
        }
    }
    out << "GREEN COUNT " << tally.greenPixels << "\n";

    PlanStatistics s;
    s.totalMappedArea = tally.total * kPixelAreaKm2;
    s.referenceOverlapArea = tally.reference * kPixelAreaKm2;
    s.selfOverlapArea = tally.self * kPixelAreaKm2;
    out << "AREA " << s.totalMappedArea << "sq km\n";
    out << "REMAPPED AREA " << s.referenceOverlapArea << "sq km\n";
    out << "MAPPED for first time " << s.newMapping() << "sq km\n";
    out << "AREA Self Overlap " << s.selfOverlapArea << "sq km " << "   " << s.selfOverlapPercent() << "%\n";
    out << "****GEBCO MAPPING SIM  " << tally.refSim * kPixelAreaKm2 << "\n";
    out << "****NEW MAPPING SIM  " << tally.newSim * kPixelAreaKm2 << "\n";
    return s;
}

}  // namespace tessarin
