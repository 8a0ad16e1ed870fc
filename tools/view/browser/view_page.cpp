#include "tools/view/browser/view_page.h"

#include <emscripten.h>

// JavaScript bodies: clang-format would split === and => as C++ tokens.
// clang-format off

// Module.page is the object view-page.js hands to the module when it creates it.

EM_JS(void, viewPageOpened, (const char* pictures), {
    if (Module.page) Module.page.opened(UTF8ToString(pictures).split("\n").filter(Boolean));
});

EM_JS(void, viewPageRefused, (const char* reason), {
    const r = UTF8ToString(reason);
    console.warn(r);
    if (Module.page) Module.page.refused(r);
});

EM_JS(void, viewPageWarning, (const char* line), {
    const l = UTF8ToString(line);
    console.warn(l);
    if (Module.page) Module.page.warning(l);
});

EM_JS(void, viewPageFrameDone, (const char* title, double passMilliseconds), {
    if (Module.page) Module.page.frameDone(UTF8ToString(title), passMilliseconds);
});

EM_JS(void, viewPageClosed, (), {
    if (Module.page) Module.page.closed();
});

EM_JS(int, viewPageTakesKeys, (), {
    const focus = document.activeElement;
    return focus && focus.matches("button, input, select, textarea, a[href]") ? 0 : 1;
});
// clang-format on
