#pragma once
// Start-up sequence and the GLUT callbacks. The callbacks forward to the one
// Application object.

namespace tessarin {

struct Application;

// Runs the start-up sequence and the GLUT main loop; returns the process
// status when the loop returns.
int runShell(Application& app, int argc, char** argv);

}  // namespace tessarin
