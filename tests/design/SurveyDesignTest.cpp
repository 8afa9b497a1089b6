#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "area/SurveyPolygon.hpp"
#include "coverage/PlanCost.hpp"
#include "design/AreaCoverage.hpp"
#include "design/DesignWorker.hpp"
#include "design/LineOrder.hpp"
#include "design/SurveyDesign.hpp"
#include "earth/MapProjection.hpp"
#include "plan/PlanWorld.hpp"
#include "support/SwathUnion.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

constexpr double kPi = 3.14159265358979323846;
// Flat floor of 4000 m with a swath multiplier of 4 at 10 % overlap.
constexpr double kDepthSpacingM = 0.9 * 4.0 * 4000.0;

// Metres between two map-plane points on the sphere of 111111 m a degree.
double groundM(double x1, double y1, double x2, double y2) {
    const double lat1 = latitudeFromMapY(y1), lat2 = latitudeFromMapY(y2);
    const double east = (x2 - x1) * 111111.0 * std::cos(0.5 * (lat1 + lat2) * kPi / 180.0);
    const double north = (lat2 - lat1) * 111111.0;
    return std::hypot(east, north);
}

double groundHeading(const DesignLine& l) {
    const double lat1 = latitudeFromMapY(l.ay), lat2 = latitudeFromMapY(l.by);
    const double east = (l.bx - l.ax) * std::cos(0.5 * (lat1 + lat2) * kPi / 180.0);
    double h = std::atan2(east, lat2 - lat1) * 180.0 / kPi;
    return h < 0.0 ? h + 360.0 : h;
}

// Distance across from line a to line b (both straight and parallel), metres.
double acrossM(const DesignLine& a, const DesignLine& b) {
    const double dx = a.bx - a.ax, dy = a.by - a.ay;
    const double len = std::hypot(dx, dy);
    // Foot of b's start on a's line, then the ground distance to it.
    const double t = ((b.ax - a.ax) * dx + (b.ay - a.ay) * dy) / (len * len);
    // The map plane is not isotropic: the nearest point of a's line to b's
    // start on the ground, searched around the map-plane foot.
    double best = std::numeric_limits<double>::max();
    for (int k = -200; k <= 200; ++k) {
        const double s = t + k * 0.0005;
        best = std::min(best, groundM(a.ax + s * dx, a.ay + s * dy, b.ax, b.ay));
    }
    return best;
}

struct DesignWorld {
    test::PlanWorld world;
    std::ostringstream quiet;
    SurveyPolygon area{quiet, 4.0f};
    SurveyPlan* plan = nullptr;
    double turnDiameterM = 10.0;

    DesignWorld() {
        test::writeFlatDataTile(world.dir.path(), 4, 0, -4000.0);
        plan = &world.build(4.0f, 4.42f, 10.0f);
    }
    void ring(std::initializer_list<std::pair<double, double>> lonLat) {
        area.clearPolygon();
        for (auto [lon, lat] : lonLat) area.addVertex(lon, mapY(lat), lat);
    }
    DesignInputs inputs() { return {area, world.tiles, plan->extinctionCurve(), turnDiameterM, 10.0f}; }
    DesignLayout lay(const SurveyDesign& d) { return layOutDesign(d, inputs()); }
    // The plan holding exactly the layout, swaths generated.
    SurveyPlan& planOf(const DesignLayout& l) {
        plan->clearPlan();
        appendDesignToPlan(l, *plan, 10.0f, 4.0f);
        plan->generateSwaths(false);
        return *plan;
    }
};

std::vector<DesignLine> mainsOf(const DesignLayout& l) {
    std::vector<DesignLine> out;
    for (const DesignLine& d : l.lines)
        if (!d.crossline) out.push_back(d);
    return out;
}

// A 1 x 1 degree square over the tile from 4 east, first edge along its south side, west to east.
void square(DesignWorld& w) { w.ring({{6.0, 2.0}, {7.0, 2.0}, {7.0, 3.0}, {6.0, 3.0}}); }

