#pragma once
// A hidden window with a current GL context of the kind the linked GL
// library asks for (compatibility, or ES 3.0 for the layer), for tests that
// draw or read GL state headless (SDL's offscreen driver on Mesa).
#include <cstdint>
#include <vector>

class GlTestContext {
  public:
    GlTestContext(int width = 256, int height = 256);
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    bool ok() const { return context_ != nullptr; }
    void* window() const { return window_; }
    void* context() const { return context_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The back buffer as RGBA rows, top row first.
    std::vector<std::uint8_t> readPixels() const;

  private:
    void* window_ = nullptr;
    void* context_ = nullptr;
    int width_;
    int height_;
};
