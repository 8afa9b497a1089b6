#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "earth/MapProjection.hpp"
#include "plan/PlanWorld.hpp"

using tessarin::MapPoint;
using tessarin::SurveyPlan;
using tessarin::SwathStrip;
using tessarin::Waypoint;
using tessarin::test::PlanWorld;

namespace {

// Waypoints of the list from the head, as their longitudes, checking the
// links both ways on the way.
std::vector<double> lons(const SurveyPlan& plan) {
    std::vector<double> v;
    const Waypoint* prev = nullptr;
    for (const Waypoint* w = plan.first(); w; w = w->next) {
        EXPECT_EQ(w->prev, prev) << "broken back link at lon " << w->lon;
        v.push_back(w->lon);
        prev = w;
    }
    return v;
}

void add(SurveyPlan& plan, double lon, double y = 10.0) {
    plan.addWaypoint(lon, y, tessarin::latitudeFromMapY(y), 9.0f, 4.0f);
}

Waypoint* at(const SurveyPlan& plan, int index) {
    Waypoint* w = plan.first();
    while (index-- > 0) w = w->next;
    return w;
}

}  // namespace

TEST(SurveyPlanList, AddingLinksAfterTheCurrentWaypoint) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    add(plan, 1);
    Waypoint* a = plan.first();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(plan.current(), a);
    EXPECT_EQ(plan.cursor(), a);
    EXPECT_EQ(a->marker->state, MapPoint::kNormal);  // the first waypoint is not highlighted
    EXPECT_EQ(a->marker->x, 1.0);
    EXPECT_EQ(a->marker->y, 10.0);

    add(plan, 2);
    Waypoint* b = a->next;
    EXPECT_EQ(plan.current(), b);
    EXPECT_EQ(plan.cursor(), b);
    EXPECT_EQ(a->marker->state, MapPoint::kNormal);
    EXPECT_EQ(b->marker->state, MapPoint::kHighlighted);
    EXPECT_EQ(b->speed, 9.0f);
    EXPECT_EQ(b->depthMultiplier, 4.0f);

    // With the first waypoint current, a new one goes between it and its
    // former successor, whose back link now points to the new one.
    plan.setCurrentWaypoint(a);
    add(plan, 1.5);
    EXPECT_EQ(lons(plan), (std::vector<double>{1, 1.5, 2}));
    EXPECT_EQ(b->prev, a->next);
    EXPECT_EQ(plan.current(), a->next);
}

