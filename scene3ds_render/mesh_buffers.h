#pragma once
// The meshes' vertex arrays and draw lists in the GL's buffer objects, where
// the GL offers them: they are handed to the GL once, not with every draw.
// Where it does not (the fixed-function layer), the draws point at the
// model's own arrays as before; the pictures are the same.
#include <cstddef>
#include <vector>

#include "platform/gl_buffer_objects.h"
#include "scene3ds/model3ds.h"
#include "scene3ds_render/draw_lists.h"

class MeshBuffers {
  public:
    // Copies every mesh's arrays and draw lists into buffer objects when
    // `gl` offers them, first letting go of those made before. A GL context
    // must be current; `model` and `lists` must outlive the buffers' use.
    void upload(const platform::GlBufferObjects& gl, const Model3ds& model,
                const std::vector<MeshDrawList>& lists);
    // Lets the buffers go (a GL context must be current). Buffers left when
    // the renderer ends go with the context, as its textures do.
    void release();
    // The draw lists were made again: draws go from memory until the next
    // upload, which lets these buffers go.
    void markStale() { stale_ = true; }
    bool inUse() const { return !stale_ && !meshes_.empty(); }

    // Points the vertex, normal and texture-coordinate arrays at mesh
    // `index`'s shared vertices, or at its flat-shaded ones.
    void pointAtVertices(std::size_t index, const Mesh3ds& mesh);
    void pointAtFlatVertices(std::size_t index, const MeshDrawList& list);
    // What glDrawElements takes for batch `batch` of mesh `index`'s smooth
    // list (its element buffer bound, or the indices themselves).
    const void* batchIndices(std::size_t index, std::size_t batch, const MaterialBatch& indices);
    // Indices from memory again, for lines made on the way.
    void unbindIndices();
    // Client arrays again, for what is drawn from memory.
    void unbind();

  private:
    struct Buffers {
        GLuint vertices = 0;  // positions, normals, uv
        GLuint indices = 0;   // every smooth batch's indices, one after another
        GLuint flat = 0;      // flat positions, normals, uv
        std::size_t normalsAt = 0, uvAt = 0;
        std::size_t flatNormalsAt = 0, flatUvAt = 0;
        std::vector<std::size_t> batchAt;
    };
    // The three arrays from `buffer` at these offsets, or from memory.
    void pointAt(GLuint buffer, std::size_t normalsAt, std::size_t uvAt,
                 const std::vector<Vec3f>& positions, const std::vector<Vec3f>& normals,
                 const std::vector<Vec2f>& uv);

    platform::GlBufferObjects gl_;
    std::vector<Buffers> meshes_;
    bool stale_ = false;
};
