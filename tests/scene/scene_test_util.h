#pragma once
// Small helpers shared by the scene's drawing tests.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "scene/demo_random.h"
#include "tests/support/png_writer.h"

namespace scenetest {

// The generator's state after `seed` and `draws` draws.
inline std::uint32_t stateAfter(std::uint32_t seed, int draws) {
    seedRandom(seed);
    for (int i = 0; i < draws; ++i) nextRandom();
    return demoRandom().state;
}

// Where the tests leave pictures to look at: build/bin/scene_images/.
inline std::string imagePath(const std::string& name) {
    const char* bin = std::getenv("BRONTAVIK_BIN_DIR");
    std::filesystem::path dir = std::filesystem::path(bin != nullptr ? bin : ".") / "scene_images";
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

inline bool saveRgba(const std::string& name, const std::vector<std::uint8_t>& pixels, int width,
                     int height) {
    return writePng(imagePath(name), pixels, width, height, 4);
}

inline const std::uint8_t* pixelAt(const std::vector<std::uint8_t>& topDown, int width, int x,
                                   int row) {
    return topDown.data() + (static_cast<std::size_t>(row) * width + x) * 4;
}

}  // namespace scenetest