TEST(SurveyPlanList, AddingAtTheStartAndBeforeTheAnchor) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    plan.addStartWaypoint(true, 5, 10, 9.5, 9.0f, 4.0f);
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(world.takeOutput().find("START ADD"), std::string::npos);

    add(plan, 1);
    add(plan, 2);
    add(plan, 3);
    plan.addStartWaypoint(true, 0, 10, 9.5, 9.0f, 4.0f);
    EXPECT_EQ(lons(plan), (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(plan.current(), plan.first());
    EXPECT_EQ(plan.cursor(), plan.first());
    EXPECT_EQ(plan.first()->marker->state, MapPoint::kHighlighted);
    EXPECT_EQ(at(plan, 3)->marker->state, MapPoint::kNormal);
    EXPECT_NE(world.takeOutput().find("START ADD 0 9.5\n"), std::string::npos);

    // Successive insertions before the anchor land each before the last.
    plan.setInsertionAnchor(at(plan, 3));
    plan.addStartWaypoint(false, 2.9, 10, 9.5, 9.0f, 4.0f);
    plan.addStartWaypoint(false, 2.8, 10, 9.5, 9.0f, 4.0f);
    EXPECT_EQ(lons(plan), (std::vector<double>{0, 1, 2, 2.8, 2.9, 3}));
    EXPECT_EQ(plan.insertionAnchor(), at(plan, 3));
    EXPECT_EQ(plan.current(), at(plan, 3));

    // An anchor that was deleted is dropped; insertion then goes to the head
    // instead of touching freed memory.
    plan.deleteCurrent();
    EXPECT_EQ(plan.insertionAnchor(), nullptr);
    plan.addStartWaypoint(false, -1, 10, 9.5, 9.0f, 4.0f);
    EXPECT_EQ(lons(plan), (std::vector<double>{-1, 0, 1, 2, 2.9, 3}));
}

TEST(SurveyPlanList, PickingUsesTheToleranceBoxAndPrefersTheHead) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    add(plan, 10.0, 20.0);
    add(plan, 10.5, 20.0);
    add(plan, 30.0, 20.0);
    world.takeOutput();

    float lat = 0, y = 0, lon = 0;
    // scale 7: tolerance 1 map unit, border included.
    EXPECT_TRUE(plan.pickWaypoint(11.0f, 21.0f, 7.0f, lat, y, lon));
    EXPECT_EQ(plan.current(), plan.first());
    EXPECT_EQ(lon, 10.0f);
    EXPECT_EQ(y, 20.0f);
    EXPECT_EQ(lat, static_cast<float>(tessarin::latitudeFromMapY(20.0)));
    EXPECT_EQ(world.takeOutput().substr(0, 11), "Pick2D Lat ");

    // Both of the first two markers are within reach: the one nearer the
    // head wins, and the markers after it are not touched.
    at(plan, 2)->marker->highlight();
    EXPECT_TRUE(plan.pickWaypoint(10.3f, 20.0f, 7.0f, lat, y, lon));
    EXPECT_EQ(plan.current(), plan.first());
    EXPECT_EQ(at(plan, 0)->marker->state, MapPoint::kHighlighted);
    EXPECT_EQ(at(plan, 1)->marker->state, MapPoint::kNormal);
    EXPECT_EQ(at(plan, 2)->marker->state, MapPoint::kHighlighted);

    // Just outside the box; the larger scale shrinks it.
    EXPECT_FALSE(plan.pickWaypoint(8.99f, 20.0f, 7.0f, lat, y, lon));
    EXPECT_FALSE(plan.pickWaypoint(10.0f, 20.2f, 70.0f, lat, y, lon));
    EXPECT_EQ(plan.current(), plan.first());  // a miss keeps the current waypoint
    EXPECT_TRUE(plan.pickWaypoint(30.0f, 20.09f, 70.0f, lat, y, lon));
    EXPECT_EQ(plan.current(), at(plan, 2));
}

TEST(SurveyPlanList, DeleteCases) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    for (double lon : {1, 2, 3, 4}) add(plan, lon);

    plan.setCurrentWaypoint(plan.first());
    plan.deleteCurrent();
    EXPECT_EQ(lons(plan), (std::vector<double>{2, 3, 4}));
    EXPECT_EQ(plan.current(), plan.first());
    EXPECT_EQ(plan.first()->prev, nullptr);

    plan.setCurrentWaypoint(at(plan, 1));
    plan.deleteCurrent();
    EXPECT_EQ(lons(plan), (std::vector<double>{2, 4}));
    EXPECT_EQ(plan.current(), plan.first());

    // The walk cursor stood on the deleted last waypoint: it is dropped, so
    // a walk that was under way stops instead of reading freed memory.
    ASSERT_TRUE(plan.walkFromFirst());
    ASSERT_TRUE(plan.walkNext());
    plan.setCurrentWaypoint(at(plan, 1));
    plan.deleteCurrent();
    EXPECT_EQ(plan.cursor(), nullptr);
    EXPECT_FALSE(plan.walkNext());
    double lat = 0, y = 0, lon = 0;
    EXPECT_FALSE(plan.getCursorPoint(lat, y, lon));

    plan.deleteCurrent();
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(plan.current(), nullptr);
    world.takeOutput();
    plan.deleteCurrent();  // nothing left: only the console line
    EXPECT_EQ(world.takeOutput(), "DELETE \n");

    for (double v : {1, 2, 3}) add(plan, v);
    plan.walkFromFirst();
    plan.clearPlan();
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(plan.current(), nullptr);
    EXPECT_EQ(plan.cursor(), nullptr);
    EXPECT_EQ(plan.insertionAnchor(), nullptr);
}

