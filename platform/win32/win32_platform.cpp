// The Windows build of the platform: every call goes to the Win32, GDI and
// WGL function of the same name. Its one process-wide instance is
// defaultPlatform().
#include <windows.h>
// GL/gl.h after windows.h, which declares what it needs.
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>

#include "platform/box_announcement.h"
#include "platform/platform.h"
#include "platform/win32/wgl_pbuffer.h"

namespace platform {
namespace {

// The program's window procedure, as registered with the class.
WindowProc programProc = nullptr;

// The system's window procedure for the class: hands each message, as the
// system sent it, to the program's own procedure.
LRESULT CALLBACK forwardingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (programProc == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    return programProc(window, message, wParam, lParam);
}

bool environmentFlag(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0' && value[0] != '0';
}

// The capture tool draws into a window nobody sees (BRONTAVIK_HIDDEN_WINDOW=1):
// it is never shown, raised or given the focus.
bool windowHidden() {
    return environmentFlag("BRONTAVIK_HIDDEN_WINDOW");
}

// The pixel-format request as the system takes it: every colour, shift,
// alpha and accumulation field 0, the main plane.
PIXELFORMATDESCRIPTOR descriptorFor(const PixelFormatRequest& request) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = (request.drawToWindow ? PFD_DRAW_TO_WINDOW : 0) |
                  (request.supportOpenGl ? PFD_SUPPORT_OPENGL : 0) |
                  (request.doubleBuffer ? PFD_DOUBLEBUFFER : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = static_cast<BYTE>(request.colorBits);
    pfd.cDepthBits = static_cast<BYTE>(request.depthBits);
    pfd.cStencilBits = static_cast<BYTE>(request.stencilBits);
    pfd.cAuxBuffers = 0;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

UINT boxStyle(BoxButtons buttons, BoxIcon icon) {
    const UINT kind = buttons == BoxButtons::YesNo ? MB_YESNO : MB_OK;
    const UINT symbol = icon == BoxIcon::Stop          ? MB_ICONSTOP
                        : icon == BoxIcon::Information ? MB_ICONINFORMATION
                                                       : MB_ICONEXCLAMATION;
    return kind | symbol;
}

class Win32Platform final : public Platform {
  public:
    bool registerWindowClass(const char* className, WindowProc proc) override {
        WNDCLASSA windowClass{};
        windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
        windowClass.lpfnWndProc = forwardingWindowProc;
        windowClass.cbClsExtra = 0;
        windowClass.cbWndExtra = 0;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = nullptr;
        windowClass.lpszMenuName = nullptr;
        windowClass.lpszClassName = className;
        programProc = proc;
        return RegisterClassA(&windowClass) != 0;
    }

    bool unregisterWindowClass(const char* className) override {
        return UnregisterClassA(className, GetModuleHandleA(nullptr)) != 0;
    }

    bool changeDisplayMode(int width, int height, int bits) override {
        DEVMODEA mode{};
        mode.dmSize = sizeof(DEVMODEA);
        mode.dmPelsWidth = static_cast<DWORD>(width);
        mode.dmPelsHeight = static_cast<DWORD>(height);
        mode.dmBitsPerPel = static_cast<DWORD>(bits);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    }

    bool restoreDisplayMode() override {
        return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL;
    }

    WindowHandle createWindow(const char* className, const char* title, WindowStyle style, int x,
                              int y, int width, int height) override {
        // An ordinary window (Overlapped) has a caption, a task-bar button and
        // a client area of the size asked for; the show's keep their styles.
        const bool ordinary = style == WindowStyle::Overlapped;
        const DWORD windowStyle = style == WindowStyle::Popup ? WS_POPUP
                                  : ordinary
                                      ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX
                                      : WS_SYSMENU;
        const DWORD extendedStyle = ordinary ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
        RECT rectangle{0, 0, width, height};
        AdjustWindowRectEx(&rectangle, windowStyle, FALSE, WS_EX_APPWINDOW);
        window_ = CreateWindowExA(
            extendedStyle, className, title, windowStyle, x, y, rectangle.right - rectangle.left,
            rectangle.bottom - rectangle.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        clientSized_ = ordinary;
        return window_;
    }

    DeviceContext getDeviceContext(WindowHandle window) override {
        return GetDC(static_cast<HWND>(window));
    }

    int choosePixelFormat(DeviceContext dc, const PixelFormatRequest& request) override {
        const PIXELFORMATDESCRIPTOR pfd = descriptorFor(request);
        return ChoosePixelFormat(static_cast<HDC>(dc), &pfd);
    }

    bool setPixelFormat(DeviceContext dc, int format, const PixelFormatRequest& request) override {
        const PIXELFORMATDESCRIPTOR pfd = descriptorFor(request);
        return SetPixelFormat(static_cast<HDC>(dc), format, &pfd) != FALSE;
    }

    GlContext createGlContext(DeviceContext dc) override {
        return wglCreateContext(static_cast<HDC>(dc));
    }

    bool makeCurrent(DeviceContext dc, GlContext context) override {
        return wglMakeCurrent(static_cast<HDC>(dc), static_cast<HGLRC>(context)) != FALSE;
    }

    bool deleteGlContext(GlContext context) override {
        return wglDeleteContext(static_cast<HGLRC>(context)) != FALSE;
    }

    DeviceContext currentDeviceContext() override { return wglGetCurrentDC(); }
    GlContext currentGlContext() override { return wglGetCurrentContext(); }

    void showWindow(WindowHandle window) override {
        if (!windowHidden()) ShowWindow(static_cast<HWND>(window), SW_SHOW);
    }
    void setForegroundWindow(WindowHandle window) override {
        if (!windowHidden()) SetForegroundWindow(static_cast<HWND>(window));
    }
    void setFocus(WindowHandle window) override {
        if (!windowHidden()) SetFocus(static_cast<HWND>(window));
    }

    void setWindowPosTopmost(WindowHandle window, int x, int y, int width, int height) override {
        const UINT show = windowHidden() ? SWP_NOACTIVATE : SWP_SHOWWINDOW;
        SetWindowPos(static_cast<HWND>(window), HWND_TOPMOST, x, y, width, height, show);
    }

    void setWindowPos(WindowHandle window, int x, int y, int width, int height) override {
        const UINT show = windowHidden() ? SWP_NOACTIVATE : SWP_SHOWWINDOW;
        if (clientSized_ && window == window_) {
            // The size is the client area's: grown by the caption and borders.
            RECT rectangle{0, 0, width, height};
            const auto style = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
            const auto extended = static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE));
            AdjustWindowRectEx(&rectangle, style, FALSE, extended);
            width = rectangle.right - rectangle.left;
            height = rectangle.bottom - rectangle.top;
        }
        SetWindowPos(static_cast<HWND>(window), HWND_NOTOPMOST, x, y, width, height, show);
    }

    bool swapBuffers(DeviceContext dc) override {
        return SwapBuffers(static_cast<HDC>(dc)) != FALSE;
    }

    bool releaseDeviceContext(WindowHandle window, DeviceContext dc) override {
        return ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(dc)) == 1;
    }