TEST(SurveyDesign, LinesRunInTheChosenDirection) {
    struct Case {
        DesignDirection direction;
        double heading;
        double expected;  // ground heading of the first line, modulo 180
    };
    const Case cases[] = {
        {DesignDirection::FirstEdge, 0.0, 90.0},
        {DesignDirection::Heading, 0.0, 0.0},
        {DesignDirection::Heading, 90.0, 90.0},
        {DesignDirection::Heading, 45.0, 45.0},
        {DesignDirection::Heading, 120.0, 120.0},
    };
    DesignWorld w;
    square(w);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        SurveyDesign d;
        d.direction = c.direction;
        d.headingDeg = c.heading;
        const DesignLayout l = w.lay(d);
        ASSERT_GE(l.mainLines, 5) << l.problem;
        EXPECT_NEAR(l.headingDeg, c.expected, 1e-6);
        for (const DesignLine& line : l.lines) EXPECT_NEAR(std::fmod(groundHeading(line), 180.0), std::fmod(c.expected, 180.0), 0.05);
    }
}

TEST(SurveyDesign, FirstLineStartsAtTheChosenCorner) {
    struct Case {
        StartCorner corner;
        bool east, north;
    };
    const Case cases[] = {{StartCorner::NE, true, true},
                          {StartCorner::NW, false, true},
                          {StartCorner::SE, true, false},
                          {StartCorner::SW, false, false}};
    DesignWorld w;
    square(w);
    for (double heading : {0.0, 90.0}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << heading << " " << c.east << c.north);
            SurveyDesign d;
            d.direction = DesignDirection::Heading;
            d.headingDeg = heading;
            d.start = c.corner;
            const DesignLayout l = w.lay(d);
            ASSERT_FALSE(l.lines.empty());
            const DesignLine& f = l.lines.front();
            const double cornerX = c.east ? 7.0 : 6.0, cornerY = mapY(c.north ? 3.0 : 2.0);
            // Within half a spacing (and a little) of the corner, nearer
            // to it than any other line's start is.
            EXPECT_LT(groundM(f.ax, f.ay, cornerX, cornerY), 0.5 * kDepthSpacingM * 1.01);
            for (std::size_t i = 1; i < l.lines.size(); ++i)
                EXPECT_GT(groundM(l.lines[i].ax, l.lines[i].ay, cornerX, cornerY),
                          groundM(f.ax, f.ay, cornerX, cornerY));
        }
    }
}

TEST(SurveyDesign, NeighbouringLinesLieOneSpacingApart) {
    struct Case {
        SpacingRule rule;
        double fixedM;
        double heading;
        double expectedM;
    };
    const Case cases[] = {
        {SpacingRule::Depth, 0.0, 90.0, kDepthSpacingM}, {SpacingRule::Depth, 0.0, 0.0, kDepthSpacingM},
        {SpacingRule::Depth, 0.0, 30.0, kDepthSpacingM}, {SpacingRule::Fixed, 5000.0, 90.0, 5000.0},
        {SpacingRule::Fixed, 5000.0, 0.0, 5000.0},       {SpacingRule::Fixed, 20000.0, 60.0, 20000.0},
    };
    DesignWorld w;
    square(w);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fixedM << " " << c.heading);
        SurveyDesign d;
        d.direction = DesignDirection::Heading;
        d.headingDeg = c.heading;
        d.spacing = c.rule;
        d.fixedSpacingM = c.fixedM;
        const std::vector<DesignLine> m = mainsOf(w.lay(d));
        ASSERT_GE(m.size(), 3u);
        // All but the last, which is put half a spacing in from the far side.
        for (std::size_t i = 1; i + 1 < m.size(); ++i) EXPECT_NEAR(acrossM(m[i - 1], m[i]), c.expectedM, c.expectedM * 0.005);
        EXPECT_LE(acrossM(m[m.size() - 2], m.back()), c.expectedM * 1.005);
    }
}

