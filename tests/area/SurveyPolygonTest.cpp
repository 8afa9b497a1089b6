#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"

namespace tessarin {
namespace {

struct Lonlat {
    double lon;
    double lat;
};

class SurveyPolygonTest : public ::testing::Test {
protected:
    std::ostringstream out;
    SurveyPolygon polygon{out, 4.0f};

    void add(double lon, double lat) { polygon.addVertex(lon, mapY(lat), lat); }

    std::vector<Lonlat> ring() const {
        std::vector<Lonlat> r;
        const PolygonVertex* v = polygon.first();
        if (!v) return r;
        do {
            r.push_back({v->x, v->lat});
            v = v->next;
        } while (v != polygon.first());
        return r;
    }

    // Both directions of the ring agree.
    void expectLinked() const {
        const PolygonVertex* v = polygon.first();
        if (!v) return;
        do {
            EXPECT_EQ(v->next->prev, v);
            EXPECT_EQ(v->prev->next, v);
            v = v->next;
        } while (v != polygon.first());
    }
};

TEST_F(SurveyPolygonTest, AddingInsertsAfterCurrentAndPickMovesTheInsertionPoint) {
    add(1, 10);  // P1
    add(2, 11);  // P2
    add(3, 12);  // P3
    expectLinked();
    // The very first vertex stays un-highlighted; later ones take the highlight.
    EXPECT_EQ(polygon.first()->marker.state, MapPoint::kNormal);
    EXPECT_EQ(polygon.current()->marker.state, MapPoint::kHighlighted);
    EXPECT_EQ(polygon.first()->next->marker.state, MapPoint::kNormal);

    ASSERT_TRUE(polygon.pickVertex(1.0f, static_cast<float>(mapY(10)), 1.0f));
    EXPECT_EQ(polygon.current(), polygon.first());
    EXPECT_EQ(polygon.editState, SurveyPolygon::kEditPicked);
    add(4, 13);  // P4
    expectLinked();
    const std::vector<Lonlat> r = ring();
    ASSERT_EQ(r.size(), 4u);
    const double expected[] = {1, 4, 2, 3};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r[i].lon, expected[i]) << i;
    EXPECT_EQ(polygon.vertexCount(), 4);
}

TEST_F(SurveyPolygonTest, OneVertexIsItsOwnNeighbour) {
    add(5, 6);
    EXPECT_EQ(polygon.first()->next, polygon.first());
    EXPECT_EQ(polygon.first()->prev, polygon.first());
    EXPECT_EQ(polygon.first()->edgeLength, 1.0f);
    EXPECT_EQ(polygon.first()->normalX, 0.0);
    EXPECT_EQ(polygon.first()->marker.x, 5.0);
    EXPECT_EQ(polygon.first()->marker.y, mapY(6));
}

TEST_F(SurveyPolygonTest, PickToleranceIsABoxWithItsBorderIncluded) {
    // Marker at (2, 4); scale 2 gives a half-width of 3.5 map units. The
    // values below are exact in single precision, so the border is exact.
    polygon.addVertex(10, 10, 9.6);
    polygon.addVertex(2, 4, 3.9);
    struct Case {
        float x, y;
        bool hit;
    } cases[] = {
        {5.5f, 7.5f, true},   {-1.5f, 0.5f, true}, {5.5f, 4.0f, true},
        {5.51f, 4.0f, false}, {2.0f, 7.51f, false}, {-1.51f, 4.0f, false},
    };
    for (const Case& c : cases) {
        polygon.lineCount = 5;
        const bool hit = polygon.pickVertex(c.x, c.y, 2.0f);
        EXPECT_EQ(hit, c.hit) << c.x << " " << c.y;
        EXPECT_EQ(polygon.lineCount, 0);
        if (hit) {
            EXPECT_EQ(polygon.current()->x, 2.0);
            EXPECT_EQ(polygon.current()->marker.state, MapPoint::kHighlighted);
        }
    }
}

TEST_F(SurveyPolygonTest, PickTakesTheFirstHitInRingOrderAndAMissKeepsCurrent) {
    add(0, 0);
    add(0.5, 0);  // within reach of a pick at 0.25 as well
    add(9, 9);
    PolygonVertex* before = polygon.current();
    EXPECT_FALSE(polygon.pickVertex(50.0f, 50.0f, 1.0f));
    EXPECT_EQ(polygon.current(), before);
    EXPECT_EQ(before->marker.state, MapPoint::kNormal);  // un-highlighted by the pick
    ASSERT_TRUE(polygon.pickVertex(0.25f, 0.0f, 1.0f));
    EXPECT_EQ(polygon.current(), polygon.first());
}

TEST_F(SurveyPolygonTest, EmptyPolygonRefusesEveryQuery) {
    double a = 7, b = 8, c = 9, d = 10;
    EXPECT_FALSE(polygon.pickVertex(0, 0, 1));
    EXPECT_FALSE(polygon.moveCurrentVertex(1, 1, 1));
    EXPECT_FALSE(polygon.polygonBounds(a, b, c, d));
    EXPECT_FALSE(polygon.firstVertex(a, b));
    EXPECT_FALSE(polygon.currentVertex(a, b));
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 8);
    polygon.rotateFirstVertex();
    EXPECT_EQ(polygon.first(), nullptr);
    polygon.printPolygon();
    EXPECT_EQ(out.str(), "Polygon\n");
}

