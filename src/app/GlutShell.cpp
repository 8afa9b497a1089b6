#include "app/GlutShell.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <cstdlib>
#include <iostream>

#include "app/Application.hpp"
#include "app/FrameCycle.hpp"
#include "app/InputHandler.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/GlCaptureTarget.hpp"
#include "render/GlTextureSink.hpp"
#include "render/MapProgressBar.hpp"
#include "render/TextureStore.hpp"

namespace tessarin {

namespace {

Application* theApp = nullptr;

// GLUT's codes, as the input handler spells them.
static_assert(input::kLeftButton == GLUT_LEFT_BUTTON && input::kButtonDown == GLUT_DOWN &&
              input::kButtonUp == GLUT_UP && input::kKeyLeft == GLUT_KEY_LEFT && input::kKeyUp == GLUT_KEY_UP &&
              input::kKeyRight == GLUT_KEY_RIGHT && input::kKeyDown == GLUT_KEY_DOWN);

class GlutShellActions : public ShellActions {
public:
    void exitProgram(int status) override { std::exit(status); }
    bool guiTakesKey(unsigned char key, int x, int y) override {
        ImGui_ImplGLUT_KeyboardFunc(key, x, y);
        return ImGui::GetIO().WantCaptureKeyboard;
    }
    bool guiTakesSpecialKey(int key, int x, int y) override {
        ImGui_ImplGLUT_SpecialFunc(key, x, y);
        return ImGui::GetIO().WantCaptureKeyboard;
    }
    bool guiTakesMouseButton(int button, int state, int x, int y) override {
        ImGui_ImplGLUT_MouseFunc(button, state, x, y);
        return ImGui::GetIO().WantCaptureMouse;
    }
    bool guiTakesMotion(int x, int y) override {
        ImGui_ImplGLUT_MotionFunc(x, y);
        return ImGui::GetIO().WantCaptureMouse;
    }
    void setPointer(PointerShape shape) override {
        switch (shape) {
            case PointerShape::LeftArrow: glutSetCursor(GLUT_CURSOR_LEFT_ARROW); break;
            case PointerShape::Cycle: glutSetCursor(GLUT_CURSOR_CYCLE); break;
            case PointerShape::Crosshair: glutSetCursor(GLUT_CURSOR_CROSSHAIR); break;
        }
    }
    void setPixelProjection() override { tessarin::setPixelProjection(theApp->app); }
    std::istream& consoleInput() override { return std::cin; }
};

// ---- Callbacks: each event is offered to the GUI first and dropped when the
// GUI wants it.

void onDisplay() { frame(*theApp); }

void onReshape(int width, int height) { reshape(*theApp, width, height); }

void onKeyboard(unsigned char key, int x, int y) { theApp->input->keyboard(key, x, y); }

void onSpecial(int key, int x, int y) { theApp->input->special(key, x, y); }

void onMouse(int button, int state, int x, int y) { theApp->input->mouse(button, state, x, y); }

void onMotion(int x, int y) { theApp->input->motion(x, y); }

void onWheel(int wheel, int direction, int x, int y) { theApp->input->wheel(wheel, direction, x, y); }

void onMenu(int entry) { theApp->input->menu(entry); }

}  // namespace

int runShell(Application& a, int argc, char** argv) {
    theApp = &a;
    std::ostream& out = a.out;

    out << "hello bathy world\n";
    a.app = AppState();
    a.stopwatch.start();
    a.textures = new TextureStore(out);

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(1900, 950);
    glutCreateWindow("Marevista Tessarin");
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);

    glClearColor(0.1f, 0.1f, 0.2f, 1.0f);
    const GLfloat lightPosition[4] = {-10.0f, 20.0f, 20.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);

    a.sink = std::make_unique<GlTextureSink>();
    a.planner = std::make_unique<PlannerState>(out, *a.sink);
    a.planner->windowWidth = a.app.windowWidth;
    a.planner->windowHeight = a.app.windowHeight;

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-9.0, 9.0, -5.0, 5.0, 60.0, 2000.0);
    glTranslatef(0.0f, 0.0f, -85.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);

    static GlutShellActions shellActions;
    a.input = new InputHandler(a.app, *a.planner, a.stopwatch, shellActions);
    static GlutTextPainter textPainter;
    a.frames = new FrameCycle(a.app, *a.planner, textPainter);
    // Coverage captures draw into framebuffers of their own (never freed,
    // like the other start-up objects).
    a.planner->coverage->setCaptureTarget(new GlCaptureTarget(&a.frames->scene()));
    static MapProgressBar progressBar(
        textPainter, [] { glutSwapBuffers(); },
        [&a](int& w, int& h) {
            w = a.app.windowWidth;
            h = a.app.windowHeight;
        });
    a.planner->setProgress(&progressBar);

    glutDisplayFunc(onDisplay);
    glutIdleFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutSpecialFunc(onSpecial);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(onKeyboard);
    glutMotionFunc(onMotion);
    glutMouseWheelFunc(onWheel);

    glutCreateMenu(onMenu);
    glutAddMenuEntry("Set Start", 1);
    glutAddMenuEntry("Set End", 2);
    glutAddMenuEntry("load Area", 3);
    glutAttachMenu(GLUT_RIGHT_BUTTON);

    TextureStore& textures = *a.textures;
    textures.loadLogo("Logos/Ostra_Logo.raw", 33);
    textures.loadLogo("Logos/Kelvex_Logo_bg.raw", 34);
    textures.loadLogo("Logos/GEBCO_3.raw", 39);
    textures.loadButtonImage("Logos/Menu_Planner_Zoom_2.raw", 512, 256, 40);
    textures.loadButtonImage("Logos/Scale512x128.raw", 512, 128, 52);
    textures.loadButtonImage("Logos/DataLoading.raw", 512, 256, 53);
    textures.loadGlobeTiles(15, -160);
    textures.setBusyFrameEnd([&a] {
        setGlobeProjection(a.app);
        glutSwapBuffers();
    });

    a.planner->tiles.loadOverviewTiles();
    // The globe's ten blocks show the map's overview pictures.
    for (int k = 1; k <= 10; ++k) {
        if (a.planner->tiles.overviewLoaded(k)) textures.shareTexture(k, a.planner->tiles.overviewTexture(k));
    }

    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGui::StyleColorsClassic();
    ImGuiStyle& style = ImGui::GetStyle();
    style.Alpha = 1.0f;
    style.Colors[ImGuiCol_WindowBg].w = 1.0f;
    ImGui_ImplGLUT_Init();
    glutPassiveMotionFunc(ImGui_ImplGLUT_MotionFunc);
    glutKeyboardUpFunc(ImGui_ImplGLUT_KeyboardUpFunc);
    glutSpecialUpFunc(ImGui_ImplGLUT_SpecialUpFunc);
    ImGui_ImplOpenGL2_Init();

    glutMainLoop();

    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplGLUT_Shutdown();
    ImGui::DestroyContext();
    return 0;
}

}  // namespace tessarin