TEST(SurveyDesign, RunOutExtendsTheLinesPastTheBoundary) {
    DesignWorld w;
    // A trapezoid with slanted sides: lines clipped flush leave wedges at
    // both ends that their swaths do not reach.
    w.ring({{6.0, 2.0}, {7.0, 2.0}, {6.7, 2.8}, {6.3, 2.8}});
    struct Case {
        RunOutRule rule;
        double metres;
    };
    const Case cases[] = {{RunOutRule::Metres, 0.0}, {RunOutRule::Metres, 3000.0}, {RunOutRule::SwathEdge, 0.0}};
    std::map<int, double> covered;
    std::map<int, std::vector<DesignLine>> laid;
    for (int k = 0; k < 3; ++k) {
        SurveyDesign d;
        d.direction = DesignDirection::Heading;
        d.headingDeg = 90.0;
        d.runOut = cases[k].rule;
        d.runOutM = cases[k].metres;
        const DesignLayout l = w.lay(d);
        laid[k] = l.lines;
        covered[k] = coverageOfArea(w.area, w.planOf(l)).coveredPercent();
    }
    ASSERT_EQ(laid[0].size(), laid[1].size());
    for (std::size_t i = 0; i < laid[0].size(); ++i) {
        const DesignLine &flush = laid[0][i], &out = laid[1][i];
        EXPECT_NEAR(groundM(flush.ax, flush.ay, out.ax, out.ay), 3000.0, 3.0);
        EXPECT_NEAR(groundM(flush.bx, flush.by, out.bx, out.by), 3000.0, 3.0);
        // Outwards: the line grew by both run-outs.
        EXPECT_NEAR(groundM(out.ax, out.ay, out.bx, out.by) - groundM(flush.ax, flush.ay, flush.bx, flush.by), 6000.0, 6.0);
    }
    EXPECT_LT(covered[0], 99.0);
    EXPECT_GE(covered[2], 99.5);
    // To the swath edge: at each end no further than the slanted side runs
    // across the swath's half-width h = 0.515625 * 4 * 4000 m (0.3 degrees
    // of longitude over 0.8 of latitude), and nowhere shorter than half that.
    const double h = 0.515625 * 4.0 * 4000.0;
    const double slant = h * 0.3 / 0.8 * std::cos(2.4 * kPi / 180.0);
    ASSERT_EQ(laid[0].size(), laid[2].size());
    for (std::size_t i = 0; i < laid[0].size(); ++i) {
        const DesignLine &flush = laid[0][i], &out = laid[2][i];
        for (double m : {groundM(flush.ax, flush.ay, out.ax, out.ay), groundM(flush.bx, flush.by, out.bx, out.by)}) {
            EXPECT_LE(m, slant * 1.02) << i;
            EXPECT_GE(m, slant * 0.5) << i;
        }
    }
}

