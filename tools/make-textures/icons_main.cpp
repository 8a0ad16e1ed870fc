// Draws the application icon at the usual sizes into a hicolor icon tree.
// Usage: make-icons OUTPUT_DIR   (writes OUTPUT_DIR/NxN/apps/brontavik.png)
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "icon.h"
#include "png_writer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icons OUTPUT_DIR\n");
        return 2;
    }
    try {
        for (int size : {16, 32, 48, 64, 128, 256, 512}) {
            const std::string name = std::to_string(size) + "x" + std::to_string(size);
            const std::filesystem::path dir = std::filesystem::path(argv[1]) / name / "apps";
            std::filesystem::create_directories(dir);
            const Icon icon = drawIcon(size);
            const std::vector<std::uint8_t> rgb = icon.colour.toBytes();
            std::vector<std::uint8_t> rgba;
            rgba.reserve(static_cast<std::size_t>(size) * size * 4);
            for (std::size_t i = 0; i < icon.opacity.v.size(); ++i) {
                rgba.insert(rgba.end(), {rgb[i * 3], rgb[i * 3 + 1], rgb[i * 3 + 2]});
                rgba.push_back(
                    static_cast<std::uint8_t>(std::lround(clamp01(icon.opacity.v[i]) * 255)));
            }
            writePngRgba((dir / "brontavik.png").string(), size, size, rgba);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-icons: %s\n", e.what());
        return 1;
    }
    return 0;
}
