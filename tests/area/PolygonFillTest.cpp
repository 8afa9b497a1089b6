#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "area/LineSpacing.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "earth/ProgressSink.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/RecordingProgress.hpp"
#include "support/SwathUnion.hpp"
#include "support/TempDir.hpp"
#include "support/TextCount.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

using test::countOf;
using test::RecordingProgress;

// 0.9 * 4 * 4000 m / 111111 m a unit, at the equator.
constexpr double kSpacing = 0.9 * 16000.0 / 111111.0;

struct Point {
    double x;
    double y;
};

// A planner over a flat 4000 m floor (4..12 E, 0..8 N), a land tile at 50 m
// (12..20 E), flat floors at 1000 m (20..28 E) and 30 m (28..36 E), a 4000 m
// floor with a 1000 m seamount over 37.4..37.6 E, 1.1..1.3 N (36..44 E), no
// data north of 8 N; fill_overlap 10 and a flat extinction curve of 4.
class PolygonFillTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new test::TempDir;
        test::writeFlatDataTile(dir_->path(), 4, 0, -4000.0);
        test::writeFlatDataTile(dir_->path(), 12, 0, 50.0);
        test::writeFlatDataTile(dir_->path(), 20, 0, -1000.0);
        test::writeFlatDataTile(dir_->path(), 28, 0, -30.0);
        const std::uint16_t deep = test::codeOfElevation(-4000.0), mount = test::codeOfElevation(-1000.0);
        test::writeDataTile(dir_->path(), 36, 0, [&](int row, int col) {
            const double lat = 8.0 - (row + 0.5) / 240.0, lon = 36.0 + (col + 0.5) / 240.0;
            test::DataPixel p;
            p.code = lat > 1.1 && lat < 1.3 && lon > 37.4 && lon < 37.6 ? mount : deep;
            return p;
        });
        dir_->write("config.txt", "depth_multiplier 4.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    PolygonFillTest() : planner(out, sink, dir_->path()) { planner.setProgress(&progress); }

    void addVertex(double lon, double lat) { planner.polygon->addVertex(lon, mapY(lat), lat); }
    void setRing(const std::vector<std::pair<double, double>>& lonLat) {
        planner.plan->clearPlan();
        planner.polygon->clearPolygon();
        for (const auto& v : lonLat) addVertex(v.first, v.second);
    }
    std::string takeOutput() {
        const std::string s = out.str();
        out.str("");
        return s;
    }
    std::vector<Point> waypoints() const {
        std::vector<Point> r;
        for (const Waypoint* w = planner.plan->first(); w; w = w->next) r.push_back({w->lon, w->y});
        return r;
    }

    static test::TempDir* dir_;
    std::ostringstream out;
    NullTextureSink sink;
    RecordingProgress progress;
    PlannerState planner;
};

test::TempDir* PolygonFillTest::dir_ = nullptr;

