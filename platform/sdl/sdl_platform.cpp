#include "platform/sdl/sdl_platform.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "platform/box_announcement.h"
#include "platform/gl_library.h"

namespace platform {
namespace {

class SdlPlatform final : public Platform {
  public:
    bool registerWindowClass(const char*, WindowProc proc) override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
            std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
            return false;
        }
        // With no display SDL falls back to its offscreen driver; a window
        // nobody can see is a failure unless that driver was asked for.
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (driver != nullptr &&
            (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
            (asked == nullptr || std::strcmp(asked, driver) != 0)) {
            std::fprintf(stderr, "SDL: no display available\n");
            SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
            return false;
        }
        videoStarted_ = true;
        proc_ = proc;
        return true;
    }

    bool unregisterWindowClass(const char*) override {
        if (!videoStarted_) return false;
        proc_ = nullptr;
        return true;
    }

    bool changeDisplayMode(int width, int height, int bits) override {
        if (!videoStarted_) return false;
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
            if (mode.w != width || mode.h != height) continue;
            const int depth = SDL_BITSPERPIXEL(mode.format);
            const int stored = SDL_BYTESPERPIXEL(mode.format) * 8;
            if (depth == bits || (bits == 32 && depth == 24 && stored == 32)) {
                SDL_DisplayMode desktop;
                exclusiveMode_ = mode;
                // The desktop already in this mode needs no switch: a
                // borderless window over it is the same picture.
                needsSwitch_ = SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w != width ||
                               desktop.h != height;
                return true;
            }
        }
        return false;
    }

    bool restoreDisplayMode() override {
        if (switchedWindow_ != nullptr) {
            SDL_SetWindowFullscreen(switchedWindow_, 0);
            switchedWindow_ = nullptr;
        }
        needsSwitch_ = false;
        return true;
    }

    WindowHandle createWindow(const char*, const char* title, WindowStyle style, int x, int y,
                              int width, int height) override {
        if (!videoStarted_) return nullptr;
        requestDemoGlAttributes();
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        if (style == WindowStyle::Popup) {
            flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP;
            if (needsSwitch_) flags |= SDL_WINDOW_FULLSCREEN;
        }
        SDL_Window* window = SDL_CreateWindow(title, x, y, width, height, flags);
        if (window == nullptr) {
            std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
            return nullptr;
        }
        if (flags & SDL_WINDOW_FULLSCREEN) {
            SDL_SetWindowDisplayMode(window, &exclusiveMode_);
            switchedWindow_ = window;
        }
        mainWindow_ = window;
        clientSized_ = style == WindowStyle::Overlapped;
        return window;
    }

    DeviceContext getDeviceContext(WindowHandle window) override { return window; }

    int choosePixelFormat(DeviceContext dc, const PixelFormatRequest& request) override {
        if (dc == nullptr) return 0;
        const bool fits = request.drawToWindow && request.supportOpenGl &&
                          (request.colorBits == 32 || request.colorBits == 24) &&
                          request.depthBits <= 24 && request.stencilBits <= 8;
        return fits ? 1 : 0;
    }

    bool setPixelFormat(DeviceContext dc, int format, const PixelFormatRequest&) override {
        // The format was fixed when the window was created with its GL
        // attributes; only the one format chosen above is accepted.
        return dc != nullptr && format == 1;
    }

    GlContext createGlContext(DeviceContext dc) override {
        if (dc == nullptr) return nullptr;
        SDL_GLContext context = SDL_GL_CreateContext(static_cast<SDL_Window*>(dc));
        if (context == nullptr) std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return context;
    }

    bool makeCurrent(DeviceContext dc, GlContext context) override {
        if (SDL_GL_MakeCurrent(static_cast<SDL_Window*>(dc), context) != 0) return false;
        if (context != nullptr && dc == mainWindow_) requestVerticalSync();
        return true;
    }

    bool deleteGlContext(GlContext context) override {
        if (context == nullptr) return false;
        SDL_GL_DeleteContext(context);
        return true;
    }

    DeviceContext currentDeviceContext() override { return SDL_GL_GetCurrentWindow(); }
    GlContext currentGlContext() override { return SDL_GL_GetCurrentContext(); }

    void showWindow(WindowHandle window) override {
        SDL_ShowWindow(static_cast<SDL_Window*>(window));
        // The window procedure decides whether the screen saver may start.
        if (proc_ != nullptr) queue_.push_back({WM_SYSCOMMAND, SC_SCREENSAVE, 0});
    }
    void setForegroundWindow(WindowHandle window) override {
        SDL_RaiseWindow(static_cast<SDL_Window*>(window));
    }
    void setFocus(WindowHandle window) override {
        SDL_SetWindowInputFocus(static_cast<SDL_Window*>(window));
    }

