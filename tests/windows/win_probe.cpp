// win-probe.exe: looks at and drives the windows of a program running in the
// same Wine session, through the system's own calls, for the Windows tests.
//   win-probe wait TITLE|#CLASS SECONDS   waits for a top-level window; prints its handle
//   win-probe texts TITLE|#CLASS          every child control: id, class, checked, text
//   win-probe rect TITLE|#CLASS           window and client rectangles, styles, topmost
//   win-probe title #CLASS                the window's text
//   win-probe press TITLE|#CLASS ID       clicks the button with that control id
//   win-probe check TITLE|#CLASS ID       checks (or, for a radio, selects) the control
//   win-probe activate TITLE|#CLASS        brings the window to the front, active
//   win-probe syscommand #CLASS minimise|restore|close
//   win-probe screen x                    the display mode's width and height
//   win-probe window SECONDS              a plain window of its own for that long
//                                         (somewhere for the activation to go)
// Exit status 0 when done, 1 when the window is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND find(const char* what) {
    if (what[0] == '#') return FindWindowA(what + 1, nullptr);
    return FindWindowA(nullptr, what);
}

std::string textOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            out += '|';  // one line a control
        } else if (*c != '\r') {
            out += *c;
        }
    }
    return out;
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    const LRESULT state = SendMessageA(child, BM_GETCHECK, 0, 0);
    std::printf("%d\t%s\t%d\t%s\n", GetDlgCtrlID(child), className, static_cast<int>(state),
                textOf(child).c_str());
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: win-probe COMMAND WINDOW [ARG]\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "screen") {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 1;
        std::printf("%lu %lu\n", mode.dmPelsWidth, mode.dmPelsHeight);
        return 0;
    }
    if (command == "window") {
        HWND own = CreateWindowExA(0, "STATIC", "win-probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600,
                                   450, 160, 100, nullptr, nullptr, GetModuleHandleA(nullptr),
                                   nullptr);
        if (own == nullptr) return 1;
        const DWORD end = GetTickCount() + static_cast<DWORD>(std::atof(argv[2]) * 1000.0);
        MSG message;
        while (GetTickCount() < end) {
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            Sleep(10);
        }
        return 0;
    }
    if (command == "wait") {
        const double seconds = argc > 3 ? std::atof(argv[3]) : 10.0;
        for (double waited = 0.0; waited < seconds; waited += 0.1) {
            if (HWND window = find(argv[2])) {
                std::printf("%p\n", static_cast<void*>(window));
                return 0;
            }
            Sleep(100);
        }
        return 1;
    }
    HWND window = find(argv[2]);
    if (window == nullptr) return 1;
    if (command == "texts") {
        std::printf("caption\t%s\n", textOf(window).c_str());
        EnumChildWindows(window, printChild, 0);
    } else if (command == "activate") {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window ? 0 : 1;
    } else if (command == "title") {
        std::printf("%s\n", textOf(window).c_str());
    } else if (command == "rect") {
        RECT outer{}, client{};
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        const LONG style = GetWindowLongA(window, GWL_STYLE);
        const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
        std::printf(
            "outer %ld %ld %ld %ld\nclient %ld %ld\ncaption %d\ntopmost %d\nvisible %d\n"
            "minimised %d\n",
            outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
            client.right, client.bottom, (style & WS_CAPTION) == WS_CAPTION ? 1 : 0,
            (exStyle & WS_EX_TOPMOST) != 0 ? 1 : 0, IsWindowVisible(window) ? 1 : 0,
            IsIconic(window) ? 1 : 0);
        std::printf("foreground %d\n", GetForegroundWindow() == window ? 1 : 0);
    } else if ((command == "press" || command == "check") && argc > 3) {
        HWND control = GetDlgItem(window, std::atoi(argv[3]));
        if (control == nullptr) return 1;
        if (command == "press") {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED),
                         reinterpret_cast<LPARAM>(control));
        } else {
            SendMessageA(control, BM_CLICK, 0, 0);
        }
    } else if (command == "syscommand" && argc > 3) {
        const std::string what = argv[3];
        const WPARAM code = what == "minimise" ? SC_MINIMIZE : what == "restore" ? SC_RESTORE
                                                                                 : SC_CLOSE;
        PostMessageA(window, WM_SYSCOMMAND, code, 0);
        if (code == SC_CLOSE) return 0;
        Sleep(300);
        // Windows deactivates a window it minimises and activates it again
        // when it is restored; Wine without a window manager keeps it the
        // foreground window throughout, so the probe sends the WM_ACTIVATE
        // Windows would have sent.
        if (code == SC_MINIMIZE && IsIconic(window) && GetForegroundWindow() == window) {
            SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 1), 0);
            std::printf("WM_ACTIVATE inactive, minimised\n");
        } else if (code == SC_RESTORE && !IsIconic(window)) {
            SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
            std::printf("WM_ACTIVATE active\n");
        }
    } else {
        std::fprintf(stderr, "win-probe: unknown command %s\n", command.c_str());
        return 2;
    }
    return 0;
}
