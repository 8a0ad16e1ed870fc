#pragma once
// The browser build of the platform, on Emscripten's html5.h and WebGL 2:
// the window is the page's 800 by 600 canvas (scaled by the page to fit at
// 4:3 with black bars), the display-mode switch is the Fullscreen API, DOM
// keyboard and page events become the window-procedure messages, message
// boxes are an overlay on the page, and the process end is the end of the
// main loop with the page in its end state.
#include "platform/platform.h"

namespace platform {

// Its one process-wide instance is defaultPlatform().

// Called after closing or leaving the page queued WM_CLOSE, while the page
// is still there: the program's entry runs the message loop's last pass.
void setPageLeaveHandler(void (*handler)());
// The process end from within a page event: as exitProcess(0), but returns.
void closePage();

// Windows virtual-key code for a DOM keyCode, or 0 when the program has no
// use for the key: the same keys the SDL build maps.
int virtualKeyFromDom(int domKeyCode);

}  // namespace platform
