#include "design/ProfileCache.hpp"

#include <cstring>

#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

// FNV-1a over the bytes of each value.
struct Fnv {
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
    Fnv f;
    int count = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++count) {
        f.add(w->lon);
        f.add(w->y);
        f.add(w->lat);
        f.add(w->speed);
        f.add(w->sampleCount);
        f.add(w->straightSamples);
        f.add(w->lengthKm);
        f.add(w->areaKm2);
        f.add(w->normalX);
        f.add(w->normalY);
        if (w->sampleCount > 0) {
            f.add(w->rightReach[0]);
            f.add(w->leftReach[0]);
        }
    }
    f.add(count);
    return f.h;
}

bool ProfileCache::refresh(const SurveyPlan& plan, TileStore& tiles) {
    const std::uint64_t now = planFingerprint(plan);
    if (valid_ && now == fingerprint_) return false;
    profile_ = planProfile(plan, tiles);
    lines_ = listLines(plan, profile_);
    fingerprint_ = now;
    valid_ = true;
    ++computations_;
    return true;
}

}  // namespace tessarin
