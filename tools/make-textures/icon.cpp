#include "icon.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// Distance from `a` to the nearest multiple of `step`.
float offGrid(float a, float step) {
    float m = std::fmod(std::abs(a), step);
    return std::min(m, step - m);
}

}  // namespace

Icon drawIcon(int size) {
    Icon icon{Canvas(size, size), Layer(size, size)};
    const float px = 2.0f / size;  // one pixel in icon units (the icon spans -1..1)
    const float disc = 0.96f, sphere = 0.50f, cage = 0.70f;
    const float wire = std::max(px * 0.75f, 0.011f);  // half width of a cage wire
    // Light from the viewer's left, a little from above and in front.
    const float lx = -0.78f, ly = 0.32f, lz = 0.54f;
    const float tilt = 0.45f, ct = std::cos(tilt), st = std::sin(tilt);

    Layer stars(size, size);
    if (size >= 32) {
        Rng rng(0x57A25u);
        for (int i = 0; i < 40; ++i) {
            float a = rng.range(0, 2 * kPi), r = std::sqrt(rng.uniform()) * disc * 0.95f;
            float x = std::cos(a) * r, y = std::sin(a) * r;
            if (std::hypot(x, y) < cage + 0.05f) continue;
            drawDot(stars, (x + 1) / px, (y + 1) / px,
                    std::max(0.5f, size / 256.0f) * rng.range(0.6f, 1.4f), rng.range(0.4f, 1.0f));
        }
    }

    for (int yi = 0; yi < size; ++yi) {
        for (int xi = 0; xi < size; ++xi) {
            const float x = (xi + 0.5f) * px - 1, y = (yi + 0.5f) * px - 1;  // y grows down
            const float r = std::hypot(x, y);
            // Night sky: deep blue, lighter towards the middle.
            Rgb c =
                mix(Rgb{0.06f, 0.09f, 0.34f}, Rgb{0.01f, 0.02f, 0.10f}, smoothstep(0.0f, disc, r));
            c = c + Rgb{0.85f, 0.9f, 1.0f} * stars.at(xi, yi);
            // A soft blue halo around the sphere.
            c = c +
                Rgb{0.15f, 0.25f, 0.65f} * (0.6f * std::exp(-std::pow((r - sphere) / 0.12f, 2.0f)) *
                                            (r > sphere ? 1.0f : 0.0f));
            // The sphere: ambient deep blue plus light-blue diffuse light.
            const float inSphere = clamp01((sphere - r) / px + 0.5f);
            if (inSphere > 0) {
                const float nz = std::sqrt(std::max(0.0f, sphere * sphere - r * r)) / sphere;
                const float lambert =
                    std::max(0.0f, (x / sphere) * lx + (-y / sphere) * ly + nz * lz);
                const float highlight = std::pow(std::max(0.0f, lambert), 24.0f);
                Rgb lit = Rgb{0.0f, 0.0f, 0.45f} + Rgb{0.6f, 0.6f, 1.0f} * lambert +
                          Rgb{0.5f, 0.5f, 0.45f} * highlight;
                c = mix(c, lit, inSphere);
            }
            // The cage: parallels and meridians every 30 degrees on a sphere
            // tilted towards the viewer; the far side shows fainter.
            if (r < cage + wire) {
                const float rr = std::min(r, cage);
                const float zf = std::sqrt(std::max(0.0f, cage * cage - rr * rr));
                for (float side : {1.0f, -1.0f}) {
                    const float z = zf * side;
                    // Undo the tilt: rotate about the x axis (y up here).
                    const float uy = -y * ct - z * st, uz = -y * st + z * ct;
                    const float lat = std::asin(std::clamp(uy / cage, -1.0f, 1.0f));
                    const float lon = std::atan2(x, uz);
                    const float dLat = offGrid(lat, kPi / 6) * cage;
                    const float dLon = offGrid(lon, kPi / 6) * cage * std::cos(lat);
                    const float d = std::min(dLat, std::abs(lat) > 1.3f ? 1.0f : dLon);
                    const float onWire =
                        clamp01((wire - d) / px + 0.5f) * clamp01((cage + wire - r) / px);
                    // The front half hides the sphere behind it; the back half
                    // is hidden where the sphere is.
                    const float weight = side > 0 ? 0.9f : 0.35f * (1.0f - inSphere);
                    // Near the outline the wires crowd together; the rim
                    // ring below takes over there.
                    const float crowd = 1.0f - smoothstep(cage - 6 * wire, cage - wire, r);
                    c = mix(c, Rgb{0.78f, 0.82f, 0.95f}, onWire * weight * crowd);
                }
                const float rim = clamp01((wire - std::abs(r - cage + wire)) / px + 0.5f);
                c = mix(c, Rgb{0.78f, 0.82f, 0.95f}, rim * 0.9f);
            }
            icon.colour.at(xi, yi) = c;
            icon.opacity.at(xi, yi) = clamp01((disc - r) / px + 0.5f);
        }
    }
    return icon;
}
