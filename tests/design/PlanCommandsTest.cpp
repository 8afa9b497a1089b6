#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace tessarin
