#include "plan/PlanFingerprint.hpp"

#include <cstring>

#include "plan/SurveyPlan.hpp"

namespace tessarin {
namespace {

// FNV-1a over the bytes of the values.
struct Hash {
    std::uint64_t h = 1469598103934665603ull;
    template <typename T>
    void add(const T& v) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &v, sizeof(T));
        for (unsigned char b : bytes) {
            h ^= b;
            h *= 1099511628211ull;
        }
    }
};

}  // namespace

std::uint64_t planFingerprint(const SurveyPlan& plan) {
    Hash hash;
    int count = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next) {
        ++count;
        hash.add(w->lon);
        hash.add(w->y);
        hash.add(w->lat);
        hash.add(w->speed);
        hash.add(w->depthMultiplier);
        hash.add(w->sampleCount);
        hash.add(w->straightSamples);
        hash.add(w->lengthKm);
        hash.add(w->areaKm2);
        hash.add(w->normalX);
        hash.add(w->normalY);
        // The swath's ends: a change of depth data or turns shows there even
        // where the waypoints stay put.
        if (w->sampleCount > 0 && w->sampleCount <= Waypoint::kMaxSamples) {
            const int last = w->sampleCount - 1;
            hash.add(w->rightReach[0]);
            hash.add(w->leftReach[0]);
            hash.add(w->rightX[0]);
            hash.add(w->rightY[0]);
            hash.add(w->leftX[last]);
            hash.add(w->leftY[last]);
        }
    }
    hash.add(count);
    return hash.h;
}

}  // namespace tessarin
