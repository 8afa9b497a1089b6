#include "app/InputHandler.hpp"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

#include "app/PlannerState.hpp"
#include "app/Stopwatch.hpp"
#include "area/SurveyPolygon.hpp"
#include "coverage/CoverageGrid.hpp"
#include "render/MapView.hpp"

namespace tessarin {

namespace {

// Arrow keys move the view by this many reference units.
constexpr double kArrowStep = 12.5;

bool inMap(ViewMode m) { return m == Map || m == Pan; }

bool polygonMode(EditMode m) { return m == AddPolygonPoint || m == PickPolygonPoint || m == MovePolygonPoint; }

}  // namespace

bool ShellActions::readConsoleAvailable(std::string& text) {
    std::istream& in = consoleInput();
    char c = 0;
    while (in.get(c)) text.push_back(c);
    return false;
}

InputHandler::InputHandler(AppState& app, PlannerState& planner, Stopwatch& stopwatch, ShellActions& shell)
    : app_(app), planner_(planner), stopwatch_(stopwatch), shell_(shell) {}

bool InputHandler::readWord(std::istream& in, std::string& word, int maxChars) {
    using Traits = std::istream::traits_type;
    word.clear();
    Traits::int_type c = in.get();
    while (!Traits::eq_int_type(c, Traits::eof()) && std::isspace(c)) {
        c = in.get();
    }
    if (Traits::eq_int_type(c, Traits::eof())) return false;
    // The word is bounded: whatever a user types beyond maxChars is consumed
    // with the word so it is not taken for the next command's input.
    while (!Traits::eq_int_type(c, Traits::eof()) && !std::isspace(c)) {
        if (static_cast<int>(word.size()) < maxChars) word.push_back(Traits::to_char_type(c));
        c = in.get();
    }
    return true;
}

void InputHandler::keyboard(unsigned char key, int x, int y) {
    if (shell_.guiTakesKey(key, x, y)) return;
    std::ostream& out = planner_.out();
    switch (key) {
        case input::kTab:
            out << "TAB \n";
            planner_.rotatePolygon();
            break;
        case input::kEscape:
            app_.editMode = Idle;
            // Esc is the way out of a suspended map as well.
            if (app_.viewMode == Suspended) app_.viewMode = Map;
            shell_.setPointer(PointerShape::LeftArrow);
            break;
        case input::kCtrlZ:
            if (shell_.shiftHeld()) {
                planner_.redo();
            } else {
                planner_.undo();
            }
            break;
        case input::kCtrlY:
            planner_.redo();
            break;
        case ',':
            app_.zoom = static_cast<float>(app_.zoom / 1.2);
            break;
        case '.':
            app_.zoom = static_cast<float>(app_.zoom * 1.2);
            break;
        case '1':
            planner_.loadPolygonFile("Area_1.csv");
            break;
        case '2':
            planner_.loadPolygonFile("Area_2.csv");
            break;
        case '3':
            planner_.loadPolygonFile("Area_3.csv");
            break;
        case 'P':
            planner_.loadPolygonFile("USGS_abyssal_nodule_ROI_26AUG22.shp");
            break;
        case 'a':
            planner_.setDemoTransit(32.03f, -122.786f, 23.42f, -155.65f);
            planner_.computeGreatCircle();
            planner_.loadTilesOnArc();
            planner_.planTransit(false, true);
            break;
        case 'c':
            shell_.setPixelProjection();
            planner_.coverage->capturePlanCoarse();
            break;
        case 'e':
            planner_.checkEdgeOverlap();
            app_.editMode = PickWaypoint;
            shell_.setPointer(PointerShape::Cycle);
            break;
        case 'f':
            planner_.fillPolygon(true);
            app_.editMode = Idle;
            app_.viewMode = Map;
            shell_.setPointer(PointerShape::LeftArrow);
            break;
        case 'i':
            app_.editMode = AddWaypoint;
            shell_.setPointer(PointerShape::Crosshair);
            break;
        case 'l':
            planner_.loadTilesAlongLine();
            break;
        case 'm':
            app_.showCoverage = !app_.showCoverage;
            break;
        case 'o':
            planner_.fitCurrentLine();
            break;
        case 'p':
            planner_.savePolygonFile("XXXtest.csv");
            break;
        case 'q':
            shell_.exitProgram(1);
            break;
        case 's':
            out << "Enter file Name: " << std::flush;
            awaitingWord_ = true;
            pollConsole();
            break;
        case 't':
            // The runs capture each plan's coverage in window pixels.
            shell_.setPixelProjection();
            planner_.writeTransitBenchmark();
            break;
        case 'x':
            planner_.reportPathOverlap();
            break;
        case input::kDelete:
            deleteKey();
            break;
        default:
            break;
    }
}

void InputHandler::deleteKey() {
    planner_.out() << "DELETE \n";
    if (polygonMode(app_.editMode)) {
        // Drawing or editing the polygon: the key takes its current vertex,
        // never a waypoint the user is not looking at.
        if (planner_.deletePolygonVertex()) planner_.editHold = PlannerState::kHoldNone;
        return;
    }
    if (app_.editMode == PickWaypoint && app_.editorVisible && !planner_.plan->empty()) {
        // The point editor shows the current waypoint: that is the one meant.
        planner_.deleteCurrentWaypoint();
        return;
    }
    // The delete action reads no map y, but editAction records it as the
    // pick position: give it the picked point's own so the pick marker stays
    // where it was.
    double scratchY = PlannerState::mapY(app_.pickedLat);
    planner_.editAction(DeleteWaypoint, app_.pickedLon, scratchY, app_.pickedLat, app_.zoom);
}

void InputHandler::pollConsole() {
    if (!awaitingWord_) return;
    if (!consoleEnded_) consoleEnded_ = !shell_.readConsoleAvailable(consoleText_);
    std::size_t start = 0;
    while (start < consoleText_.size() && std::isspace(static_cast<unsigned char>(consoleText_[start]))) ++start;
    std::size_t end = start;
    while (end < consoleText_.size() && !std::isspace(static_cast<unsigned char>(consoleText_[end]))) ++end;
    const bool complete = end < consoleText_.size() || consoleEnded_;
    if (!complete) return;
    // The word is bounded: whatever a user types beyond the bound is taken
    // with the word so it is not read as the next one.
    fileName_ = consoleText_.substr(start, std::min<std::size_t>(end - start, kFileNameChars));
    consoleText_.erase(0, end);
    awaitingWord_ = false;
}

void InputHandler::special(int key, int x, int y) {
    if (shell_.guiTakesSpecialKey(key, x, y)) return;
    switch (key) {
        case input::kKeyLeft:
            app_.viewCentreLon = static_cast<float>(app_.viewCentreLon - kArrowStep / app_.zoom);
            break;
        case input::kKeyRight:
            app_.viewCentreLon = static_cast<float>(app_.viewCentreLon + kArrowStep / app_.zoom);
            break;
        case input::kKeyUp:
            app_.viewCentreY = static_cast<float>(app_.viewCentreY + kArrowStep / app_.zoom);
            break;
        case input::kKeyDown:
            app_.viewCentreY = static_cast<float>(app_.viewCentreY - kArrowStep / app_.zoom);
            break;
        default:
            break;
    }
}

void InputHandler::wheel(int, int direction, int, int) {
    if (direction == -1) {
        app_.zoom = static_cast<float>(app_.zoom * 1.1);
    } else if (direction == 1) {
        app_.zoom = static_cast<float>(app_.zoom / 1.1);
    }
}

void InputHandler::mouse(int button, int state, int x, int y) {
    if (shell_.guiTakesMouseButton(button, state, x, y)) return;
    // The click that launched the program can arrive as the window opens.
    if (stopwatch_.elapsed() < kStartGuardSeconds) return;
    if (button != input::kLeftButton) return;
    if (state == input::kButtonDown) {
        press(x, y);
    } else if (state == input::kButtonUp) {
        release(x, y);
    }
}

void InputHandler::press(int x, int y) {
    if (inMap(app_.viewMode)) {
        const MapPick p = pickMapPoint(app_, static_cast<float>(x), static_cast<float>(y));
        app_.pickedLon = p.lon;
        app_.cursorLon = p.shownLon;
        app_.pickedLat = p.lat;
        app_.cursorLat = static_cast<float>(p.lat);
        double yMap = p.mapY;
        const bool picked = planner_.editAction(app_.editMode, app_.pickedLon, yMap, app_.pickedLat, app_.zoom);
        float elevation = 0.0f;
        planner_.getDepth(app_.pickedLon, app_.pickedLat, elevation);
        app_.cursorElevation = elevation;
        std::ostream& out = planner_.out();
        if (picked) {
            app_.cursorLat = static_cast<float>(app_.pickedLat);
            app_.cursorLon = static_cast<float>(app_.pickedLon);
            out << "SHOW LAT " << app_.pickedLat << "\n";
        } else {
            out << "NOT PICKED VS ES " << static_cast<int>(app_.viewMode) << " " << static_cast<int>(app_.editMode)
                << "\n";
            app_.viewMode = Pan;
        }
    }
    app_.pressX = static_cast<float>(x);
    app_.pressY = static_cast<float>(y);
    if (app_.viewMode == Pan) {
        app_.panStartLon = app_.viewCentreLon;
        app_.panStartY = app_.viewCentreY;
    }
}

void InputHandler::release(int x, int y) {
    if (app_.viewMode == Pan) app_.viewMode = Map;
    if (app_.viewMode != Map) return;
    if (static_cast<float>(x) < 200.0f * app_.scaleX && static_cast<float>(y) < 200.0f * app_.scaleY) {
        app_.viewMode = Suspended;
        return;
    }
    switch (app_.editMode) {
        case MoveWaypoint:
            planner_.finishEdit(MoveWaypoint);
            app_.editMode = PickWaypoint;
            break;
        case MovePolygonPoint:
            planner_.finishEdit(MovePolygonPoint);
            app_.editMode = PickPolygonPoint;
            break;
        case SetStartPoint:
            planner_.setTransitStart();
            app_.editMode = Idle;
            break;
        case SetEndPoint:
            planner_.setTransitEnd();
            app_.editMode = Idle;
            break;
        default:
            break;
    }
}

void InputHandler::motion(int x, int y) {
    if (shell_.guiTakesMotion(x, y)) return;
    app_.dragDX = (app_.pressX - static_cast<float>(x)) * 0.05f;
    app_.dragDY = (static_cast<float>(y) - app_.pressY) * 0.1f;
    if (app_.viewMode == Map) {
        if (app_.editMode == PickWaypoint || app_.editMode == MoveWaypoint) {
            dragPoint(MoveWaypoint, x, y);
        } else if (app_.editMode == PickPolygonPoint || app_.editMode == MovePolygonPoint) {
            dragPoint(MovePolygonPoint, x, y);
        }
    }
    if (app_.viewMode == Pan) {
        // Dragging right moves the view west, dragging down moves it north.
        app_.viewCentreLon = app_.dragDX * 20.0f / app_.zoom + app_.panStartLon;
        app_.viewCentreY = app_.dragDY * 10.0f / app_.zoom + app_.panStartY;
    }
}

void InputHandler::dragPoint(EditMode moveMode, int x, int y) {
    const MapPick p = pickMapPoint(app_, static_cast<float>(x), static_cast<float>(y));
    double lon = p.lon;
    double yMap = p.mapY;
    double lat = p.lat;
    app_.cursorLon = p.shownLon;
    app_.editMode = moveMode;
    const bool moved = planner_.editAction(moveMode, lon, yMap, lat, app_.zoom);
    if (moveMode == MoveWaypoint && moved) {
        app_.cursorLat = static_cast<float>(lat);
        app_.cursorLon = static_cast<float>(lon);
        planner_.out() << "SHOW LAT " << lat << "\n";
    }
}

void InputHandler::menu(int entry) {
    std::ostream& out = planner_.out();
    switch (entry) {
        case MenuSetStart:
            out << "Set Start\n";
            planner_.setTransitStart();
            break;
        case MenuSetEnd:
            out << "Set End Pt\n";
            planner_.setTransitEnd();
            break;
        case MenuLoadArea:
            out << "loadBathy\n";
            planner_.planTransit(false, true);
            break;
        default:
            break;
    }
}

}  // namespace tessarin
