#pragma once
// A second reading of a 3DS file for the renderer: what the loader's model
// does not keep. Materials' extra properties, objects hidden in the editor,
// the scene's ambient light and the keyframer's whole node tree. It reads
// with the loader's bounds-tested chunk reader over the same bytes and
// leaves the loader and its model untouched.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene3ds/material_extras.h"
#include "scene3ds/scene_nodes.h"

struct SceneExtras {
    std::vector<MaterialExtras> materials;  // in file order
    std::vector<std::string> hiddenObjects;
    bool hasAmbientLight = false;
    std::array<float, 3> ambientLight{0.0f, 0.0f, 0.0f};
    // The keyframer's active segment (0xB008), when the file states one.
    bool hasSegment = false;
    std::uint32_t segmentStart = 0;
    std::uint32_t segmentEnd = 0;
    std::vector<SceneNode> nodes;  // in file order

    // The extras of the first material named `name`; null when none is.
    const MaterialExtras* material(const std::string& name) const;
    bool objectHidden(const std::string& name) const;
};

// Reads the extras from a file image; a file that is not a 3DS scene, or
// damaged, gives what could be read (possibly nothing).
SceneExtras readSceneExtras(const std::uint8_t* data, std::size_t size);
// Reads the file whole and then its extras; empty extras when it cannot.
SceneExtras readSceneExtrasFile(const char* path);
