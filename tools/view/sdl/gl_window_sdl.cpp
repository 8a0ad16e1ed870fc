// brontavik-view's window on the Linux desktop: an SDL2 window with a
// compatibility context for the system's GL, OpenGL ES 3 for the layer.
#include <SDL.h>

#include "platform/sdl/sdl_platform.h"
#include "tools/view/gl_window.h"

bool openGlWindow(const std::string& title, int width, int height, bool hidden, GlWindow& out,
                  std::string& error) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = std::string("cannot start the video system: ") + SDL_GetError();
        return false;
    }
    platform::requestDemoGlAttributes();
    const Uint32 flags =
        SDL_WINDOW_OPENGL | (hidden ? SDL_WINDOW_HIDDEN : SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN);
    SDL_Window* window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (window == nullptr) {
        error = std::string("cannot open a window: ") + SDL_GetError();
        return false;
    }
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) {
        error = std::string("cannot make a GL context: ") + SDL_GetError();
        SDL_DestroyWindow(window);
        return false;
    }
    SDL_GL_MakeCurrent(window, context);
    out.window = window;
    out.context = context;
    return true;
}

void closeGlWindow(GlWindow& window) {
    if (window.context) SDL_GL_DeleteContext(window.context);
    if (window.window) SDL_DestroyWindow(static_cast<SDL_Window*>(window.window));
    window = {};
}