TEST(SurveyPlanList, WalksAndLegQueries) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    EXPECT_FALSE(plan.walkFromFirst());
    EXPECT_FALSE(plan.walkFromLastLeg());
    for (double lon : {1, 2, 3}) add(plan, lon, 10.0 + lon);

    double lat1, y1, lon1, lat2, y2, lon2;
    // The current waypoint is the last one.
    EXPECT_FALSE(plan.getCurrentLeg(false, lat1, y1, lon1, lat2, y2, lon2));
    ASSERT_TRUE(plan.getCurrentLeg(true, lat1, y1, lon1, lat2, y2, lon2));
    EXPECT_EQ(lon1, 2.0);
    EXPECT_EQ(y1, 12.0);
    EXPECT_EQ(lon2, 3.0);
    EXPECT_DOUBLE_EQ(lat2, tessarin::latitudeFromMapY(13.0));
    EXPECT_FALSE(plan.walkFromCurrentLeg());
    EXPECT_EQ(plan.cursor(), nullptr);

    EXPECT_TRUE(plan.walkFromLastLeg());
    EXPECT_EQ(plan.current(), at(plan, 1));
    EXPECT_EQ(plan.cursor(), at(plan, 1));
    EXPECT_TRUE(plan.walkFromCurrentLeg());
    EXPECT_TRUE(plan.walkNext());  // second-to-last to last
    EXPECT_EQ(plan.cursor(), at(plan, 2));
    EXPECT_FALSE(plan.walkNext());
    EXPECT_EQ(plan.cursor(), at(plan, 2));

    EXPECT_TRUE(plan.walkFromFirst());
    EXPECT_EQ(plan.current(), plan.first());
    double lat, y, lon;
    ASSERT_TRUE(plan.getCursorPoint(lat, y, lon));
    EXPECT_EQ(lon, 1.0);
    EXPECT_EQ(y, 11.0);

    PlanWorld lone;
    SurveyPlan& single = lone.build();
    add(single, 1);
    EXPECT_FALSE(single.getCurrentLeg(true, lat1, y1, lon1, lat2, y2, lon2));
    EXPECT_TRUE(single.walkFromLastLeg());
    EXPECT_EQ(single.cursor(), single.first());
    EXPECT_EQ(single.recomputeCursorLeg(), -100000.0f);
}

TEST(SurveyPlanList, EditsWriteFieldsAndMarkers) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    double lat = 0, lon = 0;
    float speed = 0, mult = 0;
    EXPECT_FALSE(plan.moveCurrent(1, 2, 3));
    EXPECT_FALSE(plan.getCurrent(lat, lon, speed, mult));
    add(plan, 1);
    EXPECT_FALSE(plan.setCurrentLeg(0, 0, 1, 1));  // no predecessor

    world.takeOutput();
    ASSERT_TRUE(plan.setCurrent(7, 8, 9, 7.5f, 3.0f));
    EXPECT_EQ(world.takeOutput(), "LEG Spd  7.5\n");
    ASSERT_TRUE(plan.getCurrent(lat, lon, speed, mult));
    EXPECT_EQ(lat, 9.0);
    EXPECT_EQ(lon, 7.0);
    EXPECT_EQ(speed, 7.5f);
    EXPECT_EQ(mult, 3.0f);
    EXPECT_EQ(plan.first()->marker->x, 7.0);
    EXPECT_EQ(plan.first()->marker->y, 8.0);

    add(plan, 2);
    ASSERT_TRUE(plan.setCurrentLeg(4, 5, 6, 7));
    const Waypoint* a = plan.first();
    const Waypoint* b = a->next;
    EXPECT_EQ(a->lon, 4.0);
    EXPECT_EQ(a->marker->y, 5.0);
    EXPECT_DOUBLE_EQ(a->lat, tessarin::latitudeFromMapY(5.0));
    EXPECT_EQ(b->marker->x, 6.0);
    EXPECT_DOUBLE_EQ(b->lat, tessarin::latitudeFromMapY(7.0));
}

