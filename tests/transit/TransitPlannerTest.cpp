// The three-segment transit planner: where the waypoints go, which fits run
// with which widths, which thresholds keep a fitted line, leg replacement,
// the antimeridian, coincident ends, progress stages and the benchmark file.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "earth/MapProjection.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TileWriter.hpp"
#include "transit/GreatCircle.hpp"
#include "transit/TransitWorld.hpp"

namespace tessarin {
namespace {

// The demo transit of key a.
constexpr double kLat1 = 32.03, kLon1 = -122.786, kLat2 = 23.42, kLon2 = -155.65;

struct Point {
    double lon;
    double lat;
};

Point along(Point from, Point to, double f) {
    Point p{};
    gcInterpolate(from.lon, to.lon, from.lat, to.lat, f, p.lon, p.lat);
    return p;
}

// The eight points of a transit whose segments all stay on the great circle.
std::vector<Point> greatCirclePlan(Point start, Point end) {
    const Point a = along(start, end, 0.333), b = along(start, end, 0.666);
    const Point a2 = along(b, end, 0.333), b2 = along(b, end, 0.666);
    const Point a3 = along(start, a, 0.333), b3 = along(start, a, 0.666);
    return {start, a3, b3, a, b, a2, b2, end};
}

std::vector<const Waypoint*> waypoints(const SurveyPlan& plan) {
    std::vector<const Waypoint*> all;
    for (const Waypoint* w = plan.first(); w; w = w->next) all.push_back(w);
    return all;
}

void expectAt(const Waypoint& w, Point p, const std::string& what) {
    // Waypoints are placed in single precision.
    EXPECT_NEAR(w.lon, p.lon, 2e-5) << what;
    EXPECT_NEAR(w.y, mapY(p.lat), 2e-5) << what;
}

// "%f": an optional minus, digits, a point and exactly six digits.
bool isFixedSix(const std::string& s) {
    std::size_t i = s.rfind('-', 0) == 0 ? 1 : 0;
    const std::size_t point = s.find('.');
    if (point == std::string::npos || point == i || s.size() != point + 7) return false;
    for (; i < s.size(); ++i)
        if (i != point && (s[i] < '0' || s[i] > '9')) return false;
    return true;
}

// Splits "%d ,%f ,%f " into its three fields; false when the line has
// another shape.
bool splitRow(const std::string& line, std::string& run, std::string& km, std::string& ratio) {
    const std::size_t a = line.find(" ,");
    const std::size_t b = a == std::string::npos ? a : line.find(" ,", a + 2);
    if (b == std::string::npos || line.size() < 1 || line.back() != ' ') return false;
    run = line.substr(0, a);
    km = line.substr(a + 2, b - a - 2);
    ratio = line.substr(b + 2, line.size() - b - 3);
    if (run.empty() || run.find_first_not_of("0123456789") != std::string::npos) return false;
    return isFixedSix(km) && isFixedSix(ratio);
}

std::string fmt(float v) {
    std::ostringstream s;
    s << v;
    return s.str();
}

float demoAngle() {
    double lon = 0, lat = 0;
    return gcInterpolate(kLon1, kLon2, kLat1, kLat2, 0.333, lon, lat);
}

TEST(PlanTransitSegments, FreeTransitOnAnEmptyPlanIsEightWaypointsOnTheGreatCircle) {
    // Scripted fits that never pass a threshold, and the real fits over a
    // world without data: both leave every segment on its stretch of arc.
    for (bool scripted : {true, false}) {
        test::TransitWorld w(scripted);
        w.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, 2, w.progress);
        const auto all = waypoints(w.plan);
        ASSERT_EQ(all.size(), 8u) << "scripted " << scripted;
        const auto expected = greatCirclePlan({kLon1, kLat1}, {kLon2, kLat2});
        const char* names[] = {"start", "A3", "B3", "A", "B", "A2", "B2", "end"};
        for (int i = 0; i < 8; ++i) expectAt(*all[i], expected[i], std::string(names[i]) + " scripted " + (scripted ? "1" : "0"));
        EXPECT_FLOAT_EQ(w.plan.depthMultiplier(), 3.0f) << "the user's multiplier again";

        const std::string text = w.takeOutput();
        std::size_t at = 0;
        for (const char* line : {"GREAT CIRCLE ANGLE DIST = ", "\nSEG 1  ", "\nPLAN SEG 2 PTS  A  B   ", "\nSEG 2  ",
                                 "\nPLAN SEG 3 PTS  A  B   ", "SEG 3 done \n"}) {
            const std::size_t next = text.find(line, at);
            ASSERT_NE(next, std::string::npos) << line;
            at = next;
        }
    }
}

TEST(PlanTransitSegments, LegTransitReplacesTheCurrentLeg) {
    struct Row {
        int currentIndex;  // waypoint current when planning starts
        int legStart;      // the leg that is replaced starts here
    };
    // On the last waypoint the leg ending there is replaced.
    for (const Row r : {Row{0, 0}, Row{1, 1}, Row{2, 1}}) {
        test::TransitWorld w;
        const Point p[] = {{-150.0, 20.0}, {-140.0, 24.0}, {-130.0, 25.0}};
        for (const Point& q : p) w.transit->addWaypointAt(static_cast<float>(q.lon), static_cast<float>(mapY(q.lat)));
        w.plan.setCurrentWaypoint(const_cast<Waypoint*>(waypoints(w.plan)[r.currentIndex]));
        const std::vector<const Waypoint*> before = waypoints(w.plan);

        w.transit->planTransit(true, true, w.progress);

        const auto all = waypoints(w.plan);
        ASSERT_EQ(all.size(), 9u) << r.currentIndex;
        const Waypoint& from = *before[r.legStart];
        const Waypoint& to = *before[r.legStart + 1];
        EXPECT_EQ(all[r.legStart], &from);
        EXPECT_EQ(all[r.legStart + 7], &to);
        const auto expected = greatCirclePlan({from.lon, from.lat}, {to.lon, to.lat});
        for (int i = 1; i < 7; ++i) expectAt(*all[r.legStart + i], expected[i], "point " + std::to_string(i));
        // The end points and the great circle follow the leg.
        EXPECT_FLOAT_EQ(w.transit->transitStartLon, static_cast<float>(from.lon));
        EXPECT_FLOAT_EQ(w.transit->transitEndY, static_cast<float>(to.y));
        EXPECT_TRUE(w.transit->greatCircleReady);
        EXPECT_FLOAT_EQ(w.transit->arcLon[14], static_cast<float>(to.lon));
    }
}

TEST(PlanTransit, FreeTransitWithALegPlansBetweenTheLegsEnds) {
    test::TransitWorld w;
    w.transit->setDemoTransit(10.0f, 10.0f, 12.0f, 14.0f);
    w.transit->addWaypointAt(-150.0f, static_cast<float>(mapY(20.0)));
    w.transit->addWaypointAt(-140.0f, static_cast<float>(mapY(24.0)));
    w.plan.setCurrentWaypoint(w.plan.first());
    w.transit->planTransit(false, true, w.progress);
    EXPECT_FLOAT_EQ(w.transit->transitStartLon, -150.0f);
    EXPECT_FLOAT_EQ(w.transit->transitEndLon, -140.0f);
    // Between the two, without repeating them.
    EXPECT_EQ(w.plan.waypointCount(), 8);
    // Without a leg the set points are used.
    test::TransitWorld empty;
    empty.transit->setDemoTransit(10.0f, 10.0f, 12.0f, 14.0f);
    empty.transit->planTransit(false, false, empty.progress);
    EXPECT_EQ(empty.plan.first()->lon, 10.0);
    EXPECT_NE(empty.takeOutput().find("LAT LON 1 10 10\nLAT LON 2 12 14\n"), std::string::npos);
}

TEST(PlanTransitSegments, ThresholdsDecideWhichLineEachSegmentKeeps) {
    struct Row {
        int mode;
        std::vector<float> scores;  // in call order; 0 after the end
        int segment;                // 1, 2 or 3
        double shift;               // east shift of the segment's two waypoints
        const char* printed;        // a line the choice prints ("" for none)
    };
    constexpr double kEdge = test::ScriptedFitter::kMaxEdgeShift, kRef = test::ScriptedFitter::kRefineShift,
                     kExt = test::ScriptedFitter::kExtendShift, kLat = test::ScriptedFitter::kLateralShift;
    const Row rows[] = {
        // Segment 1: maxEdge above 500, two refinements, then extend and
        // refine again when the second refinement passes 500.
        {2, {500}, 1, 0, ""},
        {2, {501, 0, 501}, 1, kEdge + kRef + kRef + kExt + kRef, "REFINE VALUE 501\n"},
        {2, {501, 999, 500}, 1, kEdge, "PLAN ELSE REFINE 1 "},
        // Segment 2: one refinement, which needs only 300.
        {2, {0, 500}, 2, 0, ""},
        {2, {0, 501, 301}, 2, kEdge + kRef + kExt + kRef, ""},
        {2, {0, 501, 300}, 2, kEdge, ""},
        // Segment 3: the same, with 500 again.
        {2, {0, 0, 501, 501}, 3, kEdge + kRef + kExt + kRef, "PLAN EXTEND  "},
        {2, {0, 0, 501, 500}, 3, kEdge, ""},
        // Unmapped mode: one lateral search per segment.
        {1, {501}, 1, kLat, ""},
        {1, {500}, 1, 0, ""},
        {1, {0, 501}, 2, kLat, ""},
        {1, {0, 0, 501}, 3, kLat, ""},
    };
    test::TransitWorld baseline;
    baseline.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, 2, baseline.progress);
    const auto onArc = waypoints(baseline.plan);
    for (const Row& r : rows) {
        test::TransitWorld w;
        w.fitter->scores.assign(r.scores.begin(), r.scores.end());
        w.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, r.mode, w.progress);
        const auto all = waypoints(w.plan);
        ASSERT_EQ(all.size(), 8u);
        const int first = r.segment == 1 ? 3 : r.segment == 2 ? 5 : 1;
        const std::string what = "mode " + std::to_string(r.mode) + " segment " + std::to_string(r.segment) +
                                 " first score " + fmt(r.scores.back());
        for (int i = first; i < first + 2; ++i) {
            EXPECT_NEAR(all[i]->lon - onArc[i]->lon, r.shift, 1e-4) << what;
            EXPECT_NEAR(all[i]->y, onArc[i]->y, 1e-5) << what;
        }
        const std::string text = w.takeOutput();
        if (*r.printed) {
            EXPECT_NE(text.find(r.printed), std::string::npos) << what;
        }
        EXPECT_EQ(text.find("PLAN EXTEND") != std::string::npos, std::string(r.printed) == "PLAN EXTEND  ") << what;
    }
}

