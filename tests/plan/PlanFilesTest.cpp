#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/PlannerState.hpp"
#include "earth/MapProjection.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/PlanWorld.hpp"

using tessarin::latLonFileName;
using tessarin::loadPlan;
using tessarin::mapY;
using tessarin::savePlan;
using tessarin::SurveyPlan;
using tessarin::Waypoint;
using tessarin::writeRouteFile;
using tessarin::test::PlanWorld;

namespace {

bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Waypoints with independent, hand-chosen values (y need not match lat here:
// the plan file carries y as it is).
void addRaw(SurveyPlan& plan, double lon, double y, double lat, float speed = 6.0f, float mult = 2.5f) {
    plan.addWaypoint(lon, y, lat, speed, mult);
}

}  // namespace

TEST(PlanFiles, LatLonFileName) {
    EXPECT_EQ(latLonFileName("D:\\surveys\\area1.csv"), "D:\\surveys\\LL_area1.csv");
    EXPECT_EQ(latLonFileName("/home/ship/run7.csv"), "/home/ship/LL_run7.csv");
    EXPECT_EQ(latLonFileName("a\\b/c.csv"), "a\\b/LL_c.csv");
    EXPECT_EQ(latLonFileName("c:\\x/y\\z.csv"), "c:\\x/y\\LL_z.csv");
    EXPECT_EQ(latLonFileName("run7.csv"), "LL_run7.csv");
}

TEST(PlanFiles, PlanAndLatLonFileLayout) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    addRaw(plan, 130.5, -12.4, -12.345678);
    addRaw(plan, -3.75, 50.0, 45.25);
    Waypoint* a = plan.first();
    a->lengthNm = 12.5f;
    a->areaKm2 = 3.25f;
    world.takeOutput();

    const std::string path = world.dir.file("run7.csv");
    ASSERT_TRUE(savePlan(plan, path, 10.0f));
    EXPECT_EQ(world.dir.read("run7.csv"),
              "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n"
              "130.500000, -12.345678, -12.400000,  12.5000,   1.2500,   3.2500\n"
              "-3.750000, 45.250000, 50.000000,   0.0000,   0.0000,   0.0000\n");
    EXPECT_EQ(world.dir.read("LL_run7.csv"), "-12.345678, 130.500000\n45.250000, -3.750000\n");
    EXPECT_EQ(world.takeOutput(), "SPEED 10\nF NAME " + world.dir.file("LL_run7.csv") + "\n");
    EXPECT_FALSE(exists(path + ".tmp"));
}

// -12.345678 S, 130.5 E: 12, the byte 0xC3 and 0.346 (the fraction stays in
// degrees), then 130, 0xC3 and 0.500.
TEST(PlanFiles, RouteListing) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    addRaw(plan, 130.5, mapY(-12.345678), -12.345678);
    addRaw(plan, -3.75, mapY(45.25), 45.25);
    ASSERT_TRUE(writeRouteFile(plan, world.dir.file("run7.cvt")));
    EXPECT_EQ(world.dir.read("run7.cvt"),
              "WP 001\nLat  12\xC3" "0.346S Lon  130\xC3" "0.500E\nA1\nXTE=0.10nm\n;\n"
              "WP 002\nLat  45\xC3" "0.250N Lon  3\xC3" "0.750W\nA2\nXTE=0.10nm\n;\n");
}