    void setWindowPosTopmost(WindowHandle window, int x, int y, int width, int height) override {
        place(window, x, y, width, height, true);
    }

    void setWindowPos(WindowHandle window, int x, int y, int width, int height) override {
        place(window, x, y, width, height, false);
    }

    void place(WindowHandle window, int x, int y, int width, int height, bool onTop) {
        auto* w = static_cast<SDL_Window*>(window);
        if (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) return;
        // The size asked for is the outer size: a captioned window's client
        // area is smaller by its borders. An ordinary window's is its client
        // area, placed with its top-left corner at (x, y).
        int top = 0, left = 0, bottom = 0, right = 0;
        if (!(SDL_GetWindowFlags(w) & SDL_WINDOW_BORDERLESS) &&
            !(clientSized_ && w == mainWindow_)) {
            SDL_GetWindowBordersSize(w, &top, &left, &bottom, &right);
        }
        SDL_SetWindowAlwaysOnTop(w, onTop ? SDL_TRUE : SDL_FALSE);
        SDL_SetWindowSize(w, width - left - right, height - top - bottom);
        SDL_SetWindowPosition(w, x + left, y + top);
        SDL_ShowWindow(w);
        int clientWidth = 0, clientHeight = 0;
        SDL_GetWindowSize(w, &clientWidth, &clientHeight);
        queue_.push_back({WM_SIZE, 0, makeSizeParam(clientWidth, clientHeight)});
    }

    bool swapBuffers(DeviceContext dc) override {
        if (dc == nullptr) return false;
        finishGlFrame();
        SDL_GL_SwapWindow(static_cast<SDL_Window*>(dc));
        return true;
    }

    bool releaseDeviceContext(WindowHandle window, DeviceContext dc) override {
        return window != nullptr && window == dc;
    }

    bool destroyWindow(WindowHandle window) override {
        if (window == nullptr) return false;
        if (window == switchedWindow_) switchedWindow_ = nullptr;
        if (window == mainWindow_) mainWindow_ = nullptr;
        SDL_DestroyWindow(static_cast<SDL_Window*>(window));
        return true;
    }

    void setWindowTitle(WindowHandle window, const char* title) override {
        if (window != nullptr) SDL_SetWindowTitle(static_cast<SDL_Window*>(window), title);
    }

