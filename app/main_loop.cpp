#include "app/main_loop.h"

#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "app/startup_options.h"
#include "app/window_state.h"
#include "runtime/demo_driver.h"

using namespace platform;

int WinMain() {
    windowTopLeft = {0.0, 0.0, 0.0, 1};
    windowBottomRight = {800.0, 600.0, 0.0, 1};
    if (askSettings) {
        runSettingsDialog();  // may change fullscreen and the other options
    }
    int width = 800, height = 600;
    if (lowResolution) {
        width = 512;
        height = 384;
    } else if (highResolution) {
        width = 1024;
        height = 768;
    }
    if (!createMainWindow(kWindowTitle, width, height, 32, fullscreen)) return 0;
    return runMessageLoop();
}

int runMessageLoop() {
    Platform& system = current();
    for (;;) {
        Message message;
        if (system.peekMessage(message)) {
            if (message.message == WM_QUIT) {
                releaseMainWindow();
                return static_cast<int>(message.wParam);
            }
            system.dispatchMessage(message);
            continue;
        }
        if (active) drawFrame();
        if (keys[VK_ESCAPE] && !ending) ending = true;
        system.swapBuffers(mainDeviceContext);
    }
}

std::intptr_t mainWindowProc(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    switch (message) {
        case WM_ACTIVATE:
            // Only the minimised flag in the high word matters.
            active = ((wParam >> 16) & 0xFFFF) == 0;
            return 0;
        case WM_SYSCOMMAND:
            if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
            break;
        case WM_CLOSE:
            current().postQuitMessage(0);
            return 0;
        case WM_KEYDOWN:
            if (wParam < 256) keys[wParam] = true;
            return 0;
        case WM_KEYUP:
            if (wParam < 256) keys[wParam] = false;
            return 0;
        case WM_SIZE:
            resizeViewport(static_cast<int>(lParam & 0xFFFF),
                           static_cast<int>((lParam >> 16) & 0xFFFF));
            return 0;
        default:
            break;
    }
    return current().defaultWindowProc(window, message, wParam, lParam);
}
