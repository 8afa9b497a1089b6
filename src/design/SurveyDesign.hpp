#pragma once
// A survey design: parallel lines over the survey polygon in a chosen
// direction, from a chosen corner, at a spacing from the depth or fixed, run
// out past the boundary, sailed back and forth or interleaved, with
// crosslines after them; and what the design costs.
//
// Map plane: x = longitude in degrees, y = mapY(latitude) = 60 ln tan(...)
// (not degrees). A map unit of x is a degree of longitude; a map unit of y
// is 1/(60 pi / 180) = 0.955 of that on the ground, so a heading is not the
// angle it makes in the map plane. Headings are degrees clockwise from north;
// distances on the ground are metres; "offset units" are the spacing rule's
// map units, 111111 metres times the secant of the latitude.

#include <string>
#include <vector>

namespace tessarin {

struct ExtinctionCurve;
class SurveyPlan;
class SurveyPolygon;
class TileStore;

enum class DesignDirection { FirstEdge, Heading, Fastest };
enum class StartCorner { Auto, NE, NW, SE, SW };
enum class SpacingRule { Depth, Fixed };
enum class RunOutRule { Metres, SwathEdge };
enum class LineOrderRule { BackAndForth, Interleave };

struct SurveyDesign {
    DesignDirection direction = DesignDirection::FirstEdge;
    double headingDeg = 0.0;  // with Heading
    // Auto: the corner of the first vertex; with FirstEdge the lines then
    // start on the first edge, the first one from the first vertex.
    StartCorner start = StartCorner::Auto;
    SpacingRule spacing = SpacingRule::Depth;
    double fixedSpacingM = 1000.0;
    float overlapPercent = 10.0f;  // with Depth
    RunOutRule runOut = RunOutRule::Metres;
    double runOutM = 0.0;
    LineOrderRule order = LineOrderRule::BackAndForth;
    double crosslineSpacingM = 0.0;  // 0: no crosslines

    bool operator==(const SurveyDesign& o) const;
    bool operator!=(const SurveyDesign& o) const { return !(*this == o); }
};

// What the design reads: the area, depths, the swath multiplier, the plan's
// turning circle and speed.
struct DesignInputs {
    const SurveyPolygon& area;
    TileStore& tiles;
    const ExtinctionCurve& curve;
    double turnDiameterM = 0.0;
    float boatSpeedKnots = 9.0f;
};

// One line of the design in sailing order, from (ax, ay) to (bx, by).
struct DesignLine {
    double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
    bool crossline = false;
    int offsetIndex = 0;  // the line's place across the area, 0 at the start side
};

struct DesignLayout {
    double headingDeg = 0.0;  // of the main lines as laid
    std::vector<DesignLine> lines;
    int mainLines = 0;  // offsets of main lines laid
    int crosslines = 0;
    double offsetSpanM = 0.0;   // from the first main line to the last
    int narrowTurns = 0;        // turns below the turning diameter the order could not avoid
    std::string problem;        // why no line was laid, or why the fill ended early
};

// Direction of a heading in the map plane (not unit length).
void headingToMap(double headingDeg, double& dx, double& dy);
// Heading of a map-plane direction, in [0, 360).
double mapToHeading(double dx, double dy);

// Lays the design over the area. With Fastest, the heading of the least time
// among 0, 5, ... 175 degrees (a heading and its reverse lay the same lines).
DesignLayout layOutDesign(const SurveyDesign& design, const DesignInputs& in);

// Lays the lines for one heading (Fastest resolved), for the search.
DesignLayout layOutAtHeading(const SurveyDesign& design, const DesignInputs& in, double headingDeg);

// Hours to sail the layout's lines and the connections between them, at
// speed, without swaths.
double layoutHours(const DesignLayout& layout, float speedKnots);

// Appends the layout to the plan after its last waypoint, one waypoint pair
// a line, each with speed and depthMultiplier. The caller generates swaths.
void appendDesignToPlan(const DesignLayout& layout, SurveyPlan& plan, float speedKnots, float depthMultiplier);

struct DesignTotals {
    int lines = 0;
    double lineKm = 0.0;     // along the lines
    double connectKm = 0.0;  // turns and connections between lines
    double totalKm = 0.0;
    double hours = 0.0;
    double days = 0.0;  // hours / 24
    double cost = 0.0;  // every started day charged at the day rate
    double polygonKm2 = 0.0;
    double coveredPercent = 0.0;
    double uncoveredKm2 = 0.0;
};

// Totals of a plan that holds exactly the layout (swaths generated): the
// legs alternate line, connection, line ...
DesignTotals designTotals(const DesignLayout& layout, const SurveyPlan& plan, const SurveyPolygon& area,
                          float boatSpeedKnots, float dayRate);

}  // namespace tessarin
