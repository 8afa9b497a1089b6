// Window-to-map conversion: pure formulas, and agreement with the GL map
// transform (a map point drawn through applyMapTransform lights the pixel
// that pickMapPoint turns back into that point).

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "app/AppState.hpp"
#include "earth/MapProjection.hpp"
#include "render/MapView.hpp"
#include "support/OffscreenGl.hpp"

namespace tessarin {
namespace {

AppState viewOf(int width, int height, float lon, float y, float zoom) {
    AppState s;
    applyWindowSize(s, width, height);
    s.viewCentreLon = lon;
    s.viewCentreY = y;
    s.zoom = zoom;
    return s;
}

TEST(MapView, WindowCentrePicksTheViewCentre) {
    const AppState views[] = {
        viewOf(1900, 950, -30.0f, 20.0f, 5.0f),
        viewOf(1900, 950, 150.0f, -40.5f, 12.3f),
        viewOf(950, 950, 10.0f, 3.0f, 2.0f),
    };
    for (const AppState& s : views) {
        const MapPick p = pickMapPoint(s, s.windowWidth * 0.5f, s.windowHeight * 0.5f);
        EXPECT_FLOAT_EQ(static_cast<float>(p.lon), s.viewCentreLon);
        EXPECT_FLOAT_EQ(static_cast<float>(p.mapY), s.viewCentreY);
        EXPECT_NEAR(p.lat, latitudeFromMapY(s.viewCentreY), 1e-12);
    }
}

TEST(MapView, RightEdgeBeyondTheDateLineIsShownWrapped) {
    const AppState s = viewOf(1900, 950, 0.0f, 0.0f, 5.0f);
    const MapPick p = pickMapPoint(s, 1900.0f, 475.0f);
    EXPECT_DOUBLE_EQ(p.lon, 190.0);
    EXPECT_FLOAT_EQ(p.shownLon, -170.0f);
    EXPECT_NEAR(p.lat, 0.0, 1e-9);
    const MapPick left = pickMapPoint(s, 0.0f, 475.0f);
    EXPECT_DOUBLE_EQ(left.lon, -190.0);
    EXPECT_FLOAT_EQ(left.shownLon, 170.0f);
}

TEST(MapView, TopEdgeReachesBeyondTheDepthData) {
    // mapY 95 is latitude (atan(e^(95/60)) - pi/4) * 360 / pi = 66.80 degrees.
    const AppState s = viewOf(1900, 950, 0.0f, 0.0f, 5.0f);
    const MapPick p = pickMapPoint(s, 950.0f, 0.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(p.mapY), 95.0f);
    EXPECT_NEAR(p.lat, 66.80, 0.005);
}

TEST(MapView, LongitudesWrapByOneTurnOnly) {
    EXPECT_FLOAT_EQ(wrapLongitudeOnce(-190.0f), 170.0f);
    EXPECT_FLOAT_EQ(wrapLongitudeOnce(190.0f), -170.0f);
    EXPECT_FLOAT_EQ(wrapLongitudeOnce(-180.0f), -180.0f);
    EXPECT_FLOAT_EQ(wrapLongitudeOnce(180.0f), 180.0f);
    EXPECT_FLOAT_EQ(wrapLongitudeOnce(600.0f), 240.0f);
}

TEST(MapView, ResizedWindowKeepsTheReferenceFrame) {
    const AppState wide = viewOf(1900, 950, -30.0f, 20.0f, 5.0f);
    const AppState square = viewOf(950, 950, -30.0f, 20.0f, 5.0f);
    EXPECT_FLOAT_EQ(square.aspect, 0.5f);
    EXPECT_FLOAT_EQ(square.scaleX, 0.5f);
    EXPECT_FLOAT_EQ(square.scaleY, 1.0f);
    EXPECT_FLOAT_EQ(wide.aspect, 1.0f);
    // The same reference position picks the same longitude in both windows;
    // vertically the square window shows twice the map-plane range.
    const MapPick a = pickMapPoint(wide, 1425.0f, 237.5f);
    const MapPick b = pickMapPoint(square, 712.5f, 237.5f);
    EXPECT_FLOAT_EQ(static_cast<float>(a.lon), static_cast<float>(b.lon));
    EXPECT_FLOAT_EQ(static_cast<float>(a.lon), -30.0f + 475.0f / 5.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(a.mapY), 20.0f + 237.5f / 5.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(b.mapY), 20.0f + 237.5f / 2.5f);
}

TEST(MapView, ForwardAndInverseTransformsAgree) {
    const AppState views[] = {viewOf(1900, 950, -30.0f, 20.0f, 5.0f), viewOf(950, 950, 120.0f, -12.0f, 37.0f),
                              viewOf(1280, 720, 0.5f, 60.0f, 400.0f)};
    for (const AppState& s : views) {
        for (const float px : {0.0f, 13.0f, 640.0f, 949.5f}) {
            for (const float py : {0.0f, 100.25f, 700.0f}) {
                const MapPick p = pickMapPoint(s, px, py);
                double rx, ry, wx, wy;
                mapToReference(s, p.lon, p.mapY, rx, ry);
                referenceToWindow(s, rx, ry, wx, wy);
                EXPECT_NEAR(wx, px, 2e-3 * s.zoom) << s.windowWidth << " " << px << " " << py;
                EXPECT_NEAR(wy, py, 2e-3 * s.zoom) << s.windowWidth << " " << px << " " << py;
            }
        }
    }
}

// Draws one point per map position through the GL map transform and checks
// that it lights the pixel whose centre pickMapPoint maps to that position.
void checkDrawnPointsHitPickedPixels(int width, int height) {
    test::OffscreenGl gl(width, height);
    if (!gl.ok()) GTEST_SKIP() << gl.error();
    AppState s = viewOf(width, height, 100.0f, -20.0f, 7.5f);
    glViewport(0, 0, width, height);
    const int pixels[][2] = {{5, 7}, {width / 2, height / 2}, {width - 9, 3}, {17, height - 4}};
    for (const auto& px : pixels) {
        const MapPick p = pickMapPoint(s, static_cast<float>(px[0]) + 0.5f, static_cast<float>(px[1]) + 0.5f);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        applyMapTransform(s);
        glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_POINTS);
        glVertex2d(p.lon, p.mapY);
        glEnd();
        glPopMatrix();
        std::vector<unsigned char> rgba(static_cast<std::size_t>(width) * height * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        int lit = 0, litX = -1, litRow = -1;
        for (int row = 0; row < height; ++row) {
            for (int x = 0; x < width; ++x) {
                if (rgba[(static_cast<std::size_t>(row) * width + x) * 4] > 128) {
                    ++lit;
                    litX = x;
                    litRow = row;
                }
            }
        }
        ASSERT_EQ(lit, 1) << "pixel " << px[0] << ", " << px[1];
        EXPECT_EQ(litX, px[0]);
        EXPECT_EQ(litRow, height - 1 - px[1]);  // GL rows count from the bottom
    }
}

TEST(MapViewGl, DrawnPointsLandWherePickingFindsThem) { checkDrawnPointsHitPickedPixels(380, 190); }

TEST(MapViewGl, DrawnPointsLandWherePickingFindsThemInASquareWindow) { checkDrawnPointsHitPickedPixels(190, 190); }

}  // namespace
}  // namespace tessarin
