// The "Export" submenu's effects, run without a window with a scripted file
// chooser.

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <deque>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "area/SurveyPolygon.hpp"
#include "earth/MapProjection.hpp"
#include "export/IsoTime.hpp"
#include "plan/SurveyPlan.hpp"
#include "support/TempDir.hpp"
#include "ui/ExportMenu.hpp"
#include "ui/MainMenu.hpp"

namespace tessarin {
namespace {

class OneAnswerChooser : public FileChooser {
public:
    std::string answer;
    std::vector<std::string> asked;
    std::string openFile(const FileFilter& f) override {
        asked.push_back("open " + f.pattern);
        return "";
    }
    std::string saveFile(const FileFilter& f) override {
        asked.push_back("save " + f.pattern);
        return answer;
    }
    bool replace = false;
    bool confirmReplace(const std::vector<std::string>& files) override {
        for (const std::string& f : files) asked.push_back("replace " + f);
        return replace;
    }
};

struct ExportWorld {
    test::TempDir dir;
    std::ostringstream out;
    NullTextureSink sink;
    PlannerState planner{out, sink, dir.path()};
    OneAnswerChooser chooser;
    std::ostringstream report;

    ExportWorld() {
        const double pts[][2] = {{10.0, 5.0}, {10.0, 5.5}, {10.5, 5.5}};  // lon, lat
        for (const auto& p : pts) planner.plan->addWaypoint(p[0], mapY(p[1]), p[1], 8.0f, 4.0f);
        planner.plan->generateSwaths(false);
        for (const auto& p : pts) planner.polygon->addVertex(p[0], mapY(p[1]), p[1]);
        out.str("");
    }
};

}  // namespace

TEST(ExportMenu, ExtensionAddedWhenMissing) {
    struct Case {
        const char* chosen;
        ExportFormat format;
        const char* written;
    };
    const std::vector<Case> cases = {
        {"/s/route", ExportFormat::Rtz, "/s/route.rtz"},     {"/s/route.rtz", ExportFormat::Rtz, "/s/route.rtz"},
        {"/s/ROUTE.RTZ", ExportFormat::Rtz, "/s/ROUTE.RTZ"}, {"/s/route.gpx", ExportFormat::Rtz, "/s/route.gpx.rtz"},
        {"/s/route", ExportFormat::Gpx, "/s/route.gpx"},     {"/s/a.json", ExportFormat::GeoJson, "/s/a.json.geojson"},
        {"/s/a.geojson", ExportFormat::GeoJson, "/s/a.geojson"}, {".rtz", ExportFormat::Rtz, ".rtz.rtz"},
    };
    for (const Case& c : cases) EXPECT_EQ(withExportExtension(c.chosen, c.format), c.written) << c.chosen;
}

TEST(ExportMenu, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replace" : "keep");
        ExportWorld w;
        w.dir.write("lines.csv", "the user's own file\n");
        w.chooser.answer = w.dir.file("lines");
        w.chooser.replace = replace;
        const ExportResult r = exportFromMenu(ExportFormat::LinesCsv, w.planner, w.chooser, "", 0, w.report);
        EXPECT_EQ(r.ok, replace) << r.message;
        EXPECT_EQ(w.chooser.asked, (std::vector<std::string>{"save *.csv", "replace " + w.dir.file("lines.csv")}));
        EXPECT_EQ(w.dir.read("lines.csv") == "the user's own file\n", !replace);
    }
}

