#pragma once
// "Import area...": a polygon from a GIS vector file replaces the survey
// polygon. A file with one polygon is imported at once; a file with several
// opens a small window listing them (name or attributes, vertices, parts,
// holes) in which the user picks one or cancels. Messages go to the report
// stream; the polygon stays as it was unless a polygon was imported.

#include <ostream>
#include <string>
#include <vector>

#include "area/AreaImport.hpp"
#include "ui/FileChooser.hpp"

namespace tessarin {

class PlannerState;

// The file whose polygons are listed, while the list window is open.
struct PendingAreaChoice {
    bool open = false;
    std::string path;
    std::vector<AreaChoice> choices;
    int selected = 0;  // index into choices
    int chosen = 0;    // polygon number picked, 0 none yet
};

PendingAreaChoice& pendingAreaChoice();

// "GIS vector files": every file is listed (OGR decides what it reads).
const FileFilter& areaFilter();

// Asks for a file. Imports its polygon at once when it has one; opens the
// list window when it has several. True when the polygon was replaced.
bool importAreaFromMenu(PlannerState& planner, FileChooser& chooser, std::ostream& report);

// Imports the polygon chosen in the list window and closes it; false when
// nothing was chosen or the import failed.
bool importChosenArea(PlannerState& planner, std::ostream& report);

// Draws the list window while it is open; true in the frame in which the
// user chose a polygon (the import then runs outside the GUI frame).
bool drawAreaChoiceWindow();

}  // namespace tessarin
