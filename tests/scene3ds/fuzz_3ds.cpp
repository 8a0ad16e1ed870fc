// Fuzz target: the whole load from bytes, then the scene renderer's set-up
// up to its GL calls (draw lists, edges, normal and tangent lines,
// placement at the first, a middle and the last frame, the views). Besides
// memory errors it checks what the renderer relies on: equal per-vertex
// list lengths, every index within its list. No GL context is made: the
// GL calls themselves are the driver's.
#include <cstddef>
#include <cstdint>

#include "scene3ds/model3ds_loader.h"
#include "scene3ds_render/scene_renderer.h"

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
    SceneRenderer renderer;
    renderer.prepare(loader);
    require(renderer.drawLists().size() == loader.meshes.size());
    for (std::size_t i = 0; i < loader.meshes.size(); ++i) {
        const Mesh3ds& mesh = loader.meshes[i];
        const MeshDrawList& list = renderer.drawLists()[i];
        for (const MaterialBatch& batch : list.smooth)
            for (std::uint16_t v : batch.indices) require(v < mesh.positions.size());
        for (const FlatRun& run : list.flat)
            require(run.first + run.count <= list.flatPositions.size());
        for (std::uint16_t v : meshEdges(mesh)) require(v < mesh.positions.size());
        normalLines(mesh, renderer.lineLength());
        tangentFrameLines(mesh, renderer.lineLength());
    }
    const std::uint32_t last = loader.frameCount > 0 ? loader.frameCount - 1 : 0;
    for (std::uint32_t frame : {0u, last / 2, last}) {
        const Bounds bounds = sceneBounds(loader, frame);
        for (AxisView view : {AxisView::Front, AxisView::Top, AxisView::Left})
            axisViewSetup(view, {}, bounds, 64, 48);
        for (const Camera3ds& camera : loader.cameras) cameraViewSetup(camera, {}, bounds, 64, 48);
    }
    return 0;
}
