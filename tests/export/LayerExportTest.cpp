#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "export/AntimeridianSplit.hpp"
#include "export/LayerExport.hpp"
#include "plan/PlanWorld.hpp"
#include "support/TileWriter.hpp"

using nlohmann::json;
using tessarin::exportLayersGeoJson;
using tessarin::latitudeFromMapY;
using tessarin::mapY;
using tessarin::PlanePoint;
using tessarin::planLayers;
using tessarin::splitLine;
using tessarin::splitRing;
using tessarin::SurveyPlan;
using tessarin::SurveyPolygon;
using tessarin::Waypoint;
using tessarin::test::PlanWorld;

namespace {

json readJson(const std::string& path) {
    std::ifstream in(path);
    return json::parse(in);
}

std::vector<json> featuresOfKind(const json& collection, const std::string& kind) {
    std::vector<json> out;
    for (const json& f : collection.at("features"))
        if (f.at("properties").at("kind") == kind) out.push_back(f);
    return out;
}

// Twice the signed area of a closed ring of [lon, lat] positions.
double ringArea2(const json& ring) {
    double sum = 0.0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i)
        sum += ring[i][0].get<double>() * ring[i + 1][1].get<double>() -
               ring[i + 1][0].get<double>() * ring[i][1].get<double>();
    return sum;
}

bool withinWorld(const json& position) {
    const double lon = position[0].get<double>();
    const double lat = position[1].get<double>();
    return lon >= -180.0 && lon <= 180.0 && lat >= -90.0 && lat <= 90.0;
}

void addAt(SurveyPlan& plan, double lon, double lat, float speed = 9.0f) {
    plan.addWaypoint(lon, mapY(lat), lat, speed, 4.0f);
}

}  // namespace

// Leg lines carry the leg's figures as the plan holds them.
TEST(LayerExport, LegFeaturesParseBack) {
    struct Leg {
        double lat, lon;
        float speed, lengthKm, lengthNm, areaKm2;
    };
    const std::vector<Leg> legs = {
        {-12.5, 130.5, 6.0f, 22.224f, 12.0f, 31.5f},
        {-12.25, 130.75, 9.5f, 35.188f, 19.0f, 40.25f},
        {-12.0, 131.0, 0.0f, 5.556f, 3.0f, 0.0f},  // no speed: no hours
        {-11.75, 131.0, 9.0f, 0.0f, 0.0f, 0.0f},   // last waypoint: no leg
    };
    PlanWorld world;
    SurveyPlan& plan = world.build();
    for (const Leg& l : legs) addAt(plan, l.lon, l.lat, l.speed);
    std::size_t i = 0;
    for (Waypoint* w = plan.first(); w; w = w->next, ++i) {
        w->lengthKm = legs[i].lengthKm;
        w->lengthNm = legs[i].lengthNm;
        w->areaKm2 = legs[i].areaKm2;
    }
    const std::string path = world.dir.file("layers.geojson");
    const tessarin::ExportResult r = exportLayersGeoJson(plan, nullptr, path);
    ASSERT_TRUE(r.ok) << r.message;
    const json doc = readJson(path);
    EXPECT_EQ(doc.at("type"), "FeatureCollection");
    const std::vector<json> lines = featuresOfKind(doc, "leg");
    ASSERT_EQ(lines.size(), legs.size() - 1);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        SCOPED_TRACE("leg " + std::to_string(k + 1));
        const json& p = lines[k].at("properties");
        EXPECT_EQ(p.at("leg"), k + 1);
        EXPECT_NEAR(p.at("lengthKm").get<double>(), legs[k].lengthKm, 1e-5);
        EXPECT_NEAR(p.at("lengthNm").get<double>(), legs[k].lengthNm, 1e-5);
        EXPECT_NEAR(p.at("speedKnots").get<double>(), legs[k].speed, 1e-5);
        EXPECT_NEAR(p.at("swathAreaKm2").get<double>(), legs[k].areaKm2, 1e-5);
        if (legs[k].speed > 0.0f) {
            EXPECT_NEAR(p.at("hours").get<double>(), legs[k].lengthNm / legs[k].speed, 1e-5);
        } else {
            EXPECT_TRUE(p.at("hours").is_null());
        }
        const json& g = lines[k].at("geometry");
        EXPECT_EQ(g.at("type"), "LineString");
        ASSERT_EQ(g.at("coordinates").size(), 2u);
        for (int end = 0; end < 2; ++end) {
            EXPECT_NEAR(g["coordinates"][end][0].get<double>(), legs[k + end].lon, 1e-6);
            EXPECT_NEAR(g["coordinates"][end][1].get<double>(), legs[k + end].lat, 1e-6);
        }
    }
}

