#pragma once
// What the renderer draws a model from, made once after loading: each
// mesh's faces grouped by material as 16-bit index lists over the mesh's own
// vertex arrays (smooth shading), the faces of flat-shaded materials with
// one vertex per corner and the face's normal, and, on demand, each edge
// once for wireframes and the normals and tangent frames as short lines.
// Faces that name a vertex the mesh does not have are left out, and a
// material index the model does not have draws with the default material.
#include <cstdint>
#include <vector>

#include "scene3ds/model3ds.h"

// Triangles of one material in a mesh's arrays.
struct MaterialBatch {
    int material = -1;  // index into the model's materials; -1 the default one
    std::vector<std::uint16_t> indices;
};

// A run of flat-shaded triangles of one material: vertices first to
// first + count of the mesh's flat arrays.
struct FlatRun {
    int material = -1;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
};

struct MeshDrawList {
    std::vector<MaterialBatch> smooth;
    std::vector<Vec3f> flatPositions;
    std::vector<Vec3f> flatNormals;
    std::vector<Vec2f> flatUv;
    std::vector<FlatRun> flat;
    std::size_t triangleCount = 0;  // faces drawn, smooth and flat
};

// Whether material `index` of `model` is drawn flat (its shading type is
// 1) or as a wireframe (0); an index outside the list is neither.
bool materialIsFlat(const Model3ds& model, int index);
bool materialIsWire(const Model3ds& model, int index);

MeshDrawList buildDrawList(const Model3ds& model, const Mesh3ds& mesh);

// Each edge of the mesh's drawable faces once, as pairs of vertex indices.
std::vector<std::uint16_t> meshEdges(const Mesh3ds& mesh);

// Lines as pairs of points with a colour per point.
struct LineList {
    std::vector<Vec3f> points;
    std::vector<Vec3f> colors;
};

// From every vertex used by a face, a line `length` long along its normal
// (yellow).
LineList normalLines(const Mesh3ds& mesh, float length);
// The tangent frame of every vertex used by a face, as the loader built it:
// tangent red, binormal green, normal blue, each `length` long. Components
// that are not finite (degenerate texture coordinates) draw no line.
LineList tangentFrameLines(const Mesh3ds& mesh, float length);
