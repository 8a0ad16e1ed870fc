#include "tools/view/gl_window.h"

#include <SDL.h>

#include "platform/sdl/sdl_platform.h"

bool openGlWindow(const std::string& title, int width, int height, bool hidden, GlWindow& out,
                  std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot start the video system: ") + SDL_GetError();
        return false;
    }
    platform::requestDemoGlAttributes();
    const Uint32 flags =
        SDL_WINDOW_OPENGL | (hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    out.window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  width, height, flags);
    if (out.window == nullptr) {
        error = std::string("cannot open a window: ") + SDL_GetError();
        return false;
    }
    out.context = SDL_GL_CreateContext(out.window);
    if (out.context == nullptr) {
        error = std::string("cannot make a GL context: ") + SDL_GetError();
        SDL_DestroyWindow(out.window);
        out.window = nullptr;
        return false;
    }
    SDL_GL_MakeCurrent(out.window, out.context);
    return true;
}

void closeGlWindow(GlWindow& window) {
    if (window.context) SDL_GL_DeleteContext(window.context);
    if (window.window) SDL_DestroyWindow(window.window);
    window = {};
}
