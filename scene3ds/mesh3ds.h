#pragma once
// A triangle mesh of a 3DS scene, laid out for drawing: per-vertex arrays of
// equal length, faces referring to vertices and materials by index, and a
// flat 16-bit index array.
#include <array>
#include <cstdint>
#include <vector>

#include "scene3ds/named_records.h"

using Vec3f = std::array<float, 3>;
using Vec2f = std::array<float, 2>;
using Triangle16 = std::array<std::uint16_t, 3>;

struct Face3ds {
    std::uint16_t a = 0;
    std::uint16_t b = 0;
    std::uint16_t c = 0;
    std::uint32_t smoothingGroup = 0;
    Vec3f normal = {0.0f, 0.0f, 0.0f};
    Vec3f tangent = {0.0f, 0.0f, 0.0f};   // derivative of the position along u
    Vec3f binormal = {0.0f, 0.0f, 0.0f};  // derivative of the position along v
    std::int32_t materialIndex = 0;
};

class Mesh3ds : public NamedRecord {
  public:
    Mesh3ds() = default;
    Mesh3ds(const Mesh3ds&) = default;
    Mesh3ds& operator=(const Mesh3ds&) = default;
    Mesh3ds(Mesh3ds&&) noexcept = default;
    Mesh3ds& operator=(Mesh3ds&&) noexcept = default;
    ~Mesh3ds() override;

    std::vector<Vec3f> positions;
    std::vector<Vec3f> normals;
    std::vector<Vec3f> binormals;
    std::vector<Vec3f> tangents;
    std::vector<Vec2f> uv;
    std::vector<Vec2f> uv2;
    std::vector<Triangle16> triangles;
    std::vector<Face3ds> faces;
    // Local axes as four rows: X axis, Y axis, Z axis (w 0), origin (w 1).
    float matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<std::int32_t> groupMaterials;

    std::size_t vertexCount() const { return positions.size(); }
    // Gives all six per-vertex lists `count` entries; new entries are zero.
    void resizeVertices(std::size_t count);
};
