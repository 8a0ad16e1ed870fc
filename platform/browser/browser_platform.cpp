#include "platform/browser/browser_platform.h"

#include <emscripten.h>
#include <emscripten/eventloop.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdio>
#include <deque>

#include "platform/browser/page_hooks.h"
#include "platform/browser/web_audio.h"
#include "platform/gl_layer/gl_layer.h"  // the browser build draws through the GL layer
#include "platform/gl_library.h"
#include "platform/sound_system.h"

namespace platform {
namespace {

constexpr const char* kCanvas = "#canvas";
// How long a lost GL context is waited for, while the page is shown.
constexpr double kContextWaitMilliseconds = 5000.0;

GlContext toGlContext(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle) {
    return reinterpret_cast<GlContext>(static_cast<std::intptr_t>(handle));
}
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE toHandle(GlContext context) {
    return static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(reinterpret_cast<std::intptr_t>(context));
}

class BrowserPlatform final : public Platform {
  public:
    bool registerWindowClass(const char*, WindowProc proc) override {
        proc_ = proc;
        return true;
    }

    bool unregisterWindowClass(const char*) override {
        if (proc_ == nullptr) return false;
        proc_ = nullptr;
        return true;
    }

    // The page can always show its canvas full-screen at 4:3 with black
    // bars: through the Fullscreen API, or by filling the window where the
    // browser has none or the page may not use it (an embedding frame);
    // the switch itself happens on the start gesture, which a browser asks for.
    bool changeDisplayMode(int width, int height, int bits) override {
        if (width <= 0 || height <= 0 || (bits != 32 && bits != 24)) return false;
        if (!pageFullscreenAvailable()) return false;
        fullscreenWanted_ = true;
        return true;
    }

    bool restoreDisplayMode() override {
        fullscreenWanted_ = false;
        leaveFullscreen();
        return true;
    }

