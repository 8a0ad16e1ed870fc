// brontavik-view FILE.3ds: plays a 3DS scene in a window, or writes a still
// or a video of it without a display. The player's logic is the
// scene3ds_player library; this is the desktop's shell around it.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/gl_library.h"
#include "runtime/render_context.h"
#include "scene3ds_player/scene_player.h"
#include "tools/capture/capture_system.h"
#include "tools/command-line/command_line.h"
#include "tools/view/gl_window.h"
#include "tools/view/view_options.h"
#include "tools/view/view_output.h"

namespace {

const command_line::ToolHelp kHelp = {
    "brontavik-view",
    "FILE.3ds [--png OUT | --video OUT | --bench N] [OPTIONS]",
    "Play a 3DS scene with its materials, lights, cameras and keyframe animation.",
    "Without --png or --video, opens a window that plays the animation in a loop at 30 frames\n"
    "a second, from the file's first camera, or the front view when it has none. Keys: Space\n"
    "pause, Left/Right a frame back or on, Tab the next camera, F/T/L the front, top and left\n"
    "views, W wireframe, N normals, B tangent frames, Escape ends. Drag with the mouse to turn\n"
    "the view about the scene, turn the wheel to zoom.\n"
    "Orthographic views: front has image right = +X and up = +Z, looking along +Y; back\n"
    "-X, +Z, along -Y; left -Y, +Z, along +X; right +Y, +Z, along -X; top +X, +Y, along -Z.\n"
    "The scene's box at that moment is centred and its larger extent fills 90 % of the\n"
    "picture's smaller side. Textures are read from the file's folder (JPEG, PNG, TGA, BMP,\n"
    "GIF), found whatever the case of their names and by their 8.3 short names.\n",
    "  --png OUT             write one frame as PNG, without a display\n"
    "  --video OUT           write one loop of the animation as a video (needs ffmpeg)\n"
    "  --at SECONDS          the moment shown (the animation loops)\n"
    "  --frame N             the animation frame shown, from 0\n"
    "  --size WxH            picture size (default 800x600)\n"
    "  --camera NAME         the file's camera of that name\n"
    "  --view front|top|left|right|back  an orthographic view\n"
    "  --background R,G,B    background colour, each 0 to 255 (default 0,0,0)\n"
    "  --wire                edges only\n"
    "  --normals             vertex normals as short lines\n"
    "  --tangents            tangent frames as short lines\n"
    "  --supersample N       render N times larger and filter down (1 to 4)\n"
    "  --fps N               video frames a second (default 30)\n"
    "  --bench N             draw N frames of the animation offscreen and print the time to\n"
    "                        the first frame and the frame times (median, worst, mean)\n"
    "  --preset 1080p|4k     1920x1080 or 3840x2160 at 60 fps, H.264\n"
    "  --preset lossless     FFV1 in Matroska (.mkv)\n"
    "  --gl system|layer     draw with the system's GL 1.x (default) or the fixed-function\n"
    "                        layer over OpenGL ES 3\n",
    " 0  done (the window was closed, or the file written)\n"
    " 1  the file could not be loaded or written (one-line reason on standard error)\n"
    " 2  a command line it cannot use\n"};

int fail(const std::string& message) {
    std::fprintf(stderr, "brontavik-view: %s\n", message.c_str());
    return 1;
}

// brontavik-view draws with the system's GL, brontavik-view-layer with
// the fixed-function layer; each runs the other for the other's GL.
int runWithGl(char** argv, const std::string& gl) {
    const char* name = gl == "layer" ? "brontavik-view-layer" : "brontavik-view";
    std::string error;
    const std::filesystem::path self = thisProgramFile(error);
    if (self.empty()) return fail(error);
    const std::string sibling = (self.parent_path() / name).string();
    argv[0] = const_cast<char*>(sibling.c_str());
    execv(sibling.c_str(), argv);
    return fail("cannot run " + sibling + ": " + std::strerror(errno));
}

std::optional<PlayerKey> playerKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_SPACE:
            return PlayerKey::Space;
        case SDLK_LEFT:
            return PlayerKey::Left;
        case SDLK_RIGHT:
            return PlayerKey::Right;
        case SDLK_TAB:
            return PlayerKey::Tab;
        case SDLK_f:
            return PlayerKey::F;
        case SDLK_t:
            return PlayerKey::T;
        case SDLK_l:
            return PlayerKey::L;
        case SDLK_w:
            return PlayerKey::W;
        case SDLK_n:
            return PlayerKey::N;
        case SDLK_b:
            return PlayerKey::B;
        case SDLK_ESCAPE:
            return PlayerKey::Escape;
        default:
            return std::nullopt;
    }
}