    OffscreenSurface createOffscreenSurface(int width, int height, GlContext share) override {
        OffscreenSurface result;
        SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
        SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
        if (!videoStarted_ || share == nullptr || previousContext != share) return result;
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        SDL_Window* surface =
            SDL_CreateWindow("", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        SDL_GLContext context = surface ? SDL_GL_CreateContext(surface) : nullptr;
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
        SDL_GL_MakeCurrent(previousWindow, previousContext);
        if (context == nullptr) {
            if (surface != nullptr) SDL_DestroyWindow(surface);
            return result;
        }
        result.surface = surface;
        result.deviceContext = surface;
        result.glContext = context;
        return result;
    }

    bool peekMessage(Message& message) override {
        while (queue_.empty()) {
            SDL_Event event;
            if (!videoStarted_ || SDL_PollEvent(&event) == 0) return false;
            translate(event);
        }
        message = queue_.front();
        queue_.pop_front();
        return true;
    }

    std::intptr_t dispatchMessage(const Message& message) override {
        if (proc_ == nullptr) return 0;
        return proc_(mainWindow_, message.message, message.wParam, message.lParam);
    }

    std::intptr_t defaultWindowProc(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t) override {
        if (message == WM_SYSCOMMAND && (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)) {
            SDL_EnableScreenSaver();
        }
        return 0;
    }

    void postQuitMessage(int exitCode) override {
        queue_.push_back({WM_QUIT, static_cast<std::uintptr_t>(exitCode), 0});
    }

    BoxAnswer messageBox(const char* text, const char* caption, BoxButtons buttons,
                         BoxIcon icon) override {
        const BoxAnswer first = firstButton(buttons);
        if (!announceBox(text, caption)) return first;
        SDL_MessageBoxButtonData yesNo[2] = {{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
                                             {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"}};
        SDL_MessageBoxButtonData ok[1] = {
            {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1,
             "OK"}};
        SDL_MessageBoxData data{};
        data.flags = icon == BoxIcon::Information ? SDL_MESSAGEBOX_INFORMATION
                     : icon == BoxIcon::Stop      ? SDL_MESSAGEBOX_ERROR
                                                  : SDL_MESSAGEBOX_WARNING;
        data.title = caption;
        data.message = text;
        data.numbuttons = buttons == BoxButtons::YesNo ? 2 : 1;
        data.buttons = buttons == BoxButtons::YesNo ? yesNo : ok;
        int pressed = -1;
        if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) return first;
        if (buttons == BoxButtons::Ok) return BoxAnswer::Ok;
        return pressed == 1 ? BoxAnswer::Yes : BoxAnswer::No;
    }

    int showCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
        return cursorCount_;
    }

    void cursorPosition(int& x, int& y) override {
        x = 0;
        y = 0;
        if (videoStarted_) SDL_GetGlobalMouseState(&x, &y);
    }

    std::int64_t performanceCounter() override {
        return static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    }
    std::int64_t performanceFrequency() override {
        return static_cast<std::int64_t>(SDL_GetPerformanceFrequency());
    }

    [[noreturn]] void exitProcess(int code) override {
        std::fflush(stdout);
        std::fflush(stderr);
        std::exit(code);
    }

  private:
    void translate(const SDL_Event& event) {
        switch (event.type) {
            case SDL_QUIT:
                queue_.push_back({WM_CLOSE, 0, 0});
                break;
            case SDL_WINDOWEVENT:
                translateWindowEvent(event.window);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                const bool down = event.type == SDL_KEYDOWN;
                const int vk = virtualKeyFromSdl(event.key.keysym.sym);
                if (event.key.keysym.mod & KMOD_ALT) {
                    // System keys go to the system: Alt+F4 closes the window.
                    if (down && event.key.keysym.sym == SDLK_F4) queue_.push_back({WM_CLOSE, 0, 0});
                    break;
                }
                if (vk != 0)
                    queue_.push_back(
                        {down ? WM_KEYDOWN : WM_KEYUP, static_cast<std::uintptr_t>(vk), 0});
                break;
            }
            default:
                break;
        }
    }

    void translateWindowEvent(const SDL_WindowEvent& event) {
        SDL_Window* window = SDL_GetWindowFromID(event.windowID);
        if (window == nullptr || window != mainWindow_) return;
        const bool minimised = (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
        switch (event.event) {
            case SDL_WINDOWEVENT_CLOSE:
                queue_.push_back({WM_CLOSE, 0, 0});
                break;
            case SDL_WINDOWEVENT_MINIMIZED:
                queue_.push_back({WM_ACTIVATE, makeActivateParam(false, true), 0});
                break;
            case SDL_WINDOWEVENT_RESTORED:
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                queue_.push_back({WM_ACTIVATE, makeActivateParam(true, minimised), 0});
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                queue_.push_back({WM_ACTIVATE, makeActivateParam(false, minimised), 0});
                break;
            case SDL_WINDOWEVENT_SIZE_CHANGED:
                queue_.push_back({WM_SIZE, 0, makeSizeParam(event.data1, event.data2)});
                break;
            default:
                break;
        }
    }

    // Presents the demo window's frames in step with the display, so none
    // tears: adaptive where the driver offers it (a late frame is shown at
    // once instead of waiting a whole refresh), else plain. The demo clock
    // follows the music whatever the frame rate. An offscreen window is
    // never shown: there it is switched off, so headless runs never wait.
    static void requestVerticalSync() {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver != nullptr && std::strcmp(driver, "offscreen") == 0) {
            SDL_GL_SetSwapInterval(0);
        } else if (SDL_GL_SetSwapInterval(-1) != 0) {
            SDL_GL_SetSwapInterval(1);
        }
    }

    bool videoStarted_ = false;
    WindowProc proc_ = nullptr;
    SDL_Window* mainWindow_ = nullptr;
    bool clientSized_ = false;  // the main window is an ordinary one (Overlapped)
    SDL_Window* switchedWindow_ = nullptr;
    SDL_DisplayMode exclusiveMode_{};
    bool needsSwitch_ = false;
    int cursorCount_ = 0;
    std::deque<Message> queue_;
};

}  // namespace

void requestDemoGlAttributes() {
    const GlLibrary gl = glLibrary();
    if (gl.es) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, gl.major);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, gl.minor);
    } else {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

int virtualKeyFromSdl(int key) {
    if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
    if (key >= '0' && key <= '9') return key;
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    switch (key) {
        case SDLK_ESCAPE:
            return 0x1B;
        case SDLK_RETURN:
            return 0x0D;
        case SDLK_SPACE:
            return 0x20;
        case SDLK_BACKSPACE:
            return 0x08;
        case SDLK_TAB:
            return 0x09;
        case SDLK_PAGEUP:
            return 0x21;
        case SDLK_PAGEDOWN:
            return 0x22;
        case SDLK_END:
            return 0x23;
        case SDLK_HOME:
            return 0x24;
        case SDLK_LEFT:
            return 0x25;
        case SDLK_UP:
            return 0x26;
        case SDLK_RIGHT:
            return 0x27;
        case SDLK_DOWN:
            return 0x28;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT:
            return 0x10;
        case SDLK_LCTRL:
        case SDLK_RCTRL:
            return 0x11;
        default:
            return 0;
    }
}

Platform& defaultPlatform() {
    static SdlPlatform instance;
    return instance;
}

}  // namespace platform
