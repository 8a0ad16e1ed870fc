#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "noise.h"
#include "text.h"

namespace {

constexpr float kPi = 3.14159265358979f;

}  // namespace

Canvas drawGlow(int size) {
    Canvas c(size, size);
    float half = size * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = (x + 0.5f - half) / half, dy = (y + 0.5f - half) / half;
            float r = std::sqrt(dx * dx + dy * dy);
            // A hot core, a wider halo and a faint outer bloom, brought to
            // exactly zero before the rim so no square edge ever shows.
            float core = std::exp(-(r * r) / (2 * 0.07f * 0.07f));
            float halo = 0.55f * std::exp(-(r * r) / (2 * 0.2f * 0.2f));
            float bloom = 0.18f * std::exp(-(r * r) / (2 * 0.42f * 0.42f));
            float rim = 1.0f - smoothstep(0.72f, 0.97f, r);
            Rgb colour = Rgb{1.0f, 1.0f, 1.0f} * core + Rgb{0.80f, 0.88f, 1.0f} * halo +
                         Rgb{0.55f, 0.68f, 1.0f} * bloom;
            c.at(x, y) = colour * rim;
        }
    }
    return c;
}

CloudPair drawClouds(int size) {
    // A cumulus built from round puffs (in tile units): a broad base row,
    // a middle row and a few towers on top, jittered from a fixed seed.
    struct Puff {
        float x, y, r;
    };
    Rng rng(0xC10D5u);
    std::vector<Puff> puffs;
    auto row = [&](int count, float x0, float x1, float y, float r0, float r1) {
        for (int i = 0; i < count; ++i) {
            float t = count == 1 ? 0.5f : static_cast<float>(i) / (count - 1);
            float x = x0 + (x1 - x0) * t + rng.range(-0.02f, 0.02f);
            // Bigger puffs in the middle of a row.
            float r = r0 + (r1 - r0) * (1.0f - std::abs(2 * t - 1)) + rng.range(-0.01f, 0.01f);
            puffs.push_back({x, y + rng.range(-0.02f, 0.02f), r});
        }
    };
    row(6, 0.22f, 0.78f, 0.60f, 0.08f, 0.12f);
    row(4, 0.31f, 0.69f, 0.49f, 0.09f, 0.125f);
    row(2, 0.42f, 0.58f, 0.38f, 0.085f, 0.085f);
    // Small puffs on the upper surface of the big ones: the cauliflower
    // texture of a cumulus.
    const std::size_t big = puffs.size();
    for (int i = 0; i < 26; ++i) {
        const Puff& host = puffs[static_cast<std::size_t>(rng.uniform() * big)];
        float a = rng.range(-kPi * 0.95f, -kPi * 0.05f);  // upper half (image y grows down)
        float d = host.r * rng.range(0.75f, 0.95f);
        puffs.push_back(
            {host.x + std::cos(a) * d, host.y + std::sin(a) * d, host.r * rng.range(0.28f, 0.45f)});
    }

    // Height of the puff surfaces (as spheres) and the cloud's coverage.
    Layer height(size, size), cover(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            // Warp a little with noise so the outlines billow and fray.
            float wu = u + 0.035f * (tiledFbm(u, v, 6, 3, 11u) - 0.5f);
            float wv = v + 0.035f * (tiledFbm(u, v, 6, 3, 23u) - 0.5f);
            // Smooth unions of the puffs' heights (as spheres) and of their
            // insides, so no crease or seam shows where they meet.
            float hs = 0, soft = 0;
            for (const Puff& p : puffs) {
                float d = std::sqrt((wu - p.x) * (wu - p.x) + (wv - p.y) * (wv - p.y));
                hs += std::exp(std::sqrt(std::max(0.0f, p.r * p.r - d * d)) / 0.012f);
                soft += std::exp((p.r - d) / 0.02f);
            }
            float h = 0.012f * std::log(hs);
            float inside = 0.02f * std::log(soft);
            // Cut the underside flat-ish.
            float base = smoothstep(0.66f, 0.72f, v);
            float fray = tiledFbm(u, v, 8, 4, 77u);
            float c = smoothstep(-0.015f, 0.03f, inside + 0.03f * (fray - 0.5f)) * (1 - base);
            float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
            c *= smoothstep(0.02f, 0.12f, edge);
            // The body is not quite opaque; thinner towards its outline.
            cover.at(x, y) = c * (0.72f + 0.23f * smoothstep(0.0f, 0.06f, inside));
            height.at(x, y) = h + 0.01f * tiledFbm(u, v, 12, 3, 91u);
        }
    }
    height = blurred(height, size / 256.0f * 1.5f);
    cover = blurred(cover, size / 256.0f * 1.0f);

    CloudPair pair{Canvas(size, size), Canvas(size, size)};
    Rgb shadow{0.42f, 0.47f, 0.62f}, light{1.0f, 0.99f, 0.95f};
    // Light from above, to the left and towards the viewer.
    const float lx = -0.45f, ly = -0.70f, lz = 0.55f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float gx = (height.sample(x + 1.0f, y) - height.sample(x - 1.0f, y)) * size * 0.5f;
            float gy = (height.sample(x, y + 1.0f) - height.sample(x, y - 1.0f)) * size * 0.5f;
            float nx = -gx, ny = -gy, nz = 1.0f;
            float len = std::sqrt(nx * nx + ny * ny + nz * nz);
            // Wrapped diffuse light: clouds scatter, so the dark side is not black.
            float lambert = clamp01(((nx * lx + ny * ly + nz * lz) / len + 0.45f) / 1.45f);
            float v = (y + 0.5f) / size;
            float lit = (0.15f + 0.95f * lambert) * (1.0f - 0.35f * smoothstep(0.45f, 0.70f, v));
            // Outside the cloud the colour stays a mid cloud tone, so
            // filtering at the thin edges brings in no dark fringe.
            pair.colour.at(x, y) = mix(shadow, light, clamp01(lit));
            float a = cover.at(x, y);
            pair.opacity.at(x, y) = Rgb{a, a, a};
        }
    }
    return pair;
}