TEST(LineOrder, InterleavedTurnsSpanTheDiameterWithLittleExtra) {
    // Exhaustive least distance of an order starting at line 0 with every
    // turn at least gap lines wide (lines one unit apart).
    auto optimum = [](int n, int gap) {
        std::vector<std::vector<double>> best(1u << n, std::vector<double>(n, 1e18));
        best[1][0] = 0.0;
        for (unsigned mask = 1; mask < (1u << n); ++mask)
            for (int last = 0; last < n; ++last) {
                if (best[mask][last] >= 1e18) continue;
                for (int j = 0; j < n; ++j)
                    if (!(mask >> j & 1u) && std::abs(j - last) >= gap)
                        best[mask | 1u << j][j] = std::min(best[mask | 1u << j][j], best[mask][last] + std::abs(j - last));
            }
        return *std::min_element(best[(1u << n) - 1].begin(), best[(1u << n) - 1].end());
    };
    struct Case {
        int lines, gap;
    };
    const Case cases[] = {{5, 2}, {8, 2}, {11, 2}, {13, 2}, {7, 3}, {10, 3}, {12, 3}, {9, 4}, {12, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.lines << " lines, gap " << c.gap);
        std::vector<double> offsets;
        for (int i = 0; i < c.lines; ++i) offsets.push_back(100.0 * i);
        const LineOrderResult r = interleavedOrder(offsets, 100.0 * c.gap);
        ASSERT_EQ(r.order.size(), static_cast<std::size_t>(c.lines));
        EXPECT_EQ(r.order.front(), 0);
        EXPECT_EQ(std::set<int>(r.order.begin(), r.order.end()).size(), static_cast<std::size_t>(c.lines));
        EXPECT_EQ(r.narrowTurns, 0);
        for (std::size_t i = 1; i < r.order.size(); ++i) EXPECT_GE(std::abs(r.order[i] - r.order[i - 1]), c.gap);
        EXPECT_LE(turnDistanceM(offsets, r.order), 1.1 * 100.0 * optimum(c.lines, c.gap));
    }
    // Spacings that change from line to line (the depth rule): every line
    // once, every turn at least the diameter across.
    for (double diameter : {250.0, 420.0, 700.0}) {
        SCOPED_TRACE(diameter);
        std::vector<double> offsets{0.0};
        for (int i = 1; i < 17; ++i) offsets.push_back(offsets.back() + 100.0 * (1.0 + 0.6 * std::sin(1.7 * i)));
        const LineOrderResult r = interleavedOrder(offsets, diameter);
        EXPECT_EQ(std::set<int>(r.order.begin(), r.order.end()).size(), offsets.size());
        EXPECT_EQ(r.narrowTurns, 0);
        for (std::size_t i = 1; i < r.order.size(); ++i)
            EXPECT_GE(std::fabs(offsets[static_cast<std::size_t>(r.order[i])] - offsets[static_cast<std::size_t>(r.order[i - 1])]),
                      diameter - 1e-6);
    }
    // Too few lines for the diameter: the narrow turns are counted.
    const LineOrderResult tight = interleavedOrder({0.0, 100.0, 200.0}, 250.0);
    EXPECT_EQ(tight.order.size(), 3u);
    EXPECT_GT(tight.narrowTurns, 0);
    // Wide spacing: plain back and forth.
    EXPECT_EQ(interleavedOrder({0.0, 100.0, 200.0, 300.0}, 50.0).order, backAndForthOrder(4));
}

