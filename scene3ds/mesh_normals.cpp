// Face normals, the smoothing-group split and vertex normals.
#include <cmath>
#include <vector>

#include "scene3ds/mesh_build.h"
#include "scene3ds/vertex_faces.h"

Vec3f normalize3f(const Vec3f& v) {
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0f) return v;
    float inverse = 1.0f / length;
    return {v[0] * inverse, v[1] * inverse, v[2] * inverse};
}

namespace {

void faceNormals(Mesh3ds& mesh) {
    for (Face3ds& f : mesh.faces) {
        const Vec3f& a = mesh.positions[f.a];
        const Vec3f& b = mesh.positions[f.b];
        const Vec3f& c = mesh.positions[f.c];
        Vec3f e1 = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        Vec3f e2 = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
        // (b - a) x (c - a): counter-clockwise faces face the viewer.
        f.normal = normalize3f({e1[2] * e2[1] - e1[1] * e2[2], e2[2] * e1[0] - e1[2] * e2[0],
                                e1[1] * e2[0] - e1[0] * e2[1]});
    }
}

void vertexNormals(Mesh3ds& mesh) {
    VertexFaces lists(mesh.faces, mesh.positions.size());
    for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
        Vec3f sum = {0.0f, 0.0f, 0.0f};
        for (std::uint32_t j : lists.of(v)) {
            const Vec3f& n = mesh.faces[j].normal;
            sum = {sum[0] + n[0], sum[1] + n[1], sum[2] + n[2]};
        }
        mesh.normals[v] = normalize3f(sum);
    }
}

// Gives every smoothing group after the first that meets at a vertex its
// own copy of the vertex. Groups are told apart by their whole value.
void splitSmoothingGroups(Mesh3ds& mesh) {
    const std::size_t original = mesh.positions.size();
    VertexFaces lists(mesh.faces, original);
    std::vector<std::uint32_t> values;   // distinct smoothing values at the vertex
    std::vector<std::uint32_t> groupOf;  // group of each entry of the vertex's list
    auto groupFaces = [&](std::size_t v) {
        values.clear();
        groupOf.clear();
        for (std::uint32_t j : lists.of(v)) {
            std::uint32_t value = mesh.faces[j].smoothingGroup;
            std::size_t g = 0;
            while (g < values.size() && values[g] != value) ++g;
            if (g == values.size()) values.push_back(value);
            groupOf.push_back(static_cast<std::uint32_t>(g));
        }
    };

    // First count the copies, so that the six lists grow once.
    std::size_t total = original;
    for (std::size_t v = 0; v < original; ++v) {
        groupFaces(v);
        if (values.size() < 2) continue;
        if (total + values.size() - 1 > kMaxMeshVertices) break;
        total += values.size() - 1;
    }
    if (total == original) return;
    mesh.positions.reserve(total);
    mesh.normals.reserve(total);
    mesh.uv.reserve(total);
    mesh.uv2.reserve(total);
    mesh.tangents.reserve(total);
    mesh.binormals.reserve(total);

    for (std::size_t v = 0; v < original; ++v) {
        groupFaces(v);
        if (values.size() < 2) continue;
        // Copies past 65536 vertices could not be indexed: stop splitting.
        if (mesh.positions.size() + values.size() - 1 > kMaxMeshVertices) return;
        auto faces = lists.of(v);
        for (std::uint32_t g = 1; g < values.size(); ++g) {
            mesh.positions.push_back(mesh.positions[v]);
            mesh.normals.push_back(mesh.normals[v]);
            mesh.uv.push_back(mesh.uv[v]);
            mesh.uv2.push_back(mesh.uv2[v]);
            mesh.tangents.push_back(mesh.tangents[v]);
            mesh.binormals.push_back(mesh.binormals[v]);
            auto copy = static_cast<std::uint16_t>(mesh.positions.size() - 1);
            for (std::size_t e = 0; e < faces.size(); ++e) {
                if (groupOf[e] != g) continue;
                Face3ds& f = mesh.faces[faces[e]];
                if (f.a == v) f.a = copy;
                if (f.b == v) f.b = copy;
                if (f.c == v) f.c = copy;
            }
        }
    }
}

}  // namespace

void buildNormals(Mesh3ds& mesh, bool smooth) {
    faceNormals(mesh);
    if (smooth) splitSmoothingGroups(mesh);
    vertexNormals(mesh);
    mesh.triangles.resize(mesh.faces.size());
    for (std::size_t j = 0; j < mesh.faces.size(); ++j) {
        const Face3ds& f = mesh.faces[j];
        mesh.triangles[j] = {f.a, f.b, f.c};
    }
}
