// Fuzz target: the whole load from bytes, the scene extras read from the
// same bytes, then the scene renderer's set-up and real draws into a small
// offscreen buffer (one hidden GL context per fuzzing process, SDL's
// offscreen driver on Mesa): every frame of a short animation's start,
// middle and end, the axis views and the file's cameras, faces, wires,
// normals and tangent frames. Besides memory errors it checks what the
// renderer relies on: equal per-vertex list lengths, every index within
// its list, parents that end at a root.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "runtime/render_context.h"
#include "scene3ds/model3ds_loader.h"
#include "scene3ds/scene_extras.h"
#include "scene3ds_render/scene_renderer.h"
#include "tests/support/gl_test_context.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

// Made on the first input and kept for the process: creating a context
// per input would cost far more than the draw.
GlTestContext& glContext() {
    static GlTestContext* context = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        return new GlTestContext(kWidth, kHeight);
    }();
    return *context;
}

void checkModel(const Model3dsLoader& loader) {
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
}

void checkExtras(const SceneExtras& extras) {
    for (const SceneNode& node : extras.nodes) {
        // Every chain of parents reaches a root within the node count.
        int at = node.parent;
        for (std::size_t steps = 0; at >= 0; ++steps) {
            require(steps < extras.nodes.size() &&
                    static_cast<std::size_t>(at) < extras.nodes.size());
            at = extras.nodes[static_cast<std::size_t>(at)].parent;
        }
        for (std::size_t k = 1; k < node.position.size(); ++k)
            require(node.position[k - 1].frame < node.position[k].frame);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto loader = std::make_unique<Model3dsLoader>();
    const bool loaded = loader->loadBytes(data, size);
    checkModel(*loader);
    SceneExtras extras = readSceneExtras(data, size);
    checkExtras(extras);
    if (!loaded) return 0;

    SceneRenderer renderer;
    renderer.prepare(*loader, extras);
    require(renderer.drawLists().size() == loader->meshes.size());
    for (std::size_t i = 0; i < loader->meshes.size(); ++i) {
        const Mesh3ds& mesh = loader->meshes[i];
        const MeshDrawList& list = renderer.drawLists()[i];
        for (const MaterialBatch& batch : list.smooth)
            for (std::uint16_t v : batch.indices) require(v < mesh.positions.size());
        for (const FlatRun& run : list.flat)
            require(run.first + run.count <= list.flatPositions.size());
        for (std::uint16_t v : meshEdges(mesh)) require(v < mesh.positions.size());
    }
    for (const MeshInstance& instance : renderer.placement().instances())
        require(instance.mesh < loader->meshes.size());

    GlTestContext& gl = glContext();
    if (!gl.ok()) return 0;
    std::vector<std::string> warnings;
    // No texture is found in an empty folder: the warnings path runs, and
    // materials draw in their colours.
    renderer.setUp(*loader, std::filesystem::temp_directory_path() / "fuzz_3ds_no_textures",
                   renderContext(), warnings, std::move(extras));
    const std::uint32_t last = loader->frameCount > 0 ? loader->frameCount - 1 : 0;
    DrawOptions options;
    for (std::uint32_t frame : {0u, last / 2, last}) {
        const Bounds bounds = renderer.placement().bounds(frame);
        options.wire = frame == last;
        options.normals = options.tangentFrames = frame == last / 2;
        for (AxisView view : {AxisView::Front, AxisView::Top})
            renderer.draw(frame, axisViewSetup(view, {}, bounds, kWidth, kHeight), kWidth, kHeight,
                          options);
        for (std::size_t c = 0; c < loader->cameras.size() && c < 2; ++c)
            renderer.draw(
                frame,
                cameraViewSetup(renderer.placement().camera(c, frame), {}, bounds, kWidth, kHeight),
                kWidth, kHeight, options);
    }
    gl.readPixels();  // waits for the draws
    return 0;
}
