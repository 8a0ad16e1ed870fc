#include "scene3ds_render/bump_maps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene/gl_headers.h"

namespace {

using V3 = std::array<double, 3>;

double dot(const V3& a, const V3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

unsigned char encode(double v) {
    return static_cast<unsigned char>(std::lround(std::clamp(0.5 + v / 2, 0.0, 1.0) * 255));
}

}  // namespace

bool glOffersDot3() {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (text == nullptr) return false;
    return std::strstr(text, "GL_ARB_texture_env_dot3") != nullptr ||
           std::strstr(text, "GL_EXT_texture_env_dot3") != nullptr;
}

TexturePicture normalMapFromHeights(const TexturePicture& heights, float strength) {
    TexturePicture normals;
    normals.width = heights.width;
    normals.height = heights.height;
    normals.rgba.resize(heights.rgba.size());
    const int w = heights.width, h = heights.height;
    if (w <= 0 || h <= 0 || heights.rgba.size() < static_cast<std::size_t>(w) * h * 4)
        return normals;
    auto height = [&](int x, int y) {
        // Repeating, as the map repeats over the faces.
        x = (x % w + w) % w;
        y = (y % h + h) % h;
        const unsigned char* p = &heights.rgba[(static_cast<std::size_t>(y) * w + x) * 4];
        return (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) / 255.0;
    };
    const double s = std::isfinite(strength) ? strength : 1.0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double du = (height(x + 1, y) - height(x - 1, y)) / 2 * s;
            const double dv = (height(x, y + 1) - height(x, y - 1)) / 2 * s;
            const double length = std::sqrt(du * du + dv * dv + 1);
            unsigned char* out = &normals.rgba[(static_cast<std::size_t>(y) * w + x) * 4];
            out[0] = encode(-du / length);
            out[1] = encode(-dv / length);
            out[2] = encode(1 / length);
            out[3] = 255;
        }
    return normals;
}

void bumpLightColors(const Mesh3ds& mesh, const std::array<float, 4>& light,
                     std::vector<std::array<unsigned char, 3>>& colors) {
    const std::size_t n = mesh.positions.size();
    colors.resize(n);
    // The colour that leaves a face as lit: (0, 0, 1/2) dotted with a
    // normal of the map near (0, 0, 1).
    const std::array<unsigned char, 3> neutral{encode(0), encode(0), encode(0.5)};
    for (std::size_t v = 0; v < n; ++v) {
        const Vec3f& p = mesh.positions[v];
        const V3 t{mesh.tangents[v][0], mesh.tangents[v][1], mesh.tangents[v][2]};
        const V3 nn{mesh.normals[v][0], mesh.normals[v][1], mesh.normals[v][2]};
        // The map's v direction: normal cross tangent.
        const V3 b{nn[1] * t[2] - nn[2] * t[1], nn[2] * t[0] - nn[0] * t[2],
                   nn[0] * t[1] - nn[1] * t[0]};
        V3 l{light[0], light[1], light[2]};
        if (light[3] != 0)
            for (int c = 0; c < 3; ++c) l[c] -= p[c];
        const double length = std::sqrt(dot(l, l));
        const V3 tangentSpace{dot(l, t) / length, dot(l, b) / length, dot(l, nn) / length};
        const double lz = tangentSpace[2];
        if (!(length > 0) || !std::isfinite(lz) || !std::isfinite(tangentSpace[0]) ||
            !std::isfinite(tangentSpace[1])) {
            colors[v] = neutral;
            continue;
        }
        // Full effect where the light stands high over the face, none where
        // it grazes or is behind (the face is dark there anyway).
        const double weight = std::clamp((lz - 0.1) / 0.4, 0.0, 1.0);
        const double k = 0.5 / std::max(lz, 0.5);
        for (int c = 0; c < 3; ++c) {
            const double flat = c == 2 ? 0.5 : 0.0;
            colors[v][c] = encode(weight * k * tangentSpace[c] + (1 - weight) * flat);
        }
    }
}
