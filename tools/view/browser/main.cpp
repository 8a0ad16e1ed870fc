// brontavik-view in a browser. view.html writes a 3DS file and its pictures
// (dropped on the page, chosen with its file control, or fetched for
// ?file=URL) into the program's file system, in the current folder, and
// runs main on the file's name: main loads it with the desktop's code and
// tells the page which pictures it names. viewPlay then makes the textures
// on a WebGL 2 context through the GL layer and plays the scene in a loop,
// one pass per animation frame, with the desktop's keys and mouse. One
// instance of the program plays one file; the page makes a fresh one, on a
// fresh canvas, for the next, so nothing of a scene outlives it.
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cctype>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/browser/page_hooks.h"
#include "platform/gl_layer/gl_layer.h"  // the browser build draws through the GL layer
#include "platform/gl_library.h"
#include "runtime/render_context.h"
#include "scene3ds_player/frame_rate.h"
#include "scene3ds_player/scene_player.h"
#include "tools/view/browser/view_page.h"

namespace {

constexpr const char* kCanvas = "#canvas";

struct Viewer {
    // The engine context's first loader holds the model, as on the desktop.
    ScenePlayer player{renderContext().loaderPool[0]};
    FrameRateMeter rate;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    double lastFrame = 0.0;  // milliseconds
    // The canvas's size in device pixels as last asked for, and the drawing
    // buffer the browser gave (it may give less).
    int askedWidth = 0;
    int askedHeight = 0;
    int bufferWidth = 0;
    int bufferHeight = 0;
    bool dragging = false;
    bool lost = false;
    bool playing = false;
    std::string file;
};

Viewer& viewer() {
    static Viewer v;
    return v;
}

std::string tooLarge(const std::string& file) {
    return file + " needs more memory than this page can have";
}

// The pictures the materials name (texture and bump maps), each once, by
// the last part of a name that holds a folder, as the search beside the
// file takes them.
std::string picturesNamed(const Model3ds& model) {
    std::set<std::string> seen;
    std::string lines;
    for (const Material3ds& material : model.materials)
        for (int slot : {kTextureMap1, kBumpMap}) {
            std::string name = material.maps[slot].fileName;
            name = name.substr(name.find_last_of("/\\") + 1);
            if (!name.empty() && seen.insert(name).second) lines += name + "\n";
        }
    return lines;
}

// The player's key for a DOM key value: the character the keyboard's
// layout gives, as the desktop takes SDL's key codes.
std::optional<PlayerKey> playerKey(const std::string& key) {
    if (key == " ") return PlayerKey::Space;
    if (key == "ArrowLeft") return PlayerKey::Left;
    if (key == "ArrowRight") return PlayerKey::Right;
    if (key == "Tab") return PlayerKey::Tab;
    if (key == "Escape") return PlayerKey::Escape;
    if (key.size() != 1) return std::nullopt;
    switch (std::tolower(static_cast<unsigned char>(key[0]))) {
        case 'f':
            return PlayerKey::F;
        case 't':
            return PlayerKey::T;
        case 'l':
            return PlayerKey::L;
        case 'w':
            return PlayerKey::W;
        case 'n':
            return PlayerKey::N;
        case 'b':
            return PlayerKey::B;
        default:
            return std::nullopt;
    }
}

// The scene ends: no more frames or input; the page lets the instance go.
void endScene() {
    Viewer& v = viewer();
    if (!v.playing) return;
    v.playing = false;
    emscripten_cancel_main_loop();
    emscripten_html5_remove_all_event_listeners();
}

// The browser's shortcuts (with Control, Alt or Meta) and keys meant for a
// control of the page stay theirs. A held arrow key steps on; the toggles
// take the first press only.
EM_BOOL onKey(int, const EmscriptenKeyboardEvent* event, void*) {
    if (event->ctrlKey || event->altKey || event->metaKey || !viewPageTakesKeys()) return EM_FALSE;
    const std::optional<PlayerKey> key = playerKey(event->key);
    if (!key) return EM_FALSE;
    if (event->repeat && *key != PlayerKey::Left && *key != PlayerKey::Right) return EM_TRUE;
    const std::optional<PlayerAction> action = actionForKey(*key);
    if (!action) return EM_FALSE;
    if (*action == PlayerAction::Quit) {
        // A page cannot close its window: the scene ends and the page asks
        // for another file.
        endScene();
        viewPageClosed();
        return EM_TRUE;
    }
    viewer().player.apply(*action);
    return EM_TRUE;  // Tab, Space and the arrows neither move the focus nor scroll
}

EM_BOOL onMouseDown(int, const EmscriptenMouseEvent* event, void*) {
    if (event->button != 0) return EM_FALSE;
    viewer().dragging = true;
    return EM_TRUE;  // no selection or drag of the canvas
}

// Followed over the whole window, so a drag may leave the canvas.
EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* event, void*) {
    Viewer& v = viewer();
    if (!v.dragging) return EM_FALSE;
    // Released where the page did not see it (outside the window).
    if ((event->buttons & 1) == 0) {
        v.dragging = false;
        return EM_FALSE;
    }
    v.player.orbit(static_cast<double>(event->movementX), static_cast<double>(event->movementY));
    return EM_TRUE;
}

EM_BOOL onMouseUp(int, const EmscriptenMouseEvent* event, void*) {
    if (event->button == 0) viewer().dragging = false;
    return EM_FALSE;
}