// Plays in `window`, opened for the player.
int playInWindow(ScenePlayer& player, GlWindow& window) {
    std::vector<std::string> warnings;
    player.setUpGl(renderContext(), warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "brontavik-view: %s\n", w.c_str());
    SDL_GL_SetSwapInterval(1);
    Uint64 last = SDL_GetPerformanceCounter();
    const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    double rate = 0.0, rateSeconds = 0.0;
    int rateFrames = 0;
    bool dragging = false;
    while (!player.quitRequested()) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            switch (event.type) {
                case SDL_QUIT:
                    player.apply(PlayerAction::Quit);
                    break;
                case SDL_KEYDOWN:
                    if (auto key = playerKey(event.key.keysym.sym))
                        if (auto action = actionForKey(*key)) player.apply(*action);
                    break;
                case SDL_MOUSEBUTTONDOWN:
                    dragging = dragging || event.button.button == SDL_BUTTON_LEFT;
                    break;
                case SDL_MOUSEBUTTONUP:
                    if (event.button.button == SDL_BUTTON_LEFT) dragging = false;
                    break;
                case SDL_MOUSEMOTION:
                    if (dragging) player.orbit(event.motion.xrel, event.motion.yrel);
                    break;
                case SDL_MOUSEWHEEL:
                    player.zoom(event.wheel.y);
                    break;
                default:
                    break;
            }
        }
        const Uint64 now = SDL_GetPerformanceCounter();
        const double step = static_cast<double>(now - last) / frequency;
        last = now;
        player.advance(step);
        int width = 0, height = 0;
        SDL_GL_GetDrawableSize(window.window, &width, &height);
        player.draw(width, height);
        platform::finishGlFrame();
        SDL_GL_SwapWindow(window.window);
        // The frame rate over the last half second.
        rateSeconds += step;
        ++rateFrames;
        if (rateSeconds >= 0.5) {
            rate = rateFrames / rateSeconds;
            rateSeconds = 0.0;
            rateFrames = 0;
        }
        SDL_SetWindowTitle(window.window, player.title(rate).c_str());
    }
    closeGlWindow(window);
    SDL_Quit();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp)) return *answered;
    ViewOptions options;
    std::string error;
    if (!parseViewOptions(argc, argv, options, error))
        return command_line::badArguments(kHelp, error);
    if (options.gl != platform::glLibrary().name) return runWithGl(argv, options.gl);

    // The engine context's first loader holds the model for the whole run.
    // The file loads on a thread of its own while GL starts here.
    using Clock = std::chrono::steady_clock;
    auto since = [](Clock::time_point t) {
        return std::chrono::duration<double>(Clock::now() - t).count();
    };
    ScenePlayer player(renderContext().loaderPool[0]);
    BenchTimes times;
    times.started = started;
    bool opened = false;
    std::string openError;
    std::thread loading([&] {
        const Clock::time_point t0 = Clock::now();
        opened = player.open(options.file, openError);
        times.load = since(t0);
    });
    const Clock::time_point glStarted = Clock::now();
    OffscreenScene scene;
    GlWindow window;
    std::string glError;
    const bool glOpen =
        options.mode == ViewOptions::Mode::Window
            ? openGlWindow("brontavik-view", options.width, options.height, false, window, glError)
            : scene.openGl(options, glError);
    times.glStart = since(glStarted);
    loading.join();
    if (!opened) return fail(openError);
    if (!glOpen) return fail(glError);

    if (!options.camera.empty() && !player.chooseCamera(options.camera))
        return fail(options.file + " has no camera named " + options.camera);
    if (options.view) player.chooseAxisView(*options.view);
    if (options.frame) player.setFrame(static_cast<std::uint32_t>(*options.frame));
    if (options.at) player.seek(*options.at);
    player.options.wire = options.wire;
    player.options.normals = options.normals;
    player.options.tangentFrames = options.tangentFrames;
    player.options.background = options.background;

    if (options.mode == ViewOptions::Mode::Window) return playInWindow(player, window);
    const Clock::time_point texturesStarted = Clock::now();
    scene.setUp(player);
    times.textures = since(texturesStarted);
    switch (options.mode) {
        case ViewOptions::Mode::Still:
            if (!writeStill(scene, player, options, error)) return fail(error);
            return 0;
        case ViewOptions::Mode::Video:
            if (!writeVideo(scene, player, options, error)) return fail(error);
            return 0;
        case ViewOptions::Mode::Bench:
            runBench(scene, player, options, times);
            return 0;
        case ViewOptions::Mode::Window:
            break;
    }
    return 0;
}
