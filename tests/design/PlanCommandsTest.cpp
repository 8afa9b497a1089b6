#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "FillCommand.hpp"
#include "LinesCommand.hpp"
#include "ProfileCommand.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"

namespace tessarin {
namespace {

// The commands read config.txt and the tiles of the working folder.
class InFolder {
public:
    explicit InFolder(const std::string& dir) {
        char buf[4096];
        old_ = getcwd(buf, sizeof buf) ? buf : ".";
        EXPECT_EQ(chdir(dir.c_str()), 0);
    }
    ~InFolder() { EXPECT_EQ(chdir(old_.c_str()), 0); }

private:
    std::string old_;
};

std::vector<std::vector<std::string>> readCsv(const std::string& path) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream s(line);
        std::string cell;
        while (std::getline(s, cell, ',')) cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

TEST(PlanCommands, BadArgumentsAndUnreadablePlansExitWithTwo) {
    test::TempDir dir;
    dir.write("empty.csv", "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n");
    InFolder here(dir.path());
    struct Case {
        bool profile;
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {true, {}, "a plan file and --out are needed"},
        {true, {"plan.csv"}, "a plan file and --out are needed"},
        {true, {"plan.csv", "--out"}, "--out needs a value"},
        {true, {"plan.csv", "--out", "p.csv", "--step"}, "--step needs a value"},
        {true, {"plan.csv", "--out", "p.csv", "--step", "0"}, "the step must be"},
        {true, {"plan.csv", "--out", "p.csv", "--step", "5km"}, "the step must be"},
        {true, {"plan.csv", "--out", "p.csv", "--step", "nan"}, "the step must be"},
        {true, {"plan.csv", "--out", "p.csv", "--speed", "3"}, "unknown option --speed"},
        {true, {"a.csv", "b.csv", "--out", "p.csv"}, "more than one plan file: b.csv"},
        {true, {"missing.csv", "--out", "p.csv"}, "cannot read plan file missing.csv"},
        {true, {"empty.csv", "--out", "p.csv"}, "no waypoints in empty.csv"},
        {false, {"--out", "l.csv"}, "a plan file and --out are needed"},
        {false, {"plan.csv", "--out"}, "--out needs a value"},
        {false, {"plan.csv", "--out", "l.csv", "--step", "5"}, "unknown option --step"},
        {false, {"missing.csv", "--out", "l.csv"}, "cannot read plan file missing.csv"},
    };
    for (const Case& c : cases) {
        std::ostringstream err;
        const int status = c.profile ? runProfile(c.args, err) : runLines(c.args, err);
        EXPECT_EQ(status, 2) << err.str();
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
    EXPECT_FALSE(std::ifstream(dir.file("p.csv")).good());
    EXPECT_FALSE(std::ifstream(dir.file("l.csv")).good());
}

TEST(PlanCommands, FlatWorldAt4000MetresWritesItsDepthAndSwath) {
    test::TempDir dir;
    test::writeFlatDataTile(dir.path(), 4, 0, -4000.0);
    // Lat/lon file, north then east; no config.txt, so the flat curve at 4
    // applies.
    dir.write("LL_run.csv", "2.000000, 6.000000\n2.600000, 6.000000\n2.600000, 6.400000\n");
    InFolder here(dir.path());

    std::ostringstream err;
    ASSERT_EQ(runProfile({"LL_run.csv", "--out", "profile.csv"}, err), 0) << err.str();
    const auto rows = readCsv(dir.file("profile.csv"));
    ASSERT_GT(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"leg", "distance_km", "lon", "lat", "depth_m", "port_m",
                                                 "starboard_m"}));
    // 0.515625 * 4 * 4000 m * 111110 / 111120 to each side.
    const double half = 0.515625 * 4.0 * 4000.0 * 111110.0 / 111120.0;
    bool secondLeg = false;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 7u);
        EXPECT_EQ(rows[i][4], "-4000.00");
        // Northbound, both outer points at the sample's own latitude.
        if (rows[i][0] == "1") {
            EXPECT_NEAR(std::atof(rows[i][5].c_str()), half, 0.1);
            EXPECT_NEAR(std::atof(rows[i][6].c_str()), half, 0.1);
        }
        secondLeg = secondLeg || rows[i][0] == "2";
    }
    EXPECT_TRUE(secondLeg);

    ASSERT_EQ(runLines({"LL_run.csv", "--out", "lines.csv"}, err), 0) << err.str();
    const auto lines = readCsv(dir.file("lines.csv"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0][0], "leg");
    EXPECT_EQ(lines[1][0], "1");
    EXPECT_EQ(lines[1][5], "0.0");   // due north
    EXPECT_EQ(lines[2][5], "90.0");  // due east along 2.6 N, nearly
    EXPECT_EQ(lines[1][10], "-4000.00");
    EXPECT_NEAR(std::atof(lines[1][12].c_str()), 2.0 * half, 0.2);

    // With a step the rows are that far apart along the track.
    ASSERT_EQ(runProfile({"LL_run.csv", "--out", "stepped.csv", "--step", "10000"}, err), 0) << err.str();
    const auto stepped = readCsv(dir.file("stepped.csv"));
    ASSERT_GT(stepped.size(), 3u);
    EXPECT_NEAR(std::atof(stepped[2][1].c_str()) - std::atof(stepped[1][1].c_str()), 10.0, 1e-3);
}

