// Fuzz target: the whole load from bytes. Besides memory errors it checks
// what a renderer relies on: equal per-vertex list lengths, every index
// within its list.
#include <cstddef>
#include <cstdint>

#include "scene3ds/model3ds_loader.h"

namespace {
void require(bool condition) {
    if (!condition) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Model3dsLoader loader;
    loader.loadBytes(data, size);
    for (const Mesh3ds& mesh : loader.meshes) {
        const std::size_t n = mesh.positions.size();
        require(mesh.normals.size() == n && mesh.binormals.size() == n &&
                mesh.tangents.size() == n && mesh.uv.size() == n && mesh.uv2.size() == n);
        require(n <= 65536);
        require(mesh.triangles.size() == mesh.faces.size());
        for (const Face3ds& f : mesh.faces) {
            require(f.a < n && f.b < n && f.c < n);
            require(f.materialIndex >= 0 && (f.materialIndex == 0 || std::size_t(f.materialIndex) <
                                                                         loader.materials.size()));
        }
        for (const Triangle16& t : mesh.triangles) require(t[0] < n && t[1] < n && t[2] < n);
    }
    for (const Node3ds& node : loader.nodes) {
        require(node.rotationFrames.empty() || node.rotationFrames.size() == loader.frameCount);
        require(node.positionFrames.empty() || node.positionFrames.size() == loader.frameCount);
    }
    return 0;
}
