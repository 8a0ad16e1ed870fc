// brontavik-view FILE.3ds on Windows: plays a 3DS scene in a Win32 window
// with WGL, or writes a still or timings of it through a hidden window, as
// brontavik-capture.exe does. A console program, like the capture tool, so
// its messages reach the command prompt; started from Explorer it shows
// them in a box too, since its console closes with it. Videos need ffmpeg
// and the fixed-function layer is not in this build: both are refused.
#include <windows.h>
// windowsx.h after windows.h, which it builds on.
#include <windowsx.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "platform/gl_library.h"
#include "runtime/render_context.h"
#include "scene3ds_player/frame_rate.h"
#include "scene3ds_player/scene_player.h"
#include "tools/view/gl_window.h"
#include "tools/view/view_help.h"
#include "tools/view/view_options.h"
#include "tools/view/view_output.h"
#include "tools/view/view_run.h"

namespace {

const ViewHelp kHelp(
    "--png OUT | --bench N", "",
    "Not in the Windows build: --video, which needs ffmpeg (write the frames with --png and\n"
    "--frame N and encode them, or make the video with brontavik-view on Linux), and --gl\n"
    "layer (this build draws with the system's OpenGL).\n");

// The console closes with the program when nobody else is attached to it
// (it was started from Explorer, or a file was dropped on it): the message
// is shown in a box as well, unless boxes are switched off for tests.
void alertWhenAlone(const std::string& message) {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1) return;
    const char* off = std::getenv("BRONTAVIK_NO_MESSAGE_BOXES");
    if (off != nullptr && off[0] != '\0' && off[0] != '0') return;
    MessageBoxA(nullptr, message.c_str(), "brontavik-view", MB_OK | MB_ICONEXCLAMATION);
}

int fail(const std::string& message) {
    alertWhenAlone(message);
    return failView(message);
}

int badArguments(const std::string& problem) {
    alertWhenAlone(problem + "\n\nUsage: brontavik-view " + kHelp.help().usage);
    return command_line::badArguments(kHelp.help(), problem);
}

std::optional<PlayerKey> playerKey(WPARAM key) {
    switch (key) {
        case VK_SPACE:
            return PlayerKey::Space;
        case VK_LEFT:
            return PlayerKey::Left;
        case VK_RIGHT:
            return PlayerKey::Right;
        case VK_TAB:
            return PlayerKey::Tab;
        case 'F':
            return PlayerKey::F;
        case 'T':
            return PlayerKey::T;
        case 'L':
            return PlayerKey::L;
        case 'W':
            return PlayerKey::W;
        case 'N':
            return PlayerKey::N;
        case 'B':
            return PlayerKey::B;
        case VK_ESCAPE:
            return PlayerKey::Escape;
        default:
            return std::nullopt;
    }
}

// What the player makes of one message from the queue: keys, a drag with
// the left button (the mouse is captured while it lasts), the wheel, and
// WM_QUIT (the window was closed). Returns false for messages it leaves to
// the window.
struct Mouse {
    bool dragging = false;
    POINT last{0, 0};
};

bool takeInput(const MSG& message, ScenePlayer& player, Mouse& mouse) {
    const POINT at{GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
    switch (message.message) {
        case WM_QUIT:
            player.apply(PlayerAction::Quit);
            return true;
        case WM_KEYDOWN:
            if (auto key = playerKey(message.wParam))
                if (auto action = actionForKey(*key)) player.apply(*action);
            return true;
        case WM_LBUTTONDOWN:
            mouse.dragging = true;
            mouse.last = at;
            SetCapture(message.hwnd);
            return true;
        case WM_LBUTTONUP:
            mouse.dragging = false;
            ReleaseCapture();
            return true;
        case WM_MOUSEMOVE:
            if (mouse.dragging) player.orbit(at.x - mouse.last.x, at.y - mouse.last.y);
            mouse.last = at;
            return true;
        case WM_MOUSEWHEEL:
            player.zoom(static_cast<double>(GET_WHEEL_DELTA_WPARAM(message.wParam)) / WHEEL_DELTA);
            return true;
        default:
            return false;
    }
}

// Waits for the display between frames where the driver offers it
// (WGL_EXT_swap_control), so the player does not draw frames nobody sees.
void syncToDisplay() {
    using SwapInterval = BOOL(WINAPI*)(int);
    if (auto set = reinterpret_cast<SwapInterval>(
            reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT"))))
        set(1);
}

// Plays in `window`, opened for the player.
int playInWindow(ScenePlayer& player, GlWindow& window) {
    HWND hwnd = static_cast<HWND>(window.window);
    std::vector<std::string> warnings;
    player.setUpGl(renderContext(), warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "brontavik-view: %s\n", w.c_str());
    syncToDisplay();
    LARGE_INTEGER frequency, last, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&last);
    FrameRateMeter rate;
    Mouse mouse;
    while (!player.quitRequested()) {
        MSG message;
        while (!player.quitRequested() && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (takeInput(message, player, mouse)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        QueryPerformanceCounter(&now);
        const double step = static_cast<double>(now.QuadPart - last.QuadPart) / frequency.QuadPart;
        last = now;
        player.advance(step);
        RECT client{};
        GetClientRect(hwnd, &client);
        if (client.right <= 0 || client.bottom <= 0) {
            Sleep(20);  // minimised: nothing to draw
            continue;
        }
        player.draw(client.right, client.bottom);
        platform::finishGlFrame();
        SwapBuffers(static_cast<HDC>(window.device));
        SetWindowTextA(hwnd, player.title(rate.add(step)).c_str());
    }
    closeGlWindow(window);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    BenchTimes times;
    times.started = std::chrono::steady_clock::now();
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp.help()))
        return *answered;
    ViewOptions options;
    std::string error;
    if (!parseViewOptions(argc, argv, options, error)) return badArguments(error);
    if (options.mode == ViewOptions::Mode::Video)
        return badArguments(
            "--video is not part of the Windows build (it needs ffmpeg): write the frames with "
            "--png OUT --frame N and encode them, or use brontavik-view --video on Linux");
    if (options.gl != "system")
        return badArguments(
            "--gl layer is not part of the Windows build, which draws with the "
            "system's OpenGL");
    return runView(options, times, {playInWindow, nullptr, fail});
}
