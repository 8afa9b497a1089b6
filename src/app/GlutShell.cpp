#include "app/GlutShell.hpp"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include "app/Application.hpp"
#include "app/FrameCycle.hpp"
#include "app/InputHandler.hpp"
#include "app/InputSequencer.hpp"
#include "app/RecoveryWriter.hpp"
#include "app/RightButtonMenu.hpp"
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

// The GLUT back-end's bookkeeping of keys and modifiers, done here: queued
// events are carried out outside GLUT's callbacks, where the modifiers can
// no longer be asked for, so each event carries its own.
void setGuiModifiers(int modifiers) {
    ImGuiIO& io = ImGui::GetIO();
    io.KeyCtrl = (modifiers & GLUT_ACTIVE_CTRL) != 0;
    io.KeyShift = (modifiers & GLUT_ACTIVE_SHIFT) != 0;
    io.KeyAlt = (modifiers & GLUT_ACTIVE_ALT) != 0;
}

void setGuiKey(unsigned char c, bool down) {
    ImGuiIO& io = ImGui::GetIO();
    // Control letters arrive as 1..26, and letters stand for both cases.
    io.KeysDown[c] = down;
    if (c >= 1 && c <= 26) io.KeysDown[c - 1 + 'a'] = io.KeysDown[c - 1 + 'A'] = down;
    if (c >= 'a' && c <= 'z') io.KeysDown[c - 'a' + 'A'] = down;
    if (c >= 'A' && c <= 'Z') io.KeysDown[c - 'A' + 'a'] = down;
}

void guiKeyDown(unsigned char c, int modifiers) {
    if (c >= 32) ImGui::GetIO().AddInputCharacter(c);
    setGuiKey(c, true);
    setGuiModifiers(modifiers);
}

void guiKeyUp(unsigned char c, int modifiers) {
    setGuiKey(c, false);
    setGuiModifiers(modifiers);
}

void guiSpecial(int key, bool down, int modifiers) {
    ImGuiIO& io = ImGui::GetIO();
    if (key >= 0 && key + 256 < IM_ARRAYSIZE(io.KeysDown)) io.KeysDown[key + 256] = down;
    setGuiModifiers(modifiers);
}

// The keyboard belongs to the GUI only while one of its text fields is being
// edited (the user clicked into it); otherwise every key is a map command,
// Tab included, however recently a GUI window was clicked.
bool textFieldActive() {
    const ImGuiContext* g = ImGui::GetCurrentContext();
    return g != nullptr && g->ActiveId != 0 && g->ActiveId == g->InputTextState.ID;
}

// While a dialog drawn in the window is open, events reach only the GUI.
bool modalDialog = false;
int eventModifiers = 0;

void carryOut(const InputEvent& e);

InputSequencer sequencer(carryOut);

