#pragma once
// Keyboard, mouse and menu commands. Runs without GL: whatever needs the
// window system goes through ShellActions.

#include "app/AppState.hpp"

namespace tessarin {

class PlannerState;
class Stopwatch;

class ShellActions {
public:
    virtual ~ShellActions() = default;
    virtual void exitProgram(int status) = 0;
};

class InputHandler {
public:
    InputHandler(AppState& app, PlannerState& planner, Stopwatch& stopwatch, ShellActions& shell)
        : app_(app), planner_(planner), stopwatch_(stopwatch), shell_(shell) {}

    void keyboard(unsigned char key, int x, int y);

private:
    AppState& app_;
    PlannerState& planner_;
    Stopwatch& stopwatch_;
    ShellActions& shell_;
};

}  // namespace tessarin
