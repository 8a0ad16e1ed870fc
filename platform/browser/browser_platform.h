#pragma once
// The browser build of the platform, on Emscripten's html5.h and WebGL 2:
// the window is the page's canvas (shown at 4:3 with black bars, its
// drawing buffer at the screen's device pixels, the window's 800 by 600
// picture framed in it by the GL layer), the display-mode switch is the
// Fullscreen API, DOM keyboard and page events become the window-procedure
// messages, message boxes are an overlay on the page, and the process end
// is the end of the main loop with the page in its end state. A hidden
// page and a lost GL context are a minimised window to the program.
#include "platform/platform.h"

namespace platform {

// Its one process-wide instance is defaultPlatform().

// Called after closing or leaving the page queued WM_CLOSE, while the page
// is still there: the program's entry runs the message loop's last pass.
void setPageLeaveHandler(void (*handler)());
// The process end from within a page event: as exitProcess(0), but returns.
void closePage();

// The viewer's start gesture, called within it. Until then the program is
// initialised but waits: the performance counter stands still, the music is
// ready but silent and keys are the page's. From here the counter runs, the
// music plays, and fullscreen is asked for when the program switched the
// display mode, so that clock, music and picture begin together.
void startShow();
bool showStarted();

// Gives the canvas's drawing buffer its displayed size in device pixels
// (up to the largest the context allows) and frames the window's picture
// in it; true when the size changed. Called before each frame.
bool fitCanvas();

// Windows virtual-key code for a DOM keyCode, or 0 when the program has no
// use for the key: the same keys the SDL build maps.
int virtualKeyFromDom(int domKeyCode);

}  // namespace platform
