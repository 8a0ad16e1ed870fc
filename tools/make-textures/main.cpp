// Draws the demo's six texture pictures and writes them as JPEG files.
// Usage: make-textures OUTPUT_DIR [FONT_DIR]
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "jpeg_writer.h"
#include "pictures.h"

namespace {

void write(const std::filesystem::path& dir, const char* name, const Canvas& c,
           const JpegOptions& options) {
    writeJpeg((dir / name).string(), c.width, c.height, c.toBytes(), options);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: make-textures OUTPUT_DIR [FONT_DIR]\n");
        return 2;
    }
    std::filesystem::path dir = argv[1];
    std::string fontDir = argc == 3 ? argv[2] : "/usr/share/fonts/truetype/dejavu/";
    if (!fontDir.empty() && fontDir.back() != '/') fontDir += '/';
    try {
        std::filesystem::create_directories(dir);
        // The decoder meets baseline and progressive files, full and halved
        // chroma and restart markers across these six.
        write(dir, "blob41bc.jpg", drawGlow(128), {.quality = 95});
        CloudPair clouds = drawClouds(256);
        write(dir, "clouds4.jpg", clouds.colour,
              {.quality = 90, .progressive = true, .fullChroma = false});
        write(dir, "clouds4a.jpg", clouds.opacity, {.quality = 95});
        write(dir, "codergr.jpg", drawCredits(512, fontDir), {.quality = 92, .progressive = true});
        write(dir, "merry.jpg", drawGreeting(512, fontDir), {.quality = 92, .fullChroma = false});
        write(dir, "superfilm3.jpg", drawFilmGrain(256), {.quality = 92, .restartRows = 4});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-textures: %s\n", e.what());
        return 1;
    }
    return 0;
}
