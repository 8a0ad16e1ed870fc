#pragma once
// For every vertex, the faces that use it, in face order: one flat list of
// face numbers with an offset per vertex. A face that uses a vertex twice is
// listed twice for it.
#include <cstdint>
#include <span>
#include <vector>

#include "scene3ds/mesh3ds.h"

class VertexFaces {
  public:
    VertexFaces(const std::vector<Face3ds>& faces, std::size_t vertexCount);
    std::span<const std::uint32_t> of(std::size_t vertex) const {
        return {entries_.data() + offsets_[vertex], offsets_[vertex + 1] - offsets_[vertex]};
    }

  private:
    std::vector<std::uint32_t> offsets_;
    std::vector<std::uint32_t> entries_;
};
