#pragma once
// brontavik-view's window and GL context, made by each build its own way
// (tools/view/sdl: SDL2; tools/view/win32: Win32 and WGL) and asked for as
// the linked GL library wants it.
#include <string>

// The build's handles, opaque here: the window, its device context where
// the system has one, and the GL context.
struct GlWindow {
    void* window = nullptr;
    void* device = nullptr;
    void* context = nullptr;
};

// A resizable window of that drawing area, or (`hidden`) one nobody sees
// that only carries the context for offscreen drawing; the context is made
// current. False with the reason in `error`.
bool openGlWindow(const std::string& title, int width, int height, bool hidden, GlWindow& out,
                  std::string& error);
void closeGlWindow(GlWindow& window);
