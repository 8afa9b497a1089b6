// The survey-line exports of a filled sample area read back to the plan's
// own waypoints: KML through GDAL's reader, the record formats by hand, the
// grid line file through the inverse projection.

#include <gtest/gtest.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "export/KmlExport.hpp"
#include "export/LineListExport.hpp"
#include "export/LnwExport.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/RecordingProgress.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

struct LatLon {
    double lat;
    double lon;
};

std::vector<std::string> linesOf(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
        lines.push_back(text.substr(start, at - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> words(const std::string& line, char sep) {
    std::vector<std::string> out;
    std::string w;
    std::istringstream in(line);
    while (std::getline(in, w, sep)) out.push_back(w);
    return out;
}

// Metres between two nearby positions.
double metresBetween(const LatLon& a, const LatLon& b) {
    const double k = 111320.0;
    const double dx = (a.lon - b.lon) * k * std::cos(a.lat * M_PI / 180.0), dy = (a.lat - b.lat) * k;
    return std::hypot(dx, dy);
}

// Area_3 of the sample inputs over a flat 4000 m floor, filled.
class LineExportTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        GDALAllRegister();
        dir_ = new test::TempDir;
        test::writeFlatDataTile(dir_->path(), -132, 32, -4000.0);
        dir_->write("config.txt", "depth_multiplier 4.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    LineExportTest() : planner(out, sink, dir_->path()) {
        planner.setProgress(&progress);
        planner.loadPolygonFile(std::string(TESSARIN_DATA_DIR) + "/Area_3.csv");
        planner.fillPolygon(false);
    }
    std::vector<LatLon> waypoints() const {
        std::vector<LatLon> r;
        for (const Waypoint* w = planner.plan->first(); w; w = w->next) r.push_back({w->lat, w->lon});
        return r;
    }

    static test::TempDir* dir_;
    std::ostringstream out;
    NullTextureSink sink;
    test::RecordingProgress progress;
    PlannerState planner;
};

test::TempDir* LineExportTest::dir_ = nullptr;

TEST_F(LineExportTest, KmlReadsBackThroughGdal) {
    const std::vector<LatLon> wps = waypoints();
    ASSERT_GE(wps.size(), 6u);
    const std::string path = dir_->file("lines.kml");
    const ExportResult r = exportKml(*planner.plan, planner.polygon.get(), path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_NE(r.message.find(std::to_string(wps.size()) + " placemarks"), std::string::npos) << r.message;

    std::unique_ptr<GDALDataset> ds(GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
    ASSERT_TRUE(ds);
    std::vector<std::unique_ptr<OGRFeature>> features;
    for (OGRLayer* layer : ds->GetLayers())
        for (auto& f : *layer) features.emplace_back(f.release());
    ASSERT_EQ(features.size(), wps.size());  // one per leg and the polygon
    for (std::size_t i = 0; i + 1 < wps.size(); ++i) {
        const OGRGeometry* g = features[i]->GetGeometryRef();
        ASSERT_TRUE(g && wkbFlatten(g->getGeometryType()) == wkbLineString) << i;
        const OGRLineString* line = g->toLineString();
        ASSERT_EQ(line->getNumPoints(), 2);
        EXPECT_NEAR(line->getY(0), wps[i].lat, 1e-7);
        EXPECT_NEAR(line->getX(0), wps[i].lon, 1e-7);
        EXPECT_NEAR(line->getY(1), wps[i + 1].lat, 1e-7);
        EXPECT_NEAR(line->getX(1), wps[i + 1].lon, 1e-7);
    }
    const OGRGeometry* area = features.back()->GetGeometryRef();
    ASSERT_TRUE(area && wkbFlatten(area->getGeometryType()) == wkbPolygon);
    const OGRLinearRing* ring = area->toPolygon()->getExteriorRing();
    ASSERT_EQ(ring->getNumPoints(), 5);  // closed
    EXPECT_FALSE(ring->isClockwise());
    double west = 1e9, south = 1e9;
    for (int i = 0; i < 4; ++i) {
        west = std::min(west, ring->getX(i));
        south = std::min(south, ring->getY(i));
    }
    EXPECT_NEAR(west, -128.05, 1e-7);
    EXPECT_NEAR(south, 32.2, 1e-7);
}

TEST_F(LineExportTest, RecordFormatsReadBackByHand) {
    const std::vector<LatLon> wps = waypoints();
    const std::size_t legs = wps.size() - 1;
    struct Case {
        const char* file;
        std::function<ExportResult(const std::string&)> write;
        const char* lineEnd;
        std::vector<std::string> head;                 // lines before the records
        std::function<void(const std::string&, std::size_t)> check;  // one record, its leg
    };
    const std::time_t made = 1796774400;  // 2026-12-09T00:00:00Z
    const std::vector<Case> cases = {
        {"lines.csv", [&](const std::string& p) { return exportLinesCsv(*planner.plan, p); }, "\n",
         {"name,start_lat,start_lon,end_lat,end_lon"},
         [&](const std::string& line, std::size_t i) {
             const std::vector<std::string> f = words(line, ',');
             ASSERT_EQ(f.size(), 5u) << line;
             char name[8];
             std::snprintf(name, sizeof name, "L%03zu", i + 1);
             EXPECT_EQ(f[0], name);
             for (std::size_t k = 1; k < 5; ++k) EXPECT_EQ(f[k].size() - f[k].find('.'), 9u) << f[k];  // 8 decimals
             EXPECT_NEAR(std::stod(f[1]), wps[i].lat, 1e-8);
             EXPECT_NEAR(std::stod(f[2]), wps[i].lon, 1e-8);
             EXPECT_NEAR(std::stod(f[3]), wps[i + 1].lat, 1e-8);
             EXPECT_NEAR(std::stod(f[4]), wps[i + 1].lon, 1e-8);
         }},
        {"lines.asciiplan", [&](const std::string& p) { return exportAsciiPlan(*planner.plan, p, made); }, "\r\n",
         {"DEG", "", "0 0 0 0"},
         [&](const std::string& line, std::size_t i) {
             const std::vector<std::string> f = words(line, ' ');
             ASSERT_EQ(f.size(), 10u) << line;
             EXPECT_EQ(f[0], "_LINE");
             EXPECT_EQ(f[2], std::to_string(i + 1));
             EXPECT_EQ(f[3], "20261209000000");
             EXPECT_EQ(f[4], "0");
             EXPECT_NEAR(std::stod(f[5]), wps[i].lat, 1e-8);
             EXPECT_NEAR(std::stod(f[6]), wps[i].lon, 1e-8);
             EXPECT_NEAR(std::stod(f[7]), wps[i + 1].lat, 1e-8);
             EXPECT_NEAR(std::stod(f[8]), wps[i + 1].lon, 1e-8);
             EXPECT_EQ(f[9], "\"");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ExportResult r = c.write(dir_->file(c.file));
        ASSERT_TRUE(r.ok) << r.message;
        const std::string text = dir_->read(c.file);
        ASSERT_EQ(text.substr(text.size() - std::string(c.lineEnd).size()), c.lineEnd);
        if (std::string(c.lineEnd) == "\n") {
            EXPECT_EQ(text.find('\r'), std::string::npos);
        }
        const std::vector<std::string> lines = linesOf(text, c.lineEnd);
        ASSERT_EQ(lines.size(), c.head.size() + legs);
        for (std::size_t i = 0; i < c.head.size(); ++i) EXPECT_EQ(lines[i], c.head[i]);
        for (std::size_t i = 0; i < legs; ++i) c.check(lines[c.head.size() + i], i);
    }
}

TEST_F(LineExportTest, LnwReadsBackThroughTheInverseProjection) {
    const std::vector<LatLon> wps = waypoints();
    struct Case {
        int epsgAsked;
        int epsgUsed;
        const char* named;
    };
    // Area_3 lies at 127.8 W: UTM zone 9 north unless another grid is asked for.
    const std::vector<Case> cases = {{0, 32609, "UTM zone 9N"}, {32610, 32610, "UTM zone 10N"}, {3857, 3857, "EPSG:3857"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.epsgUsed);
        const std::string path = dir_->file("lines.lnw");
        const ExportResult r = exportLnw(*planner.plan, path, c.epsgAsked);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_NE(r.message.find(c.named), std::string::npos) << r.message;
        EXPECT_NE(r.message.find("EPSG:" + std::to_string(c.epsgUsed)), std::string::npos) << r.message;

        OGRSpatialReference grid, wgs84;
        ASSERT_EQ(grid.importFromEPSG(c.epsgUsed), OGRERR_NONE);
        grid.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        wgs84.SetWellKnownGeogCS("WGS84");
        wgs84.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        std::unique_ptr<OGRCoordinateTransformation> back(OGRCreateCoordinateTransformation(&grid, &wgs84));
        ASSERT_TRUE(back);

        const std::vector<std::string> lines = linesOf(dir_->read("lines.lnw"), "\r\n");
        const std::size_t legs = wps.size() - 1;
        ASSERT_EQ(lines.size(), 1 + 5 * legs);
        EXPECT_EQ(lines[0], "LNS " + std::to_string(legs));
        for (std::size_t i = 0; i < legs; ++i) {
            const std::size_t at = 1 + 5 * i;
            EXPECT_EQ(lines[at], "LIN 2");
            for (int k = 0; k < 2; ++k) {
                const std::vector<std::string> f = words(lines[at + 1 + k], ' ');
                ASSERT_EQ(f.size(), 3u) << lines[at + 1 + k];
                EXPECT_EQ(f[0], "PTS");
                double x = std::stod(f[1]), y = std::stod(f[2]);
                ASSERT_TRUE(back->Transform(1, &x, &y));
                EXPECT_LT(metresBetween({y, x}, wps[i + k]), 0.01) << i << " " << k;
            }
            EXPECT_EQ(lines[at + 3], "LNN L" + std::string(i + 1 < 10 ? "00" : "0") + std::to_string(i + 1));
            EXPECT_EQ(lines[at + 4], "EOL");
        }
    }
}

TEST_F(LineExportTest, RefusalsLeaveTheEarlierFile) {
    const std::string path = dir_->file("kept.lnw");
    dir_->write("kept.lnw", "earlier");
    struct Case {
        const char* what;
        std::function<ExportResult()> write;
        const char* says;
    };
    SurveyPlan& plan = *planner.plan;
    const std::vector<Case> cases = {
        {"geographic CRS", [&] { return exportLnw(plan, path, 4326); }, "not a projected CRS"},
        {"unknown code", [&] { return exportLnw(plan, path, 999999); }, "Unknown CRS"},
        {"folder missing", [&] { return exportLnw(plan, dir_->file("no/such/x.lnw"), 0); }, "Cannot create"},
        {"kml, folder missing", [&] { return exportKml(plan, nullptr, dir_->file("no/such/x.kml")); }, "Cannot create"},
        {"csv, folder missing", [&] { return exportLinesCsv(plan, dir_->file("no/such/x.csv")); }, "Cannot create"},
    };
    for (const Case& c : cases) {
        const ExportResult r = c.write();
        EXPECT_FALSE(r.ok) << c.what;
        EXPECT_NE(r.message.find(c.says), std::string::npos) << c.what << ": " << r.message;
    }
    EXPECT_EQ(dir_->read("kept.lnw"), "earlier");

    plan.clearPlan();
    for (const ExportResult& r : {exportKml(plan, nullptr, path), exportLinesCsv(plan, path), exportLnw(plan, path, 0),
                                  exportAsciiPlan(plan, path, 0)}) {
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find("two waypoints"), std::string::npos) << r.message;
    }
    EXPECT_EQ(dir_->read("kept.lnw"), "earlier");
}

// A plan across 180 degrees: longitudes stay within -180..180 everywhere,
// the KML line is cut into a MultiGeometry, the grid is the zone at 180.
TEST(LineExportDateLine, LinesCrossingTheMeridian) {
    GDALAllRegister();
    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner(out, sink, dir.path());
    for (const auto& [lon, lat] : {std::pair{179.5, -16.0}, std::pair{180.5, -16.2}})
        planner.plan->addWaypoint(lon, mapY(lat), lat, 9.0f, 4.0f);

    ASSERT_TRUE(exportLinesCsv(*planner.plan, dir.file("d.csv")).ok);
    const std::vector<std::string> rows = linesOf(dir.read("d.csv"), "\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], "L001,-16.00000000,179.50000000,-16.20000000,-179.50000000");

    double lon = 0.0, lat = 0.0;
    ASSERT_TRUE(planCentre(*planner.plan, lon, lat));
    EXPECT_NEAR(std::fabs(lon), 180.0, 1e-9);
    EXPECT_EQ(utmEpsgFor(lon, lat), 32701);  // 180 W opens zone 1
    EXPECT_EQ(utmEpsgFor(-127.8, 32.4), 32609);
    EXPECT_EQ(utmEpsgFor(179.99, 10.0), 32660);

    ASSERT_TRUE(exportKml(*planner.plan, nullptr, dir.file("d.kml")).ok);
    std::unique_ptr<GDALDataset> ds(GDALDataset::Open(dir.file("d.kml").c_str(), GDAL_OF_VECTOR));
    ASSERT_TRUE(ds);
    OGRLayer* layer = ds->GetLayer(0);
    ASSERT_TRUE(layer);
    std::unique_ptr<OGRFeature> f(layer->GetNextFeature());
    ASSERT_TRUE(f);
    const OGRGeometry* g = f->GetGeometryRef();
    ASSERT_TRUE(g);
    ASSERT_EQ(wkbFlatten(g->getGeometryType()), wkbMultiLineString) << g->getGeometryName();
    const OGRMultiLineString* parts = g->toMultiLineString();
    ASSERT_EQ(parts->getNumGeometries(), 2);
    OGREnvelope box;
    g->getEnvelope(&box);
    EXPECT_GE(box.MinX, -180.0);
    EXPECT_LE(box.MaxX, 180.0);
    EXPECT_NEAR(parts->getGeometryRef(0)->getX(1), 180.0, 1e-9);
    EXPECT_NEAR(parts->getGeometryRef(1)->getX(0), -180.0, 1e-9);
    EXPECT_NEAR(parts->getGeometryRef(1)->getY(0), -16.1, 1e-3);
}

}  // namespace
}  // namespace tessarin
