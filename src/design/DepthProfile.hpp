#pragma once
// The sea floor under the plan's track: one sample per straight swath sample
// of every leg, with the depth under the track, the port and starboard
// half-widths of the swath as the last swath pass found them, and the slope
// of the floor across the track. Read from the plan's legs (no new edge
// search), so the profile always agrees with the swath drawn on the map.
//
// Map plane: x = longitude in degrees, y = mapY(latitude). Elevations are
// metres, negative below sea level; widths are metres.

#include <vector>

namespace tessarin {

class SurveyPlan;
class TileStore;

struct ProfileSample {
    int leg = 0;              // 0-based, in sailing order
    double distanceKm = 0.0;  // along the track from the plan's first waypoint
    double lon = 0.0;
    double lat = 0.0;
    double y = 0.0;           // map plane
    float elevationM = 0.0f;  // under the track
    float portM = 0.0f;
    float starboardM = 0.0f;
    // Slope of the floor between the two swath edges, degrees; positive where
    // it rises towards starboard.
    float slopeDeg = 0.0f;
};

enum class ProfileMarkKind { Waypoint, Turn, Shallowest };

struct ProfileMark {
    ProfileMarkKind kind = ProfileMarkKind::Waypoint;
    double distanceKm = 0.0;
    int waypoint = 0;  // 0-based; for the shallowest point the sample index
};

struct DepthProfile {
    std::vector<ProfileSample> samples;
    // Every waypoint, each inner waypoint's turn (when the legs were given
    // turns) and the shallowest sample, in order of distance.
    std::vector<ProfileMark> marks;
    int shallowest = -1;    // index into samples, -1 when there are none
    double lengthKm = 0.0;  // the plan's length, waypoint to waypoint
};

// Ground metres of a swath reach of reachMapUnits on a leg whose first
// waypoint is at latitude legLat, as the plan's area sum converts it.
float reachMetres(float reachMapUnits, double legLat);

// Slope in degrees between the floor at the port and starboard edges of a
// swath of the given half-widths; positive when starboard is shallower.
float crossTrackSlopeDeg(float portElevationM, float starboardElevationM, float portM, float starboardM);

// The profile of the whole plan from its current swaths. The two edge
// elevations of each sample are looked up in tiles (the plan's store).
DepthProfile planProfile(const SurveyPlan& plan, TileStore& tiles);

// The samples of one leg (0-based) of a whole-plan profile, with the marks
// that fall on it. Distances stay measured from the plan's start.
DepthProfile legProfile(const DepthProfile& whole, int leg);

// Index of the sample nearest to distanceKm, -1 for an empty profile.
int nearestSample(const DepthProfile& profile, double distanceKm);

// A profile sampled every stepMetres along each leg, waypoint to waypoint
// (the last waypoint included), with the swath computed at each point by the
// plan's own edge search. Turn marks are not set.
DepthProfile steppedProfile(SurveyPlan& plan, TileStore& tiles, double stepMetres);

}  // namespace tessarin
