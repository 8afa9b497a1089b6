#pragma once
// Keyboard, special-key, mouse-button, motion, wheel and right-button menu
// commands: they change the AppState (modes, view centre, zoom, cursor) or
// call planner operations. Builds without GL: everything that needs the window
// system (the GUI's first refusal of events, pointer shapes, projections,
// ending the process, the console's input) goes through ShellActions.
//
// Window positions are GLUT's: pixels from the top-left corner, y down.

#include <iosfwd>
#include <string>

#include "app/AppState.hpp"

namespace tessarin {

class PlannerState;
class Stopwatch;

enum class PointerShape { LeftArrow, Cycle, Crosshair };

// Event codes as GLUT delivers them (the shell checks they agree).
namespace input {
inline constexpr int kLeftButton = 0;
inline constexpr int kMiddleButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kButtonDown = 0;
inline constexpr int kButtonUp = 1;
inline constexpr int kKeyLeft = 100;
inline constexpr int kKeyUp = 101;
inline constexpr int kKeyRight = 102;
inline constexpr int kKeyDown = 103;
inline constexpr unsigned char kCtrlY = 25;
inline constexpr unsigned char kCtrlZ = 26;
inline constexpr unsigned char kTab = 9;
inline constexpr unsigned char kEscape = 27;
inline constexpr unsigned char kDelete = 127;
}  // namespace input

// Menu entries of the right-button menu.
enum MenuEntry : int { MenuSetStart = 1, MenuSetEnd = 2, MenuLoadArea = 3 };

class ShellActions {
public:
    virtual ~ShellActions() = default;
    // Ends the process at once.
    virtual void exitProgram(int status) = 0;
    // Each event is offered to the GUI first; true when the GUI wants it,
    // and then the map does not see it.
    virtual bool guiTakesKey(unsigned char key, int x, int y) = 0;
    virtual bool guiTakesSpecialKey(int key, int x, int y) = 0;
    virtual bool guiTakesMouseButton(int button, int state, int x, int y) = 0;
    virtual bool guiTakesMotion(int x, int y) = 0;
    virtual void setPointer(PointerShape shape) = 0;
    // Orthographic projection over the window in pixels (for captures).
    virtual void setPixelProjection() = 0;
    // Where the console's typed words come from.
    virtual std::istream& consoleInput() = 0;
    // Appends to text what the console has typed so far, without waiting;
    // false once the console's input has ended. By default the whole of
    // consoleInput(), which then counts as ended.
    virtual bool readConsoleAvailable(std::string& text);
    // Whether Shift was held with the key being handled.
    virtual bool shiftHeld() { return false; }
};

class InputHandler {
public:
    // The longest word key s keeps; longer words are cut.
    static constexpr int kFileNameChars = 39;
    // Clicks this soon after launch are ignored (seconds).
    static constexpr double kStartGuardSeconds = 0.1;

    InputHandler(AppState& app, PlannerState& planner, Stopwatch& stopwatch, ShellActions& shell);

    void keyboard(unsigned char key, int x, int y);
    void special(int key, int x, int y);
    void mouse(int button, int state, int x, int y);
    void motion(int x, int y);
    void wheel(int wheel, int direction, int x, int y);
    void menu(int entry);
    // Key s waits for its word without stopping the window: the shell calls
    // this every frame, and the word is taken once it has been typed.
    void pollConsole();
    bool awaitingWord() const { return awaitingWord_; }

    // The word read by the last key s ("" when input ended first).
    const std::string& lastFileName() const { return fileName_; }

    // Reads one whitespace-delimited word from in, keeping at most maxChars
    // characters; the rest of an over-long word is read and dropped. Returns
    // false when the input ends before a word starts.
    static bool readWord(std::istream& in, std::string& word, int maxChars);

private:
    void press(int x, int y);
    void release(int x, int y);
    // Moves the held waypoint or polygon vertex to the pointer.
    void dragPoint(EditMode moveMode, int x, int y);
    void deleteKey();

    AppState& app_;
    PlannerState& planner_;
    Stopwatch& stopwatch_;
    ShellActions& shell_;
    std::string fileName_;
    bool awaitingWord_ = false;
    std::string consoleText_;  // typed but not yet taken
    bool consoleEnded_ = false;
};

}  // namespace tessarin
