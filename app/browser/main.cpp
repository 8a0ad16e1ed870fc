// The program's entry in a browser. The page calls main as soon as the
// module is loaded: the window, the GL context and the whole demo
// initialisation (textures, the layer's shaders, the music's first
// seconds) are done while the page waits for the viewer's start gesture.
// The gesture calls brontavikStart: the clock and the music start, the
// first frame is drawn at once, and the message loop then runs one pass
// per animation frame, the same pass the desktop loop repeats. With
// ?at=SECONDS in the page's address the one frame at that scene time is
// drawn and held (drawn again when the canvas changes size): the capture
// tool's still, at the same moment on the demo clock, through the same
// frame function. With ?sync= or ?tracks= the makers' run (makers_run.h)
// takes the show's place.
#include <GL/gl.h>
#include <emscripten.h>

#include "app/browser/makers_run.h"
#include "app/main_loop.h"
#include "platform/browser/browser_platform.h"
#include "platform/browser/page_hooks.h"
#include "runtime/demo_clock.h"
#include "runtime/driver/frame_clock.h"
#include "runtime/input_record.h"
#include "runtime/startup_options.h"
#include "runtime/window_state.h"

namespace {

void runPass() {
    const double before = emscripten_get_now();
    platform::fitCanvas();
    int exitCode = 0;
    const bool quit = messageLoopPass(exitCode);
    if (quit) platform::current().exitProcess(exitCode);
    // The pass draws a frame while the window counts as shown.
    if (active) pageFrameDone(emscripten_get_now() - before, demoTime, inputRecord().auxValue);
}

// Closing or leaving the page: the pass takes the WM_CLOSE the platform
// queued and releases the window while the page is still there.
void leavePage() {
    int exitCode = 0;
    if (messageLoopPass(exitCode)) platform::closePage();
}

bool makersRun = false;

FrameMoment still;

void drawStill() {
    if (!drawFrameAtMoment(still)) platform::current().exitProcess(0);
    platform::current().swapBuffers(mainDeviceContext);
}

void redrawStillWhenResized() {
    if (platform::fitCanvas()) drawStill();
}

int showStill(double sceneTime) {
    musicEnabled = false;
    fullscreen = false;
    if (!openStartupWindow()) platform::current().exitProcess(0);
    still = stillMoment(sceneTime);
    drawStill();
    pageStillShown();
    emscripten_set_main_loop(&redrawStillWhenResized, 0, 1);
    return 0;
}

}  // namespace

// The viewer's start gesture (the page calls it within the event).
extern "C" EMSCRIPTEN_KEEPALIVE void brontavikStart() {
    if (platform::showStarted()) return;
    if (makersRun) return startMakersRun();
    platform::startShow();
    emscripten_set_main_loop(&runPass, 0, 0);
    runPass();
}

int main() {
    double sceneTime = 0.0;
    if (pageSceneTime(&sceneTime)) return showStill(sceneTime);
    makersRun = makersRunAsked();
    if (makersRun) {
        if (!prepareMakersRun()) platform::current().exitProcess(1);
    } else {
        platform::setPageLeaveHandler(&leavePage);
        if (!openStartupWindow()) platform::current().exitProcess(0);
    }
    // The initialisation's GL work (texture images, shader programs) is
    // done now, while the page waits, rather than before the first frame.
    glFinish();
    pageShowReady();
    emscripten_exit_with_live_runtime();
}
