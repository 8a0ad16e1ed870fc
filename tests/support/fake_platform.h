#pragma once
// A scripted Platform for tests: records every call in order, answers
// message boxes from a script, fails the operations named in `failing`, and
// ends the process (or throws ExitCalled) where the real one would exit.
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

struct ExitCalled {
    int code;
};

struct RecordedBox {
    std::string text;
    std::string caption;
    platform::BoxButtons buttons;
    platform::BoxIcon icon;
};

class FakePlatform : public platform::Platform {
  public:
    FakePlatform();
    ~FakePlatform() override;

    // Script.
    std::set<std::string> failing;               // operation names that fail
    std::deque<platform::BoxAnswer> boxAnswers;  // answers; empty: first button
    std::deque<platform::Message> messages;      // what peekMessage returns
    std::int64_t counter = 0;                    // performance counter value
    std::int64_t counterStep = 0;                // added after every reading
    std::int64_t frequency = 1000000;
    int cursorX = 0, cursorY = 0;
    int quitAfterIdlePasses = -1;  // >= 0: a WM_QUIT arrives after that many idle passes
    bool exitThrows = true;        // false: write "exit N" to stderr and _Exit(N)

    // Record.
    std::vector<std::string> calls;
    std::vector<RecordedBox> boxes;
    std::string title;
    int cursorCount = 0;
    platform::DeviceContext currentDc = nullptr;
    platform::GlContext currentContext = nullptr;
    platform::WindowProc proc = nullptr;

    bool called(const std::string& name) const;
    int countOf(const std::string& name) const;

    bool registerWindowClass(const char*, platform::WindowProc proc) override;
    bool unregisterWindowClass(const char*) override;
    bool changeDisplayMode(int width, int height, int bits) override;
    bool restoreDisplayMode() override;
    platform::WindowHandle createWindow(const char*, const char* title, platform::WindowStyle style,
                                        int x, int y, int width, int height) override;
    platform::DeviceContext getDeviceContext(platform::WindowHandle) override;
    int choosePixelFormat(platform::DeviceContext, const platform::PixelFormatRequest&) override;
    bool setPixelFormat(platform::DeviceContext, int, const platform::PixelFormatRequest&) override;
    platform::GlContext createGlContext(platform::DeviceContext) override;
    bool makeCurrent(platform::DeviceContext dc, platform::GlContext context) override;
    bool deleteGlContext(platform::GlContext) override;
    platform::DeviceContext currentDeviceContext() override { return currentDc; }
    platform::GlContext currentGlContext() override { return currentContext; }
    void showWindow(platform::WindowHandle) override;
    void setForegroundWindow(platform::WindowHandle) override;
    void setFocus(platform::WindowHandle) override;
    void setWindowPosTopmost(platform::WindowHandle, int x, int y, int w, int h) override;
    void setWindowPos(platform::WindowHandle, int x, int y, int w, int h) override;
    bool swapBuffers(platform::DeviceContext) override;
    bool releaseDeviceContext(platform::WindowHandle, platform::DeviceContext) override;
    bool destroyWindow(platform::WindowHandle) override;
    void setWindowTitle(platform::WindowHandle, const char* title) override;
    platform::OffscreenSurface createOffscreenSurface(int, int, platform::GlContext) override;
    bool peekMessage(platform::Message& message) override;
    std::intptr_t dispatchMessage(const platform::Message& message) override;
    std::intptr_t defaultWindowProc(platform::WindowHandle, std::uint32_t, std::uintptr_t,
                                    std::intptr_t) override;
    void postQuitMessage(int exitCode) override;
    platform::BoxAnswer messageBox(const char* text, const char* caption,
                                   platform::BoxButtons buttons, platform::BoxIcon icon) override;
    int showCursor(bool show) override;
    void cursorPosition(int& x, int& y) override;
    std::int64_t performanceCounter() override;
    std::int64_t performanceFrequency() override;
    [[noreturn]] void exitProcess(int code) override;

  private:
    bool ok(const std::string& name);
    platform::Platform* previous_;
};
