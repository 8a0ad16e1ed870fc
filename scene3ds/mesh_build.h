#pragma once
// Makes a loaded mesh ready for drawing: face and vertex normals, the split
// of vertices along smoothing-group edges, tangent frames and the 16-bit
// index array.
#include <cstddef>

#include "scene3ds/mesh3ds.h"

// Vertex indices are 16 bits wide: a mesh never holds more vertices.
constexpr std::size_t kMaxMeshVertices = 65536;

// The vector scaled to unit length; a zero vector stays zero.
Vec3f normalize3f(const Vec3f& v);

// Face normals, then (with `smooth`) a copy of each vertex for every further
// smoothing group that meets at it, then vertex normals and `triangles`.
// Splitting stops for the rest of the mesh at the first vertex whose copies
// would take it past kMaxMeshVertices; the faces around such vertices share
// one normal instead.
void buildNormals(Mesh3ds& mesh, bool smooth);

// Face tangents and binormals (derivatives of the position along u and v),
// vertex tangents, and vertex binormals as tangent x normal. Expects the
// vertex normals of buildNormals.
void buildTangentFrames(Mesh3ds& mesh);
