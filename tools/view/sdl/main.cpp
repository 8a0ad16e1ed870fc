// brontavik-view FILE.3ds on the Linux desktop: plays a 3DS scene in an SDL
// window, or writes a still, a video or timings of it without a display.
// The player's logic is the scene3ds_player library, what every build does
// around its window is tools/view; this is the desktop's shell.
#include <SDL.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/gl_library.h"
#include "runtime/render_context.h"
#include "scene3ds_player/frame_rate.h"
#include "scene3ds_player/scene_player.h"
#include "tools/capture/capture_system.h"
#include "tools/view/gl_window.h"
#include "tools/view/sdl/view_video.h"
#include "tools/view/view_help.h"
#include "tools/view/view_options.h"
#include "tools/view/view_output.h"
#include "tools/view/view_run.h"

namespace {

const ViewHelp kHelp(
    "--png OUT | --video OUT | --bench N",
    "  --video OUT           write one loop of the animation as a video (needs ffmpeg)\n"
    "  --fps N               video frames a second (default 30)\n"
    "  --preset 1080p|4k     1920x1080 or 3840x2160 at 60 fps, H.264\n"
    "  --preset lossless     FFV1 in Matroska (.mkv)\n"
    "  --gl system|layer     draw with the system's GL 1.x (default) or the fixed-function\n"
    "                        layer over OpenGL ES 3\n",
    "");

// brontavik-view draws with the system's GL, brontavik-view-layer with
// the fixed-function layer; each runs the other for the other's GL.
int runWithGl(char** argv, const std::string& gl) {
    const char* name = gl == "layer" ? "brontavik-view-layer" : "brontavik-view";
    std::string error;
    const std::filesystem::path self = thisProgramFile(error);
    if (self.empty()) return failView(error);
    const std::string sibling = (self.parent_path() / name).string();
    argv[0] = const_cast<char*>(sibling.c_str());
    execv(sibling.c_str(), argv);
    return failView("cannot run " + sibling + ": " + std::strerror(errno));
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
    SDL_Window* sdlWindow = static_cast<SDL_Window*>(window.window);
    std::vector<std::string> warnings;
    player.setUpGl(renderContext(), warnings);
    for (const std::string& w : warnings) std::fprintf(stderr, "brontavik-view: %s\n", w.c_str());
    SDL_GL_SetSwapInterval(1);
    Uint64 last = SDL_GetPerformanceCounter();
    const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
    FrameRateMeter rate;
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
        SDL_GL_GetDrawableSize(sdlWindow, &width, &height);
        player.draw(width, height);
        platform::finishGlFrame();
        SDL_GL_SwapWindow(sdlWindow);
        SDL_SetWindowTitle(sdlWindow, player.title(rate.add(step)).c_str());
    }
    closeGlWindow(window);
    SDL_Quit();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    BenchTimes times;
    times.started = std::chrono::steady_clock::now();
    if (auto answered = command_line::answerHelpOrVersion(argc, argv, kHelp.help()))
        return *answered;
    ViewOptions options;
    std::string error;
    if (!parseViewOptions(argc, argv, options, error))
        return command_line::badArguments(kHelp.help(), error);
    if (options.gl != platform::glLibrary().name) return runWithGl(argv, options.gl);
    return runView(options, times, {playInWindow, writeVideo});
}