TEST(SurveyPlanList, BoundsAndTotals) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    double xmin, xmax, ymin, ymax;
    EXPECT_FALSE(plan.planBounds(xmin, xmax, ymin, ymax));
    add(plan, -3, 12);
    add(plan, 5, -4);
    add(plan, 1, 30);
    ASSERT_TRUE(plan.planBounds(xmin, xmax, ymin, ymax));
    const double pad = 0.20000000298023224;  // the single-precision 0.2
    EXPECT_EQ(xmin, -3 - pad);
    EXPECT_EQ(xmax, 5 + pad);
    EXPECT_EQ(ymin, -4 - pad);
    EXPECT_EQ(ymax, 30 + pad);

    float fxmin, fxmax, fymin, fymax;
    plan.walkFromFirst();
    ASSERT_TRUE(plan.cursorLegBounds(fxmin, fxmax, fymin, fymax));
    EXPECT_EQ(fxmin, -3.0f - 0.2f);
    EXPECT_EQ(fxmax, 5.0f + 0.2f);
    EXPECT_EQ(fymin, -4.0f - 0.2f);
    EXPECT_EQ(fymax, 12.0f + 0.2f);
    plan.walkNext();
    plan.walkNext();
    EXPECT_FALSE(plan.cursorLegBounds(fxmin, fxmax, fymin, fymax));  // the last waypoint has no leg

    // Only waypoints with a successor count, whatever the last one holds.
    Waypoint* w = plan.first();
    w->lengthNm = 18.0f, w->lengthKm = 33.0f, w->speed = 9.0f;
    w->next->lengthNm = 6.0f, w->next->lengthKm = 11.0f, w->next->speed = 12.0f;
    w->next->next->lengthNm = 1000.0f, w->next->next->lengthKm = 1000.0f;
    float nm = 0, hours = 0;
    EXPECT_EQ(plan.planLegTotals(nm, hours), 44.0f);
    EXPECT_EQ(nm, 24.0f);
    EXPECT_EQ(hours, 2.5f);
}

TEST(SurveyPlanList, LegDirectionsAndStrips) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    add(plan, 1, 10);
    add(plan, 1.01, 10);  // 2.4 samples' worth
    add(plan, 1.01, 20);  // ten map units north: far beyond the cap
    plan.refreshLegDirections();
    const Waypoint* a = plan.first();
    const Waypoint* b = a->next;
    EXPECT_EQ(a->sampleCount, 2);
    EXPECT_NEAR(a->normalX, 0.0, 1e-12);  // eastbound: starboard is south
    EXPECT_NEAR(a->normalY, -1.0, 1e-12);
    EXPECT_EQ(b->sampleCount, SurveyPlan::kMaxStraightSamples);
    EXPECT_NEAR(b->normalX, 1.0, 1e-12);  // northbound: starboard is east
    EXPECT_NEAR(b->normalY, 0.0, 1e-12);

    // Strips are handed out per leg only; the last waypoint has none even
    // when its arrays hold something.
    b->next->sampleCount = 5;
    std::vector<int> counts;
    plan.forEachSwathStrip([&](const SwathStrip& s) { counts.push_back(s.count); });
    EXPECT_EQ(counts, (std::vector<int>{2, 320}));
    SwathStrip strip;
    plan.walkFromFirst();
    ASSERT_TRUE(plan.cursorSwathStrip(strip));
    EXPECT_EQ(strip.rightX, a->rightX);
    EXPECT_EQ(strip.count, 2);
    plan.walkNext();
    plan.walkNext();
    EXPECT_FALSE(plan.cursorSwathStrip(strip));
    // A leg shrunk to nothing has no direction: its normal becomes zero, as
    // the swath recompute sets it, instead of keeping the northbound one.
    b->next->lon = b->lon;
    b->next->y = b->y;
    plan.refreshLegDirections();
    EXPECT_EQ(b->sampleCount, 0);
    EXPECT_EQ(b->normalX, 0.0);
    EXPECT_EQ(b->normalY, 0.0);
    EXPECT_NEAR(a->normalY, -1.0, 1e-12);
}
