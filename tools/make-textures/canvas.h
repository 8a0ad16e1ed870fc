#pragma once
// A floating-point RGB picture (values 0..1, top row first) and the few
// drawing operations the texture pictures are made of.
#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    float r = 0, g = 0, b = 0;
};

inline Rgb operator*(Rgb c, float s) {
    return {c.r * s, c.g * s, c.b * s};
}
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb mix(Rgb a, Rgb b, float t) {
    return a * (1.0f - t) + b * t;
}

// One channel of coverage or density, same layout as Canvas.
struct Layer {
    int width = 0, height = 0;
    std::vector<float> v;
    Layer(int w, int h) : width(w), height(h), v(static_cast<std::size_t>(w) * h, 0.0f) {}
    float& at(int x, int y) { return v[static_cast<std::size_t>(y) * width + x]; }
    float at(int x, int y) const { return v[static_cast<std::size_t>(y) * width + x]; }
    // Bilinear sample with clamped coordinates.
    float sample(float x, float y) const;
};

struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgb> px;
    Canvas(int w, int h) : width(w), height(h), px(static_cast<std::size_t>(w) * h) {}
    Rgb& at(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }
    // Adds `layer` tinted with `colour` (used for text, glows and sprites).
    void addLayer(const Layer& layer, Rgb colour);
    // 8-bit RGB, clamped and rounded, top row first.
    std::vector<std::uint8_t> toBytes() const;
};

float clamp01(float x);
float smoothstep(float edge0, float edge1, float x);

// Separable Gaussian blur; `wrap` treats the layer as a tile.
Layer blurred(const Layer& in, float sigma, bool wrap = false);

// Anti-aliased line of the given width added to `layer` (max with what is
// there when `additive` is false). With `wrap` the line continues across the
// edges so tiles join.
void drawLine(Layer& layer, float x0, float y0, float x1, float y1, float width, float intensity,
              bool wrap = false, bool additive = true);

// A soft round dot (Gaussian of the given radius) added to `layer`.
void drawDot(Layer& layer, float cx, float cy, float radius, float intensity, bool wrap = false);