TEST(PlanTransitSegments, FitsRunInOrderWithTheirWidthsAndTheSideCarried) {
    const float angle = demoAngle();
    struct Row {
        int mode;
        std::vector<float> scores;
        std::vector<std::string> log;
    };
    const Row rows[] = {
        {2,
         {501, 0, 501, 0, 501, 301, 0, 501, 501},
         {"maxEdge " + fmt(angle * 0.25f) + " " + fmt(angle * 0.25f) + " side 0", "refine 10 0.05 side 2",
          "refine 10 0.01 side 2", "extend side 2", "refine 10 0.01 side 2",
          "maxEdge " + fmt(angle / 5) + " " + fmt(angle / 5) + " side 2", "refine 10 0.01 side 2", "extend side 2",
          "refine 10 0.01 side 2", "maxEdge " + fmt(angle / 5) + " " + fmt(angle / 5) + " side 2",
          "refine 10 0.01 side 2", "extend side 2", "refine 10 0.01 side 2"}},
        {1,
         {},
         {"maxEdgeLateral " + fmt(angle / 3) + " " + fmt(angle * 0.25f),
          "maxEdgeLateral " + fmt(angle / 5) + " " + fmt(angle / 5),
          "maxEdgeLateral " + fmt(angle / 5) + " " + fmt(angle / 5)}},
    };
    for (const Row& r : rows) {
        test::TransitWorld w;
        w.fitter->scores.assign(r.scores.begin(), r.scores.end());
        w.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, r.mode, w.progress);
        EXPECT_EQ(w.fitter->log, r.log) << "mode " << r.mode;
    }
}

