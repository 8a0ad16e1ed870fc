#pragma once
// Draws a loaded 3DS model through the GL 1.x path the build links (the
// system's GL, or the fixed-function layer): every mesh with its materials
// and first texture map, the file's omni and spot lights (or a headlight
// when it has none), lit on the side that faces the viewer, at any frame of
// its animation and from any view. Vertex arrays straight from the model's
// lists, drawn with glDrawElements.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/render_context.h"
#include "scene3ds/model3ds.h"
#include "scene3ds/scene_extras.h"
#include "scene3ds_render/draw_lists.h"
#include "scene3ds_render/mesh_buffers.h"
#include "scene3ds_render/scene_placement.h"
#include "scene3ds_render/scene_views.h"

struct DrawOptions {
    bool wire = false;           // every mesh as its edges
    bool normals = false;        // vertex normals as short lines
    bool tangentFrames = false;  // tangent, binormal and normal as short lines
    std::array<float, 3> background{0.0f, 0.0f, 0.0f};
};

// The context's texture slots the renderer makes its textures in (absolute
// slots, one per texture file).
constexpr int kSceneTextureSlots = 2000000;

class SceneRenderer {
  public:
    // Makes the draw lists of `model`, which must outlive the renderer, and
    // places its objects by the file's node tree in `extras` where it names
    // them (else as the loader placed them). Needs no GL.
    void prepare(const Model3ds& model, SceneExtras extras = {});
    // prepare(), then setUpGl(): loads the first texture map of every
    // material from `folder` into the context's slots and hands the meshes
    // to the GL (a GL context must be current). A picture that cannot be
    // found or read adds one line to `warnings` naming the file; its
    // materials draw in their own colours.
    void setUp(const Model3ds& model, const std::filesystem::path& folder, RenderContext& context,
               std::vector<std::string>& warnings, SceneExtras extras = {});
    // The GL's part alone, for a renderer prepare() has made ready: the
    // textures, and the meshes in buffer objects where the GL has them.
    void setUpGl(const std::filesystem::path& folder, RenderContext& context,
                 std::vector<std::string>& warnings);
    // Whether setUpGl() puts the meshes in buffer objects where the GL has
    // them (the default) or every draw hands them over from memory.
    void useBufferObjects(bool use) { useBufferObjects_ = use; }
    bool drawsFromBufferObjects() const { return buffers_.inUse(); }

    // Draws `frame` of the animation from `view` into the current viewport
    // of `width` by `height` pixels, clearing it first.
    void draw(std::uint32_t frame, const ViewSetup& view, int width, int height,
              const DrawOptions& options);

    const std::vector<MeshDrawList>& drawLists() const { return lists_; }
    const ScenePlacement& placement() const { return placement_; }
    // How long the normal and tangent lines are: 6 % of the scene box's half diagonal.
    float lineLength() const { return lineLength_; }

  private:
    void placeLights(std::uint32_t frame);
    void applyMaterial(int material, bool textured, float alpha);
    bool bindMaterialTexture(int material);
    // The material's extras from the file; null when the file gave none.
    const MaterialExtras* extrasOf(int material) const;
    void drawMesh(std::size_t index, bool transparentPass, const DrawOptions& options);
    void drawLines(const LineList& lines);
    // Makes the bump maps' normal maps, where the GL can draw them.
    void setUpBumpMaps(const std::filesystem::path& folder, std::vector<std::string>& warnings);
    // The dot-product pass over the opaque bump-mapped faces of every
    // visible instance, lit by `light` (in the scene: w 1 a point, w 0 a
    // direction).
    void drawBumps(std::uint32_t frame, const std::array<float, 4>& light);
    // Sets the texture matrix for `map`'s tiling, offset and rotation.
    void loadMapMatrix(const TextureMap3ds& map);

    const Model3ds* model_ = nullptr;
    ScenePlacement placement_;
    // Per material: its extras, or null.
    std::vector<const MaterialExtras*> materialExtras_;
    RenderContext* context_ = nullptr;
    std::vector<MeshDrawList> lists_;
    MeshBuffers buffers_;
    bool useBufferObjects_ = true;
    // Per material: its texture's slot, or -1.
    std::vector<int> textureSlots_;
    // Per material: its bump map's normal map's slot, or -1.
    std::vector<int> bumpSlots_;
    int nextSlot_ = kSceneTextureSlots;
    std::vector<std::array<unsigned char, 3>> bumpColors_;
    // Made when first asked for.
    std::vector<std::vector<std::uint16_t>> edges_;
    std::vector<LineList> normalLines_;
    std::vector<LineList> tangentLines_;
    float lineLength_ = 1.0f;
};