// One step of the wheel: 100 pixels (Chromium's notch), 3 lines (Firefox's)
// or a page; a touchpad's small movements zoom by as little.
EM_BOOL onWheel(int, const EmscriptenWheelEvent* event, void*) {
    const double perStep = event->deltaMode == DOM_DELTA_PIXEL  ? 100.0
                           : event->deltaMode == DOM_DELTA_LINE ? 3.0
                                                                : 1.0;
    viewer().player.zoom(-event->deltaY / perStep);
    return EM_TRUE;
}

// Taken in hand, so the browser may give the context back; no frames until then.
EM_BOOL onContextLost(int, const void*, void*) {
    viewer().lost = true;
    return EM_TRUE;
}

// Back without any of its objects: the layer makes them again from what it
// kept, and the canvas is fitted again.
EM_BOOL onContextRestored(int, const void*, void*) {
    Viewer& v = viewer();
    if (!v.lost) return EM_TRUE;
    v.lost = false;
    emscripten_webgl_make_context_current(v.context);
    gl_layer::rebuild();
    v.askedWidth = v.askedHeight = 0;
    return EM_TRUE;
}

void listen() {
    const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
    emscripten_set_keydown_callback(window, nullptr, EM_TRUE, &onKey);
    emscripten_set_mousedown_callback(kCanvas, nullptr, EM_TRUE, &onMouseDown);
    emscripten_set_mousemove_callback(window, nullptr, EM_TRUE, &onMouseMove);
    emscripten_set_mouseup_callback(window, nullptr, EM_TRUE, &onMouseUp);
    emscripten_set_wheel_callback(kCanvas, nullptr, EM_TRUE, &onWheel);
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_TRUE, &onContextLost);
    emscripten_set_webglcontextrestored_callback(kCanvas, nullptr, EM_TRUE, &onContextRestored);
}

bool makeContext() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;  // as the desktop's stills
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    Viewer& v = viewer();
    v.context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (v.context <= 0) {
        pageProblem(
            "This browser could not give the player WebGL 2 graphics, which it needs to "
            "draw.",
            "Open the page in a current Chrome, Edge, Firefox or Safari with hardware "
            "acceleration switched on in the browser's settings.");
        return false;
    }
    emscripten_webgl_make_context_current(v.context);
    pageDrawingBufferSize(&v.bufferWidth, &v.bufferHeight);
    return true;
}

// The drawing buffer at the canvas's displayed size in device pixels.
void fitCanvas(Viewer& v) {
    int width = 0, height = 0;
    if (!pageCanvasPixels(&width, &height)) return;
    if (width == v.askedWidth && height == v.askedHeight) return;
    v.askedWidth = width;
    v.askedHeight = height;
    emscripten_set_canvas_element_size(kCanvas, width, height);
    pageDrawingBufferSize(&v.bufferWidth, &v.bufferHeight);
}

void drawFrame() {
    Viewer& v = viewer();
    const double now = emscripten_get_now();
    const double step = (now - v.lastFrame) / 1000.0;
    v.lastFrame = now;
    v.player.advance(step);
    if (v.lost) return;
    fitCanvas(v);
    // What the drawing makes on first use (the GL layer's buffers, the
    // wireframe's edges, the normals' lines) may not fit: the scene ends
    // with that said, the page lives on.
    try {
        v.player.draw(v.bufferWidth, v.bufferHeight);
        platform::finishGlFrame();
    } catch (const std::bad_alloc&) {
        endScene();
        viewPageRefused(tooLarge(v.file).c_str());
        return;
    }
    const std::string title = v.player.title(v.rate.add(step));
    viewPageFrameDone(title.c_str(), emscripten_get_now() - now);
}

}  // namespace

// The pictures are in place: makes the textures and plays, from the start,
// or held at `at` seconds (0 or more) for ?at=.
extern "C" EMSCRIPTEN_KEEPALIVE void viewPlay(double at) {
    Viewer& v = viewer();
    if (v.playing || !makeContext()) return;
    std::vector<std::string> warnings;
    try {
        v.player.setUpGl(renderContext(), warnings);
    } catch (const std::bad_alloc&) {
        viewPageRefused(tooLarge(v.file + "'s pictures").c_str());
        return;
    }
    for (const std::string& w : warnings) viewPageWarning(w.c_str());
    if (at >= 0) {
        v.player.seek(at);
        v.player.apply(PlayerAction::TogglePause);
    }
    listen();
    v.playing = true;
    v.lastFrame = emscripten_get_now();
    emscripten_set_main_loop(&drawFrame, 0, 0);
    drawFrame();
}

// The page ends the scene (another file is coming).
extern "C" EMSCRIPTEN_KEEPALIVE void viewStop() {
    endScene();
}

int main(int argc, char** argv) {
    if (argc < 2) {
        viewPageRefused("no file was given");
        return 0;
    }
    viewer().file = argv[1];
    std::string error;
    bool opened = false;
    try {
        opened = viewer().player.open(argv[1], error);
    } catch (const std::bad_alloc&) {
        error = tooLarge(argv[1]);
    }
    if (!opened) {
        viewPageRefused(error.c_str());
        return 0;
    }
    viewPageOpened(picturesNamed(viewer().player.model()).c_str());
    // The page calls viewPlay once the pictures are in place.
    emscripten_exit_with_live_runtime();
}
