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

EM_JS(int, pageFullscreenLeftByPage, (),
      { return Module.page && Module.page.fullscreenLeftByPage() ? 1 : 0; });

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

EM_JS(void, pageProblem, (const char* what, const char* advice), {
    const w = UTF8ToString(what);
    const a = UTF8ToString(advice);
    console.warn(w + " " + a);
    if (Module.page) Module.page.problem(w, a);
});

EM_JS(void, pageShowReady, (), {
    if (Module.page) Module.page.showReady();
});

EM_JS(void, pageGraphicsLost, (int lost), {
    if (Module.page) Module.page.graphicsLost(lost !== 0);
});

EM_JS(int, pageCanvasPixels, (int* width, int* height), {
    const canvas = document.querySelector("#canvas");
    const size = Module.page && Module.page.canvasPixels();
    if (!canvas || !size || !(size.width >= 1 && size.height >= 1)) return 0;
    let w = size.width;
    let h = size.height;
    // The context's limits, asked once: a query waits for the GPU.
    const gl = canvas.getContext("webgl2");
    if (gl && !gl.drawingLimit && !gl.isContextLost()) {
        const dims = gl.getParameter(gl.MAX_VIEWPORT_DIMS);
        gl.drawingLimit = Math.min(dims[0], dims[1], gl.getParameter(gl.MAX_RENDERBUFFER_SIZE));
    }
    const over = gl && gl.drawingLimit ? Math.max(w, h) / gl.drawingLimit : 0;
    if (over > 1) {
        w = Math.floor(w / over);
        h = Math.floor(h / over);
    }
    HEAP32[width >> 2] = Math.max(1, Math.round(w));
    HEAP32[height >> 2] = Math.max(1, Math.round(h));
    return 1;
});

EM_JS(void, pageDrawingBufferSize, (int* width, int* height), {
    const canvas = document.querySelector("#canvas");
    const gl = canvas && canvas.getContext("webgl2");
    if (!gl) return;
    HEAP32[width >> 2] = gl.drawingBufferWidth;
    HEAP32[height >> 2] = gl.drawingBufferHeight;
});

EM_JS(void, pageShowEnded, (int exitCode), {
    if (Module.page) Module.page.showEnded(exitCode);
});

EM_JS(void, pageFrameDone, (double passMilliseconds, double demoTime, double sceneTime), {
    if (Module.page) Module.page.frameDone(passMilliseconds, demoTime, sceneTime);
});

EM_JS(int, pageSceneTime, (double* seconds), {
    const at = Module.page ? Module.page.sceneTime() : null;
    if (at === null) return 0;
    HEAPF64[seconds >> 3] = at;
    return 1;
});

EM_JS(void, pageStillShown, (), {
    if (Module.page) Module.page.stillShown();
});

EM_JS(int, pageSyncEditor, (char* host, int capacity, int* port), {
    const editor = Module.page && Module.page.syncEditor ? Module.page.syncEditor() : null;
    if (!editor || lengthBytesUTF8(editor.host) >= capacity) return 0;
    stringToUTF8(editor.host, host, capacity);
    HEAP32[port >> 2] = editor.port;
    return 1;
});

EM_JS(int, pageTracksFolder, (char* folder, char* address, int capacity), {
    const tracks = Module.page && Module.page.tracksFolder ? Module.page.tracksFolder() : null;
    if (!tracks || lengthBytesUTF8(tracks.folder) >= capacity ||
        lengthBytesUTF8(tracks.address) >= capacity) return 0;
    stringToUTF8(tracks.folder, folder, capacity);
    stringToUTF8(tracks.address, address, capacity);
    return 1;
});
// clang-format on
