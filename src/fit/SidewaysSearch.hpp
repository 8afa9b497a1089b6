#pragma once
// The wide sideways search that transit planning runs before the fine fit:
// both ends of a segment slide across a window of positions and the one with
// the best simple coverage measure is kept. In the abut mode (maxEdge) the
// segment should run along an edge of mapped floor, one side covered and the
// other not; in the unmapped mode (maxEdgeLateral) its swath should cover as
// little mapped floor as possible.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees);
// widths are map units. Coverage is always the coarse coverage byte;
// longitudes below -180 are brought back by adding 360 before a probe.

#include <cstdint>
#include <ostream>

#include "fit/CandidateScan.hpp"
#include "fit/CoverageLookup.hpp"
#include "fit/FitLine.hpp"

namespace tessarin {

class SurveyPlan;
class TileStore;

class SidewaysSearch {
public:
    SidewaysSearch(TileStore& tiles, const CoverageLookup& coverage, const SurveyPlan& plan, std::ostream& out);

    // Probes a quarter of width to either side at 1 + trunc(8 * len) stations;
    // side := 1 when the starboard side holds more covered probes, else 2.
    // Returns |starboard - port| at 50 per covered probe.
    float sideByCoverage(const FitLine& line, int& side, float width);

    // Seven probes across width at every station (taken the short way round
    // across the antimeridian); 5 for every probe below 10 (unmapped).
    float unmappedScore(const FitLine& line, float width);

    // Best sideByCoverage over the window of shifts of either end (widthA,
    // widthB map units wide), weighted to 0 at the window's ends. The shifts
    // step by a quarter of the nominal swath width at A, but never by less
    // than over 2000 m of water, so shallow water does not multiply the
    // positions tried. The given y are not used: both are taken from the
    // latitudes. Score 0 and the given line when no candidate scores above 0.
    float maxEdge(const FitLine& line, FitLine& result, float widthA, float widthB, int& side);

    // As maxEdge with half the step and unmappedScore as the measure.
    float maxEdgeLateral(const FitLine& line, FitLine& result, float widthA, float widthB);

    // How the two window searches visit their candidates (Shared unless
    // set), and on how many threads at most; the chosen line is the same.
    void setSearchPath(SearchPath path) { path_ = path; }
    void setThreads(int threads) { threads_ = threads < 1 ? 1 : threads; }

private:
    bool covered(double lon, float lat) const;
    // The two sides' sums of sideByCoverage; false, sums unfinished, as soon
    // as stop(station, count, port, starboard) holds before a station.
    // Latitudes: NearbyLatitudes or ExactLatitudes (the same floats).
    template <typename Latitudes, typename Stop>
    bool sideSums(const FitLine& line, float width, float& port, float& stbd, Stop&& stop) const;
    // unmappedScore's sum; false as soon as stop(station, count, sum) holds.
    template <typename Latitudes, typename Stop>
    bool unmappedSum(const FitLine& line, float width, float& sum, Stop&& stop) const;
    template <typename Measure>
    float searchWindow(const FitLine& line, FitLine& result, float widthA, float widthB, float stepOfWidth,
                       bool printCount, Measure&& measure);

    TileStore& tiles_;
    const CoverageLookup& coverage_;
    CoarseReader coarse_;
    const SurveyPlan& plan_;
    std::ostream& out_;
    SearchPath path_ = SearchPath::Shared;
    int threads_ = searchThreads();
};

}  // namespace tessarin
