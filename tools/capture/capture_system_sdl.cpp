#include <SDL.h>

#include <cstdlib>

#include "tools/capture/capture_system.h"

void requestHiddenWindow() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("BRONTAVIK_NO_MESSAGE_BOXES", "1", 0);
}

void neverWaitForDisplay() {
    SDL_GL_SetSwapInterval(0);
}

void* glEntryPoint(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

std::filesystem::path thisProgramFile(std::string& error) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) error = "cannot tell where brontavik-capture lives: " + ec.message();
    return self;
}
