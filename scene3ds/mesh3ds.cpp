#include "scene3ds/mesh3ds.h"

Mesh3ds::~Mesh3ds() = default;

void Mesh3ds::resizeVertices(std::size_t count) {
    positions.resize(count, Vec3f{});
    normals.resize(count, Vec3f{});
    binormals.resize(count, Vec3f{});
    tangents.resize(count, Vec3f{});
    uv.resize(count, Vec2f{});
    uv2.resize(count, Vec2f{});
}
