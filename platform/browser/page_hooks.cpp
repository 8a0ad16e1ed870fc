#include "platform/browser/page_hooks.h"

#include <emscripten.h>

// JavaScript bodies: clang-format would split === and => as C++ tokens.
// clang-format off

// Module.page is the object the page hands to the module when it creates it.

EM_JS(void, pageSetTitle, (const char* title), { document.title = UTF8ToString(title); });

EM_JS(int, pageFullscreenAvailable, (),
      { return Module.page && Module.page.fullscreenAvailable() ? 1 : 0; });

EM_JS(void, pageSetFullscreen, (int on), {
    if (Module.page) Module.page.setFullscreen(on != 0);
});

EM_JS(void, pageFocusCanvas, (), {
    if (Module.page) Module.page.focusCanvas();
});

EM_JS(void, pageSetCursorHidden, (int hidden), {
    if (Module.page) Module.page.setCursorHidden(hidden != 0);
});

EM_JS(void, pageMessageBox, (const char* caption, const char* text), {
    const c = UTF8ToString(caption);
    const t = UTF8ToString(text);
    console.error(c + ": " + t);
    if (Module.page) Module.page.messageBox(c, t);
});

EM_JS(void, pageShowEnded, (int exitCode), {
    if (Module.page) Module.page.showEnded(exitCode);
});

EM_JS(void, pageFrameDone, (double passMilliseconds), {
    if (Module.page) Module.page.frameDone(passMilliseconds);
});

EM_JS(int, pageSceneTime, (double* seconds), {
    const text = new URLSearchParams(location.search).get("at");
    if (text === null || text.trim() === "") return 0;
    const value = Number(text);
    if (!Number.isFinite(value) || value < 0) return 0;
    HEAPF64[seconds >> 3] = value;
    return 1;
});

EM_JS(void, pageStillShown, (), {
    if (Module.page) Module.page.stillShown();
});
// clang-format on