namespace {

// Adds `text` (coverage) with a soft glow under it.
void addGlowingText(Canvas& c, const Layer& text, Rgb textColour, Rgb glowColour, float sigma) {
    Layer glow = blurred(text, sigma);
    c.addLayer(glow, glowColour);
    c.addLayer(text, textColour);
}

void drawSnowflake(Layer& layer, float cx, float cy, float radius, float angle, float width) {
    for (int arm = 0; arm < 6; ++arm) {
        float a = angle + arm * kPi / 3.0f;
        float ex = cx + std::cos(a) * radius, ey = cy + std::sin(a) * radius;
        drawLine(layer, cx, cy, ex, ey, width, 1.0f, false, false);
        for (float at : {0.45f, 0.7f}) {
            float bx = cx + std::cos(a) * radius * at, by = cy + std::sin(a) * radius * at;
            float len = radius * (at < 0.5f ? 0.32f : 0.22f);
            for (float side : {-1.0f, 1.0f}) {
                float b = a + side * kPi / 4.0f;
                drawLine(layer, bx, by, bx + std::cos(b) * len, by + std::sin(b) * len,
                         width * 0.8f, 1.0f, false, false);
            }
        }
    }
}

}  // namespace

// The two closing pictures are added onto the frame around the same centre
// and overlap for almost four seconds, so they share one light and one glow
// and keep to opposite halves: the greeting above the middle, the credits
// below it. Both grow slowly about the centre, which keeps each half on its
// own side; the outer 6 % may be cut off by the screen's edge late on.
namespace {

const Rgb kClosingText{1.0f, 0.96f, 0.86f};
const Rgb kClosingGlow{0.80f, 0.46f, 0.16f};
constexpr float kClosingGlowSigma = 5.0f;  // pixels at 512

}  // namespace

Canvas drawCredits(int size, const std::string& fontDir) {
    Canvas c(size, size);
    float s = size / 512.0f;
    const std::string credit = " = Brontavik 2006  . KRV / Zolvi 2006 = ";

    Layer text(size, size);
    Font heading(fontDir + "DejaVuSans.ttf", static_cast<int>(16 * s));
    heading.drawCentred(text, "CODE  &  GRAPHICS", size * 0.5f, size * 0.645f, 3 * s);

    // The credit line as large as fits in 84 % of the width.
    int px = static_cast<int>(30 * s);
    while (px > 8) {
        Font f(fontDir + "DejaVuSans-Bold.ttf", px);
        if (f.measure(credit) <= size * 0.84f) break;
        --px;
    }
    Font bold(fontDir + "DejaVuSans-Bold.ttf", px);
    bold.drawCentred(text, credit, size * 0.5f, size * 0.735f);

    // Two hairlines framing the credit, fading out towards their ends.
    Layer rules(size, size);
    auto rule = [&](float y, float halfWidth, float intensity) {
        const int steps = 24;
        for (int i = 0; i < steps; ++i) {
            float a = -halfWidth + 2 * halfWidth * i / steps;
            float b = a + 2 * halfWidth / steps;
            float mid = (a + b) * 0.5f / halfWidth;
            float fade = 1.0f - mid * mid;
            drawLine(rules, size * (0.5f + a), size * y, size * (0.5f + b), size * y, 1.0f * s,
                     intensity * fade, false, false);
        }
    };
    rule(0.59f, 0.30f, 0.8f);
    rule(0.77f, 0.22f, 0.6f);

    addGlowingText(c, text, kClosingText, kClosingGlow, kClosingGlowSigma * s);
    addGlowingText(c, rules, kClosingGlow, kClosingGlow * 0.5f, 2.0f * s);
    return c;
}