// ---- fill ----

bool exists(const std::string& path) { return std::ifstream(path).good(); }

std::map<std::string, double> keyValues(const std::string& text) {
    std::map<std::string, double> kv;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t colon = line.find(": ");
        if (colon != std::string::npos) kv[line.substr(0, colon)] = std::stod(line.substr(colon + 2));
    }
    return kv;
}

TEST(FillCommand, BadArgumentsAndUnreadableAreasExitWithTwoAndWriteNothing) {
    test::TempDir dir;
    dir.write("two.csv", "Lon, Lat  \n6.0, 2.0\n7.0, 2.0\n");
    dir.write("area.csv", "Lon, Lat  \n6.0, 2.0\n7.0, 2.0\n7.0, 3.0\n");
    InFolder here(dir.path());
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "an area file and --out are needed"},
        {{"area.csv"}, "an area file and --out are needed"},
        {{"--out", "d"}, "an area file and --out are needed"},
        {{"area.csv", "--out"}, "--out needs a value"},
        {{"area.csv", "--out", ""}, "--out needs a name"},
        {{"area.csv", "--out", "d", "--heading"}, "--heading needs a value"},
        {{"area.csv", "--out", "d", "--heading", "400"}, "the heading must be degrees"},
        {{"area.csv", "--out", "d", "--heading", "east"}, "the heading must be degrees"},
        {{"area.csv", "--out", "d", "--heading", "90", "--fastest"}, "give one of --heading"},
        {{"area.csv", "--out", "d", "--along-first-edge", "--fastest"}, "give one of --heading"},
        {{"area.csv", "--out", "d", "--start", "N"}, "the start corner is one of"},
        {{"area.csv", "--out", "d", "--spacing", "0"}, "the spacing is depth or metres"},
        {{"area.csv", "--out", "d", "--spacing", "nan"}, "the spacing is depth or metres"},
        {{"area.csv", "--out", "d", "--spacing", "5km"}, "the spacing is depth or metres"},
        {{"area.csv", "--out", "d", "--overlap", "100"}, "the overlap must be a percentage"},
        {{"area.csv", "--out", "d", "--overlap", "-1"}, "the overlap must be a percentage"},
        {{"area.csv", "--out", "d", "--runout", "edge"}, "the run-out is swath or metres"},
        {{"area.csv", "--out", "d", "--order", "spiral"}, "the order is backforth or interleave"},
        {{"area.csv", "--out", "d", "--crosslines", "0"}, "the crossline spacing must be metres"},
        {{"area.csv", "--out", "d", "--speed", "3"}, "unknown option --speed"},
        {{"area.csv", "b.csv", "--out", "d"}, "more than one area file: b.csv"},
        {{"missing.csv", "--out", "d"}, "cannot read a polygon of three or more vertices from missing.csv"},
        {{"two.csv", "--out", "d"}, "cannot read a polygon of three or more vertices from two.csv"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(runFill(c.args, out, err), 2) << err.str();
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    for (const char* f : {"d.csv", "LL_d.csv", "d.cvt", "d_Report.txt"}) EXPECT_FALSE(exists(dir.file(f))) << f;
}

