#include "app/main_window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/main_loop.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/render_context.h"
#include "runtime/window_state.h"

using namespace platform;

namespace {

constexpr const char* kClassName = "OpenGL";

bool failWith(const char* text) {
    releaseMainWindow();
    current().messageBox(text, "ERROR", BoxButtons::Ok, BoxIcon::Exclamation);
    return false;
}

void reportRelease(const char* text) {
    current().messageBox(text, "SHUTDOWN ERROR", BoxButtons::Ok, BoxIcon::Information);
}

}  // namespace

bool createMainWindow(const char* title, int width, int height, int bits, bool fullscreenRequested,
                      bool onTop) {
    Platform& system = current();
    windowRelease = releaseMainWindow;  // the frame driver ends the show with it
    fullscreen = fullscreenRequested;
    appInstance = nullptr;

    if (!system.registerWindowClass(kClassName, mainWindowProc)) {
        system.messageBox("Failed To Register The Window Class.", "ERROR", BoxButtons::Ok,
                          BoxIcon::Exclamation);
        return false;
    }
    if (fullscreen && !system.changeDisplayMode(width, height, bits)) {
        const BoxAnswer answer = system.messageBox(
            "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed "
            "Mode Instead?",
            "KRV GL ;-)", BoxButtons::YesNo, BoxIcon::Exclamation);
        if (answer == BoxAnswer::Yes) {
            fullscreen = false;
        } else {
            system.messageBox("Program Will Now Close.", "ERROR", BoxButtons::Ok, BoxIcon::Stop);
            return false;
        }
    }

    const WindowStyle style = fullscreen ? WindowStyle::Popup
                              : onTop    ? WindowStyle::SystemMenu
                                         : WindowStyle::Overlapped;
    mainWindow = system.createWindow(kClassName, title, style, 0, 0, width, height);
    if (mainWindow == nullptr) return failWith("Window Creation Error.");
    mainDeviceContext = system.getDeviceContext(mainWindow);
    if (mainDeviceContext == nullptr) return failWith("Can't Create A GL Device Context.");
    const PixelFormatRequest request{bits, 24, 8, true, true, true};
    const int format = system.choosePixelFormat(mainDeviceContext, request);
    if (format == 0) return failWith("Can't Find A Suitable PixelFormat.");
    if (!system.setPixelFormat(mainDeviceContext, format, request))
        return failWith("Can't Set The PixelFormat.");
    mainGlContext = system.createGlContext(mainDeviceContext);
    if (mainGlContext == nullptr) return failWith("Can't Create A GL Rendering Context.");
    if (!system.makeCurrent(mainDeviceContext, mainGlContext))
        return failWith("Can't Activate The GL Rendering Context.");

    system.showWindow(mainWindow);
    system.setForegroundWindow(mainWindow);
    system.setFocus(mainWindow);
    const int x = static_cast<int>(windowTopLeft.x), y = static_cast<int>(windowTopLeft.y);
    if (onTop) {
        system.setWindowPosTopmost(mainWindow, x, y, windowWidth(), windowHeight());
    } else {
        system.setWindowPos(mainWindow, x, y, windowWidth(), windowHeight());
    }
    resizeViewport(windowWidth(), windowHeight());
    setupGlState();
    renderContext().deviceContext = mainDeviceContext;
    renderContext().generateDisplayLists();
    return true;
}

bool setupGlState() {
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    initDemo();
    return true;
}

void resizeViewport(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, windowWidth(), windowHeight());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height),
                   static_cast<double>(0.1f), 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void releaseMainWindow() {
    Platform& system = current();
    if (frameLogEnabled) renderContext().writeFrameLog();
    if (fullscreen) system.restoreDisplayMode();
    if (mainGlContext != nullptr) {
        if (!system.makeCurrent(nullptr, nullptr)) reportRelease("Release Of DC And RC Failed.");
        if (!system.deleteGlContext(mainGlContext))
            reportRelease("Release Rendering Context Failed.");
        mainGlContext = nullptr;
    }
    if (mainDeviceContext != nullptr &&
        !system.releaseDeviceContext(mainWindow, mainDeviceContext)) {
        reportRelease("Release Device Context Failed.");
    }
    mainDeviceContext = nullptr;
    if (mainWindow != nullptr && !system.destroyWindow(mainWindow)) {
        reportRelease("Could Not Release hWnd.");
    }
    mainWindow = nullptr;
    if (!system.unregisterWindowClass(kClassName)) reportRelease("Could Not Unregister Class.");
}
