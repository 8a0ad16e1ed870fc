#include "scene3ds_render/draw_lists.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

bool drawable(const Mesh3ds& mesh, const Face3ds& face) {
    const std::size_t n = mesh.positions.size();
    return face.a < n && face.b < n && face.c < n;
}

int checkedMaterial(const Model3ds& model, std::int32_t index) {
    return index >= 0 && static_cast<std::size_t>(index) < model.materials.size() ? index : -1;
}

// Marks the vertices some drawable face uses.
std::vector<char> usedVertices(const Mesh3ds& mesh) {
    std::vector<char> used(mesh.positions.size(), 0);
    for (const Face3ds& f : mesh.faces)
        if (drawable(mesh, f)) used[f.a] = used[f.b] = used[f.c] = 1;
    return used;
}

bool finite(const Vec3f& v) {
    return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

void addLine(LineList& lines, const Vec3f& from, const Vec3f& direction, float length,
             const Vec3f& color) {
    if (!finite(direction) || !finite(from)) return;
    lines.points.push_back(from);
    lines.points.push_back({from[0] + direction[0] * length, from[1] + direction[1] * length,
                            from[2] + direction[2] * length});
    lines.colors.push_back(color);
    lines.colors.push_back(color);
}

}  // namespace

bool materialIsFlat(const Model3ds& model, int index) {
    return checkedMaterial(model, index) >= 0 && model.materials[index].shading == 1;
}

bool materialIsWire(const Model3ds& model, int index) {
    return checkedMaterial(model, index) >= 0 && model.materials[index].shading == 0;
}

MeshDrawList buildDrawList(const Model3ds& model, const Mesh3ds& mesh) {
    MeshDrawList list;
    // Batches in order of first appearance; flat faces gathered per material.
    std::map<int, std::size_t> batchOf;
    std::map<int, std::vector<const Face3ds*>> flatFaces;
    for (const Face3ds& face : mesh.faces) {
        if (!drawable(mesh, face)) continue;
        ++list.triangleCount;
        const int material = checkedMaterial(model, face.materialIndex);
        if (materialIsFlat(model, material)) {
            flatFaces[material].push_back(&face);
            continue;
        }
        auto [it, added] = batchOf.try_emplace(material, list.smooth.size());
        if (added) list.smooth.push_back({material, {}});
        std::vector<std::uint16_t>& indices = list.smooth[it->second].indices;
        indices.insert(indices.end(), {face.a, face.b, face.c});
    }
    for (const auto& [material, faces] : flatFaces) {
        FlatRun run{material, static_cast<std::uint32_t>(list.flatPositions.size()),
                    static_cast<std::uint32_t>(3 * faces.size())};
        for (const Face3ds* face : faces)
            for (std::uint16_t v : {face->a, face->b, face->c}) {
                list.flatPositions.push_back(mesh.positions[v]);
                list.flatNormals.push_back(face->normal);
                list.flatUv.push_back(v < mesh.uv.size() ? mesh.uv[v] : Vec2f{0, 0});
            }
        list.flat.push_back(run);
    }
    return list;
}

std::vector<std::uint16_t> meshEdges(const Mesh3ds& mesh) {
    std::vector<std::uint32_t> keys;
    keys.reserve(mesh.faces.size() * 3);
    auto edge = [&](std::uint16_t a, std::uint16_t b) {
        if (a == b) return;
        keys.push_back(a < b ? (std::uint32_t{a} << 16) | b : (std::uint32_t{b} << 16) | a);
    };
    for (const Face3ds& f : mesh.faces) {
        if (!drawable(mesh, f)) continue;
        edge(f.a, f.b);
        edge(f.b, f.c);
        edge(f.c, f.a);
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    std::vector<std::uint16_t> edges;
    edges.reserve(keys.size() * 2);
    for (std::uint32_t k : keys) {
        edges.push_back(static_cast<std::uint16_t>(k >> 16));
        edges.push_back(static_cast<std::uint16_t>(k & 0xFFFF));
    }
    return edges;
}

LineList normalLines(const Mesh3ds& mesh, float length) {
    LineList lines;
    const std::vector<char> used = usedVertices(mesh);
    for (std::size_t v = 0; v < used.size(); ++v)
        if (used[v] && v < mesh.normals.size())
            addLine(lines, mesh.positions[v], mesh.normals[v], length, {1.0f, 1.0f, 0.0f});
    return lines;
}

LineList tangentFrameLines(const Mesh3ds& mesh, float length) {
    LineList lines;
    const std::vector<char> used = usedVertices(mesh);
    const std::size_t n =
        std::min({used.size(), mesh.tangents.size(), mesh.binormals.size(), mesh.normals.size()});
    for (std::size_t v = 0; v < n; ++v) {
        if (!used[v]) continue;
        addLine(lines, mesh.positions[v], mesh.tangents[v], length, {1.0f, 0.0f, 0.0f});
        addLine(lines, mesh.positions[v], mesh.binormals[v], length, {0.0f, 1.0f, 0.0f});
        addLine(lines, mesh.positions[v], mesh.normals[v], length, {0.0f, 0.0f, 1.0f});
    }
    return lines;
}