TEST(FillCommand, WritesThePlanFilesAndPrintsTotalsThatAgreeWithTheReport) {
    test::TempDir dir;
    test::writeFlatDataTile(dir.path(), 4, 0, -4000.0);
    dir.write("config.txt", "boat_speed 10.0\nday_rate 45000.0\nend\n");
    dir.write("area.csv", "Lon, Lat  \n6.0, 2.0\n7.0, 2.0\n7.0, 3.0\n6.0, 3.0\n");
    // No tile under this one: no spacing, no line.
    dir.write("land.csv", "Lon, Lat  \n30.0, 2.0\n31.0, 2.0\n31.0, 3.0\n");
    InFolder here(dir.path());

    std::ostringstream out, err;
    ASSERT_EQ(runFill({"area.csv", "--heading", "90", "--runout", "swath", "--crosslines", "20000", "--out", "d"},
                      out, err),
              0)
        << err.str();
    const std::map<std::string, double> kv = keyValues(out.str());
    for (const char* key :
         {"lines", "line_km", "total_km", "hours", "days", "cost", "covered_percent", "uncovered_km2"})
        EXPECT_EQ(kv.count(key), 1u) << key;
    for (const char* f : {"d.csv", "LL_d.csv", "d.cvt", "d_Report.txt"}) EXPECT_TRUE(exists(dir.file(f))) << f;

    // Two waypoints a line, and the legs' nautical miles the report sums.
    std::ifstream plan(dir.file("d.csv"));
    std::string line;
    std::getline(plan, line);
    int waypoints = 0;
    while (std::getline(plan, line)) ++waypoints;
    EXPECT_EQ(waypoints, 2 * static_cast<int>(kv.at("lines")));
    std::ifstream report(dir.file("d_Report.txt"));
    std::stringstream text;
    text << report.rdbuf();
    double nm = 0.0, knots = 0.0, hours = 0.0, cost = 0.0;
    int days = 0;
    const std::string r = text.str();
    ASSERT_EQ(std::sscanf(r.c_str() + r.find("Distance"), "Distance %lf nm  at %lf kts", &nm, &knots), 2);
    const std::size_t time = r.find("Mapping Time : ");
    if (std::sscanf(r.c_str() + time, "Mapping Time : %d days, %lf hr", &days, &hours) == 2) {
        hours += days * 24.0;
    } else {
        ASSERT_EQ(std::sscanf(r.c_str() + time, "Mapping Time : %lf hr", &hours), 1);
    }
    ASSERT_EQ(std::sscanf(r.c_str() + r.find("Estimated Cost"), "Estimated Cost :$%lf", &cost), 1);
    EXPECT_NEAR(kv.at("total_km") * 0.53996, nm, nm * 0.001);
    EXPECT_NEAR(kv.at("hours"), hours, hours * 0.001);
    EXPECT_NEAR(kv.at("cost"), cost, cost * 0.001);
    EXPECT_NEAR(kv.at("days"), kv.at("hours") / 24.0, 0.001);
    EXPECT_GE(kv.at("covered_percent"), 99.0);
    EXPECT_LT(kv.at("line_km"), kv.at("total_km"));

    std::ostringstream dryOut, dryErr;
    EXPECT_EQ(runFill({"land.csv", "--out", "dry"}, dryOut, dryErr), 1);
    EXPECT_NE(dryErr.str().find("no line laid"), std::string::npos) << dryErr.str();
    EXPECT_EQ(dryOut.str(), "");
    for (const char* f : {"dry.csv", "LL_dry.csv", "dry.cvt", "dry_Report.txt"}) EXPECT_FALSE(exists(dir.file(f))) << f;
}

}  // namespace
}  // namespace tessarin
