#pragma once
// The frame function (GLUT display and idle callback) and reshape.

namespace tessarin {

struct Application;

void frame(Application& a);
void reshape(Application& a, int width, int height);

}  // namespace tessarin
