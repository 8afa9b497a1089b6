#pragma once
// Fitting a survey line against coverage that already exists: a line's swath
// should overlap old coverage by a set share of its half-width and no more.
// A line is scored by probing the coverage just inside and just outside the
// outer edge of its swath on the side where the old coverage lies; its ends
// are then moved sideways (or along the line) to the best score.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees);
// "map units" are map-plane units. Elevations are metres, negative below sea
// level. A half-width is d * 0.5 * m * sec / 111111 map units for depth d,
// swath multiplier m and the secant of the latitude.

#include <cstdint>
#include <functional>
#include <ostream>
#include <utility>

#include "fit/CandidateScan.hpp"
#include "fit/CoverageLookup.hpp"
#include "fit/FitLine.hpp"

namespace tessarin {

class SurveyPlan;
class TileStore;

class EdgeFit {
public:
    // Probes read coverage through coverage, depths through tiles (loading
    // tiles on demand), multipliers from plan's extinction curve; console
    // lines go to out.
    EdgeFit(TileStore& tiles, const CoverageLookup& coverage, SurveyPlan& plan, std::ostream& out);

    // Score of line's edge on the side given by side (1 starboard, 2 port):
    // 100 / stations times (covered probes just inside the edge - covered
    // probes in the band that should be new ground), 50 per covered probe.
    // With side 0 it decides the side instead (printing the sums and LEFT or
    // RIGHT), returns 0 and leaves inside and outside alone: a covered probe
    // counts 50 on either side, and only where the vote area (when set)
    // holds the probe.
    float edgeOverlapScore(const FitLine& line, float overlapPercent, float& inside, float& outside, int& side,
                           bool useFine);

    // Tries both ends at -21..21 steps of stepFraction of the nominal swath
    // width along the starboard normal and keeps the best-scoring pair (the
    // first one visited on ties). Returns the best score. When no side is
    // decided, or no candidate scores above 0, there is nothing to fit
    // against: result is the given line.
    float refineEdgeOverlap(const FitLine& line, FitLine& result, float overlapPercent, float stepFraction, int& side,
                            bool useFine);

    // Slides the start (and then the end) along the line, shortening and
    // lengthening in 0.1 map-unit steps, to the best coarse score. The given
    // y are not used: both are taken from the latitudes.
    void extendEdgeOverlap(const FitLine& line, FitLine& result, int& side, bool extendStart, bool extendEnd);

    // Refits the plan's current leg (the leg ending at the current waypoint
    // when it is the last) and moves its two waypoints; the current waypoint
    // ends on the leg's end. A side already decided (1 or 2) is kept; any
    // other value is decided anew. False when the plan has no leg there.
    bool refineCurrentOverlap(int& side, float stepFraction, bool useFine, float overlapPercent);

    // The "LINE OVERLAP" command: refits the current leg at the configured
    // edge overlap (percent) and recomputes the swaths with turns.
    void fitCurrentLine(float edgeOverlapPercent);

    // Limits the side vote to probes for which inArea(lon, y) holds (map
    // plane); an empty function counts every probe.
    void setVoteArea(std::function<bool(double lon, double y)> inArea) { voteArea_ = std::move(inArea); }

    // Steps (at most 21 each way) that refineEdgeOverlap tries towards the
    // decided side (the old coverage) and away from it. With a window set,
    // the candidates are visited from the unmoved line outwards, so a tie
    // keeps the smaller move; the default, 21 and 21, visits them in the
    // order above. A fill that lays each line at a spacing its water allows
    // uses a window to let the fit pull the line back, not push it on.
    void setRefineWindow(int towardsSide, int awayFromSide);

    // How refineEdgeOverlap visits its candidates (Shared unless set), and
    // on how many threads at most; the chosen line is the same.
    void setSearchPath(SearchPath path) { path_ = path; }
    void setThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }

    // Depth lookups made so far (for measurements).
    std::uint64_t depthLookups() const { return depthLookups_; }

private:
    float elevationAt(double lon, double lat);
    // edgeOverlapScore on a decided side (any other value scores 0), with
    // depths from depthAt(lon, lat), which may give up (stopped()): the
    // score is then meaningless. cannotBeat is set, the score 0 and inside
    // and outside untouched, when the score could not be above bar; every
    // depth probe is made all the same. Latitudes: NearbyLatitudes or
    // ExactLatitudes, which give the same floats.
    template <typename Latitudes, typename Depth>
    float sideScore(const FitLine& line, float overlapPercent, float& inside, float& outside, int side, bool useFine,
                    Depth& depthAt, float bar, bool& cannotBeat) const;

    TileStore& tiles_;
    const CoverageLookup& coverage_;
    SurveyPlan& plan_;
    std::ostream& out_;
    std::function<bool(double lon, double y)> voteArea_;
    int stepsTowards_ = 21;
    int stepsAway_ = 21;
    std::uint64_t depthLookups_ = 0;
    SearchPath path_ = SearchPath::Shared;
    int threads_ = searchThreads();
};

}  // namespace tessarin
