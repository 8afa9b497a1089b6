#include "app/FrameCycle.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include "app/Application.hpp"

namespace tessarin {

void frame(Application& a) {
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame();
    (void)a;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ImGui::Render();
    const ImGuiIO& io = ImGui::GetIO();
    glViewport(0, 0, static_cast<GLsizei>(io.DisplaySize.x), static_cast<GLsizei>(io.DisplaySize.y));
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glutSwapBuffers();
}

void reshape(Application& a, int width, int height) {
    ImGui_ImplGLUT_ReshapeFunc(width, height);
    AppState& s = a.app;
    s.windowWidth = width;
    s.windowHeight = height;
    s.aspect = static_cast<float>(width) * 0.5f / static_cast<float>(height);
    glViewport(0, 0, width, height);
    s.scaleX = static_cast<float>(s.windowWidth) / 1900.0f;
    s.scaleY = static_cast<float>(s.windowHeight) / 950.0f;
    a.planner->windowWidth = width;
    a.planner->windowHeight = height;
}

}  // namespace tessarin
