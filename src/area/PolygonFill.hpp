#pragma once
// Fills the survey polygon with parallel survey lines (a lawn-mower pattern):
// the first line on the polygon's first edge, each further one moved sideways
// by the spacing that the shallowest water along it allows (spacingToNextLine),
// then clipped to the polygon, one line for every stretch inside it. Lines are
// appended to the plan after its last waypoint as waypoint pairs; where the
// last swath ends short of the far side one more line is laid there. The
// extra variant also fits each new line against the coverage the earlier
// lines left (pulling it back towards them, never pushing it on) and captures
// its swath, so the next line can be fitted against it. Every fill starts on
// the first edge.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) (not degrees);
// spacings are map units (111111 metres a unit times the secant of the
// latitude). Elevations are metres, negative below sea level.

#include <cstdint>
#include <ostream>

namespace tessarin {

class CoverageGrid;
class CoverageLookup;
class ProgressSink;
class SurveyPlan;
class SurveyPolygon;
class TileStore;

struct FillSettings {
    float boatSpeed = 9.0f;        // knots, given to every new waypoint
    float depthMultiplier = 4.0f;  // given to every new waypoint
    float fillOverlap = 10.0f;     // percent of the swath shared by neighbours
};

// Where a fill spends its time; filled in only when a caller asks.
struct FillProfile {
    int lines = 0;
    double totalSeconds = 0.0;
    double captureSeconds = 0.0;  // swath captures and pass clears
    double fitSeconds = 0.0;      // line fits against coverage
    double swathSeconds = 0.0;    // swath recomputation
    std::uint64_t depthLookups = 0;
};

class PolygonFill {
public:
    static constexpr int kMaxLines = 160;

    PolygonFill(SurveyPolygon& polygon, SurveyPlan& plan, TileStore& tiles, CoverageGrid& coverage,
                const CoverageLookup& lookup, ProgressSink& progress, std::ostream& out);

    // Runs one fill; returns the number of lines laid.
    int run(bool extra, const FillSettings& settings);

    // When set, run adds its timings and counts here.
    FillProfile* profile = nullptr;

private:
    SurveyPolygon& polygon_;
    SurveyPlan& plan_;
    TileStore& tiles_;
    CoverageGrid& coverage_;
    const CoverageLookup& lookup_;
    ProgressSink& progress_;
    std::ostream& out_;
};

}  // namespace tessarin