TEST(PlanTransitSegments, AcrossTheAntimeridianTheRouteRunsOnAndKeepsItsGreatCircleLength) {
    struct Row {
        Point start, end;
        bool legMode;
    };
    const Row rows[] = {
        {{170.0, 0.0}, {-170.0, 0.0}, false},  {{-170.0, 0.0}, {170.0, 0.0}, false},
        {{150.0, 0.0}, {-150.0, 0.0}, false},  {{140.0, 35.0}, {-157.8, 21.3}, false},
        {{175.0, -20.0}, {-165.0, -10.0}, true}, {{-130.0, 20.0}, {-150.0, 25.0}, false},
    };
    for (const Row& r : rows) {
        test::TransitWorld w;
        const std::string what = std::to_string(r.start.lon) + " to " + std::to_string(r.end.lon);
        if (r.legMode) {
            w.transit->addWaypointAt(static_cast<float>(r.start.lon), static_cast<float>(mapY(r.start.lat)));
            // The leg's end as a user sets it beyond the meridian on the map.
            w.transit->addWaypointAt(static_cast<float>(r.end.lon + 360.0), static_cast<float>(mapY(r.end.lat)));
            w.transit->planTransit(true, true, w.progress);
        } else {
            w.transit->planTransitSegments(false, r.start.lon, r.end.lon, r.start.lat, r.end.lat, 0, 2, w.progress);
        }
        const auto all = waypoints(w.plan);
        ASSERT_EQ(all.size(), 8u) << what;
        double lon = 0.0, lat = 0.0;
        const double gcKm = gcInterpolate(r.start.lon, r.end.lon, r.start.lat, r.end.lat, 0.5, lon, lat) * 111.12;
        float nm = 0.0f, hours = 0.0f;
        const double km = w.plan.planLegTotals(nm, hours);
        EXPECT_NEAR(km, gcKm, 0.01 * gcKm) << what;
        for (std::size_t i = 0; i + 1 < all.size(); ++i) {
            EXPECT_LT(std::fabs(all[i + 1]->lon - all[i]->lon), 180.0) << what << " leg " << i;
            EXPECT_LT(all[i]->lengthKm, 0.5 * gcKm) << what << " leg " << i;
        }
        EXPECT_EQ(all[0]->lon, r.start.lon) << what;
        EXPECT_NEAR(std::remainder(all[7]->lon - r.end.lon, 360.0), 0.0, 1e-4) << what;
    }
}

