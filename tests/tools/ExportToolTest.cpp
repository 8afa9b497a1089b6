#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "ExportCommand.hpp"
#include "earth/MapProjection.hpp"
#include "export/IsoTime.hpp"
#include "support/TempDir.hpp"

using tessarin::ExportOptions;
using tessarin::parseExportArgs;

TEST(ExportTool, Arguments) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        const char* errorStart;
    };
    const std::vector<Case> cases = {
        {{"p.csv", "--format", "rtz", "--out", "r.rtz"}, true, ""},
        {{"--format", "geojson", "--out", "x", "LL_p.csv", "--speed", "7.5", "--depart", "2026-12-08T18:00Z"}, true, ""},
        {{"p.csv", "--format", "shp", "--out", "r"}, false, "unknown format"},
        {{"p.csv", "--format", "gpx"}, false, "a plan file"},
        {{"--format", "gpx", "--out", "r"}, false, "a plan file"},
        {{"p.csv", "--format", "gpx", "--out"}, false, "--out needs"},
        {{"p.csv", "--format", "gpx", "--out", "r", "--speed", "0"}, false, "speed must"},
        {{"p.csv", "--format", "gpx", "--out", "r", "--speed", "5kn"}, false, "speed must"},
        {{"p.csv", "--format", "gpx", "--out", "r", "--depart", "tomorrow"}, false, "departure is not"},
        {{"p.csv", "q.csv", "--format", "gpx", "--out", "r"}, false, "more than one"},
        {{"p.csv", "--fmt", "gpx", "--out", "r"}, false, "unknown option"},
        {{"p.csv", "--format", "lnw", "--out", "r", "--crs", "EPSG:32752"}, true, ""},
        {{"p.csv", "--format", "lnw", "--out", "r", "--crs", "utm"}, false, "--crs takes"},
        {{"p.csv", "--format", "kml", "--out", "r", "--crs", "32752"}, false, "--crs is for"},
    };
    for (const Case& c : cases) {
        ExportOptions o;
        std::string error;
        EXPECT_EQ(parseExportArgs(c.args, o, error), c.ok) << c.args[0] << " " << error;
        if (!c.ok) {
            EXPECT_EQ(error.rfind(c.errorStart, 0), 0u) << error;
        }
    }
    ExportOptions o;
    std::string error;
    ASSERT_TRUE(parseExportArgs(cases[1].args, o, error));
    EXPECT_EQ(o.planPath, "LL_p.csv");
    EXPECT_EQ(o.format, "geojson");
    EXPECT_EQ(o.outPath, "x");
    EXPECT_FLOAT_EQ(o.speedKnots, 7.5f);
    EXPECT_TRUE(o.departGiven);
    EXPECT_EQ(tessarin::formatIsoUtc(o.departUtc), "2026-12-08T18:00:00Z");
}

