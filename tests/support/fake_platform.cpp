#include "tests/support/fake_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace platform;

namespace {
// Distinct non-null handles for the fake's objects.
int windowObject, dcObject, contextObject, offscreenObject, offscreenDc, offscreenContext;
}  // namespace

FakePlatform::FakePlatform() : previous_(setPlatform(this)) {}
FakePlatform::~FakePlatform() {
    setPlatform(previous_);
}

bool FakePlatform::called(const std::string& name) const {
    return countOf(name) > 0;
}
int FakePlatform::countOf(const std::string& name) const {
    return static_cast<int>(std::count(calls.begin(), calls.end(), name));
}

bool FakePlatform::ok(const std::string& name) {
    calls.push_back(name);
    return failing.count(name) == 0;
}

bool FakePlatform::registerWindowClass(const char*, WindowProc p) {
    if (!ok("registerWindowClass")) return false;
    proc = p;
    return true;
}
bool FakePlatform::unregisterWindowClass(const char*) {
    return ok("unregisterWindowClass");
}
bool FakePlatform::changeDisplayMode(int width, int height, int bits) {
    return ok("changeDisplayMode " + std::to_string(width) + "x" + std::to_string(height) + "x" +
              std::to_string(bits)) &&
           failing.count("changeDisplayMode") == 0;
}
bool FakePlatform::restoreDisplayMode() {
    return ok("restoreDisplayMode");
}
WindowHandle FakePlatform::createWindow(const char*, const char* t, WindowStyle style, int x, int y,
                                        int w, int h) {
    const bool fine = ok("createWindow");
    const char* kind = style == WindowStyle::Popup        ? "popup "
                       : style == WindowStyle::SystemMenu ? "captioned "
                                                          : "overlapped ";
    calls.push_back(std::string(kind) + std::to_string(x) + "," + std::to_string(y) + " " +
                    std::to_string(w) + "x" + std::to_string(h));
    title = t;
    return fine ? &windowObject : nullptr;
}
DeviceContext FakePlatform::getDeviceContext(WindowHandle) {
    return ok("getDeviceContext") ? &dcObject : nullptr;
}
int FakePlatform::choosePixelFormat(DeviceContext, const PixelFormatRequest&) {
    return ok("choosePixelFormat") ? 1 : 0;
}
bool FakePlatform::setPixelFormat(DeviceContext, int, const PixelFormatRequest&) {
    return ok("setPixelFormat");
}
GlContext FakePlatform::createGlContext(DeviceContext) {
    return ok("createGlContext") ? &contextObject : nullptr;
}
bool FakePlatform::makeCurrent(DeviceContext dc, GlContext context) {
    if (!ok(dc == nullptr ? "makeCurrent null" : "makeCurrent")) return false;
    currentDc = dc;
    currentContext = context;
    return true;
}
bool FakePlatform::deleteGlContext(GlContext) {
    return ok("deleteGlContext");
}
void FakePlatform::showWindow(WindowHandle) {
    ok("showWindow");
}
void FakePlatform::setForegroundWindow(WindowHandle) {
    ok("setForegroundWindow");
}
void FakePlatform::setFocus(WindowHandle) {
    ok("setFocus");
}
void FakePlatform::setWindowPosTopmost(WindowHandle, int x, int y, int w, int h) {
    ok("setWindowPosTopmost " + std::to_string(x) + "," + std::to_string(y) + " " +
       std::to_string(w) + "x" + std::to_string(h));
}
void FakePlatform::setWindowPos(WindowHandle, int x, int y, int w, int h) {
    ok("setWindowPos " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) +
       "x" + std::to_string(h));
}
bool FakePlatform::swapBuffers(DeviceContext) {
    return ok("swapBuffers");
}
bool FakePlatform::releaseDeviceContext(WindowHandle, DeviceContext) {
    return ok("releaseDeviceContext");
}
bool FakePlatform::destroyWindow(WindowHandle) {
    return ok("destroyWindow");
}
void FakePlatform::setWindowTitle(WindowHandle, const char* t) {
    ok("setWindowTitle");
    title = t;
}
OffscreenSurface FakePlatform::createOffscreenSurface(int, int, GlContext) {
    if (!ok("createOffscreenSurface")) return {};
    return {&offscreenObject, &offscreenDc, &offscreenContext};
}
bool FakePlatform::peekMessage(Message& message) {
    calls.push_back("peekMessage");
    if (messages.empty()) {
        if (quitAfterIdlePasses == 0) {
            quitAfterIdlePasses = -1;
            message = {WM_QUIT, 0, 0};
            return true;
        }
        if (quitAfterIdlePasses > 0) --quitAfterIdlePasses;
        return false;
    }
    message = messages.front();
    messages.pop_front();
    return true;
}
std::intptr_t FakePlatform::dispatchMessage(const Message& message) {
    calls.push_back("dispatchMessage");
    return proc ? proc(&windowObject, message.message, message.wParam, message.lParam) : 0;
}
std::intptr_t FakePlatform::defaultWindowProc(WindowHandle, std::uint32_t, std::uintptr_t,
                                              std::intptr_t) {
    calls.push_back("defaultWindowProc");
    return 0;
}
void FakePlatform::postQuitMessage(int exitCode) {
    calls.push_back("postQuitMessage");
    messages.push_back({WM_QUIT, static_cast<std::uintptr_t>(exitCode), 0});
}
BoxAnswer FakePlatform::messageBox(const char* text, const char* caption, BoxButtons buttons,
                                   BoxIcon icon) {
    calls.push_back("messageBox");
    boxes.push_back({text, caption, buttons, icon});
    std::fprintf(stderr, "%s: %s\n", caption, text);
    if (boxAnswers.empty()) return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    const BoxAnswer answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}
int FakePlatform::showCursor(bool show) {
    calls.push_back(show ? "showCursor true" : "showCursor false");
    cursorCount += show ? 1 : -1;
    return cursorCount;
}
void FakePlatform::cursorPosition(int& x, int& y) {
    calls.push_back("cursorPosition");
    x = cursorX;
    y = cursorY;
}
std::int64_t FakePlatform::performanceCounter() {
    const std::int64_t value = counter;
    counter += counterStep;
    return value;
}
std::int64_t FakePlatform::performanceFrequency() {
    return frequency;
}
void FakePlatform::exitProcess(int code) {
    calls.push_back("exitProcess " + std::to_string(code));
    if (exitThrows) throw ExitCalled{code};
    std::fprintf(stderr, "exit %d\n", code);
    std::fflush(stderr);
    std::_Exit(code);
}
