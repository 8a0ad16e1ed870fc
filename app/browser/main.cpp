// The program's entry in a browser. The page calls main on the viewer's
// start gesture, so the music may play; the message loop then runs one pass
// per animation frame, the same pass the desktop loop repeats. With
// ?at=SECONDS in the page's address the page calls main at once and the one
// frame at that scene time is drawn and held, as the capture tool draws a still.
#include <emscripten.h>

#include "app/main_loop.h"
#include "platform/browser/browser_platform.h"
#include "platform/browser/page_hooks.h"
#include "runtime/demo_driver.h"
#include "tools/capture/show_renderer.h"

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
    ShowRenderer show;
    if (!show.open(800, 600)) platform::current().exitProcess(0);
    // One step of the whole time puts the scene clock exactly there.
    if (sceneTime > endTime) show.assumeFadeBeganAtFrameRate(60);
    if (!show.renderFrame(sceneTime)) platform::current().exitProcess(0);
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