TEST_F(PolygonFillTest, FillsASquareAndATrapezoidAtTheDepthSpacing) {
    const double top = mapY(1.0);
    struct Case {
        const char* name;
        double topWest;
        double topEast;
    };
    // South side 5..6 E along the equator, north side along 1 N.
    const Case cases[] = {{"square", 5.0, 6.0}, {"trapezoid", 5.2, 5.8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        planner.plan->clearPlan();
        planner.polygon->clearPolygon();
        addVertex(5.0, 0.0);
        addVertex(6.0, 0.0);
        addVertex(c.topEast, 1.0);
        addVertex(c.topWest, 1.0);
        planner.fillPolygon(false);

        // Lines about 0.1296 apart up to 8 * 0.1296 = 1.037; the next would
        // pass 1 N, and the last swath reaches it. Each spacing is taken at
        // the latitude of the line it starts from (1.0001 times as far at 1 N).
        const std::vector<Point> w = waypoints();
        ASSERT_EQ(w.size(), 18u);
        double y = 0.0;
        for (int i = 0; i < 9; ++i) {
            SCOPED_TRACE(i);
            const Point& a = w[static_cast<std::size_t>(2 * i)];
            const Point& b = w[static_cast<std::size_t>(2 * i + 1)];
            if (i > 0) y += kSpacing / std::cos(latitudeFromMapY(y) * 3.141592 / 180.0);
            EXPECT_NEAR(a.y, y, 1e-5);
            EXPECT_NEAR(b.y, y, 1e-5);
            // Clipped to the sides from line 1 on (line 0 is the first edge).
            const double west = 5.0 + (c.topWest - 5.0) * y / top;
            const double east = 6.0 + (c.topEast - 6.0) * y / top;
            // Even lines run west to east, odd ones back.
            EXPECT_NEAR(i % 2 == 0 ? a.x : b.x, west, 1e-5);
            EXPECT_NEAR(i % 2 == 0 ? b.x : a.x, east, 1e-5);
        }
        const std::string text = takeOutput();
        EXPECT_EQ(text.find("WARNING"), std::string::npos);
        EXPECT_NE(text.find("\n\n POLYFILL 2\n"), std::string::npos);
        EXPECT_NE(text.find("\n\nLINE 1   SPACING 0.1296\nDIST FROM FIRST "), std::string::npos);
        EXPECT_EQ(countOf(text, "After get line 2 \n"), 9);
    }
}

TEST_F(PolygonFillTest, ShallowWaterWarningsAsTheLinesShrink) {
    // A triangle 2 degrees tall: the stored line grows shorter than 0.2 from
    // line 14 and shorter than 0.1 at line 16, which ends the fill.
    addVertex(5.0, 0.0);
    addVertex(6.0, 0.0);
    addVertex(5.5, 2.0);
    planner.fillPolygon(false);
    const std::string text = takeOutput();
    const std::string limited =
        "****************      WARNING       ******************\n"
        "************* TESSARIN HAS LIMITED *****************\n"
        "********* FUNCTIONALITY IN SHALLOW WATER *************\n";
    const std::string stop =
        "****************      WARNING       ********************\n"
        "*********** TESSARIN DOES NOT OPERATE ****************\n"
        "****************** AT THIS SCALE ***********************\n";
    EXPECT_EQ(countOf(text, limited), 3);
    EXPECT_EQ(countOf(text, limited + stop), 1);
    EXPECT_EQ(countOf(text, stop), 1);
    EXPECT_EQ(planner.plan->waypointCount(), 2 * 16);
    EXPECT_EQ(text.find("\n\nLINE 17 "), std::string::npos);
}

TEST_F(PolygonFillTest, EveryFillStartsOnTheFirstEdgeAndTabTurnsIt) {
    addVertex(5.0, 0.0);
    addVertex(6.0, 0.0);
    addVertex(6.0, 1.0);
    addVertex(5.0, 1.0);
    planner.fillPolygon(false);
    ASSERT_EQ(planner.plan->waypointCount(), 18);
    // A second fill after a finished one, with or without a pick, lays the
    // pattern again from the first edge (never the last line over itself).
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        if (round == 2) {
            ASSERT_TRUE(planner.polygon->pickVertex(6.0f, 0.0f, 1.0f));
        }
        planner.fillPolygon(false);
        const std::vector<Point> w = waypoints();
        ASSERT_EQ(w.size(), 18u * static_cast<std::size_t>(round + 1));
        const std::size_t s = 18u * static_cast<std::size_t>(round);
        EXPECT_NEAR(w[s].x, 5.0, 1e-9);
        EXPECT_NEAR(w[s].y, 0.0, 1e-9);
        EXPECT_NEAR(w[s + 2].y, kSpacing, 1e-5);
    }

    // With the east side as first edge the lines run north-south and advance
    // west: 8 of them fit in the degree, and a ninth half a spacing inside
    // the west side covers the strip the eighth swath leaves. Tab alone
    // restarts the fill there.
    planner.plan->clearPlan();
    planner.polygon->lineCount = 3;  // as if a fill had been cut short
    planner.polygon->rotateFirstVertex();
    planner.fillPolygon(false);
    const std::vector<Point> w = waypoints();
    ASSERT_EQ(w.size(), 18u);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        const Point& a = w[static_cast<std::size_t>(2 * i)];
        const Point& b = w[static_cast<std::size_t>(2 * i + 1)];
        const double x = i < 8 ? 6.0 - i * kSpacing : 5.0 + 0.5 * kSpacing;
        EXPECT_NEAR(a.x, x, 1e-5);
        EXPECT_NEAR(b.x, x, 1e-5);
        // Clipped to the south and north sides, alternately northward and southward.
        EXPECT_NEAR(i % 2 == 0 ? a.y : b.y, 0.0, 1e-9);
        EXPECT_NEAR(i % 2 == 0 ? b.y : a.y, mapY(1.0), 1e-9);
    }
}

