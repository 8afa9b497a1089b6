// Entry point. The one Application object lives here; the GLUT callbacks reach
// it through the shell.

#include <cstdio>
#include <iostream>
#include <string>

#include "app/Application.hpp"
#include "app/GlutShell.hpp"

int main(int argc, char** argv) {
    // Console lines appear as they are written, even into a pipe, so a user
    // watching a long operation sees it move.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Never destroyed: GLUT may end the process from inside its loop, and the
    // objects hold GL names that must not be freed after the context is gone.
    auto* app = new tessarin::Application(std::cout);
    std::string error;
    if (!tessarin::takeStartView(argc, argv, app->startView, error)) {
        std::cerr << "tessarin: " << error << "\n";
        return 2;
    }
    return tessarin::runShell(*app, argc, argv);
}