// Swaths over a flat 4000 m floor (4..12 E, 0..8 N): each ring runs along the
// starboard edge and back along the port edge, closed, counter-clockwise, with
// its latitudes taken from map-plane y.
TEST(LayerExport, SwathPolygonsFromBothEdges) {
    PlanWorld world;
    tessarin::test::writeFlatDataTile(world.dir.path(), 4, 0, -4000.0);
    SurveyPlan& plan = world.build(4.0f, 1111.11f);
    const double route[][2] = {{6.0, 2.0}, {6.0, 2.6}, {6.8, 2.6}, {6.3, 2.1}};  // north, east, south-west
    for (const auto& p : route) addAt(plan, p[0], p[1]);
    plan.generateSwaths(false);

    const json doc = planLayers(plan, nullptr);
    const std::vector<json> swaths = featuresOfKind(doc, "swath");
    ASSERT_EQ(swaths.size(), 3u);
    const Waypoint* w = plan.first();
    for (std::size_t k = 0; k < swaths.size(); ++k, w = w->next) {
        SCOPED_TRACE("leg " + std::to_string(k + 1));
        ASSERT_GT(w->sampleCount, 1);
        EXPECT_EQ(swaths[k].at("properties").at("leg"), k + 1);
        const json& g = swaths[k].at("geometry");
        ASSERT_EQ(g.at("type"), "Polygon");
        ASSERT_EQ(g.at("coordinates").size(), 1u);
        const json& ring = g["coordinates"][0];
        const int n = w->sampleCount;
        ASSERT_EQ(ring.size(), static_cast<std::size_t>(2 * n + 1));
        EXPECT_EQ(ring.front(), ring.back());
        EXPECT_GT(ringArea2(ring), 0.0);
        // Every edge vertex appears, starboard edge and port edge each as a
        // contiguous run (the ring may have been reversed for orientation).
        const auto at = [&](double x, double y) {
            for (std::size_t i = 0; i < ring.size(); ++i)
                if (std::fabs(ring[i][0].get<double>() - x) < 1e-6 &&
                    std::fabs(ring[i][1].get<double>() - latitudeFromMapY(y)) < 1e-6)
                    return static_cast<int>(i);
            return -1;
        };
        for (int i = 0; i < n; ++i) {
            EXPECT_NE(at(w->rightX[i], w->rightY[i]), -1) << "starboard " << i;
            EXPECT_NE(at(w->leftX[i], w->leftY[i]), -1) << "port " << i;
        }
        const int r0 = at(w->rightX[0], w->rightY[0]);
        const int r1 = at(w->rightX[n - 1], w->rightY[n - 1]);
        const int l0 = at(w->leftX[0], w->leftY[0]);
        const int l1 = at(w->leftX[n - 1], w->leftY[n - 1]);
        EXPECT_EQ(std::abs(r1 - r0), n - 1);
        EXPECT_EQ(std::abs(l1 - l0), n - 1);
    }
}

TEST(LayerExport, SurveyPolygonFeature) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    SurveyPolygon polygon(world.out, 4.0f);
    // Clockwise as drawn; the export turns it counter-clockwise.
    const double ring[][2] = {{10.0, 5.0}, {10.0, 5.5}, {10.5, 5.5}, {10.5, 5.0}};
    polygon.addVertex(ring[0][0], mapY(ring[0][1]), ring[0][1]);
    for (int i = 1; i < 4; ++i) polygon.addVertex(ring[i][0], mapY(ring[i][1]), ring[i][1]);
    const std::vector<json> areas = featuresOfKind(planLayers(plan, &polygon), "survey polygon");
    ASSERT_EQ(areas.size(), 1u);
    const json& coords = areas[0].at("geometry").at("coordinates");
    ASSERT_EQ(coords.size(), 1u);
    ASSERT_EQ(coords[0].size(), 5u);
    EXPECT_EQ(coords[0].front(), coords[0].back());
    EXPECT_GT(ringArea2(coords[0]), 0.0);
    for (const auto& v : ring) {
        bool found = false;
        for (const json& p : coords[0])
            found |= std::fabs(p[0].get<double>() - v[0]) < 1e-6 && std::fabs(p[1].get<double>() - v[1]) < 1e-6;
        EXPECT_TRUE(found) << v[0] << " " << v[1];
    }

    SurveyPolygon two(world.out, 4.0f);
    two.addVertex(1.0, mapY(1.0), 1.0);
    two.addVertex(2.0, mapY(1.0), 1.0);
    EXPECT_TRUE(featuresOfKind(planLayers(plan, &two), "survey polygon").empty());
}

