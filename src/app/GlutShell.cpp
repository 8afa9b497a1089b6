#include "app/GlutShell.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/Application.hpp"
#include "app/FrameCycle.hpp"
#include "app/InputHandler.hpp"
#include "coverage/CoverageGrid.hpp"
#include "coverage/GlCaptureTarget.hpp"
#include "render/GlTextureSink.hpp"
#include "render/MapProgressBar.hpp"
#include "render/TextureStore.hpp"
#include "ui/GuiWindows.hpp"
#include "ui/WindowFileChooser.hpp"
#include "ui/ZenityFileChooser.hpp"

namespace tessarin {

namespace {

Application* theApp = nullptr;

// GLUT's codes, as the input handler spells them.
static_assert(input::kLeftButton == GLUT_LEFT_BUTTON && input::kButtonDown == GLUT_DOWN &&
              input::kButtonUp == GLUT_UP && input::kKeyLeft == GLUT_KEY_LEFT && input::kKeyUp == GLUT_KEY_UP &&
              input::kKeyRight == GLUT_KEY_RIGHT && input::kKeyDown == GLUT_KEY_DOWN);

// This GUI version samples buttons and keys once a frame: a press and its
// release that arrive between two frames (a quick tap, a click under load,
// xdotool) would never be seen. A release that comes in the frame of its
// press is therefore held back until that frame has been built.
class GuiInputLatch {
public:
    void mouse(int button, int state, int x, int y) {
        if (button < 0 || button >= kButtons) {
            ImGui_ImplGLUT_MouseFunc(button, state, x, y);
            return;
        }
        if (state == GLUT_DOWN) {
            ImGui_ImplGLUT_MouseFunc(button, state, x, y);
            mouseDownFrame_[button] = frame_;
        } else if (mouseDownFrame_[button] == frame_) {
            deferredMouse_[button] = true;
        } else {
            ImGui_ImplGLUT_MouseFunc(button, state, x, y);
        }
    }
    void keyDown(unsigned char key, int x, int y) {
        ImGui_ImplGLUT_KeyboardFunc(key, x, y);
        keyDownFrame_[key] = frame_;
    }
    void keyUp(unsigned char key, int x, int y) {
        if (keyDownFrame_[key] == frame_) {
            deferredKey_[key] = true;
        } else {
            ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
        }
    }
    // Called once a frame has been built: the held-back releases take effect
    // for the next one.
    void frameDone() {
        ++frame_;
        ImGuiIO& io = ImGui::GetIO();
        for (int b = 0; b < kButtons; ++b) {
            if (deferredMouse_[b]) io.MouseDown[b] = false;
            deferredMouse_[b] = false;
        }
        for (int k = 0; k < 256; ++k) {
            if (!deferredKey_[k]) continue;
            deferredKey_[k] = false;
            // The key states the back-end sets for a character: control
            // letters arrive as 1..26, and letters stand for both cases.
            io.KeysDown[k] = false;
            if (k >= 1 && k <= 26) io.KeysDown[k - 1 + 'a'] = io.KeysDown[k - 1 + 'A'] = false;
            if (k >= 'a' && k <= 'z') io.KeysDown[k - 'a' + 'A'] = false;
            if (k >= 'A' && k <= 'Z') io.KeysDown[k - 'A' + 'a'] = false;
        }
    }

private:
    static constexpr int kButtons = 3;
    long frame_ = 0;
    long mouseDownFrame_[kButtons] = {-1, -1, -1};
    bool deferredMouse_[kButtons] = {};
    long keyDownFrame_[256] = {};
    bool deferredKey_[256] = {};
};

GuiInputLatch guiInput;

class GlutShellActions : public ShellActions {
public:
    void exitProgram(int status) override { std::exit(status); }
    bool guiTakesKey(unsigned char key, int x, int y) override {
        guiInput.keyDown(key, x, y);
        return ImGui::GetIO().WantCaptureKeyboard;
    }
    bool guiTakesSpecialKey(int key, int x, int y) override {
        ImGui_ImplGLUT_SpecialFunc(key, x, y);
        return ImGui::GetIO().WantCaptureKeyboard;
    }
    bool guiTakesMouseButton(int button, int state, int x, int y) override {
        guiInput.mouse(button, state, x, y);
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

// The menu's pointer shapes and busy screen.
class GlutMenuShell : public MenuShell {
public:
    explicit GlutMenuShell(ShellActions& actions) : actions_(actions) {}
    void setPointer(PointerShape shape) override { actions_.setPointer(shape); }
    void showBusyScreen() override { theApp->textures->drawBusyScreen(theApp->app); }

private:
    ShellActions& actions_;
};

int rightButtonMenu = 0;

void onDisplay();
void onKeyboard(unsigned char key, int x, int y);
void onGuiKeyboard(unsigned char key, int x, int y);
void onGuiMouse(int button, int state, int x, int y);
void onSpecial(int key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onWheel(int wheel, int direction, int x, int y);

void noDisplay() {}

// While a dialog drawn in the window is open, events reach only the GUI and
// the dialog draws the frames itself.
void setModal(bool modal) {
    glutSetMenu(rightButtonMenu);
    if (modal) {
        glutDetachMenu(GLUT_RIGHT_BUTTON);
        glutDisplayFunc(noDisplay);
        glutIdleFunc(nullptr);
        glutKeyboardFunc(onGuiKeyboard);
        glutSpecialFunc(ImGui_ImplGLUT_SpecialFunc);
        glutMouseFunc(onGuiMouse);
        glutMotionFunc(ImGui_ImplGLUT_MotionFunc);
        glutMouseWheelFunc(ImGui_ImplGLUT_MouseWheelFunc);
    } else {
        glutAttachMenu(GLUT_RIGHT_BUTTON);
        glutDisplayFunc(onDisplay);
        glutIdleFunc(onDisplay);
        glutKeyboardFunc(onKeyboard);
        glutSpecialFunc(onSpecial);
        glutMouseFunc(onMouse);
        glutMotionFunc(onMotion);
        glutMouseWheelFunc(onWheel);
    }
}

// The desktop's chooser when zenity is installed, else the one drawn in the
// window; TESSARIN_FILE_CHOOSER=window forces the latter (tests drive it).
std::unique_ptr<FileChooser> makeFileChooser(Application& a) {
    const char* forced = std::getenv("TESSARIN_FILE_CHOOSER");
    const bool window = forced != nullptr && std::strcmp(forced, "window") == 0;
    if (!window) {
        const std::string zenity = ZenityFileChooser::findProgram();
        if (!zenity.empty()) return std::make_unique<ZenityFileChooser>(zenity);
    }
    WindowFileChooser::Host host;
    host.setModal = setModal;
    host.drawBehind = [&a] { a.frames->drawScene(); };
    host.frameDone = [] { guiInput.frameDone(); };
    return std::make_unique<WindowFileChooser>(host);
}

// ---- Callbacks: each event is offered to the GUI first and dropped when the
// GUI wants it.

void onDisplay() {
    frame(*theApp);
    guiInput.frameDone();
}

void onKeyboardUp(unsigned char key, int x, int y) { guiInput.keyUp(key, x, y); }
void onGuiKeyboard(unsigned char key, int x, int y) { guiInput.keyDown(key, x, y); }
void onGuiMouse(int button, int state, int x, int y) { guiInput.mouse(button, state, x, y); }

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
    applyStartView(a.startView, a.app);
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
    static std::unique_ptr<FileChooser> chooser = makeFileChooser(a);
    static GlutMenuShell menuShell(shellActions);
    static GuiWindows windows(a.app, *a.planner, a.stopwatch, *chooser, menuShell);
    a.frames->setWindows(&windows);

    glutDisplayFunc(onDisplay);
    glutIdleFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutSpecialFunc(onSpecial);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(onKeyboard);
    glutMotionFunc(onMotion);
    glutMouseWheelFunc(onWheel);

    rightButtonMenu = glutCreateMenu(onMenu);
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
    glutKeyboardUpFunc(onKeyboardUp);
    glutSpecialUpFunc(ImGui_ImplGLUT_SpecialUpFunc);
    ImGui_ImplOpenGL2_Init();

    glutMainLoop();

    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplGLUT_Shutdown();
    ImGui::DestroyContext();
    return 0;
}

}  // namespace tessarin