    bool destroyWindow(WindowHandle window) override {
        if (window == window_) window_ = nullptr;
        return DestroyWindow(static_cast<HWND>(window)) != FALSE;
    }

    void setWindowTitle(WindowHandle window, const char* title) override {
        SetWindowTextA(static_cast<HWND>(window), title);
    }

    OffscreenSurface createOffscreenSurface(int width, int height, GlContext share) override {
        if (share == nullptr || share != wglGetCurrentContext()) return {};
        return createPbuffer(width, height, static_cast<HGLRC>(share));
    }

    bool peekMessage(Message& message) override {
        if (!PeekMessageA(&taken_, nullptr, 0, 0, PM_REMOVE)) return false;
        message = {taken_.message, taken_.wParam, taken_.lParam};
        return true;
    }

    std::intptr_t dispatchMessage(const Message& message) override {
        // The message as the system queued it (its window, time and cursor
        // position too); one that did not come from the queue goes to the
        // program's window.
        MSG full = taken_;
        if (full.message != message.message || full.wParam != message.wParam ||
            full.lParam != message.lParam) {
            full = MSG{};
            full.hwnd = window_;
            full.message = message.message;
            full.wParam = message.wParam;
            full.lParam = message.lParam;
        }
        TranslateMessage(&full);
        return DispatchMessageA(&full);
    }

    std::intptr_t defaultWindowProc(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) override {
        return DefWindowProcA(static_cast<HWND>(window), message, wParam, lParam);
    }

    void postQuitMessage(int exitCode) override { PostQuitMessage(exitCode); }

    BoxAnswer messageBox(const char* text, const char* caption, BoxButtons buttons,
                         BoxIcon icon) override {
        const BoxAnswer first = firstButton(buttons);
        if (!announceBox(text, caption)) return first;
        switch (MessageBoxA(nullptr, text, caption, boxStyle(buttons, icon))) {
            case IDYES:
                return BoxAnswer::Yes;
            case IDNO:
                return BoxAnswer::No;
            case IDOK:
                return BoxAnswer::Ok;
            default:
                return first;  // no box could be shown
        }
    }

    int showCursor(bool show) override { return ShowCursor(show ? TRUE : FALSE); }

    void cursorPosition(int& x, int& y) override {
        POINT point{0, 0};
        GetCursorPos(&point);
        x = point.x;
        y = point.y;
    }

    std::int64_t performanceCounter() override {
        LARGE_INTEGER count;
        QueryPerformanceCounter(&count);
        return count.QuadPart;
    }
    std::int64_t performanceFrequency() override {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return frequency.QuadPart;
    }

    [[noreturn]] void exitProcess(int code) override {
        std::fflush(nullptr);
        // The system ends the sound threads with the process.
        ExitProcess(static_cast<UINT>(code));
    }

  private:
    MSG taken_{};
    HWND window_ = nullptr;     // the last window created
    bool clientSized_ = false;  // it is an ordinary one (Overlapped)
};

}  // namespace

Platform& defaultPlatform() {
    static Win32Platform instance;
    return instance;
}

}  // namespace platform
