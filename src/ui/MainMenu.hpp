#pragma once
// The menu bar across the top of the window: "File", "Plan", "AutoTransit"
// and the "Stats" entry. Drawing only reports which item was clicked; the
// item's effect runs in runMenuCommand, after the frame's GUI has been drawn,
// so a modal file chooser can run its own GUI frames.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "app/InputHandler.hpp"
#include "ui/FileChooser.hpp"

namespace tessarin {

struct AppState;
class PlannerState;
class Stopwatch;

enum class MenuCommand {
    None,
    LoadPlan,
    SavePlanAs,
    LoadPolygon,
    SavePolygon,
    LoadShapefile,
    AddWaypoints,
    EditWaypoints,
    DrawPolygon,
    FillPolygon,
    CheckDepths,
    DeleteTrack,
    DeletePlan,
    DeletePolygon,
    SetStartPoint,
    SetEndPoint,
    ShowGreatCircle,
    GenTransit,
    LegTransitAbut,
    LegTransitUnmap,
    Stats,
    ExportRtz,
    ExportGpx,
    ExportGeoJson,
    Undo,
    Redo,
    RecoverUnsavedWork,
    ExportKml,
    ExportLinesCsv,
    ExportLnw,
    ExportAsciiPlan,
    ImportArea,
    ImportAreaChosen,
    ShowProfile,
    ShowLines,
    ShowSurveyDesign,
};

struct MenuItem {
    const char* label;
    MenuCommand command;
};

struct Menu {
    const char* label;
    const MenuItem* items;
    std::size_t count;
};

// The three menus with items, in bar order.
const Menu* mainMenus(std::size_t& count);

// The "Export" submenu, drawn after the items of "File".
const Menu& exportMenu();

// The "Edit" menu, to the right of "Stats": undo, redo and, when the last
// session left unsaved work, its recovery.
const Menu& editMenu();

// The "Design" menu, drawn to the right of "Edit"; tools that look at or
// lay out the plan add their items here.
const Menu& designMenu();

// The dialogs' filters.
const FileFilter& csvFilter();
const FileFilter& shapefileFilter();

// What the menu's effects need from the window system.
class MenuShell {
public:
    virtual ~MenuShell() = default;
    virtual void setPointer(PointerShape shape) = 0;
    // The busy frame with the globe, shown after a file has loaded.
    virtual void showBusyScreen() = 0;
    // Whether the last session left work that can be recovered, and
    // recovering it (false when there is none).
    virtual bool recoveryOffered() { return false; }
    virtual bool recoverUnsavedWork() { return false; }
};

struct MenuContext {
    AppState& app;
    PlannerState& planner;
    Stopwatch& stopwatch;
    FileChooser& chooser;
    MenuShell& shell;
};

void runMenuCommand(MenuCommand command, MenuContext& context);

// Builds the menu window; returns the item clicked in this frame. While the
// "Plan" menu is open the statistics window is hidden. The "Edit" menu
// greys out what cannot be done.
struct EditMenuState {
    bool canUndo = false;
    bool canRedo = false;
    bool recoveryOffered = false;
};
MenuCommand drawMainMenu(AppState& app, const EditMenuState& edit = EditMenuState());

// The files a save under the chosen path P writes: P.csv, LL_P.csv, P.cvt
// and P_Report.txt for a plan, P.csv for a polygon.
std::vector<std::string> planSaveTargets(const std::string& path);
std::vector<std::string> polygonSaveTargets(const std::string& path);

}  // namespace tessarin