// The real program, as a user runs it in a folder without tiles: a plan
// file and its lat/lon file convert to each format, and a missing plan fails.
TEST(ExportTool, ConvertsPlanFiles) {
    tessarin::test::TempDir dir;
    const double pts[][2] = {{130.5, -12.5}, {130.5, -12.0}, {131.0, -12.0}};  // lon, lat
    std::string plan = "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n";
    std::string ll;
    for (const auto& p : pts) {
        char line[160];
        std::snprintf(line, sizeof line, "%8.6f, %8.6f, %8.6f,   0.0000,   0.0000,   0.0000\n", p[0], p[1],
                      tessarin::mapY(p[1]));
        plan += line;
        std::snprintf(line, sizeof line, "%8.6f, %8.6f\n", p[1], p[0]);
        ll += line;
    }
    dir.write("plan.csv", plan);
    dir.write("LL_plan.csv", ll);

    const auto run = [&](const std::string& args) {
        const std::string command = "cd '" + dir.path() + "' && '" TESSARIN_EXPORT_TOOL "' " + args + " 2>/dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };

    ASSERT_EQ(run("plan.csv --format rtz --out plan.rtz --speed 5 --depart 2026-12-08T06:00:00Z"), 0);
    tinyxml2::XMLDocument rtz;
    ASSERT_EQ(rtz.LoadFile(dir.file("plan.rtz").c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* wps = rtz.RootElement()->FirstChildElement("waypoints");
    int n = 0;
    for (const tinyxml2::XMLElement* w = wps->FirstChildElement("waypoint"); w; w = w->NextSiblingElement(), ++n) {
        EXPECT_NEAR(w->FirstChildElement("position")->DoubleAttribute("lat"), pts[n][1], 1e-6);
        EXPECT_NEAR(w->FirstChildElement("position")->DoubleAttribute("lon"), pts[n][0], 1e-6);
        if (n > 0) {
            EXPECT_NEAR(w->FirstChildElement("leg")->DoubleAttribute("speedMax"), 5.0, 1e-9);
        }
    }
    EXPECT_EQ(n, 3);
    // 0.5 degrees of latitude is about 30 nm: six hours at 5 knots.
    const tinyxml2::XMLElement* second = rtz.RootElement()
                                             ->FirstChildElement("schedules")
                                             ->FirstChildElement("schedule")
                                             ->FirstChildElement("calculated")
                                             ->FirstChildElement("sheduleElement")
                                             ->NextSiblingElement();
    std::time_t eta = 0;
    ASSERT_TRUE(tessarin::parseIsoUtc(second->Attribute("eta"), eta));
    std::time_t depart = 0;
    ASSERT_TRUE(tessarin::parseIsoUtc("2026-12-08T06:00:00Z", depart));
    EXPECT_NEAR(static_cast<double>(eta - depart) / 3600.0, 30.0 / 5.0, 0.1);

    ASSERT_EQ(run("LL_plan.csv --format gpx --out plan.gpx"), 0);
    tinyxml2::XMLDocument gpx;
    ASSERT_EQ(gpx.LoadFile(dir.file("plan.gpx").c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* pt = gpx.RootElement()->FirstChildElement("rte")->FirstChildElement("rtept");
    ASSERT_NE(pt, nullptr);
    EXPECT_NEAR(pt->DoubleAttribute("lat"), pts[0][1], 1e-6);
    EXPECT_STREQ(pt->FirstChildElement("name")->GetText(), "WP 001");

    ASSERT_EQ(run("plan.csv --format geojson --out plan.geojson"), 0);
    const nlohmann::json layers = nlohmann::json::parse(dir.read("plan.geojson"));
    int legs = 0;
    for (const auto& f : layers.at("features")) legs += f.at("properties").at("kind") == "leg";
    EXPECT_EQ(legs, 2);

    // The summary line names the grid; every line format is written.
    const std::string summary = dir.file("summary.txt");
    ASSERT_EQ(std::system(("cd '" + dir.path() + "' && '" TESSARIN_EXPORT_TOOL "' plan.csv --format lnw --out plan.lnw 2>'" +
                           summary + "'").c_str()),
              0);
    EXPECT_NE(dir.read("summary.txt").find("UTM zone 52S (EPSG:32752)"), std::string::npos) << dir.read("summary.txt");
    EXPECT_EQ(dir.read("plan.lnw").rfind("LNS 2\r\nLIN 2\r\nPTS ", 0), 0u);
    EXPECT_EQ(run("plan.csv --format lnw --out plan3857.lnw --crs 3857"), 0);
    EXPECT_EQ(run("plan.csv --format lnw --out plan4326.lnw --crs 4326"), 1);
    EXPECT_EQ(run("plan.csv --format kml --out plan.kml"), 0);
    EXPECT_NE(dir.read("plan.kml").find("<LineString>"), std::string::npos);
    EXPECT_EQ(run("plan.csv --format lines-csv --out lines.csv"), 0);
    EXPECT_EQ(dir.read("lines.csv").rfind("name,start_lat,start_lon,end_lat,end_lon\nL001,-12.50000000,130.50000000,", 0), 0u);
    EXPECT_EQ(run("plan.csv --format asciiplan --out plan.asciiplan"), 0);
    EXPECT_EQ(dir.read("plan.asciiplan").rfind("DEG\r\n\r\n0 0 0 0\r\n_LINE L001 1 ", 0), 0u);

    EXPECT_EQ(run("missing.csv --format gpx --out m.gpx"), 1);
    EXPECT_EQ(run("plan.csv --format gpx"), 2);
}
