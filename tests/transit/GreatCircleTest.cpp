// Great-circle points and the 15-point arc between the transit end points:
// worked examples, the antimeridian, and coincident ends.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "earth/MapProjection.hpp"
#include "transit/GreatCircle.hpp"
#include "transit/TransitPlanner.hpp"
#include "transit/TransitWorld.hpp"

namespace tessarin {
namespace {

TEST(GcInterpolate, WorkedExamples) {
    struct Row {
        double lon1, lat1, lon2, lat2, f;
        double lon, lat, angle;
    };
    const Row rows[] = {
        // A quarter of the equator and a quarter of a meridian.
        {0, 0, 90, 0, 0.5, 45, 0, 90},
        {0, 0, 0, 90, 0.5, 0, 45, 90},
        // The ends themselves.
        {-122.786, 32.03, -155.65, 23.42, 0.0, -122.786, 32.03, -1},
        {-122.786, 32.03, -155.65, 23.42, 1.0, -155.65, 23.42, -1},
        // Along the equator across 180 the short way: 170 -> -170 is 20 degrees.
        {170, 0, -170, 0, 0.25, 175, 0, 20},
        {170, 0, -170, 0, 0.75, -175, 0, 20},
        // One degree of longitude at 60 north is half a degree of arc, and
        // the midpoint lies a little poleward of the parallel.
        {0, 60, 1, 60, 0.5, 0.5, 60.000945, 0.499995},
    };
    for (const Row& r : rows) {
        double lon = 0, lat = 0;
        const float angle = gcInterpolate(r.lon1, r.lon2, r.lat1, r.lat2, r.f, lon, lat);
        EXPECT_NEAR(lon, r.lon, 1e-4) << r.lon1 << " " << r.lat1 << " -> " << r.lon2 << " " << r.lat2 << " f " << r.f;
        EXPECT_NEAR(lat, r.lat, 1e-4) << r.lon1 << " " << r.lat1 << " -> " << r.lon2 << " " << r.lat2 << " f " << r.f;
        if (r.angle >= 0) {
            EXPECT_NEAR(angle, r.angle, 1e-4);
        }
    }
}

TEST(GcInterpolate, CoincidentEndsGiveTheStartAndNoAngle) {
    for (double f : {0.0, 0.333, 0.5, 1.0}) {
        double lon = 99, lat = 99;
        EXPECT_EQ(gcInterpolate(-40.5, -40.5, 12.25, 12.25, f, lon, lat), 0.0f);
        EXPECT_EQ(lon, -40.5);
        EXPECT_EQ(lat, 12.25);
    }
}

TEST(ComputeGreatCircle, QuarterMeridianIs9999KmWithItsPointsPrinted) {
    test::TransitWorld w;
    TransitPlanner& t = *w.transit;
    t.setDemoTransit(0.0f, 0.0f, 90.0f, 0.0f);
    t.computeGreatCircle();
    ASSERT_TRUE(t.greatCircleReady);
    EXPECT_NEAR(t.greatCircleKm, 9999.0f, 0.01f);
    for (int i = 1; i < TransitPlanner::kArcPoints - 1; ++i) {
        EXPECT_NEAR(t.arcLon[i], 0.0f, 1e-4) << i;
        EXPECT_NEAR(t.arcY[i], mapY(90.0 * i / 14.0), 1e-3) << i;
    }
    const std::string text = w.takeOutput();
    EXPECT_EQ(text.rfind("GREAT CIRCLE rangeLonDefs 0 0\nGREAT CIRCLE DISTANCE 9999 km \nPT 0 ", 0), 0u) << text;
    int points = 0;
    for (std::size_t at = text.find("PT "); at != std::string::npos; at = text.find("PT ", at + 1)) ++points;
    EXPECT_EQ(points, 15);
}

TEST(ComputeGreatCircle, AcrossTheAntimeridianTheArcRunsOnWithoutAJump) {
    struct Row {
        float lon1, lon2, lat1, lat2;
        float endDrawnAt;  // the end's longitude on the arc
    };
    const Row rows[] = {
        {170.0f, -170.0f, 0.0f, 0.0f, 190.0f},
        {-170.0f, 170.0f, 0.0f, 0.0f, -190.0f},
        {140.0f, -157.8f, 35.0f, 21.3f, 202.2f},
        {-120.0f, -150.0f, 30.0f, 25.0f, -150.0f},
    };
    for (const Row& r : rows) {
        test::TransitWorld w;
        TransitPlanner& t = *w.transit;
        t.setDemoTransit(r.lat1, r.lon1, r.lat2, r.lon2);
        t.computeGreatCircle();
        ASSERT_TRUE(t.greatCircleReady);
        EXPECT_EQ(t.arcLon[0], r.lon1);
        EXPECT_NEAR(t.arcLon[14], r.endDrawnAt, 1e-4);
        const float step = (r.endDrawnAt - r.lon1) / 14.0f;
        for (int i = 1; i < 15; ++i) {
            const float d = t.arcLon[i] - t.arcLon[i - 1];
            // Steps of one sign, none far from the mean step.
            EXPECT_GT(d * step, 0.0f) << r.lon1 << " point " << i;
            EXPECT_LT(std::fabs(d), 2.0f * std::fabs(step)) << r.lon1 << " point " << i;
        }
    }
}

TEST(ComputeGreatCircle, NeedsBothPointsAndDistinctOnes) {
    test::TransitWorld w;
    TransitPlanner& t = *w.transit;
    t.computeGreatCircle();
    t.setTransitStart(10.0f, 20.0f);
    t.computeGreatCircle();
    EXPECT_FALSE(t.greatCircleReady);
    std::ostringstream expected;
    expected << "SET START " << static_cast<float>(mapY(10.0)) << "\n";
    EXPECT_EQ(w.takeOutput(), expected.str());

    // Coincident points: reported, nothing computed, nothing divided by zero.
    t.setTransitEnd(10.0f, 20.0f);
    w.takeOutput();
    t.computeGreatCircle();
    EXPECT_FALSE(t.greatCircleReady);
    EXPECT_NE(w.takeOutput().find("coincide"), std::string::npos);
    for (int i = 0; i < TransitPlanner::kArcPoints; ++i) EXPECT_EQ(t.arcLon[i], 0.0f);
    EXPECT_FALSE(w.transit->loadTilesOnArc(w.progress));
}

}  // namespace
}  // namespace tessarin
