#pragma once
// The shell's long-lived objects, owned for the life of the process. Exactly
// one instance exists (in main.cpp); the GLUT callbacks forward to it.

#include <memory>
#include <ostream>

#include "app/AppState.hpp"
#include "app/PlannerState.hpp"
#include "app/RecoveryWriter.hpp"
#include "app/StartView.hpp"
#include "app/Stopwatch.hpp"
#include "earth/TextureSink.hpp"

namespace tessarin {

class TextureStore;
class InputHandler;
class FrameCycle;

struct Application {
    explicit Application(std::ostream& console) : out(console) {}

    std::ostream& out;
    AppState app;
    StartView startView;  // from the command line
    Stopwatch stopwatch;
    std::unique_ptr<TextureSink> sink;
    TextureStore* textures = nullptr;   // built at start-up, never freed
    std::unique_ptr<PlannerState> planner;
    // Writes plan and polygon after every change (built with the planner).
    std::unique_ptr<RecoveryWriter> recovery;
    InputHandler* input = nullptr;      // built at start-up, never freed
    FrameCycle* frames = nullptr;       // built at start-up, never freed
};

}  // namespace tessarin