TEST(PlanTransitSegments, TheTransitGoesInAfterTheCurrentWaypointInRouteOrder) {
    struct Row {
        const char* name;
        int planPoints;    // waypoints before the transit, on a line at 20 N
        int currentIndex;  // the current one (-1: the last)
        bool legMode;
    };
    const Row rows[] = {
        {"empty plan", 0, -1, false},
        {"appended to a three-leg plan", 4, -1, false},
        {"after the first of four", 4, 0, false},
        {"replacing the second leg", 4, 1, true},
    };
    const Point setStart{-120.0, 30.0}, setEnd{-140.0, 25.0};
    for (const Row& r : rows) {
        test::TransitWorld w;
        for (int i = 0; i < r.planPoints; ++i)
            w.transit->addWaypointAt(static_cast<float>(-160.0 + 2.0 * i), static_cast<float>(mapY(20.0)));
        if (r.currentIndex >= 0) w.plan.setCurrentWaypoint(const_cast<Waypoint*>(waypoints(w.plan)[r.currentIndex]));
        const std::vector<const Waypoint*> before = waypoints(w.plan);
        w.transit->setDemoTransit(static_cast<float>(setStart.lat), static_cast<float>(setStart.lon),
                                  static_cast<float>(setEnd.lat), static_cast<float>(setEnd.lon));
        w.transit->planTransit(r.legMode, true, w.progress);

        // Expected: the plan up to the current waypoint, the transit's own
        // points, then the rest of the plan.
        const bool onLeg = r.currentIndex >= 0 && r.currentIndex + 1 < r.planPoints;
        const int cut = r.planPoints == 0 ? 0 : (r.currentIndex >= 0 ? r.currentIndex + 1 : r.planPoints);
        Point from = setStart, to = setEnd;
        if (onLeg) {
            from = {before[cut - 1]->lon, before[cut - 1]->lat};
            to = {before[cut]->lon, before[cut]->lat};
        }
        std::vector<Point> transit = greatCirclePlan(from, to);
        if (onLeg) transit = std::vector<Point>(transit.begin() + 1, transit.end() - 1);
        const auto all = waypoints(w.plan);
        ASSERT_EQ(all.size(), before.size() + transit.size()) << r.name;
        for (int i = 0; i < cut; ++i) EXPECT_EQ(all[i], before[i]) << r.name << " plan point " << i;
        for (std::size_t i = 0; i < transit.size(); ++i)
            expectAt(*all[cut + i], transit[i], std::string(r.name) + " transit point " + std::to_string(i));
        for (std::size_t i = cut; i < before.size(); ++i)
            EXPECT_EQ(all[i + transit.size()], before[i]) << r.name << " plan point " << i;
    }
}