    WindowHandle createWindow(const char*, const char* title, WindowStyle style, int, int,
                              int width, int height) override {
        if (proc_ == nullptr || window_ != nullptr) return nullptr;
        if (emscripten_set_canvas_element_size(kCanvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS)
            return nullptr;
        canvasWidth_ = width;
        canvasHeight_ = height;
        pageSetTitle(title);
        listen();
        // Fullscreen needs the start gesture's activation: asked for then.
        popup_ = style == WindowStyle::Popup;
        if (started_) enterFullscreen();
        window_ = &window_;
        return window_;
    }

    DeviceContext getDeviceContext(WindowHandle window) override {
        return window != nullptr && window == window_ ? window : nullptr;
    }

    int choosePixelFormat(DeviceContext dc, const PixelFormatRequest& request) override {
        if (dc == nullptr) return 0;
        const bool fits = request.drawToWindow && request.supportOpenGl &&
                          (request.colorBits == 32 || request.colorBits == 24) &&
                          request.depthBits <= 24 && request.stencilBits <= 8;
        return fits ? 1 : 0;
    }

    bool setPixelFormat(DeviceContext dc, int format, const PixelFormatRequest& request) override {
        if (dc == nullptr || format != 1) return false;
        request_ = request;
        return true;
    }

    GlContext createGlContext(DeviceContext dc) override {
        if (dc == nullptr) return nullptr;
        EmscriptenWebGLContextAttributes attributes;
        emscripten_webgl_init_context_attributes(&attributes);
        attributes.majorVersion = 2;
        attributes.minorVersion = 0;
        attributes.alpha = EM_FALSE;  // the canvas is opaque, as a window is
        attributes.depth = request_.depthBits > 0;
        attributes.stencil = request_.stencilBits > 0;
        attributes.antialias = EM_FALSE;
        attributes.premultipliedAlpha = EM_FALSE;
        attributes.preserveDrawingBuffer = EM_FALSE;
        const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
            emscripten_webgl_create_context(kCanvas, &attributes);
        if (context <= 0) {
            std::fprintf(stderr, "WebGL 2: no context (%d)\n", static_cast<int>(context));
            pageProblem(
                "This browser could not give the show WebGL 2 graphics, which it needs "
                "to draw.",
                "Open the page in a current Chrome, Edge, Firefox or Safari with "
                "hardware acceleration switched on in the browser's settings.");
            return nullptr;
        }
        emscripten_set_webglcontextlost_callback(kCanvas, this, EM_TRUE, &onContextLost);
        emscripten_set_webglcontextrestored_callback(kCanvas, this, EM_TRUE, &onContextRestored);
        return toGlContext(context);
    }

    bool makeCurrent(DeviceContext dc, GlContext context) override {
        if (context == nullptr) {
            emscripten_webgl_make_context_current(0);
            current_ = nullptr;
            return true;
        }
        if (dc == nullptr) return false;
        if (emscripten_webgl_make_context_current(toHandle(context)) != EMSCRIPTEN_RESULT_SUCCESS)
            return false;
        current_ = context;
        fitCanvas();
        return true;
    }

    bool deleteGlContext(GlContext context) override {
        if (context == nullptr) return false;
        if (context == current_) current_ = nullptr;
        return emscripten_webgl_destroy_context(toHandle(context)) == EMSCRIPTEN_RESULT_SUCCESS;
    }

    DeviceContext currentDeviceContext() override {
        return current_ != nullptr ? window_ : nullptr;
    }
    GlContext currentGlContext() override { return current_; }

    void showWindow(WindowHandle window) override {
        // The window procedure decides whether the screen saver may start.
        if (window != nullptr && proc_ != nullptr)
            queue_.push_back({WM_SYSCOMMAND, SC_SCREENSAVE, 0});
    }
    void setForegroundWindow(WindowHandle) override {}
    void setFocus(WindowHandle) override { pageFocusCanvas(); }

    void setWindowPosTopmost(WindowHandle window, int, int, int, int) override {
        // The window keeps its size whatever the canvas's drawing buffer.
        if (window != nullptr)
            queue_.push_back({WM_SIZE, 0, makeSizeParam(canvasWidth_, canvasHeight_)});
    }

    // A page has no windows above or below it: placing is the same.
    void setWindowPos(WindowHandle window, int x, int y, int width, int height) override {
        setWindowPosTopmost(window, x, y, width, height);
    }

    bool swapBuffers(DeviceContext dc) override {
        // WebGL presents when the animation frame returns. Key releases held
        // back so that a frame saw the key down go out now.
        if (dc == nullptr) return false;
        finishGlFrame();
        while (!heldBack_.empty()) {
            queue_.push_back(heldBack_.front());
            heldBack_.pop_front();
        }
        for (bool& seen : downSinceFrame_) seen = false;
        return true;
    }

    bool releaseDeviceContext(WindowHandle window, DeviceContext dc) override {
        return window != nullptr && window == dc;
    }

    bool destroyWindow(WindowHandle window) override {
        if (window == nullptr || window != window_) return false;
        stopListening();
        window_ = nullptr;
        return true;
    }

    void setWindowTitle(WindowHandle window, const char* title) override {
        if (window != nullptr) pageSetTitle(title);
    }

    // A browser offers no second surface sharing the canvas context's objects.
    OffscreenSurface createOffscreenSurface(int, int, GlContext) override { return {}; }

    bool peekMessage(Message& message) override {
        if (queue_.empty()) return false;
        message = queue_.front();
        queue_.pop_front();
        return true;
    }

    std::intptr_t dispatchMessage(const Message& message) override {
        if (proc_ == nullptr) return 0;
        return proc_(window_, message.message, message.wParam, message.lParam);
    }

    std::intptr_t defaultWindowProc(WindowHandle, std::uint32_t, std::uintptr_t,
                                    std::intptr_t) override {
        return 0;
    }

    void postQuitMessage(int exitCode) override {
        queue_.push_back({WM_QUIT, static_cast<std::uintptr_t>(exitCode), 0});
    }

    // A page cannot wait for an answer: the box is shown over the canvas
    // and written to the console, and the answer is the first button.
    BoxAnswer messageBox(const char* text, const char* caption, BoxButtons buttons,
                         BoxIcon) override {
        pageMessageBox(caption, text);
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }

    int showCursor(bool show) override {
        cursorCount_ += show ? 1 : -1;
        pageSetCursorHidden(cursorCount_ < 0);
        return cursorCount_;
    }

    void cursorPosition(int& x, int& y) override {
        x = cursorX_;
        y = cursorY_;
    }

    // Microseconds since the start gesture on performance.now(); 0 until
    // then, so that the clock the program started while it waited begins
    // with the music.
    std::int64_t performanceCounter() override {
        if (!started_) return 0;
        return static_cast<std::int64_t>(
            std::llround((emscripten_get_now() - startedAt_) * 1000.0));
    }
    std::int64_t performanceFrequency() override { return 1'000'000; }

    // The process end: the main loop stops, the sound with it, and the
    // page shows its end state; the module stays loaded but does nothing more.
    [[noreturn]] void exitProcess(int code) override {
        endShow(code);
        emscripten_unwind_to_js_event_loop();
    }

    void endShow(int code) {
        std::fflush(stdout);
        std::fflush(stderr);
        soundSystem().close();
        emscripten_cancel_main_loop();
        stopListening();
        leaveFullscreen();
        pageShowEnded(code);
    }

    void setPageLeaveHandler(void (*handler)()) { leaveHandler_ = handler; }

    void startShow() {
        if (started_) return;
        webAudioBegin();
        if (window_ != nullptr) enterFullscreen();
        started_ = true;
        startedAt_ = emscripten_get_now();
    }

    bool started() const { return started_; }

    bool fitCanvas() {
        if (window_ == nullptr || current_ == nullptr || lost_) return false;
        int width = 0, height = 0;
        if (!pageCanvasPixels(&width, &height)) return false;
        if (width == bufferWidth_ && height == bufferHeight_) return false;
        bufferWidth_ = width;
        bufferHeight_ = height;
        emscripten_set_canvas_element_size(kCanvas, width, height);
        // The browser may give the drawing buffer less than was asked for.
        pageDrawingBufferSize(&width, &height);
        gl_layer::setFraming(canvasWidth_, canvasHeight_, width, height);
        return true;
    }

  private:
    void enterFullscreen() {
        // A refusal leaves the canvas filling the page, the same picture.
        if (popup_ && fullscreenWanted_ && !inFullscreen_) pageSetFullscreen(true);
    }

    // Full screen, or the filled window, ends; leaving full screen on the
    // program's own word is not the viewer's Escape.
    void leaveFullscreen() {
        if (inFullscreen_) leavingFullscreen_ = true;
        pageSetFullscreen(false);
    }

    // The program draws while its window is not minimised: a hidden page
    // and a lost GL context both count as minimised.
    void reportActivity() {
        const bool minimised = hidden_ || lost_;
        if (minimised == minimisedReported_) return;
        minimisedReported_ = minimised;
        queue_.push_back({WM_ACTIVATE, makeActivateParam(!minimised, minimised), 0});
    }

    void stopListening() {
        emscripten_html5_remove_all_event_listeners();
        if (lostTimer_ != 0) emscripten_clear_timeout(lostTimer_);
        lostTimer_ = 0;
    }

    // The context is lost (the GPU process restarted, the driver reset, the
    // system took the memory back): taken in hand, so that the browser may
    // restore it; no frames until it is back.
    static EM_BOOL onContextLost(int, const void*, void* self) {
        auto& p = *static_cast<BrowserPlatform*>(self);
        p.lost_ = true;
        p.reportActivity();
        pageGraphicsLost(1);
        p.waitForContext();
        return EM_TRUE;
    }

    void waitForContext() {
        if (lostTimer_ != 0) emscripten_clear_timeout(lostTimer_);
        lostTimer_ = emscripten_set_timeout(&onContextWaitOver, kContextWaitMilliseconds, this);
    }

    static void onContextWaitOver(void* self) {
        auto& p = *static_cast<BrowserPlatform*>(self);
        p.lostTimer_ = 0;
        if (!p.lost_) return;
        // The time counts while the viewer can see the page.
        if (p.hidden_) return p.waitForContext();
        pageProblem(
            "The graphics stopped: the browser took the show's WebGL context away and "
            "did not give it back.",
            "Play again to start the show afresh. If this keeps happening, close other "
            "tabs or programs that use the graphics card, or reload the page.");
        p.endShow(0);
    }

    // Back, without any of its objects: the layer makes them again from
    // what it kept, the canvas is fitted again before the next frame, and
    // the show goes on where the music is, as after a minimised window.
    static EM_BOOL onContextRestored(int, const void*, void* self) {
        auto& p = *static_cast<BrowserPlatform*>(self);
        if (!p.lost_) return EM_TRUE;
        p.lost_ = false;
        if (p.lostTimer_ != 0) emscripten_clear_timeout(p.lostTimer_);
        p.lostTimer_ = 0;
        if (p.current_ != nullptr) {
            emscripten_webgl_make_context_current(toHandle(p.current_));
            gl_layer::rebuild();
            p.bufferWidth_ = 0;  // the next fitCanvas frames the picture again
        }
        pageGraphicsLost(0);
        p.reportActivity();
        return EM_TRUE;
    }

    void listen() {
        emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, &onKey);
        emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, this, EM_TRUE, &onKey);
        emscripten_set_mousemove_callback(kCanvas, this, EM_TRUE, &onMouseMove);
        emscripten_set_visibilitychange_callback(this, EM_TRUE, &onVisibility);
        emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, EM_TRUE,
                                                 &onFullscreen);
        emscripten_set_beforeunload_callback(this, &onLeave);
    }

