#include "app/main_loop.h"

#include "app/main_window.h"
#include "runtime/driver/demo_driver.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"

using namespace platform;

bool openStartupWindow() {
    windowTopLeft = {0.0, 0.0, 0.0, 1};
    windowBottomRight = {800.0, 600.0, 0.0, 1};
    int width = 800, height = 600;
    if (lowResolution) {
        width = 512;
        height = 384;
    } else if (highResolution) {
        width = 1024;
        height = 768;
    }
    return createMainWindow(kWindowTitle, width, height, 32, fullscreen);
}

bool messageLoopPass(int& exitCode) {
    Platform& system = current();
    Message message;
    while (system.peekMessage(message)) {
        if (message.message == WM_QUIT) {
            releaseMainWindow();
            exitCode = static_cast<int>(message.wParam);
            return true;
        }
        system.dispatchMessage(message);
    }
    if (active) drawFrame();
    if (keys[VK_ESCAPE] && !ending) ending = true;
    system.swapBuffers(mainDeviceContext);
    return false;
}

int runMessageLoop() {
    int exitCode = 0;
    while (!messageLoopPass(exitCode)) {
    }
    return exitCode;
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
