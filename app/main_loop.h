#pragma once
// Program entry, the non-blocking message loop and the window procedure.
#include <cstdint>

#include "platform/platform.h"

// keys[v] is true while the key with virtual-key code v is held.
inline bool keys[256] = {};
// False only while the window is minimised; frames are drawn while true.
inline bool active = true;

inline constexpr const char* kWindowTitle = " = Brontavik 2006  . KRV / Zolvi 2006 = ";

// Shows the settings dialog and applies what was chosen; WinMain calls it
// when askSettings is on. The program built with a dialog installs its own
// before WinMain runs (app/sdl/main_with_dialog.cpp).
inline void (*settingsDialog)() = nullptr;

// Fixes the start-up settings, opens the window (which initialises the
// demo) and runs the message loop; returns the process exit code.
// <windows.h> declares the system's own WinMain (C linkage, four
// parameters); the program's lives in namespace demo and is brought here by
// name, so a file may see both and a call without arguments reaches this one.
namespace demo {
int WinMain();
}
using demo::WinMain;

// Opens the window at the start-up resolution (800 by 600 unless the
// settings chose another), which initialises the demo; false when it cannot.
bool openStartupWindow();

// One pass of the message loop: every waiting message, then one frame drawn
// and presented. True at WM_QUIT, with its wParam in exitCode, after the
// window was released. The desktop loop repeats it; the browser runs one
// pass per animation frame.
bool messageLoopPass(int& exitCode);

// Runs until WM_QUIT; returns its wParam after releasing the window.
int runMessageLoop();

std::intptr_t mainWindowProc(platform::WindowHandle window, std::uint32_t message,
                             std::uintptr_t wParam, std::intptr_t lParam);
