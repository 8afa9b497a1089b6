#include "transit/PathOverlap.hpp"

#include <cmath>
#include <cstdint>

#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "plan/Waypoint.hpp"

namespace tessarin {

namespace {

constexpr int kSteps = 100;
// A coverage byte above this counts as mapped. Plan, overlap and pass bits
// together make 0x31 = 49, so only the reference bit (0x40) lifts a byte
// over it: the diagnostic measures abutment to the reference coverage.
constexpr std::uint16_t kMappedAbove = 50;
// Mapped floor reaching in from an edge by fewer steps than this abuts well.
constexpr int kGoodReach = 20;

// The latitude constants the diagnostic has always used; they differ from
// latitudeFromMapY in the last digits only.
double latitudeOfY(double y) {
    return (std::atan(std::exp(y / 60.0)) - 0.7853981633974475) * 360.0 / 3.14159265358979;
}

}  // namespace

float legAbutFraction(const Waypoint& leg, const TileStore& tiles, std::ostream& out, AbutProfile* profile) {
    int processed = 0;
    int goodRight = 0;
    int goodLeft = 0;
    if (profile) {
        profile->right.clear();
        profile->left.clear();
    }
    const int samples = leg.sampleCount < Waypoint::kMaxSamples ? leg.sampleCount : Waypoint::kMaxSamples;
    for (int s = 0; s < samples; s += 2) {
        int lowest = -1;
        int highest = -1;
        const double x0 = leg.rightX[s], y0 = leg.rightY[s];
        const double dx = leg.leftX[s] - x0, dy = leg.leftY[s] - y0;
        for (int i = 0; i <= kSteps; ++i) {
            const double t = i / static_cast<double>(kSteps);
            const double x = x0 + t * dx;
            const double y = y0 + t * dy;
            std::uint16_t value = 0;
            if (tiles.getCoverage(x, latitudeOfY(y), value) && value > kMappedAbove) {
                if (lowest < 0) lowest = i;
                highest = i;
            }
        }
        const int right = highest;
        const int left = lowest < 0 ? -1 : kSteps - lowest;
        if (profile) {
            profile->right.push_back(right);
            profile->left.push_back(left);
        }
        if (right > 0 && right < kGoodReach) ++goodRight;
        if (left > 0 && left < kGoodReach) ++goodLeft;
        ++processed;
    }
    // A leg without samples (a zero-length leg, or swaths not generated)
    // would divide by zero; it abuts nothing.
    const float n = processed > 0 ? static_cast<float>(processed) : 1.0f;
    out << "Percent good R " << static_cast<float>(goodRight) * 100.0f / n << "\n";
    out << "Percent good L " << static_cast<float>(goodLeft) * 100.0f / n << "\n";
    if (processed == 0) return 0.0f;
    return goodLeft > goodRight ? static_cast<float>(goodLeft) / n : static_cast<float>(goodRight) / n;
}

void reportPathOverlap(const SurveyPlan& plan, const TileStore& tiles, std::ostream& out) {
    out << "-----------------------\n";
    float totalKm = 0.0f;
    float weighted = 0.0f;
    for (const Waypoint* w = plan.first(); w && w->next; w = w->next) {
        const float f = legAbutFraction(*w, tiles, out);
        out << "Len p " << w->lengthKm << " " << f << "\n";
        totalKm += w->lengthKm;
        weighted += w->lengthKm * f;
    }
    // An empty plan has no length to weigh by; its ratio is 0, not NaN.
    const float ratio = totalKm > 0.0f ? weighted / totalKm : 0.0f;
    out << "PATH OVERLAP " << totalKm << " " << weighted << " " << ratio << "\n";
}

}  // namespace tessarin
