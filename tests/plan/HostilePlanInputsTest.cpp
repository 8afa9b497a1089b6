// Plan, lat/lon and extinction-curve files that are folders, unreadable,
// huge or full of values that are not positions.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "plan/ExtinctionCurve.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/PlanWorld.hpp"

namespace tessarin {
namespace {

using test::PlanWorld;

std::vector<double> lons(const SurveyPlan& plan) {
    std::vector<double> v;
    for (const Waypoint* w = plan.first(); w; w = w->next) v.push_back(w->lon);
    return v;
}

// A plan or lat/lon path that is a folder (or cannot be read) is reported
// like a missing file, and the plan keeps the waypoints it had.
TEST(HostilePlanInputs, PlanPathThatCannotBeReadAddsNothing) {
    struct Case {
        const char* what;
        const char* name;
        bool folder;  // else: a file without read permission
    };
    const std::vector<Case> cases = {
        {"plan file that is a folder", "plan.csv", true},
        {"lat/lon file that is a folder", "LL_plan.csv", true},
        {"unreadable plan file", "plan.csv", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlanWorld world;
        SurveyPlan& plan = world.build();
        plan.addWaypoint(1.0, 0.0, 0.0, 9.0f, 4.0f);
        const std::string path = world.dir.file(c.name);
        if (c.folder) {
            std::filesystem::create_directories(path);
        } else {
            world.dir.write(c.name, "Lon, Lat, M_Lat\n2, 1, 1.047\n");
            std::filesystem::permissions(path, std::filesystem::perms::none);
            if (::geteuid() == 0) continue;  // root reads it anyway
        }
        world.takeOutput();
        float meanLat = 7, meanLon = 8;
        EXPECT_LE(loadPlan(plan, path, meanLat, meanLon), 0);
        EXPECT_NE(world.takeOutput().find("CANNOT OPEN " + path + "\n"), std::string::npos);
        EXPECT_EQ(lons(plan), std::vector<double>{1.0});
        EXPECT_EQ(meanLat, 7.0f);
        EXPECT_EQ(meanLon, 8.0f);
    }
}

// Lines whose numbers are not a position (beyond a pole, a longitude or
// map-plane y of absurd size) are skipped like any stray line: the lines
// around them load, and the means stay finite. These came from fuzzing.
TEST(HostilePlanInputs, NumbersThatAreNotPositionsAreSkipped) {
    struct Case {
        const char* what;
        const char* name;
        std::string text;
        std::vector<double> expectedLons;
    };
    const std::string header = "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n";
    const std::string huge(400, '9');
    const std::vector<Case> cases = {
        {"plan: latitude beyond a pole", "plan.csv", header + "2, 1, 1.047\n3, 95, 1\n4, -90, 1\n5, 2, 2.1\n",
         {2, 5}},
        {"plan: longitude of 400 digits", "plan.csv", header + "2, 1, 1.047\n-" + huge + ".2, 1, 1\n5, 2, 2.1\n",
         {2, 5}},
        {"plan: map-plane y of 1e300", "plan.csv", header + "2, 1, 1.047\n3, 1, 1e300\n5, 2, 2.1\n", {2, 5}},
        {"lat/lon: latitude below the south pole", "LL_plan.csv", "1, 2\n-100, 3\n-90, 4\n-89, 5\n", {2, 5}},
        {"lat/lon: longitude 1e300", "LL_plan.csv", "1, 2\n1, 1e300\n1, 721\n1, -720\n", {2, -720}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlanWorld world;
        SurveyPlan& plan = world.build();
        world.dir.write(c.name, c.text);
        float meanLat = 0, meanLon = 0;
        EXPECT_EQ(loadPlan(plan, world.dir.file(c.name), meanLat, meanLon),
                  static_cast<int>(c.expectedLons.size()));
        EXPECT_EQ(lons(plan), c.expectedLons);
        EXPECT_TRUE(std::isfinite(meanLat) && std::isfinite(meanLon));
        for (const Waypoint* w = plan.first(); w; w = w->next) EXPECT_TRUE(std::isfinite(w->y));
    }
}

// A plan of 100,000 lines loads whole and in file order (the load is one
// pass; this case fails on a time-out if a step turns quadratic).
TEST(HostilePlanInputs, HundredThousandLinePlanLoadsEveryLine) {
    constexpr int kLines = 100000;
    PlanWorld world;
    SurveyPlan& plan = world.build();
    {
        std::ofstream file(world.dir.file("big.csv"));
        file << std::fixed << std::setprecision(6) << "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n";
        for (int i = 0; i < kLines; ++i)
            file << -150.0 + i * 1e-4 << ", " << 10.0 + (i % 100) * 1e-3 << ", 10.05, 1.0, 0.1, 2.0\n";
    }
    float meanLat = 0, meanLon = 0;
    ASSERT_EQ(loadPlan(plan, world.dir.file("big.csv"), meanLat, meanLon), kLines);
    int count = 0;
    double previousLon = -1e9;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++count) {
        ASSERT_GT(w->lon, previousLon) << count;
        previousLon = w->lon;
    }
    EXPECT_EQ(count, kLines);
    EXPECT_NEAR(meanLon, -150.0 + (kLines - 1) * 0.5e-4, 1e-3);
    EXPECT_NEAR(meanLat, 10.0495, 1e-4);
}

// An extinction-curve path that is a folder gives the flat default curve
// like a missing file; a multiplier beyond single precision (it would read
// as infinite) ends the table there, like a word.
TEST(HostilePlanInputs, ExtinctionCurveKeepsOnlyUsableRows) {
    struct Case {
        const char* what;
        std::function<void(const std::string& path)> make;
        bool opened;
        float cell450;  // 500 m
        float cell550;  // 1500 m
    };
    auto text = [](const char* t) {
        return [t](const std::string& path) { std::ofstream(path) << t; };
    };
    const std::vector<Case> cases = {
        {"a folder", [](const std::string& p) { std::filesystem::create_directories(p); }, false, 4.0f, 4.0f},
        {"multiplier 5e250", text("0 5\n1000 4\n2000 5e250\n3000 3\n"), true, 4.5f, 0.5f},
        {"multiplier inf", text("0 5\n1000 4\n2000 inf\n3000 3\n"), true, 4.5f, 0.5f},
        {"multiplier nan", text("0 5\n1000 4\n2000 nan\n3000 3\n"), true, 4.5f, 0.5f},
        {"usable rows", text("0 5\n1000 4\n2000 3\n"), true, 4.5f, 3.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        c.make(dir.file("curve.txt"));
        ExtinctionCurve curve;
        std::ostringstream out;
        EXPECT_EQ(loadExtinctionCurve(curve, dir.file("curve.txt"), 4.0f, out), c.opened);
        if (!c.opened) {
            EXPECT_NE(out.str().find("FAILED TO OPEN " + dir.file("curve.txt")), std::string::npos);
        }
        EXPECT_NEAR(curve.table[450], c.cell450, 1e-5f);
        EXPECT_NEAR(curve.table[550], c.cell550, 1e-5f);
        for (float v : curve.table) ASSERT_TRUE(std::isfinite(v));
    }
}

}  // namespace
}  // namespace tessarin
