#include "design/DepthProfile.hpp"

#include <algorithm>
#include <cmath>

#include "earth/MapProjection.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"

namespace tessarin {

namespace {

// The swath arithmetic's own pi, kilometres per degree of its area sum and
// metres per degree of its nominal straight-leg width.
constexpr double kSwathPi = 3.141592;
constexpr float kKmPerDegreeArea = 111.11f;
constexpr float kMetresPerDegreeNominal = 111120.0f;
constexpr double kDegrees = 180.0 / 3.14159265358979;

float secantOf(double latDeg) { return static_cast<float>(1.0 / std::cos(latDeg * kSwathPi / 180.0)); }

float elevationAt(TileStore& tiles, double x, double y) {
    float elevation = 5.0f;  // what the plan's lookups answer without data
    tiles.getDepth(x, latitudeFromMapY(y), elevation);
    return elevation;
}

// Where (x, y) lies along the map-plane segment from w to its successor, as
// a fraction of it (0 at w).
double fractionAlong(const Waypoint& w, double x, double y) {
    const double dx = w.next->lon - w.lon, dy = w.next->y - w.y;
    const double len2 = dx * dx + dy * dy;
    if (!(len2 > 0.0)) return 0.0;
    return std::clamp(((x - w.lon) * dx + (y - w.y) * dy) / len2, 0.0, 1.0);
}

void finish(DepthProfile& p) {
    p.shallowest = -1;
    for (std::size_t i = 0; i < p.samples.size(); ++i) {
        if (p.shallowest < 0 || p.samples[i].elevationM > p.samples[static_cast<std::size_t>(p.shallowest)].elevationM)
            p.shallowest = static_cast<int>(i);
    }
    if (p.shallowest >= 0) {
        p.marks.push_back({ProfileMarkKind::Shallowest,
                           p.samples[static_cast<std::size_t>(p.shallowest)].distanceKm, p.shallowest});
    }
    std::stable_sort(p.marks.begin(), p.marks.end(),
                     [](const ProfileMark& a, const ProfileMark& b) { return a.distanceKm < b.distanceKm; });
}

// One sample at track point (x, y) of leg w with the half-widths given in
// map units along the leg's normal; the slope comes from the floor at the
// two edge points.
ProfileSample sampleAt(TileStore& tiles, const Waypoint& w, int leg, double legStartKm, double x, double y,
                       float elevation, float reachPort, float reachStarboard) {
    ProfileSample s;
    s.leg = leg;
    s.lon = x;
    s.y = y;
    s.lat = latitudeFromMapY(y);
    s.distanceKm = legStartKm + static_cast<double>(w.lengthKm) * fractionAlong(w, x, y);
    s.elevationM = elevation;
    s.portM = reachMetres(reachPort, w.lat);
    s.starboardM = reachMetres(reachStarboard, w.lat);
    const float nx = static_cast<float>(w.normalX), ny = static_cast<float>(w.normalY);
    const float zs = elevationAt(tiles, x + static_cast<double>(reachStarboard * nx),
                                 y + static_cast<double>(reachStarboard * ny));
    const float zp = elevationAt(tiles, x - static_cast<double>(reachPort * nx), y - static_cast<double>(reachPort * ny));
    s.slopeDeg = crossTrackSlopeDeg(zp, zs, s.portM, s.starboardM);
    return s;
}

}  // namespace

float reachMetres(float reachMapUnits, double legLat) {
    return reachMapUnits * kKmPerDegreeArea / secantOf(legLat) * 1000.0f;
}

float crossTrackSlopeDeg(float portElevationM, float starboardElevationM, float portM, float starboardM) {
    const float across = portM + starboardM;
    if (!(across > 0.0f)) return 0.0f;
    return static_cast<float>(std::atan2(static_cast<double>(starboardElevationM - portElevationM), across) * kDegrees);
}

DepthProfile planProfile(const SurveyPlan& plan, TileStore& tiles) {
    DepthProfile p;
    int leg = 0;
    int index = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++index) {
        p.marks.push_back({ProfileMarkKind::Waypoint, p.lengthKm, index});
        if (!w->next) break;
        const int straight = std::clamp(std::min(w->straightSamples, w->sampleCount), 0, Waypoint::kMaxSamples);
        for (int i = 0; i < straight; ++i) {
            p.samples.push_back(sampleAt(tiles, *w, leg, p.lengthKm, w->trackX[i], w->trackY[i], w->trackElevation[i],
                                         w->leftReach[i], w->rightReach[i]));
        }
        p.lengthKm += static_cast<double>(w->lengthKm);
        if (w->sampleCount > straight) p.marks.push_back({ProfileMarkKind::Turn, p.lengthKm, index + 1});
        ++leg;
    }
    finish(p);
    return p;
}