TEST(ExportMenu, EachFormatThroughTheChooser) {
    struct Case {
        ExportFormat format;
        const char* answer;       // inside the temporary folder
        const char* written;
        const char* pattern;
        const char* departure;
    };
    const std::vector<Case> cases = {
        {ExportFormat::Rtz, "route", "route.rtz", "*.rtz", "2026-12-08T06:00:00Z"},
        {ExportFormat::Rtz, "now.rtz", "now.rtz", "*.rtz", ""},
        {ExportFormat::Gpx, "route.GPX", "route.GPX", "*.gpx", ""},
        {ExportFormat::GeoJson, "layers", "layers.geojson", "*.geojson", ""},
        {ExportFormat::Kml, "lines", "lines.kml", "*.kml", ""},
        {ExportFormat::LinesCsv, "lines", "lines.csv", "*.csv", ""},
        {ExportFormat::Lnw, "lines.LNW", "lines.LNW", "*.lnw", ""},
        {ExportFormat::AsciiPlan, "lines", "lines.asciiplan", "*.asciiplan", ""},
    };
    const std::map<ExportFormat, std::string> firstLines = {
        {ExportFormat::LinesCsv, "name,start_lat,start_lon,end_lat,end_lon\n"},
        {ExportFormat::Lnw, "LNS 2\r\n"},
        {ExportFormat::AsciiPlan, "DEG\r\n"},
    };
    const std::time_t now = 1796754005;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.written);
        ExportWorld w;
        w.chooser.answer = w.dir.file(c.answer);
        const ExportResult r = exportFromMenu(c.format, w.planner, w.chooser, c.departure, now, w.report);
        ASSERT_TRUE(r.ok) << r.message;
        EXPECT_EQ(w.chooser.asked, std::vector<std::string>{std::string("save ") + c.pattern});
        const std::string path = w.dir.file(c.written);
        ASSERT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(w.report.str(), r.message + "\n");
        EXPECT_EQ(w.out.str(), "");  // the console carries only its own lines
        if (c.format == ExportFormat::GeoJson) {
            const nlohmann::json doc = nlohmann::json::parse(w.dir.read(c.written));
            std::vector<std::string> kinds;
            for (const auto& f : doc.at("features")) kinds.push_back(f.at("properties").at("kind"));
            EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "leg"), 2);
            EXPECT_EQ(std::count(kinds.begin(), kinds.end(), "survey polygon"), 1);
            continue;
        }
        if (firstLines.count(c.format)) {
            EXPECT_EQ(w.dir.read(c.written).rfind(firstLines.at(c.format), 0), 0u);
            continue;
        }
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.LoadFile(path.c_str()), tinyxml2::XML_SUCCESS);
        if (c.format == ExportFormat::Kml) {
            EXPECT_STREQ(doc.RootElement()->Name(), "kml");
            continue;
        }
        if (c.format == ExportFormat::Gpx) {
            EXPECT_STREQ(doc.RootElement()->Name(), "gpx");
            continue;
        }
        const tinyxml2::XMLElement* first = doc.RootElement()
                                                ->FirstChildElement("schedules")
                                                ->FirstChildElement("schedule")
                                                ->FirstChildElement("calculated")
                                                ->FirstChildElement("sheduleElement");
        std::time_t expected = now;
        if (*c.departure) {
            ASSERT_TRUE(parseIsoUtc(c.departure, expected));
        }
        EXPECT_EQ(first->Attribute("eta"), formatIsoUtc(expected));
    }
}

// Nothing is written, and the dialog is not opened for a departure that
// cannot be read.
TEST(ExportMenu, CancelAndRefusals) {
    {
        ExportWorld w;
        w.chooser.answer = "";
        const ExportResult r = exportFromMenu(ExportFormat::Rtz, w.planner, w.chooser, "", 0, w.report);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, "");
        EXPECT_EQ(w.report.str(), "");
    }
    {
        ExportWorld w;
        w.chooser.answer = w.dir.file("r");
        const ExportResult r = exportFromMenu(ExportFormat::Rtz, w.planner, w.chooser, "8 December", 0, w.report);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(w.chooser.asked.empty());
        EXPECT_EQ(w.report.str().rfind("Departure is not", 0), 0u);
        EXPECT_FALSE(std::filesystem::exists(w.dir.file("r.rtz")));
    }
    {
        ExportWorld w;
        w.planner.plan->clearPlan();
        w.chooser.answer = w.dir.file("r");
        const ExportResult r = exportFromMenu(ExportFormat::Gpx, w.planner, w.chooser, "", 0, w.report);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(w.report.str(), r.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(w.dir.file("r.gpx")));
    }
}

// The submenu lists the three exports, and each command reaches the chooser
// with its own filter and writes its file.
TEST(ExportMenu, MenuCommands) {
    struct Case {
        const char* label;
        MenuCommand command;
        const char* pattern;
        const char* written;
    };
    const std::vector<Case> cases = {
        {"Route as RTZ...", MenuCommand::ExportRtz, "*.rtz", "plan.rtz"},
        {"Route as GPX...", MenuCommand::ExportGpx, "*.gpx", "plan.gpx"},
        {"Layers as GeoJSON...", MenuCommand::ExportGeoJson, "*.geojson", "plan.geojson"},
        {"Lines as KML...", MenuCommand::ExportKml, "*.kml", "plan.kml"},
        {"Lines as CSV...", MenuCommand::ExportLinesCsv, "*.csv", "plan.csv"},
        {"Lines as LNW (UTM)...", MenuCommand::ExportLnw, "*.lnw", "plan.lnw"},
        {"Lines as ASCII plan...", MenuCommand::ExportAsciiPlan, "*.asciiplan", "plan.asciiplan"},
    };
    const Menu& menu = exportMenu();
    EXPECT_STREQ(menu.label, "Export");
    ASSERT_EQ(menu.count, cases.size());
    struct NoShell : MenuShell {
        void setPointer(PointerShape) override {}
        void showBusyScreen() override {}
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].label);
        EXPECT_STREQ(menu.items[i].label, cases[i].label);
        EXPECT_EQ(menu.items[i].command, cases[i].command);
        ExportWorld w;
        AppState app;
        Stopwatch stopwatch;
        NoShell shell;
        MenuContext context{app, w.planner, stopwatch, w.chooser, shell};
        w.chooser.answer = w.dir.file("plan");
        runMenuCommand(cases[i].command, context);
        EXPECT_EQ(w.chooser.asked, std::vector<std::string>{std::string("save ") + cases[i].pattern});
        EXPECT_TRUE(std::filesystem::exists(w.dir.file(cases[i].written)));
        EXPECT_EQ(w.out.str(), "");
    }
}

}  // namespace tessarin