TEST(SurveyDesign, InterleavedLinesAreNeverSailedNextToTheirNeighbour) {
    DesignWorld w;
    square(w);
    w.turnDiameterM = 2.5 * kDepthSpacingM;
    SurveyDesign d;
    d.direction = DesignDirection::Heading;
    d.headingDeg = 90.0;
    d.order = LineOrderRule::Interleave;
    const DesignLayout l = w.lay(d);
    const std::vector<DesignLine> m = mainsOf(l);
    ASSERT_GE(m.size(), 7u);
    EXPECT_EQ(l.narrowTurns, 0);
    std::set<int> seen;
    for (std::size_t i = 0; i < m.size(); ++i) {
        seen.insert(m[i].offsetIndex);
        if (i == 0) continue;
        EXPECT_GE(std::abs(m[i].offsetIndex - m[i - 1].offsetIndex), 3) << i;
        // Each line still runs the other way to the one before it.
        EXPECT_NEAR(std::fabs(groundHeading(m[i]) - groundHeading(m[i - 1])), 180.0, 0.05);
    }
    EXPECT_EQ(seen.size(), m.size());
    d.order = LineOrderRule::BackAndForth;
    const std::vector<DesignLine> plain = mainsOf(w.lay(d));
    for (std::size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(plain[i].offsetIndex, static_cast<int>(i));
}

TEST(SurveyDesign, CrosslinesArePerpendicularAtTheirSpacingAfterTheMainLines) {
    DesignWorld w;
    square(w);
    struct Case {
        double heading, spacingM;
        int expected;  // across about 111 km
    };
    const Case cases[] = {{90.0, 20000.0, 6}, {0.0, 30000.0, 4}, {90.0, 0.0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spacingM);
        SurveyDesign d;
        d.direction = DesignDirection::Heading;
        d.headingDeg = c.heading;
        d.crosslineSpacingM = c.spacingM;
        const DesignLayout l = w.lay(d);
        EXPECT_EQ(l.crosslines, c.expected);
        std::vector<DesignLine> cross;
        bool crossSeen = false;
        for (const DesignLine& line : l.lines) {
            if (line.crossline) {
                cross.push_back(line);
                crossSeen = true;
            } else {
                EXPECT_FALSE(crossSeen) << "a main line after a crossline";
            }
        }
        ASSERT_EQ(static_cast<int>(cross.size()), c.expected);
        for (std::size_t i = 0; i < cross.size(); ++i) {
            EXPECT_NEAR(std::fmod(groundHeading(cross[i]), 180.0), std::fmod(c.heading + 90.0, 180.0), 0.05);
            if (i > 0) {
                EXPECT_NEAR(acrossM(cross[i - 1], cross[i]), c.spacingM, c.spacingM * 0.005);
            }
        }
    }
}

TEST(SurveyDesign, TotalsAgreeWithThePlanAndItsSwaths) {
    DesignWorld w;
    square(w);
    struct Case {
        double heading;
        LineOrderRule order;
        double crossM;
    };
    const Case cases[] = {{90.0, LineOrderRule::BackAndForth, 0.0},
                          {45.0, LineOrderRule::BackAndForth, 25000.0},
                          {0.0, LineOrderRule::Interleave, 0.0}};
    w.turnDiameterM = 2.0 * kDepthSpacingM;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.heading);
        SurveyDesign d;
        d.direction = DesignDirection::Heading;
        d.headingDeg = c.heading;
        d.order = c.order;
        d.runOut = RunOutRule::SwathEdge;
        d.crosslineSpacingM = c.crossM;
        const DesignLayout l = w.lay(d);
        SurveyPlan& plan = w.planOf(l);
        const DesignTotals t = designTotals(l, plan, w.area, 10.0f, 45000.0f);
        float nm = 0.0f, hours = 0.0f;
        const float km = plan.planLegTotals(nm, hours);
        EXPECT_EQ(t.lines, static_cast<int>(l.lines.size()));
        EXPECT_NEAR(t.totalKm, km, km * 1e-5);
        EXPECT_NEAR(t.lineKm + t.connectKm, t.totalKm, 1e-6);
        EXPECT_NEAR(t.hours, hours, hours * 1e-5);
        EXPECT_NEAR(layoutHours(l, 10.0f), hours, hours * 1e-4);
        EXPECT_NEAR(t.days, hours / 24.0, 1e-9);
        EXPECT_EQ(t.cost, mappingTime(hours, 45000.0f).cost);
        // The lines alone: each line's ground length.
        double lineKm = 0.0;
        for (const DesignLine& line : l.lines) lineKm += groundM(line.ax, line.ay, line.bx, line.by) / 1000.0;
        EXPECT_NEAR(t.lineKm, lineKm, lineKm * 0.002);
        // Covered share against an independent count of the swath union.
        const test::SwathUnionFigures u = test::measureSwathUnion(plan, w.area, 400);
        EXPECT_NEAR(t.coveredPercent, u.coveredFraction * 100.0, 0.3);
        EXPECT_GE(t.coveredPercent, 99.0);
        // The square's ground area: 1 degree of longitude by 1 of latitude.
        const double r = 111.112 * 180.0 / kPi;
        const double squareKm2 = r * r * (kPi / 180.0) * (std::sin(3.0 * kPi / 180.0) - std::sin(2.0 * kPi / 180.0));
        EXPECT_NEAR(t.polygonKm2, squareKm2, squareKm2 * 1e-4);
        EXPECT_NEAR(t.uncoveredKm2, squareKm2 * (100.0 - t.coveredPercent) / 100.0, 1e-6 * squareKm2);
    }
}

