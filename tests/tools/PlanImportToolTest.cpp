// tessarin-plan import, called as the dispatcher calls it: the sample area
// from a GeoPackage in UTM comes out as a polygon file the planner reads, a
// file with several polygons is listed until one is chosen, and wrong
// arguments or files write nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ImportCommand.hpp"
#include "support/TempDir.hpp"
#include "support/VectorFiles.hpp"

namespace tessarin {
namespace {

using test::LonLat;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

ToolRun runImportWith(std::vector<std::string> args) {
    args.insert(args.begin(), "import");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream out, err;
    const int status = runImport(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(PlanImportTool, WritesTheChosenPolygonAsAPolygonFile) {
    test::TempDir dir;
    const std::vector<LonLat> area3 = test::readPolygonCsv(std::string(TESSARIN_DATA_DIR) + "/Area_3.csv");
    const std::vector<LonLat> other = {{-120.0, 30.0}, {-119.5, 30.0}, {-119.5, 30.5}};
    dir.write("area3.geojson", test::collectionJson({test::featureJson("Area_3", test::polygonJson({area3}))}));
    dir.write("two.geojson", test::collectionJson({test::featureJson("Area_3", test::polygonJson({area3})),
                                                   test::featureJson("other", test::polygonJson({other}))}));
    ASSERT_TRUE(test::translateVectors(dir.file("area3.geojson"), dir.file("area3.gpkg"), {"-f", "GPKG", "-t_srs", "EPSG:32609"}));
    ASSERT_TRUE(test::translateVectors(dir.file("two.geojson"), dir.file("two.gpkg"), {"-f", "GPKG", "-t_srs", "EPSG:32611"}));

    struct Case {
        std::vector<std::string> args;
        int status;
        const std::vector<LonLat>* written;  // null: no file
        const char* errStart;
    };
    const std::vector<Case> cases = {
        {{dir.file("area3.gpkg"), "--out", dir.file("a.csv")}, 0, &area3, "Polygon Area_3 (area3): 4 vertices written"},
        {{dir.file("two.gpkg"), "--out", dir.file("b.csv"), "--feature", "2"}, 0, &other, "Polygon other (two)"},
        {{dir.file("two.gpkg"), "--out", dir.file("c.csv")}, 1, nullptr, "Choose one with --feature N"},
        {{dir.file("two.gpkg"), "--out", dir.file("d.csv"), "--feature", "3"}, 1, nullptr, "There is no polygon 3"},
        {{dir.file("missing.gpkg"), "--out", dir.file("e.csv")}, 1, nullptr, "Cannot read"},
        {{dir.file("two.gpkg"), "--out", dir.file("f.csv"), "--feature", "0"}, 2, nullptr, "tessarin-plan import: --feature takes"},
        {{dir.file("two.gpkg"), "--feature", "1"}, 2, nullptr, "tessarin-plan import: an area file and --out"},
        {{dir.file("two.gpkg"), "--out"}, 2, nullptr, "tessarin-plan import: --out needs"},
        {{dir.file("two.gpkg"), "--out", dir.file("g.csv"), "--layer", "x"}, 2, nullptr, "tessarin-plan import: unknown option"},
        {{dir.file("area3.gpkg"), "--out", dir.file("no/such/h.csv")}, 1, nullptr, "Cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[c.args.size() - 1]);
        const ToolRun r = runImportWith(c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(r.err.rfind(c.errStart, 0), 0u) << r.err;
        const std::string outPath = c.args.size() > 2 ? c.args[2] : "";
        if (!c.written) {
            EXPECT_FALSE(!outPath.empty() && std::filesystem::exists(outPath));
            continue;
        }
        const std::string text = dir.read(std::filesystem::path(outPath).filename().string());
        EXPECT_EQ(text.rfind("Lon, Lat  \n", 0), 0u);
        const std::vector<LonLat> got = test::readPolygonCsv(outPath);
        ASSERT_EQ(got.size(), c.written->size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].lon, (*c.written)[i].lon, 1e-6) << i;
            EXPECT_NEAR(got[i].lat, (*c.written)[i].lat, 1e-6) << i;
        }
    }
    // The listing names both polygons in file order.
    const ToolRun listed = runImportWith({dir.file("two.gpkg"), "--out", dir.file("c.csv")});
    EXPECT_NE(listed.out.find("2 polygons in"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  1  Area_3 (two), 4 vertices\n  2  other (two), 3 vertices\n"), std::string::npos)
        << listed.out;
}

}  // namespace
}  // namespace tessarin