TEST(PlanFiles, PlanFileRoundTrip) {
    PlanWorld world;
    SurveyPlan& plan = world.build(4.0f, 4.42f, 9.0f);
    const double pts[][2] = {{130.5, -12.345678}, {131.25, -12.5}, {-179.9, 60.123456}};
    for (const auto& p : pts) addRaw(plan, p[0], mapY(p[1]), p[1]);
    const std::string path = world.dir.file("plan.csv");
    ASSERT_TRUE(savePlan(plan, path, 9.0f));

    plan.clearPlan();
    world.takeOutput();
    float meanLat = -1, meanLon = -1;
    ASSERT_EQ(loadPlan(plan, path, meanLat, meanLon), 3);
    int i = 0;
    for (const Waypoint* w = plan.first(); w; w = w->next, ++i) {
        EXPECT_NEAR(w->lon, pts[i][0], 1e-6);
        EXPECT_NEAR(w->lat, pts[i][1], 1e-6);
        EXPECT_NEAR(w->y, mapY(pts[i][1]), 1e-6);
        EXPECT_EQ(w->marker->y, w->y);
        EXPECT_EQ(w->speed, 9.0f);            // the plan-wide values, not the saved ones
        EXPECT_EQ(w->depthMultiplier, 4.0f);
    }
    EXPECT_EQ(i, 3);
    EXPECT_NEAR(meanLat, (-12.345678 - 12.5 + 60.123456) / 3, 1e-5);
    EXPECT_NEAR(meanLon, (130.5 + 131.25 - 179.9) / 3, 1e-5);
    const std::string console = world.takeOutput();
    EXPECT_EQ(console.substr(0, console.find('\n') + 1), "LOAD PLAN " + path + "\n");
    EXPECT_NE(console.find("LLPOS -1\n"), std::string::npos);
    EXPECT_NE(console.find("LINE 130.500000  -12.345678 "), std::string::npos) << console;
    EXPECT_NE(console.find("LAT LON 0130.5 -12.3457\n"), std::string::npos) << console;
    EXPECT_NE(console.find("LAT LON 2-179.9 60.1235\n"), std::string::npos) << console;
}

TEST(PlanFiles, LatLonFileRoundTripAndDroppedNorthernLines) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    addRaw(plan, 10.5, 0.0, -33.25);
    addRaw(plan, 11.0, 0.0, 63.95);  // at 63.9 N or beyond: not read back
    addRaw(plan, 11.5, 0.0, 20.0);
    ASSERT_TRUE(savePlan(plan, world.dir.file("p.csv"), 9.0f));
    plan.clearPlan();
    world.takeOutput();

    float meanLat = 0, meanLon = 0;
    ASSERT_EQ(loadPlan(plan, world.dir.file("LL_p.csv"), meanLat, meanLon), 2);
    const Waypoint* a = plan.first();
    EXPECT_DOUBLE_EQ(a->lat, -33.25);
    EXPECT_DOUBLE_EQ(a->lon, 10.5);
    EXPECT_NEAR(a->y, mapY(-33.25), 1e-9);  // recomputed from the latitude
    EXPECT_DOUBLE_EQ(a->next->lon, 11.5);
    EXPECT_FLOAT_EQ(meanLat, (-33.25f + 20.0f) / 2);
    EXPECT_NE(world.takeOutput().find("Load Lat Lon File \n"), std::string::npos);

}

// Only a file name that starts with "LL_" is read as a lat/lon file; "LL_"
// in a folder name or later in the file name is an ordinary plan file. The
// one content reads as (lon 20, lat 10) in the plan format and as (lat 20,
// lon 10) in the lat/lon format (whose reader skips the header line).
TEST(PlanFiles, OnlyAFileNameStartingWithLLSelectsTheLatLonFormat) {
    const struct {
        const char* folder;
        const char* name;
        bool latLon;
    } cases[] = {
        {"", "SMALL_AREA.csv", false}, {"", "HILL_TOP.csv", false},  {"ALL_JOBS/", "run.csv", false},
        {"LL_runs/", "day1.csv", false}, {"", "LL_p.csv", true},      {"ALL_JOBS/", "LL_run.csv", true},
        {"", "xLL_p.csv", false},
    };
    for (const auto& c : cases) {
        PlanWorld world;
        SurveyPlan& plan = world.build();
        const std::string relative = std::string(c.folder) + c.name;
        world.dir.write(relative, "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n"
                                  "20.000000, 10.000000, 10.050000,   0.0000,   0.0000,   0.0000\n");
        const std::string path = world.dir.file(relative);
        float meanLat = 0, meanLon = 0;
        ASSERT_EQ(loadPlan(plan, path, meanLat, meanLon), 1) << relative;
        EXPECT_DOUBLE_EQ(plan.first()->lat, c.latLon ? 20.0 : 10.0) << relative;
        EXPECT_DOUBLE_EQ(plan.first()->lon, c.latLon ? 10.0 : 20.0) << relative;
        const std::string console = world.takeOutput();
        const long llPos = c.latLon ? static_cast<long>(path.size() - std::string(c.name).size()) : -1L;
        EXPECT_NE(console.find("LLPOS " + std::to_string(llPos) + "\n"), std::string::npos) << console;
        EXPECT_EQ(console.find("Load Lat Lon File \n") != std::string::npos, c.latLon) << relative;
    }
}

