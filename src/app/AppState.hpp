#pragma once
// Application-wide values of the shell: window, view, pointer modes, cursor.
// One instance, plain data, read and written on the GLUT thread only.
// Map-plane x is longitude in degrees; map-plane y is mapY(latitude).
// The view the drawing reads (centre, zoom, window, coverage view) is the
// ViewRecord part; the rest is the shell's own.

#include "render/ViewRecord.hpp"

namespace tessarin {

// What a left click on the map does. Values 1..7 are also the action codes of
// PlannerState::editAction.
enum EditMode : int {
    AddWaypoint = 1,
    PickWaypoint = 2,
    MoveWaypoint = 3,
    DeleteWaypoint = 4,      // an action code only, never held as the mode
    AddPolygonPoint = 5,
    PickPolygonPoint = 6,
    MovePolygonPoint = 7,
    Idle = 9,
    SetStartPoint = 11,
    SetEndPoint = 12,
};

// Whether left presses on the map pick or pan.
enum ViewMode : int {
    Suspended = 2,  // presses on the map are ignored until a menu action or key f
    Map = 3,        // presses pick or start a pan
    Pan = 6,        // the map follows the pointer while the button is held
};

struct AppState : ViewRecord {
    float panStartLon = -30.0f;
    float panStartY = 20.0f;
    float pressX = 0.0f;         // window pixels of the last left press
    float pressY = 0.0f;
    float dragDX = 0.0f;
    float dragDY = 0.0f;
    double pickedLon = 0.0;
    double pickedLat = 0.0;
    float cursorLon = 0.0f;
    float cursorLat = 0.0f;
    float cursorElevation = 0.0f;  // metres, negative below sea level
    EditMode editMode = Idle;
    ViewMode viewMode = Map;
    bool statsDirty = false;
    bool showStats = false;
    bool editorVisible = true;
    // Departure of an exported route, ISO 8601, typed in the "Export"
    // submenu; empty means the time of the export.
    char exportDeparture[32] = {};
    // Design windows: shown flags, the profile point under the pointer
    // (map plane) and the leg selected in the line list (-1 none).
    bool showProfile = false;
    bool showLines = false;
    bool showSurveyDesign = false;
    bool profileMarkShown = false;
    float profileMarkLon = 0.0f;
    float profileMarkY = 0.0f;
    int selectedLeg = -1;
};

}  // namespace tessarin
