#pragma once
#include <cstdint>
#include <string>

// An offscreen framebuffer (colour RGBA8, depth 24, stencil 8) the capture
// tool renders into instead of the window, at any size the GL allows.
class RenderTarget {
  public:
    // Creates and binds it, with the viewport covering it; needs a current
    // GL context. False with `error` set when the GL cannot.
    bool create(int width, int height, std::string& error);
    // Reads the colour back as BGRA rows, bottom row first.
    void read(std::uint8_t* pixels) const;

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    int width_ = 0;
    int height_ = 0;
};