TEST(PlanTransitSegments, TheUsersDepthMultiplierComesBack) {
    struct Row {
        float multiplier;
        int mode;
        std::vector<float> scores;
    };
    const Row rows[] = {{3.0f, 2, {}}, {5.5f, 2, {501, 0, 501, 0, 501, 301, 0, 501, 501}}, {2.0f, 1, {501}}};
    for (const Row& r : rows) {
        test::TransitWorld w;
        w.plan.setDepthMultiplier(r.multiplier);
        w.fitter->scores.assign(r.scores.begin(), r.scores.end());
        w.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, r.mode, w.progress);
        ASSERT_EQ(w.plan.waypointCount(), 8);
        EXPECT_FLOAT_EQ(w.plan.depthMultiplier(), r.multiplier) << "mode " << r.mode;
        EXPECT_FLOAT_EQ(w.plan.halfMultiplier(), r.multiplier * 0.5f) << "mode " << r.mode;
    }
}

TEST(PlanTransitSegments, OuterSegmentsStartWhereTheMiddleSegmentsWaypointsLie) {
    struct Row {
        const char* name;
        int mode;
        std::vector<float> scores;
    };
    // Both choices keep the fitted x and y of segment 1, which the searches
    // moved north without a latitude to match.
    const Row rows[] = {{"unmapped mode", 1, {501}}, {"PLAN ELSE REFINE", 2, {501, 999, 500}}};
    for (const Row& r : rows) {
        test::TransitWorld w;
        w.fitter->searchYShift = 0.5;
        w.fitter->scores.assign(r.scores.begin(), r.scores.end());
        w.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, r.mode, w.progress);
        const auto all = waypoints(w.plan);
        ASSERT_EQ(all.size(), 8u);
        const Point s1a{all[3]->lon, all[3]->lat}, s1b{all[4]->lon, all[4]->lat};
        EXPECT_NEAR(all[3]->y - mapY(along({kLon1, kLat1}, {kLon2, kLat2}, 0.333).lat), 0.5, 1e-4) << r.name;
        const Point start{kLon1, kLat1}, end{kLon2, kLat2};
        expectAt(*all[1], along(start, s1a, 0.333), std::string(r.name) + " A3");
        expectAt(*all[2], along(start, s1a, 0.666), std::string(r.name) + " B3");
        expectAt(*all[5], along(s1b, end, 0.333), std::string(r.name) + " A2");
        expectAt(*all[6], along(s1b, end, 0.666), std::string(r.name) + " B2");
    }
}