// A leg the plan draws across the 180-degree meridian becomes a valid
// MultiLineString: two parts meeting at +180 / -180 at one latitude.
TEST(LayerExport, LegAcrossTheAntimeridian) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    addAt(plan, 179.5, -16.0);
    addAt(plan, 180.5, -17.0);
    addAt(plan, 181.0, -17.5);  // stays east of the meridian
    const std::vector<json> legs = featuresOfKind(planLayers(plan, nullptr), "leg");
    ASSERT_EQ(legs.size(), 2u);

    const json& g = legs[0].at("geometry");
    ASSERT_EQ(g.at("type"), "MultiLineString");
    const json& parts = g.at("coordinates");
    ASSERT_EQ(parts.size(), 2u);
    for (const json& part : parts) {
        ASSERT_GE(part.size(), 2u);
        for (const json& p : part) EXPECT_TRUE(withinWorld(p)) << p.dump();
    }
    EXPECT_NEAR(parts[0].front()[0].get<double>(), 179.5, 1e-9);
    EXPECT_EQ(parts[0].back()[0].get<double>(), 180.0);
    EXPECT_EQ(parts[1].front()[0].get<double>(), -180.0);
    EXPECT_NEAR(parts[1].back()[0].get<double>(), -179.5, 1e-9);
    const double crossLat = parts[0].back()[1].get<double>();
    EXPECT_EQ(parts[1].front()[1].get<double>(), crossLat);
    // Halfway in longitude is halfway in map-plane y on a straight leg.
    EXPECT_NEAR(crossLat, latitudeFromMapY((mapY(-16.0) + mapY(-17.0)) / 2.0), 1e-6);

    const json& east = legs[1].at("geometry");
    ASSERT_EQ(east.at("type"), "LineString");
    EXPECT_NEAR(east["coordinates"][0][0].get<double>(), -179.5, 1e-9);
    EXPECT_NEAR(east["coordinates"][1][0].get<double>(), -179.0, 1e-9);
}

TEST(AntimeridianSplit, Lines) {
    struct Case {
        const char* what;
        std::vector<PlanePoint> line;
        std::vector<std::vector<double>> pieceLons;  // expected longitudes of each piece
    };
    const std::vector<Case> cases = {
        {"inside", {{10, 0}, {20, 1}}, {{10, 20}}},
        {"eastward across", {{170, 0}, {190, 10}}, {{170, 180}, {-180, -170}}},
        {"westward across", {{-170, 0}, {-190, 10}}, {{-170, -180}, {180, 170}}},
        {"two turns", {{170, 0}, {560, 10}}, {{170, 180}, {-180, 180}, {-180, -160}}},
        {"polyline back and forth", {{175, 0}, {185, 0}, {175, 1}}, {{175, 180}, {-180, -175, -180}, {180, 175}}},
        {"stored beyond 180", {{200, 0}, {210, 0}}, {{-160, -150}}},
        {"ending on the meridian", {{170, 0}, {180, 0}}, {{170, 180}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto pieces = splitLine(c.line);
        ASSERT_EQ(pieces.size(), c.pieceLons.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            ASSERT_EQ(pieces[i].size(), c.pieceLons[i].size()) << "piece " << i;
            for (std::size_t j = 0; j < pieces[i].size(); ++j)
                EXPECT_NEAR(pieces[i][j].x, c.pieceLons[i][j], 1e-9) << "piece " << i << " point " << j;
        }
    }
    // The crossing is interpolated along the segment.
    const auto cut = splitLine({{170, 0}, {190, 10}});
    EXPECT_NEAR(cut[0].back().y, 5.0, 1e-12);
    EXPECT_NEAR(cut[1].front().y, 5.0, 1e-12);
}

TEST(AntimeridianSplit, Rings) {
    const auto area = [](const std::vector<PlanePoint>& r) {
        double s = 0.0;
        for (std::size_t i = 0; i < r.size(); ++i)
            s += r[i].x * r[(i + 1) % r.size()].y - r[(i + 1) % r.size()].x * r[i].y;
        return std::fabs(s) / 2.0;
    };
    struct Case {
        const char* what;
        std::vector<PlanePoint> ring;
        std::size_t parts;
        double totalArea;
    };
    const std::vector<Case> cases = {
        {"inside", {{10, 0}, {12, 0}, {12, 2}, {10, 2}}, 1, 4.0},
        {"square across", {{179, 0}, {181, 0}, {181, 2}, {179, 2}}, 2, 4.0},
        {"triangle across", {{178, 0}, {184, 0}, {178, 6}}, 2, 18.0},
        {"beyond 180", {{190, 0}, {192, 0}, {192, 2}, {190, 2}}, 1, 4.0},
        {"too few vertices", {{10, 0}, {12, 0}}, 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto parts = splitRing(c.ring);
        ASSERT_EQ(parts.size(), c.parts);
        double total = 0.0;
        for (const auto& part : parts) {
            for (const PlanePoint& p : part) EXPECT_TRUE(p.x >= -180.0 && p.x <= 180.0) << p.x;
            total += area(part);
        }
        EXPECT_NEAR(total, c.totalArea, 1e-9);
    }
}
