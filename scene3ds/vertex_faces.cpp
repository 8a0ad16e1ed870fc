#include "scene3ds/vertex_faces.h"

VertexFaces::VertexFaces(const std::vector<Face3ds>& faces, std::size_t vertexCount)
    : offsets_(vertexCount + 1, 0), entries_(faces.size() * 3) {
    for (const Face3ds& f : faces) {
        ++offsets_[f.a + 1];
        ++offsets_[f.b + 1];
        ++offsets_[f.c + 1];
    }
    for (std::size_t v = 0; v < vertexCount; ++v) offsets_[v + 1] += offsets_[v];
    std::vector<std::uint32_t> next(offsets_.begin(), offsets_.end() - 1);
    for (std::uint32_t j = 0; j < faces.size(); ++j) {
        entries_[next[faces[j].a]++] = j;
        entries_[next[faces[j].b]++] = j;
        entries_[next[faces[j].c]++] = j;
    }
}
