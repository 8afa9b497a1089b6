// Survey areas from GIS files: the sample Area_3 through the formats a GIS
// writes (converted as ogr2ogr does, with GDAL's own translator), several
// polygons, multipolygons and holes, the date line, and files that must be
// refused without touching the polygon.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "area/AreaImport.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/TextureSink.hpp"
#include "support/TempDir.hpp"
#include "support/VectorFiles.hpp"

namespace tessarin {
namespace {

using test::collectionJson;
using test::featureJson;
using test::polygonJson;
using test::ringJson;
using Vertex = test::LonLat;

std::vector<Vertex> area3() { return test::readPolygonCsv(std::string(TESSARIN_DATA_DIR) + "/Area_3.csv"); }

bool translate(const std::string& source, const std::string& dest, std::vector<std::string> args) {
    return test::translateVectors(source, dest, std::move(args));
}

// The same ring within tol degrees, whatever vertex it starts at and
// whichever way it runs (a shapefile writer turns outer rings clockwise).
bool sameRing(const ImportedArea& a, const std::vector<Vertex>& ring, double tol) {
    const std::size_t n = ring.size();
    if (a.lon.size() != n) return false;
    for (std::size_t start = 0; start < n; ++start) {
        for (int dir : {1, -1}) {
            bool all = true;
            for (std::size_t i = 0; i < n && all; ++i) {
                const std::size_t k = (start + n + static_cast<std::size_t>(dir) * i) % n;
                all = std::fabs(a.lon[i] - ring[k].lon) <= tol && std::fabs(a.lat[i] - ring[k].lat) <= tol;
            }
            if (all) return true;
        }
    }
    return false;
}

TEST(AreaImport, SampleAreaThroughEveryFormat) {
    const std::vector<Vertex> ring = area3();
    ASSERT_EQ(ring.size(), 4u);
    test::TempDir dir;
    dir.write("area3.geojson", collectionJson({featureJson("Area_3", polygonJson({ring}))}));
    const std::string source = dir.file("area3.geojson");
    struct Case {
        const char* file;
        std::vector<std::string> ogr2ogr;  // empty: the GeoJSON as written
    };
    const std::vector<Case> cases = {
        {"area3.geojson", {}},
        {"area3_utm.gpkg", {"-f", "GPKG", "-t_srs", "EPSG:32609"}},
        {"area3.kml", {"-f", "KML"}},
        {"area3_mercator.shp", {"-f", "ESRI Shapefile", "-t_srs", "EPSG:3857"}},
        {"area3.gml", {"-f", "GML"}},
        {"area3_rewritten.geojson", {"-f", "GeoJSON", "-t_srs", "EPSG:4326"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = dir.file(c.file);
        if (!c.ogr2ogr.empty()) {
            ASSERT_TRUE(translate(source, path, c.ogr2ogr));
        }
        const AreaListing listing = listAreas(path);
        ASSERT_TRUE(listing.ok) << listing.error;
        ASSERT_EQ(listing.choices.size(), 1u);
        EXPECT_NE(listing.choices[0].label.find("Area_3"), std::string::npos) << listing.choices[0].label;
        const ImportedArea a = readArea(path, 1);
        ASSERT_TRUE(a.ok) << a.error;
        EXPECT_TRUE(sameRing(a, ring, 1e-6));
        EXPECT_TRUE(a.notes.empty());
    }
}

TEST(AreaImport, ChoicesPartsHolesAndTheDateLine) {
    test::TempDir dir;
    const std::vector<Vertex> north = {{-120.0, 33.0}, {-119.0, 33.0}, {-119.0, 34.0}, {-120.0, 34.0}};
    const std::vector<Vertex> south = {{-120.0, 30.0}, {-119.5, 30.0}, {-119.5, 30.5}};
    dir.write("two.geojson", collectionJson({featureJson("north", polygonJson({north})),
                                         featureJson("south", polygonJson({south}))}));
    ASSERT_TRUE(translate(dir.file("two.geojson"), dir.file("two.gpkg"), {"-f", "GPKG", "-t_srs", "EPSG:32611"}));

    const std::vector<Vertex> small = {{10.0, 10.0}, {10.1, 10.0}, {10.1, 10.1}};
    const std::vector<Vertex> big = {{0.0, 0.0}, {2.0, 0.0}, {2.0, 2.0}, {0.0, 2.0}};
    const std::vector<Vertex> hole = {{0.5, 0.5}, {0.5, 1.0}, {1.0, 1.0}};
    dir.write("multi.geojson",
              collectionJson({R"({"type": "Feature", "properties": {"zone": "B", "depth": 40}, "geometry":
                  {"type": "MultiPolygon", "coordinates": [[)" + ringJson(small) + "], [" + ringJson(big) + ", " +
                          ringJson(hole) + "]]}}",
                          R"({"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [1, 1]}})"}));
    // Written as a GIS writes a ring across 180: each longitude in -180..180.
    const std::vector<Vertex> fiji = {{179.5, -16.0}, {-179.6, -16.0}, {-179.6, -17.0}, {179.5, -17.0}};
    dir.write("dateline.geojson", collectionJson({featureJson("Fiji", polygonJson({fiji}))}));

    struct Case {
        const char* file;
        int number;
        std::size_t listed;
        const char* label;
        std::vector<Vertex> ring;
        std::vector<std::string> notes;
    };
    const std::vector<Case> cases = {
        {"two.gpkg", 2, 2, "south (two)", south, {}},
        {"two.gpkg", 1, 2, "north (two)", north, {}},
        {"multi.geojson", 1, 1, "zone=B, depth=40 (multi)", big,
         {"Multipolygon: the largest of its 2 parts is used", "1 hole ignored: the survey polygon has no holes"}},
        {"dateline.geojson", 1, 1, "Fiji (dateline)",
         {{179.5, -16.0}, {180.4, -16.0}, {180.4, -17.0}, {179.5, -17.0}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.number));
        const AreaListing listing = listAreas(dir.file(c.file));
        ASSERT_TRUE(listing.ok) << listing.error;
        ASSERT_EQ(listing.choices.size(), c.listed);
        const ImportedArea a = readArea(dir.file(c.file), c.number);
        ASSERT_TRUE(a.ok) << a.error;
        EXPECT_EQ(a.choice.label, c.label);
        EXPECT_EQ(listing.choices[static_cast<std::size_t>(c.number - 1)].label, c.label);
        EXPECT_TRUE(sameRing(a, c.ring, 1e-6)) << a.lon.size() << " vertices, first " << a.lon[0] << " " << a.lat[0];
        EXPECT_EQ(a.notes, c.notes);
    }
}

TEST(AreaImport, RefusedFilesChangeNothing) {
    test::TempDir dir;
    const std::vector<Vertex> square = {{5.0, 5.0}, {6.0, 5.0}, {6.0, 6.0}, {5.0, 6.0}};
    dir.write("square.geojson", collectionJson({featureJson("square", polygonJson({square}))}));
    ASSERT_TRUE(translate(dir.file("square.geojson"), dir.file("noprj.shp"), {"-f", "ESRI Shapefile"}));
    std::filesystem::remove(dir.file("noprj.prj"));
    dir.write("garbage.geojson", "{\"type\": \"FeatureCollection\", \"features\": [ {\"type\": ");
    dir.write("binary.kml", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    dir.write("points.geojson",
              collectionJson({R"({"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [1, 1]}})"}));
    dir.write("sliver.geojson", collectionJson({featureJson("sliver", polygonJson({{{1.0, 1.0}, {2.0, 2.0}, {3.0, 3.0}}}))}));
    dir.write("pair.geojson", collectionJson({featureJson("pair", polygonJson({{{1.0, 1.0}, {2.0, 2.0}}}))}));
    // UTM metres in a file that claims degrees.
    dir.write("metres.geojson",
              collectionJson({featureJson("metres", polygonJson({{{500000.0, 3600000.0}, {510000.0, 3600000.0}, {510000.0, 3610000.0}}}))}));
    std::filesystem::create_directory(dir.file("folder"));

    struct Case {
        const char* file;
        int number;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"missing.geojson", 1, "Cannot read"},
        {"garbage.geojson", 1, "Cannot read"},
        {"binary.kml", 1, "Cannot read"},
        {"folder", 1, ""},
        {"points.geojson", 1, "No polygon"},
        {"noprj.shp", 1, "coordinate reference system of"},
        {"sliver.geojson", 1, "encloses no area"},
        {"pair.geojson", 1, "fewer than three vertices"},
        {"metres.geojson", 1, "off the globe"},
        {"square.geojson", 2, "There is no polygon 2"},
    };
    std::ostringstream out, report;
    NullTextureSink sink;
    PlannerState planner(out, sink, dir.path());
    planner.polygon->addVertex(1.0, PlannerState::mapY(1.0), 1.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ImportedArea a = readArea(dir.file(c.file), c.number);
        EXPECT_FALSE(a.ok);
        EXPECT_NE(a.error.find(c.says), std::string::npos) << a.error;
        EXPECT_TRUE(a.lon.empty());
        report.str("");
        EXPECT_FALSE(planner.importArea(dir.file(c.file), c.number, report));
        EXPECT_NE(report.str().find("the polygon is unchanged"), std::string::npos) << report.str();
        double lat = 0.0, lon = 0.0;
        ASSERT_TRUE(planner.polygon->firstVertex(lat, lon));
        EXPECT_EQ(lon, 1.0);
        EXPECT_EQ(planner.polygon->first()->next, planner.polygon->first());
    }

    // A good file replaces the polygon whole.
    report.str("");
    ASSERT_TRUE(planner.importArea(dir.file("square.geojson"), 1, report));
    EXPECT_EQ(report.str(), "Imported square (square) from " + dir.file("square.geojson") + ": 4 vertices\n");
    std::vector<Vertex> got;
    const PolygonVertex* v = planner.polygon->first();
    do {
        got.push_back({v->x, v->lat});
        EXPECT_NEAR(v->y, PlannerState::mapY(v->lat), 1e-9);
        v = v->next;
    } while (v != planner.polygon->first());
    ASSERT_EQ(got.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(got[i].lon, square[i].lon, 1e-9);
        EXPECT_NEAR(got[i].lat, square[i].lat, 1e-9);
    }
}

}  // namespace
}  // namespace tessarin