    static EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void* self) {
        auto& p = *static_cast<BrowserPlatform*>(self);
        // Before the start gesture keys are the page's: a key starts the show.
        if (!p.started_) return EM_FALSE;
        const int vk = virtualKeyFromDom(static_cast<int>(event->keyCode));
        if (vk == 0) return EM_FALSE;
        if (type == EMSCRIPTEN_EVENT_KEYDOWN) {
            p.queue_.push_back({WM_KEYDOWN, static_cast<std::uintptr_t>(vk), 0});
            p.downSinceFrame_[vk] = true;
        } else {
            // A tap shorter than a frame still holds the key for one frame.
            const Message up{WM_KEYUP, static_cast<std::uintptr_t>(vk), 0};
            (p.downSinceFrame_[vk] ? p.heldBack_ : p.queue_).push_back(up);
        }
        // Keys that would scroll the page stay with the show.
        return vk == 0x20 || (vk >= 0x21 && vk <= 0x28);
    }

    static EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void* self) {
        auto& p = *static_cast<BrowserPlatform*>(self);
        double cssWidth = 0.0, cssHeight = 0.0;
        emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
        if (cssWidth <= 0.0 || cssHeight <= 0.0) return EM_FALSE;
        p.cursorX_ = static_cast<int>(event->targetX * p.canvasWidth_ / cssWidth);
        p.cursorY_ = static_cast<int>(event->targetY * p.canvasHeight_ / cssHeight);
        return EM_FALSE;
    }

    static EM_BOOL onVisibility(int, const EmscriptenVisibilityChangeEvent* event, void* self) {
        // A hidden page draws no frames, as a minimised window; the music
        // plays on, and the first frame after covers the whole pause.
        auto& p = *static_cast<BrowserPlatform*>(self);
        p.hidden_ = event->hidden != 0;
        p.reportActivity();
        return EM_FALSE;
    }

    static EM_BOOL onFullscreen(int, const EmscriptenFullscreenChangeEvent* event, void* self) {
        auto& p = *static_cast<BrowserPlatform*>(self);
        const bool wasFullscreen = p.inFullscreen_;
        p.inFullscreen_ = event->isFullscreen != 0;
        // The browser takes Escape to leave fullscreen and may keep the key
        // from the page: leaving it while the show runs is the viewer's
        // Escape, held one frame, unless the page's control or F key left it.
        if (wasFullscreen && !p.inFullscreen_ && !p.leavingFullscreen_ && p.started_ &&
            !pageFullscreenLeftByPage()) {
            p.queue_.push_back({WM_KEYDOWN, VK_ESCAPE, 0});
            p.heldBack_.push_back({WM_KEYUP, VK_ESCAPE, 0});
        }
        if (!p.inFullscreen_) p.leavingFullscreen_ = false;
        return EM_FALSE;
    }

    static const char* onLeave(int, const void*, void* self) {
        // Closing or leaving the page closes the window: the show ends now.
        auto& p = *static_cast<BrowserPlatform*>(self);
        p.queue_.push_back({WM_CLOSE, 0, 0});
        if (p.leaveHandler_ != nullptr) p.leaveHandler_();
        return nullptr;  // no "leave this page?" question
    }

    WindowProc proc_ = nullptr;
    WindowHandle window_ = nullptr;
    GlContext current_ = nullptr;
    PixelFormatRequest request_;
    int canvasWidth_ = 800;  // the window's size, which the program draws for
    int canvasHeight_ = 600;
    int bufferWidth_ = 0;  // the drawing buffer's size as last asked for
    int bufferHeight_ = 0;
    bool started_ = false;
    double startedAt_ = 0.0;
    bool hidden_ = false;
    bool lost_ = false;
    bool minimisedReported_ = false;
    long lostTimer_ = 0;
    bool popup_ = false;
    bool fullscreenWanted_ = false;
    bool inFullscreen_ = false;
    bool leavingFullscreen_ = false;
    int cursorCount_ = 0;
    int cursorX_ = 0;
    int cursorY_ = 0;
    bool downSinceFrame_[256] = {};
    std::deque<Message> queue_;
    std::deque<Message> heldBack_;
    void (*leaveHandler_)() = nullptr;
};

