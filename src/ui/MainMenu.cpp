#include "ui/MainMenu.hpp"

#include <imgui.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <ostream>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "plan/PlanFiles.hpp"
#include "plan/SurveyPlan.hpp"
#include "ui/AreaImportWindow.hpp"
#include "ui/ExportMenu.hpp"

namespace tessarin {

namespace {

const MenuItem kFileItems[] = {
    {"Load plan", MenuCommand::LoadPlan},
    {"Save plan as...", MenuCommand::SavePlanAs},
    {"Load polygon", MenuCommand::LoadPolygon},
    {"Save polygon", MenuCommand::SavePolygon},
    {"Load shapefile", MenuCommand::LoadShapefile},
    {"Import area...", MenuCommand::ImportArea},
};

const MenuItem kExportItems[] = {
    {"Route as RTZ...", MenuCommand::ExportRtz},
    {"Route as GPX...", MenuCommand::ExportGpx},
    {"Layers as GeoJSON...", MenuCommand::ExportGeoJson},
    {"Lines as KML...", MenuCommand::ExportKml},
    {"Lines as CSV...", MenuCommand::ExportLinesCsv},
    {"Lines as LNW (UTM)...", MenuCommand::ExportLnw},
    {"Lines as ASCII plan...", MenuCommand::ExportAsciiPlan},
};

const Menu kExportMenu = {"Export", kExportItems, sizeof kExportItems / sizeof kExportItems[0]};

const MenuItem kPlanItems[] = {
    {"Add Waypts", MenuCommand::AddWaypoints},     {"Edit Waypts", MenuCommand::EditWaypoints},
    {"Draw Polygon", MenuCommand::DrawPolygon},    {"Fill Polygon", MenuCommand::FillPolygon},
    {"Check Depths", MenuCommand::CheckDepths},    {"Delete Track", MenuCommand::DeleteTrack},
    {"Delete Plan", MenuCommand::DeletePlan},      {"Delete Polygon", MenuCommand::DeletePolygon},
};

const MenuItem kTransitItems[] = {
    {"Set Start Pt", MenuCommand::SetStartPoint},       {"Set End Pt", MenuCommand::SetEndPoint},
    {"Show Great Circle", MenuCommand::ShowGreatCircle}, {"Gen Transit", MenuCommand::GenTransit},
    {"Leg Transit Abut", MenuCommand::LegTransitAbut},  {"Leg Transit Unmap", MenuCommand::LegTransitUnmap},
};

const MenuItem kEditItems[] = {
    {"Undo", MenuCommand::Undo},
    {"Redo", MenuCommand::Redo},
    {"Recover unsaved work", MenuCommand::RecoverUnsavedWork},
};

const Menu kEditMenu = {"Edit", kEditItems, sizeof kEditItems / sizeof kEditItems[0]};

const MenuItem kDesignItems[] = {
    {"Profile", MenuCommand::ShowProfile},
    {"Lines", MenuCommand::ShowLines},
    {"Survey design", MenuCommand::ShowSurveyDesign},
};

const Menu kDesignMenu = {"Design", kDesignItems, sizeof kDesignItems / sizeof kDesignItems[0]};

const Menu kMenus[] = {
    {"File", kFileItems, sizeof kFileItems / sizeof kFileItems[0]},
    {"Plan", kPlanItems, sizeof kPlanItems / sizeof kPlanItems[0]},
    {"AutoTransit", kTransitItems, sizeof kTransitItems / sizeof kTransitItems[0]},
};

// Index of the "File" menu in kMenus: the "Export" submenu follows its items.
constexpr std::size_t kFileMenu = 0;
// Index of the "Plan" menu in kMenus: opening it hides the statistics window.
constexpr std::size_t kPlanMenu = 1;

// A plan-menu mode switch: edit mode, pointer and whether the point editor
// may show.
void switchMode(MenuContext& c, EditMode mode, PointerShape pointer, bool editorVisible) {
    c.app.editMode = mode;
    c.shell.setPointer(pointer);
    c.app.editorVisible = editorVisible;
}

// Of the files a save would write, those that exist: the user is asked
// before any of them is replaced.
bool mayReplace(MenuContext& c, const std::vector<std::string>& targets) {
    std::vector<std::string> existing;
    std::error_code ec;
    for (const std::string& t : targets) {
        if (std::filesystem::exists(t, ec)) existing.push_back(t);
    }
    if (existing.empty() || c.chooser.confirmReplace(existing)) return true;
    std::cerr << "Not saved: " << existing.front() << " was kept\n";
    return false;
}

void loadPlan(MenuContext& c) {
    c.chooser.setTitle("Load plan");
    const std::string path = c.chooser.openFile(csvFilter());
    if (path.empty()) return;
    float meanLat = 0.0f, meanLon = 0.0f;
    // A file that adds no waypoint has no centre: the view stays where it
    // was rather than jumping to 0 / 0.
    if (c.planner.loadPlanFile(path, meanLat, meanLon)) {
        c.app.viewCentreLon = meanLon;
        // The view centre's y is a map-plane y, not a latitude: converted,
        // the loaded plan sits in the middle of the window at any latitude.
        c.app.viewCentreY = static_cast<float>(PlannerState::mapY(meanLat));
    }
    c.shell.showBusyScreen();
    c.app.viewMode = Map;
}

void savePlanAs(MenuContext& c) {
    c.chooser.setTitle("Save plan as");
    const std::string path = c.chooser.saveFile(csvFilter());
    if (path.empty() || !mayReplace(c, planSaveTargets(path))) return;
    // The report first, with statistics computed for it, whatever becomes
    // of the plan files.
    c.planner.writeReport(path + "_Report.txt");
    c.planner.savePlanFiles(path);
}

void loadPolygon(MenuContext& c, const FileFilter& filter, const char* title) {
    c.chooser.setTitle(title);
    const std::string path = c.chooser.openFile(filter);
    if (path.empty()) return;
    c.planner.loadPolygonFile(path);
    c.shell.showBusyScreen();
    c.app.viewMode = Map;
}

void savePolygon(MenuContext& c) {
    c.chooser.setTitle("Save polygon");
    const std::string path = c.chooser.saveFile(csvFilter());
    if (path.empty() || !mayReplace(c, polygonSaveTargets(path))) return;
    c.planner.savePolygonFile(path + ".csv");
}

ExportFormat lineExportFormat(MenuCommand command) {
    switch (command) {
        case MenuCommand::ExportKml: return ExportFormat::Kml;
        case MenuCommand::ExportLinesCsv: return ExportFormat::LinesCsv;
        case MenuCommand::ExportLnw: return ExportFormat::Lnw;
        default: return ExportFormat::AsciiPlan;
    }
}

// The view moves to an imported polygon: it may come from anywhere.
void showImportedArea(MenuContext& c) {
    double west = 0.0, east = 0.0, south = 0.0, north = 0.0;
    if (c.planner.polygon->polygonBounds(west, east, south, north)) {
        c.app.viewCentreLon = static_cast<float>(0.5 * (west + east));
        c.app.viewCentreY = static_cast<float>(PlannerState::mapY(0.5 * (south + north)));
    }
    c.shell.showBusyScreen();
    c.app.viewMode = Map;
}

void planTransit(MenuContext& c, bool legMode, bool abut) {
    c.planner.computeGreatCircle();
    c.planner.loadTilesOnArc();
    c.planner.planTransit(legMode, abut);
    c.app.editMode = PickWaypoint;
}

}  // namespace

const Menu* mainMenus(std::size_t& count) {
    count = sizeof kMenus / sizeof kMenus[0];
    return kMenus;
}

const Menu& exportMenu() { return kExportMenu; }

const Menu& editMenu() { return kEditMenu; }

std::vector<std::string> planSaveTargets(const std::string& path) {
    return {path + ".csv", latLonFileName(path + ".csv"), path + ".cvt", path + "_Report.txt"};
}

std::vector<std::string> polygonSaveTargets(const std::string& path) { return {path + ".csv"}; }

const Menu& designMenu() { return kDesignMenu; }

const FileFilter& csvFilter() {
    static const FileFilter filter{"Comma-separated values files (*.csv)", "*.csv"};
    return filter;
}

const FileFilter& shapefileFilter() {
    static const FileFilter filter{"Comma-separated values files (*.shp)", "*.shp"};
    return filter;
}

void runMenuCommand(MenuCommand command, MenuContext& c) {
    std::ostream& out = c.planner.out();
    switch (command) {
        case MenuCommand::None: break;
        case MenuCommand::LoadPlan: loadPlan(c); break;
        case MenuCommand::SavePlanAs: savePlanAs(c); break;
        case MenuCommand::LoadPolygon: loadPolygon(c, csvFilter(), "Load polygon"); break;
        case MenuCommand::SavePolygon: savePolygon(c); break;
        case MenuCommand::LoadShapefile: loadPolygon(c, shapefileFilter(), "Load shapefile"); break;
        case MenuCommand::AddWaypoints: switchMode(c, AddWaypoint, PointerShape::Crosshair, false); break;
        case MenuCommand::EditWaypoints: switchMode(c, PickWaypoint, PointerShape::Cycle, true); break;
        case MenuCommand::DrawPolygon: switchMode(c, AddPolygonPoint, PointerShape::Crosshair, false); break;
        case MenuCommand::FillPolygon: switchMode(c, PickPolygonPoint, PointerShape::Cycle, true); break;
        case MenuCommand::CheckDepths:
            switchMode(c, Idle, PointerShape::LeftArrow, false);
            c.planner.editHold = PlannerState::kHoldNone;
            break;
        case MenuCommand::DeleteTrack:
            switchMode(c, Idle, PointerShape::LeftArrow, false);
            out << "Delete Plan\n";
            c.planner.deleteTrack();
            c.planner.editHold = PlannerState::kHoldNone;
            break;
        case MenuCommand::DeletePlan:
            switchMode(c, Idle, PointerShape::LeftArrow, false);
            out << "Delete Plan\n";
            c.planner.deletePlan();
            c.planner.editHold = PlannerState::kHoldNone;
            break;
        case MenuCommand::DeletePolygon:
            switchMode(c, Idle, PointerShape::LeftArrow, false);
            out << "Delete Polygon\n";
            c.planner.deletePolygon();
            c.planner.editHold = PlannerState::kHoldNone;
            break;
        case MenuCommand::SetStartPoint:
            c.app.editMode = SetStartPoint;
            c.shell.setPointer(PointerShape::Crosshair);
            break;
        case MenuCommand::SetEndPoint:
            c.app.editMode = SetEndPoint;
            break;
        case MenuCommand::ShowGreatCircle: c.planner.computeGreatCircle(); break;
        case MenuCommand::GenTransit:
            c.stopwatch.elapsed();  // marks now: the lap below times the three steps
            planTransit(c, false, true);
            out << "TIME " << c.stopwatch.lap() << "\n";
            break;
        case MenuCommand::LegTransitAbut: planTransit(c, true, true); break;
        case MenuCommand::LegTransitUnmap: planTransit(c, true, false); break;
        // Exports report on standard error: standard output carries only
        // the console lines of the planner.
        case MenuCommand::ExportRtz:
            exportFromMenu(ExportFormat::Rtz, c.planner, c.chooser, c.app.exportDeparture, std::time(nullptr), std::cerr);
            break;
        case MenuCommand::ExportGpx:
            exportFromMenu(ExportFormat::Gpx, c.planner, c.chooser, "", std::time(nullptr), std::cerr);
            break;
        case MenuCommand::ExportGeoJson:
            exportFromMenu(ExportFormat::GeoJson, c.planner, c.chooser, "", std::time(nullptr), std::cerr);
            break;
        case MenuCommand::Undo: c.planner.undo(); break;
        case MenuCommand::Redo: c.planner.redo(); break;
        case MenuCommand::RecoverUnsavedWork:
            if (c.shell.recoverUnsavedWork()) c.app.viewMode = Map;
            break;
        case MenuCommand::ExportKml:
        case MenuCommand::ExportLinesCsv:
        case MenuCommand::ExportLnw:
        case MenuCommand::ExportAsciiPlan:
            exportFromMenu(lineExportFormat(command), c.planner, c.chooser, "", std::time(nullptr), std::cerr);
            break;
        // The import reports on standard error too.
        case MenuCommand::ImportArea:
            if (importAreaFromMenu(c.planner, c.chooser, std::cerr)) showImportedArea(c);
            break;
        case MenuCommand::ImportAreaChosen:
            if (importChosenArea(c.planner, std::cerr)) showImportedArea(c);
            break;
        case MenuCommand::ShowProfile: c.app.showProfile = true; break;
        case MenuCommand::ShowLines: c.app.showLines = true; break;
        case MenuCommand::ShowSurveyDesign: c.app.showSurveyDesign = true; break;
        case MenuCommand::Stats:
            c.app.showStats = true;
            c.app.statsDirty = true;
            out << "STATS\n";
            break;
    }
}

MenuCommand drawMainMenu(AppState& app, const EditMenuState& edit) {
    const ImGuiIO& io = ImGui::GetIO();
    ImGui::SetNextWindowPos(ImVec2(0.0f, 0.0f), ImGuiCond_Always, ImVec2(0.0f, 0.0f));
    ImGui::SetNextWindowSize(ImVec2(io.DisplaySize.x, 0.0f), ImGuiCond_Always);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize |
                                   ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoScrollbar |
                                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoBackground |
                                   ImGuiWindowFlags_MenuBar;
    MenuCommand clicked = MenuCommand::None;
    ImGui::Begin("##MainMenuWindow", nullptr, flags);
    if (ImGui::BeginMenuBar()) {
        ImGui::SetWindowFontScale(1.3f);
        std::size_t count = 0;
        const Menu* menus = mainMenus(count);
        for (std::size_t m = 0; m < count; ++m) {
            if (!ImGui::BeginMenu(menus[m].label)) continue;
            if (m == kPlanMenu) app.showStats = false;
            for (std::size_t i = 0; i < menus[m].count; ++i) {
                if (ImGui::MenuItem(menus[m].items[i].label)) clicked = menus[m].items[i].command;
            }
            if (m == kFileMenu && ImGui::BeginMenu(kExportMenu.label)) {
                for (std::size_t i = 0; i < kExportMenu.count; ++i) {
                    if (ImGui::MenuItem(kExportMenu.items[i].label)) clicked = kExportMenu.items[i].command;
                }
                ImGui::Separator();
                ImGui::SetNextItemWidth(ImGui::GetFontSize() * 12.0f);
                ImGui::InputTextWithHint("Departure (UTC)", "now, or 2026-12-08T18:00:00Z", app.exportDeparture,
                                         sizeof app.exportDeparture);
                ImGui::EndMenu();
            }
            ImGui::EndMenu();
        }
        // An item, not a menu: it acts on a click, never when the pointer
        // merely passes over it on the way along an open menu bar.
        // While the entry is absent its place stays empty, so the menus to
        // its right do not move under the pointer.
        static float statsWidth = 0.0f;
        const float statsX = ImGui::GetCursorPosX();
        if (!app.showStats) {
            if (ImGui::MenuItem("Stats")) clicked = MenuCommand::Stats;
            statsWidth = ImGui::GetCursorPosX() - statsX;
        } else {
            if (statsWidth <= 0.0f) {
                statsWidth = ImGui::CalcTextSize("Stats").x + ImGui::GetStyle().ItemSpacing.x * 2.0f;
            }
            ImGui::SetCursorPosX(statsX + statsWidth);
        }
        if (ImGui::BeginMenu(kEditMenu.label)) {
            const bool enabled[] = {edit.canUndo, edit.canRedo, edit.recoveryOffered};
            const char* shortcuts[] = {"Ctrl+Z", "Ctrl+Y", nullptr};
            for (std::size_t i = 0; i < kEditMenu.count; ++i) {
                if (i == 2 && !edit.recoveryOffered) continue;
                if (ImGui::MenuItem(kEditMenu.items[i].label, shortcuts[i], false, enabled[i])) {
                    clicked = kEditMenu.items[i].command;
                }
            }
            ImGui::EndMenu();
        }
        if (ImGui::BeginMenu(kDesignMenu.label)) {
            for (std::size_t i = 0; i < kDesignMenu.count; ++i) {
                if (ImGui::MenuItem(kDesignMenu.items[i].label)) clicked = kDesignMenu.items[i].command;
            }
            ImGui::EndMenu();
        }
        ImGui::SetWindowFontScale(1.3f);
        ImGui::EndMenuBar();
    }
    ImGui::End();
    if (drawAreaChoiceWindow()) clicked = MenuCommand::ImportAreaChosen;
    return clicked;
}

}  // namespace tessarin