TEST(PlanFiles, LoadingInsertsAfterTheCurrentWaypointAndSkipsStrayLines) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    world.dir.write("in.csv",
                    "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n"
                    "2.000000, 1.000000, 1.047000,   1.0000,   1.0000,   1.0000\n"
                    "\n"
                    "waypoint three follows\n"
                    "3.000000, 2.000000, 2.094000\r\n"
                    ", 5, 6\n");
    addRaw(plan, 1, 0, 0);
    addRaw(plan, 9, 0, 0);
    plan.setCurrentWaypoint(plan.first());
    float meanLat = 0, meanLon = 0;
    ASSERT_EQ(loadPlan(plan, world.dir.file("in.csv"), meanLat, meanLon), 2);
    std::vector<double> lons;
    for (const Waypoint* w = plan.first(); w; w = w->next) lons.push_back(w->lon);
    EXPECT_EQ(lons, (std::vector<double>{1, 2, 3, 9}));
    EXPECT_EQ(plan.first()->next->y, 1.047);  // y as the file gives it
    EXPECT_EQ(plan.current()->lon, 3.0);
    EXPECT_FLOAT_EQ(meanLon, 2.5f);
}

// A file that cannot be opened adds nothing and says so; the means are not
// touched (they would be 0 / 0).
TEST(PlanFiles, MissingFileLoadsNothing) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    world.takeOutput();
    float meanLat = 7, meanLon = 8;
    const std::string path = world.dir.file("absent.csv");
    EXPECT_EQ(loadPlan(plan, path, meanLat, meanLon), -1);
    EXPECT_TRUE(plan.empty());
    EXPECT_EQ(meanLat, 7.0f);
    EXPECT_EQ(meanLon, 8.0f);
    EXPECT_EQ(world.takeOutput(), "LOAD PLAN " + path + "\nLLPOS -1\nCANNOT OPEN " + path + "\n");
}

// Files that cannot be created are reported and nothing is written; a failed
// save leaves the previous file whole.
TEST(PlanFiles, FailedSavesKeepThePreviousFiles) {
    PlanWorld world;
    SurveyPlan& plan = world.build();
    addRaw(plan, 1, 2, 3);

    const std::string nowhere = world.dir.file("no/such/folder/p.csv");
    EXPECT_FALSE(savePlan(plan, nowhere, 9.0f));
    EXPECT_FALSE(writeRouteFile(plan, world.dir.file("no/such/folder/p.cvt")));
    EXPECT_NE(world.takeOutput().find("CANNOT CREATE " + nowhere + "\n"), std::string::npos);
    EXPECT_FALSE(exists(nowhere));

    // The temporary beside the plan file cannot be made (a folder has its
    // name): the old plan file stays as it was.
    world.dir.write("keep.csv", "previous plan\n");
    std::filesystem::create_directory(world.dir.file("keep.csv.tmp"));
    world.takeOutput();
    EXPECT_FALSE(savePlan(plan, world.dir.file("keep.csv"), 9.0f));
    EXPECT_EQ(world.dir.read("keep.csv"), "previous plan\n");
    // The lat/lon file is still attempted, and written, on its own.
    EXPECT_EQ(world.dir.read("LL_keep.csv"), "3.000000, 1.000000\n");
    EXPECT_EQ(world.takeOutput(), "SPEED 9\nCANNOT CREATE " + world.dir.file("keep.csv") + "\nF NAME " +
                                      world.dir.file("LL_keep.csv") + "\n");

    // The same for the lat/lon file only: the plan file is written, the old
    // lat/lon file kept.
    world.dir.write("LL_two.csv", "previous lat lon\n");
    std::filesystem::create_directory(world.dir.file("LL_two.csv.tmp"));
    EXPECT_FALSE(savePlan(plan, world.dir.file("two.csv"), 9.0f));
    EXPECT_EQ(world.dir.read("LL_two.csv"), "previous lat lon\n");

    // An ordinary save replaces an existing file.
    world.dir.write("route.cvt", "old route\n");
    EXPECT_TRUE(writeRouteFile(plan, world.dir.file("route.cvt")));
    EXPECT_EQ(world.dir.read("route.cvt").substr(0, 7), "WP 001\n");
}

