// "Import area..." through the menu: one polygon comes in at once, several
// wait for the choice in the list window, and a cancelled dialog or a bad
// file leaves the polygon alone.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "earth/TextureSink.hpp"
#include "support/TempDir.hpp"
#include "support/VectorFiles.hpp"
#include "ui/AreaImportWindow.hpp"
#include "ui/MainMenu.hpp"

namespace tessarin {
namespace {

class OpenChooser : public FileChooser {
public:
    std::string answer;
    std::vector<std::string> asked;
    std::string openFile(const FileFilter& f) override {
        asked.push_back("open " + f.pattern);
        return answer;
    }
    std::string saveFile(const FileFilter&) override { return ""; }
};

struct NoShell : MenuShell {
    int busy = 0;
    void setPointer(PointerShape) override {}
    void showBusyScreen() override { ++busy; }
};

std::vector<double> longitudes(const SurveyPolygon& p) {
    std::vector<double> lons;
    const PolygonVertex* v = p.first();
    if (!v) return lons;
    do {
        lons.push_back(v->x);
        v = v->next;
    } while (v != p.first());
    return lons;
}

TEST(AreaImportMenu, OneAtOnceSeveralByChoice) {
    test::TempDir dir;
    using test::LonLat;
    const std::vector<LonLat> a = {{-120.0, 33.0}, {-119.0, 33.0}, {-119.0, 34.0}};
    const std::vector<LonLat> b = {{-118.0, 30.0}, {-117.5, 30.0}, {-117.5, 30.5}, {-118.0, 30.5}};
    dir.write("one.geojson", test::collectionJson({test::featureJson("a", test::polygonJson({a}))}));
    dir.write("two.geojson", test::collectionJson({test::featureJson("a", test::polygonJson({a})),
                                                   test::featureJson("b", test::polygonJson({b}))}));
    dir.write("text.geojson", "just text");

    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner(out, sink, dir.path());
    AppState app;
    Stopwatch stopwatch;
    OpenChooser chooser;
    NoShell shell;
    MenuContext context{app, planner, stopwatch, chooser, shell};
    planner.polygon->addVertex(1.0, mapY(1.0), 1.0);

    struct Step {
        const char* what;
        std::string answer;        // the dialog's answer; "" cancels
        MenuCommand command;
        int choose;                // polygon picked in the list before the command, 0 none
        std::vector<double> lons;  // the polygon afterwards
        bool listOpen;
    };
    const std::vector<Step> steps = {
        {"cancelled", "", MenuCommand::ImportArea, 0, {1.0}, false},
        {"not a GIS file", dir.file("text.geojson"), MenuCommand::ImportArea, 0, {1.0}, false},
        {"one polygon", dir.file("one.geojson"), MenuCommand::ImportArea, 0, {-120.0, -119.0, -119.0}, false},
        {"two polygons: the list opens", dir.file("two.geojson"), MenuCommand::ImportArea, 0, {-120.0, -119.0, -119.0}, true},
        {"second chosen", "", MenuCommand::ImportAreaChosen, 2, {-118.0, -117.5, -117.5, -118.0}, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        chooser.answer = s.answer;
        if (s.choose) {
            ASSERT_TRUE(pendingAreaChoice().open);
            pendingAreaChoice().chosen = s.choose;
            pendingAreaChoice().open = false;
        }
        runMenuCommand(s.command, context);
        EXPECT_EQ(longitudes(*planner.polygon), s.lons);
        EXPECT_EQ(pendingAreaChoice().open, s.listOpen);
        if (s.listOpen) {
            ASSERT_EQ(pendingAreaChoice().choices.size(), 2u);
            EXPECT_EQ(pendingAreaChoice().choices[1].label, "b (two)");
        }
    }
    EXPECT_EQ(chooser.asked.size(), 4u);
    EXPECT_EQ(chooser.asked[0], "open " + areaFilter().pattern);
    // The view moved to the last import.
    EXPECT_NEAR(app.viewCentreLon, -117.75, 1e-4);
    EXPECT_NEAR(app.viewCentreY, mapY(30.25), 1e-3);
    EXPECT_EQ(shell.busy, 2);
}

}  // namespace
}  // namespace tessarin