TEST_F(SurveyPolygonTest, MoveChangesPositionAndMarkerAndResetsTheFill) {
    add(1, 1);
    add(2, 2);
    polygon.lineCount = 7;
    ASSERT_TRUE(polygon.moveCurrentVertex(3.5, mapY(4.5), 4.5));
    EXPECT_EQ(polygon.lineCount, 0);
    const PolygonVertex* v = polygon.current();
    EXPECT_EQ(v->x, 3.5);
    EXPECT_EQ(v->lat, 4.5);
    EXPECT_EQ(v->marker.x, 3.5);
    EXPECT_EQ(v->marker.y, v->y);
    double lat = 0, lon = 0;
    ASSERT_TRUE(polygon.currentVertex(lat, lon));
    EXPECT_EQ(lat, 4.5);
    EXPECT_EQ(lon, 3.5);
    ASSERT_TRUE(polygon.firstVertex(lat, lon));
    EXPECT_EQ(lat, 1);
    EXPECT_EQ(lon, 1);
}

TEST_F(SurveyPolygonTest, BoundsArePaddedByAFifthOfADegree) {
    add(10, 20);
    double w, e, s, n;
    ASSERT_TRUE(polygon.polygonBounds(w, e, s, n));
    EXPECT_DOUBLE_EQ(w, 9.8);
    EXPECT_DOUBLE_EQ(e, 10.2);
    EXPECT_DOUBLE_EQ(s, 19.8);
    EXPECT_DOUBLE_EQ(n, 20.2);

    add(-3, -40);
    add(175, 60);
    ASSERT_TRUE(polygon.polygonBounds(w, e, s, n));
    EXPECT_DOUBLE_EQ(w, -3.2);
    EXPECT_DOUBLE_EQ(e, 175.2);
    EXPECT_DOUBLE_EQ(s, -40.2);  // latitude, not map-plane y
    EXPECT_DOUBLE_EQ(n, 60.2);
}

TEST_F(SurveyPolygonTest, ClearDeletesEverythingAndResetsTheFill) {
    add(1, 1);
    add(2, 2);
    add(3, 3);
    polygon.lineCount = 3;
    polygon.clearPolygon();
    EXPECT_EQ(polygon.first(), nullptr);
    EXPECT_EQ(polygon.current(), nullptr);
    EXPECT_EQ(polygon.editState, SurveyPolygon::kEditCleared);
    EXPECT_EQ(polygon.lineCount, 0);
    add(4, 4);  // starts a fresh ring
    EXPECT_EQ(polygon.vertexCount(), 1);
}

TEST_F(SurveyPolygonTest, RotateChangesFirstAndRestartsTheFillAndPrintListsFromFirst) {
    add(1, 10);
    add(2, 20);
    add(3, 30);
    polygon.lineCount = 2;
    PolygonVertex* current = polygon.current();
    polygon.rotateFirstVertex();
    EXPECT_EQ(polygon.current(), current);
    // A fill after Tab starts on the new first edge, not from the old line.
    EXPECT_EQ(polygon.lineCount, 0);
    out.str("");
    polygon.printPolygon();
    EXPECT_EQ(out.str(), "Polygon\n2 20\n3 30\n1 10\n");
}

}  // namespace
}  // namespace tessarin