Canvas drawGreeting(int size, const std::string& fontDir) {
    Canvas c(size, size);
    float s = size / 512.0f;

    Layer text(size, size);
    Font big(fontDir + "DejaVuSerif-Bold.ttf", static_cast<int>(52 * s));
    big.drawCentred(text, "Merry", size * 0.5f, size * 0.215f, 2 * s);
    big.drawCentred(text, "Christmas", size * 0.5f, size * 0.325f, 2 * s);
    Font small(fontDir + "DejaVuSerif.ttf", static_cast<int>(21 * s));
    small.drawCentred(text, "and a happy new year", size * 0.5f, size * 0.41f, 2 * s);

    // Snowflakes frame the greeting at the sides and the top; the lower half
    // stays dark for the credits.
    Layer flakes(size, size);
    Rng rng(0x5EA5u);
    struct Flake {
        float x, y, r;
    };
    const Flake fixed[] = {{0.13f, 0.14f, 22}, {0.87f, 0.15f, 19}, {0.10f, 0.36f, 15},
                           {0.90f, 0.34f, 17}, {0.31f, 0.07f, 10}, {0.69f, 0.08f, 11},
                           {0.50f, 0.06f, 7},  {0.21f, 0.46f, 8},  {0.79f, 0.45f, 9}};
    for (const Flake& f : fixed) {
        drawSnowflake(flakes, f.x * size, f.y * size, f.r * s, rng.range(0, kPi / 3), 2.0f * s);
    }
    // Fine snow, thinning out downwards and gone before the middle.
    Layer sparkles(size, size);
    for (int i = 0; i < 70; ++i) {
        float x = rng.range(0.06f, 0.94f), y = rng.range(0.05f, 0.52f);
        float intensity = rng.range(0.3f, 0.9f) * (1.0f - smoothstep(0.38f, 0.52f, y));
        // Keep the lines of the greeting calm.
        if (y > 0.13f && y < 0.43f && x > 0.2f && x < 0.8f) continue;
        drawDot(sparkles, x * size, y * size, rng.range(0.6f, 1.6f) * s, intensity);
    }

    addGlowingText(c, text, kClosingText, kClosingGlow, kClosingGlowSigma * s);
    addGlowingText(c, flakes, Rgb{0.80f, 0.90f, 1.0f}, Rgb{0.25f, 0.45f, 0.9f}, 3.0f * s);
    c.addLayer(sparkles, Rgb{0.9f, 0.95f, 1.0f});
    return c;
}

Canvas drawFilmGrain(int size) {
    Rng rng(0xF11Au);
    Layer grain(size, size);
    // Sparse specks of many sizes.
    int specks = size * size / 350;
    for (int i = 0; i < specks; ++i) {
        float x = rng.range(0, size), y = rng.range(0, size);
        float r = 0.35f + 0.9f * rng.uniform() * rng.uniform();
        drawDot(grain, x, y, r, rng.range(0.25f, 0.9f), true);
    }
    // Hairline scratches: long, near-vertical, gently wandering, each running
    // the whole height so it continues into the tile below.
    for (int i = 0; i < 4; ++i) {
        float x0 = rng.range(0, size);
        float wander = rng.range(1.0f, 4.0f), phase = rng.range(0, 2 * kPi);
        float lean = std::round(rng.range(-1.0f, 1.0f));  // whole pixels per tile height
        float strength = rng.range(0.25f, 0.55f);
        int segments = 64;
        for (int k = 0; k < segments; ++k) {
            float t0 = static_cast<float>(k) / segments, t1 = static_cast<float>(k + 1) / segments;
            auto xAt = [&](float t) {
                return x0 + lean * t + wander * std::sin(2 * kPi * t + phase);
            };
            // Scratches come and go along their length (periodic in t, so
            // the tile still joins).
            float wave = 0.5f + 0.5f * std::sin(2 * kPi * (1 + i % 2) * t0 + phase * 1.7f);
            float fade = smoothstep(0.25f, 0.7f, wave);
            if (fade > 0.0f) {
                drawLine(grain, xAt(t0), t0 * size, xAt(t1), t1 * size, 0.8f, strength * fade, true,
                         false);
            }
        }
    }
    // Dust: a few short curled fibres and clumps.
    for (int i = 0; i < 7; ++i) {
        float x = rng.range(0, size), y = rng.range(0, size);
        float a = rng.range(0, 2 * kPi), curl = rng.range(-0.25f, 0.25f);
        float strength = rng.range(0.35f, 0.7f);
        int steps = static_cast<int>(rng.range(8, 22));
        for (int k = 0; k < steps; ++k) {
            float nx = x + std::cos(a) * 1.5f, ny = y + std::sin(a) * 1.5f;
            drawLine(grain, x, y, nx, ny, 1.0f, strength, true, false);
            x = nx;
            y = ny;
            a += curl + rng.range(-0.15f, 0.15f);
        }
    }
    for (int i = 0; i < 6; ++i) {
        float x = rng.range(0, size), y = rng.range(0, size);
        for (int k = 0; k < 5; ++k) {
            drawDot(grain, x + rng.range(-2, 2), y + rng.range(-2, 2), rng.range(0.6f, 1.3f),
                    rng.range(0.4f, 0.8f), true);
        }
    }

    Canvas c(size, size);
    c.addLayer(grain, Rgb{0.95f, 0.93f, 0.88f});
    return c;
}