class GlutShellActions : public ShellActions {
public:
    void exitProgram(int status) override {
        // Whatever changed since the last frame is kept before leaving.
        if (theApp->recovery) theApp->recovery->update();
        std::exit(status);
    }
    bool guiTakesKey(unsigned char key, int, int) override {
        if (!textFieldActive()) return false;
        guiKeyDown(key, eventModifiers);
        return true;
    }
    bool guiTakesSpecialKey(int key, int, int) override {
        if (!textFieldActive()) return false;
        guiSpecial(key, true, eventModifiers);
        return true;
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
    // Key s must not stop the window while the user types: only what the
    // console has already delivered is read.
    bool readConsoleAvailable(std::string& text) override {
        if (consoleEnded_) return false;
        for (;;) {
            pollfd p{STDIN_FILENO, POLLIN, 0};
            if (poll(&p, 1, 0) <= 0 || (p.revents & (POLLIN | POLLHUP)) == 0) return true;
            char buffer[512];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n > 0) {
                text.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            consoleEnded_ = true;
            return false;
        }
    }
    bool shiftHeld() override { return (eventModifiers & GLUT_ACTIVE_SHIFT) != 0; }

private:
    bool consoleEnded_ = false;
};

// The menu's pointer shapes and busy screen.
class GlutMenuShell : public MenuShell {
public:
    explicit GlutMenuShell(ShellActions& actions) : actions_(actions) {}
    void setPointer(PointerShape shape) override { actions_.setPointer(shape); }
    void showBusyScreen() override { theApp->textures->drawBusyScreen(theApp->app); }
    bool recoveryOffered() override { return theApp->recovery && theApp->recovery->offered(); }
    bool recoverUnsavedWork() override { return theApp->recovery && theApp->recovery->recover(); }

private:
    ShellActions& actions_;
};

void onDisplay();

void noDisplay() {}

// The right-button menu's own window (0 if it was not found) and the
// program's window.
int menuWindow = 0;
int mainWindow = 0;

void hideMenuWindow() {
    if (menuWindow == 0) return;
    const int current = glutGetWindow();
    glutSetWindow(menuWindow);
    // The library reports no current window while a menu's is current.
    if (glutGetWindow() == 0) glutHideWindow();
    if (current != 0) glutSetWindow(current);
}

int rightButtonMenuId = 0;

void attachRightButtonMenu(bool attach) {
    const int current = glutGetWindow();
    glutSetWindow(mainWindow);
    glutSetMenu(rightButtonMenuId);
    if (attach) {
        glutAttachMenu(GLUT_RIGHT_BUTTON);
    } else {
        glutDetachMenu(GLUT_RIGHT_BUTTON);
    }
    if (current != 0) glutSetWindow(current);
}

RightButtonMenu rightMenu({hideMenuWindow, attachRightButtonMenu});

void onMenuStatus(int status, int, int) { rightMenu.statusChanged(status == GLUT_MENU_IN_USE); }

// While a dialog drawn in the window is open, events reach only the GUI and
// the dialog draws the frames itself.
void setModal(bool modal) {
    modalDialog = modal;
    rightMenu.setModal(modal);
    if (modal) {
        glutDisplayFunc(noDisplay);
        glutIdleFunc(nullptr);
    } else {
        glutDisplayFunc(onDisplay);
        glutIdleFunc(onDisplay);
    }
}

// The desktop's chooser when zenity is installed, else the one drawn in the
// window, which also stands in when zenity fails; TESSARIN_FILE_CHOOSER=window
// forces the latter (tests drive it).
std::unique_ptr<FileChooser> makeFileChooser(Application& a) {
    WindowFileChooser::Host host;
    host.setModal = setModal;
    host.drawBehind = [&a] { a.frames->drawScene(); };
    host.frameDone = [] {
        sequencer.frameDone();
        rightMenu.tend();
    };
    auto window = std::make_unique<WindowFileChooser>(host);
    const char* forced = std::getenv("TESSARIN_FILE_CHOOSER");
    if (forced == nullptr || std::strcmp(forced, "window") != 0) {
        const std::string zenity = ZenityFileChooser::findProgram();
        if (!zenity.empty()) return std::make_unique<ZenityFileChooser>(zenity, std::move(window));
    }
    return window;
}

// ---- Callbacks: every event goes through the sequencer, which carries it
// out at once or after the next frame.

void carryOut(const InputEvent& e) {
    eventModifiers = e.modifiers;
    InputHandler& input = *theApp->input;
    using Kind = InputEvent::Kind;
    switch (e.kind) {
        case Kind::Key:
            if (modalDialog) {
                guiKeyDown(static_cast<unsigned char>(e.code), e.modifiers);
            } else {
                input.keyboard(static_cast<unsigned char>(e.code), e.x, e.y);
            }
            break;
        case Kind::KeyUp: guiKeyUp(static_cast<unsigned char>(e.code), e.modifiers); break;
        case Kind::Special:
            if (modalDialog) {
                guiSpecial(e.code, true, e.modifiers);
            } else {
                input.special(e.code, e.x, e.y);
            }
            break;
        case Kind::SpecialUp: guiSpecial(e.code, false, e.modifiers); break;
        case Kind::Button:
            if (modalDialog) {
                ImGui_ImplGLUT_MouseFunc(e.code, e.state, e.x, e.y);
            } else {
                input.mouse(e.code, e.state, e.x, e.y);
            }
            break;
        case Kind::Motion:
            if (modalDialog) {
                ImGui_ImplGLUT_MotionFunc(e.x, e.y);
            } else {
                input.motion(e.x, e.y);
            }
            break;
        case Kind::PassiveMotion: ImGui_ImplGLUT_MotionFunc(e.x, e.y); break;
        case Kind::Wheel:
            if (modalDialog) {
                ImGui_ImplGLUT_MouseWheelFunc(e.code, e.state, e.x, e.y);
            } else {
                input.wheel(e.code, e.state, e.x, e.y);
            }
            break;
    }
}

void post(InputEvent::Kind kind, int code, int state, int x, int y, int modifiers) {
    sequencer.post(InputEvent{kind, code, state, x, y, modifiers});
}

void onDisplay() {
    frame(*theApp);
    sequencer.frameDone();
    rightMenu.tend();
    theApp->input->pollConsole();
    theApp->recovery->update();
}

void onReshape(int width, int height) { reshape(*theApp, width, height); }

void onKeyboard(unsigned char key, int x, int y) { post(InputEvent::Kind::Key, key, 0, x, y, glutGetModifiers()); }
void onKeyboardUp(unsigned char key, int x, int y) {
    post(InputEvent::Kind::KeyUp, key, 0, x, y, glutGetModifiers());
}
void onSpecial(int key, int x, int y) { post(InputEvent::Kind::Special, key, 0, x, y, glutGetModifiers()); }
void onSpecialUp(int key, int x, int y) { post(InputEvent::Kind::SpecialUp, key, 0, x, y, glutGetModifiers()); }
void onMouse(int button, int state, int x, int y) {
    post(InputEvent::Kind::Button, button, state, x, y, glutGetModifiers());
}
void onMotion(int x, int y) { post(InputEvent::Kind::Motion, 0, 0, x, y, 0); }
void onPassiveMotion(int x, int y) { post(InputEvent::Kind::PassiveMotion, 0, 0, x, y, 0); }
void onWheel(int wheel, int direction, int x, int y) { post(InputEvent::Kind::Wheel, wheel, direction, x, y, 0); }

void onMenu(int entry) {
    if (rightMenu.takesChoices()) theApp->input->menu(entry);
}

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
    a.recovery = std::make_unique<RecoveryWriter>(*a.planner, "recovery");
    a.recovery->offerLastSession();

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

    // The library numbers windows in the order they are made, the menu's
    // own window included, and reports no current window while a menu's is
    // current: that tells the menu's window from any other.
    mainWindow = glutGetWindow();
    rightButtonMenuId = glutCreateMenu(onMenu);
    glutAddMenuEntry("Set Start", 1);
    glutAddMenuEntry("Set End", 2);
    glutAddMenuEntry("load Area", 3);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
    glutSetWindow(mainWindow + 1);
    if (glutGetWindow() == 0) menuWindow = mainWindow + 1;
    glutSetWindow(mainWindow);
    glutMenuStatusFunc(onMenuStatus);

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
    glutPassiveMotionFunc(onPassiveMotion);
    glutKeyboardUpFunc(onKeyboardUp);
    glutSpecialUpFunc(onSpecialUp);
    ImGui_ImplOpenGL2_Init();

    glutMainLoop();

    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplGLUT_Shutdown();
    ImGui::DestroyContext();
    return 0;
}

}  // namespace tessarin