BrowserPlatform& instance() {
    static BrowserPlatform platform;
    return platform;
}

}  // namespace

int virtualKeyFromDom(int key) {
    // DOM key codes of these keys are the Windows virtual-key codes.
    if (key >= 'A' && key <= 'Z') return key;
    if (key >= '0' && key <= '9') return key;
    if (key >= 0x70 && key <= 0x7B) return key;  // F1 to F12
    switch (key) {
        case 0x1B:  // Escape
        case 0x0D:  // Enter
        case 0x20:  // Space
        case 0x08:  // Backspace
        case 0x09:  // Tab
        case 0x21:  // Page Up
        case 0x22:  // Page Down
        case 0x23:  // End
        case 0x24:  // Home
        case 0x25:  // arrows
        case 0x26:
        case 0x27:
        case 0x28:
        case 0x10:  // Shift
        case 0x11:  // Control
            return key;
        default:
            return 0;
    }
}

Platform& defaultPlatform() {
    return instance();
}

void setPageLeaveHandler(void (*handler)()) {
    instance().setPageLeaveHandler(handler);
}

void closePage() {
    instance().endShow(0);
}

void startShow() {
    instance().startShow();
}

bool showStarted() {
    return instance().started();
}

bool fitCanvas() {
    return instance().fitCanvas();
}

}  // namespace platform
