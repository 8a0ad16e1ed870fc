// brontavik-view's window on Windows: a Win32 window of its own class with
// a WGL context on the system's opengl32, made with the calls the show's
// window uses (RegisterClassA, CreateWindowExA, ChoosePixelFormat,
// wglCreateContext). Closing it posts WM_QUIT; the player's loop reads its
// input from the message queue.
#include <windows.h>
// GL/gl.h after windows.h, which declares what it needs.
#include <GL/gl.h>

#include "tools/view/gl_window.h"

namespace {

constexpr const char* kClassName = "BrontavikView";

LRESULT CALLBACK viewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // The loop ends and releases the context before the window goes.
            PostQuitMessage(0);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // GL paints every pixel
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool registerClass(std::string& error) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = viewWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    // The program's own icon (resource 1), as Explorer shows it.
    windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS)
        return true;
    error = "cannot register the window class (error " + std::to_string(GetLastError()) + ")";
    return false;
}

bool failWith(const std::string& what, GlWindow& out, std::string& error) {
    error = what + " (error " + std::to_string(GetLastError()) + ")";
    closeGlWindow(out);
    return false;
}

}  // namespace

bool openGlWindow(const std::string& title, int width, int height, bool hidden, GlWindow& out,
                  std::string& error) {
    if (!registerClass(error)) return false;
    const DWORD style = WS_OVERLAPPEDWINDOW;
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExA(0, kClassName, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    out.window = window;
    if (window == nullptr) return failWith("cannot open a window", out, error);
    HDC device = GetDC(window);
    out.device = device;
    if (device == nullptr) return failWith("cannot get the window's device context", out, error);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(device, &pfd);
    if (format == 0 || !SetPixelFormat(device, format, &pfd))
        return failWith("cannot find a pixel format for OpenGL", out, error);
    HGLRC context = wglCreateContext(device);
    out.context = context;
    if (context == nullptr) return failWith("cannot make a GL context", out, error);
    if (!wglMakeCurrent(device, context))
        return failWith("cannot make the GL context current", out, error);
    if (!hidden) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
    }
    return true;
}

void closeGlWindow(GlWindow& out) {
    HWND window = static_cast<HWND>(out.window);
    if (out.context != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(static_cast<HGLRC>(out.context));
    }
    if (out.device != nullptr) ReleaseDC(window, static_cast<HDC>(out.device));
    if (window != nullptr) DestroyWindow(window);
    out = {};
}
