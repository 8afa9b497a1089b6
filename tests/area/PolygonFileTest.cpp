#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <vector>

#include "area/PolygonFile.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "support/TempDir.hpp"

namespace tessarin {
namespace {

using test::TempDir;

class PolygonFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::ostringstream out;
    SurveyPolygon polygon{out, 4.0f};

    void add(double lon, double lat) { polygon.addVertex(lon, mapY(lat), lat); }

    std::vector<std::pair<double, double>> ring(const SurveyPolygon& p) const {
        std::vector<std::pair<double, double>> r;
        const PolygonVertex* v = p.first();
        if (!v) return r;
        do {
            r.emplace_back(v->x, v->lat);
            EXPECT_DOUBLE_EQ(v->y, mapY(v->lat));
            EXPECT_EQ(v->marker.y, v->y);
            v = v->next;
        } while (v != p.first());
        return r;
    }
};

TEST_F(PolygonFileTest, SavedFileHasTheFixedLayout) {
    add(-12.5, 45.25);
    add(3.1234567, -0.0000004);
    add(170, 60.5);
    ASSERT_TRUE(savePolygonFile(dir.file("p.csv"), polygon, out));
    EXPECT_EQ(dir.read("p.csv"),
              "Lon, Lat  \n"
              "-12.500000, 45.250000 \n"
              "3.123457, -0.000000 \n"
              "170.000000, 60.500000 \n");
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("p.csv.tmp")));
}

TEST_F(PolygonFileTest, SaveThenLoadGivesTheSameRingToSixDecimals) {
    const double pts[][2] = {{-179.9999991, -71.1234564}, {0.1, 0.2}, {12.3456789, 63.9876543}, {99, -5}};
    for (const auto& p : pts) add(p[0], p[1]);
    ASSERT_TRUE(savePolygonFile(dir.file("round.csv"), polygon, out));

    std::ostringstream out2;
    SurveyPolygon loaded(out2, 4.0f);
    ASSERT_TRUE(readPolygonFile(dir.file("round.csv"), loaded, out2));
    const auto r = ring(loaded);
    ASSERT_EQ(r.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(r[i].first, pts[i][0], 0.5e-6) << i;
        EXPECT_NEAR(r[i].second, pts[i][1], 0.5e-6) << i;
    }
}

TEST_F(PolygonFileTest, RotatedRingSavesFromTheNewFirstVertex) {
    add(1, 10);
    add(2, 20);
    add(3, 30);
    polygon.rotateFirstVertex();
    ASSERT_TRUE(savePolygonFile(dir.file("rot.csv"), polygon, out));
    EXPECT_EQ(dir.read("rot.csv"),
              "Lon, Lat  \n2.000000, 20.000000 \n3.000000, 30.000000 \n1.000000, 10.000000 \n");
}

TEST_F(PolygonFileTest, EmptyPolygonWritesOnlyTheHeader) {
    ASSERT_TRUE(savePolygonFile(dir.file("e.csv"), polygon, out));
    EXPECT_EQ(dir.read("e.csv"), "Lon, Lat  \n");
}

TEST_F(PolygonFileTest, LoadEchoesEachLineAndSplicesAfterCurrent) {
    add(100, 1);
    add(101, 2);
    ASSERT_TRUE(polygon.pickVertex(100.0f, static_cast<float>(mapY(1)), 1.0f));
    dir.write("in.csv", "whatever header\n5.5,6.25\n7 , -8\n");
    out.str("");
    ASSERT_TRUE(readPolygonFile(dir.file("in.csv"), polygon, out));
    EXPECT_EQ(out.str(), "LOAD POLYGON " + dir.file("in.csv") +
                             "\n5.5 6.25\nLAT LON 5.5 6.25\n7   -8\nLAT LON 7 -8\n");
    const auto r = ring(polygon);
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].first, 100);
    EXPECT_EQ(r[1].first, 5.5);
    EXPECT_EQ(r[2].first, 7);
    EXPECT_EQ(r[2].second, -8);
    EXPECT_EQ(r[3].first, 101);
}

TEST_F(PolygonFileTest, BlankSeparatedAndCrlfFilesReadTheSame) {
    dir.write("comma.csv", "Lon, Lat  \n1.5, 2.5 \n-3.25, 4\n");
    dir.write("blank.csv", "Lon Lat\r\n1.5 2.5\r\n\t-3.25\t  4\r\n\r\n");
    std::ostringstream o1, o2;
    SurveyPolygon a(o1, 4.0f), b(o2, 4.0f);
    ASSERT_TRUE(readPolygonFile(dir.file("comma.csv"), a, o1));
    ASSERT_TRUE(readPolygonFile(dir.file("blank.csv"), b, o2));
    EXPECT_EQ(ring(a), ring(b));
    EXPECT_EQ(ring(a).size(), 2u);
    EXPECT_EQ(o2.str().find("Skipped"), std::string::npos);  // blank last line is silent
}

TEST_F(PolygonFileTest, HeaderOnlyAndEmptyFilesAddNothing) {
    dir.write("h.csv", "Lon, Lat  \n");
    dir.write("h2.csv", "1.0, 2.0");  // the first line is a header whatever it holds
    dir.write("z.csv", "");
    for (const char* name : {"h.csv", "h2.csv", "z.csv"}) {
        EXPECT_TRUE(readPolygonFile(dir.file(name), polygon, out)) << name;
        EXPECT_EQ(polygon.first(), nullptr) << name;
    }
}