// Through the planner: the three files of a save and the load that follows.
TEST(PlannerPlanFiles, SaveThenLoadRegeneratesSwaths) {
    PlanWorld world;  // only for its folder and console
    tessarin::NullTextureSink sink;
    tessarin::PlannerState planner(world.out, sink, world.dir.path());
    planner.addWaypointAt(5.0f, 10.0f);
    planner.addWaypointAt(5.5f, 10.0f);
    ASSERT_TRUE(planner.savePlanFiles(world.dir.file("area1")));
    EXPECT_TRUE(exists(world.dir.file("area1.csv")));
    EXPECT_TRUE(exists(world.dir.file("LL_area1.csv")));
    EXPECT_TRUE(exists(world.dir.file("area1.cvt")));

    planner.plan->clearPlan();
    float viewY = -30, viewLon = 20;
    EXPECT_FALSE(planner.loadPlanFile(world.dir.file("missing.csv"), viewY, viewLon));
    EXPECT_EQ(viewY, -30.0f);
    EXPECT_EQ(viewLon, 20.0f);

    ASSERT_TRUE(planner.loadPlanFile(world.dir.file("area1.csv"), viewY, viewLon));
    EXPECT_FLOAT_EQ(viewLon, 5.25f);
    ASSERT_NE(planner.plan->first(), nullptr);
    EXPECT_EQ(planner.plan->first()->sampleCount, 120);
    EXPECT_GT(planner.plan->first()->lengthKm, 0.0f);
}

// A file that opens but holds no waypoint still regenerates the swaths with
// turns; only a file that cannot be opened skips it. Either way nothing was
// added, so the view centre is not moved.
TEST(PlannerPlanFiles, LoadingAnEmptyFileStillRegeneratesTheSwaths) {
    const struct {
        const char* name;
        const char* content;  // null: no such file
        bool regenerated;
    } cases[] = {
        {"header.csv", "Lon, Lat, M_Lat, Len (nm), Time (hr), Area (km2) \n", true},
        {"junk.csv", "Lon, Lat\nnot a waypoint\n\n", true},
        {"LL_junk.csv", "north, east\n", true},
        {"missing.csv", nullptr, false},
    };
    for (const auto& c : cases) {
        PlanWorld world;
        tessarin::NullTextureSink sink;
        tessarin::PlannerState planner(world.out, sink, world.dir.path());
        // A corner: with turns the first leg ends where the turn begins.
        planner.addWaypointAt(5.0f, 10.0f);
        planner.addWaypointAt(5.5f, 10.0f);
        planner.addWaypointAt(5.5f, 10.5f);
        const Waypoint* first = planner.plan->first();
        const int straightSamples = first->sampleCount;
        if (c.content) world.dir.write(c.name, c.content);
        world.takeOutput();

        float viewY = -30, viewLon = 20;
        EXPECT_FALSE(planner.loadPlanFile(world.dir.file(c.name), viewY, viewLon)) << c.name;
        EXPECT_EQ(viewY, -30.0f);
        EXPECT_EQ(viewLon, 20.0f);
        const std::string console = world.takeOutput();
        EXPECT_EQ(console.find("genSwaths 1\n") != std::string::npos, c.regenerated) << c.name;
        EXPECT_EQ(console.find("AVERAGE DEPTH") != std::string::npos, c.regenerated) << c.name;
        if (c.regenerated) {
            // The legs are as a pass with turns leaves them: another such
            // pass changes nothing.
            const int loadedSamples = first->sampleCount;
            const double loadedEdge = first->rightX[loadedSamples / 2];
            planner.plan->generateSwaths(true);
            EXPECT_EQ(first->sampleCount, loadedSamples) << c.name;
            EXPECT_EQ(first->rightX[loadedSamples / 2], loadedEdge) << c.name;
            EXPECT_NE(loadedSamples, straightSamples) << c.name;
        } else {
            EXPECT_EQ(first->sampleCount, straightSamples) << c.name;
        }
    }
}