TEST_F(PolygonFillTest, SpacingThatIsNotPositiveEndsTheFill) {
    struct Case {
        const char* name;
        double lat0;
        double lon0;
    };
    const Case cases[] = {{"no data", 20.0, 5.0}, {"land", 1.0, 13.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        planner.plan->clearPlan();
        planner.polygon->clearPolygon();
        addVertex(c.lon0, c.lat0);
        addVertex(c.lon0 + 1.0, c.lat0);
        addVertex(c.lon0 + 1.0, c.lat0 + 1.0);
        addVertex(c.lon0, c.lat0 + 1.0);
        takeOutput();
        planner.fillPolygon(false);
        // The first line stands; none is laid backwards over it.
        EXPECT_EQ(planner.plan->waypointCount(), 2);
        const std::string text = takeOutput();
        EXPECT_NE(text.find("FILL STOPPED: spacing -"), std::string::npos) << text;
        EXPECT_EQ(text.find("\n\nLINE 1 "), std::string::npos);
    }
}

TEST_F(PolygonFillTest, ReportsProgressAndKeepsItOffStandardOutput) {
    addVertex(5.0, 0.0);
    addVertex(6.0, 0.0);
    addVertex(6.0, 1.0);
    addVertex(5.0, 1.0);
    planner.fillPolygon(false);
    std::vector<std::string> expected = {"begin Fill 160"};
    for (int i = 1; i <= 9; ++i) expected.push_back("step " + std::to_string(i));
    expected.push_back("end");
    EXPECT_EQ(progress.calls, expected);

    // The same fill without the recording sink prints the same console lines.
    std::ostringstream out2;
    NullTextureSink sink2;
    PlannerState other(out2, sink2, dir_->path());
    NullProgress quiet;
    other.setProgress(&quiet);
    for (const PolygonVertex* v = planner.polygon->first();; v = v->next) {
        other.polygon->addVertex(v->x, v->y, v->lat);
        if (v->next == planner.polygon->first()) break;
    }
    const std::string before = out.str().substr(out.str().find("\n\n POLYFILL 2\n"));
    out2.str("");
    other.fillPolygon(false);
    EXPECT_EQ(out2.str().substr(out2.str().find("\n\n POLYFILL 2\n")), before);
}

TEST_F(PolygonFillTest, EmptyPolygonOrDegenerateFirstEdgeLaysNothing) {
    takeOutput();
    planner.fillPolygon(true);
    EXPECT_TRUE(planner.plan->empty());
    EXPECT_EQ(takeOutput(), "");
    addVertex(5.0, 0.0);
    planner.fillPolygon(false);
    addVertex(5.0, 0.0);
    addVertex(6.0, 1.0);
    planner.fillPolygon(false);
    EXPECT_TRUE(planner.plan->empty());
}

TEST_F(PolygonFillTest, ConcaveAreasGetOneLinePerInsideStretch) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> ring;
        int splitLines;  // fill lines laid as two stretches
    };
    const Case cases[] = {
        // A V notch cut into the north side down to 0.5 N: the lines above
        // it are laid on either side.
        {"notch", {{5, 0}, {6, 0}, {6, 1}, {5.6, 1}, {5.5, 0.5}, {5.4, 1}, {5, 1}}, 4},
        // An L: lines above 0.5 N stop at the inner corner.
        {"L", {{5, 0}, {6, 0}, {6, 0.5}, {5.5, 0.5}, {5.5, 1}, {5, 1}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setRing(c.ring);
        planner.fillPolygon(false);
        const test::SwathUnionFigures f = test::measureSwathUnion(*planner.plan, *planner.polygon);
        EXPECT_EQ(f.linesOutside, 0);
        EXPECT_GE(f.coveredFraction, 0.95);
        // Stretches of one line share its y and keep its running direction.
        int split = 0;
        double lastY = -1.0, lastDir = 0.0;
        for (const Waypoint* a = planner.plan->first(); a && a->next; a = a->next->next) {
            const double dir = a->next->lon - a->lon;
            if (std::fabs(a->y - lastY) < 1e-9) {
                ++split;
                EXPECT_GT(dir * lastDir, 0.0);
            }
            lastY = a->y;
            lastDir = dir;
            if (!a->next->next) break;
        }
        EXPECT_EQ(split, c.splitLines);
    }
}

TEST_F(PolygonFillTest, ALineOutsideTheAreaIsTakenBackAndTheFillSaysWhy) {
    // First edge 6..7 E along 2 N; the area runs 1 degree north of it but
    // reaches 1.5 degrees south of it west of 6 E. The far-side test (farthest
    // vertex from the first edge's line) lets lines pass north of 3 N, where
    // the area is not.
    setRing({{6, 2}, {7, 2}, {7, 3}, {5, 3}, {5, 0.5}, {6, 0.5}});
    planner.fillPolygon(false);
    const test::SwathUnionFigures f = test::measureSwathUnion(*planner.plan, *planner.polygon);
    EXPECT_EQ(f.linesOutside, 0);
    for (const Waypoint* w = planner.plan->first(); w; w = w->next) EXPECT_LE(w->lat, 3.0 + 1e-9);
    EXPECT_NE(takeOutput().find("FILL STOPPED: line 9 does not cross the area\n"), std::string::npos);
}

TEST_F(PolygonFillTest, FillFollowsTheLastWaypointWhereverTheCurrentOneIs) {
    for (const bool currentFirst : {true, false}) {
        SCOPED_TRACE(currentFirst);
        setRing({{5, 0}, {6, 0}, {6, 1}, {5, 1}});
        planner.plan->addWaypoint(10.0, mapY(5.0), 5.0, 9.0f, 4.0f);
        planner.plan->addWaypoint(11.0, mapY(5.0), 5.0, 9.0f, 4.0f);
        if (currentFirst) planner.plan->setCurrentWaypoint(planner.plan->first());
        planner.fillPolygon(false);
        const std::vector<Point> w = waypoints();
        ASSERT_EQ(w.size(), 20u);
        EXPECT_DOUBLE_EQ(w[0].x, 10.0);
        EXPECT_DOUBLE_EQ(w[1].x, 11.0);
        EXPECT_DOUBLE_EQ(w[1].y, mapY(5.0));
        EXPECT_DOUBLE_EQ(w[2].x, 5.0);
        EXPECT_NEAR(w[2].y, 0.0, 1e-9);
    }
}

TEST_F(PolygonFillTest, FineCaptureOnceTheWaterIsShallowerThan1100m) {
    struct Case {
        const char* name;
        double lon0;
        bool fine;
    };
    const Case cases[] = {{"4000 m", 5.0, false}, {"1000 m", 21.0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setRing({{c.lon0, 0}, {c.lon0 + 0.2, 0}, {c.lon0 + 0.2, 0.1}, {c.lon0, 0.1}});
        takeOutput();
        planner.fillPolygon(true);
        EXPECT_EQ(takeOutput().find("CAPTURE Hi RES") != std::string::npos, c.fine);
    }
}

TEST_F(PolygonFillTest, SpacingFollowsTheShallowestWaterInsideTheArea) {
    // 0.9 * 4 * depth / 111111 times the secant of the latitude measured at.
    auto spacing = [](double depthM, double lat) {
        return 0.9 * 4.0 * depthM / 111111.0 / std::cos(lat * 3.141592 / 180.0);
    };
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> ring;
        double lat;              // of the line, which runs 37 to 38 E
        double expected;
    };
    const Case cases[] = {
        {"flat floor", {{37, 0.2}, {38, 0.2}, {38, 2}, {37, 2}}, 0.5, spacing(4000.0, 0.5)},
        // The next line, 0.12 degrees on, would cross the seamount: the
        // spacing shrinks to what 1000 m allows (the line there misses it).
        {"seamount ahead", {{37, 0.2}, {38, 0.2}, {38, 2}, {37, 2}}, 1.03, spacing(1000.0, 1.03)},
        // The seamount between the line's ends, under the line itself.
        {"seamount under the line", {{37, 0.2}, {38, 0.2}, {38, 2}, {37, 2}}, 1.2, spacing(1000.0, 1.2)},
        // The same seamount outside the area does not count.
        {"seamount outside", {{37.8, 0.2}, {38, 0.2}, {38, 2}, {37.8, 2}}, 1.2, spacing(4000.0, 1.2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setRing(c.ring);
        const SpacingContext context{*planner.polygon, planner.tiles, planner.plan->extinctionCurve(), 10.0f};
        const double y = mapY(c.lat);
        EXPECT_NEAR(spacingToNextLine(context, 37.0, y, 38.0, y, 0.0, 1.0), c.expected, 1e-5);
    }
}

TEST_F(PolygonFillTest, TheLineCapEndsTheFillWithAWordAndTheNextFillStartsAfresh) {
    // 30 m: 0.9 * 4 * 30 / 111111 = 0.00097 units apart, 160 lines in 0.16.
    setRing({{29, 0}, {30, 0}, {30, 1}, {29, 1}});
    takeOutput();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        planner.fillPolygon(false);
        const std::string text = takeOutput();
        EXPECT_EQ(countOf(text, "FILL STOPPED: 160 lines\n"), 1);
        const std::vector<Point> w = waypoints();
        ASSERT_EQ(w.size(), 320u * static_cast<std::size_t>(round));
        EXPECT_DOUBLE_EQ(w[320u * static_cast<std::size_t>(round - 1)].x, 29.0);
        EXPECT_NEAR(w[320u * static_cast<std::size_t>(round - 1)].y, 0.0, 1e-9);
    }
}

}  // namespace
}  // namespace tessarin
