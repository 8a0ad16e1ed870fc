#pragma once
// Text set with FreeType into a coverage layer.
#include <string>

#include "canvas.h"

class Font {
  public:
    // Opens a TrueType file at a pixel size; throws std::runtime_error when
    // the file cannot be used.
    Font(const std::string& path, int pixelSize);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Width in pixels of `text` (ASCII), with kerning and extra `tracking`
    // pixels after each character but the last.
    float measure(const std::string& text, float tracking = 0) const;
    // Draws `text` with its baseline at y and its left edge at x (coverage
    // is added to the layer).
    void draw(Layer& layer, const std::string& text, float x, float baseline,
              float tracking = 0) const;
    // Draws `text` centred on cx.
    void drawCentred(Layer& layer, const std::string& text, float cx, float baseline,
                     float tracking = 0) const;

  private:
    struct Impl;
    Impl* impl_;
};