DepthProfile legProfile(const DepthProfile& whole, int leg) {
    DepthProfile p;
    double from = -1.0, to = -1.0;
    for (const ProfileSample& s : whole.samples) {
        if (s.leg != leg) continue;
        p.samples.push_back(s);
    }
    // The leg runs between the marks of its two waypoints.
    for (const ProfileMark& m : whole.marks) {
        if (m.kind != ProfileMarkKind::Waypoint) continue;
        if (m.waypoint == leg) from = m.distanceKm;
        if (m.waypoint == leg + 1) to = m.distanceKm;
    }
    if (from < 0.0 || to < 0.0) return DepthProfile{};
    for (const ProfileMark& m : whole.marks) {
        if (m.kind != ProfileMarkKind::Shallowest && m.distanceKm >= from && m.distanceKm <= to) p.marks.push_back(m);
    }
    p.lengthKm = to - from;
    finish(p);
    return p;
}

int nearestSample(const DepthProfile& profile, double distanceKm) {
    int best = -1;
    double bestGap = 0.0;
    for (std::size_t i = 0; i < profile.samples.size(); ++i) {
        const double gap = std::fabs(profile.samples[i].distanceKm - distanceKm);
        if (best < 0 || gap < bestGap) {
            best = static_cast<int>(i);
            bestGap = gap;
        }
    }
    return best;
}

DepthProfile steppedProfile(SurveyPlan& plan, TileStore& tiles, double stepMetres) {
    DepthProfile p;
    if (!(stepMetres > 0.0)) return p;
    int leg = 0;
    int index = 0;
    for (Waypoint* w = plan.first(); w; w = w->next, ++index) {
        p.marks.push_back({ProfileMarkKind::Waypoint, p.lengthKm, index});
        if (!w->next) break;
        const double metres = static_cast<double>(w->lengthKm) * 1000.0;
        const int steps = std::max(1, static_cast<int>(std::ceil(metres / stepMetres)));
        const bool last = w->next->next == nullptr;
        const float sec0 = secantOf(w->lat);
        const float nx = static_cast<float>(w->normalX), ny = static_cast<float>(w->normalY);
        const double dx = w->next->lon - w->lon, dy = w->next->y - w->y;
        for (int j = 0; j < steps + (last ? 1 : 0); ++j) {
            const double f = std::min(1.0, j * stepMetres / std::max(metres, 1e-9));
            const double x = w->lon + f * dx, y = w->y + f * dy;
            const double lat = latitudeFromMapY(y);
            float d = 5.0f;
            tiles.getDepth(x, lat, d);
            // The straight-leg swath of the plan's generation at this point.
            const float m = plan.swathMultiplierAt(d);
            const float nominal = d * sec0 * m / -kMetresPerDegreeNominal;
            float edge = 0.0f;
            const float r = plan.findEdgeReach(x, y, lat, nx, ny, nominal, m, edge);
            const float l = plan.findEdgeReach(x, y, lat, -nx, -ny, nominal, m, edge);
            p.samples.push_back(sampleAt(tiles, *w, leg, p.lengthKm, x, y, d, l, r));
        }
        p.lengthKm += static_cast<double>(w->lengthKm);
        ++leg;
    }
    finish(p);
    return p;
}

}  // namespace tessarin