TEST_F(PolygonFileTest, LinesThatAreNotAPositionAreSkippedByLineNumber) {
    dir.write("bad.csv",
              "Lon, Lat\n"
              "1, 2\n"
              "3, 4, 5\n"       // line 3: three values
              "abc, 6\n"        // line 4: a word
              "7\n"             // line 5: one value
              "8x, 9\n"         // line 6: trailing garbage
              "10, 95\n"        // line 7: no such latitude
              "nan, 1\n"        // line 8
              "\n"              // line 9: blank, silent
              "+11, -12.5e0\n"  // line 10: fine
    );
    ASSERT_TRUE(readPolygonFile(dir.file("bad.csv"), polygon, out));
    const auto r = ring(polygon);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], std::make_pair(1.0, 2.0));
    EXPECT_EQ(r[1], std::make_pair(11.0, -12.5));
    const std::string text = out.str();
    for (int line : {3, 4, 5, 6, 7, 8}) {
        const std::string msg = "Skipped line " + std::to_string(line) + " of " + dir.file("bad.csv") +
                                ": not a longitude and a latitude\n";
        EXPECT_NE(text.find(msg), std::string::npos) << line;
    }
    EXPECT_EQ(text.find("Skipped line 9 "), std::string::npos);
    EXPECT_EQ(text.find("Skipped line 2 "), std::string::npos);
    EXPECT_EQ(text.find("LAT LON 3"), std::string::npos);
}

TEST_F(PolygonFileTest, MissingFileIsReportedAndAddsNothing) {
    EXPECT_FALSE(readPolygonFile(dir.file("none.csv"), polygon, out));
    EXPECT_EQ(out.str(), "LOAD POLYGON " + dir.file("none.csv") + "\nCannot open polygon file " +
                             dir.file("none.csv") + "\n");
    EXPECT_EQ(polygon.first(), nullptr);
}

// The extension ".shp", in any case, selects the shapefile import; "shp"
// elsewhere in the path (a folder called fishponds) does not.
TEST_F(PolygonFileTest, OnlyTheShpExtensionSelectsTheShapefileImport) {
    const struct {
        const char* name;
        bool shapefile;
    } cases[] = {
        {"fishponds/area.csv", false}, {"Area_shp.csv", false}, {"shp.csv", false},  {"area.shp.csv", false},
        {"areashp", false},            {"area.shp", true},      {"area.SHP", true},  {"fishponds/area.Shp", true},
    };
    for (const auto& c : cases) {
        // Polygon-file text under every name: the import cannot read it as
        // a shapefile and adds nothing, the text reader adds its vertex.
        dir.write(c.name, "Lon, Lat\n1, 2\n");
        SurveyPolygon fresh{out, 4.0f};
        out.str("");
        EXPECT_EQ(loadPolygonFile(dir.file(c.name), fresh, out), !c.shapefile) << c.name;
        EXPECT_EQ(out.str().rfind("Shapefile!!\n", 0) == 0, c.shapefile) << c.name;
        EXPECT_EQ(out.str().find("LOAD POLYGON") != std::string::npos, !c.shapefile) << c.name;
        EXPECT_EQ(fresh.vertexCount(), c.shapefile ? 0 : 1) << c.name;
    }
}

TEST_F(PolygonFileTest, UncreatableFileIsReported) {
    add(1, 2);
    EXPECT_FALSE(savePolygonFile(dir.file("no/such/folder/p.csv"), polygon, out));
    EXPECT_EQ(out.str(), "Cannot write polygon file " + dir.file("no/such/folder/p.csv") + "\n");
}

TEST_F(PolygonFileTest, FailedSaveLeavesTheOldFileWhole) {
    add(1, 2);
    add(3, 4);
    ASSERT_TRUE(savePolygonFile(dir.file("keep.csv"), polygon, out));
    const std::string before = dir.read("keep.csv");

    // The target is there but the new file cannot be finished: the partial
    // file's place is taken by a folder.
    std::filesystem::create_directory(dir.file("keep.csv.tmp"));
    add(5, 6);
    EXPECT_FALSE(savePolygonFile(dir.file("keep.csv"), polygon, out));
    EXPECT_EQ(dir.read("keep.csv"), before);
    std::filesystem::remove(dir.file("keep.csv.tmp"));

    // A target that cannot be replaced (a folder) keeps no partial file beside it.
    std::filesystem::create_directory(dir.file("folder.csv"));
    std::filesystem::create_directory(dir.file("folder.csv/x"));
    EXPECT_FALSE(savePolygonFile(dir.file("folder.csv"), polygon, out));
    EXPECT_FALSE(std::filesystem::exists(dir.file("folder.csv.tmp")));

    // Saving again replaces the old file.
    ASSERT_TRUE(savePolygonFile(dir.file("keep.csv"), polygon, out));
    EXPECT_NE(dir.read("keep.csv"), before);
}

TEST_F(PolygonFileTest, FullDiskKeepsTheOldFile) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    // A symlink as the partial file sends the write to a device that always
    // reports no space, as a full disk would.
    add(1, 2);
    ASSERT_TRUE(savePolygonFile(dir.file("full.csv"), polygon, out));
    const std::string before = dir.read("full.csv");
    std::filesystem::create_symlink("/dev/full", dir.file("full.csv.tmp"));
    add(3, 4);
    out.str("");
    EXPECT_FALSE(savePolygonFile(dir.file("full.csv"), polygon, out));
    EXPECT_EQ(out.str(), "Cannot write polygon file " + dir.file("full.csv") + "\n");
    EXPECT_EQ(dir.read("full.csv"), before);
}

}  // namespace
}  // namespace tessarin
