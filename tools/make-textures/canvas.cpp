#include "canvas.h"

#include <algorithm>
#include <cmath>

float clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}

float smoothstep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Layer::sample(float x, float y) const {
    x = std::clamp(x, 0.0f, static_cast<float>(width - 1));
    y = std::clamp(y, 0.0f, static_cast<float>(height - 1));
    int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    float fx = x - x0, fy = y - y0;
    float top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
    float bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
    return top * (1 - fy) + bottom * fy;
}

void Canvas::addLayer(const Layer& layer, Rgb colour) {
    for (std::size_t i = 0; i < px.size(); ++i) px[i] = px[i] + colour * layer.v[i];
}

std::vector<std::uint8_t> Canvas::toBytes() const {
    std::vector<std::uint8_t> out;
    out.reserve(px.size() * 3);
    for (const Rgb& c : px) {
        for (float v : {c.r, c.g, c.b}) {
            out.push_back(static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)));
        }
    }
    return out;
}

namespace {

std::vector<float> gaussianKernel(float sigma) {
    int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3.0f)));
    std::vector<float> k(2 * radius + 1);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        k[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += k[i + radius];
    }
    for (float& v : k) v /= sum;
    return k;
}

int wrapIndex(int i, int n) {
    return ((i % n) + n) % n;
}

}  // namespace

Layer blurred(const Layer& in, float sigma, bool wrap) {
    std::vector<float> k = gaussianKernel(sigma);
    int radius = static_cast<int>(k.size() / 2);
    auto index = [wrap](int i, int n) { return wrap ? wrapIndex(i, n) : std::clamp(i, 0, n - 1); };
    Layer tmp(in.width, in.height), out(in.width, in.height);
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i)
                s += k[i + radius] * in.at(index(x + i, in.width), y);
            tmp.at(x, y) = s;
        }
    }
    for (int y = 0; y < in.height; ++y) {
        for (int x = 0; x < in.width; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i)
                s += k[i + radius] * tmp.at(x, index(y + i, in.height));
            out.at(x, y) = s;
        }
    }
    return out;
}

namespace {

// Calls fn(x, y, px, py) for every pixel of the box around (x0..x1, y0..y1),
// px/py being the pixel's position relative to the unwrapped box.
template <typename Fn>
void forBox(Layer& layer, float minX, float minY, float maxX, float maxY, bool wrap, Fn fn) {
    int bx0 = static_cast<int>(std::floor(minX)), by0 = static_cast<int>(std::floor(minY));
    int bx1 = static_cast<int>(std::ceil(maxX)), by1 = static_cast<int>(std::ceil(maxY));
    for (int y = by0; y <= by1; ++y) {
        for (int x = bx0; x <= bx1; ++x) {
            int tx = x, ty = y;
            if (wrap) {
                tx = wrapIndex(x, layer.width);
                ty = wrapIndex(y, layer.height);
            } else if (x < 0 || y < 0 || x >= layer.width || y >= layer.height) {
                continue;
            }
            fn(layer.at(tx, ty), x + 0.5f, y + 0.5f);
        }
    }
}

}  // namespace

void drawLine(Layer& layer, float x0, float y0, float x1, float y1, float width, float intensity,
              bool wrap, bool additive) {
    float pad = width + 1.5f;
    float dx = x1 - x0, dy = y1 - y0;
    float len2 = std::max(dx * dx + dy * dy, 1e-6f);
    forBox(layer, std::min(x0, x1) - pad, std::min(y0, y1) - pad, std::max(x0, x1) + pad,
           std::max(y0, y1) + pad, wrap, [&](float& v, float px, float py) {
               float t = std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0f, 1.0f);
               float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
               float d = std::sqrt(ex * ex + ey * ey);
               float c = clamp01(width * 0.5f + 0.5f - d) * intensity;
               if (additive) {
                   v += c;
               } else {
                   v = std::max(v, c);
               }
           });
}

void drawDot(Layer& layer, float cx, float cy, float radius, float intensity, bool wrap) {
    float pad = radius * 3.0f + 1.0f;
    forBox(layer, cx - pad, cy - pad, cx + pad, cy + pad, wrap, [&](float& v, float px, float py) {
        float d2 = (px - cx) * (px - cx) + (py - cy) * (py - cy);
        v += intensity * std::exp(-d2 / (2.0f * radius * radius));
    });
}
