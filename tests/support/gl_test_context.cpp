#include "tests/support/gl_test_context.h"

#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/sdl/sdl_platform.h"

GlTestContext::GlTestContext(int width, int height) : width_(width), height_(height) {
    if (std::getenv("SDL_VIDEODRIVER") == nullptr) setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
        return;
    }
    platform::requestDemoGlAttributes();
    SDL_Window* window =
        SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window == nullptr) {
        std::fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
        return;
    }
    window_ = window;
    context_ = SDL_GL_CreateContext(window);
    if (context_ == nullptr) {
        std::fprintf(stderr, "GlTestContext: %s\n", SDL_GetError());
        return;
    }
    SDL_GL_MakeCurrent(window, context_);
    glViewport(0, 0, width, height);
}

GlTestContext::~GlTestContext() {
    if (context_ != nullptr) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(context_);
    }
    if (window_ != nullptr) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
}

std::vector<std::uint8_t> GlTestContext::readPixels() const {
    std::vector<std::uint8_t> bottomUp(static_cast<size_t>(width_) * height_ * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    const size_t row = static_cast<size_t>(width_) * 4;
    for (int y = 0; y < height_; ++y)
        std::copy_n(bottomUp.data() + (height_ - 1 - y) * row, row, topDown.data() + y * row);
    return topDown;
}