TEST(PlanTransitSegments, CoincidentEndsAreReportedAndPlanNothing) {
    test::TransitWorld w;
    w.plan.setDepthMultiplier(3.0f);
    w.transit->planTransitSegments(false, -140.0, -140.0, 20.0, 20.0, 0, 2, w.progress);
    EXPECT_TRUE(w.plan.empty());
    EXPECT_TRUE(w.fitter->log.empty());
    EXPECT_TRUE(w.progress.calls.empty());
    EXPECT_FLOAT_EQ(w.plan.depthMultiplier(), 3.0f);
    const std::string text = w.takeOutput();
    EXPECT_EQ(text.rfind("GREAT CIRCLE ANGLE DIST = 0 0\n", 0), 0u) << text;
    EXPECT_NE(text.find("coincide"), std::string::npos);
}

TEST(PlanTransitSegments, ProgressNamesEachSegmentInPlanningOrder) {
    test::TransitWorld w;
    w.fitter->scores = {501, 0, 501, 0, 501, 301, 0, 501, 501};
    w.transit->planTransitSegments(false, kLon1, kLon2, kLat1, kLat2, 0, 2, w.progress);
    const std::vector<std::string> expected = {
        "begin Transit segment 1 5", "step 1", "step 2", "step 3", "step 4", "step 5", "end",
        "begin Transit segment 2 4", "step 1", "step 2", "step 3", "step 4", "end",
        "begin Transit segment 3 4", "step 1", "step 2", "step 3", "step 4", "end"};
    EXPECT_EQ(w.progress.calls, expected);
}

TEST(LoadTilesOnArc, ProgressCountsTheTilesStillToRead) {
    test::TransitWorld w;
    // The arc at 4 north from 5 to 8.5 east, widened by 3 degrees, touches
    // the cells from -4 and from 4 east; both have data.
    test::writeFlatDataTile(w.dir.path(), -4, 0, -3000.0);
    test::writeFlatDataTile(w.dir.path(), 4, 0, -3000.0);
    w.transit->setDemoTransit(4.0f, 5.0f, 4.0f, 8.5f);
    EXPECT_FALSE(w.transit->loadTilesOnArc(w.progress));  // no great circle yet
    EXPECT_TRUE(w.progress.calls.empty());
    w.transit->computeGreatCircle();
    EXPECT_TRUE(w.transit->loadTilesOnArc(w.progress));
    EXPECT_EQ(w.progress.calls, (std::vector<std::string>{"begin Loading tiles 2", "step 1", "step 2", "end"}));
    EXPECT_EQ(w.tiles.residentCount(), 2);

    // Warm: nothing to read.
    w.progress.calls.clear();
    EXPECT_TRUE(w.transit->loadTilesOnArc(w.progress));
    EXPECT_EQ(w.progress.calls, (std::vector<std::string>{"begin Loading tiles 0", "end"}));

    // A cell without data ends the preload with false; the stage still ends.
    w.progress.calls.clear();
    w.transit->setDemoTransit(4.0f, 5.0f, 4.0f, 14.0f);
    w.transit->computeGreatCircle();
    EXPECT_FALSE(w.transit->loadTilesOnArc(w.progress));
    ASSERT_FALSE(w.progress.calls.empty());
    EXPECT_EQ(w.progress.calls.back(), "end");
}