TEST(SurveyDesign, FastestTakesTheHeadingOfLeastTime) {
    DesignWorld w;
    // Long east to west, narrow north to south: lines along it turn least.
    w.ring({{5.0, 2.0}, {8.0, 2.0}, {8.0, 2.6}, {5.0, 2.6}});
    SurveyDesign d;
    d.direction = DesignDirection::Fastest;
    const DesignLayout fastest = w.lay(d);
    const double best = layoutHours(fastest, 10.0f);
    EXPECT_NEAR(std::fmod(fastest.headingDeg, 5.0), 0.0, 1e-9);
    for (double h = 0.0; h < 180.0; h += 5.0) {
        d.direction = DesignDirection::Heading;
        d.headingDeg = h;
        EXPECT_LE(best, layoutHours(w.lay(d), 10.0f) + 1e-9) << h;
    }
    EXPECT_NEAR(fastest.headingDeg, 90.0, 1e-9);
}

TEST(SurveyDesign, AreasWithoutWaterOrShapeLayNoLine) {
    DesignWorld w;
    struct Case {
        std::vector<std::pair<double, double>> ring;
        const char* problem;
    };
    // No tile at 20 to 21 degrees east (the tile is 4 to 12 east): the lookups answer 5 m.
    const Case cases[] = {{{{6.0, 2.0}, {7.0, 2.0}}, "at least three vertices"},
                          {{{20.0, 2.0}, {21.0, 2.0}, {21.0, 3.0}}, "no spacing"}};
    for (const Case& c : cases) {
        w.area.clearPolygon();
        for (auto [lon, lat] : c.ring) w.area.addVertex(lon, mapY(lat), lat);
        SurveyDesign d;
        const DesignLayout l = w.lay(d);
        EXPECT_TRUE(l.lines.empty());
        EXPECT_NE(l.problem.find(c.problem), std::string::npos) << l.problem;
    }
}

TEST(DesignWorker, TheNewestRequestIsComputedOnItsOwnTilesAndTakenOnce) {
    DesignWorld w;
    Configuration config;
    config.boatSpeed = 10.0f;
    DesignRequest request;
    request.lon = {6.0, 7.0, 7.0, 6.0};
    request.lat = {2.0, 2.0, 3.0, 3.0};
    DesignWorker worker(config, w.world.dir.path() + "/");
    std::uint64_t last = 0;
    for (double heading : {0.0, 30.0, 60.0}) {
        request.design.direction = DesignDirection::Heading;
        request.design.headingDeg = heading;
        last = worker.submit(request);
    }
    EXPECT_EQ(last, 3u);
    DesignResult r;
    bool taken = false;
    for (int i = 0; i < 3000 && !taken; ++i) {
        taken = !worker.busy() && worker.take(r);
        if (!taken) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(taken);
    EXPECT_EQ(r.request, last);
    DesignResult again;
    EXPECT_FALSE(worker.take(again));
    // The same as computed here, on the world's tiles.
    const DesignResult direct = computeDesign(request, config, w.world.tiles, w.world.dir.file("none.txt"));
    EXPECT_NEAR(r.layout.headingDeg, 60.0, 1e-9);
    ASSERT_EQ(r.layout.lines.size(), direct.layout.lines.size());
    EXPECT_NEAR(r.totals.totalKm, direct.totals.totalKm, 1e-6);
    EXPECT_NEAR(r.totals.coveredPercent, direct.totals.coveredPercent, 1e-9);
    EXPECT_EQ(r.outlines.size(), 2 * r.layout.lines.size() - 1);
}

}  // namespace
}  // namespace tessarin
