#pragma once
// The desktop's window and GL context for brontavik-view (SDL2), asked for
// as the linked GL library wants it: a compatibility context for the
// system's GL, OpenGL ES 3 for the fixed-function layer.
#include <string>

struct SDL_Window;

struct GlWindow {
    SDL_Window* window = nullptr;
    void* context = nullptr;
};

// A resizable window, or (`hidden`) one nobody sees that only carries the
// context for offscreen drawing. False with the reason in `error`.
bool openGlWindow(const std::string& title, int width, int height, bool hidden, GlWindow& out,
                  std::string& error);
void closeGlWindow(GlWindow& window);
