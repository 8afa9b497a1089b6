// Key a's transit from a cold tile store, its cells installed without waiting
// for their pictures, against loads that wait for them and a warm store.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/PlannerState.hpp"
#include "earth/TextureSink.hpp"
#include "earth/TileStore.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "support/TileWriter.hpp"
#include "support/WaypointBits.hpp"

namespace tessarin {
namespace {

struct Transit {
    std::string console;
    std::string waypoints;  // lat and lon of each waypoint, as stored
    int waypointCount = 0;
};

Transit genTransit(PlannerState& planner, std::ostringstream& out) {
    out.str("");
    planner.plan->clearPlan();
    planner.setDemoTransit(4.0f, 3.0f, 5.0f, 21.0f);
    planner.computeGreatCircle();
    planner.loadTilesOnArc();
    planner.planTransit(false, true);
    planner.tiles.uploadAllPictures();  // the frames after the transit
    return Transit{out.str(), test::waypointBits(*planner.plan), planner.plan->waypointCount()};
}

TEST(ColdTransit, GivesThePlanAndLinesOfLoadsThatWaitForPictures) {
    test::TempDir dir;
    for (int lon0 = -12; lon0 <= 28; lon0 += 8)
        for (int lat0 : {-8, 0, 8}) test::writeFlatDataTile(dir.path(), lon0, lat0, -2500.0 - 100.0 * lon0 - 10.0 * lat0);
    for (int lon0 : {-4, 4, 12}) test::writePictureTile(dir.path(), lon0, 0, 1920);
    dir.write("config.txt", "edge_overlap 10.0\nfill_overlap 10.0\nextinction_table none.txt\nend\n");

    NullTextureSink sink;
    std::ostringstream baseOut;
    PlannerState base(baseOut, sink, dir.path());
    base.tiles.setPictureLoad(PictureLoad::WithData);
    const Transit waited = genTransit(base, baseOut);
    ASSERT_GT(waited.waypointCount, 1);
    ASSERT_NE(waited.console.find("LOAD 8 deg Tile "), std::string::npos);


    for (int workers : {0, 2}) {
        SCOPED_TRACE(std::to_string(workers) + " workers");
        std::ostringstream out;
        PlannerState planner(out, sink, dir.path());
        planner.tiles.setDecodeWorkers(workers);
        const Transit cold = genTransit(planner, out);
        EXPECT_EQ(cold.console, waited.console);
        EXPECT_EQ(cold.waypoints, waited.waypoints);
        int shown = 0;
        for (int s = 0; s < TileStore::kRingSize; ++s) {
            const RingEntry& e = planner.tiles.ringEntry(s);
            if (e.latIdx < 0 || !planner.tiles.record(e.latIdx, e.lonIdx).loaded) continue;
            const bool hasPicture = e.latIdx == 12 && e.lonIdx >= 22 && e.lonIdx <= 24;
            EXPECT_EQ(planner.tiles.pictureLoaded(s), hasPicture) << "slot " << s;
            shown += hasPicture;
        }
        EXPECT_EQ(shown, 3);
        // Warm: the same plan, nothing loaded, nothing left to upload.
        const Transit warm = genTransit(planner, out);
        EXPECT_EQ(warm.waypoints, waited.waypoints);
        EXPECT_EQ(warm.console.find("LOAD 8 deg Tile "), std::string::npos);
        EXPECT_EQ(planner.tiles.picturesPending(), 0);
    }
}

}  // namespace
}  // namespace tessarin
