#pragma once
// The seam between the demo and the system it runs on. Every effect the
// program has on the outside world (windows, display modes, GL contexts,
// message boxes, cursor, title, timer, process exit) goes through the one
// Platform installed with setPlatform(); the default is the build the
// executable links (platform/sdl, platform/browser, ...), and tests install
// a scripted one.
#include <cstdint>
#include <string>

#include "platform/messages.h"

namespace platform {

// Opaque handles. In the SDL build a window and its device context are the
// same SDL window; a GL context is an SDL GL context.
using WindowHandle = void*;
using DeviceContext = void*;
using GlContext = void*;
using WindowProc = std::intptr_t (*)(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam);

// What the program asks of a pixel format (the fields it fills).
struct PixelFormatRequest {
    int colorBits = 32;
    int depthBits = 24;
    int stencilBits = 8;
    bool doubleBuffer = true;
    bool drawToWindow = true;
    bool supportOpenGl = true;
};

// Popup: the fullscreen window. SystemMenu: the show's windowed fallback, a
// captioned tool window whose given size is its outer size. Overlapped: an
// ordinary window for makers' programs (captioned, movable, in the task bar)
// whose given size, here and in setWindowPos, is its client area, so the
// whole picture shows.
enum class WindowStyle { Popup, SystemMenu, Overlapped };

// Message-box icons and buttons: the caller's values are passed through so
// tests can check them.
enum class BoxIcon { Exclamation, Stop, Information };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

// The offscreen surface with its own GL context sharing objects with the
// window's context; all null when the system offers none.
struct OffscreenSurface {
    void* surface = nullptr;
    DeviceContext deviceContext = nullptr;
    GlContext glContext = nullptr;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Window class and display mode.
    virtual bool registerWindowClass(const char* className, WindowProc proc) = 0;
    virtual bool unregisterWindowClass(const char* className) = 0;
    // Succeeds only when the exact mode exists (a 24-bit-deep mode stored in
    // 32-bit pixels counts as 32 bits).
    virtual bool changeDisplayMode(int width, int height, int bitsPerPixel) = 0;
    virtual bool restoreDisplayMode() = 0;

    // Window and GL context.
    virtual WindowHandle createWindow(const char* className, const char* title, WindowStyle style,
                                      int x, int y, int width, int height) = 0;
    virtual DeviceContext getDeviceContext(WindowHandle window) = 0;
    virtual int choosePixelFormat(DeviceContext dc, const PixelFormatRequest& request) = 0;
    virtual bool setPixelFormat(DeviceContext dc, int format,
                                const PixelFormatRequest& request) = 0;
    virtual GlContext createGlContext(DeviceContext dc) = 0;
    virtual bool makeCurrent(DeviceContext dc, GlContext context) = 0;
    virtual bool deleteGlContext(GlContext context) = 0;
    virtual DeviceContext currentDeviceContext() = 0;
    virtual GlContext currentGlContext() = 0;
    virtual void showWindow(WindowHandle window) = 0;
    virtual void setForegroundWindow(WindowHandle window) = 0;
    virtual void setFocus(WindowHandle window) = 0;
    // Places the window and keeps it above all others.
    virtual void setWindowPosTopmost(WindowHandle window, int x, int y, int width, int height) = 0;
    // Places the window as an ordinary one, which others may cover.
    virtual void setWindowPos(WindowHandle window, int x, int y, int width, int height) = 0;
    virtual bool swapBuffers(DeviceContext dc) = 0;
    virtual bool releaseDeviceContext(WindowHandle window, DeviceContext dc) = 0;
    virtual bool destroyWindow(WindowHandle window) = 0;
    virtual void setWindowTitle(WindowHandle window, const char* title) = 0;
    // Creates the offscreen surface sharing objects with `share`; leaves the
    // current context unchanged. Returns all null when none can be made.
    virtual OffscreenSurface createOffscreenSurface(int width, int height, GlContext share) = 0;

    // Messages: takes the next waiting message, if any (non-blocking).
    virtual bool peekMessage(Message& message) = 0;
    // Hands a message to the registered window procedure.
    virtual std::intptr_t dispatchMessage(const Message& message) = 0;
    // What the system does with a message the window procedure leaves alone.
    virtual std::intptr_t defaultWindowProc(WindowHandle window, std::uint32_t message,
                                            std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual void postQuitMessage(int exitCode) = 0;

    // Message boxes: exact text and caption, also written to standard error.
    // Where no box can be shown the answer is the first button.
    virtual BoxAnswer messageBox(const char* text, const char* caption, BoxButtons buttons,
                                 BoxIcon icon) = 0;

    // Cursor: ShowCursor's display count semantics.
    virtual int showCursor(bool show) = 0;
    virtual void cursorPosition(int& x, int& y) = 0;

    // Performance counter.
    virtual std::int64_t performanceCounter() = 0;
    virtual std::int64_t performanceFrequency() = 0;

    // Ends the process with this exit code; never returns.
    [[noreturn]] virtual void exitProcess(int code) = 0;
};

// The installed platform (the linked build's default unless a test
// installed another).
Platform& current();
// Installs `p` (not owned) and returns the previous one.
Platform* setPlatform(Platform* p);

// The process-wide platform of the build the executable links: each build
// folder (sdl/, browser/, ...) defines it, and an executable links exactly
// one build (brontavik_link_platform in CMake).
Platform& defaultPlatform();

}  // namespace platform
