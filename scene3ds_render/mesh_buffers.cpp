#include "scene3ds_render/mesh_buffers.h"

#include <cstdint>
#include <cstring>

namespace {

template <typename T>
std::size_t bytesOf(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

// Offsets into a bound buffer go where pointers to memory would.
const void* at(std::size_t offset) {
    return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset));
}

// Appends the bytes of `v` to `bytes` and returns where they start.
template <typename T>
std::size_t append(std::vector<unsigned char>& bytes, const std::vector<T>& v) {
    const std::size_t start = bytes.size();
    bytes.resize(start + bytesOf(v));
    if (!v.empty()) std::memcpy(bytes.data() + start, v.data(), bytesOf(v));
    return start;
}

}  // namespace

void MeshBuffers::upload(const platform::GlBufferObjects& gl, const Model3ds& model,
                         const std::vector<MeshDrawList>& lists) {
    release();
    if (!gl.available() || lists.size() != model.meshes.size()) return;
    gl_ = gl;
    meshes_.resize(model.meshes.size());
    std::vector<unsigned char> bytes;
    auto store = [&](GLenum target, GLuint& buffer) {
        gl_.genBuffers(1, &buffer);
        gl_.bindBuffer(target, buffer);
        gl_.bufferData(target, static_cast<GLsizeiptr>(bytes.size()), bytes.data(), GL_STATIC_DRAW);
        bytes.clear();
    };
    for (std::size_t m = 0; m < meshes_.size(); ++m) {
        const Mesh3ds& mesh = model.meshes[m];
        const MeshDrawList& list = lists[m];
        Buffers& b = meshes_[m];
        append(bytes, mesh.positions);
        b.normalsAt = append(bytes, mesh.normals);
        b.uvAt = append(bytes, mesh.uv);
        store(GL_ARRAY_BUFFER, b.vertices);
        for (const MaterialBatch& batch : list.smooth)
            b.batchAt.push_back(append(bytes, batch.indices));
        store(GL_ELEMENT_ARRAY_BUFFER, b.indices);
        if (!list.flat.empty()) {
            append(bytes, list.flatPositions);
            b.flatNormalsAt = append(bytes, list.flatNormals);
            b.flatUvAt = append(bytes, list.flatUv);
            store(GL_ARRAY_BUFFER, b.flat);
        }
    }
    unbind();
}

void MeshBuffers::release() {
    for (Buffers& b : meshes_) {
        const GLuint names[3] = {b.vertices, b.indices, b.flat};
        gl_.deleteBuffers(3, names);  // 0 is passed over
    }
    meshes_.clear();
    stale_ = false;
}

void MeshBuffers::pointAt(GLuint buffer, std::size_t normalsAt, std::size_t uvAt,
                          const std::vector<Vec3f>& positions, const std::vector<Vec3f>& normals,
                          const std::vector<Vec2f>& uv) {
    if (!inUse()) {
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        glNormalPointer(GL_FLOAT, 0, normals.data());
        glTexCoordPointer(2, GL_FLOAT, 0, uv.data());
        return;
    }
    gl_.bindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexPointer(3, GL_FLOAT, 0, at(0));
    glNormalPointer(GL_FLOAT, 0, at(normalsAt));
    glTexCoordPointer(2, GL_FLOAT, 0, at(uvAt));
}

void MeshBuffers::pointAtVertices(std::size_t index, const Mesh3ds& mesh) {
    const Buffers* b = inUse() ? &meshes_[index] : nullptr;
    pointAt(b ? b->vertices : 0, b ? b->normalsAt : 0, b ? b->uvAt : 0, mesh.positions,
            mesh.normals, mesh.uv);
}

void MeshBuffers::pointAtFlatVertices(std::size_t index, const MeshDrawList& list) {
    const Buffers* b = inUse() ? &meshes_[index] : nullptr;
    pointAt(b ? b->flat : 0, b ? b->flatNormalsAt : 0, b ? b->flatUvAt : 0, list.flatPositions,
            list.flatNormals, list.flatUv);
}

const void* MeshBuffers::batchIndices(std::size_t index, std::size_t batch,
                                      const MaterialBatch& indices) {
    if (!inUse()) return indices.indices.data();
    const Buffers& b = meshes_[index];
    gl_.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, b.indices);
    return at(b.batchAt[batch]);
}

void MeshBuffers::unbindIndices() {
    if (inUse()) gl_.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void MeshBuffers::unbind() {
    if (!inUse()) return;
    gl_.bindBuffer(GL_ARRAY_BUFFER, 0);
    gl_.bindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
