// The program's entry in a browser. The page calls main on the viewer's
// start gesture, so the music may play; the message loop then runs one pass
// per animation frame, the same pass the desktop loop repeats. With
// ?at=SECONDS in the page's address the page calls main at once and the one
// frame at that scene time is drawn and held: the capture tool's still, at the
// same moment on the demo clock, through the same frame function.
#include <emscripten.h>

#include "app/main_loop.h"
#include "platform/browser/browser_platform.h"
#include "platform/browser/page_hooks.h"
#include "runtime/driver/frame_clock.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"

namespace {

void runPass() {
    const double before = emscripten_get_now();
    int exitCode = 0;
    const bool quit = messageLoopPass(exitCode);
    if (quit) platform::current().exitProcess(exitCode);
    pageFrameDone(emscripten_get_now() - before);
}

// Closing or leaving the page: the pass takes the WM_CLOSE the platform
// queued and releases the window while the page is still there.
void leavePage() {
    int exitCode = 0;
    if (messageLoopPass(exitCode)) platform::closePage();
}

int showStill(double sceneTime) {
    musicEnabled = false;
    fullscreen = false;
    if (!openStartupWindow()) platform::current().exitProcess(0);
    if (!drawFrameAtMoment(stillMoment(sceneTime))) platform::current().exitProcess(0);
    platform::current().swapBuffers(mainDeviceContext);
    pageStillShown();
    return 0;
}

}  // namespace

int main() {
    double sceneTime = 0.0;
    if (pageSceneTime(&sceneTime)) return showStill(sceneTime);
    platform::setPageLeaveHandler(&leavePage);
    if (!openStartupWindow()) platform::current().exitProcess(0);
    emscripten_set_main_loop(&runPass, 0, 1);
    return 0;
}