TEST(TransitBenchmark, WritesThreeRunsAndLeavesTheThirdPlan) {
    test::TransitWorld w;
    w.transit->writeTransitBenchmark(w.dir.file("Transits.csv"), w.progress);
    const std::string file = w.dir.read("Transits.csv");
    std::istringstream lines(file);
    std::string line;
    int n = 0;
    const float gcKm = w.transit->greatCircleKm;
    // Hawaii to Los Angeles: 37.956 degrees of arc by the spherical law of
    // cosines, at 111.1 km a degree.
    EXPECT_NEAR(gcKm, 4216.91, 0.05);
    while (std::getline(lines, line)) {
        std::string run, kmText, ratioText;
        ASSERT_TRUE(splitRow(line, run, kmText, ratioText)) << "[" << line << "]";
        EXPECT_EQ(std::stoi(run), n);
        const double km = std::stod(kmText);
        EXPECT_NEAR(km, gcKm, gcKm * 0.05);  // all eight points lie on the great circle
        EXPECT_NEAR(std::stod(ratioText), km / gcKm, 1e-5);
        ++n;
    }
    EXPECT_EQ(n, 3);
    EXPECT_EQ(file.back(), '\n');
    EXPECT_EQ(w.plan.waypointCount(), 8);
    const std::string text = w.takeOutput();
    EXPECT_NE(text.find("\n ************************ TRANSIT 3 **********************************\n"),
              std::string::npos);
    EXPECT_NE(text.find("GREAT CIRCLE DISTANCE " + fmt(gcKm) + " km \n"), std::string::npos);
}

TEST(TransitBenchmark, AFileThatCannotBeCreatedIsReportedAndTheRunsStillPrint) {
    test::TransitWorld w;
    w.transit->writeTransitBenchmark(w.dir.file("no-such-folder/Transits.csv"), w.progress);
    const std::string text = w.takeOutput();
    EXPECT_NE(text.find("Cannot create " + w.dir.file("no-such-folder/Transits.csv")), std::string::npos) << text;
    for (const char* run : {"TRANSIT 1 ", "TRANSIT 2 ", "TRANSIT 3 "}) EXPECT_NE(text.find(run), std::string::npos);
    EXPECT_EQ(w.plan.waypointCount(), 8);
}

TEST(PlanTransitSegments, AnAbuttingTransitMovesOntoTheEdgeOfMappedFloor) {
    // 3000 m of water in the cell 4..12 E, 0..8 N; the reference data set has
    // mapped everything south of 4 N. The transit runs 0.3 degrees north of
    // that edge, within reach of the sideways search.
    test::TransitWorld w(false);
    test::writeDataTile(w.dir.path(), 4, 0, [](int row, int) {
        test::DataPixel p;
        p.code = test::codeOfElevation(-3000.0);
        p.blue = row >= 4 * 240 ? 3 : 0;
        return p;
    });
    w.transit->planTransitSegments(false, 5.0, 11.0, 4.3, 4.3, 0, 2, w.progress);
    const auto all = waypoints(w.plan);
    ASSERT_EQ(all.size(), 8u);
    // A swath at depth 3000 m and multiplier 4 reaches 0.054 degrees to each
    // side: the abutting line lies north of the edge by less than that.
    for (int i = 3; i <= 4; ++i) {
        EXPECT_GT(all[i]->lat, 4.0) << i;
        EXPECT_LT(all[i]->lat, 4.0 + 0.054) << i;
    }
    EXPECT_NEAR(all[0]->lat, 4.3, 1e-5);
    EXPECT_NEAR(all[7]->lat, 4.3, 1e-5);
}

}  // namespace
}  // namespace tessarin
